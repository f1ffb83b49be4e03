#include "forms/Pickers.h"

#include "forms/ListKeys.h"
#include "forms/QORApplication.h"
#include "foundation/General.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "model/ModelList.h"

#include <QKeyEvent>
#include <QMenu>
#include <QVariant>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

QVariant Carrying(TQORObject* Element)
{
    return QVariant::fromValue(static_cast<void*>(Element));
}

TQORObject* CarriedBy(const QVariant& Data)
{
    return static_cast<TQORObject*>(Data.value<void*>());
}

int32_t PositionIn(const TQORList& List, const TQORObject* Element)
{
    for (int32_t I = 0; I < List.Count(); ++I)
        if (List.Items(I) == Element)
            return I;
    return -1;
}

// The name an element of a reference list shows: data types and interface types have one.
QString NameOf(const TQORObject* Element)
{
    if (const auto* DataType = dynamic_cast<const TBaseDataType*>(Element))
        return DataType->Name;
    if (const auto* InterfaceType = dynamic_cast<const TInterfaceType*>(Element))
        return InterfaceType->Name;
    return Element->GetName();
}

void ShowPickerMessage(QWidget* Owner, const QString& Text)
{
    UserSeam().ShowMessage(Owner, Text, QString(), TMessageButtons::OK, TMessageIcon::Warning);
}

} // namespace

// TSelectElementDialog

TSelectElementDialog::TSelectElementDialog(QWidget* Owner, const QString& Caption, TQORFormButtons Buttons, bool Sorted)
    : TQORAutoForm(Owner), FSorted(Sorted)
{
    Setup({.Caption = Caption, .Buttons = Buttons, .MinControlWidth = 350});
    FComboBox = new TAutoComboBox(this);
    FComboBox->setAccessibleName(QStringLiteral("Data type"));
    AddItem(Items(), QStringLiteral("Data type"), FComboBox);
    Items().Row(0)->Label->setBuddy(FComboBox);
}

void TSelectElementDialog::LoadValues()
{
    FComboBox->clear();
    if (!Candidates())
        return;
    std::vector<TQORObject*> Entries;
    for (int32_t I = 0; I < Candidates()->Count(); ++I)
        if (TQORObject* Candidate = Candidates()->Items(I))
            Entries.push_back(Candidate);
    if (FSorted)
        std::stable_sort(Entries.begin(), Entries.end(), [](const TQORObject* A, const TQORObject* B) {
            return CompareText(NameOf(A), NameOf(B)) < 0;
        });
    // The entry carrying the current value is selected, wherever sorting put it.
    for (TQORObject* Entry : Entries) {
        FComboBox->addItem(NameOf(Entry), Carrying(Entry));
        if (Entry == Value())
            FComboBox->setCurrentIndex(FComboBox->count() - 1);
    }
}

bool TSelectElementDialog::ValidateControls()
{
    if (FComboBox->currentIndex() >= 0)
        return true;
    ShowPickerMessage(this, QStringLiteral("No item selected."));
    FComboBox->setFocus(Qt::OtherFocusReason);
    return false;
}

void TSelectElementDialog::StoreValues()
{
    const int Index = FComboBox->currentIndex();
    SetValue(Index >= 0 ? CarriedBy(FComboBox->itemData(Index)) : nullptr);
}

TSelectDataTypeDialog::TSelectDataTypeDialog(QWidget* Owner)
    : TSelectElementDialog(Owner, QStringLiteral("Select Data Type"), fbOK | fbCancel | fbDefault, true)
{}

TSelectInterfaceTypeDialog::TSelectInterfaceTypeDialog(QWidget* Owner)
    : TSelectElementDialog(Owner, QStringLiteral("Select Interface Type"), fbOK | fbCancel, false)
{}

// The list operations

namespace {

// Runs the picker; the chosen element, or none when the user cancelled.
TQORObject* RunPicker(QWidget* Owner,
                      const TPickerClass& PickerClass,
                      TQORList* Candidates,
                      TQORObject* Current,
                      const TPickerSetup& Setup)
{
    const std::unique_ptr<TQORAutoForm> Picker(PickerClass(Owner));
    if (Setup)
        Setup(*Picker);
    Picker->SetCandidates(Candidates);
    Picker->SetValue(Current);
    if (!Picker->Execute())
        return nullptr;
    return Picker->Value();
}

} // namespace

bool AddWithPicker(QWidget* Owner,
                   const TPickerClass& PickerClass,
                   TQORList* Candidates,
                   bool AllowDuplicates,
                   const TAfterChange& AfterChange,
                   TQORList& List,
                   const TPickerSetup& Setup)
{
    TQORObject* Chosen = RunPicker(Owner, PickerClass, Candidates, nullptr, Setup);
    if (!Chosen)
        return false;
    if (!AllowDuplicates && List.Contains(Chosen)) {
        ShowPickerMessage(Owner, QStringLiteral("Item already exists."));
        return false;
    }
    List.Add(Chosen);
    List.Sort();
    if (AfterChange)
        AfterChange();
    return true;
}

bool EditWithPicker(QWidget* Owner,
                    const TPickerClass& PickerClass,
                    TQORList* Candidates,
                    const TAfterChange& AfterChange,
                    int32_t Position,
                    TQORList& List,
                    const TPickerSetup& Setup)
{
    TQORObject* Chosen = RunPicker(Owner, PickerClass, Candidates, List.Items(Position), Setup);
    if (!Chosen)
        return false;
    List.SetItem(Position, Chosen);
    List.Sort();
    if (AfterChange)
        AfterChange();
    return true;
}

void DeleteAndRefresh(TQORList& List, int32_t Position, const TAfterChange& AfterChange)
{
    List.Delete(Position);
    if (AfterChange)
        AfterChange();
}

// TReferenceListControl

TReferenceListControl::TReferenceListControl(QWidget* Owner, TQORList* List, int Height, bool SortedLines)
    : QListWidget(Owner), FList(List), FSortedLines(SortedLines)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    resize(width(), Height);
    FMenu = new QMenu(this);
    FAddAction = FMenu->addAction(QStringLiteral("Add"));
    FEditAction = FMenu->addAction(QStringLiteral("Edit"));
    FRemoveAction = FMenu->addAction(QStringLiteral("Remove"));
    connect(FAddAction, &QAction::triggered, this, [this] { GuardedEvent([this] { AddClick(); }, this); });
    connect(FEditAction, &QAction::triggered, this, [this] { GuardedEvent([this] { EditClick(); }, this); });
    connect(FRemoveAction, &QAction::triggered, this, [this] { GuardedEvent([this] { RemoveClick(); }, this); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& Position) {
        UpdateMenu();
        FMenu->popup(viewport()->mapToGlobal(Position));
    });
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { GuardedEvent([this] { EditClick(); }, this); });
    connect(this, &QListWidget::itemSelectionChanged, this, &TReferenceListControl::UpdateMenu);
    ShowListKeys({FAddAction, FEditAction, FRemoveAction});
    setAccessibleDescription(
        QStringLiteral("Insert: add an entry. F2: edit the selected entry. Delete: remove the selected entry."));
    UpdateMenu();
}

void TReferenceListControl::keyPressEvent(QKeyEvent* Event)
{
    UpdateMenu();
    if (RunListKey(*Event, {FAddAction, FEditAction, FRemoveAction}))
        Event->accept();
    else
        QListWidget::keyPressEvent(Event);
}

int32_t TReferenceListControl::SelectedPosition() const
{
    const QList<QListWidgetItem*> Selected = selectedItems();
    if (Selected.isEmpty() || !FList)
        return -1;
    // The line carries its element: its position holds even if the lines were sorted differently.
    return PositionIn(*FList, CarriedBy(Selected.first()->data(Qt::UserRole)));
}

void TReferenceListControl::UpdateMenu()
{
    const bool HasSelection = !selectedItems().isEmpty();
    FEditAction->setEnabled(HasSelection);
    FRemoveAction->setEnabled(HasSelection);
}

void TReferenceListControl::LoadValue()
{
    setUpdatesEnabled(false);
    clear();
    if (FList) {
        std::vector<TQORObject*> Lines;
        for (int32_t I = 0; I < FList->Count(); ++I)
            if (TQORObject* Element = FList->Items(I))
                Lines.push_back(Element);
        if (FSortedLines)
            std::stable_sort(Lines.begin(), Lines.end(), [](const TQORObject* A, const TQORObject* B) {
                return CompareText(NameOf(A), NameOf(B)) < 0;
            });
        for (TQORObject* Element : Lines) {
            auto* Line = new QListWidgetItem(NameOf(Element), this);
            Line->setData(Qt::UserRole, Carrying(Element));
        }
    }
    setUpdatesEnabled(true);
    UpdateMenu();
}

void TReferenceListControl::AddClick()
{
    if (FList)
        AddWithPicker(
            this, PickerClass(), Candidates(), false, [this] { LoadValue(); }, *FList, PickerSetup());
}

void TReferenceListControl::EditClick()
{
    const int32_t Position = SelectedPosition();
    if (Position >= 0)
        EditWithPicker(
            this, PickerClass(), Candidates(), [this] { LoadValue(); }, Position, *FList, PickerSetup());
}

void TReferenceListControl::RemoveClick()
{
    const int32_t Position = SelectedPosition();
    if (Position >= 0)
        DeleteAndRefresh(*FList, Position, [this] { LoadValue(); });
}

// TDataTypesControl

TDataTypesControl::TDataTypesControl(
    QWidget* Owner, TQORList* Candidates, TQORList* List, const QString& ItemName, int Height)
    : TReferenceListControl(Owner, List, Height, true), FCandidates(Candidates), FItemName(ItemName)
{}

TPickerSetup TDataTypesControl::PickerSetup() const
{
    if (FItemName.isEmpty())
        return {};
    const QString Caption = QStringLiteral("Select ") + CapitaliseWords(FItemName);
    return [Caption](TQORAutoForm& Picker) { Picker.setWindowTitle(Caption); };
}

// TInterfaceTypesControl

TInterfaceTypesControl::TInterfaceTypesControl(QWidget* Owner, TData* Package, TQORList* List, int Height)
    : TReferenceListControl(Owner, List, Height, false), FPackage(Package)
{}

TQORList* TInterfaceTypesControl::Candidates() const
{
    return FPackage ? &FPackage->InterfaceTypes : nullptr;
}
