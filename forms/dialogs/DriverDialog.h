#pragma once

// The dialog of a driver. Value is the working copy, owned by the dialog; "Load ID" reads the ID
// from the driver's type library into it.

#include "forms/QORForms.h"

class TDriverDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    explicit TDriverDialog(QWidget* Owner = nullptr);

    void LoadIDClick();
};
