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

// The automatic form's layout, in pixels.
constexpr int LeftMargin = 4;         // between the side edges and the content
constexpr int TopMargin = 8;          // above the first row and a right button column
constexpr int LabelGap = 8;           // between the label column and the control column
constexpr int RowGap = 3;             // below every row
constexpr int ControlRaise = 3;       // a control sits this much above its label, so their texts line up
constexpr int ButtonGap = 8;          // between neighbouring buttons
constexpr int ButtonRowSideRoom = 30; // at least this on either side of a bottom button row
constexpr int ButtonMargin = 4;       // between the buttons and the bottom (row) or right (column) edge
constexpr int ButtonColumnGap = 8;    // between the content and a right button column
constexpr int ScreenEdgeRoom = 32;    // a form is at most the screen's width less this

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

QSize TQORAutoFormItem::NaturalControlSize()
{
    if (!Control)
        return {};
    const QSize Current = Control->size();
    if (!FPlacedSize.isValid() || Current.width() != FPlacedSize.width())
        FNaturalSize.setWidth(Current.width());
    if (!FPlacedSize.isValid() || Current.height() != FPlacedSize.height())
        FNaturalSize.setHeight(Current.height());
    return FNaturalSize;
}

void TQORAutoFormItem::PlaceControl(const QRect& Geometry)
{
    if (!Control)
        return;
    NaturalControlSize();
    Control->setGeometry(Geometry);
    FPlacedSize = Control->size();
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

void AlignCaptionColumns(const TQORAutoFormItems& Items, int ControlColumn)
{
    std::vector<ICaptionColumn*> Captioned;
    int Column = ControlColumn;
    for (int32_t I = 0; I < Items.Count(); ++I) {
        const TQORAutoFormItem* Row = Items.Row(I);
        auto* Control = dynamic_cast<ICaptionColumn*>(Row->Control.data());
        if (Row->HasLabel || !Control || !IsControlShown(Row->Control) || Control->GetCaptionWidth() == 0)
            continue;
        Captioned.push_back(Control);
        Column = std::max(Column, Control->GetCaptionWidth());
    }
    for (ICaptionColumn* Control : Captioned)
        Control->SetCaptionColumn(Column);
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

namespace {

bool IsRowShown(const TQORAutoFormItem* Row)
{
    return IsControlShown(Row->Label) || IsControlShown(Row->Control);
}

std::vector<QAbstractButton*> VisibleButtons(const TQORAutoFormButtons& Buttons)
{
    std::vector<QAbstractButton*> Result;
    for (const QPointer<QAbstractButton>& Button : Buttons)
        if (Button && IsControlShown(Button))
            Result.push_back(Button);
    return Result;
}

// The room the buttons take together: side by side in a bottom row, stacked in a right column.
QSize MeasureButtons(const std::vector<QAbstractButton*>& Buttons, TButtonLayout Layout)
{
    if (Layout != blBottomRow && Layout != blRightColumn)
        throw E_QOR_EnumerationOutOfRange();
    QSize Size(0, 0);
    for (size_t I = 0; I < Buttons.size(); ++I) {
        const int Gap = I > 0 ? ButtonGap : 0;
        if (Layout == blBottomRow)
            Size = QSize(Size.width() + Gap + Buttons[I]->width(), std::max(Size.height(), Buttons[I]->height()));
        else
            Size = QSize(std::max(Size.width(), Buttons[I]->width()), Size.height() + Gap + Buttons[I]->height());
    }
    return Size;
}

struct TRowMeasure
{
    TQORAutoFormItem* Row;
    IAutoFormControl* Control;
    int Height;
};

struct TRowsMeasure
{
    std::vector<TRowMeasure> Rows;
    bool AnyLabelled = false;
    int LabelColumn = 0;
    // The content's size without margins.
    QSize Content;
};

// Measures the visible rows.
TRowsMeasure
MeasureRows(TQORAutoFormItems& Items, const TCanvas& Canvas, int32_t MinLabelWidth, int32_t MinControlWidth)
{
    TRowsMeasure Result;
    int LabelledControlColumn = 0;
    int FullColumn = 0;
    bool AnyLabelled = false;
    int Height = 0;
    for (int32_t I = 0; I < Items.Count(); ++I) {
        TQORAutoFormItem* Row = Items.Row(I);
        if (!IsRowShown(Row))
            continue;
        IAutoFormControl* Auto = AsAutoFormControl(Row->Control);
        int ControlWidth = MinControlWidth;
        int ControlHeight = 0;
        if (Row->Control) {
            const QSize Natural = Auto ? QSize() : Row->NaturalControlSize();
            ControlWidth = std::max(MinControlWidth, Auto ? Auto->GetPreferredWidth(Canvas) : Natural.width());
            ControlHeight = Auto ? Auto->GetPreferredHeight(Canvas) : Natural.height();
        }
        const int LabelHeight = Row->HasLabel && Row->Label ? Row->Label->fontMetrics().height() : 0;
        const int RowHeight = std::max(ControlHeight, LabelHeight);
        if (Row->HasLabel) {
            AnyLabelled = true;
            const QString Text = Row->Label ? Row->Label->text() : QString();
            Result.LabelColumn = std::max(Result.LabelColumn, std::max(MinLabelWidth, Canvas.horizontalAdvance(Text)));
            LabelledControlColumn = std::max(LabelledControlColumn, ControlWidth);
        } else {
            FullColumn = std::max(FullColumn, ControlWidth);
        }
        Height += RowHeight + (Auto ? Auto->GetExtraSpacing() : 0) + RowGap;
        Result.Rows.push_back({Row, Auto, RowHeight});
    }
    const int Width =
        AnyLabelled ? std::max(FullColumn, Result.LabelColumn + LabelGap + LabelledControlColumn) : FullColumn;
    Result.Content = QSize(Width, Height);
    Result.AnyLabelled = AnyLabelled;
    return Result;
}

// The client size the content and the buttons need together. A bottom button row wider than the
// content widens the content to it.
QSize NeededClientSize(TButtonLayout Layout, QSize& Content, const QSize& Buttons)
{
    if (Layout == blBottomRow) {
        const int ContentWidth = Content.width() + 2 * LeftMargin;
        const int ButtonRowWidth = Buttons.width() + 2 * ButtonRowSideRoom;
        if (ContentWidth < ButtonRowWidth)
            Content.rwidth() += ButtonRowWidth - ContentWidth;
        const int ButtonRowHeight = Buttons.height() > 0 ? Buttons.height() + ButtonMargin : 0;
        return {std::max(ContentWidth, ButtonRowWidth), TopMargin + Content.height() + ButtonRowHeight};
    }
    const int ButtonColumnWidth = Buttons.width() > 0 ? ButtonColumnGap + Buttons.width() : 0;
    return {Content.width() + 2 * LeftMargin + ButtonColumnWidth,
            TopMargin + std::max(Content.height(), Buttons.height() + ButtonMargin)};
}

void PlaceRows(const TRowsMeasure& Measure, int ContentWidth, int SpareHeight)
{
    int Stretchable = 0;
    for (const TRowMeasure& Row : Measure.Rows)
        if (Row.Control && Row.Control->CanStretchVertically())
            ++Stretchable;
    // Each stretchable row takes an equal share of the spare height; the last one the remainder.
    const int Share = Stretchable > 0 ? SpareHeight / Stretchable : 0;
    int StretchSeen = 0;
    const int LabelledIndent = Measure.LabelColumn + LabelGap;
    int Y = TopMargin;
    for (const TRowMeasure& Measured : Measure.Rows) {
        TQORAutoFormItem* Row = Measured.Row;
        int LabelHeight = 0;
        if (Row->HasLabel && Row->Label) {
            const QFontMetrics LabelMetrics = Row->Label->fontMetrics();
            Row->Label->setGeometry(
                LeftMargin, Y, LabelMetrics.horizontalAdvance(Row->Label->text()), LabelMetrics.height());
            LabelHeight = Row->Label->height();
        }
        int ControlHeight = 0;
        if (Row->Control) {
            int Height = Measured.Height;
            if (Measured.Control && Measured.Control->CanStretchVertically())
                Height += ++StretchSeen < Stretchable ? Share : SpareHeight - (Stretchable - 1) * Share;
            const int Indent = Measured.Control ? Measured.Control->GetLeftIndent() : 0;
            const int Column = Row->HasLabel ? LabelledIndent : 0;
            Row->PlaceControl(QRect(LeftMargin + Column - Indent, Y - ControlRaise, ContentWidth - Column, Height));
            ControlHeight = Row->Control->height();
        }
        Y += std::max(LabelHeight, ControlHeight) + RowGap +
             (Measured.Control ? Measured.Control->GetExtraSpacing() : 0);
    }
}

void PlaceButtons(const std::vector<QAbstractButton*>& Buttons,
                  TButtonLayout Layout,
                  const QSize& ButtonsSize,
                  const QSize& ClientSize)
{
    if (Layout == blBottomRow) {
        int X = (ClientSize.width() - ButtonsSize.width()) / 2;
        const int Top = ClientSize.height() - ButtonMargin - ButtonsSize.height();
        for (QAbstractButton* Button : Buttons) {
            Button->move(X, Top);
            X += Button->width() + ButtonGap;
        }
        return;
    }
    const int X = ClientSize.width() - ButtonMargin - ButtonsSize.width();
    int Top = TopMargin;
    for (QAbstractButton* Button : Buttons) {
        Button->move(X, Top);
        Top += Button->height() + ButtonGap;
    }
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
    const std::vector<QAbstractButton*> Buttons = VisibleButtons(FButtons);
    const QSize ButtonsSize = MeasureButtons(Buttons, ButtonLayout);
    TRowsMeasure Measure = MeasureRows(FItems, Canvas, MinLabelWidth, MinControlWidth);
    const QSize Needed = NeededClientSize(ButtonLayout, Measure.Content, ButtonsSize);
    const QSize Room = ApplySizeLimits(Needed);
    PlaceRows(Measure, Measure.Content.width() + Room.width(), Room.height());
    AlignCaptionColumns(FItems, Measure.AnyLabelled ? Measure.LabelColumn + LabelGap : 0);
    for (const TRowMeasure& Row : Measure.Rows)
        if (Row.Control)
            Row.Control->ArrangeContents(Canvas);
    PlaceButtons(Buttons, ButtonLayout, ButtonsSize, size());
    SetTabOrder(Buttons);
}

QSize TQORAutoForm::FrameSize()
{
    if (!isWindow())
        return {};
    // Qt learns the frame from the platform window, which a form not yet shown does not have.
    if (!testAttribute(Qt::WA_WState_Created))
        create();
    const QRect Frame = frameGeometry();
    return {std::max(0, Frame.width() - width()), std::max(0, Frame.height() - height())};
}

QSize TQORAutoForm::ApplySizeLimits(const QSize& Needed)
{
    // Qt limits the client area; MinFormWidth and MinFormHeight are the outer size, frame included.
    const QSize Frame = FrameSize();
    FArrangedFrame = Frame;
    const QSize Minimum(std::max(MinFormWidth - Frame.width(), Needed.width()),
                        std::max(MinFormHeight - Frame.height(), Needed.height()));
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setMinimumSize(Minimum);
    if (FixedWidth)
        setMaximumWidth(Minimum.width());
    int Surplus = 0;
    if (width() <= Needed.width()) {
        int ScreenWidth = Needed.width() + ScreenEdgeRoom;
        if (QScreen* Screen = screen())
            ScreenWidth = Screen->availableGeometry().width();
        resize(std::min(Needed.width(), ScreenWidth - ScreenEdgeRoom), height());
    } else {
        Surplus = width() - Needed.width();
    }
    if (FixedHeight)
        setMaximumHeight(Minimum.height());
    const int Spare = FixedHeight ? 0 : std::max(0, height() - Minimum.height());
    return {Surplus, Spare};
}

// The rows' controls first, then the buttons.
void TQORAutoForm::SetTabOrder(const std::vector<QAbstractButton*>& Buttons)
{
    std::vector<QWidget*> Chain;
    CollectTabControls(FItems, Chain);
    Chain.insert(Chain.end(), Buttons.begin(), Buttons.end());
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
