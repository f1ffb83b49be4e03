#include "ui/PackageTree.h"

#include "forms/ObjectTreeView.h"
#include "foundation/General.h"
#include "foundation/Paths.h"
#include "model/Data.h"
#include "samples/SampleDefinitions.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace SampleDefinitions;

namespace {

// One line per node, indented two blanks per level; "+" marks an expanded node.
void Dump(const QTreeWidgetItem* Node, int Depth, QStringList& Lines)
{
    Lines << QString(Depth * 2, QLatin1Char(' ')) + (Node->isExpanded() ? QStringLiteral("+") : QString()) +
                 Node->text(0);
    for (int I = 0; I < Node->childCount(); ++I)
        Dump(Node->child(I), Depth + 1, Lines);
}

QStringList Dump(const TQORObjectTreeView& Tree)
{
    QStringList Lines;
    for (int I = 0; I < Tree.topLevelItemCount(); ++I)
        Dump(Tree.topLevelItem(I), 0, Lines);
    return Lines;
}

// The node reached by following Texts from the root, or none.
TQORTreeNode* Find(const TQORObjectTreeView& Tree, const QStringList& Texts)
{
    QTreeWidgetItem* Node = nullptr;
    for (const QString& Text : Texts) {
        if (TQORTreeNode* Unbuilt = TQORObjectTreeView::NodeOf(Node))
            Unbuilt->BuildChildren();
        const int Count = Node ? Node->childCount() : Tree.topLevelItemCount();
        QTreeWidgetItem* Next = nullptr;
        for (int I = 0; I < Count && !Next; ++I) {
            QTreeWidgetItem* Candidate = Node ? Node->child(I) : Tree.topLevelItem(I);
            if (Candidate->text(0) == Text)
                Next = Candidate;
        }
        if (!Next)
            return nullptr;
        Node = Next;
    }
    return TQORObjectTreeView::NodeOf(Node);
}

class PackageTree : public ::testing::Test
{
protected:
    void Rebuild() { RebuildTree(Tree, Document, Markers); }

    TData Document;
    TPackageMarkers Markers;
    TQORObjectTreeView Tree;
};

TEST_F(PackageTree, EmptyDocumentShowsThePackageLinesAndTheEmptyGroups)
{
    Rebuild();
    EXPECT_EQ(Dump(Tree),
              QStringList({"Code package ID: {00000000-0000-0000-0000-000000000000}",
                           "Code package name: ",
                           "Code package description: ",
                           "Code package creator: ",
                           "Code package sub creator: ",
                           "Allow export from LMS: No",
                           "Beta software: No",
                           "Data types",
                           "  Task types",
                           "  Task result item formats",
                           "  Task recording types",
                           "  Media item formats",
                           "Interface types",
                           "Drivers",
                           "Code modules"}));
    const TQORObject* Carried[] = {&Markers.CodePackageID,
                                   &Markers.CodePackageInfo,
                                   &Markers.CodePackageInfo,
                                   &Markers.CodePackageInfo,
                                   &Markers.CodePackageInfo,
                                   &Markers.AllowExportFromLMS,
                                   &Markers.BetaSoftware,
                                   &Markers.DataTypes,
                                   &Document.InterfaceTypes,
                                   &Document.Drivers,
                                   &Document.CodeModules};
    for (int I = 0; I < Tree.topLevelItemCount(); ++I)
        EXPECT_EQ(TQORObjectTreeView::NodeOf(Tree.topLevelItem(I))->Object(), Carried[I]) << I;
    // Package lines only carry their marker; the groups are bound.
    EXPECT_EQ(Markers.CodePackageInfo.TreeNode(), nullptr);
    EXPECT_EQ(Markers.DataTypes.TreeNode(), Tree.topLevelItem(7));
}

TEST_F(PackageTree, RichDocumentShowsEveryElementWithItsLinesAndStoredExpansion)
{
    BuildRich(Document);
    auto* Engine = Document.CodeModules.Items(0);
    AddElement<TSupportFile>(Engine->SupportFiles);
    Rebuild();

    const QStringList Cockpit{"Drivers", "Cockpit driver"};
    TQORTreeNode* DriverNode = Find(Tree, Cockpit);
    ASSERT_NE(DriverNode, nullptr);
    EXPECT_EQ(DriverNode->Object(), Document.Drivers.Items(0));
    EXPECT_EQ(Document.Drivers.Items(0)->TreeNode(), DriverNode);
    QStringList DriverLines;
    for (int I = 0; I < DriverNode->childCount(); ++I) {
        DriverLines << DriverNode->child(I)->text(0).section(QStringLiteral(": "), 0, 0);
        EXPECT_EQ(DriverNode->ChildNode(I)->Object(), DriverNode->Object()) << "property lines carry the element";
    }
    EXPECT_EQ(DriverLines,
              QStringList({"ID",
                           "Name",
                           "File path",
                           "File name",
                           "Object server type",
                           "Location",
                           "Register",
                           "Creator",
                           "Sub creator"}));
    EXPECT_NE(Find(Tree, Cockpit + QStringList{"Object server type: COM"}), nullptr);

    const QStringList Module{"Code modules", "Engine"};
    TQORTreeNode* ModuleNode = Find(Tree, Module);
    ASSERT_NE(ModuleNode, nullptr);
    EXPECT_EQ(ModuleNode->child(ModuleNode->childCount() - 3)->text(0), QStringLiteral("Support files"));
    EXPECT_EQ(ModuleNode->child(ModuleNode->childCount() - 2)->text(0), QStringLiteral("Task module objects"));
    EXPECT_EQ(ModuleNode->child(ModuleNode->childCount() - 1)->text(0), QStringLiteral("Command line tools"));
    EXPECT_NE(Find(Tree, Module + QStringList{"Support files", "<Support file name>"}), nullptr);
    EXPECT_NE(Find(Tree, Module + QStringList{"Support files", "C:\\Data\\*.dat"}), nullptr);
    EXPECT_NE(Find(Tree, Module + QStringList{"Support files", CombinePath("lib", "helper?.dll")}), nullptr);

    TQORTreeNode* Runner =
        Find(Tree, Module + QStringList{"Task module objects", "Runner", "Task modules", "Task runner"});
    ASSERT_NE(Runner, nullptr);
    ASSERT_EQ(Runner->childCount(), 1);
    EXPECT_TRUE(Runner->child(0)->text(0).startsWith(QStringLiteral("ID: {")));
    EXPECT_NE(Find(Tree, Module + QStringList{"Command line tools", "Calibrate", "Run as administrator: Yes"}),
              nullptr);

    // What the sample stored as expanded shows expanded, and nothing else does.
    EXPECT_TRUE(Find(Tree, {"Data types"})->isExpanded());
    EXPECT_TRUE(Find(Tree, {"Data types", "Task types"})->isExpanded());
    EXPECT_FALSE(Find(Tree, {"Data types", "Media item formats"})->isExpanded());
    EXPECT_TRUE(DriverNode->isExpanded());
    EXPECT_TRUE(ModuleNode->isExpanded());
    EXPECT_FALSE(Find(Tree, Module + QStringList{"Command line tools"})->isExpanded());
}

TEST_F(PackageTree, ExpansionChangedInTheTreeSurvivesARebuild)
{
    BuildRich(Document);
    Rebuild();
    Find(Tree, {"Drivers"})->setExpanded(false);
    Find(Tree, {"Interface types"})->setExpanded(true);
    Rebuild();
    EXPECT_FALSE(Find(Tree, {"Drivers"})->isExpanded());
    EXPECT_TRUE(Find(Tree, {"Interface types"})->isExpanded());
    EXPECT_FALSE(Document.Drivers.Expanded());
}

} // namespace
