// The tree's element commands: the context menu, Create, Edit, Delete and double click. Each
// command changes the document in one step and reports whether it did; RunCommand marks the
// document modified and rebuilds the tree after every step that changed it.

#include "forms/ObjectTreeView.h"
#include "forms/QORApplication.h"
#include "forms/dialogs/CodeModuleDialog.h"
#include "forms/dialogs/CommandLineToolDialog.h"
#include "forms/dialogs/CreateTaskModuleDialog.h"
#include "forms/dialogs/DriverDialog.h"
#include "forms/dialogs/InterfaceTypeDialog.h"
#include "forms/dialogs/MediaItemFormatDialog.h"
#include "forms/dialogs/PackagePropertiesForm.h"
#include "forms/dialogs/SupportFileDialog.h"
#include "forms/dialogs/TaskModuleDialog.h"
#include "forms/dialogs/TaskModuleObjectDialog.h"
#include "forms/dialogs/TaskRecordingTypeDialog.h"
#include "forms/dialogs/TaskResultItemFormatDialog.h"
#include "forms/dialogs/TaskTypeDialog.h"
#include "foundation/ObjectClipboard.h"
#include "foundation/QORExceptions.h"
#include "model/Data.h"
#include "model/ElementActions.h"
#include "model/PackageMarkers.h"
#include "ui/ElementCreation.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>

#include <memory>

namespace {

// The tree does not select on a right click: the menu acts on the node selected before.
class TRightClickKeepsSelection : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::MouseButtonPress || Event->type() == QEvent::MouseButtonDblClick)
            if (static_cast<QMouseEvent*>(Event)->button() == Qt::RightButton)
                return true;
        return QObject::eventFilter(Watched, Event);
    }
};

enum class TPlacement
{
    // Appended at the end.
    Append,
    // Appended, then the list sorted while the new element's name is still empty.
    SortBeforeNaming,
};

template <class TElement> TQORObject* AddElement(TQORList& List, const char* DefaultName, TPlacement Placement)
{
    auto Element = std::make_unique<TElement>();
    List.Add(Element.get());
    TElement* Added = Element.release();
    if (Placement == TPlacement::SortBeforeNaming)
        List.Sort();
    List.SetExpanded(true);
    Added->Name = QLatin1String(DefaultName);
    Added->SetExpanded(true);
    return Added;
}

TQORObject* AddSupportFile(TQORList& List)
{
    auto File = std::make_unique<TSupportFile>();
    List.AddSorted(File.get());
    List.SetExpanded(true);
    return File.release();
}

TQORObject* AddTaskModule(QWidget* Owner, TQORList& List)
{
    const auto Dialog = std::make_unique<TCreateTaskModuleDialog>(Owner);
    if (!Dialog->Execute())
        return nullptr;
    auto Module = std::make_unique<TTaskModule>();
    Module->Assign(Dialog->Value(), false);
    List.Add(Module.get());
    TTaskModule* Added = Module.release();
    List.Sort();
    List.SetExpanded(true);
    Added->SetExpanded(true);
    return Added;
}

} // namespace

TQORObject* CreateElement(QWidget* Owner, TQORObject* Object)
{
    auto* List = dynamic_cast<TQORList*>(Object);
    if (!List)
        throw E_QOR_EnumerationOutOfRange();
    const TQORClass& Class = List->Class();
    if (&Class == &TTaskTypes::StaticClass())
        return AddElement<TTaskType>(*List, "Task type name", TPlacement::Append);
    if (&Class == &TTaskRecordingTypes::StaticClass())
        return AddElement<TTaskRecordingType>(*List, "Task recording type name", TPlacement::Append);
    if (&Class == &TTaskResultItemFormats::StaticClass())
        return AddElement<TTaskResultItemFormat>(*List, "Task result item format name", TPlacement::Append);
    if (&Class == &TMediaItemFormats::StaticClass())
        return AddElement<TMediaItemFormat>(*List, "Media item format name", TPlacement::Append);
    if (&Class == &TInterfaceTypes::StaticClass())
        return AddElement<TInterfaceType>(*List, "Interface type name", TPlacement::SortBeforeNaming);
    if (&Class == &TDrivers::StaticClass())
        return AddElement<TDriver>(*List, "Driver name", TPlacement::SortBeforeNaming);
    if (&Class == &TCodeModules::StaticClass())
        return AddElement<TCodeModule>(*List, "Code module name", TPlacement::SortBeforeNaming);
    if (&Class == &TSupportFiles::StaticClass())
        return AddSupportFile(*List);
    if (&Class == &TTaskModuleObjects::StaticClass())
        return AddElement<TTaskModuleObject>(*List, "Task module object", TPlacement::SortBeforeNaming);
    if (&Class == &TTaskModules::StaticClass())
        return AddTaskModule(Owner, *List);
    if (&Class == &TCommandLineTools::StaticClass())
        return AddElement<TCommandLineTool>(*List, "Tool name", TPlacement::Append);
    throw E_QOR_EnumerationOutOfRange();
}

namespace {

// The dialog edits a copy; the element takes it back on OK.
bool EditCopy(TQORValueDialog& Dialog, TQORObject& Element, bool SortAfterwards)
{
    Dialog.Value()->Assign(&Element, true);
    if (!Dialog.Execute())
        return false;
    Element.Assign(Dialog.Value(), true);
    if (SortAfterwards)
        Element.Parent()->Sort();
    return true;
}

// The dialog copies the element in and, on OK, back by itself.
bool EditReference(TQORValueDialog& Dialog, TQORObject& Element)
{
    Dialog.SetValueReference(&Element);
    if (!Dialog.Execute())
        return false;
    Element.Parent()->Sort();
    return true;
}

bool EditPackageProperty(QWidget* Owner, TData& Document, TPackageProperty Property)
{
    return CreatePackagePropertiesForm(Owner, Document, Property)->Execute();
}

template <class TDialog, class... A> bool EditCopyWith(TQORObject& Element, bool SortAfterwards, A... Arguments)
{
    const auto Dialog = std::make_unique<TDialog>(Arguments...);
    return EditCopy(*Dialog, Element, SortAfterwards);
}

bool EditObject(QWidget* Owner, TData& Document, TQORObject* Object)
{
    if (!Object)
        throw E_QOR_EnumerationOutOfRange();
    const TQORClass& Class = Object->Class();
    if (&Class == &TCodePackageIDID::StaticClass())
        return EditPackageProperty(Owner, Document, TPackageProperty::ID);
    if (&Class == &TCodePackageInfoID::StaticClass())
        return EditPackageProperty(Owner, Document, TPackageProperty::Info);
    if (&Class == &TAllowExportFromLMSID::StaticClass())
        return EditPackageProperty(Owner, Document, TPackageProperty::AllowExportFromLMS);
    if (&Class == &TBetaSoftwareID::StaticClass())
        return EditPackageProperty(Owner, Document, TPackageProperty::BetaSoftware);
    if (&Class == &TTaskType::StaticClass())
        return EditCopyWith<TTaskTypeDialog>(*Object, true, Owner);
    if (&Class == &TTaskRecordingType::StaticClass())
        return EditCopyWith<TTaskRecordingTypeDialog>(*Object, true, Owner);
    if (&Class == &TTaskResultItemFormat::StaticClass())
        return EditCopyWith<TTaskResultItemFormatDialog>(*Object, true, Owner);
    if (&Class == &TMediaItemFormat::StaticClass())
        return EditCopyWith<TMediaItemFormatDialog>(*Object, true, Owner);
    if (&Class == &TInterfaceType::StaticClass())
        return EditCopyWith<TInterfaceTypeDialog>(*Object, true, Owner);
    if (&Class == &TDriver::StaticClass())
        return EditCopyWith<TDriverDialog>(*Object, true, Owner);
    if (&Class == &TCodeModule::StaticClass())
        return EditCopyWith<TCodeModuleDialog>(*Object, true, Owner, &Document);
    if (&Class == &TSupportFile::StaticClass())
        return EditCopyWith<TSupportFileDialog>(*Object, true, Owner);
    if (&Class == &TCommandLineTool::StaticClass())
        return EditCopyWith<TCommandLineToolDialog>(*Object, false, Owner);
    if (&Class == &TTaskModuleObject::StaticClass())
        return EditReference(*std::make_unique<TTaskModuleObjectDialog>(Owner, &Document), *Object);
    if (&Class == &TTaskModule::StaticClass())
        return EditReference(*std::make_unique<TTaskModuleDialog>(Owner, &Document), *Object);
    throw E_QOR_EnumerationOutOfRange();
}

void DeleteElement(TQORObject* Object)
{
    if (!IsPackageElement(Object))
        throw E_QOR_EnumerationOutOfRange();
    // Takes it out and destroys it with everything it owns; the document drops references to it.
    Object->Parent()->Remove(Object);
}

} // namespace

void TMain::ConnectElementCommands()
{
    TreeControl->viewport()->installEventFilter(new TRightClickKeepsSelection(TreeControl));
    connect(TreeControl, &QTreeWidget::itemDoubleClicked, this, [this] {
        GuardedEvent([this] { TreeControlDblClick(); }, this);
    });
    for (const auto& [Item, Handler] : {std::pair{PopupMenu_Create, &TMain::PopupMenu_CreateClick},
                                        std::pair{PopupMenu_Edit, &TMain::PopupMenu_EditClick},
                                        std::pair{PopupMenu_Delete, &TMain::PopupMenu_DeleteClick}})
        connect(Item, &QAction::triggered, this, [this, Handler = Handler] {
            GuardedEvent([this, Handler] { (this->*Handler)(); }, this);
        });
}

TQORObject* TMain::SelectedObject() const
{
    const TQORTreeNode* Node = TreeControl->Selected();
    return Node ? Node->Object() : nullptr;
}

void TMain::RunCommand(const QString& Name, const std::function<TCommandOutcome()>& Command)
{
    const TTreePath SelectedBefore = SelectedPath();
    const QByteArray Before = FHistory->Snapshot();
    TCommandOutcome Outcome;
    try {
        Outcome = Command();
    } catch (...) {
        // Whatever the command changed before it failed is taken back; its own error is reported.
        bool Touched = true;
        try {
            Touched = FHistory->Snapshot() != Before;
        } catch (...) {
        }
        if (Touched) {
            try {
                FHistory->Restore(Before);
                UpdateView();
                SelectPath(SelectedBefore);
            } catch (...) {
            }
        }
        throw;
    }
    if (!Outcome.Changed)
        return;
    QByteArray After = FHistory->Snapshot();
    // A dialog confirmed without a change is no step, and leaves the document as saved.
    if (After == Before)
        return;
    UpdateView();
    if (Outcome.Select)
        SelectObjectNode(Outcome.Select);
    else
        SelectPath(SelectedBefore);
    QString Subject = Outcome.Subject;
    if (Subject.isEmpty())
        Subject = NodeSubject(Outcome.Select ? Outcome.Select->TreeNode() : TreeControl->currentItem());
    FHistory->Push(
        QStringLiteral("%1 '%2'").arg(Name, Subject), Before, std::move(After), SelectedBefore, SelectedPath());
    FModified = !FHistory->Stack().isClean();
}

void TMain::PopupMenuPopup()
{
    FClipboardClassID = FClipboard ? FClipboard->PeekClassID() : TGUID{};
    ShowOfferedActions();
}

void TMain::ShowOfferedActions()
{
    const TQORObject* Object = SelectedObject();
    const TElementActions Offered = OfferedActions(Object);
    QAction* const Items[] = {PopupMenu_Create,
                              PopupMenu_Edit,
                              PopupMenu_Cut,
                              PopupMenu_Copy,
                              PopupMenu_Paste,
                              PopupMenu_Clear,
                              PopupMenu_Delete};
    for (int I = 0; I < ElementActionCount; ++I) {
        Items[I]->setVisible(Offered.Shown[I]);
        Items[I]->setEnabled(true);
    }
    PopupMenu_Paste->setEnabled(PasteFits(Object, FClipboardClassID));
}

void TMain::PopupMenu_CreateClick()
{
    TQORObject* Object = SelectedObject();
    RunCommand(QStringLiteral("Create"), [this, Object] {
        TCommandOutcome Outcome;
        Outcome.Select = CreateElement(this, Object);
        Outcome.Changed = Outcome.Select != nullptr;
        return Outcome;
    });
}

void TMain::PopupMenu_EditClick()
{
    TQORObject* Object = SelectedObject();
    RunCommand(QStringLiteral("Edit"), [this, Object] {
        TCommandOutcome Outcome;
        Outcome.Changed = EditObject(this, *FDocument, Object);
        // The package's own lines are not bound to their markers: the same line is selected again.
        if (IsPackageElement(Object))
            Outcome.Select = Object;
        return Outcome;
    });
}

void TMain::PopupMenu_DeleteClick()
{
    TQORObject* Object = SelectedObject();
    RunCommand(QStringLiteral("Delete"), [this, Object] {
        TCommandOutcome Outcome;
        if (IsPackageElement(Object)) {
            Outcome.Subject = NodeSubject(Object->TreeNode());
            Outcome.Select = ElementInPlaceOf(*Object);
        }
        DeleteElement(Object);
        Outcome.Changed = true;
        return Outcome;
    });
}

void TMain::TreeControlDblClick()
{
    const TQORTreeNode* Node = TreeControl->Selected();
    // Nodes with children only open or close, which the tree does by itself.
    if (Node && Node->childCount() == 0 && OfferedActions(Node->Object()).Has(TElementAction::Edit))
        PopupMenu_EditClick();
}
