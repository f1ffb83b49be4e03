#include "forms/ObjectTreeView.h"

#include "FormTestSupport.h"

#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TNodeObject : public TQORObject
{
public:
    explicit TNodeObject(bool Expanded = false) { SetExpanded(Expanded); }
};

class ObjectTree : public FormTest
{
protected:
    // The shape the package tree uses: a group, its element, the element's property node.
    void Build()
    {
        Tree.clear();
        GroupNode = Tree.AddObjectNode(nullptr, "Drivers", false, &Group);
        ElementNode = Tree.AddObjectNode(GroupNode, "Driver", false, &Element);
        PropertyNode = Tree.AddObjectNode(ElementNode, "Name: Driver", true, &Element);
        Tree.AddObjectNode(ElementNode, "Register: No", true, &Element);
        Tree.RestoreExpanded(ElementNode);
        Tree.RestoreExpanded(GroupNode);
    }

    TNodeObject Group{true};
    TNodeObject Element{false};
    TQORObjectTreeView Tree;
    TQORTreeNode* GroupNode = nullptr;
    TQORTreeNode* ElementNode = nullptr;
    TQORTreeNode* PropertyNode = nullptr;
};

TEST_F(ObjectTree, BoundNodesBecomeTheirObjectsTreeNode)
{
    Build();
    EXPECT_EQ(Group.TreeNode(), GroupNode);
    EXPECT_EQ(Element.TreeNode(), ElementNode);
    EXPECT_EQ(PropertyNode->Object(), &Element);
    EXPECT_EQ(ElementNode->childCount(), 2);
    EXPECT_EQ(Tree.topLevelItemCount(), 1);
}

TEST_F(ObjectTree, DataOnlyNodesLeaveTheObjectsTreeNodeAlone)
{
    TNodeObject Marker;
    TQORTreeNode* Elsewhere = Tree.AddObjectNode(nullptr, "Marker", false, &Marker);
    Tree.AddObjectNode(nullptr, "Marker value", true, &Marker);
    TQORTreeNode* Plain = Tree.AddObjectNode(nullptr, "No object", true, nullptr);

    EXPECT_EQ(Marker.TreeNode(), Elsewhere);
    EXPECT_EQ(Plain->Object(), nullptr);
}

TEST_F(ObjectTree, BoundNodeNeedsAnObject)
{
    EXPECT_EQ(ExpectThrowReport<E_QOR_InvalidArg>([&] { Tree.AddObjectNode(nullptr, "x", false, nullptr); }),
              "Invalid argument. Node object is not set.");
    EXPECT_EQ(Tree.topLevelItemCount(), 0);
}

TEST_F(ObjectTree, RebuiltTreeRestoresExpansionFromTheObjects)
{
    Build();
    EXPECT_TRUE(GroupNode->isExpanded());
    EXPECT_FALSE(ElementNode->isExpanded());

    ElementNode->setExpanded(true);
    GroupNode->setExpanded(false);
    EXPECT_TRUE(Element.Expanded());
    EXPECT_FALSE(Group.Expanded());

    Build();
    EXPECT_FALSE(GroupNode->isExpanded());
    EXPECT_TRUE(ElementNode->isExpanded());
    EXPECT_EQ(Element.TreeNode(), ElementNode);
}

// A node without children cannot show as expanded, so each child re-applies its parent's state.
TEST_F(ObjectTree, AddingAChildShowsAnExpandedParentExpanded)
{
    TNodeObject Parent(true);
    TQORTreeNode* Node = Tree.AddObjectNode(nullptr, "Parent", false, &Parent);
    Tree.AddObjectNode(Node, "Child", true, nullptr);
    EXPECT_TRUE(Node->isExpanded());
    EXPECT_TRUE(Parent.Expanded());
}

TEST_F(ObjectTree, ExpandingAPropertyNodeRecordsOnItsObject)
{
    Build();
    Tree.AddObjectNode(PropertyNode, "Detail", true, nullptr);
    PropertyNode->setExpanded(true);
    EXPECT_TRUE(Element.Expanded());
    TQORTreeNode* Plain = Tree.AddObjectNode(nullptr, "Plain", true, nullptr);
    Tree.AddObjectNode(Plain, "Child", true, nullptr);
    Plain->setExpanded(true);
    EXPECT_TRUE(Plain->isExpanded());
}

TEST_F(ObjectTree, ObjectsForgetNodesThatGo)
{
    Build();
    TNodeObject Other;
    Tree.AddObjectNode(GroupNode, "Other", false, &Other);
    delete ElementNode;
    EXPECT_EQ(Element.TreeNode(), nullptr);
    EXPECT_NE(Other.TreeNode(), nullptr);
    Tree.clear();
    EXPECT_EQ(Other.TreeNode(), nullptr);
    EXPECT_EQ(Group.TreeNode(), nullptr);
}

// The model may free an element before the tree is rebuilt; its nodes must let go of it, also
// the property nodes that only carry it and nodes of an object that has no node of its own.
TEST_F(ObjectTree, NodesForgetObjectsThatGo)
{
    auto Doomed = std::make_unique<TNodeObject>(true);
    auto Unshown = std::make_unique<TNodeObject>(true);
    TQORTreeNode* Bound = Tree.AddObjectNode(nullptr, "Doomed", false, Doomed.get());
    TQORTreeNode* Property = Tree.AddObjectNode(Bound, "Name: Doomed", true, Doomed.get());
    TQORTreeNode* Orphan = Tree.AddObjectNode(nullptr, "Detail", true, Unshown.get());
    Doomed.reset();
    Unshown.reset();

    for (TQORTreeNode* Node : {Bound, Property, Orphan})
        EXPECT_EQ(Node->Object(), nullptr);
    Tree.AddObjectNode(Property, "Child", true, nullptr);
    Property->setExpanded(false);
    Tree.clear();
}

TEST_F(ObjectTree, TypedCharactersDoNothing)
{
    Build();
    TNodeObject Modules;
    Tree.AddObjectNode(nullptr, "Code modules", false, &Modules);
    ElementNode->setExpanded(true);
    Tree.setCurrentItem(GroupNode);
    for (const char* Typed : {"c", "C", "-", "*", " "}) {
        QTest::keyClicks(&Tree, Typed);
        EXPECT_EQ(Tree.currentItem(), GroupNode) << Typed;
        EXPECT_TRUE(GroupNode->isExpanded()) << Typed;
    }
    QTest::keyClick(&Tree, Qt::Key_Down);
    EXPECT_EQ(Tree.currentItem(), ElementNode);
    // The keypad's minus and plus are the tree's own keys, and the object follows them.
    QTest::keyClick(&Tree, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_FALSE(ElementNode->isExpanded());
    EXPECT_FALSE(Element.Expanded());
    QTest::keyClick(&Tree, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_TRUE(Element.Expanded());
}

TEST_F(ObjectTree, LongTextsScrollInsteadOfBeingCut)
{
    const QString Long = "Code package ID: {4901B4C9-06FE-49B0-825A-D47ABA66C5F6}";
    Tree.resize(120, 100);
    Tree.AddObjectNode(nullptr, Long, true, nullptr);
    Tree.show();
    QApplication::processEvents();

    EXPECT_GE(Tree.columnWidth(0), Tree.fontMetrics().horizontalAdvance(Long));
    EXPECT_TRUE(Tree.horizontalScrollBar()->isVisible());
    Tree.hide();
}

TEST_F(ObjectTree, DefaultDragHooksRefuseAndDropsNeedAHandler)
{
    Build();
    EXPECT_FALSE(Tree.CanDragNode(ElementNode));
    EXPECT_FALSE(Tree.CanDropNode(ElementNode, GroupNode));
    EXPECT_EQ(ReportOf([&] { Tree.DropNode(ElementNode, GroupNode); }),
              "Handler not present for handling dropped nodes.");
}

} // namespace
