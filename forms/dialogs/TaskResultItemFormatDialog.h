#pragma once

// The dialog of a task result item format. Value is the working copy, owned by the dialog.

#include "forms/QORForms.h"

class TTaskResultItemFormatDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    explicit TTaskResultItemFormatDialog(QWidget* Owner = nullptr);
};
