#include "FormTestSupport.h"

#include <QDialog>

QOR_IMPLEMENT_CLASS(TTestRecord, TQORObject, nullptr, &QORCreate<TTestRecord>)
QOR_IMPLEMENT_CLASS(TOtherRecord, TQORObject, nullptr, &QORCreate<TOtherRecord>)

void TTestRecord::Assign(const TQORObject* Source, bool)
{
    CheckAssignable(Source);
    const auto* Other = static_cast<const TTestRecord*>(Source);
    Name = Other->Name;
    Count = Other->Count;
    ID = Other->ID;
    Location = Other->Location;
    Flag = Other->Flag;
    Lines = Other->Lines;
}

QStringList FormTest::MessageTexts() const
{
    QStringList Result;
    for (const TScriptedUserSeam::TShownMessage& Message : Seam.Messages)
        Result.append(Message.Text);
    return Result;
}

void WhenModal(std::function<void(QWidget* Dialog)> Steps)
{
    QTimer::singleShot(0, [Steps = std::move(Steps)] {
        QWidget* Dialog = QApplication::activeModalWidget();
        if (!Dialog) {
            ADD_FAILURE() << "no modal dialog is showing";
            return;
        }
        Steps(Dialog);
        if (auto* Modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()); Modal == Dialog) {
            ADD_FAILURE() << "the dialog is still open after the steps";
            Modal->reject();
        }
    });
}
