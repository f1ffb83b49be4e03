#include "forms/dialogs/TaskModuleDialog.h"

#include "forms/Pickers.h"
#include "forms/dialogs/DialogRows.h"
#include "model/Data.h"
#include "model/TaskModule.h"

TTaskModuleDialog::TTaskModuleDialog(QWidget* Owner, TData* Package) : TQORAutoForm(Owner), FPackage(Package)
{
    Setup({.Caption = QStringLiteral("Task Module"), .MinControlWidth = 456});
    SetValue(new TTaskModule, true);
}

void TTaskModuleDialog::CreateItems()
{
    if (Items().Count() > 0)
        return;
    auto* Module = static_cast<TTaskModule*>(Value());
    // A type read from a file may lie outside the table; the dialog still opens on such a module.
    if (IsValidTaskModuleType(Module->Type))
        setWindowTitle(TaskModuleTypeCaption(Module->Type));
    TQORAutoFormItems& Rows = Items();
    AddGUIDRow(Rows, QStringLiteral("ID"), &Module->ID);
    if (Module->Type == tmtTaskResultItemViewer)
        AddCheckBox(Rows, QStringLiteral("Supports multiple items"), &Module->SupportsMultipleItems);
    const auto AddList = [this,
                          &Rows](const char* Caption, TQORList* Candidates, TQORList* List, const char* ItemName) {
        AddNamedItem(Rows,
                     QString::fromLatin1(Caption),
                     new TDataTypesControl(this, Candidates, List, QString::fromLatin1(ItemName), 60));
    };
    TData* P = FPackage;
    AddList("Input task types", P ? &P->TaskTypes : nullptr, &Module->InputTaskTypes, "Task type");
    AddList("Output task types", P ? &P->TaskTypes : nullptr, &Module->OutputTaskTypes, "Task type");
    AddList("Input task recording types",
            P ? &P->TaskRecordingTypes : nullptr,
            &Module->InputTaskRecordingTypes,
            "Task recording type");
    AddList("Output task recording types",
            P ? &P->TaskRecordingTypes : nullptr,
            &Module->OutputTaskRecordingTypes,
            "Task recording type");
    AddList("Input task result item formats",
            P ? &P->TaskResultItemFormats : nullptr,
            &Module->InputTaskResultItemFormats,
            "Task result item format");
    AddList("Output task result item formats",
            P ? &P->TaskResultItemFormats : nullptr,
            &Module->OutputTaskResultItemFormats,
            "Task result item format");
    AddList("Output media item formats",
            P ? &P->MediaItemFormats : nullptr,
            &Module->OutputMediaItemFormats,
            "Media item format");
}
