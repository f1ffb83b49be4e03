#pragma once

// Asks for the type of a new task module: Value is a fresh task module holding the chosen type.

#include "forms/QORForms.h"

class TCreateTaskModuleDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    explicit TCreateTaskModuleDialog(QWidget* Owner = nullptr);
};
