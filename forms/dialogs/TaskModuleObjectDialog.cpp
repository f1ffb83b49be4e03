#include "forms/dialogs/TaskModuleObjectDialog.h"

#include "forms/dialogs/DialogRows.h"
#include "model/Data.h"

#include <QVariant>

namespace {

TTaskModule* CarriedModule(const TAutoComboBox* List)
{
    const int Index = List->currentIndex();
    return Index < 0 ? nullptr : static_cast<TTaskModule*>(List->itemData(Index).value<void*>());
}

} // namespace

TTaskModuleObjectDialog::TTaskModuleObjectDialog(QWidget* Owner, TData* Package)
    : TQORAutoForm(Owner), FPackage(Package)
{
    Setup({.Caption = QStringLiteral("Task Module Object"), .MinControlWidth = 456});
    auto* Object = new TTaskModuleObject;
    SetValue(Object, true);
    TQORAutoFormItems& Rows = Items();
    AddGUIDRow(Rows, QStringLiteral("ID"), &Object->ID);
    AddStringRow(Rows, QStringLiteral("Name"), &Object->Name);
    AddStringRow(Rows,
                 QStringLiteral("Full type name (.Net assemblies only)"),
                 &Object->FullTypeName,
                 QStringLiteral("Full Type name"));
    AddCheckBox(Rows, QStringLiteral("Run out of process"), &Object->RunOutOfProcess);
    AddCheckBox(Rows, QStringLiteral("Delay before returning to host"), &Object->DelayBeforeReturningToHost);
    FConfigurators = new TAutoComboBox(this);
    AddNamedItem(Rows, QStringLiteral("Configurator"), FConfigurators);
    FCommandEditors = new TAutoComboBox(this);
    AddNamedItem(Rows, QStringLiteral("Command editor"), FCommandEditors);
    TContainerGroupBox* Notes = AddNamedGroup(Rows,
                                              QStringLiteral("LMS notes support"),
                                              QStringLiteral("For embedding task module object into LMS notes"),
                                              0,
                                              100);
    AddCheckBox(Notes->Items(), QStringLiteral("Supported"), &Object->LMSNotesSupported);
    for (auto [Caption, Field] : {std::pair{"Preferred width", &Object->PreferredWidth},
                                  std::pair{"Preferred height", &Object->PreferredHeight}})
        AddNamedItem(Notes->Items(),
                     QString::fromLatin1(Caption),
                     CreateEditInteger(Notes, Field, QString(), false, 0, false, 0, false, 0));
    AddStringsRow(Rows, QStringLiteral("Tool categories"), &Object->ToolCategories);
    TContainerGroupBox* Tool = AddNamedGroup(Rows, QStringLiteral("Tool"), QStringLiteral("Permissions"), 0, 100);
    AddPermissionCheckBoxes(Tool->Items(),
                            {&Object->AccessibleByServiceEngineers,
                             &Object->AccessibleBySystemAdministrators,
                             &Object->AccessibleByTrainers,
                             &Object->AccessibleByStudents});
    AddStringRow(Rows, QStringLiteral("Notes"), &Object->Notes);
}

void TTaskModuleObjectDialog::FillChoices(TAutoComboBox* List, int32_t Type, TTaskModule* Current)
{
    const auto Carrying = [](TTaskModule* Module) { return QVariant::fromValue(static_cast<void*>(Module)); };
    List->setUpdatesEnabled(false);
    List->clear();
    List->addItem(QStringLiteral("None"), Carrying(nullptr));
    List->setCurrentIndex(0);
    bool Offered = false;
    if (FPackage)
        for (int32_t M = 0; M < FPackage->CodeModules.Count(); ++M) {
            const TTaskModuleObjects& Objects = FPackage->CodeModules.Items(M)->TaskModuleObjects;
            for (int32_t O = 0; O < Objects.Count(); ++O) {
                const TTaskModuleObject* Object = Objects.Items(O);
                if (Object == ValueReference())
                    continue;
                for (int32_t T = 0; T < Object->TaskModules.Count(); ++T) {
                    TTaskModule* Module = Object->TaskModules.Items(T);
                    if (Module->Type != Type)
                        continue;
                    List->addItem(Object->Name, Carrying(Module));
                    // By identity: IDs repeat among new modules (all null) and pasted copies.
                    if (Module == Current) {
                        List->setCurrentIndex(List->count() - 1);
                        Offered = true;
                    }
                }
            }
        }
    // A reference these rules would not offer (a module of the object itself or of another type, as a
    // file or a paste may hold) stays what it is until the user picks something else.
    if (Current && !Offered) {
        const TTaskModuleObject* Owner = Current->Owner();
        List->addItem(Owner ? Owner->Name : QString(), Carrying(Current));
        List->setCurrentIndex(List->count() - 1);
    }
    List->setUpdatesEnabled(true);
}

void TTaskModuleObjectDialog::LoadValues()
{
    TQORAutoForm::LoadValues();
    const auto* Object = static_cast<const TTaskModuleObject*>(Value());
    FillChoices(FConfigurators, tmtTaskModuleConfigurator, Object->Configurator);
    FillChoices(FCommandEditors, tmtTaskModuleCommandEditor, Object->CommandEditor);
}

void TTaskModuleObjectDialog::StoreValues()
{
    TQORAutoForm::StoreValues();
    auto* Object = static_cast<TTaskModuleObject*>(Value());
    Object->Configurator = CarriedModule(FConfigurators);
    Object->CommandEditor = CarriedModule(FCommandEditors);
}
