#pragma once

// The dialog of a support file. Value is the working copy, owned by the dialog.

#include "forms/QORForms.h"

class TSupportFileDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    explicit TSupportFileDialog(QWidget* Owner = nullptr);
};
