#pragma once

// The dialog of a code module. Value is the working copy, owned by the dialog; its interface lists
// offer the package's interface types, and "Load ID" reads the ID from the module's type library.

#include "forms/QORForms.h"

class TData;

class TCodeModuleDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    TCodeModuleDialog(QWidget* Owner, TData* Package);

    void LoadIDClick();

private:
    TData* FPackage;
};
