// The Edit menu of the main window: Undo and Redo over the document's history, then the tree's
// seven element commands with their keys. The element commands are the context menu's own actions,
// so both menus show and enable exactly what the selected node offers; the window keeps their state
// current as the selection and the clipboard change, so that their keys do only what the menus would.

#include "forms/ObjectTreeView.h"
#include "forms/QORApplication.h"
#include "ui/DocumentGuard.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

void TMain::CreateEditMenu()
{
    MenuItem_Edit = MainMenu->addMenu(QStringLiteral("&Edit"));
    MenuItem_Edit->setObjectName(QStringLiteral("MenuItem_Edit"));
    MenuItem_Undo = MenuItem_Edit->addAction(QStringLiteral("Undo"));
    MenuItem_Undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    MenuItem_Redo = MenuItem_Edit->addAction(QStringLiteral("Redo"));
    MenuItem_Redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* Item : {MenuItem_Undo, MenuItem_Redo})
        Item->setEnabled(false);
    connect(MenuItem_Undo, &QAction::triggered, this, [this] { GuardedEvent([this] { MenuItem_UndoClick(); }, this); });
    connect(MenuItem_Redo, &QAction::triggered, this, [this] { GuardedEvent([this] { MenuItem_RedoClick(); }, this); });
    MenuItem_Edit->addSeparator();

    PopupMenu_Create->setShortcut(QKeySequence(Qt::Key_Insert));
    PopupMenu_Edit->setShortcut(QKeySequence(Qt::Key_F2));
    PopupMenu_Cut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    PopupMenu_Copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    PopupMenu_Paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    PopupMenu_Delete->setShortcut(QKeySequence(Qt::Key_Delete));
    MenuItem_Edit->addActions(PopupMenu->actions());
    // Keys work wherever the focus is in the window, also while no menu is open.
    addActions({MenuItem_Undo, MenuItem_Redo});
    addActions(PopupMenu->actions());

    // Return edits the selected node, as F2 does; double click keeps its own rule for leaves.
    for (const int Key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* Shortcut = new QShortcut(QKeySequence(Key), TreeControl, nullptr, nullptr, Qt::WidgetShortcut);
        connect(Shortcut, &QShortcut::activated, this, [this] {
            if (PopupMenu_Edit->isVisible() && PopupMenu_Edit->isEnabled())
                PopupMenu_Edit->trigger();
        });
    }

    connect(MenuItem_Edit, &QMenu::aboutToShow, this, [this] { GuardedEvent([this] { PopupMenuPopup(); }, this); });
    connect(TreeControl, &QTreeWidget::itemSelectionChanged, this, [this] {
        GuardedEvent([this] { ShowOfferedActions(); }, this);
    });
    if (auto* Application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(Application->clipboard(), &QClipboard::dataChanged, this, [this] {
            GuardedEvent([this] { PopupMenuPopup(); }, this);
        });
}

void TMain::ConnectHistory()
{
    FHistory->OnRestored = [this](const TTreePath& Select) { HistoryRestored(Select); };
    QUndoStack& Stack = FHistory->Stack();
    connect(&Stack, &QUndoStack::cleanChanged, this, [this](bool Clean) { FModified = !Clean; });
    // Every step taken, undone or redone: the safety net learns whether there is unsaved work now, after
    // the tree was rebuilt with the state from before the step.
    connect(&Stack, &QUndoStack::indexChanged, this, [this, &Stack] {
        FModified = !Stack.isClean();
        if (FGuard)
            FGuard->ViewUpdated();
    });
    connect(&Stack, &QUndoStack::canUndoChanged, MenuItem_Undo, &QAction::setEnabled);
    connect(&Stack, &QUndoStack::canRedoChanged, MenuItem_Redo, &QAction::setEnabled);
    connect(&Stack, &QUndoStack::undoTextChanged, this, [this](const QString& Text) {
        MenuItem_Undo->setText(Text.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + Text);
    });
    connect(&Stack, &QUndoStack::redoTextChanged, this, [this](const QString& Text) {
        MenuItem_Redo->setText(Text.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + Text);
    });
}

void TMain::MenuItem_UndoClick()
{
    FHistory->Undo();
}

void TMain::MenuItem_RedoClick()
{
    FHistory->Redo();
}

void TMain::HistoryRestored(const TTreePath& Select)
{
    UpdateView();
    SelectPath(Select);
}

void TMain::SelectNode(QTreeWidgetItem* Node)
{
    TreeControl->setCurrentItem(Node);
    if (Node)
        TreeControl->scrollToItem(Node);
    TreeControl->setFocus();
}

TTreePath TMain::SelectedPath() const
{
    TTreePath Path;
    const QTreeWidgetItem* Node = TreeControl->currentItem();
    if (!Node || !Node->isSelected())
        return Path;
    for (; Node; Node = Node->parent())
        Path.prepend(Node->parent() ? Node->parent()->indexOfChild(const_cast<QTreeWidgetItem*>(Node))
                                    : TreeControl->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(Node)));
    return Path;
}

void TMain::SelectPath(const TTreePath& Path)
{
    QTreeWidgetItem* Node = nullptr;
    for (const int Row : Path) {
        // Children are built on demand in the same order, so the path reaches the same node.
        if (TQORTreeNode* Unbuilt = TQORObjectTreeView::NodeOf(Node))
            Unbuilt->BuildChildren();
        QTreeWidgetItem* Child = Node ? Node->child(Row) : TreeControl->topLevelItem(Row);
        // A tree built from the same definition has the node; stop at the deepest one found anyway.
        if (!Child)
            break;
        Node = Child;
    }
    SelectNode(Node);
}
