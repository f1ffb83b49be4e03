#pragma once

// The drop-down lists: one bound to an enumeration field, and one its dialog fills and reads itself.

#include "forms/BoundControl.h"

#include <QComboBox>
#include <QString>

#include <cstdint>
#include <functional>

// A drop-down list that stays without selection when it is filled: a list the user has not chosen
// from must not look chosen.
class TDropDownList : public QComboBox
{
    Q_OBJECT
public:
    explicit TDropDownList(QWidget* Owner = nullptr);
};

using TEnumerationNameFunction = std::function<QString(int32_t Value)>;

class TEnumerationComboBox : public TDropDownList, public TBoundControl
{
    Q_OBJECT
public:
    explicit TEnumerationComboBox(QWidget* Owner = nullptr);

    int32_t DefaultValue = 0;
    TBinding<int32_t> Variable;

    // Adds an entry carrying Value.
    void AddValue(const QString& Text, int32_t Value);
    // The value of the selected entry; 0 with nothing selected.
    int32_t Value() const;
    // Selects the first entry carrying Value; nothing when no entry has it.
    void SetValue(int32_t Value);

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override;
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override;
};

// A drop-down list whose owning dialog fills it and reads the selection itself.
class TAutoComboBox : public TDropDownList, public IAutoFormControl
{
    Q_OBJECT
public:
    explicit TAutoComboBox(QWidget* Owner = nullptr);

    int ComboWidth = 0;

    void StoreValue() override {}
    void LoadValue() override {}
    void SetDefault() override {}
    void UndoDefault() override {}
    bool Validate() override { return true; }
    int GetPreferredWidth(const TCanvas& Canvas) override { return ComboWidth; }
    int GetPreferredHeight(const TCanvas& Canvas) override { return height(); }
    bool CanStretchVertically() override { return false; }
    int GetLeftIndent() override { return 0; }
    int GetExtraSpacing() override { return 0; }
    void ArrangeContents(const TCanvas&) override {}
};

// Creation operations: each creates the control with the given owner, applies the settings, binds
// the variable and returns the control; the caller adds it to a form with AddItem or AddControl.

// Fills the list with NameOf(Value) for every value from Lowest to Highest; a negative value raises
// E_QOR_InvalidArg.
TEnumerationComboBox* CreateEnumerationComboBox(QWidget* Owner,
                                                TBinding<int32_t> Variable,
                                                const QString& ValueName,
                                                int32_t Lowest,
                                                int32_t Highest,
                                                const TEnumerationNameFunction& NameOf,
                                                bool UseDefault = false,
                                                int32_t DefaultValue = 0);

template <class E>
requires std::is_enum_v<E> TEnumerationComboBox* CreateEnumerationComboBox(QWidget* Owner,
                                                                           E* Variable,
                                                                           const QString& ValueName,
                                                                           int32_t Lowest,
                                                                           int32_t Highest,
                                                                           const TEnumerationNameFunction& NameOf,
                                                                           bool UseDefault = false,
                                                                           int32_t DefaultValue = 0)
{
    return CreateEnumerationComboBox(
        Owner, EnumBinding(Variable), ValueName, Lowest, Highest, NameOf, UseDefault, DefaultValue);
}
