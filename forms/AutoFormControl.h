#pragma once

// The contract between an automatic form and the controls it lays out: values move between the
// control and the variable it is bound to, the control checks its own entry, and it tells the
// layout how much room it wants. A control that does not implement it is still placed and sized.

#include "foundation/GUID.h"

#include <QFontMetrics>
#include <QWidget>

// What a control measures text with: the font metrics of the form (or group box) laying it out.
using TCanvas = QFontMetrics;

// The interface's identifier, for code that names it by ID.
inline const TGUID IID_IAutoFormControl = TGUID::Parse("{4901B4C9-06FE-49B0-825A-D47ABA66C5F6}");

class IAutoFormControl
{
public:
    virtual ~IAutoFormControl() = default;

    // Writes the entry to the bound variable (if bound).
    virtual void StoreValue() = 0;
    // Shows the bound variable's value (if bound).
    virtual void LoadValue() = 0;
    // Shows the default value, when the control uses one.
    virtual void SetDefault() = 0;
    // Shows the bound variable's value again, when the control uses a default.
    virtual void UndoDefault() = 0;
    // Checks the entry; on failure shows the message, focuses the control and answers false.
    virtual bool Validate() = 0;
    virtual int GetPreferredWidth(const TCanvas& Canvas) = 0;
    virtual int GetPreferredHeight(const TCanvas& Canvas) = 0;
    // True when the control takes a share of spare form height.
    virtual bool CanStretchVertically() = 0;
    // Pixels by which the control is placed left of its column start.
    virtual int GetLeftIndent() = 0;
    // Extra pixels below the control's row.
    virtual int GetExtraSpacing() = 0;
    // Called once the control has its final position and size.
    virtual void ArrangeContents(const TCanvas& Canvas) = 0;
};

// A control that shows its caption left of itself, reading like a row label. A form lines up such
// controls of its unlabelled rows in one column, with the labelled rows' controls where the
// captions allow, so that they do not stand ragged after captions of different lengths.
class ICaptionColumn
{
public:
    virtual ~ICaptionColumn() = default;
    // Where the control's own part starts after its caption; 0 when it shows no caption.
    virtual int GetCaptionWidth() = 0;
    // Starts the control's own part Offset pixels from its left edge, or after its caption if later.
    virtual void SetCaptionColumn(int Offset) = 0;
};

inline IAutoFormControl* AsAutoFormControl(QWidget* Control)
{
    return dynamic_cast<IAutoFormControl*>(Control);
}

// The control's own visibility flag, whether or not its window is on screen yet. A control without
// parent counts as hidden only once it was hidden on purpose, not merely for never being shown.
inline bool IsControlShown(const QWidget* Control)
{
    if (!Control)
        return false;
    const QWidget* Parent = Control->parentWidget();
    if (Parent)
        return Control->isVisibleTo(Parent);
    return !Control->isHidden() || !Control->testAttribute(Qt::WA_WState_ExplicitShowHide);
}
