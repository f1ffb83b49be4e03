#pragma once

// The value controls automatic forms are built from. Each is an ordinary Qt control bound to one
// variable (usually a field of the dialog's working object): LoadValue shows it, StoreValue writes
// it back, SetDefault shows the default, and Validate checks the entry and reports failures itself
// in words built from ValueName.

#include "forms/AutoFormControl.h"
#include "forms/QORForms.h"
#include "foundation/GUID.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <type_traits>

class QLabel;
class QMenu;
class QPushButton;

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
    // Invisible and disabled controls pass validation at once.
    static bool SkipsValidation(const QWidget* Control);
};

class TEditString : public QLineEdit, public TBoundControl
{
    Q_OBJECT
public:
    explicit TEditString(QWidget* Owner = nullptr);

    QString DefaultValue;
    TBinding<QString> Variable;

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override;
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override;
};

class TEditMultilineString : public QPlainTextEdit, public TBoundControl
{
    Q_OBJECT
public:
    explicit TEditMultilineString(QWidget* Owner = nullptr);

    QString DefaultValue;
    int PreferredHeight = 89;
    TBinding<QString> Variable;

    void SetScrollBars(TScrollStyle ScrollBars);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    // The text with the line breaks the bound value uses.
    QString Text() const;
    void SetText(const QString& Text);

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override;
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override;
    bool CanStretchVertically() override { return true; }

private:
    TScrollStyle FScrollBars = ssNone;
    // Definitions written on Windows break lines with CR LF; a value keeps the breaks it came with.
    QString FLineBreak = QStringLiteral("\r\n");
};

// A list of strings edited line by line through the popup menu "Create", "Edit", "Delete".
class TEditStrings : public QListWidget, public TBoundControl
{
    Q_OBJECT
public:
    explicit TEditStrings(QWidget* Owner = nullptr);

    int PreferredWidth = 200;
    int PreferredHeight = 100;
    TBinding<QStringList> Variable;

    QStringList Lines() const;
    QMenu* PopupMenu() const { return FMenu; }
    QAction* CreateAction() const { return FCreateAction; }
    QAction* EditAction() const { return FEditAction; }
    QAction* DeleteAction() const { return FDeleteAction; }
    // Enables "Edit" and "Delete" only while a line is selected.
    void UpdateMenu();

    void CreateClick();
    void EditClick();
    void DeleteClick();

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override {}
    void UndoDefault() override {}
    bool Validate() override { return true; }
    int GetPreferredWidth(const TCanvas& Canvas) override { return PreferredWidth; }
    int GetPreferredHeight(const TCanvas& Canvas) override { return PreferredHeight; }
    bool CanStretchVertically() override { return true; }

private:
    int SelectedRow() const;

    QMenu* FMenu = nullptr;
    QAction* FCreateAction = nullptr;
    QAction* FEditAction = nullptr;
    QAction* FDeleteAction = nullptr;
};

// Runs the small "Create"/"Edit" prompt of TEditStrings: an automatic form with one edit. True on
// OK, with Text holding the entry.
bool PromptForString(QWidget* Owner, const QString& Caption, QString& Text);

class TEditInteger : public QLineEdit, public TBoundControl
{
    Q_OBJECT
public:
    explicit TEditInteger(QWidget* Owner = nullptr);

    int32_t DefaultValue = 0;
    bool CheckMinValue = true;
    int32_t MinValue = 0;
    bool CheckMaxValue = true;
    int32_t MaxValue = 0;
    TBinding<int32_t> Variable;

    // The text as a signed 32-bit integer; raises a conversion error when it is none.
    int32_t Value() const;
    void SetValue(int32_t Value);

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override;
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override;
};

// Reads Text as a signed 32-bit integer: optional sign, decimal digits (or hexadecimal after "$"
// or "0x"), surrounding blanks allowed. False for anything else, overflow included.
bool ParseInteger(const QString& Text, int32_t& Value);

class TEditGUID : public QLineEdit, public TBoundControl
{
    Q_OBJECT
public:
    explicit TEditGUID(QWidget* Owner = nullptr);

    bool DisplayZeroAsBlank = false;
    TBinding<TGUID> Variable;

    QMenu* PopupMenu() const { return FMenu; }
    // Shows a fresh GUID and selects it.
    void NewGUIDClick();

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override {}
    void UndoDefault() override {}
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override;

private:
    QMenu* FMenu = nullptr;
};

using TEnumerationNameFunction = std::function<QString(int32_t Value)>;

class TEnumerationComboBox : public QComboBox, public TBoundControl
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

class TBooleanCheckBox : public QCheckBox, public TBoundControl
{
    Q_OBJECT
public:
    explicit TBooleanCheckBox(QWidget* Owner = nullptr);

    bool DefaultValue = false;
    TBinding<bool> Variable;

    bool Value() const { return isChecked(); }
    void SetValue(bool Value) { setChecked(Value); }
    // AllowBlank makes the grey third state available.
    void SetAllowBlank(bool Allow);
    QString Caption() const { return text(); }
    void SetCaption(const QString& Caption) { setText(Caption); }
    TAlignment Alignment() const { return FAlignment; }
    // Left-justified: the caption stands left of the box, reading like a row label.
    void SetAlignment(TAlignment Alignment);

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override;
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override { return height(); }

protected:
    void paintEvent(QPaintEvent* Event) override;
    bool hitButton(const QPoint& Position) const override;

private:
    QRect CaptionRect() const;
    QRect IndicatorRect() const;

    TAlignment FAlignment = taRightJustify;
};

// A drop-down list whose owning dialog fills it and reads the selection itself.
class TAutoComboBox : public QComboBox, public IAutoFormControl
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

// A group box with rows of its own, laid out inside it.
class TContainerGroupBox : public QGroupBox, public IAutoFormControl, public ITabOrderContainer
{
    Q_OBJECT
public:
    explicit TContainerGroupBox(QWidget* Owner = nullptr);

    TQORAutoFormItems& Items() { return FItems; }
    const TQORAutoFormItems& ContainedItems() const override { return FItems; }
    int32_t MinLabelWidth = 0;
    int32_t MinControlWidth = 0;

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override;
    void UndoDefault() override;
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override;
    bool CanStretchVertically() override { return false; }
    int GetLeftIndent() override { return 0; }
    int GetExtraSpacing() override { return 0; }
    void ArrangeContents(const TCanvas& Canvas) override;

private:
    struct TContents
    {
        int Width = 0;
        int Height = 0;
        int LabelColumn = 0;
    };
    TContents Measure(const TCanvas& Canvas);
    int CaptionBand() const;

    TQORAutoFormItems FItems;
};

// Creation operations: each creates the control with the given owner, applies the settings, binds
// the variable and returns the control; the caller adds it to a form with AddItem or AddControl.

TEditString* CreateEditString(QWidget* Owner,
                              TBinding<QString> Variable,
                              const QString& ValueName,
                              bool UseDefault = false,
                              const QString& DefaultValue = {},
                              bool AllowBlank = true,
                              bool ReadOnly = false);

TEditMultilineString* CreateEditMultilineString(QWidget* Owner,
                                                TBinding<QString> Variable,
                                                const QString& ValueName,
                                                bool UseDefault,
                                                const QString& DefaultValue,
                                                bool AllowBlank,
                                                int PreferredHeight,
                                                bool ReadOnly,
                                                TScrollStyle ScrollBars);

TEditStrings* CreateEditStrings(
    QWidget* Owner, TBinding<QStringList> Variable, const QString& ValueName, int PreferredWidth, int PreferredHeight);

TEditInteger* CreateEditInteger(QWidget* Owner,
                                TBinding<int32_t> Variable,
                                const QString& ValueName,
                                bool UseDefault,
                                int32_t DefaultValue,
                                bool CheckMinValue,
                                int32_t MinValue,
                                bool CheckMaxValue,
                                int32_t MaxValue,
                                bool ReadOnly = false);

TEditGUID* CreateEditGUID(QWidget* Owner, TBinding<TGUID> Variable, const QString& ValueName, bool DisplayZeroAsBlank);

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

// A left-justified non-empty caption gets ":" appended. The control does not allow blank.
TBooleanCheckBox* CreateBooleanCheckBox(QWidget* Owner,
                                        const QString& Caption,
                                        TBinding<bool> Variable,
                                        const QString& ValueName,
                                        TAlignment Alignment,
                                        bool UseDefault = false,
                                        bool DefaultValue = false,
                                        int Height = 18);

TContainerGroupBox*
CreateContainerGroupBox(QWidget* Owner, const QString& GroupCaption, int32_t MinLabelWidth, int32_t MinControlWidth);

// Creates a group box and adds it as a row without label.
TContainerGroupBox* AddGroup(TQORAutoFormItems& Items,
                             QWidget* Owner,
                             const QString& GroupCaption,
                             int32_t MinLabelWidth,
                             int32_t MinControlWidth);

// Creates a group box and adds it as a labelled row.
TContainerGroupBox* AddGroupItem(TQORAutoFormItems& Items,
                                 QWidget* Owner,
                                 const QString& RowCaption,
                                 const QString& GroupCaption,
                                 int32_t MinLabelWidth,
                                 int32_t MinControlWidth);

// A plain label 21 pixels high, usable as a row control.
QLabel* CreateTextLabel(QWidget* Owner, const QString& Text);

// A plain push button. Dialogs append it to their Buttons so that it is laid out with the standard
// buttons. A cancel button is clicked by Escape before the form closes.
QPushButton* CreateCommandButton(
    QWidget* Owner, const QString& Caption, bool IsDefault, std::function<void()> OnClick, bool IsCancel);
