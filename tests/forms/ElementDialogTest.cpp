#include "FormTestSupport.h"
#include "forms/Controls.h"
#include "forms/Pickers.h"
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
#include "model/Data.h"
#include "samples/SampleDefinitions.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using TDialogFactory = std::function<std::unique_ptr<TQORAutoForm>(TData& Package)>;

template <class T> TDialogFactory Plain()
{
    return [](TData&) { return std::make_unique<T>(); };
}

template <class T> TDialogFactory WithPackage()
{
    return [](TData& Package) { return std::make_unique<T>(nullptr, &Package); };
}

TDialogFactory TaskModule(TTaskModuleType Type)
{
    return [Type](TData& Package) {
        auto Dialog = std::make_unique<TTaskModuleDialog>(nullptr, &Package);
        static_cast<TTaskModule*>(Dialog->Value())->Type = Type;
        return Dialog;
    };
}

TDialogFactory Properties(TPackageProperty Property)
{
    return [Property](TData& Package) { return CreatePackagePropertiesForm(nullptr, Package, Property); };
}

struct TDialogCase
{
    const char* Name;
    TDialogFactory Create;
    QString Caption;
    int32_t MinControlWidth;
    // Row labels; an unlabelled row by its check box's caption or its group's title, in brackets.
    QStringList Rows;
};

void PrintTo(const TDialogCase& Case, std::ostream* Stream)
{
    *Stream << Case.Name;
}

const QStringList DataTypeTail{"Creator", "Sub creator", "Notes"};
const QStringList Permissions{"[Accessible by service engineers]",
                              "[Accessible by system administrators]",
                              "[Accessible by trainers]",
                              "[Accessible by students]"};
const QStringList TaskModuleLists{"Input task types",
                                  "Output task types",
                                  "Input task recording types",
                                  "Output task recording types",
                                  "Input task result item formats",
                                  "Output task result item formats",
                                  "Output media item formats"};

const TDialogCase DialogCases[] = {
    {"CodeModule",
     WithPackage<TCodeModuleDialog>(),
     "Code Module",
     600,
     {"ID",
      "Name",
      "File path",
      "File name",
      "Location",
      "Object server type",
      "[Register (not needed for .Net assemblies if direct activation is specified)]",
      "[Use direct activation (.Net assemblies only)]",
      "[Run task module objects from source location (for debugging)]",
      "Host interfaces",
      "Module interfaces",
      "Creator",
      "Sub creator",
      "Notes"}},
    {"Driver",
     Plain<TDriverDialog>(),
     "Driver",
     600,
     {"ID",
      "Name",
      "File path",
      "File name",
      "Location",
      "Object server type",
      "Register",
      "Creator",
      "Sub creator",
      "Notes"}},
    {"SupportFile",
     Plain<TSupportFileDialog>(),
     "Support File",
     600,
     {"Source file name", "Source file path", "Target relative file path", "[Install into GAC]"}},
    {"CreateTaskModule", Plain<TCreateTaskModuleDialog>(), "Task Module", 456, {"Type"}},
    {"TaskModuleViewer",
     TaskModule(tmtTaskResultItemViewer),
     "Task Result Item Viewer",
     456,
     QStringList{"ID", "[Supports multiple items]"} + TaskModuleLists},
    {"TaskModuleRunner", TaskModule(tmtTaskRunner), "Task Runner", 456, QStringList{"ID"} + TaskModuleLists},
    {"TaskModuleObject",
     WithPackage<TTaskModuleObjectDialog>(),
     "Task Module Object",
     456,
     QStringList{"ID",
                 "Name",
                 "Full type name (.Net assemblies only)",
                 "[Run out of process]",
                 "[Delay before returning to host]",
                 "Configurator",
                 "Command editor",
                 "LMS notes support",
                 "[Supported]",
                 "Preferred width",
                 "Preferred height",
                 "Tool categories",
                 "Tool"} +
         Permissions + QStringList{"Notes"}},
    {"CommandLineTool",
     WithPackage<TCommandLineToolDialog>(),
     "Command Line Tool",
     456,
     QStringList{"ID", "Name", "Command line arguments", "Tool categories", "[Permissions]"} + Permissions +
         QStringList{"Run as administrator", "Notes"}},
    {"InterfaceType", Plain<TInterfaceTypeDialog>(), "Interface Type", 400, QStringList{"ID", "Name"} + DataTypeTail},
    {"TaskType",
     Plain<TTaskTypeDialog>(),
     "Task Type",
     400,
     QStringList{"ID", "Name", "File name extension"} + DataTypeTail},
    {"TaskRecordingType",
     Plain<TTaskRecordingTypeDialog>(),
     "Task Recording Type",
     400,
     QStringList{"ID", "Name", "File name extension"} + DataTypeTail},
    {"TaskResultItemFormat",
     Plain<TTaskResultItemFormatDialog>(),
     "Task Result Item Format",
     400,
     QStringList{"ID", "Name", "Description"} + DataTypeTail},
    {"MediaItemFormat",
     Plain<TMediaItemFormatDialog>(),
     "Media Type Format",
     400,
     QStringList{"ID", "Name", "Media item type", "File name extension"} + DataTypeTail},
    {"PackageID", Properties(TPackageProperty::ID), "Code Package", 200, {"Code package ID"}},
    {"PackageInfo",
     Properties(TPackageProperty::Info),
     "Code Package",
     350,
     {"Code package name",
      "Code package description",
      "Code package 'About' information",
      "Code package creator",
      "Code package sub creator"}},
    {"PackageExport",
     Properties(TPackageProperty::AllowExportFromLMS),
     "Allow Export From LMS",
     200,
     {"[Allow export from LMS]"}},
    {"PackageBeta", Properties(TPackageProperty::BetaSoftware), "Beta Software", 200, {"[Beta software]"}},
};

// What a screen reader announces for the control. On this platform a drop-down list's name is its
// current entry and its label comes through the "labelled by" relation.
QString AccessibleName(QWidget* Control)
{
    QAccessibleInterface* Interface = QAccessible::queryAccessibleInterface(Control);
    if (!Interface)
        return {};
    if (qobject_cast<QComboBox*>(Control))
        for (const auto& [Label, Relation] : Interface->relations(QAccessible::Label))
            return Label->text(QAccessible::Name).chopped(1);
    return Interface->text(QAccessible::Name);
}

// The labels of the rows, group rows followed by their own; every labelled control must be named
// after its label for assistive technology.
void CollectRows(const TQORAutoFormItems& Items, QStringList& Rows)
{
    for (int32_t I = 0; I < Items.Count(); ++I) {
        TQORAutoFormItem* Row = Items.Row(I);
        if (Row->HasLabel) {
            Rows.append(Row->Caption);
            EXPECT_EQ(AccessibleName(Row->Control), Row->Caption);
        } else if (auto* Box = qobject_cast<QCheckBox*>(Row->Control.data())) {
            QString Caption = Box->text();
            Caption.chop(1);
            Rows.append("[" + Caption + "]");
            EXPECT_EQ(AccessibleName(Box), Caption);
        } else if (auto* Group = qobject_cast<QGroupBox*>(Row->Control.data())) {
            Rows.append("[" + Group->title() + "]");
        }
        if (auto* Container = dynamic_cast<ITabOrderContainer*>(Row->Control.data()))
            CollectRows(Container->ContainedItems(), Rows);
    }
}

class ElementDialog : public FormTest, public testing::WithParamInterface<TDialogCase>
{
protected:
    void SetUp() override { SampleDefinitions::BuildRich(Package); }
    TData Package;
};

TEST_P(ElementDialog, CaptionRowsAndAccessibleNames)
{
    const TDialogCase& Case = GetParam();
    std::unique_ptr<TQORAutoForm> Dialog = Case.Create(Package);
    Dialog->CreateItems();
    Dialog->LoadValues();
    Dialog->Arrange();
    EXPECT_EQ(Dialog->windowTitle(), Case.Caption);
    EXPECT_EQ(Dialog->MinControlWidth, Case.MinControlWidth);
    QStringList Rows;
    CollectRows(Dialog->Items(), Rows);
    EXPECT_EQ(Rows, Case.Rows);
}

INSTANTIATE_TEST_SUITE_P(Table, ElementDialog, testing::ValuesIn(DialogCases), PrintedTestName());

QPushButton* LoadIDButton(TQORAutoForm& Dialog)
{
    for (const QPointer<QAbstractButton>& Button : Dialog.Buttons())
        if (Button && Button->text() == "Load ID")
            return qobject_cast<QPushButton*>(Button.data());
    return nullptr;
}

const TGUID OldID = SampleDefinitions::SampleGUID(7);
const TGUID FixtureLibrary = TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A01}");

struct TLoadIDCase
{
    const char* Name;
    TObjectServerType ServerType;
    const char* FileName;
    bool ClickOK;
    TGUID Expected;
    QString Message;
};

void PrintTo(const TLoadIDCase& Case, std::ostream* Stream)
{
    *Stream << Case.Name;
}

class LoadID : public FormTest, public testing::WithParamInterface<TLoadIDCase>
{};

// The button row reads OK, Cancel, Load ID; the ID read reaches the element only through OK.
TEST_P(LoadID, ReadsTheLibraryIDIntoTheWorkingCopy)
{
    const TLoadIDCase& Case = GetParam();
    TData Package;
    TCodeModule Module;
    Module.ID = OldID;
    Module.ObjectServerType = Case.ServerType;
    Module.FilePath = QDir::toNativeSeparators(QStringLiteral(QUILLON_TEST_DATA "/typelib"));
    Module.FileName = Case.FileName;
    TCodeModuleDialog Dialog(nullptr, &Package);
    Dialog.SetValueReference(&Module);
    QString Shown;
    WhenModal([&](QWidget*) {
        ASSERT_EQ(Dialog.Buttons().size(), 3u);
        EXPECT_EQ(Dialog.Buttons()[2], LoadIDButton(Dialog));
        QTest::mouseClick(LoadIDButton(Dialog), Qt::LeftButton);
        Shown = static_cast<TEditGUID*>(Dialog.Items().Row(0)->Control.data())->text();
        if (Case.ClickOK)
            QTest::mouseClick(Dialog.OKButton(), Qt::LeftButton);
        else
            Dialog.reject();
    });
    EXPECT_EQ(Dialog.Execute(), Case.ClickOK);
    Dialog.SetValueReference(nullptr);
    EXPECT_EQ(Shown, Case.Message.isEmpty() ? FixtureLibrary.ToString() : OldID.ToString());
    EXPECT_EQ(Module.ID, Case.Expected);
    EXPECT_EQ(MessageTexts(), Case.Message.isEmpty() ? QStringList() : QStringList{Case.Message});
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    LoadID,
    testing::Values(TLoadIDCase{"FixtureDLL", ostCOM, "fixture32.dll", true, FixtureLibrary, {}},
                    TLoadIDCase{"CancelKeepsOldID", ostCOM, "fixture.tlb", false, OldID, {}},
                    TLoadIDCase{"DotNet", ostDotNet, "fixture32.dll", true, OldID, "Only COM servers are supported."},
                    TLoadIDCase{"NoTypeLibrary", ostCOM, "plain.dll", true, OldID, "Unable to load type library."},
                    TLoadIDCase{"MissingFile", ostCOM, "absent.dll", true, OldID, "Unable to load type library."}),
    PrintedTestName());

// The driver dialog reads the ID the same way.
TEST_F(FormTest, DriverLoadIDReadsTheLibraryID)
{
    TDriverDialog Dialog;
    auto* Driver = static_cast<TDriver*>(Dialog.Value());
    Driver->ObjectServerType = ostCOM;
    Driver->FilePath = QStringLiteral(QUILLON_TEST_DATA "/typelib/");
    Driver->FileName = QStringLiteral("fixture64.dll");
    Dialog.LoadValues();
    Dialog.LoadIDClick();
    EXPECT_EQ(Driver->ID, FixtureLibrary);
    EXPECT_TRUE(MessageTexts().isEmpty());
}

QStringList Entries(const TAutoComboBox* List)
{
    QStringList Result;
    for (int I = 0; I < List->count(); ++I)
        Result.append(List->itemText(I));
    return Result;
}

// The choice lists offer one entry per matching module of every other object, and never the edited
// object's own; the choice made reaches the object through OK, a cancelled edit changes nothing.
TEST_F(FormTest, TaskModuleObjectChoicesSkipTheEditedObject)
{
    TData Package;
    auto* Module = SampleDefinitions::AddElement<TCodeModule>(Package.CodeModules);
    uint32_t Next = 1;
    const auto AddObject = [&](const QString& Name, std::initializer_list<TTaskModuleType> Types) {
        auto* Object = SampleDefinitions::AddElement<TTaskModuleObject>(Module->TaskModuleObjects);
        Object->Name = Name;
        for (TTaskModuleType Type : Types) {
            auto* Task = SampleDefinitions::AddElement<TTaskModule>(Object->TaskModules);
            Task->Type = Type;
            Task->ID = SampleDefinitions::SampleGUID(Next++);
        }
        return Object;
    };
    TTaskModuleObject* Alpha =
        AddObject("Alpha", {tmtTaskModuleConfigurator, tmtTaskModuleCommandEditor, tmtTaskModuleConfigurator});
    TTaskModuleObject* Beta = AddObject("Beta", {tmtTaskModuleConfigurator, tmtTaskRunner});
    Beta->Configurator = Alpha->TaskModules.Items(2);

    for (bool ClickOK : {false, true}) {
        TTaskModuleObjectDialog Dialog(nullptr, &Package);
        Dialog.SetValueReference(Beta);
        WhenModal([&](QWidget*) {
            EXPECT_EQ(Entries(Dialog.ConfiguratorList()), QStringList({"None", "Alpha", "Alpha"}));
            EXPECT_EQ(Dialog.ConfiguratorList()->currentIndex(), 2);
            EXPECT_EQ(Entries(Dialog.CommandEditorList()), QStringList({"None", "Alpha"}));
            EXPECT_EQ(Dialog.CommandEditorList()->currentIndex(), 0);
            Dialog.ConfiguratorList()->setCurrentIndex(0);
            Dialog.CommandEditorList()->setCurrentIndex(1);
            static_cast<TEditString*>(Dialog.Items().Row(1)->Control.data())->setText("Gamma");
            if (ClickOK)
                QTest::mouseClick(Dialog.OKButton(), Qt::LeftButton);
            else
                Dialog.reject();
        });
        EXPECT_EQ(Dialog.Execute(), ClickOK);
        Dialog.SetValueReference(nullptr);
        EXPECT_EQ(Beta->Name, ClickOK ? "Gamma" : "Beta");
        EXPECT_EQ(Beta->Configurator, ClickOK ? nullptr : Alpha->TaskModules.Items(2));
        EXPECT_EQ(Beta->CommandEditor, ClickOK ? Alpha->TaskModules.Items(1) : nullptr);
    }
    EXPECT_TRUE(MessageTexts().isEmpty());
}

} // namespace
