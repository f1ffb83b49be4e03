#include "forms/dialogs/TaskRecordingTypeDialog.h"

#include "forms/dialogs/DialogRows.h"
#include "model/DataTypes.h"

TTaskRecordingTypeDialog::TTaskRecordingTypeDialog(QWidget* Owner) : TQORAutoForm(Owner)
{
    Setup({.Caption = QStringLiteral("Task Recording Type"), .MinControlWidth = 400});
    auto* Type = new TTaskRecordingType;
    SetValue(Type, true);
    AddGUIDRow(Items(), QStringLiteral("ID"), &Type->ID);
    AddStringRow(Items(), QStringLiteral("Name"), &Type->Name);
    AddStringRow(Items(), QStringLiteral("File name extension"), &Type->FileNameExtension);
    AddStringRow(Items(), QStringLiteral("Creator"), &Type->Creator);
    AddStringRow(Items(), QStringLiteral("Sub creator"), &Type->SubCreator);
    AddStringRow(Items(), QStringLiteral("Notes"), &Type->Notes);
}
