// Renders sample automatic forms, the controls and the object tree view to PNG files, so that their
// layout can be looked at without a display: quillon-gallery OUTDIR (QT_QPA_PLATFORM=offscreen).

#include "forms/Controls.h"
#include "forms/ObjectTreeView.h"
#include "forms/QORApplication.h"
#include "forms/QORForms.h"
#include "foundation/QORExceptions.h"
#include "tools/gallery/ElementDialogGallery.h"
#include "tools/gallery/MainWindowGallery.h"
#include "tools/gallery/PackageWindowGallery.h"
#include "tools/gallery/ProblemsGallery.h"

#include <QDir>
#include <QTextStream>

#include <functional>
#include <memory>
#include <vector>

namespace {

// The values the sample forms edit.
struct TSampleValues
{
    TGUID ID = TGUID::Parse("{4901B4C9-06FE-49B0-825A-D47ABA66C5F6}");
    QString Name = QStringLiteral("Flight data recorder");
    QString FilePath = QStringLiteral("C:\\Program Files\\Sample\\Modules");
    QString FileName = QStringLiteral("Recorder.dll");
    int32_t Location = 1;
    int32_t ServerType = 1;
    bool Register = true;
    bool DirectActivation = false;
    bool FromSource = false;
    QString Creator = QStringLiteral("Sample maker");
    QString SubCreator;
    QString Notes = QStringLiteral("Records every channel.");
    QString About = QStringLiteral("First line\r\nSecond line");
    QStringList Categories{QStringLiteral("Diagnostics"), QStringLiteral("Recording")};
    bool Accessible[4] = {true, false, true, false};
    bool Supported = true;
    int32_t PreferredWidth = 640;
    int32_t PreferredHeight = 480;
    int32_t Retries = 3;
};

TSampleValues Values;

QString LocationName(int32_t Value)
{
    static const char* Names[] = {"None", "Embedded", "Linked"};
    return QString::fromLatin1(Names[Value]);
}

QString ServerTypeName(int32_t Value)
{
    static const char* Names[] = {"None", "COM", ".Net"};
    return QString::fromLatin1(Names[Value]);
}

void AddPermissions(TQORAutoFormItems& Items, QWidget* Owner)
{
    static const char* Captions[] = {"Accessible by service engineers",
                                     "Accessible by system administrators",
                                     "Accessible by trainers",
                                     "Accessible by students"};
    for (int I = 0; I < 4; ++I)
        AddControl(Items,
                   CreateBooleanCheckBox(
                       Owner, QString::fromLatin1(Captions[I]), &Values.Accessible[I], QString(), taLeftJustify));
}

// Rows like an element dialog at full depth: every kind of row, labelled and unlabelled.
std::unique_ptr<TQORAutoForm> ElementForm()
{
    auto Form = std::make_unique<TQORAutoForm>();
    TQORAutoForm* F = Form.get();
    F->Setup({.Caption = QStringLiteral("Code Module"), .MinLabelWidth = 112, .MinControlWidth = 600});
    TQORAutoFormItems& Items = F->Items();
    AddItem(Items, QStringLiteral("ID"), CreateEditGUID(F, &Values.ID, QStringLiteral("ID"), false));
    AddItem(Items, QStringLiteral("Name"), CreateEditString(F, &Values.Name, QStringLiteral("Name")));
    AddItem(Items, QStringLiteral("File path"), CreateEditString(F, &Values.FilePath, QStringLiteral("File path")));
    AddItem(Items, QStringLiteral("File name"), CreateEditString(F, &Values.FileName, QStringLiteral("File name")));
    AddItem(Items,
            QStringLiteral("Location"),
            CreateEnumerationComboBox(F, &Values.Location, QStringLiteral("Location"), 0, 2, LocationName));
    AddItem(
        Items,
        QStringLiteral("Object server type"),
        CreateEnumerationComboBox(F, &Values.ServerType, QStringLiteral("Object server type"), 0, 2, ServerTypeName));
    AddControl(Items,
               CreateBooleanCheckBox(F,
                                     QStringLiteral("Register (not needed for .Net assemblies if direct "
                                                    "activation is specified)"),
                                     &Values.Register,
                                     QStringLiteral("Register"),
                                     taLeftJustify));
    AddControl(Items,
               CreateBooleanCheckBox(F,
                                     QStringLiteral("Use direct activation (.Net assemblies only)"),
                                     &Values.DirectActivation,
                                     QStringLiteral("Use direct activation"),
                                     taLeftJustify));
    AddItem(Items,
            QStringLiteral("Tool categories"),
            CreateEditStrings(F, &Values.Categories, QStringLiteral("Tool categories"), 200, 100));
    AddItem(Items, QStringLiteral("Creator"), CreateEditString(F, &Values.Creator, QStringLiteral("Creator")));
    AddItem(
        Items, QStringLiteral("Sub creator"), CreateEditString(F, &Values.SubCreator, QStringLiteral("Sub creator")));
    AddItem(Items, QStringLiteral("Notes"), CreateEditString(F, &Values.Notes, QStringLiteral("Notes")));
    F->Buttons().emplace_back(CreateCommandButton(F, QStringLiteral("Load ID"), false, {}, false));
    return Form;
}

// Group boxes: an unlabelled one and a labelled one holding labelled integer rows.
std::unique_ptr<TQORAutoForm> GroupForm()
{
    auto Form = std::make_unique<TQORAutoForm>();
    TQORAutoForm* F = Form.get();
    F->Setup({.Caption = QStringLiteral("Task Module Object"), .MinControlWidth = 456});
    TQORAutoFormItems& Items = F->Items();
    AddItem(Items, QStringLiteral("ID"), CreateEditGUID(F, &Values.ID, QStringLiteral("ID"), false));
    AddItem(Items, QStringLiteral("Name"), CreateEditString(F, &Values.Name, QStringLiteral("Name")));
    AddControl(
        Items,
        CreateBooleanCheckBox(F, QStringLiteral("Run out of process"), &Values.FromSource, QString(), taLeftJustify));
    TContainerGroupBox* Notes = AddGroupItem(Items,
                                             F,
                                             QStringLiteral("LMS notes support"),
                                             QStringLiteral("For embedding task module object into LMS notes"),
                                             0,
                                             100);
    AddControl(Notes->Items(),
               CreateBooleanCheckBox(Notes, QStringLiteral("Supported"), &Values.Supported, QString(), taLeftJustify));
    AddItem(Notes->Items(),
            QStringLiteral("Preferred width"),
            CreateEditInteger(Notes, &Values.PreferredWidth, QString(), false, 0, false, 0, false, 0));
    AddItem(Notes->Items(),
            QStringLiteral("Preferred height"),
            CreateEditInteger(Notes, &Values.PreferredHeight, QString(), false, 0, false, 0, false, 0));
    TContainerGroupBox* Tool = AddGroupItem(Items, F, QStringLiteral("Tool"), QStringLiteral("Permissions"), 0, 100);
    AddPermissions(Tool->Items(), Tool);
    AddItem(Items, QStringLiteral("Notes"), CreateEditString(F, &Values.Notes, QStringLiteral("Notes")));
    return Form;
}

// A sizeable form with a stretching memo, the buttons in a right column.
std::unique_ptr<TQORAutoForm> SizeableForm()
{
    auto Form = std::make_unique<TQORAutoForm>();
    TQORAutoForm* F = Form.get();
    F->Setup({.BorderStyle = bsSizeable,
              .Caption = QStringLiteral("About"),
              .Buttons = fbOK | fbCancel | fbDefault | fbApply,
              .ButtonLayout = blRightColumn,
              .MinControlWidth = 300});
    TQORAutoFormItems& Items = F->Items();
    AddItem(Items, QStringLiteral("Name"), CreateEditString(F, &Values.Name, QStringLiteral("Name"), true, "Unnamed"));
    AddItem(Items,
            QStringLiteral("About"),
            CreateEditMultilineString(
                F, &Values.About, QStringLiteral("About"), false, QString(), true, 89, false, ssVertical));
    AddItem(Items,
            QStringLiteral("Retries"),
            CreateEditInteger(F, &Values.Retries, QStringLiteral("Retries"), true, 3, true, 0, true, 10));
    AddControl(Items, CreateTextLabel(F, QStringLiteral("Values apply to new packages only.")));
    F->resize(520, 320);
    return Form;
}

// The small prompt of the string list editor.
std::unique_ptr<TQORAutoForm> PromptForm()
{
    static QString Text = QStringLiteral("Diagnostics");
    auto Form = std::make_unique<TQORAutoForm>();
    TQORAutoForm* F = Form.get();
    F->Setup({.Caption = QStringLiteral("Edit"), .MinControlWidth = 200});
    AddControl(F->Items(), CreateEditString(F, &Text, QString()));
    return Form;
}

void Render(QWidget& Widget, const QString& FileName)
{
    Widget.show();
    QApplication::processEvents();
    if (!Widget.grab().save(FileName))
        throw E_QOR_ErrorCreatingFile(QStringLiteral("File name='%1'").arg(FileName));
    Widget.hide();
}

void RenderForm(TQORAutoForm& Form, const QString& FileName)
{
    Form.CreateItems();
    Form.LoadValues();
    Form.Arrange();
    Render(Form, FileName);
}

class TSampleObject : public TQORObject
{
public:
    explicit TSampleObject(bool Expanded) { SetExpanded(Expanded); }
};

void RenderTree(const QString& FileName)
{
    TSampleObject Types(true), TaskType(true), Drivers(false), Modules(true), Module(false);
    TQORObjectTreeView Tree;
    Tree.resize(420, 240);
    Tree.AddObjectNode(
        nullptr, QStringLiteral("Code package ID: {00000000-0000-0000-0000-000000000000}"), true, nullptr);
    Tree.AddObjectNode(nullptr, QStringLiteral("Code package name: Sample"), true, nullptr);
    TQORTreeNode* TypesNode = Tree.AddObjectNode(nullptr, QStringLiteral("Data types"), false, &Types);
    TQORTreeNode* TaskNode = Tree.AddObjectNode(TypesNode, QStringLiteral("Task types"), false, &TaskType);
    Tree.AddObjectNode(TaskNode, QStringLiteral("Flight"), true, &TaskType);
    Tree.AddObjectNode(nullptr, QStringLiteral("Drivers"), false, &Drivers);
    TQORTreeNode* ModulesNode = Tree.AddObjectNode(nullptr, QStringLiteral("Code modules"), false, &Modules);
    TQORTreeNode* ModuleNode = Tree.AddObjectNode(ModulesNode, QStringLiteral("Recorder"), false, &Module);
    Tree.AddObjectNode(ModuleNode, QStringLiteral("ID: {4901B4C9-06FE-49B0-825A-D47ABA66C5F6}"), true, &Module);
    Render(Tree, FileName);
    Tree.clear();
}

} // namespace

int main(int argc, char** argv)
{
    TQORApplication Application(argc, argv);
    QTextStream Err(stderr);
    if (argc != 2) {
        Err << "usage: quillon-gallery OUTDIR\n";
        return 2;
    }
    const QDir Out(QString::fromLocal8Bit(argv[1]));
    try {
        if (!QDir().mkpath(Out.path()))
            throw E_QOR_ErrorCreatingFile(QStringLiteral("Directory='%1'").arg(Out.path()));
        const std::vector<std::pair<QString, std::function<std::unique_ptr<TQORAutoForm>()>>> Forms{
            {QStringLiteral("form-element.png"), ElementForm},
            {QStringLiteral("form-groups.png"), GroupForm},
            {QStringLiteral("form-sizeable.png"), SizeableForm},
            {QStringLiteral("form-prompt.png"), PromptForm},
        };
        for (const auto& [Name, Create] : Forms) {
            std::unique_ptr<TQORAutoForm> Form = Create();
            RenderForm(*Form, Out.filePath(Name));
        }
        RenderTree(Out.filePath(QStringLiteral("object-tree.png")));
        RenderMainWindow(Out);
        RenderElementDialogs(Out);
        RenderProblemsAndContents(Out);
        RenderPackageWindow(Out);
    } catch (...) {
        Err << GetExceptionReport() << "\n";
        return 1;
    }
    return 0;
}
