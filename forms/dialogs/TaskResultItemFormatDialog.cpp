#include "forms/dialogs/TaskResultItemFormatDialog.h"

#include "forms/dialogs/DialogRows.h"
#include "model/DataTypes.h"

TTaskResultItemFormatDialog::TTaskResultItemFormatDialog(QWidget* Owner) : TQORAutoForm(Owner)
{
    Setup({.Caption = QStringLiteral("Task Result Item Format"), .MinControlWidth = 400});
    auto* Type = new TTaskResultItemFormat;
    SetValue(Type, true);
    AddGUIDRow(Items(), QStringLiteral("ID"), &Type->ID);
    AddStringRow(Items(), QStringLiteral("Name"), &Type->Name);
    AddStringRow(Items(), QStringLiteral("Description"), &Type->Description);
    AddStringRow(Items(), QStringLiteral("Creator"), &Type->Creator);
    AddStringRow(Items(), QStringLiteral("Sub creator"), &Type->SubCreator);
    AddStringRow(Items(), QStringLiteral("Notes"), &Type->Notes);
}
