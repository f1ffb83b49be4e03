#pragma once

// What the value controls share: the binding to the variable they edit, and the name and default
// handling of a bound control. Each control reports its own validation failures in words built
// from ValueName.

#include "forms/AutoFormControl.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <type_traits>

// Where a control reads and writes its value: a variable, or a getter and setter pair for fields
// that are not plain variables. Unbound until given one.
template <class T> class TBinding
{
public:
    TBinding() = default;
    TBinding(T* Variable)
    {
        if (Variable) {
            FGet = [Variable] { return *Variable; };
            FSet = [Variable](const T& Value) { *Variable = Value; };
        }
    }
    TBinding(std::function<T()> Get, std::function<void(const T&)> Set) : FGet(std::move(Get)), FSet(std::move(Set)) {}

    explicit operator bool() const { return FGet && FSet; }
    T Get() const { return FGet(); }
    void Set(const T& Value) const { FSet(Value); }

private:
    std::function<T()> FGet;
    std::function<void(const T&)> FSet;
};

// An enumeration field seen as its 32-bit value.
template <class E> TBinding<int32_t> EnumBinding(E* Variable)
{
    static_assert(std::is_enum_v<E> || std::is_integral_v<E>);
    if (!Variable)
        return {};
    return TBinding<int32_t>([Variable] { return static_cast<int32_t>(*Variable); },
                             [Variable](const int32_t& Value) { *Variable = static_cast<E>(Value); });
}

enum TScrollStyle : int32_t
{
    ssNone,
    ssHorizontal,
    ssVertical,
    ssBoth,
};

enum TAlignment : int32_t
{
    taLeftJustify,
    taRightJustify,
    taCenter,
};

// What every bound control shares: the name used in messages and the default handling.
class TBoundControl : public IAutoFormControl
{
public:
    QString ValueName;
    bool AllowBlank = false;
    bool UseDefault = false;

    void UndoDefault() override
    {
        if (UseDefault)
            LoadValue();
    }
    int GetLeftIndent() override { return 0; }
    int GetExtraSpacing() override { return 0; }
    void ArrangeContents(const TCanvas&) override {}
    bool CanStretchVertically() override { return false; }

protected:
    // "'Name'", or "Value" without a name.
    QString QuotedName() const;
    // "'Name' is invalid.", or "Invalid value." without a name.
    QString InvalidText() const;
    // Shows Message in a modal warning box with no caption of its own, focuses Control and answers
    // false; edit controls also get their whole text selected.
    bool Fail(QWidget* Control, const QString& Message) const;
    // Refuses text the definition file cannot store, naming the characters, as Fail does; true when
    // Text can be stored.
    bool CheckStorable(QWidget* Control, const QString& Text) const;
    // Invisible and disabled controls pass validation at once.
    static bool SkipsValidation(const QWidget* Control);
};
