#pragma once

// The dialog of a task module object. Value is the working copy, owned by the dialog. The
// "Configurator" and "Command editor" lists offer the package's task modules of the matching type,
// named by their objects, except those of the object being edited (ValueReference); a current
// reference outside that offer is listed as well, so that OK keeps it.

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
    // Fills List with "None" and the offered modules of type Type and selects Current, which gets an
    // entry of its own when it is not among them.
    void FillChoices(TAutoComboBox* List, int32_t Type, TTaskModule* Current);

    TData* FPackage;
    TAutoComboBox* FConfigurators = nullptr;
    TAutoComboBox* FCommandEditors = nullptr;
};
