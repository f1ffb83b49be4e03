#pragma once

// The dialog of an interface type. Value is the working copy, owned by the dialog.

#include "forms/QORForms.h"

class TInterfaceTypeDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    explicit TInterfaceTypeDialog(QWidget* Owner = nullptr);
};
