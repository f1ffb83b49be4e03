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
class TTreeBuilder
{
public:
    explicit TTreeBuilder(TQORObjectTreeView& Tree) : FTree(Tree) {}

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
        FTree.addTopLevelItems(FRoots);
        for (TQORTreeNode* Node : FExpanded)
            Node->setExpanded(true);
    }

    // A group node showing List, one element node per item built by AddProperties, each element's
    // stored state applied after its properties, the group's last.
    template <class TItem, class F> void Group(TQORTreeNode* Parent, const char* Title, TQORList& List, F AddProperties)
    {
        TQORTreeNode* GroupNode = Bound(Parent, QLatin1String(Title), &List);
        for (int32_t I = 0; I < List.Count(); ++I) {
            auto* Item = List.ItemAs<TItem>(I);
            TQORTreeNode* Node = Bound(GroupNode, Item->Name, Item);
            AddProperties(Node, *Item);
            Restore(Node);
        }
        Restore(GroupNode);
    }

private:
    TQORTreeNode* Add(TQORTreeNode* Parent, const QString& Text, TQORObject* Object)
    {
        auto* Node = new TQORTreeNode(Object);
        Node->setText(0, Text);
        if (Parent)
            Parent->addChild(Node);
        else
            FRoots.append(Node);
        return Node;
    }

    TQORObjectTreeView& FTree;
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
    B.Group<TTaskType>(DataTypes, "Task types", Document.TaskTypes, [&B](TQORTreeNode* Node, TTaskType& Type) {
        B.Property(Node, IDText(Type.ID), &Type);
        B.Property(Node, Line("Name: ", Type.Name), &Type);
        B.Property(Node, Line("File name extension: ", Type.FileNameExtension), &Type);
        AddCreators(B, Node, &Type, Type.Creator, Type.SubCreator);
    });
    B.Group<TTaskResultItemFormat>(DataTypes,
                                   "Task result item formats",
                                   Document.TaskResultItemFormats,
                                   [&B](TQORTreeNode* Node, TTaskResultItemFormat& Format) {
                                       B.Property(Node, IDText(Format.ID), &Format);
                                       B.Property(Node, Line("Name: ", Format.Name), &Format);
                                       AddCreators(B, Node, &Format, Format.Creator, Format.SubCreator);
                                   });
    B.Group<TTaskRecordingType>(DataTypes,
                                "Task recording types",
                                Document.TaskRecordingTypes,
                                [&B](TQORTreeNode* Node, TTaskRecordingType& Type) {
                                    B.Property(Node, IDText(Type.ID), &Type);
                                    B.Property(Node, Line("Name: ", Type.Name), &Type);
                                    B.Property(Node, Line("File name extension: ", Type.FileNameExtension), &Type);
                                    AddCreators(B, Node, &Type, Type.Creator, Type.SubCreator);
                                });
    B.Group<TMediaItemFormat>(
        DataTypes, "Media item formats", Document.MediaItemFormats, [&B](TQORTreeNode* Node, TMediaItemFormat& Format) {
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
    for (int32_t I = 0; I < Files.Count(); ++I) {
        TSupportFile* File = Files.Items(I);
        QString Text = SupportFileText(*File);
        if (Text.isEmpty())
            Text = QStringLiteral("<Support file name>");
        TQORTreeNode* Node = B.Bound(Group, Text, File);
        Node->setFlags(Node->flags() | Qt::ItemNeverHasChildren);
    }
    B.Restore(Group);
}

void AddTaskModuleObjects(TTreeBuilder& B, TQORTreeNode* ModuleNode, TTaskModuleObjects& Objects)
{
    B.Group<TTaskModuleObject>(
        ModuleNode, "Task module objects", Objects, [&B](TQORTreeNode* Node, TTaskModuleObject& Object) {
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
            TQORTreeNode* Group = B.Bound(Node, QStringLiteral("Task modules"), &Object.TaskModules);
            for (int32_t I = 0; I < Object.TaskModules.Count(); ++I) {
                TTaskModule* Module = Object.TaskModules.Items(I);
                TQORTreeNode* ModuleNode = B.Bound(Group, TaskModuleTypeText(Module->Type), Module);
                B.Property(ModuleNode, IDText(Module->ID), Module);
                B.Restore(ModuleNode);
            }
            B.Restore(Group);
        });
}

void AddCommandLineTools(TTreeBuilder& B, TQORTreeNode* ModuleNode, TCommandLineTools& Tools)
{
    B.Group<TCommandLineTool>(
        ModuleNode, "Command line tools", Tools, [&B](TQORTreeNode* Node, TCommandLineTool& Tool) {
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

    B.Group<TInterfaceType>(
        nullptr, "Interface types", Document.InterfaceTypes, [&B](TQORTreeNode* Node, TInterfaceType& Type) {
            B.Property(Node, IDText(Type.ID), &Type);
            B.Property(Node, Line("Name: ", Type.Name), &Type);
            AddCreators(B, Node, &Type, Type.Creator, Type.SubCreator);
        });

    B.Group<TDriver>(nullptr, "Drivers", Document.Drivers, [&B](TQORTreeNode* Node, TDriver& Driver) {
        B.Property(Node, IDText(Driver.ID), &Driver);
        B.Property(Node, Line("Name: ", Driver.Name), &Driver);
        B.Property(Node, Line("File path: ", Driver.FilePath), &Driver);
        B.Property(Node, Line("File name: ", Driver.FileName), &Driver);
        B.Property(Node, Line("Object server type: ", ObjectServerTypeText(Driver.ObjectServerType)), &Driver);
        B.Property(Node, Line("Location: ", DriverLocationText(Driver.Location)), &Driver);
        B.Property(Node, Line("Register: ", Driver.Register), &Driver);
        AddCreators(B, Node, &Driver, Driver.Creator, Driver.SubCreator);
    });

    B.Group<TCodeModule>(nullptr, "Code modules", Document.CodeModules, [&B](TQORTreeNode* Node, TCodeModule& Module) {
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
