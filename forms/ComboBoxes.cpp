#include "forms/ComboBoxes.h"

#include "forms/ControlSizes.h"
#include "foundation/QORExceptions.h"

#include <algorithm>

TDropDownList::TDropDownList(QWidget* Owner) : QComboBox(Owner)
{
    setEditable(false);
    setMaxVisibleItems(20);
    // Qt selects the first entry added to an empty list unless the list has a placeholder text; a
    // blank one keeps the list empty-looking and unselected.
    setPlaceholderText(QStringLiteral(" "));
    SetInitialHeight(this, std::max(21, EditHeight(this)));
}

// TEnumerationComboBox

TEnumerationComboBox::TEnumerationComboBox(QWidget* Owner) : TDropDownList(Owner) {}

void TEnumerationComboBox::AddValue(const QString& Text, int32_t Value)
{
    addItem(Text, QVariant(Value));
}

int32_t TEnumerationComboBox::Value() const
{
    const int Index = currentIndex();
    return Index < 0 ? 0 : itemData(Index).toInt();
}

void TEnumerationComboBox::SetValue(int32_t Value)
{
    setCurrentIndex(-1);
    for (int I = 0; I < count(); ++I)
        if (itemData(I).toInt() == Value) {
            setCurrentIndex(I);
            return;
        }
}

void TEnumerationComboBox::StoreValue()
{
    if (Variable)
        Variable.Set(Value());
}

void TEnumerationComboBox::LoadValue()
{
    if (Variable)
        SetValue(Variable.Get());
}

void TEnumerationComboBox::SetDefault()
{
    if (UseDefault)
        SetValue(DefaultValue);
}

bool TEnumerationComboBox::Validate()
{
    if (SkipsValidation(this))
        return true;
    if (currentIndex() < 0)
        return Fail(this, QuotedName() + QStringLiteral(" not set."));
    return true;
}

int TEnumerationComboBox::GetPreferredWidth(const TCanvas&)
{
    return 200;
}

int TEnumerationComboBox::GetPreferredHeight(const TCanvas&)
{
    return height();
}

// TAutoComboBox

TAutoComboBox::TAutoComboBox(QWidget* Owner) : TDropDownList(Owner) {}

TEnumerationComboBox* CreateEnumerationComboBox(QWidget* Owner,
                                                TBinding<int32_t> Variable,
                                                const QString& ValueName,
                                                int32_t Lowest,
                                                int32_t Highest,
                                                const TEnumerationNameFunction& NameOf,
                                                bool UseDefault,
                                                int32_t DefaultValue)
{
    if (Lowest < 0 || Highest < 0)
        throw E_QOR_InvalidArg();
    auto* Control = new TEnumerationComboBox(Owner);
    try {
        for (int64_t Value = Lowest; Value <= Highest; ++Value)
            Control->AddValue(NameOf(static_cast<int32_t>(Value)), static_cast<int32_t>(Value));
    } catch (...) {
        delete Control;
        throw;
    }
    Control->ValueName = ValueName;
    Control->UseDefault = UseDefault;
    Control->DefaultValue = DefaultValue;
    Control->Variable = std::move(Variable);
    return Control;
}
