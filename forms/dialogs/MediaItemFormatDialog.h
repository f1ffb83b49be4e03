#pragma once

// The dialog of a media item format. Value is the working copy, owned by the dialog.

#include "forms/QORForms.h"

class TMediaItemFormatDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    explicit TMediaItemFormatDialog(QWidget* Owner = nullptr);
};
