#include "forms/dialogs/TaskTypeDialog.h"

#include "forms/dialogs/DialogRows.h"
#include "model/DataTypes.h"

TTaskTypeDialog::TTaskTypeDialog(QWidget* Owner) : TQORAutoForm(Owner)
{
    Setup({.Caption = QStringLiteral("Task Type"), .MinControlWidth = 400});
    auto* Type = new TTaskType;
    SetValue(Type, true);
    AddGUIDRow(Items(), QStringLiteral("ID"), &Type->ID);
    AddStringRow(Items(), QStringLiteral("Name"), &Type->Name);
    AddStringRow(Items(), QStringLiteral("File name extension"), &Type->FileNameExtension);
    AddStringRow(Items(), QStringLiteral("Creator"), &Type->Creator);
    AddStringRow(Items(), QStringLiteral("Sub creator"), &Type->SubCreator);
    AddStringRow(Items(), QStringLiteral("Notes"), &Type->Notes);
}
