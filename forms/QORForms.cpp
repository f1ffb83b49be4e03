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

// Layout constants of the automatic form.
constexpr int LeftMargin = 4;
constexpr int TopMargin = 8;
constexpr int LabelGap = 8;
constexpr int RowGap = 3;
constexpr int ButtonGap = 8;
constexpr int ControlRaise = 3;

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

// The controls that take the focus in row order; a group box stands for its own rows.
void CollectTabControls(const TQORAutoFormItems& Items, std::vector<QWidget*>& Result);

} // namespace

// TQORForm

TQORForm::TQORForm(QWidget* Owner, TFormKind Kind) : QDialog(Owner), FKind(Kind)
{
    if (Kind == TFormKind::Window)
        setWindowFlags(Qt::Window);
}

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
    if (FKind == TFormKind::Window) {
        QWidget::keyPressEvent(Event);
        return;
    }
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

// Rows

QOR_IMPLEMENT_CLASS(TQORAutoFormItem, TQORObject, nullptr, &QORCreate<TQORAutoFormItem>)

void TQORAutoFormItem::Assign(const TQORObject* Source, bool KeepReferences)
{
    CheckAssignable(Source);
    const auto* Row = static_cast<const TQORAutoFormItem*>(Source);
    HasLabel = Row->HasLabel;
    Caption = Row->Caption;
    Label = Row->Label;
    Control = Row->Control;
}

QOR_IMPLEMENT_CLASS(TQORAutoFormItems, TQORList, nullptr, nullptr)

TQORAutoFormItems::TQORAutoFormItems(QWidget* OwnerControl)
    : TQORList(&TQORAutoFormItem::StaticClass(), true), FOwnerControl(OwnerControl)
{}

namespace {

void AdoptControl(QWidget* Owner, QWidget* Control)
{
    if (!Control || Control->parentWidget() == Owner)
        return;
    const bool ExplicitlyHidden = Control->isHidden() && Control->testAttribute(Qt::WA_WState_ExplicitShowHide);
    Control->setParent(Owner);
    if (!ExplicitlyHidden && Owner && Owner->isVisible())
        Control->show();
}

TQORAutoFormItem* AppendRow(TQORAutoFormItems& Items, TQORAutoFormItem* Row)
{
    try {
        Items.Add(Row);
    } catch (...) {
        delete Row;
        throw;
    }
    return Row;
}

} // namespace

TQORAutoFormItem* AddItem(TQORAutoFormItems& Items, const QString& Caption, QWidget* Control)
{
    QWidget* Owner = Items.OwnerControl();
    auto* Row = new TQORAutoFormItem;
    Row->HasLabel = true;
    Row->Caption = Caption;
    auto* Label = new QLabel(Owner);
    Label->setTextFormat(Qt::PlainText);
    Label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label->setText(Caption.isEmpty() ? QString() : Caption + QLatin1Char(':'));
    if (Owner && Owner->isVisible())
        Label->show();
    Row->Label = Label;
    Row->Control = Control;
    AdoptControl(Owner, Control);
    return AppendRow(Items, Row);
}

TQORAutoFormItem* AddControl(TQORAutoFormItems& Items, QWidget* Control)
{
    auto* Row = new TQORAutoFormItem;
    Row->Control = Control;
    AdoptControl(Items.OwnerControl(), Control);
    return AppendRow(Items, Row);
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

void TQORAutoForm::Setup(TFormBorderStyle Style,
                         const QString& Caption,
                         bool OK,
                         bool Cancel,
                         bool Close,
                         bool Default,
                         bool Apply,
                         TButtonLayout Layout,
                         int32_t MinLabel,
                         int32_t MinControl,
                         int32_t MinWidth,
                         int32_t MinHeight)
{
    SetBorderStyle(Style);
    setWindowTitle(Caption);
    QStyle* ButtonStyle = style();
    if (OK) {
        FOKButton = AddStandardButton(tr("OK"));
        FOKButton->setIcon(ButtonStyle->standardIcon(QStyle::SP_DialogOkButton, nullptr, FOKButton));
        SetDefaultButtonSize(FOKButton);
        FOKButton->setDefault(true);
        connect(FOKButton, &QPushButton::clicked, this, [this] { GuardedEvent([this] { OKClick(); }, this); });
    }
    if (Cancel) {
        FCancelButton = AddStandardButton(tr("Cancel"));
        FCancelButton->setIcon(ButtonStyle->standardIcon(QStyle::SP_DialogCancelButton, nullptr, FCancelButton));
        SetDefaultButtonSize(FCancelButton);
        MarkAsCancelButton(FCancelButton);
        connect(FCancelButton, &QPushButton::clicked, this, &QDialog::reject);
    }
    if (Close) {
        FCloseButton = AddStandardButton(tr("&Close"));
        FCloseButton->setIcon(ButtonStyle->standardIcon(QStyle::SP_DialogCloseButton, nullptr, FCloseButton));
        SetDefaultButtonSize(FCloseButton);
        connect(FCloseButton, &QPushButton::clicked, this, &QDialog::reject);
    }
    if (Default) {
        FDefaultButton = AddStandardButton(tr("Default"));
        connect(
            FDefaultButton, &QPushButton::clicked, this, [this] { GuardedEvent([this] { ResetToDefaults(); }, this); });
    }
    if (Apply) {
        FApplyButton = AddStandardButton(tr("Apply"));
        connect(FApplyButton, &QPushButton::clicked, this, [this] { GuardedEvent([this] { ApplyClick(); }, this); });
    }
    ButtonLayout = Layout;
    MinLabelWidth = MinLabel;
    MinControlWidth = MinControl;
    MinFormWidth = MinWidth;
    MinFormHeight = MinHeight;
    FixedWidth = FixedHeight = Style != bsSizeable;
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

namespace {

struct TRowMeasure
{
    TQORAutoFormItem* Row;
    IAutoFormControl* Control;
    int Height;
};

bool IsRowShown(const TQORAutoFormItem* Row)
{
    return IsControlShown(Row->Label) || IsControlShown(Row->Control);
}

} // namespace

void TQORAutoForm::Arrange()
{
    if (FArranging)
        return;
    FArranging = true;
    struct TClearFlag
    {
        bool& Flag;
        ~TClearFlag() { Flag = false; }
    } ClearFlag{FArranging};

    const TCanvas Canvas = fontMetrics();

    // Buttons.
    std::vector<QAbstractButton*> VisibleButtons;
    for (const QPointer<QAbstractButton>& Button : FButtons)
        if (Button && IsControlShown(Button))
            VisibleButtons.push_back(Button);
    int ButtonsWidth = 0;
    int ButtonsHeight = 0;
    switch (ButtonLayout) {
    case blBottomRow:
        for (size_t I = 0; I < VisibleButtons.size(); ++I) {
            ButtonsWidth += VisibleButtons[I]->width() + (I > 0 ? ButtonGap : 0);
            ButtonsHeight = std::max(ButtonsHeight, VisibleButtons[I]->height());
        }
        break;
    case blRightColumn:
        for (size_t I = 0; I < VisibleButtons.size(); ++I) {
            ButtonsWidth = std::max(ButtonsWidth, VisibleButtons[I]->width());
            ButtonsHeight += VisibleButtons[I]->height() + (I > 0 ? ButtonGap : 0);
        }
        break;
    default:
        throw E_QOR_EnumerationOutOfRange();
    }

    // Rows.
    std::vector<TRowMeasure> Rows;
    int LabelColumn = 0;
    int LabelledControlColumn = 0;
    int FullColumn = 0;
    bool AnyLabelled = false;
    int ContentHeight = 0;
    for (int32_t I = 0; I < FItems.Count(); ++I) {
        TQORAutoFormItem* Row = FItems.Row(I);
        if (!IsRowShown(Row))
            continue;
        QWidget* Control = Row->Control;
        IAutoFormControl* Auto = AsAutoFormControl(Control);
        int ControlWidth = 0;
        int ControlHeight = 0;
        if (Control) {
            ControlWidth = std::max(MinControlWidth, Auto ? Auto->GetPreferredWidth(Canvas) : Control->width());
            ControlHeight = Auto ? Auto->GetPreferredHeight(Canvas) : Control->height();
        } else {
            ControlWidth = std::max(MinControlWidth, 0);
        }
        const int LabelHeight = Row->HasLabel && Row->Label ? Row->Label->fontMetrics().height() : 0;
        const int RowHeight = std::max(ControlHeight, LabelHeight);
        if (Row->HasLabel) {
            AnyLabelled = true;
            const QString Text = Row->Label ? Row->Label->text() : QString();
            LabelColumn = std::max(LabelColumn, std::max(MinLabelWidth, Canvas.horizontalAdvance(Text)));
            LabelledControlColumn = std::max(LabelledControlColumn, ControlWidth);
        } else {
            FullColumn = std::max(FullColumn, ControlWidth);
        }
        ContentHeight += RowHeight + (Auto ? Auto->GetExtraSpacing() : 0) + RowGap;
        Rows.push_back({Row, Auto, RowHeight});
    }
    int ContentWidth = FullColumn;
    if (AnyLabelled)
        ContentWidth = std::max(ContentWidth, LabelColumn + LabelGap + LabelledControlColumn);

    // Needed client size.
    int NeededWidth = 0;
    int NeededHeight = 0;
    if (ButtonLayout == blBottomRow) {
        const int A = ContentWidth + 8;
        const int B = ButtonsWidth + 60;
        NeededWidth = std::max(A, B);
        NeededHeight = ContentHeight + 8 + (ButtonsHeight > 0 ? ButtonsHeight + 4 : 0);
        if (A < B)
            ContentWidth += B - A;
    } else {
        NeededWidth = ContentWidth + 8 + (ButtonsWidth > 0 ? 8 + ButtonsWidth : 0);
        NeededHeight = std::max(ContentHeight + 8, ButtonsHeight + 12);
    }

    // Constraints. Qt constrains the client area; the frame counts towards the form minima only.
    const QRect Frame = frameGeometry();
    const int FrameWidth = std::max(0, Frame.width() - width());
    const int FrameHeight = std::max(0, Frame.height() - height());
    const int MinWidth = std::max(MinFormWidth, FrameWidth + NeededWidth);
    const int MinHeight = std::max(MinFormHeight, FrameHeight + NeededHeight);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setMinimumSize(MinWidth - FrameWidth, MinHeight - FrameHeight);
    if (FixedWidth)
        setMaximumWidth(MinWidth - FrameWidth);

    if (width() <= NeededWidth) {
        int ScreenWidth = NeededWidth + 32;
        if (QScreen* Screen = screen())
            ScreenWidth = Screen->availableGeometry().width();
        resize(std::min(NeededWidth, ScreenWidth - 32), height());
    } else {
        ContentWidth += width() - NeededWidth;
    }

    if (FixedHeight)
        setMaximumHeight(MinHeight - FrameHeight);

    const int Spare = FixedHeight ? 0 : std::max(0, height() + FrameHeight - MinHeight);

    // Rows.
    int Stretchable = 0;
    for (const TRowMeasure& Measure : Rows)
        if (Measure.Control && Measure.Row->Control && Measure.Control->CanStretchVertically())
            ++Stretchable;
    int StretchSeen = 0;
    int Y = TopMargin;
    for (const TRowMeasure& Measure : Rows) {
        TQORAutoFormItem* Row = Measure.Row;
        QWidget* Control = Row->Control;
        const int Indent = Measure.Control ? Measure.Control->GetLeftIndent() : 0;
        int LabelHeight = 0;
        if (Row->HasLabel && Row->Label) {
            const QFontMetrics LabelMetrics = Row->Label->fontMetrics();
            Row->Label->setGeometry(
                LeftMargin, Y, LabelMetrics.horizontalAdvance(Row->Label->text()), LabelMetrics.height());
            LabelHeight = Row->Label->height();
        }
        int ControlHeight = 0;
        if (Control) {
            int Height = Measure.Height;
            if (Measure.Control && Measure.Control->CanStretchVertically() && Stretchable > 0) {
                ++StretchSeen;
                const int Share = Spare / Stretchable;
                Height += StretchSeen < Stretchable ? Share : Spare - (Stretchable - 1) * Share;
            }
            if (Row->HasLabel)
                Control->setGeometry(LeftMargin + LabelColumn + LabelGap - Indent,
                                     Y - ControlRaise,
                                     ContentWidth - (LabelColumn + LabelGap),
                                     Height);
            else
                Control->setGeometry(LeftMargin - Indent, Y - ControlRaise, ContentWidth, Height);
            ControlHeight = Control->height();
        }
        Y += std::max(LabelHeight, ControlHeight) + RowGap + (Measure.Control ? Measure.Control->GetExtraSpacing() : 0);
    }

    for (const TRowMeasure& Measure : Rows)
        if (Measure.Control)
            Measure.Control->ArrangeContents(Canvas);

    // Buttons.
    if (ButtonLayout == blBottomRow) {
        int X = (width() - ButtonsWidth) / 2;
        const int Top = height() - 4 - ButtonsHeight;
        for (QAbstractButton* Button : VisibleButtons) {
            Button->move(X, Top);
            X += Button->width() + ButtonGap;
        }
    } else {
        const int X = width() - 4 - ButtonsWidth;
        int Top = TopMargin;
        for (QAbstractButton* Button : VisibleButtons) {
            Button->move(X, Top);
            Top += Button->height() + ButtonGap;
        }
    }

    // Tab order: the rows' controls, then the buttons.
    std::vector<QWidget*> Chain;
    CollectTabControls(FItems, Chain);
    for (QAbstractButton* Button : VisibleButtons)
        Chain.push_back(Button);
    for (size_t I = 1; I < Chain.size(); ++I)
        QWidget::setTabOrder(Chain[I - 1], Chain[I]);
}

namespace {

void CollectTabControls(const TQORAutoFormItems& Items, std::vector<QWidget*>& Result)
{
    for (int32_t I = 0; I < Items.Count(); ++I) {
        QWidget* Control = Items.Row(I)->Control;
        if (!Control || qobject_cast<QLabel*>(Control))
            continue;
        if (auto* Container = dynamic_cast<ITabOrderContainer*>(Control)) {
            CollectTabControls(Container->ContainedItems(), Result);
            continue;
        }
        Result.push_back(Control);
    }
}

} // namespace

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
