#include "forms/dialogs/CreateTaskModuleDialog.h"

#include "forms/dialogs/DialogRows.h"
#include "model/TaskModule.h"

TCreateTaskModuleDialog::TCreateTaskModuleDialog(QWidget* Owner) : TQORAutoForm(Owner)
{
    Setup({.Caption = QStringLiteral("Task Module"), .MinControlWidth = 456});
    auto* Module = new TTaskModule;
    SetValue(Module, true);
    // "None" is no type a new module can have.
    AddEnumerationRow(Items(),
                      QStringLiteral("Type"),
                      EnumBinding(&Module->Type),
                      TaskModuleTypeTexts(),
                      tmtTaskCreator,
                      tmtTaskRecordingAnalyzer);
}
