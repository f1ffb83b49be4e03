#pragma once

// The reference lists of task modules (data types) and code modules (interface types): a list box
// bound to a reference list of the dialog's working copy, edited at once through "Add", "Edit" and
// "Remove", each of which opens a small picker offering the package's elements of the right kind.

#include "forms/ComboBoxes.h"
#include "forms/QORForms.h"

#include <QListWidget>
#include <QString>

#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class TData;

// A picker: one drop-down list "Data type" of the candidates; Value is the chosen element (a
// reference into the package, not owned).
class TSelectElementDialog : public TQORAutoForm
{
    Q_OBJECT
public:
    TAutoComboBox* ComboBox() const { return FComboBox; }

    // Neither calls the engine's version: the drop-down list is the only control.
    void LoadValues() override;
    bool ValidateControls() override;
    void StoreValues() override;

protected:
    // Sorted: the entries stand in the order of their texts, ignoring case.
    TSelectElementDialog(QWidget* Owner, const QString& Caption, TQORFormButtons Buttons, bool Sorted);

private:
    TAutoComboBox* FComboBox = nullptr;
    bool FSorted = false;
};

class TSelectDataTypeDialog : public TSelectElementDialog
{
    Q_OBJECT
public:
    explicit TSelectDataTypeDialog(QWidget* Owner = nullptr);
};

class TSelectInterfaceTypeDialog : public TSelectElementDialog
{
    Q_OBJECT
public:
    explicit TSelectInterfaceTypeDialog(QWidget* Owner = nullptr);
};

// Creates a picker of some class with the given owner.
using TPickerClass = std::function<TQORAutoForm*(QWidget* Owner)>;
template <class T> TQORAutoForm* CreatePicker(QWidget* Owner)
{
    return new T(Owner);
}
using TPickerSetup = std::function<void(TQORAutoForm& Picker)>;
using TAfterChange = std::function<void()>;

// Runs a picker over Candidates and adds the chosen element to List, which is then sorted by its
// own order. Without AllowDuplicates an element List already holds is refused with "Item already
// exists.". True when List changed.
bool AddWithPicker(QWidget* Owner,
                   const TPickerClass& PickerClass,
                   TQORList* Candidates,
                   bool AllowDuplicates,
                   const TAfterChange& AfterChange,
                   TQORList& List,
                   const TPickerSetup& Setup = {});
// Runs a picker opened on List's element at Position and puts the chosen element in its place (a
// second reference to an element is allowed here), then sorts List. True when the user chose.
bool EditWithPicker(QWidget* Owner,
                    const TPickerClass& PickerClass,
                    TQORList* Candidates,
                    const TAfterChange& AfterChange,
                    int32_t Position,
                    TQORList& List,
                    const TPickerSetup& Setup = {});
void DeleteAndRefresh(TQORList& List, int32_t Position, const TAfterChange& AfterChange);

// A list box showing the elements of a bound reference list, one line each, with the popup menu
// "Add", "Edit", "Remove". Every command changes the bound list at once, so storing does nothing.
class TReferenceListControl : public QListWidget, public IAutoFormControl
{
    Q_OBJECT
public:
    QMenu* PopupMenu() const { return FMenu; }
    QAction* AddAction() const { return FAddAction; }
    QAction* EditAction() const { return FEditAction; }
    QAction* RemoveAction() const { return FRemoveAction; }
    TQORList* BoundList() const { return FList; }
    // Enables "Edit" and "Remove" only while a line is selected.
    void UpdateMenu();

    void AddClick();
    void EditClick();
    void RemoveClick();

    void LoadValue() override;
    void StoreValue() override {}
    void SetDefault() override {}
    void UndoDefault() override {}
    bool Validate() override { return true; }
    int GetPreferredWidth(const TCanvas&) override { return width(); }
    int GetPreferredHeight(const TCanvas&) override { return height(); }
    bool CanStretchVertically() override { return false; }
    int GetLeftIndent() override { return 0; }
    int GetExtraSpacing() override { return 0; }
    void ArrangeContents(const TCanvas&) override {}

protected:
    TReferenceListControl(QWidget* Owner, TQORList* List, int Height, bool SortedLines);

    // Insert adds, F2 edits, Delete removes, as the popup menu would.
    void keyPressEvent(QKeyEvent* Event) override;

    virtual TQORList* Candidates() const = 0;
    virtual TPickerClass PickerClass() const = 0;
    virtual TPickerSetup PickerSetup() const { return {}; }

private:
    // The selected line's element's position in the bound list; -1 without selection.
    int32_t SelectedPosition() const;

    TQORList* FList = nullptr;
    bool FSortedLines = false;
    QMenu* FMenu = nullptr;
    QAction* FAddAction = nullptr;
    QAction* FEditAction = nullptr;
    QAction* FRemoveAction = nullptr;
};

// Data types of a task module; lines sorted by name. ItemName ("Task type") names the picker.
class TDataTypesControl : public TReferenceListControl
{
    Q_OBJECT
public:
    TDataTypesControl(QWidget* Owner, TQORList* Candidates, TQORList* List, const QString& ItemName, int Height);

    QString ItemName() const { return FItemName; }

protected:
    TQORList* Candidates() const override { return FCandidates; }
    TPickerClass PickerClass() const override { return &CreatePicker<TSelectDataTypeDialog>; }
    TPickerSetup PickerSetup() const override;

private:
    TQORList* FCandidates = nullptr;
    QString FItemName;
};

// Interface types of a code module; lines in the list's own order. The package's interface types
// are read as candidates each time a picker opens.
class TInterfaceTypesControl : public TReferenceListControl
{
    Q_OBJECT
public:
    TInterfaceTypesControl(QWidget* Owner, TData* Package, TQORList* List, int Height);

protected:
    TQORList* Candidates() const override;
    TPickerClass PickerClass() const override { return &CreatePicker<TSelectInterfaceTypeDialog>; }

private:
    TData* FPackage = nullptr;
};
