#pragma once

// The dialog of a task recording type. Value is the working copy, owned by the dialog.

#include "forms/QORForms.h"

class TTaskRecordingTypeDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    explicit TTaskRecordingTypeDialog(QWidget* Owner = nullptr);
};
