// The automatic form's layout: rows in a label column and a control column, the buttons in a bottom
// row or a right column, the form sized to fit them.

#include "forms/QORForms.h"
#include "foundation/QORExceptions.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScreen>

#include <algorithm>
#include <vector>

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
