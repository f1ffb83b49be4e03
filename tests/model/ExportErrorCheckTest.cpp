#include "model/Data.h"
#include "samples/SampleDefinitions.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <typeinfo>

namespace {

using SampleDefinitions::AddElement;
using SampleDefinitions::SampleGUID;

const TGUID FixtureLibrary = TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A01}");
const TGUID FixtureCoclass = TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A06}");
const TGUID ImportedIUnknown = TGUID::Parse("{00000000-0000-0000-C000-000000000046}");

// The class and report text of what Action raises; "none" when it returns.
struct TOutcome
{
    std::string Class;
    QString Report;
};

TOutcome OutcomeOf(const std::function<void()>& Action)
{
    try {
        Action();
    } catch (const std::exception& Error) {
        return {typeid(Error).name(), GetExceptionReport()};
    }
    return {"none", {}};
}

template <class E> std::string ClassName()
{
    return typeid(E).name();
}

// A package that passes every rule: a driver and an embedded .Net module with a support file
// pattern, a task module object, a task module and a command line tool, all files on disk.
class CheckFixture : public ::testing::Test
{
public:
    QTemporaryDir Directory;
    TData Data;

    QString Dir() const { return Directory.path(); }

    void Put(const QString& RelativeName) const
    {
        const QString Name = Directory.filePath(RelativeName);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(Name).path()));
        QFile File(Name);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write("content");
    }

    TDriver* Driver() const { return Data.Drivers.Items(0); }
    TCodeModule* Module() const { return Data.CodeModules.Items(0); }
    TSupportFile* Support() const { return Module()->SupportFiles.Items(0); }
    TTaskModuleObject* Object() const { return Module()->TaskModuleObjects.Items(0); }
    TTaskModule* TaskModule() const { return Object()->TaskModules.Items(0); }

    void SetUp() override
    {
        RegisterMessageProvider(ApplicationMessageProvider);
        ASSERT_TRUE(Directory.isValid());
        Put(QStringLiteral("drivers/driver.dll"));
        Put(QStringLiteral("module/module.dll"));
        Put(QStringLiteral("module/support/a.txt"));

        Data.ID = SampleGUID(1);
        Data.Name = QStringLiteral("Package");
        auto* TaskType = AddElement<TTaskType>(Data.TaskTypes);
        TaskType->ID = SampleGUID(2);
        AddElement<TTaskRecordingType>(Data.TaskRecordingTypes)->ID = SampleGUID(3);
        AddElement<TTaskResultItemFormat>(Data.TaskResultItemFormats)->ID = SampleGUID(4);
        AddElement<TMediaItemFormat>(Data.MediaItemFormats)->ID = SampleGUID(5);

        auto* Driver = AddElement<TDriver>(Data.Drivers);
        Driver->ID = SampleGUID(10);
        Driver->Name = QStringLiteral("Driver");
        Driver->FilePath = Directory.filePath(QStringLiteral("drivers"));
        Driver->FileName = QStringLiteral("driver.dll");

        auto* Module = AddElement<TCodeModule>(Data.CodeModules);
        Module->ID = SampleGUID(20);
        Module->Name = QStringLiteral("Module");
        Module->FilePath = Directory.filePath(QStringLiteral("module"));
        Module->FileName = QStringLiteral("module.dll");
        Module->Location = cmlEmbedded;
        Module->ObjectServerType = ostDotNet;
        Module->UseDirectActivation = true;
        auto* Support = AddElement<TSupportFile>(Module->SupportFiles);
        Support->SourceFilePath = QStringLiteral("support");
        Support->SourceFileName = QStringLiteral("*.txt");
        auto* Object = AddElement<TTaskModuleObject>(Module->TaskModuleObjects);
        Object->ID = SampleGUID(21);
        Object->Name = QStringLiteral("Object");
        Object->FullTypeName = QStringLiteral("Sample.Object");
        auto* Runner = AddElement<TTaskModule>(Object->TaskModules);
        Runner->ID = SampleGUID(22);
        Runner->Type = tmtTaskRunner;
        Runner->InputTaskTypes.Add(TaskType);
        auto* Tool = AddElement<TCommandLineTool>(Module->CommandLineTools);
        Tool->ID = SampleGUID(23);
        Tool->Name = QStringLiteral("Tool");
    }

    void TearDown() override { ClearMessageProviders(); }

    // Turns the module into an embedded COM module around FileName, with one object of ObjectID.
    void MakeCOM(const QString& FilePath, const QString& FileName, const TGUID& ModuleID, const TGUID& ObjectID)
    {
        Module()->ObjectServerType = ostCOM;
        Module()->UseDirectActivation = false;
        Module()->Register = true;
        Module()->FilePath = FilePath;
        Module()->FileName = FileName;
        Module()->ID = ModuleID;
        Object()->ID = ObjectID;
        Support()->SourceFilePath = Directory.filePath(QStringLiteral("module/support"));
    }

    TOutcome Check() const
    {
        return OutcomeOf([this] { Data.ExportErrorCheck(); });
    }
};

struct TRuleCase
{
    const char* Name;
    std::function<void(CheckFixture& Test)> Change;
    std::string Class;
    // %1 stands for the temporary directory.
    const char* Report;
};

void PrintTo(const TRuleCase& Case, std::ostream* Stream)
{
    *Stream << Case.Name;
}

class CheckRule : public CheckFixture, public ::testing::WithParamInterface<TRuleCase>
{};

TEST_F(CheckFixture, PassesAWellFormedPackageAndChangesNothing)
{
    const QByteArray Before = SampleDefinitions::SaveToBytes(Data);
    EXPECT_EQ(Check().Class, "none") << Check().Report.toStdString();
    Module()->Location = cmlNone;
    const QByteArray Broken = SampleDefinitions::SaveToBytes(Data);
    EXPECT_NE(Check().Class, "none");
    EXPECT_EQ(SampleDefinitions::SaveToBytes(Data), Broken);
    Module()->Location = cmlEmbedded;
    EXPECT_EQ(SampleDefinitions::SaveToBytes(Data), Before);
}

TEST_F(CheckFixture, PassesANewPackageWithANameAndAnID)
{
    TData Empty;
    Empty.ID = SampleGUID(1);
    Empty.Name = QStringLiteral("P");
    EXPECT_EQ(OutcomeOf([&] { Empty.ExportErrorCheck(); }).Class, "none");
}

TEST_P(CheckRule, StopsAtTheFirstBrokenRuleWithItsMessage)
{
    GetParam().Change(*this);
    const TOutcome Outcome = Check();
    EXPECT_EQ(Outcome.Class, GetParam().Class) << Outcome.Report.toStdString();
    const QString Report = QString::fromUtf8(GetParam().Report);
    EXPECT_EQ(Outcome.Report, Report.contains(QLatin1String("%1")) ? Report.arg(Dir()) : Report);
}

const std::string ExportError = ClassName<E_APP_ExportError>();
const std::string PlainQOR = ClassName<E_QOR>();

INSTANTIATE_TEST_SUITE_P(
    Rules,
    CheckRule,
    ::testing::Values(
        TRuleCase{"NullPackageID",
                  [](CheckFixture& T) {
                      T.Data.ID = TGUID{};
                      T.Data.Name.clear();
                  },
                  ExportError,
                  "Export error. Code package ID is invalid."},
        TRuleCase{"EmptyPackageName",
                  [](CheckFixture& T) { T.Data.Name.clear(); },
                  ExportError,
                  "Export error. Code package name is invalid."},
        TRuleCase{"MissingDriverFile",
                  [](CheckFixture& T) { T.Driver()->FileName = QStringLiteral("missing.dll"); },
                  ExportError,
                  "Export error. Driver file '%1/drivers/missing.dll' for driver 'Driver' does not exist."},
        TRuleCase{"DriverFileIsAFolder",
                  [](CheckFixture& T) {
                      T.Driver()->FilePath = T.Dir();
                      T.Driver()->FileName = QStringLiteral("drivers");
                  },
                  ExportError,
                  "Export error. Driver file '%1/drivers' for driver 'Driver' does not exist."},
        TRuleCase{"COMDriverWithAnotherLibraryID",
                  [](CheckFixture& T) {
                      T.Driver()->ObjectServerType = ostCOM;
                      T.Driver()->FilePath = QStringLiteral(QUILLON_TEST_DATA "/typelib");
                      T.Driver()->FileName = QStringLiteral("fixture64.dll");
                  },
                  ExportError,
                  "Export error. Driver 'Driver' has incorrect ID."},
        // The unique-ID rule runs after the drivers and before any code module rule.
        TRuleCase{"TwoNewTaskModulesInOneObject",
                  [](CheckFixture& T) {
                      T.Module()->Location = cmlNone;
                      T.TaskModule()->ID = TGUID{};
                      AddElement<TTaskModule>(T.Object()->TaskModules)->Type = tmtTool;
                  },
                  PlainQOR,
                  "A task module in task module object 'Object' and a task module in task module object 'Object' "
                  "have the same IDs."},
        TRuleCase{"CodeModuleAndItsOwnTool",
                  [](CheckFixture& T) {
                      T.Module()->Name = QStringLiteral("module x");
                      T.Module()->CommandLineTools.Items(0)->ID = T.Module()->ID;
                  },
                  PlainQOR,
                  "Code module 'module x' and command line tool 'Tool' have the same IDs."},
        TRuleCase{"ObjectsInTwoModules",
                  [](CheckFixture& T) {
                      auto* Other = AddElement<TCodeModule>(T.Data.CodeModules);
                      Other->ID = SampleGUID(30);
                      Other->Name = QStringLiteral("Other");
                      AddElement<TTaskModuleObject>(Other->TaskModuleObjects)->ID = T.Object()->ID;
                      Other->TaskModuleObjects.Items(0)->Name = QStringLiteral("Copy");
                  },
                  PlainQOR,
                  "Task module object 'Object' and task module object 'Copy' have the same IDs."},
        TRuleCase{"NoLocation",
                  [](CheckFixture& T) { T.Module()->Location = cmlNone; },
                  ExportError,
                  "Export error. Code module 'Module' specifies an invalid location."},
        // Support files of a linked module are refused before its file would be looked for, and a
        // linked module's file need not exist.
        TRuleCase{"LinkedWithSupportFiles",
                  [](CheckFixture& T) {
                      T.Module()->Location = cmlLinked;
                      T.Module()->FileName = QStringLiteral("missing.dll");
                  },
                  ExportError,
                  "Export error. Code module 'Module' is linked and so must not have support files."},
        TRuleCase{"LinkedAndRegistered",
                  [](CheckFixture& T) {
                      T.Module()->Location = cmlLinked;
                      T.Module()->SupportFiles.Clear();
                      T.Module()->Register = true;
                  },
                  ExportError,
                  "Export error. Code module 'Module' is linked and so must not request to be registered."},
        TRuleCase{"DirectActivationOutsideDotNet",
                  [](CheckFixture& T) { T.Module()->ObjectServerType = ostCOM; },
                  ExportError,
                  "Export error. Code module 'Module' is not a .Net assembly and so may not requests 'Use "
                  "direction activation'."},
        TRuleCase{"SourceLocationWithoutDirectActivation",
                  [](CheckFixture& T) {
                      T.Module()->UseDirectActivation = false;
                      T.Module()->RunFromSourceLocation = true;
                  },
                  ExportError,
                  "Export error. Code module 'Module' has requested 'Run task module objects from source location' "
                  "without specifying 'Use direct activation'."},
        TRuleCase{"MissingModuleFile",
                  [](CheckFixture& T) { T.Module()->FileName = QStringLiteral("missing.dll"); },
                  ExportError,
                  "Export error. Code module file '%1/module/missing.dll' for code module 'Module' does not exist."},
        TRuleCase{"COMModuleWithAnotherLibraryID",
                  [](CheckFixture& T) {
                      T.MakeCOM(QStringLiteral(QUILLON_TEST_DATA "/typelib"),
                                QStringLiteral("fixture32.dll"),
                                SampleGUID(40),
                                FixtureCoclass);
                  },
                  ExportError,
                  "Export error. Code module 'Module' has an incorrect ID."},
        TRuleCase{"SupportFileNameWithAFolder",
                  [](CheckFixture& T) { T.Support()->SourceFileName = QStringLiteral("support\\a.txt"); },
                  ExportError,
                  "Export error. Code module 'Module has a support file with an invalid file name (support\\a.txt)."},
        TRuleCase{"SupportPatternWithoutMatch",
                  [](CheckFixture& T) { T.Support()->SourceFileName = QStringLiteral("*.dat"); },
                  ExportError,
                  "Export error. Support file not found at '%1/module/support/*.dat'."},
        TRuleCase{"SupportPatternMatchingHiddenFilesAndFoldersOnly",
                  [](CheckFixture& T) {
                      T.Put(QStringLiteral("module/support/.hidden.dat"));
                      QDir(T.Dir()).mkpath(QStringLiteral("module/support/folder.dat"));
                      T.Support()->SourceFileName = QStringLiteral("*.dat");
                  },
                  ExportError,
                  "Export error. Support file not found at '%1/module/support/*.dat'."},
        TRuleCase{"AbsoluteSupportFolderIsNotUnderTheModule",
                  [](CheckFixture& T) { T.Support()->SourceFilePath = T.Dir() + QStringLiteral("/support"); },
                  ExportError,
                  "Export error. Support file not found at '%1/support/*.txt'."},
        TRuleCase{"ObjectsWithoutRegisterOrDirectActivation",
                  [](CheckFixture& T) {
                      T.Module()->UseDirectActivation = false;
                      T.Module()->ObjectServerType = ostNone;
                  },
                  ExportError,
                  "Export error. Code module 'Module' contains task module objects which cannot be created as it "
                  "has requested neither 'Register' or 'Use direct activation'."},
        TRuleCase{"ObjectsWithoutServerType",
                  [](CheckFixture& T) {
                      T.Module()->UseDirectActivation = false;
                      T.Module()->Register = true;
                      T.Module()->ObjectServerType = ostNone;
                  },
                  ExportError,
                  "Export error. Code module 'Module' contains task module objects but does not specify an object "
                  "server type."},
        TRuleCase{"DirectActivationWithoutFullTypeName",
                  [](CheckFixture& T) { T.Object()->FullTypeName.clear(); },
                  ExportError,
                  "Export error. Code module 'Module' has requested 'Use direct activation' but child task module "
                  "object 'Object' does not have a full type name."},
        TRuleCase{"OutOfProcessInAnUpperCaseDLL",
                  [](CheckFixture& T) {
                      T.Put(QStringLiteral("module/MODULE.DLL"));
                      T.MakeCOM(T.Dir() + QStringLiteral("/module"),
                                QStringLiteral("MODULE.DLL"),
                                SampleGUID(20),
                                SampleGUID(21));
                      T.Object()->RunOutOfProcess = true;
                  },
                  ExportError,
                  "Export error. Task module object 'Object' in code module 'Module' can run out of process as it "
                  "exists in a COM DLL."},
        TRuleCase{"InProcessInAnEXE",
                  [](CheckFixture& T) {
                      T.MakeCOM(QStringLiteral(QUILLON_TEST_DATA "/typelib"),
                                QStringLiteral("fixture64.exe"),
                                FixtureLibrary,
                                FixtureCoclass);
                  },
                  ExportError,
                  "Export error. Task module object 'Object' in code module 'Module' can run in process as it "
                  "exists in a COM EXE."},
        // An imported interface lives in the library's GUID table but is not one of its types.
        TRuleCase{"ObjectIDNotATypeOfTheLibrary",
                  [](CheckFixture& T) {
                      T.MakeCOM(QStringLiteral(QUILLON_TEST_DATA "/typelib"),
                                QStringLiteral("fixture64.dll"),
                                FixtureLibrary,
                                ImportedIUnknown);
                  },
                  ExportError,
                  "Export error. Task module object 'Object' in code module 'Module' has incorrect ID."},
        TRuleCase{"TaskModuleTypeOutOfRange",
                  [](CheckFixture& T) { T.TaskModule()->Type = static_cast<TTaskModuleType>(12); },
                  ClassName<E_QOR_EnumerationOutOfRange>(),
                  "Enumeration out of range."}),
    PrintedTestName());

// Type libraries that load and agree, or that do not load at all, pass.
TEST_F(CheckFixture, AcceptsMatchingAndUnreadableTypeLibraries)
{
    Driver()->ObjectServerType = ostCOM;
    Driver()->FilePath = QStringLiteral(QUILLON_TEST_DATA "/typelib");
    Driver()->FileName = QStringLiteral("fixture32.dll");
    Driver()->ID = FixtureLibrary;
    MakeCOM(
        QStringLiteral(QUILLON_TEST_DATA "/typelib"), QStringLiteral("fixture64.dll"), FixtureLibrary, FixtureCoclass);
    EXPECT_EQ(Check().Class, "none") << Check().Report.toStdString();

    Driver()->FileName = QStringLiteral("plain.dll");
    Module()->FileName = QStringLiteral("plain.dll");
    Object()->ID = ImportedIUnknown;
    EXPECT_EQ(Check().Class, "none") << Check().Report.toStdString();
}

// Definitions written on Windows name folders with backslashes.
TEST_F(CheckFixture, ResolvesBackslashPathsAndRelativeSupportFolders)
{
    Driver()->FilePath = Dir() + QStringLiteral("\\drivers");
    Module()->FilePath = Dir() + QStringLiteral("\\module\\");
    Support()->SourceFilePath = QStringLiteral("support\\");
    EXPECT_EQ(Check().Class, "none") << Check().Report.toStdString();
}

struct TTaskModuleCase
{
    TTaskModuleType Type;
    // Bits: 1 input tasks, 2 output tasks, 4 input recordings, 8 output recordings, 16 input result
    // formats, 32 output result formats, 64 output media.
    int Lists;
    // Empty when the task module passes.
    const char* Suffix;
};

void PrintTo(const TTaskModuleCase& Case, std::ostream* Stream)
{
    *Stream << "type " << Case.Type << ", lists " << Case.Lists;
}

class TaskModuleRule : public CheckFixture, public ::testing::WithParamInterface<TTaskModuleCase>
{};

TEST_P(TaskModuleRule, ChecksTheListsItsTypeAllows)
{
    TTaskModule& Module = *TaskModule();
    Module.ReleaseReferences();
    Module.Type = GetParam().Type;
    const int Lists = GetParam().Lists;
    if (Lists & 1)
        Module.InputTaskTypes.Add(Data.TaskTypes.Items(0));
    if (Lists & 2)
        Module.OutputTaskTypes.Add(Data.TaskTypes.Items(0));
    if (Lists & 4)
        Module.InputTaskRecordingTypes.Add(Data.TaskRecordingTypes.Items(0));
    if (Lists & 8)
        Module.OutputTaskRecordingTypes.Add(Data.TaskRecordingTypes.Items(0));
    if (Lists & 16)
        Module.InputTaskResultItemFormats.Add(Data.TaskResultItemFormats.Items(0));
    if (Lists & 32)
        Module.OutputTaskResultItemFormats.Add(Data.TaskResultItemFormats.Items(0));
    if (Lists & 64)
        Module.OutputMediaItemFormats.Add(Data.MediaItemFormats.Items(0));

    const TOutcome Outcome = Check();
    const QString Suffix = QString::fromUtf8(GetParam().Suffix);
    if (Suffix.isEmpty()) {
        EXPECT_EQ(Outcome.Class, "none") << Outcome.Report.toStdString();
    } else if (GetParam().Type == tmtNone) {
        EXPECT_EQ(Outcome.Report, QStringLiteral("Export error. ") + Suffix);
    } else {
        EXPECT_EQ(Outcome.Report,
                  QStringLiteral("Export error. Task module of type '%1' in task module object "
                                 "'Object' in code module 'Module")
                          .arg(TaskModuleTypeText(GetParam().Type)) +
                      Suffix);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    TaskModuleRule,
    ::testing::Values(
        TTaskModuleCase{tmtNone, 1, "Task module in task module object 'Object' has an invalid type."},
        TTaskModuleCase{tmtTaskCreator, 3, "' must not have input task types."},
        TTaskModuleCase{tmtTaskCreator, 0, "' must have an output task type."},
        TTaskModuleCase{tmtTaskCreator, 2 | 64, ""},
        TTaskModuleCase{tmtTaskEditor, 2, "' must have an input task type."},
        TTaskModuleCase{tmtTaskEditor, 1, "' must have an output task type."},
        TTaskModuleCase{tmtTaskEditor, 3, ""},
        TTaskModuleCase{tmtTaskRunner, 2, "' must have an input task type."},
        TTaskModuleCase{tmtTaskRunner, 1 | 2 | 8 | 32, ""},
        TTaskModuleCase{tmtTaskResultItemViewer, 1, "' must have an input task result item format."},
        TTaskModuleCase{tmtTaskResultItemViewer, 16 | 2 | 8, "' should not have output task types."},
        TTaskModuleCase{tmtTaskResultItemViewer, 16 | 8 | 32, "' should not have output task recording types."},
        TTaskModuleCase{tmtTaskResultItemExporter, 16 | 32, "' should not have output task result item formats."},
        TTaskModuleCase{tmtTaskResultItemExporter, 16 | 1 | 4 | 64, ""},
        TTaskModuleCase{tmtTaskRecordingPlayer, 1, "' must have an input task recording type."},
        TTaskModuleCase{tmtTaskRecordingEditor, 4 | 2, ""},
        TTaskModuleCase{tmtTaskModuleConfigurator, 16, "' should not have input data types."},
        TTaskModuleCase{tmtTaskModuleCommandEditor, 8, "' should not have output data types."},
        TTaskModuleCase{tmtTool, 4 | 32, "' should not have input data types."},
        TTaskModuleCase{tmtTool, 64, ""},
        TTaskModuleCase{tmtTaskRecordingAnalyzer, 1, "' should not have input task types."},
        TTaskModuleCase{tmtTaskRecordingAnalyzer, 2, "' should not have output task types."},
        TTaskModuleCase{tmtTaskRecordingAnalyzer, 32, "' must have an input task recording type."},
        TTaskModuleCase{tmtTaskRecordingAnalyzer, 4 | 8, "' should not have output task recording types."},
        TTaskModuleCase{tmtTaskRecordingAnalyzer, 4 | 16, "' should not have input task result item formats."},
        TTaskModuleCase{tmtTaskRecordingAnalyzer, 4 | 32 | 64, ""}),
    PrintedTestName());

} // namespace
