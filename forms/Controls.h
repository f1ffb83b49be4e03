#pragma once

// The value controls automatic forms are built from. Each is an ordinary Qt control bound to one
// variable (usually a field of the dialog's working object): LoadValue shows it, StoreValue writes
// it back, SetDefault shows the default, and Validate checks the entry and reports failures itself
// in words built from ValueName. This header gathers every family, and adds the plain label and
// push button a form may hold.

#include "forms/CheckBox.h"
#include "forms/ComboBoxes.h"
#include "forms/GroupBox.h"
#include "forms/NumberEdits.h"
#include "forms/StringEdits.h"

#include <QString>

#include <functional>

class QLabel;
class QPushButton;

// A plain label 21 pixels high, usable as a row control.
QLabel* CreateTextLabel(QWidget* Owner, const QString& Text);

// A plain push button. Dialogs append it to their Buttons so that it is laid out with the standard
// buttons. A cancel button is clicked by Escape before the form closes.
QPushButton* CreateCommandButton(
    QWidget* Owner, const QString& Caption, bool IsDefault, std::function<void()> OnClick, bool IsCancel);
