#pragma once

// The tree view the main window shows the package in. Its nodes carry model objects; a bound node is
// known to its object (the object's TreeNode points back to it), and every object's Expanded flag
// follows its node, so the tree can be rebuilt from the model at any time without losing what the
// user had opened.

#include "foundation/QORObject.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <functional>

// A node of the object tree view: carries the object it shows (or none). A bound node is its
// object's TreeNode; when the node goes, the object forgets it. When the object goes, every node
// carrying it forgets it, bound or not.
//
// A node may hold its children unbuilt: it shows its expander, and a builder makes the children the
// first time the node is expanded or BuildChildren is called. Until then childCount() is zero.
class TQORTreeNode : public QTreeWidgetItem
{
public:
    static constexpr int NodeType = QTreeWidgetItem::UserType + 0x51;
    // Appends this node's children; called once, with the node, while the node still has its object.
    using TChildBuilder = std::function<void(TQORTreeNode&)>;

    explicit TQORTreeNode(TQORObject* Object = nullptr, bool Bound = false);
    ~TQORTreeNode() override;

    TQORObject* Object() const { return FObject; }
    bool IsBound() const { return FBound; }
    // Makes the node its object's TreeNode.
    void Bind();

    TQORTreeNode* ParentNode() const;
    TQORTreeNode* ChildNode(int Index) const;

    // Drops the object without touching it: it is being destroyed.
    void ForgetObject();

    // Leaves the children to Builder, to be made when they are first wanted.
    void SetChildBuilder(TChildBuilder Builder);
    bool HasUnbuiltChildren() const { return bool(FChildBuilder); }
    // Makes the children now if they are unbuilt (nothing once the node's object has gone).
    void BuildChildren();
    // Makes every unbuilt node of the subtree, without expanding anything.
    void BuildSubtree();

private:
    TQORObject* FObject = nullptr;
    bool FBound = false;
    TChildBuilder FChildBuilder;
};

// A tree view on which typed characters do nothing: no incremental search, no beep.
class TQORTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TQORTreeView(QWidget* Parent = nullptr);

    void keyboardSearch(const QString& Search) override;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
};

class TQORObjectTreeView : public TQORTreeView
{
    Q_OBJECT
public:
    explicit TQORObjectTreeView(QWidget* Parent = nullptr);
    ~TQORObjectTreeView() override;

    // Appends a new last child of Parent (a new root without one) showing Text and carrying Object,
    // then re-applies the parent's stored expansion. Unless DataOnly, the node is bound: Object must
    // be given (E_QOR_InvalidArg "Node object is not set.") and its TreeNode becomes the new node.
    TQORTreeNode* AddObjectNode(TQORTreeNode* Parent, const QString& Text, bool DataOnly, TQORObject* Object);
    // Expands or collapses the TreeNode of Node's object as the object's Expanded flag says.
    void RestoreExpanded(TQORTreeNode* Node);

    // Builds every node held unbuilt, expanding nothing: for a search through the whole tree.
    void BuildAllNodes();

    // The selected node, or none.
    TQORTreeNode* Selected() const;
    static TQORTreeNode* NodeOf(QTreeWidgetItem* Item);

    // Drag-and-drop hooks; with the defaults no drag ever starts.
    virtual bool CanDragNode(TQORTreeNode* Node);
    virtual bool CanDropNode(TQORTreeNode* Dragged, TQORTreeNode* Target);
    // Raises E_QOR "Handler not present for handling dropped nodes." unless a subclass handles drops.
    virtual void DropNode(TQORTreeNode* Dragged, TQORTreeNode* Target);

protected:
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    void NodeExpanded(QTreeWidgetItem* Item);
    void NodeCollapsed(QTreeWidgetItem* Item);
    TQORTreeNode* DropTarget(QDropEvent* Event);

    bool FDragging = false;
};
