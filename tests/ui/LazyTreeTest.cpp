// The package tree builds a collapsed node's children only when they are wanted: what it shows, in
// which order and with which expansion, and what the definition stores, must be exactly what a tree
// built whole would give.

#include "EditingFixture.h"
#include "model/Data.h"
#include "samples/LargeDefinition.h"
#include "samples/SampleDefinitions.h"
#include "ui/PackageTree.h"

#include <QAccessible>
#include <QTest>

#include <functional>
#include <random>

namespace {

using namespace SampleDefinitions;

// Every list and element the tree shows a node of its own for.
void ForEachShownObject(TData& Data, const std::function<void(TQORObject&)>& Visit)
{
    const std::function<void(TQORList&)> List = [&](TQORList& Items) {
        Visit(Items);
        for (int32_t I = 0; I < Items.Count(); ++I)
            Visit(*Items.Items(I));
    };
    for (TQORList* Top : std::initializer_list<TQORList*>{&Data.TaskTypes,
                                                          &Data.TaskResultItemFormats,
                                                          &Data.TaskRecordingTypes,
                                                          &Data.MediaItemFormats,
                                                          &Data.InterfaceTypes,
                                                          &Data.Drivers,
                                                          &Data.CodeModules})
        List(*Top);
    for (int32_t I = 0; I < Data.CodeModules.Count(); ++I) {
        TCodeModule* Module = Data.CodeModules.Items(I);
        List(Module->SupportFiles);
        List(Module->TaskModuleObjects);
        List(Module->CommandLineTools);
        for (int32_t J = 0; J < Module->TaskModuleObjects.Count(); ++J)
            List(Module->TaskModuleObjects.Items(J)->TaskModules);
    }
}

// One line per node, indented by depth, building whatever is unbuilt on the way.
void AllTexts(QTreeWidgetItem* Item, int Depth, QStringList& Lines)
{
    if (TQORTreeNode* Node = TQORObjectTreeView::NodeOf(Item))
        Node->BuildChildren();
    for (int I = 0; I < Item->childCount(); ++I) {
        Lines << QString(Depth * 2, QLatin1Char(' ')) + Item->child(I)->text(0);
        AllTexts(Item->child(I), Depth + 1, Lines);
    }
}

QStringList AllTexts(TQORObjectTreeView& Tree)
{
    QStringList Lines;
    AllTexts(Tree.invisibleRootItem(), 0, Lines);
    return Lines;
}

int BuiltNodes(const TQORObjectTreeView& Tree)
{
    int Count = 0;
    for (QTreeWidgetItemIterator It(const_cast<TQORObjectTreeView*>(&Tree)); *It; ++It)
        ++Count;
    return Count;
}

class LazyTree : public ::testing::Test
{
protected:
    void Rebuild() { RebuildTree(Tree, Document, Markers); }

    TData Document;
    TPackageMarkers Markers;
    TQORObjectTreeView Tree;
};

TEST_F(LazyTree, EveryNodeReadsAsInAWholeBuildAndOnlyStoredStateShowsExpanded)
{
    BuildRich(Document);
    BuildLarge(Document, {6, 3, 3, 4, 3, 3});
    // A whole build: every node stored expanded has its children made at once.
    TData Whole;
    LoadFromBytes(Whole, SaveToBytes(Document));
    ForEachShownObject(Whole, [](TQORObject& Object) { Object.SetExpanded(true); });
    TPackageMarkers WholeMarkers;
    TQORObjectTreeView WholeTree;
    RebuildTree(WholeTree, Whole, WholeMarkers);
    const int WholeCount = BuiltNodes(WholeTree);
    const QStringList Expected = AllTexts(WholeTree);
    ASSERT_EQ(BuiltNodes(WholeTree), WholeCount) << "nothing was left unbuilt";

    std::mt19937 Random(7);
    ForEachShownObject(Document, [&Random](TQORObject& Object) { Object.SetExpanded(Random() % 3 == 0); });
    const QByteArray Stored = SaveToBytes(Document);
    Rebuild();
    EXPECT_LT(BuiltNodes(Tree), WholeCount / 2);
    EXPECT_EQ(AllTexts(Tree), Expected);
    EXPECT_EQ(BuiltNodes(Tree), WholeCount);

    // Building changed no stored state, and every node shows what its object stores.
    EXPECT_EQ(SaveToBytes(Document), Stored);
    for (QTreeWidgetItemIterator It(&Tree); *It; ++It) {
        const TQORTreeNode* Node = TQORObjectTreeView::NodeOf(*It);
        if (Node->IsBound() && !(Node->flags() & Qt::ItemNeverHasChildren)) {
            EXPECT_EQ(Node->isExpanded(), Node->Object()->Expanded()) << Node->text(0).toStdString();
        }
    }
}

TEST_F(LazyTree, ACollapsedNodeShowsItsExpanderAndOpeningItStoresOnlyItsOwnFlag)
{
    BuildRich(Document);
    ForEachShownObject(Document, [](TQORObject& Object) { Object.SetExpanded(false); });
    AddElement<TInterfaceType>(Document.InterfaceTypes)->Name = QStringLiteral("IExtra");
    Document.Drivers.Clear();
    Rebuild();
    TQORTreeNode* Interfaces = Document.InterfaceTypes.TreeNode();
    ASSERT_NE(Interfaces, nullptr);
    EXPECT_EQ(Interfaces->childCount(), 0);
    EXPECT_EQ(Interfaces->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_NE(Document.Drivers.TreeNode()->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator)
        << "an empty group has nothing to open";
    EXPECT_EQ(Document.InterfaceTypes.Items(0)->TreeNode(), nullptr);

    TData Expected;
    LoadFromBytes(Expected, SaveToBytes(Document));
    Expected.InterfaceTypes.SetExpanded(true);
    Interfaces->setExpanded(true);
    ASSERT_EQ(Interfaces->childCount(), Document.InterfaceTypes.Count());
    EXPECT_EQ(Interfaces->child(0)->text(0), Document.InterfaceTypes.Items(0)->Name);
    EXPECT_EQ(Document.InterfaceTypes.Items(0)->TreeNode(), Interfaces->child(0));
    EXPECT_EQ(SaveToBytes(Document), SaveToBytes(Expected));
}

class LazyTreeWindow : public EditingFixture
{
protected:
    // The rich sample with every node stored collapsed, opened in the window.
    void OpenCollapsed()
    {
        TData Data;
        BuildRich(Data);
        ForEachShownObject(Data, [](TQORObject& Object) { Object.SetExpanded(false); });
        Data.DataTypesExpanded = false;
        Open(Data);
    }

    const TQORObject* SelectedObject() const
    {
        const TQORTreeNode* Node = Window->TreeControl->Selected();
        return Node ? Node->Object() : nullptr;
    }
};

TEST_F(LazyTreeWindow, CommandsAndUndoSelectElementsInsideCollapsedNodes)
{
    OpenCollapsed();
    TTaskModuleObject* Runner = Document().CodeModules.Items(0)->TaskModuleObjects.Items(0);
    TTaskModule* Module = Runner->TaskModules.Items(0);
    ASSERT_EQ(Module->TreeNode(), nullptr);

    // A tool pasted into the tools of a collapsed module is selected in the rebuilt tree.
    TCodeModule* Engine = Document().CodeModules.Items(0);
    Window->TreeControl->setCurrentItem(ObjectNode(Document(), Window->Markers(), Engine->CommandLineTools.Items(0)));
    Window->PopupMenu_CopyClick();
    Engine->SetExpanded(false);
    Window->TreeControl->setCurrentItem(ObjectNode(Document(), Window->Markers(), &Engine->CommandLineTools));
    Engine->CommandLineTools.SetExpanded(false);
    Engine->SetExpanded(false);
    Window->PopupMenu_PasteClick();
    ASSERT_EQ(Engine->CommandLineTools.Count(), 2);
    EXPECT_TRUE(SelectedObject() == Engine->CommandLineTools.Items(0) ||
                SelectedObject() == Engine->CommandLineTools.Items(1));
    EXPECT_NE(SelectedObject(), nullptr);
    EXPECT_EQ(Window->TreeControl->currentItem(), SelectedObject()->TreeNode());

    // Deleted and undone, the element comes back selected although its group is rebuilt closed, as
    // it was stored before the step.
    TInterfaceType* Type = Document().InterfaceTypes.Items(1);
    const QString Name = Type->Name;
    Window->TreeControl->setCurrentItem(ObjectNode(Document(), Window->Markers(), Type));
    Document().InterfaceTypes.SetExpanded(false);
    Window->PopupMenu_DeleteClick();
    Window->MenuItem_Undo->trigger();
    EXPECT_EQ(SelectedText(), Name);
    EXPECT_EQ(SelectedObject(), Document().InterfaceTypes.Items(1));
}

TEST_F(LazyTreeWindow, KeypadStarOpensEverythingBelowAndDoubleClickOpensWithoutEditing)
{
    OpenCollapsed();
    QTreeWidgetItem* Modules = Document().CodeModules.TreeNode();
    Window->TreeControl->setCurrentItem(Modules);
    QTest::keyClick(Window->TreeControl, Qt::Key_Asterisk, Qt::KeypadModifier);
    int Opened = 0;
    // "Code modules" is the last root: the rest of the tree is its subtree.
    for (QTreeWidgetItemIterator It(Modules); *It; ++It) {
        QTreeWidgetItem* Node = *It;
        if (Node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator)
            ADD_FAILURE() << "left unbuilt: " << Node->text(0).toStdString();
        if (Node->childCount() > 0) {
            EXPECT_TRUE(Node->isExpanded()) << Node->text(0).toStdString();
            ++Opened;
        }
    }
    EXPECT_GT(Opened, 5);
    ForEachShownObject(Document(), [&](TQORObject& Object) {
        if (&Object == &Document().CodeModules || Object.Parent() == &Document().CodeModules) {
            EXPECT_TRUE(Object.Expanded());
        }
    });

    // A double click on an element whose lines are unbuilt opens it, as on any node with children.
    QTreeWidgetItem* Drivers = Document().Drivers.TreeNode();
    Drivers->setExpanded(true);
    QTreeWidgetItem* Driver = Drivers->child(0);
    ASSERT_EQ(Driver->childCount(), 0);
    Window->show();
    Window->TreeControl->scrollToItem(Driver);
    const QPoint At = Window->TreeControl->visualItemRect(Driver).center();
    QTest::mouseClick(Window->TreeControl->viewport(), Qt::LeftButton, {}, At);
    bool DialogShown = false;
    QTimer::singleShot(0, [&DialogShown] {
        if (auto* Dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            DialogShown = true;
            Dialog->reject();
        }
    });
    QTest::mouseDClick(Window->TreeControl->viewport(), Qt::LeftButton, {}, At);
    QCoreApplication::processEvents();
    EXPECT_FALSE(DialogShown);
    EXPECT_GT(Driver->childCount(), 0);
    EXPECT_TRUE(Driver->isExpanded());

    // A screen reader reads the lines built on opening, as every shown node.
    QAccessibleInterface* Tree = QAccessible::queryAccessibleInterface(Window->TreeControl);
    ASSERT_NE(Tree, nullptr);
    QStringList Read;
    for (int I = 0; I < Tree->childCount(); ++I)
        if (QAccessibleInterface* Child = Tree->child(I))
            Read << Child->text(QAccessible::Name);
    EXPECT_TRUE(Read.contains(Driver->child(1)->text(0))) << Read.join('\n').toStdString();
}

} // namespace
