#include "ui/WindowAccessibility.h"

#include "forms/QORForms.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface* WindowFactory(const QString&, QObject* Object)
{
    auto* Form = qobject_cast<TQORForm*>(Object);
    if (!Form || Form->Kind() != TFormKind::Window)
        return nullptr;
    return new QAccessibleWidget(Form, QAccessible::Window);
}

} // namespace

void InstallWindowAccessibility()
{
    static const bool Installed = [] {
        QAccessible::installFactory(&WindowFactory);
        return true;
    }();
    Q_UNUSED(Installed);
}
