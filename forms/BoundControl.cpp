#include "forms/BoundControl.h"

#include "foundation/AnsiCodec.h"
#include "foundation/UserSeam.h"

#include <QApplication>
#include <QLineEdit>

QString TBoundControl::QuotedName() const
{
    return ValueName.isEmpty() ? QStringLiteral("Value") : QLatin1Char('\'') + ValueName + QLatin1Char('\'');
}

QString TBoundControl::InvalidText() const
{
    return ValueName.isEmpty() ? QStringLiteral("Invalid value.")
                               : QLatin1Char('\'') + ValueName + QStringLiteral("' is invalid.");
}

bool TBoundControl::Fail(QWidget* Control, const QString& Message) const
{
    UserSeam().ShowMessage(Control->window(), Message, QString(), TMessageButtons::OK, TMessageIcon::Warning);
    // Taking the focus brings the control's window to the front, as the platform's focus call does.
    QWidget* Window = Control->window();
    if (Window->isVisible() && !Window->isActiveWindow()) {
        Window->activateWindow();
        QApplication::setActiveWindow(Window);
    }
    Control->setFocus(Qt::OtherFocusReason);
    if (auto* Edit = qobject_cast<QLineEdit*>(Control))
        Edit->selectAll();
    return false;
}

bool TBoundControl::CheckStorable(QWidget* Control, const QString& Text) const
{
    const QString Characters = DescribeUnstorableCharacters(Text);
    if (Characters.isEmpty())
        return true;
    return Fail(Control,
                QuotedName() + QStringLiteral(" contains characters that cannot be stored: ") + Characters + '.');
}

bool TBoundControl::SkipsValidation(const QWidget* Control)
{
    if (!IsControlShown(Control))
        return true;
    const QWidget* Parent = Control->parentWidget();
    return Parent ? !Control->isEnabledTo(Parent) : !Control->isEnabled();
}
