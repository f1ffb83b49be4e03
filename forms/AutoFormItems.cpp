#include "forms/QORForms.h"

#include <QLabel>

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
