#pragma once

// The dialog of a task type. Value is the working copy, owned by the dialog.

#include "forms/QORForms.h"

class TTaskTypeDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    explicit TTaskTypeDialog(QWidget* Owner = nullptr);
};
