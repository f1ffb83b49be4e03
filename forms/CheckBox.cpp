#include "forms/CheckBox.h"

#include "forms/ControlSizes.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace {

// Gap between a left-justified caption and its box.
constexpr int CaptionGap = 6;

} // namespace

// TBooleanCheckBox

TBooleanCheckBox::TBooleanCheckBox(QWidget* Owner) : QCheckBox(Owner)
{
    SetInitialHeight(this, 18);
}

void TBooleanCheckBox::SetAllowBlank(bool Allow)
{
    AllowBlank = Allow;
    setTristate(Allow);
}

void TBooleanCheckBox::SetAlignment(TAlignment Alignment)
{
    FAlignment = Alignment;
    update();
}

void TBooleanCheckBox::StoreValue()
{
    if (!Variable)
        return;
    if (AllowBlank && checkState() == Qt::PartiallyChecked)
        return;
    Variable.Set(isChecked());
}

void TBooleanCheckBox::LoadValue()
{
    if (Variable)
        setChecked(Variable.Get());
}

void TBooleanCheckBox::SetDefault()
{
    if (UseDefault)
        setChecked(DefaultValue);
}

bool TBooleanCheckBox::Validate()
{
    if (SkipsValidation(this))
        return true;
    if (checkState() == Qt::PartiallyChecked && !AllowBlank)
        return Fail(this, InvalidText());
    return true;
}

int TBooleanCheckBox::GetPreferredWidth(const TCanvas& Canvas)
{
    return Canvas.horizontalAdvance(text()) + 100;
}

QRect TBooleanCheckBox::IndicatorRect() const
{
    QStyleOptionButton Option;
    initStyleOption(&Option);
    QRect Indicator = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &Option, this);
    if (const int Offset = CaptionOffset(); Offset > 0)
        Indicator.moveLeft(std::max(Offset, FCaptionColumn));
    return Indicator;
}

int TBooleanCheckBox::GetCaptionWidth()
{
    return CaptionOffset();
}

int TBooleanCheckBox::CaptionOffset() const
{
    if (FAlignment != taLeftJustify || text().isEmpty())
        return 0;
    return CaptionRect().width() + CaptionGap;
}

void TBooleanCheckBox::SetCaptionColumn(int Offset)
{
    if (Offset == FCaptionColumn)
        return;
    FCaptionColumn = Offset;
    update();
}

QRect TBooleanCheckBox::CaptionRect() const
{
    const QString Shown = QString(text()).remove(QLatin1Char('&'));
    return QRect(0, 0, fontMetrics().horizontalAdvance(Shown), height());
}

void TBooleanCheckBox::paintEvent(QPaintEvent* Event)
{
    if (FAlignment != taLeftJustify || text().isEmpty()) {
        QCheckBox::paintEvent(Event);
        if (hasFocus() && text().isEmpty()) {
            // Without a caption there is nothing else to show the focus on.
            QStylePainter Painter(this);
            QStyleOptionFocusRect Focus;
            Focus.initFrom(this);
            Focus.rect = rect().adjusted(0, 0, -1, -1);
            Painter.drawPrimitive(QStyle::PE_FrameFocusRect, Focus);
        }
        return;
    }
    QStylePainter Painter(this);
    QStyleOptionButton Option;
    initStyleOption(&Option);
    const QRect Caption = CaptionRect();
    Painter.drawItemText(Caption,
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                         Option.palette,
                         isEnabled(),
                         text(),
                         QPalette::WindowText);
    QStyleOptionButton Box = Option;
    Box.rect = IndicatorRect();
    Painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, Box);
    if (hasFocus()) {
        QStyleOptionFocusRect Focus;
        Focus.initFrom(this);
        Focus.rect = Caption.adjusted(-1, (height() - fontMetrics().height()) / 2 - 1, 1, 0);
        Focus.rect.setHeight(fontMetrics().height() + 2);
        Painter.drawPrimitive(QStyle::PE_FrameFocusRect, Focus);
    }
}

bool TBooleanCheckBox::hitButton(const QPoint& Position) const
{
    if (FAlignment != taLeftJustify || text().isEmpty())
        return QCheckBox::hitButton(Position);
    return CaptionRect().united(IndicatorRect()).contains(Position);
}

TBooleanCheckBox* CreateBooleanCheckBox(QWidget* Owner,
                                        const QString& Caption,
                                        TBinding<bool> Variable,
                                        const QString& ValueName,
                                        TAlignment Alignment,
                                        bool UseDefault,
                                        bool DefaultValue,
                                        int Height)
{
    auto* Control = new TBooleanCheckBox(Owner);
    Control->SetAlignment(Alignment);
    Control->SetCaption(Alignment == taLeftJustify && !Caption.isEmpty() ? Caption + QLatin1Char(':') : Caption);
    Control->ValueName = ValueName;
    Control->UseDefault = UseDefault;
    Control->DefaultValue = DefaultValue;
    Control->SetAllowBlank(false);
    Control->resize(Control->width(), Height);
    Control->Variable = std::move(Variable);
    return Control;
}
