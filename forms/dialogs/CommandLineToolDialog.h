#pragma once

// The dialog of a command line tool. Value is the working copy, owned by the dialog; the form is
// set up and its rows built only when it runs.

#include "forms/QORForms.h"

class TData;

class TCommandLineToolDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    // The package is accepted like the other dialogs of code module parts; the tool needs none.
    explicit TCommandLineToolDialog(QWidget* Owner = nullptr, TData* Package = nullptr);

    void CreateItems() override;
};
