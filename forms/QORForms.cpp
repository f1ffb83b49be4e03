#include "forms/QORForms.h"

#include "forms/QORApplication.h"
#include "foundation/QORExceptions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace {

// Marks a button that Escape clicks before the form closes.
constexpr const char* CancelProperty = "QORCancel";

template <class TList, class THandler>
void Register(TList& List, const void* Owner, bool& Registered, const THandler& Handler)
{
    if (Registered) {
        List.RemoveOwner(Owner);
        Registered = false;
    }
    if (Handler) {
        List.Add(Owner, Handler);
        Registered = true;
    }
}

template <class TList> void Unregister(TList& List, const void* Owner, const auto& Handler)
{
    if (!Handler)
        return;
    try {
        List.RemoveOwner(Owner);
    } catch (...) {
        // Someone else already removed the entry; nothing is left to undo.
    }
}

} // namespace

// TQORForm

TQORForm::TQORForm(QWidget* Owner) : QDialog(Owner) {}

TQORForm::~TQORForm()
{
    Unregister(ApplicationEvents().OnException(), this, FOnException);
    Unregister(ApplicationEvents().OnActivate(), this, FOnActivate);
    Unregister(ApplicationEvents().OnDeactivate(), this, FOnDeactivate);
    Unregister(ApplicationEvents().OnIdle(), this, FOnIdle);
}

void TQORForm::SetOnException(TExceptionHandler Handler)
{
    bool Registered = static_cast<bool>(FOnException);
    Register(ApplicationEvents().OnException(), this, Registered, Handler);
    FOnException = std::move(Handler);
}

void TQORForm::SetOnActivate(TNotifyHandler Handler)
{
    bool Registered = static_cast<bool>(FOnActivate);
    Register(ApplicationEvents().OnActivate(), this, Registered, Handler);
    FOnActivate = std::move(Handler);
}

void TQORForm::SetOnDeactivate(TNotifyHandler Handler)
{
    bool Registered = static_cast<bool>(FOnDeactivate);
    Register(ApplicationEvents().OnDeactivate(), this, Registered, Handler);
    FOnDeactivate = std::move(Handler);
}

void TQORForm::SetOnIdle(TIdleHandler Handler)
{
    bool Registered = static_cast<bool>(FOnIdle);
    Register(ApplicationEvents().OnIdle(), this, Registered, Handler);
    FOnIdle = std::move(Handler);
}

void TQORForm::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Escape && Event->modifiers() == Qt::NoModifier) {
        QWidget::keyPressEvent(Event);
        return;
    }
    QDialog::keyPressEvent(Event);
}

// TQORValueDialog

TQORValueDialog::~TQORValueDialog()
{
    ReleaseValue();
}

void TQORValueDialog::ReleaseValue()
{
    TQORObject* Old = FValue;
    const bool Owned = FOwnsValue;
    FValue = nullptr;
    FOwnsValue = false;
    if (Owned)
        delete Old;
}

void TQORValueDialog::SetValue(TQORObject* Value, bool Owned)
{
    if (Value == FValue) {
        FOwnsValue = Owned; // the same object stays; only who frees it changes
        return;
    }
    ReleaseValue();
    FValue = Value;
    FOwnsValue = Owned;
}

void TQORValueDialog::SetValueReference(TQORObject* Reference)
{
    FValueReference = Reference;
}

TQORValueDialog::TPin::TPin(const TQORValueDialog& Dialog)
{
    if (Dialog.FValue && !Dialog.FOwnsValue)
        FObjects[0] = Dialog.FValue;
    FObjects[1] = Dialog.FValueReference;
    for (const TQORObject* Object : FObjects)
        if (Object)
            Object->AddReference();
}

TQORValueDialog::TPin::~TPin()
{
    for (const TQORObject* Object : FObjects)
        if (Object)
            Object->ReleaseReference();
}

void MarkAsCancelButton(QAbstractButton* Button)
{
    Button->setProperty(CancelProperty, true);
}

void SetDefaultButtonSize(QAbstractButton* Button)
{
    const QSize Hint = Button->sizeHint();
    Button->resize(std::max(75, Hint.width()), Hint.height());
}

// TQORAutoForm

TQORAutoForm::TQORAutoForm(QWidget* Owner) : TQORValueDialog(Owner), FItems(this)
{
    setSizeGripEnabled(false);
    SetBorderStyle(bsSingle);
    resize(320, 240);
}

TQORAutoForm::~TQORAutoForm() = default;

void TQORAutoForm::SetBorderStyle(TFormBorderStyle Style)
{
    FBorderStyle = Style;
    Qt::WindowFlags Flags = Qt::Dialog | Qt::CustomizeWindowHint;
    switch (Style) {
    case bsNone:
        Flags |= Qt::FramelessWindowHint;
        break;
    case bsToolWindow:
    case bsSizeToolWin:
        Flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    case bsSingle:
        Flags |=
            Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint;
        break;
    case bsSizeable:
        Flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
        break;
    case bsDialog:
        Flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        break;
    }
    setWindowFlags(Flags);
}

QPushButton* TQORAutoForm::AddStandardButton(const QString& Caption)
{
    auto* Button = new QPushButton(Caption, this);
    SetDefaultButtonSize(Button);
    FButtons.emplace_back(Button);
    return Button;
}

void TQORAutoForm::Setup(const TQORAutoFormSetup& Options)
{
    SetBorderStyle(Options.BorderStyle);
    setWindowTitle(Options.Caption);
    QStyle* ButtonStyle = style();
    if (Options.Buttons & fbOK) {
        FOKButton = AddStandardButton(tr("OK"));
        FOKButton->setIcon(ButtonStyle->standardIcon(QStyle::SP_DialogOkButton, nullptr, FOKButton));
        SetDefaultButtonSize(FOKButton);
        FOKButton->setDefault(true);
        connect(FOKButton, &QPushButton::clicked, this, [this] { GuardedEvent([this] { OKClick(); }, this); });
    }
    if (Options.Buttons & fbCancel) {
        FCancelButton = AddStandardButton(tr("Cancel"));
        FCancelButton->setIcon(ButtonStyle->standardIcon(QStyle::SP_DialogCancelButton, nullptr, FCancelButton));
        SetDefaultButtonSize(FCancelButton);
        MarkAsCancelButton(FCancelButton);
        connect(FCancelButton, &QPushButton::clicked, this, &QDialog::reject);
    }
    if (Options.Buttons & fbClose) {
        FCloseButton = AddStandardButton(tr("&Close"));
        FCloseButton->setIcon(ButtonStyle->standardIcon(QStyle::SP_DialogCloseButton, nullptr, FCloseButton));
        SetDefaultButtonSize(FCloseButton);
        connect(FCloseButton, &QPushButton::clicked, this, &QDialog::reject);
    }
    if (Options.Buttons & fbDefault) {
        FDefaultButton = AddStandardButton(tr("Default"));
        connect(
            FDefaultButton, &QPushButton::clicked, this, [this] { GuardedEvent([this] { ResetToDefaults(); }, this); });
    }
    if (Options.Buttons & fbApply) {
        FApplyButton = AddStandardButton(tr("Apply"));
        connect(FApplyButton, &QPushButton::clicked, this, [this] { GuardedEvent([this] { ApplyClick(); }, this); });
    }
    ButtonLayout = Options.ButtonLayout;
    MinLabelWidth = Options.MinLabelWidth;
    MinControlWidth = Options.MinControlWidth;
    MinFormWidth = Options.MinFormWidth;
    MinFormHeight = Options.MinFormHeight;
    FixedWidth = FixedHeight = Options.BorderStyle != bsSizeable;
}

bool TQORAutoForm::Execute()
{
    const TPin Pin(*this);
    TQORObject* Working = Value();
    TQORObject* Reference = ValueReference();
    if (Working && Reference) {
        if (&Working->Class() != &Reference->Class())
            throw E_QOR(QStringLiteral(
                "Unable to assign 'ValueReference' to 'Value' object as objects are of different types."));
        Working->Assign(Reference, true);
    }
    CreateItems();
    LoadValues();
    Arrange();
    if (exec() != QDialog::Accepted)
        return false;
    StoreValues();
    AfterStore();
    CommitValue();
    if (QWidget* Owner = parentWidget())
        Owner->update();
    return true;
}

void TQORAutoForm::CommitValue()
{
    if (Value() && ValueReference())
        ValueReference()->Assign(Value(), true);
}

void TQORAutoForm::OKClick()
{
    setResult(QDialog::Rejected);
    if (ValidateControls())
        accept();
}

void TQORAutoForm::ApplyClick()
{
    const TPin Pin(*this);
    if (!ValidateControls())
        return;
    StoreValues();
    if (Value() && ValueReference())
        ValueReference()->Assign(Value(), true);
    AfterApply();
}

bool TQORAutoForm::ValidateControls()
{
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            if (!Control->Validate())
                return false;
    return true;
}

void TQORAutoForm::StoreValues()
{
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            Control->StoreValue();
}

void TQORAutoForm::LoadValues()
{
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            Control->LoadValue();
}

void TQORAutoForm::ResetToDefaults()
{
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            Control->SetDefault();
}

void TQORAutoForm::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Escape && Event->modifiers() == Qt::NoModifier) {
        Event->accept();
        GuardedEvent(
            [this] {
                for (const QPointer<QAbstractButton>& Button : FButtons)
                    if (Button && Button != FCancelButton && Button->property(CancelProperty).toBool() &&
                        IsControlShown(Button) && Button->isEnabled()) {
                        Button->click();
                        break;
                    }
                reject();
            },
            this);
        return;
    }
    TQORForm::keyPressEvent(Event);
}

void TQORAutoForm::resizeEvent(QResizeEvent* Event)
{
    TQORValueDialog::resizeEvent(Event);
    GuardedEvent([this] { Arrange(); }, this);
}

// A window manager may tell the frame only once the form is on screen; the minima count with it.
void TQORAutoForm::moveEvent(QMoveEvent* Event)
{
    TQORValueDialog::moveEvent(Event);
    GuardedEvent(
        [this] {
            if (isVisible() && FrameSize() != FArrangedFrame)
                Arrange();
        },
        this);
}

void TQORAutoForm::setVisible(bool Visible)
{
    if (Visible && !isVisible()) {
        if (QScreen* Screen = screen()) {
            const QRect Available = Screen->availableGeometry();
            move(Available.center() - QPoint(width() / 2, height() / 2));
        }
        FocusFirstControl();
    }
    TQORValueDialog::setVisible(Visible);
}

// A form opens with the focus on the first control of its tab order, not on whichever widget was
// created first (the buttons, which Setup makes before any row).
void TQORAutoForm::FocusFirstControl()
{
    QWidget* Current = focusWidget();
    if (Current && Current != this && IsControlShown(Current) && Current->isEnabled())
        return;
    std::vector<QWidget*> Chain;
    CollectTabControls(FItems, Chain);
    for (const QPointer<QAbstractButton>& Button : FButtons)
        if (Button)
            Chain.push_back(Button);
    for (QWidget* Control : Chain) {
        if (!(Control->focusPolicy() & Qt::TabFocus) || !Control->isEnabled())
            continue;
        bool Shown = true;
        for (const QWidget* Widget = Control; Widget && Widget != this; Widget = Widget->parentWidget())
            Shown = Shown && !Widget->isHidden();
        if (Shown) {
            Control->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}
