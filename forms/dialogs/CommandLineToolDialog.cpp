#include "forms/dialogs/CommandLineToolDialog.h"

#include "forms/dialogs/DialogRows.h"
#include "model/CommandLineTool.h"

TCommandLineToolDialog::TCommandLineToolDialog(QWidget* Owner, TData*) : TQORAutoForm(Owner)
{
    SetValue(new TCommandLineTool, true);
}

void TCommandLineToolDialog::CreateItems()
{
    if (Items().Count() > 0)
        return;
    Setup({.Caption = QStringLiteral("Command Line Tool"), .MinControlWidth = 456});
    auto* Tool = static_cast<TCommandLineTool*>(Value());
    TQORAutoFormItems& Rows = Items();
    AddGUIDRow(Rows, QStringLiteral("ID"), &Tool->ID);
    AddStringRow(Rows, QStringLiteral("Name"), &Tool->Name);
    AddStringRow(Rows, QStringLiteral("Command line arguments"), &Tool->CommandLineArguments);
    AddStringsRow(Rows, QStringLiteral("Tool categories"), &Tool->ToolCategories);
    TContainerGroupBox* Permissions = AddNamedGroup(Rows, QString(), QStringLiteral("Permissions"), 0, 100);
    AddPermissionCheckBoxes(Permissions->Items(),
                            {&Tool->AccessibleByServiceEngineers,
                             &Tool->AccessibleBySystemAdministrators,
                             &Tool->AccessibleByTrainers,
                             &Tool->AccessibleByStudents});
    AddLabelledCheckBox(Rows,
                        QStringLiteral("Run as administrator"),
                        &Tool->RunAsAdministrator,
                        QStringLiteral("Run as administrator"));
    AddStringRow(Rows, QStringLiteral("Notes"), &Tool->Notes);
}
