#pragma once

// The dialog of a task module. Value is the working copy, owned by the dialog. The rows depend on
// the module's type, so they are built only when the dialog runs, once the module is in Value; the
// caption then names the type.

#include "forms/QORForms.h"

class TData;

class TTaskModuleDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    TTaskModuleDialog(QWidget* Owner, TData* Package);

    void CreateItems() override;

private:
    TData* FPackage;
};
