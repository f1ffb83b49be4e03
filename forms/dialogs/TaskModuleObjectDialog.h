#pragma once

// The dialog of a task module object. Value is the working copy, owned by the dialog. The
// "Configurator" and "Command editor" lists offer the package's task modules of the matching type,
// named by their objects, except those of the object being edited (ValueReference).

#include "forms/QORForms.h"

class TAutoComboBox;
class TData;
class TTaskModule;

class TTaskModuleObjectDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    TTaskModuleObjectDialog(QWidget* Owner, TData* Package);

    TAutoComboBox* ConfiguratorList() const { return FConfigurators; }
    TAutoComboBox* CommandEditorList() const { return FCommandEditors; }

    void LoadValues() override;
    void StoreValues() override;

private:
    // Fills List with "None" and the offered modules of type Type; selects the one with Current's ID.
    void FillChoices(TAutoComboBox* List, int32_t Type, const TTaskModule* Current);

    TData* FPackage;
    TAutoComboBox* FConfigurators = nullptr;
    TAutoComboBox* FCommandEditors = nullptr;
};
