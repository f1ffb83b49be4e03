#include "ui/PackageTree.h"

#include "forms/ObjectTreeView.h"
#include "foundation/General.h"
#include "foundation/Paths.h"
#include "model/Data.h"
#include "model/Enumerations.h"

#include <QList>

#include <vector>

namespace {

QString IDText(const TGUID& ID)
{
    return QStringLiteral("ID: ") + ID.ToString();
}

QString Line(const char* Label, const QString& Value)
{
    return QLatin1String(Label) + Value;
}

QString Line(const char* Label, bool Value)
{
    return QLatin1String(Label) + BoolToYesNo(Value);
}

// Builds the nodes away from the view and hands them over in one insertion: a hundred thousand
// single insertions, each announced to the view, would take seconds. Stored expansion is recorded in
// the order it is applied (a node after its children, a group after its elements) and applied once
// the nodes are in the view, since only there can a node be expanded.
//
// Only what can be seen is built: the children of a node whose object is stored collapsed are left
// to the node, which builds them, with this same builder, when it is first expanded or a selection
// needs them. They come out exactly as a full build would have made them.
class TTreeBuilder
{
public:
    // Builds root nodes, or with Target the children of that node, which is in the view already.
    explicit TTreeBuilder(TQORObjectTreeView& Tree, TQORTreeNode* Target = nullptr) : FTree(Tree), FTarget(Target) {}

    TQORTreeNode* Bound(TQORTreeNode* Parent, const QString& Text, TQORObject* Object)
    {
        TQORTreeNode* Node = Add(Parent, Text, Object);
        Node->Bind();
        return Node;
    }

    // A property line never has children: the keypad's expand keys must not reach its element's
    // stored expansion through it.
    void Property(TQORTreeNode* Parent, const QString& Text, TQORObject* Object)
    {
        TQORTreeNode* Node = Add(Parent, Text, Object);
        Node->setFlags(Node->flags() | Qt::ItemNeverHasChildren);
    }

    void Restore(TQORTreeNode* Node)
    {
        if (Node->Object() && Node->Object()->Expanded())
            FExpanded.push_back(Node);
    }

    void Finish()
    {
        if (FTarget)
            FTarget->addChildren(FRoots);
        else
            FTree.addTopLevelItems(FRoots);
        for (TQORTreeNode* Node : FExpanded)
            Node->setExpanded(true);
    }

    // The children of the bound Node, made by Build (builder, node): now, followed by the node's
    // stored state, when its object is stored expanded; else when first wanted. Without children
    // (HasChildren false) a collapsed node shows no expander.
    template <class F> void Children(TQORTreeNode* Node, bool HasChildren, F Build)
    {
        if (Node->Object()->Expanded()) {
            Build(*this, Node);
            Restore(Node);
        } else if (HasChildren) {
            Node->SetChildBuilder([&Tree = FTree, Build](TQORTreeNode& Shown) {
                TTreeBuilder Builder(Tree, &Shown);
                try {
                    Build(Builder, &Shown);
                } catch (...) {
                    Builder.Finish();
                    throw;
                }
                Builder.Finish();
            });
        }
    }

    // A group node showing List, one element node per item with the lines AddProperties (builder,
    // node, item) makes, each element's stored state applied after its lines, the group's last.
    template <class TItem, class F> void Group(TQORTreeNode* Parent, const char* Title, TQORList& List, F AddProperties)
    {
        TQORTreeNode* GroupNode = Bound(Parent, QLatin1String(Title), &List);
        Children(GroupNode, List.Count() > 0, [&List, AddProperties](TTreeBuilder& B, TQORTreeNode* Node) {
            for (int32_t I = 0; I < List.Count(); ++I) {
                auto* Item = List.ItemAs<TItem>(I);
                TQORTreeNode* ItemNode = B.Bound(Node, Item->Name, Item);
                B.Children(ItemNode, true, [Item, AddProperties](TTreeBuilder& B, TQORTreeNode* Node) {
                    AddProperties(B, Node, *Item);
                });
            }
        });
    }

private:
    TQORTreeNode* Add(TQORTreeNode* Parent, const QString& Text, TQORObject* Object)
    {
        auto* Node = new TQORTreeNode(Object);
        Node->setText(0, Text);
        if (Parent && Parent != FTarget)
            Parent->addChild(Node);
        else
            FRoots.append(Node);
        return Node;
    }

    TQORObjectTreeView& FTree;
    TQORTreeNode* FTarget = nullptr;
    QList<QTreeWidgetItem*> FRoots;
    std::vector<TQORTreeNode*> FExpanded;
};

void AddCreators(TTreeBuilder& B, TQORTreeNode* Node, TQORObject* Object, const QString& Creator, const QString& Sub)
{
    B.Property(Node, Line("Creator: ", Creator), Object);
    B.Property(Node, Line("Sub creator: ", Sub), Object);
}

void AddDataTypes(TTreeBuilder& B, TData& Document, TPackageMarkers& Markers)
{
    Markers.DataTypes.SetExpanded(Document.DataTypesExpanded);
    TQORTreeNode* DataTypes = B.Bound(nullptr, QStringLiteral("Data types"), &Markers.DataTypes);
    B.Group<TTaskType>(
        DataTypes, "Task types", Document.TaskTypes, [](TTreeBuilder& B, TQORTreeNode* Node, TTaskType& Type) {
            B.Property(Node, IDText(Type.ID), &Type);
            B.Property(Node, Line("Name: ", Type.Name), &Type);
            B.Property(Node, Line("File name extension: ", Type.FileNameExtension), &Type);
            AddCreators(B, Node, &Type, Type.Creator, Type.SubCreator);
        });
    B.Group<TTaskResultItemFormat>(DataTypes,
                                   "Task result item formats",
                                   Document.TaskResultItemFormats,
                                   [](TTreeBuilder& B, TQORTreeNode* Node, TTaskResultItemFormat& Format) {
                                       B.Property(Node, IDText(Format.ID), &Format);
                                       B.Property(Node, Line("Name: ", Format.Name), &Format);
                                       AddCreators(B, Node, &Format, Format.Creator, Format.SubCreator);
                                   });
    B.Group<TTaskRecordingType>(DataTypes,
                                "Task recording types",
                                Document.TaskRecordingTypes,
                                [](TTreeBuilder& B, TQORTreeNode* Node, TTaskRecordingType& Type) {
                                    B.Property(Node, IDText(Type.ID), &Type);
                                    B.Property(Node, Line("Name: ", Type.Name), &Type);
                                    B.Property(Node, Line("File name extension: ", Type.FileNameExtension), &Type);
                                    AddCreators(B, Node, &Type, Type.Creator, Type.SubCreator);
                                });
    B.Group<TMediaItemFormat>(
        DataTypes,
        "Media item formats",
        Document.MediaItemFormats,
        [](TTreeBuilder& B, TQORTreeNode* Node, TMediaItemFormat& Format) {
            B.Property(Node, IDText(Format.ID), &Format);
            B.Property(Node, Line("Name: ", Format.Name), &Format);
            B.Property(Node, Line("Media item type: ", MediaItemTypeText(Format.MediaItemType)), &Format);
            B.Property(Node, Line("File name extension: ", Format.FileNameExtension), &Format);
            AddCreators(B, Node, &Format, Format.Creator, Format.SubCreator);
        });
    B.Restore(DataTypes);
}

void AddAccess(TTreeBuilder& B,
               TQORTreeNode* Node,
               TQORObject* Object,
               bool Engineers,
               bool Administrators,
               bool Trainers,
               bool Students)
{
    B.Property(Node, Line("Accessible by service engineers: ", Engineers), Object);
    B.Property(Node, Line("Accessible by system administrators: ", Administrators), Object);
    B.Property(Node, Line("Accessible by trainers: ", Trainers), Object);
    B.Property(Node, Line("Accessible by students: ", Students), Object);
}

// A folder written the Windows way (as definitions carry them) is joined the same way, whatever the
// platform's own separator.
QString SupportFileText(const TSupportFile& File)
{
    const QString& Folder = File.SourceFilePath;
    if (Folder.contains(QLatin1Char('\\')) && !Folder.contains(QLatin1Char('/')) && !File.SourceFileName.isEmpty() &&
        !Folder.endsWith(QLatin1Char('\\')))
        return Folder + QLatin1Char('\\') + File.SourceFileName;
    return CombinePath(Folder, File.SourceFileName);
}

void AddSupportFiles(TTreeBuilder& B, TQORTreeNode* ModuleNode, TSupportFiles& Files)
{
    TQORTreeNode* Group = B.Bound(ModuleNode, QStringLiteral("Support files"), &Files);
    B.Children(Group, Files.Count() > 0, [&Files](TTreeBuilder& B, TQORTreeNode* Group) {
        for (int32_t I = 0; I < Files.Count(); ++I) {
            TSupportFile* File = Files.Items(I);
            QString Text = SupportFileText(*File);
            if (Text.isEmpty())
                Text = QStringLiteral("<Support file name>");
            TQORTreeNode* Node = B.Bound(Group, Text, File);
            Node->setFlags(Node->flags() | Qt::ItemNeverHasChildren);
        }
    });
}

void AddTaskModuleObjects(TTreeBuilder& B, TQORTreeNode* ModuleNode, TTaskModuleObjects& Objects)
{
    B.Group<TTaskModuleObject>(
        ModuleNode, "Task module objects", Objects, [](TTreeBuilder& B, TQORTreeNode* Node, TTaskModuleObject& Object) {
            B.Property(Node, IDText(Object.ID), &Object);
            B.Property(Node, Line("Name: ", Object.Name), &Object);
            B.Property(Node, Line("Full type name: ", Object.FullTypeName), &Object);
            AddAccess(B,
                      Node,
                      &Object,
                      Object.AccessibleByServiceEngineers,
                      Object.AccessibleBySystemAdministrators,
                      Object.AccessibleByTrainers,
                      Object.AccessibleByStudents);
            TTaskModules& Modules = Object.TaskModules;
            TQORTreeNode* Group = B.Bound(Node, QStringLiteral("Task modules"), &Modules);
            B.Children(Group, Modules.Count() > 0, [&Modules](TTreeBuilder& B, TQORTreeNode* Group) {
                for (int32_t I = 0; I < Modules.Count(); ++I) {
                    TTaskModule* Module = Modules.Items(I);
                    TQORTreeNode* ModuleNode = B.Bound(Group, TaskModuleTypeText(Module->Type), Module);
                    B.Children(ModuleNode, true, [Module](TTreeBuilder& B, TQORTreeNode* Node) {
                        B.Property(Node, IDText(Module->ID), Module);
                    });
                }
            });
        });
}

void AddCommandLineTools(TTreeBuilder& B, TQORTreeNode* ModuleNode, TCommandLineTools& Tools)
{
    B.Group<TCommandLineTool>(
        ModuleNode, "Command line tools", Tools, [](TTreeBuilder& B, TQORTreeNode* Node, TCommandLineTool& Tool) {
            B.Property(Node, IDText(Tool.ID), &Tool);
            B.Property(Node, Line("Name: ", Tool.Name), &Tool);
            B.Property(Node, Line("Command line arguments: ", Tool.CommandLineArguments), &Tool);
            AddAccess(B,
                      Node,
                      &Tool,
                      Tool.AccessibleByServiceEngineers,
                      Tool.AccessibleBySystemAdministrators,
                      Tool.AccessibleByTrainers,
                      Tool.AccessibleByStudents);
            B.Property(Node, Line("Run as administrator: ", Tool.RunAsAdministrator), &Tool);
        });
}

void AddDocument(TTreeBuilder& B, TData& Document, TPackageMarkers& Markers)
{
    B.Property(nullptr, IDText(Document.ID).prepend(QStringLiteral("Code package ")), &Markers.CodePackageID);
    B.Property(nullptr, Line("Code package name: ", Document.Name), &Markers.CodePackageInfo);
    B.Property(nullptr, Line("Code package description: ", Document.Description), &Markers.CodePackageInfo);
    B.Property(nullptr, Line("Code package creator: ", Document.Creator), &Markers.CodePackageInfo);
    B.Property(nullptr, Line("Code package sub creator: ", Document.SubCreator), &Markers.CodePackageInfo);
    B.Property(nullptr, Line("Allow export from LMS: ", Document.AllowExportFromLMS), &Markers.AllowExportFromLMS);
    B.Property(nullptr, Line("Beta software: ", Document.BetaSoftware), &Markers.BetaSoftware);

    AddDataTypes(B, Document, Markers);

    B.Group<TInterfaceType>(nullptr,
                            "Interface types",
                            Document.InterfaceTypes,
                            [](TTreeBuilder& B, TQORTreeNode* Node, TInterfaceType& Type) {
                                B.Property(Node, IDText(Type.ID), &Type);
                                B.Property(Node, Line("Name: ", Type.Name), &Type);
                                AddCreators(B, Node, &Type, Type.Creator, Type.SubCreator);
                            });

    B.Group<TDriver>(nullptr, "Drivers", Document.Drivers, [](TTreeBuilder& B, TQORTreeNode* Node, TDriver& Driver) {
        B.Property(Node, IDText(Driver.ID), &Driver);
        B.Property(Node, Line("Name: ", Driver.Name), &Driver);
        B.Property(Node, Line("File path: ", Driver.FilePath), &Driver);
        B.Property(Node, Line("File name: ", Driver.FileName), &Driver);
        B.Property(Node, Line("Object server type: ", ObjectServerTypeText(Driver.ObjectServerType)), &Driver);
        B.Property(Node, Line("Location: ", DriverLocationText(Driver.Location)), &Driver);
        B.Property(Node, Line("Register: ", Driver.Register), &Driver);
        AddCreators(B, Node, &Driver, Driver.Creator, Driver.SubCreator);
    });

    B.Group<TCodeModule>(
        nullptr, "Code modules", Document.CodeModules, [](TTreeBuilder& B, TQORTreeNode* Node, TCodeModule& Module) {
            B.Property(Node, IDText(Module.ID), &Module);
            B.Property(Node, Line("Name: ", Module.Name), &Module);
            B.Property(Node, Line("Location: ", CodeModuleLocationText(Module.Location)), &Module);
            B.Property(Node, Line("File path: ", Module.FilePath), &Module);
            B.Property(Node, Line("File name: ", Module.FileName), &Module);
            B.Property(Node, Line("Object server type: ", ObjectServerTypeText(Module.ObjectServerType)), &Module);
            AddCreators(B, Node, &Module, Module.Creator, Module.SubCreator);
            AddSupportFiles(B, Node, Module.SupportFiles);
            AddTaskModuleObjects(B, Node, Module.TaskModuleObjects);
            AddCommandLineTools(B, Node, Module.CommandLineTools);
        });
}

} // namespace

void RebuildTree(TQORObjectTreeView& Tree, TData& Document, TPackageMarkers& Markers)
{
    Tree.clear();
    TTreeBuilder Builder(Tree);
    try {
        AddDocument(Builder, Document, Markers);
    } catch (...) {
        // What was built up to the failure is shown, as if the nodes had been added one by one.
        Builder.Finish();
        throw;
    }
    Builder.Finish();
}

namespace {

// The object whose node holds List's group node.
const TQORObject* OwnerOf(TData& Document, TPackageMarkers& Markers, const TQORObject* List)
{
    for (const TQORObject* DataTypes : std::initializer_list<const TQORObject*>{&Document.TaskTypes,
                                                                                &Document.TaskResultItemFormats,
                                                                                &Document.TaskRecordingTypes,
                                                                                &Document.MediaItemFormats})
        if (List == DataTypes)
            return &Markers.DataTypes;
    for (int32_t I = 0; I < Document.CodeModules.Count(); ++I) {
        const TCodeModule* Module = Document.CodeModules.Items(I);
        if (List == &Module->SupportFiles || List == &Module->TaskModuleObjects || List == &Module->CommandLineTools)
            return Module;
        for (int32_t J = 0; J < Module->TaskModuleObjects.Count(); ++J)
            if (List == &Module->TaskModuleObjects.Items(J)->TaskModules)
                return Module->TaskModuleObjects.Items(J);
    }
    return nullptr;
}

} // namespace

TQORTreeNode* ObjectNode(TData& Document, TPackageMarkers& Markers, const TQORObject* Object)
{
    if (!Object)
        return nullptr;
    if (TQORTreeNode* Node = Object->TreeNode())
        return Node;
    // An element's node is made by its group's, a group's by the node of the element (or the "Data
    // types" node) it belongs to.
    const TQORObject* Holder = Object->Parent();
    if (!Holder)
        Holder = OwnerOf(Document, Markers, Object);
    TQORTreeNode* HolderNode = ObjectNode(Document, Markers, Holder);
    if (!HolderNode)
        return nullptr;
    HolderNode->BuildChildren();
    return Object->TreeNode();
}

void RecordDataTypesExpanded(TData& Document, const TQORTreeNode* Node, bool Expanded)
{
    if (Node && dynamic_cast<const TDataTypesID*>(Node->Object()))
        Document.DataTypesExpanded = Expanded;
}

QString NodeSubject(const QTreeWidgetItem* Node)
{
    if (!Node)
        return {};
    const QString Text = Node->text(0);
    const TQORTreeNode* ObjectNode = TQORObjectTreeView::NodeOf(const_cast<QTreeWidgetItem*>(Node));
    if (ObjectNode && ObjectNode->IsBound())
        return Text;
    const qsizetype Label = Text.indexOf(QLatin1String(": "));
    return Label < 0 ? Text : Text.left(Label);
}

const TQORObject* ElementInPlaceOf(const TQORObject& Element)
{
    const TQORList* List = Element.Parent();
    if (!List)
        return nullptr;
    const int32_t Next = Element.GetIndex() + 1;
    return Next < List->Count() ? List->Items(Next) : List;
}
