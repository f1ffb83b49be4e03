#include "forms/GroupBox.h"

#include <QLabel>

#include <algorithm>
#include <vector>

// TContainerGroupBox

namespace {

constexpr int GroupGap = 8;
constexpr int GroupRowGap = 3;
constexpr int GroupInset = 7;
constexpr int ControlRaise = 3;

} // namespace

TContainerGroupBox::TContainerGroupBox(QWidget* Owner) : QGroupBox(Owner), FItems(this) {}

int TContainerGroupBox::CaptionBand() const
{
    return title().isEmpty() ? 18 : 20;
}

TContainerGroupBox::TContents TContainerGroupBox::Measure(const TCanvas& Canvas)
{
    TContents Contents;
    int WidestUnlabelled = 0;
    for (int32_t I = 0; I < FItems.Count(); ++I) {
        TQORAutoFormItem* Row = FItems.Row(I);
        if (!IsControlShown(Row->Label) && !IsControlShown(Row->Control))
            continue;
        IAutoFormControl* Auto = AsAutoFormControl(Row->Control);
        int ControlWidth = MinControlWidth;
        int ControlHeight = 0;
        if (Row->Control) {
            const QSize Natural = Auto ? QSize() : Row->NaturalControlSize();
            ControlWidth = std::max(MinControlWidth, Auto ? Auto->GetPreferredWidth(Canvas) : Natural.width());
            ControlHeight = Auto ? Auto->GetPreferredHeight(Canvas) : Natural.height();
        }
        int LabelHeight = 0;
        if (Row->HasLabel) {
            const int LabelWidth =
                std::max(MinLabelWidth, Canvas.horizontalAdvance(Row->Label ? Row->Label->text() : QString()));
            Contents.LabelColumn = std::max(Contents.LabelColumn, LabelWidth);
            Contents.AnyLabelled = true;
            Contents.Width = std::max(Contents.Width, LabelWidth + GroupGap + ControlWidth);
            LabelHeight = Row->Label ? Row->Label->fontMetrics().height() : 0;
        } else {
            WidestUnlabelled = std::max(WidestUnlabelled, ControlWidth);
            Contents.Width = std::max(Contents.Width, WidestUnlabelled);
        }
        Contents.Height += std::max(ControlHeight, LabelHeight) + (Auto ? Auto->GetExtraSpacing() : 0) + GroupRowGap;
    }
    return Contents;
}

int TContainerGroupBox::GetPreferredWidth(const TCanvas& Canvas)
{
    return Measure(Canvas).Width + 2 * GroupInset;
}

int TContainerGroupBox::GetPreferredHeight(const TCanvas& Canvas)
{
    return Measure(Canvas).Height + CaptionBand() + 4;
}

void TContainerGroupBox::ArrangeContents(const TCanvas& Canvas)
{
    const TContents Contents = Measure(Canvas);
    int Y = CaptionBand();
    std::vector<QWidget*> Chain;
    for (int32_t I = 0; I < FItems.Count(); ++I) {
        TQORAutoFormItem* Row = FItems.Row(I);
        if (!IsControlShown(Row->Label) && !IsControlShown(Row->Control))
            continue;
        QWidget* Control = Row->Control;
        IAutoFormControl* Auto = AsAutoFormControl(Control);
        const int Indent = Auto ? Auto->GetLeftIndent() : 0;
        int RowHeight = 0;
        if (Control)
            RowHeight = Auto ? Auto->GetPreferredHeight(Canvas) : Row->NaturalControlSize().height();
        int LabelHeight = 0;
        if (Row->HasLabel && Row->Label) {
            const QFontMetrics Metrics = Row->Label->fontMetrics();
            Row->Label->setGeometry(GroupInset, Y, Metrics.horizontalAdvance(Row->Label->text()), Metrics.height());
            LabelHeight = Row->Label->height();
        }
        RowHeight = std::max(RowHeight, LabelHeight);
        int ControlHeight = 0;
        if (Control) {
            const int X = (Row->HasLabel ? GroupInset + Contents.LabelColumn + GroupGap : GroupInset) - Indent;
            Row->PlaceControl(QRect(X, Y - ControlRaise, width() - GroupInset - X, RowHeight));
            ControlHeight = Control->height();
            if (!qobject_cast<QLabel*>(Control))
                Chain.push_back(Control);
        }
        Y += std::max(LabelHeight, ControlHeight) + GroupRowGap + (Auto ? Auto->GetExtraSpacing() : 0);
    }
    for (size_t I = 1; I < Chain.size(); ++I)
        QWidget::setTabOrder(Chain[I - 1], Chain[I]);
    AlignCaptionColumns(FItems, Contents.AnyLabelled ? Contents.LabelColumn + GroupGap : 0);
    for (int32_t I = 0; I < FItems.Count(); ++I) {
        TQORAutoFormItem* Row = FItems.Row(I);
        if (IAutoFormControl* Auto = AsAutoFormControl(Row->Control))
            if (IsControlShown(Row->Label) || IsControlShown(Row->Control))
                Auto->ArrangeContents(Canvas);
    }
}

void TContainerGroupBox::StoreValue()
{
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            Control->StoreValue();
}

void TContainerGroupBox::LoadValue()
{
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            Control->LoadValue();
}

void TContainerGroupBox::SetDefault()
{
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            Control->SetDefault();
}

void TContainerGroupBox::UndoDefault()
{
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            Control->UndoDefault();
}

bool TContainerGroupBox::Validate()
{
    const QWidget* Parent = parentWidget();
    if (!IsControlShown(this) || !(Parent ? isEnabledTo(Parent) : isEnabled()))
        return true;
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            if (!Control->Validate())
                return false;
    return true;
}

TContainerGroupBox*
CreateContainerGroupBox(QWidget* Owner, const QString& GroupCaption, int32_t MinLabelWidth, int32_t MinControlWidth)
{
    auto* Control = new TContainerGroupBox(Owner);
    Control->setTitle(GroupCaption);
    Control->MinLabelWidth = MinLabelWidth;
    Control->MinControlWidth = MinControlWidth;
    return Control;
}

TContainerGroupBox* AddGroup(TQORAutoFormItems& Items,
                             QWidget* Owner,
                             const QString& GroupCaption,
                             int32_t MinLabelWidth,
                             int32_t MinControlWidth)
{
    TContainerGroupBox* Group = CreateContainerGroupBox(Owner, GroupCaption, MinLabelWidth, MinControlWidth);
    AddControl(Items, Group);
    return Group;
}

TContainerGroupBox* AddGroupItem(TQORAutoFormItems& Items,
                                 QWidget* Owner,
                                 const QString& RowCaption,
                                 const QString& GroupCaption,
                                 int32_t MinLabelWidth,
                                 int32_t MinControlWidth)
{
    TContainerGroupBox* Group = CreateContainerGroupBox(Owner, GroupCaption, MinLabelWidth, MinControlWidth);
    AddItem(Items, RowCaption, Group);
    return Group;
}
