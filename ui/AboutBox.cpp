#include "ui/AboutBox.h"

#include "forms/Controls.h"
#include "forms/QORForms.h"
#include "foundation/General.h"

QString AboutText()
{
    return QStringLiteral("Quillon V") + ProgramVersion();
}

std::unique_ptr<TQORAutoForm> CreateAboutBox(QWidget* Owner)
{
    auto Box = std::make_unique<TQORAutoForm>(Owner);
    Box->Setup({.Caption = QStringLiteral("About"), .Buttons = fbOK, .MinFormWidth = 400});
    AddControl(Box->Items(), CreateTextLabel(Box.get(), AboutText()));
    return Box;
}
