#include "forms/ObjectTreeView.h"

#include "forms/QORApplication.h"
#include "foundation/QORExceptions.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <unordered_map>

namespace {

constexpr const char* NodeMimeType = "application/x-quillon-tree-node";

// Every node carrying an object, by object. Never destroyed: objects may go after static data at exit.
std::unordered_multimap<const TQORObject*, TQORTreeNode*>& Carriers()
{
    static auto* Map = new std::unordered_multimap<const TQORObject*, TQORTreeNode*>;
    return *Map;
}

void ForgetReleasedObject(const TQORObject* Object)
{
    auto& Map = Carriers();
    const auto Range = Map.equal_range(Object);
    for (auto It = Range.first; It != Range.second; ++It)
        It->second->ForgetObject();
    Map.erase(Range.first, Range.second);
}

} // namespace

// TQORTreeNode

TQORTreeNode::TQORTreeNode(TQORObject* Object, bool Bound) : QTreeWidgetItem(NodeType), FObject(Object)
{
    ObjectReleaseHook = &ForgetReleasedObject;
    if (FObject)
        Carriers().emplace(FObject, this);
    if (Bound)
        Bind();
}

TQORTreeNode::~TQORTreeNode()
{
    if (!FObject)
        return;
    if (FBound && FObject->TreeNode() == this)
        FObject->SetTreeNode(nullptr);
    auto& Map = Carriers();
    const auto Range = Map.equal_range(FObject);
    for (auto It = Range.first; It != Range.second; ++It)
        if (It->second == this) {
            Map.erase(It);
            break;
        }
}

void TQORTreeNode::Bind()
{
    if (!FObject)
        throw E_QOR_InvalidArg(QStringLiteral("Node object is not set."));
    FBound = true;
    FObject->SetTreeNode(this);
}

TQORTreeNode* TQORTreeNode::ParentNode() const
{
    return TQORObjectTreeView::NodeOf(parent());
}

TQORTreeNode* TQORTreeNode::ChildNode(int Index) const
{
    return TQORObjectTreeView::NodeOf(child(Index));
}

void TQORTreeNode::ForgetObject()
{
    FObject = nullptr;
    FBound = false;
    // The builder reads the object: with the object gone there is nothing left to build.
    FChildBuilder = nullptr;
}

void TQORTreeNode::SetChildBuilder(TChildBuilder Builder)
{
    FChildBuilder = std::move(Builder);
    setChildIndicatorPolicy(FChildBuilder ? QTreeWidgetItem::ShowIndicator
                                          : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void TQORTreeNode::BuildChildren()
{
    if (!FChildBuilder)
        return;
    // Taken first, so that a builder that expands this node does not build twice.
    const TChildBuilder Builder = std::move(FChildBuilder);
    FChildBuilder = nullptr;
    setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    if (FObject)
        Builder(*this);
}

void TQORTreeNode::BuildSubtree()
{
    BuildChildren();
    for (int I = 0; I < childCount(); ++I)
        if (TQORTreeNode* Child = ChildNode(I))
            Child->BuildSubtree();
}

// TQORTreeView

TQORTreeView::TQORTreeView(QWidget* Parent) : QTreeWidget(Parent) {}

void TQORTreeView::keyboardSearch(const QString&) {}

void TQORTreeView::keyPressEvent(QKeyEvent* Event)
{
    const QString Text = Event->text();
    const bool Command = Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // The keypad's plus, minus and star are keys of the tree (expand, collapse, expand all), not
    // typed characters.
    const int Key = Event->key();
    const bool TreeKey = (Event->modifiers() & Qt::KeypadModifier) &&
                         (Key == Qt::Key_Plus || Key == Qt::Key_Minus || Key == Qt::Key_Asterisk);
    if (!Command && !TreeKey && !Text.isEmpty() && Text.at(0).isPrint()) {
        Event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(Event);
}

// TQORObjectTreeView

TQORObjectTreeView::TQORObjectTreeView(QWidget* Parent) : TQORTreeView(Parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    // Long node texts scroll sideways, as in a native tree, instead of being cut short.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // Connected first, so the object records its state before anyone else hears of the change.
    connect(this, &QTreeWidget::itemExpanded, this, &TQORObjectTreeView::NodeExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &TQORObjectTreeView::NodeCollapsed);
}

TQORObjectTreeView::~TQORObjectTreeView()
{
    // Nodes go while the view is still whole, so their objects forget them.
    clear();
}

TQORTreeNode* TQORObjectTreeView::NodeOf(QTreeWidgetItem* Item)
{
    return Item && Item->type() == TQORTreeNode::NodeType ? static_cast<TQORTreeNode*>(Item) : nullptr;
}

TQORTreeNode*
TQORObjectTreeView::AddObjectNode(TQORTreeNode* Parent, const QString& Text, bool DataOnly, TQORObject* Object)
{
    if (!DataOnly && !Object)
        throw E_QOR_InvalidArg(QStringLiteral("Node object is not set."));
    auto* Node = new TQORTreeNode(Object);
    Node->setText(0, Text);
    if (Parent)
        Parent->addChild(Node);
    else
        addTopLevelItem(Node);
    if (!DataOnly)
        Node->Bind();
    RestoreExpanded(Parent);
    return Node;
}

void TQORObjectTreeView::RestoreExpanded(TQORTreeNode* Node)
{
    if (!Node || !Node->Object())
        return;
    TQORObject* Object = Node->Object();
    if (TQORTreeNode* Shown = Object->TreeNode())
        Shown->setExpanded(Object->Expanded());
}

void TQORObjectTreeView::BuildAllNodes()
{
    for (int I = 0; I < topLevelItemCount(); ++I)
        if (TQORTreeNode* Node = NodeOf(topLevelItem(I)))
            Node->BuildSubtree();
}

TQORTreeNode* TQORObjectTreeView::Selected() const
{
    QTreeWidgetItem* Item = currentItem();
    return Item && Item->isSelected() ? NodeOf(Item) : nullptr;
}

void TQORObjectTreeView::NodeExpanded(QTreeWidgetItem* Item)
{
    TQORTreeNode* Node = NodeOf(Item);
    if (!Node)
        return;
    // A node opened for the first time gets its children now: by the expand key, the mouse, a
    // selection inside it or the keypad's star, which goes on to open the children made here.
    GuardedEvent([Node] { Node->BuildChildren(); }, this);
    if (Node->Object())
        Node->Object()->SetExpanded(true);
}

void TQORObjectTreeView::NodeCollapsed(QTreeWidgetItem* Item)
{
    if (TQORTreeNode* Node = NodeOf(Item))
        if (Node->Object())
            Node->Object()->SetExpanded(false);
}

bool TQORObjectTreeView::CanDragNode(TQORTreeNode*)
{
    return false;
}

bool TQORObjectTreeView::CanDropNode(TQORTreeNode*, TQORTreeNode*)
{
    return false;
}

void TQORObjectTreeView::DropNode(TQORTreeNode*, TQORTreeNode*)
{
    throw E_QOR(QStringLiteral("Handler not present for handling dropped nodes."));
}

void TQORObjectTreeView::mouseDoubleClickEvent(QMouseEvent* Event)
{
    // Whoever hears of the double click sees the node's children, built or not.
    if (TQORTreeNode* Node = NodeOf(itemAt(Event->position().toPoint())))
        GuardedEvent([Node] { Node->BuildChildren(); }, this);
    TQORTreeView::mouseDoubleClickEvent(Event);
}

void TQORObjectTreeView::mouseMoveEvent(QMouseEvent* Event)
{
    if ((Event->buttons() & Qt::LeftButton) && !FDragging) {
        TQORTreeNode* Dragged = Selected();
        bool Start = false;
        GuardedEvent(
            [&] {
                if (!Dragged || !CanDragNode(Dragged))
                    return;
                QTreeWidgetItem* Under = itemAt(Event->position().toPoint());
                Start = Under && Under != Dragged;
            },
            this);
        if (Start) {
            FDragging = true;
            auto* Drag = new QDrag(this);
            auto* Data = new QMimeData;
            Data->setData(QString::fromLatin1(NodeMimeType), QByteArray());
            Drag->setMimeData(Data);
            Drag->exec(Qt::MoveAction);
            FDragging = false;
            return;
        }
    }
    TQORTreeView::mouseMoveEvent(Event);
}

TQORTreeNode* TQORObjectTreeView::DropTarget(QDropEvent* Event)
{
    if (Event->source() != this)
        return nullptr;
    TQORTreeNode* Dragged = Selected();
    if (!Dragged)
        return nullptr;
    TQORTreeNode* Target = NodeOf(itemAt(Event->position().toPoint()));
    if (!Target || !CanDropNode(Dragged, Target))
        return nullptr;
    return Target;
}

void TQORObjectTreeView::dragEnterEvent(QDragEnterEvent* Event)
{
    // Entering accepts any drag from this tree; whether it may drop is decided while it moves.
    if (Event->source() == this)
        Event->acceptProposedAction();
    else
        Event->ignore();
}

void TQORObjectTreeView::dragMoveEvent(QDragMoveEvent* Event)
{
    bool Accept = false;
    GuardedEvent([&] { Accept = DropTarget(Event) != nullptr; }, this);
    if (Accept)
        Event->acceptProposedAction();
    else
        Event->ignore();
}

void TQORObjectTreeView::dropEvent(QDropEvent* Event)
{
    GuardedEvent(
        [&] {
            if (TQORTreeNode* Target = DropTarget(Event)) {
                Event->acceptProposedAction();
                DropNode(Selected(), Target);
            } else {
                Event->ignore();
            }
        },
        this);
}
