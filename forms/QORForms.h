#pragma once

// The form classes every window of the program is built on, and the automatic form engine: a form
// given rows of (optional label, control) and standard buttons at run time, which lays itself out,
// moves values between the edited object and its controls, and validates entries on OK.

#include "forms/AutoFormControl.h"
#include "foundation/ApplicationEvents.h"
#include "foundation/QORList.h"
#include "foundation/QORObject.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFlags>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QString>

#include <cstdint>
#include <vector>

// The program's base form. While a handler is set, the form is registered in the matching
// application event list; destroying the form removes every registration it holds.
class TQORForm : public QDialog
{
    Q_OBJECT
public:
    explicit TQORForm(QWidget* Owner = nullptr);
    ~TQORForm() override;

    const TExceptionHandler& OnException() const { return FOnException; }
    const TNotifyHandler& OnActivate() const { return FOnActivate; }
    const TNotifyHandler& OnDeactivate() const { return FOnDeactivate; }
    const TIdleHandler& OnIdle() const { return FOnIdle; }
    // Setting a handler replaces the form's earlier registration in that list and makes the form the
    // most recent entry; an empty handler only removes it.
    void SetOnException(TExceptionHandler Handler);
    void SetOnActivate(TNotifyHandler Handler);
    void SetOnDeactivate(TNotifyHandler Handler);
    void SetOnIdle(TIdleHandler Handler);

protected:
    // A plain form is no dialog box: Escape does not close it.
    void keyPressEvent(QKeyEvent* Event) override;

private:
    TExceptionHandler FOnException;
    TNotifyHandler FOnActivate;
    TNotifyHandler FOnDeactivate;
    TIdleHandler FOnIdle;
};

class TQORDialog : public TQORForm
{
    Q_OBJECT
public:
    using TQORForm::TQORForm;
    // True when the user confirmed with OK.
    virtual bool Execute() = 0;
};

// Adds the edited value. Value is the working object; ValueReference the model object the dialog
// copies in and back (not owned); Candidates the list pickers offer from (not owned). The objects
// the dialog does not own are pinned with a counted reference only while it runs, so the model
// cannot free them underneath a running dialog, yet may free them before an idle dialog goes.
class TQORValueDialog : public TQORDialog
{
    Q_OBJECT
public:
    using TQORDialog::TQORDialog;
    ~TQORValueDialog() override;

    TQORObject* Value() const { return FValue; }
    // The dialog frees an owned value with itself.
    void SetValue(TQORObject* Value, bool Owned = false);
    TQORObject* ValueReference() const { return FValueReference; }
    void SetValueReference(TQORObject* Reference);
    TQORList* Candidates() const { return FCandidates; }
    void SetCandidates(TQORList* Candidates) { FCandidates = Candidates; }

protected:
    // Holds a counted reference to the objects the dialog uses without owning, for its lifetime.
    class TPin
    {
    public:
        explicit TPin(const TQORValueDialog& Dialog);
        ~TPin();
        TPin(const TPin&) = delete;
        TPin& operator=(const TPin&) = delete;

    private:
        const TQORObject* FObjects[2] = {nullptr, nullptr};
    };

private:
    void ReleaseValue();

    TQORObject* FValue = nullptr;
    bool FOwnsValue = false;
    TQORObject* FValueReference = nullptr;
    TQORList* FCandidates = nullptr;
};

// One row of an automatic form: an optional label and the editing control.
class TQORAutoFormItem : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TQORAutoFormItem() = default;

    void Assign(const TQORObject* Source, bool KeepReferences) override;

    bool HasLabel = false;
    // The caption the row was added with, without colon.
    QString Caption;
    QPointer<QLabel> Label;
    QPointer<QWidget> Control;

    // The control's own size, not the one a layout stretched it to: what a control without the
    // control interface is measured by. A width or height set from outside since the last
    // placement counts as the control's own.
    QSize NaturalControlSize();
    // Gives the control its place, remembering the size the layout gave it.
    void PlaceControl(const QRect& Geometry);

private:
    QSize FNaturalSize;
    QSize FPlacedSize;
};

// The rows of a form or group box; owns them. New labels and controls are parented to OwnerControl.
class TQORAutoFormItems : public TQORList
{
    QOR_DECLARE_CLASS
public:
    explicit TQORAutoFormItems(QWidget* OwnerControl = nullptr);

    TQORAutoFormItem* Row(int32_t Index) const { return ItemAs<TQORAutoFormItem>(Index); }
    QWidget* OwnerControl() const { return FOwnerControl; }
    void SetOwnerControl(QWidget* Control) { FOwnerControl = Control; }

private:
    QPointer<QWidget> FOwnerControl;
};

// A control that holds rows of its own (a group box): the form's tab order runs through them.
class ITabOrderContainer
{
public:
    virtual ~ITabOrderContainer() = default;
    virtual const TQORAutoFormItems& ContainedItems() const = 0;
};

// The controls that take the focus, in row order; a group box stands for its own rows.
void CollectTabControls(const TQORAutoFormItems& Items, std::vector<QWidget*>& Result);

// Lines up the captioned controls of the visible unlabelled rows at one offset from the rows' start:
// the widest caption, but no less than ControlColumn, the labelled rows' control column (0 for none).
void AlignCaptionColumns(const TQORAutoFormItems& Items, int ControlColumn);

// Appends a labelled row; the label reads Caption + ":" (nothing for an empty caption).
TQORAutoFormItem* AddItem(TQORAutoFormItems& Items, const QString& Caption, QWidget* Control);
// Appends a row without label.
TQORAutoFormItem* AddControl(TQORAutoFormItems& Items, QWidget* Control);

enum TFormBorderStyle : int32_t
{
    bsNone,
    bsSingle,
    bsSizeable,
    bsDialog,
    bsToolWindow,
    bsSizeToolWin,
};

enum TButtonLayout : int32_t
{
    blBottomRow = 1,
    blRightColumn = 2,
};

// The standard buttons Setup can create; they are always made in this order.
enum TQORFormButton : uint32_t
{
    fbOK = 0x01,
    fbCancel = 0x02,
    fbClose = 0x04,
    fbDefault = 0x08,
    fbApply = 0x10,
};
Q_DECLARE_FLAGS(TQORFormButtons, TQORFormButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(TQORFormButtons)

// How a form is set up; the defaults are those of a dialog box, so a dialog names only what
// differs: Setup({.Caption = "Driver", .MinControlWidth = 600}).
struct TQORAutoFormSetup
{
    TFormBorderStyle BorderStyle = bsDialog;
    QString Caption;
    TQORFormButtons Buttons = fbOK | fbCancel;
    TButtonLayout ButtonLayout = blBottomRow;
    int32_t MinLabelWidth = 0;
    int32_t MinControlWidth = 0;
    // The outer size of the form, frame included.
    int32_t MinFormWidth = 0;
    int32_t MinFormHeight = 0;
};

// Buttons laid out by the form, in creation order; not owned (the form's children).
using TQORAutoFormButtons = std::vector<QPointer<QAbstractButton>>;

class TQORAutoForm : public TQORValueDialog
{
    Q_OBJECT
public:
    explicit TQORAutoForm(QWidget* Owner = nullptr);
    ~TQORAutoForm() override;

    bool Execute() override;

    virtual void CreateItems() {}
    virtual void Arrange();
    virtual bool ValidateControls();
    virtual void StoreValues();
    virtual void LoadValues();
    virtual void ResetToDefaults();
    virtual void AfterApply() {}
    virtual void OKClick();
    virtual void AfterStore() {}
    virtual void CommitValue();
    virtual void Setup(const TQORAutoFormSetup& Options);

    // Validate, store, copy into ValueReference when one is set, then AfterApply.
    void ApplyClick();

    TQORAutoFormItems& Items() { return FItems; }
    TQORAutoFormButtons& Buttons() { return FButtons; }
    QPushButton* OKButton() const { return FOKButton; }
    QPushButton* CancelButton() const { return FCancelButton; }
    QPushButton* CloseButton() const { return FCloseButton; }
    QPushButton* DefaultButton() const { return FDefaultButton; }
    QPushButton* ApplyButton() const { return FApplyButton; }

    int32_t MinFormWidth = 0;
    int32_t MinFormHeight = 0;
    int32_t MinLabelWidth = 0;
    int32_t MinControlWidth = 0;
    TButtonLayout ButtonLayout = blBottomRow;
    bool FixedWidth = true;
    bool FixedHeight = true;

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Style);

    void setVisible(bool Visible) override;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;

private:
    // The width and height the window frame adds to the client area; known before the form is
    // first shown where the platform can tell.
    QSize FrameSize();
    // Sets the size limits from the needed client size and sizes the form within them; answers the
    // surplus width and the spare height the rows may take.
    QSize ApplySizeLimits(const QSize& Needed);
    void SetTabOrder(const std::vector<QAbstractButton*>& Buttons);

    QPushButton* AddStandardButton(const QString& Caption);
    void FocusFirstControl();

    TQORAutoFormItems FItems;
    TQORAutoFormButtons FButtons;
    QPointer<QPushButton> FOKButton;
    QPointer<QPushButton> FCancelButton;
    QPointer<QPushButton> FCloseButton;
    QPointer<QPushButton> FDefaultButton;
    QPointer<QPushButton> FApplyButton;
    TFormBorderStyle FBorderStyle = bsSingle;
    bool FArranging = false;
    // The frame the last arrangement counted with; a different frame later means arranging again.
    QSize FArrangedFrame;
};

// Escape in an automatic form clicks a button marked so before the form closes.
void MarkAsCancelButton(QAbstractButton* Button);

// The size a new push button gets: the style's size for its caption, at least 75 wide.
void SetDefaultButtonSize(QAbstractButton* Button);
