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
    Box->Setup(bsDialog, QStringLiteral("About"), true, false, false, false, false, blBottomRow, 0, 0, 400, 0);
    AddControl(Box->Items(), CreateTextLabel(Box.get(), AboutText()));
    return Box;
}
