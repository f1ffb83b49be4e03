// The unattended export end to end: in process through the command-line mode, and through the
// built program on the example definition under examples/Demo.

#include "app/UnattendedExport.h"

#include "app/CommandLineMode.h"
#include "foundation/TypeLibraryReader.h"
#include "foundation/UserSeam.h"
#include "model/PackageReader.h"
#include "samples/SampleDefinitions.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

using SampleDefinitions::AddElement;

QString RepositoryRoot()
{
    return QDir::cleanPath(QStringLiteral(QUILLON_TEST_DATA "/../.."));
}

QString DemoDefinition()
{
    return RepositoryRoot() + QStringLiteral("/examples/Demo/Demo.cpd");
}

QByteArray ReadAll(const QString& FileName)
{
    QFile File(FileName);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

// The example package. Its paths are written the Windows way, as an author there would, and are
// relative to the repository root, where ./run starts the program. QUILLON_WRITE_DEMO=1 makes
// DemoExample.DefinitionIsCurrent rewrite examples/Demo/Demo.cpd.
void BuildDemo(TData& Data)
{
    const auto ID = [](const char* Text) { return TGUID::Parse(Text); };
    Data.Clear();
    Data.ID = ID("{398FB7DC-F6D6-45AC-8E1B-02A36E4EA6ED}");
    Data.Name = QStringLiteral("Quillon demo");
    Data.Description = QStringLiteral("A small package with one module, its support files and a driver.");
    Data.AboutInformation = QStringLiteral("Runs and scores demo tasks.");
    Data.Creator = QStringLiteral("Quillon examples");
    Data.SubCreator = QStringLiteral("Demo");
    Data.AllowExportFromLMS = true;

    auto* Task = AddElement<TTaskType>(Data.TaskTypes);
    Task->ID = ID("{476302E1-5876-416B-B459-90FB83EFE5FE}");
    Task->Name = QStringLiteral("Demo task");
    Task->FileNameExtension = QStringLiteral(".qdt");
    auto* Recording = AddElement<TTaskRecordingType>(Data.TaskRecordingTypes);
    Recording->ID = ID("{95B0A68C-EE24-4A7D-BEA9-2B3703C8AD4E}");
    Recording->Name = QStringLiteral("Demo recording");
    Recording->FileNameExtension = QStringLiteral(".qdr");
    auto* Score = AddElement<TTaskResultItemFormat>(Data.TaskResultItemFormats);
    Score->ID = ID("{CA0783B2-65BB-49EF-AA25-AFA5D3F22A42}");
    Score->Name = QStringLiteral("Demo score");
    Score->Description = QStringLiteral("Points for the steps done in order");
    auto* Snapshot = AddElement<TMediaItemFormat>(Data.MediaItemFormats);
    Snapshot->ID = ID("{8E194352-B1F6-4243-8274-C0E4838E4CD0}");
    Snapshot->Name = QStringLiteral("Demo snapshot");
    Snapshot->MediaItemType = mitImage;
    Snapshot->FileNameExtension = QStringLiteral(".png");
    auto* Host = AddElement<TInterfaceType>(Data.InterfaceTypes);
    Host->ID = ID("{38D79619-0D8C-4BF4-9428-BA2A7CCE4392}");
    Host->Name = QStringLiteral("IDemoHost");
    auto* Runs = AddElement<TInterfaceType>(Data.InterfaceTypes);
    Runs->ID = ID("{22978A96-3FAB-4522-96FE-63E181F22BF2}");
    Runs->Name = QStringLiteral("IDemoTaskRunner");

    auto* Driver = AddElement<TDriver>(Data.Drivers);
    Driver->ID = ID("{D28E621E-9E90-4688-9CCD-A42C118AC272}");
    Driver->Name = QStringLiteral("Demo driver");
    Driver->FilePath = QStringLiteral("examples\\Demo\\drivers");
    Driver->FileName = QStringLiteral("DemoDriver.dll");
    Driver->Location = dlLMS;

    // The COM module's ID and its objects' IDs are those of its type library (source/DemoModule.idl).
    auto* Module = AddElement<TCodeModule>(Data.CodeModules);
    Module->ID = ID("{EA703FB9-A3A5-41A2-AEB3-73619CAE9FF5}");
    Module->Name = QStringLiteral("Demo module");
    Module->FilePath = QStringLiteral("examples\\Demo\\bin");
    Module->FileName = QStringLiteral("DemoModule.dll");
    Module->Location = cmlEmbedded;
    Module->ObjectServerType = ostCOM;
    Module->Register = true;
    Module->HostInterfaces.Add(Host);
    Module->ModuleInterfaces.Add(Runs);
    auto* Texts = AddElement<TSupportFile>(Module->SupportFiles);
    Texts->SourceFilePath = QStringLiteral("data");
    Texts->SourceFileName = QStringLiteral("*.txt");
    Texts->TargetRelativePath = QStringLiteral("data");
    AddElement<TSupportFile>(Module->SupportFiles)->SourceFileName = QStringLiteral("DemoModule.ini");

    auto* Runner = AddElement<TTaskModuleObject>(Module->TaskModuleObjects);
    Runner->ID = ID("{A55A29D1-F195-4D9E-A4F0-25331B32C976}");
    Runner->Name = QStringLiteral("Demo task runner");
    Runner->AccessibleByTrainers = true;
    Runner->AccessibleByStudents = true;
    auto* Creator = AddElement<TTaskModule>(Runner->TaskModules);
    Creator->ID = ID("{146E66B1-8371-4C2A-8CA3-0B4D10C33276}");
    Creator->Type = tmtTaskCreator;
    Creator->OutputTaskTypes.Add(Task);
    auto* Running = AddElement<TTaskModule>(Runner->TaskModules);
    Running->ID = ID("{77100802-F4A6-4BA6-9018-341D0BF24C1B}");
    Running->Type = tmtTaskRunner;
    Running->InputTaskTypes.Add(Task);
    Running->OutputTaskRecordingTypes.Add(Recording);
    Running->OutputTaskResultItemFormats.Add(Score);
    Running->OutputMediaItemFormats.Add(Snapshot);
    auto* Player = AddElement<TTaskModule>(Runner->TaskModules);
    Player->ID = ID("{39C96425-C1F6-48B3-896E-46FA7C5C6C36}");
    Player->Type = tmtTaskRecordingPlayer;
    Player->InputTaskRecordingTypes.Add(Recording);

    auto* Viewer = AddElement<TTaskModuleObject>(Module->TaskModuleObjects);
    Viewer->ID = ID("{38FB1156-6F91-4CEB-BFC3-BB6CF917E52A}");
    Viewer->Name = QStringLiteral("Demo result viewer");
    Viewer->LMSNotesSupported = true;
    Viewer->AccessibleByTrainers = true;
    auto* Viewing = AddElement<TTaskModule>(Viewer->TaskModules);
    Viewing->ID = ID("{80B2B938-149F-46BC-9C0D-9BA2C897C50A}");
    Viewing->Type = tmtTaskResultItemViewer;
    Viewing->SupportsMultipleItems = true;
    Viewing->InputTaskResultItemFormats.Add(Score);
    auto* Configurator = AddElement<TTaskModule>(Viewer->TaskModules);
    Configurator->ID = ID("{6B97FAF0-B9A1-4074-A678-5CF49898EAC7}");
    Configurator->Type = tmtTaskModuleConfigurator;
    Runner->Configurator = Configurator;

    auto* Reset = AddElement<TCommandLineTool>(Module->CommandLineTools);
    Reset->ID = ID("{39C96425-C1F6-48B3-896E-46FA7C5C6C37}");
    Reset->Name = QStringLiteral("Reset demo");
    Reset->CommandLineArguments = QStringLiteral("/reset");
    Reset->ToolCategories = QStringList{QStringLiteral("Maintenance")};
    Reset->AccessibleByServiceEngineers = true;
    Reset->AccessibleBySystemAdministrators = true;
}

// --- In process ----------------------------------------------------------------------------------

class UnattendedExportRun : public ::testing::Test
{
protected:
    QTemporaryDir Directory;
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard{&Seam};
    TData Data;

    QString Path(const QString& Name) const { return Directory.filePath(Name); }

    void SetUp() override
    {
        RegisterMessageProvider(ApplicationMessageProvider);
        Data.ID = SampleDefinitions::SampleGUID(1);
        Data.Name = QStringLiteral("Beta package");
        Data.BetaSoftware = true;
    }
    void TearDown() override { ClearMessageProviders(); }

    void Save(const QString& Name) const { Data.SaveToFile(Path(Name)); }

    TCommandLineModeResult Run(const QString& Definition, bool Quiet)
    {
        QStringList Arguments{"/c", "/fd", Path(Definition), "/fp", Path(QStringLiteral("out.cpk"))};
        if (Quiet)
            Arguments << QStringLiteral("+q");
        return RunCommandLineMode(Arguments);
    }

    QStringList MessageTexts() const
    {
        QStringList Texts;
        for (const auto& Message : Seam.Messages)
            Texts << Message.Text;
        return Texts;
    }
};

const QString BetaQuestion = QStringLiteral("This code package is marked 'Beta software'. Do you want to continue?");

TEST_F(UnattendedExportRun, AsksThenExportsThenTellsOfSuccess)
{
    Save(QStringLiteral("in.cpd"));
    Seam.Answers.push_back(TMessageResult::Yes);
    EXPECT_EQ(Run(QStringLiteral("in.cpd"), false), TCommandLineModeResult::Exported);
    EXPECT_EQ(MessageTexts(), QStringList({BetaQuestion, QStringLiteral("Code package exported successully.")}));
    EXPECT_EQ(Seam.Messages.back().Caption, QStringLiteral("Success"));
    EXPECT_EQ(ReadPackageFile(Path(QStringLiteral("out.cpk"))).Header.ID, Data.ID);
}

TEST_F(UnattendedExportRun, QuietRunAsksAndTellsNothing)
{
    Save(QStringLiteral("in.cpd"));
    Seam.Answers.push_back(TMessageResult::No);
    EXPECT_EQ(Run(QStringLiteral("in.cpd"), true), TCommandLineModeResult::Exported);
    EXPECT_TRUE(Seam.Messages.empty());
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("out.cpk"))));
}

// Every failure shows its report text, writes no package and ends the run as failed.
TEST_F(UnattendedExportRun, FailuresAreReportedAndWriteNothing)
{
    const auto Fails = [this](const QString& Definition, bool Quiet, const QStringList& Messages) {
        SCOPED_TRACE(Messages.join(QLatin1Char('|')).toStdString());
        Seam.Messages.clear();
        Seam.Answers.assign({TMessageResult::No});
        EXPECT_EQ(Run(Definition, Quiet), TCommandLineModeResult::Failed);
        EXPECT_EQ(MessageTexts(), Messages);
        EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("out.cpk"))));
    };
    Fails(QStringLiteral("missing.cpd"),
          true,
          {QStringLiteral("Error opening file. File name='%1'.").arg(Path(QStringLiteral("missing.cpd")))});

    {
        QFile Damaged(Path(QStringLiteral("damaged.cpd")));
        ASSERT_TRUE(Damaged.open(QIODevice::WriteOnly));
        Damaged.write(SampleDefinitions::SaveToBytes(Data).left(40));
    }
    Fails(QStringLiteral("damaged.cpd"),
          true,
          {QStringLiteral("Loading error. File name='%1'.").arg(Path(QStringLiteral("damaged.cpd")))});

    Save(QStringLiteral("beta.cpd"));
    Fails(QStringLiteral("beta.cpd"), false, {BetaQuestion, QStringLiteral("Operation cancelled.")});

    Data.Name.clear();
    Save(QStringLiteral("unnamed.cpd"));
    Fails(QStringLiteral("unnamed.cpd"), false, {QStringLiteral("Export error. Code package name is invalid.")});
}

// --- The example and the built program --------------------------------------------------------------

TEST(DemoExample, DefinitionIsCurrent)
{
    TData Data;
    BuildDemo(Data);
    const QByteArray Bytes = SampleDefinitions::SaveToBytes(Data);
    if (qEnvironmentVariableIntValue("QUILLON_WRITE_DEMO") == 1) {
        QFile File(DemoDefinition());
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Bytes);
    }
    EXPECT_TRUE(ReadAll(DemoDefinition()) == Bytes) << "rebuild it with QUILLON_WRITE_DEMO=1";

    // The check's type library rules pass because the IDs agree, not because nothing loaded.
    TTypeLibraryReader Library;
    ASSERT_TRUE(Library.Load(RepositoryRoot() + QStringLiteral("/examples/Demo/bin/DemoModule.dll")));
    const TCodeModule& Module = *Data.CodeModules.Items(0);
    EXPECT_EQ(Library.LibraryGUID(), Module.ID);
    for (int32_t I = 0; I < Module.TaskModuleObjects.Count(); ++I)
        EXPECT_TRUE(Library.ContainsType(Module.TaskModuleObjects.Items(I)->ID));
}

// <build>/quillon, one level above <build>/tests/test_app.
QString ProgramPath()
{
    const QString Self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(Self).dir().absoluteFilePath(QStringLiteral("../quillon"));
}

struct TProgramRun
{
    int ExitCode = -1;
    QString Output;
    QString Error;
};

// Headless, from the repository root as ./run starts it.
TProgramRun RunProgram(const QStringList& Arguments)
{
    if (!QCoreApplication::instance()) {
        static int Argc = 1;
        static char Name[] = "test_app";
        static char* Argv[] = {Name, nullptr};
        new QCoreApplication(Argc, Argv);
    }
    QProcess Process;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    Environment.remove(QStringLiteral("DISPLAY"));
    Environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    Process.setProcessEnvironment(Environment);
    Process.setWorkingDirectory(RepositoryRoot());
    Process.setStandardInputFile(QProcess::nullDevice());
    Process.start(ProgramPath(), Arguments);
    TProgramRun Result;
    if (!Process.waitForFinished(60000))
        return Result;
    Result.ExitCode = Process.exitStatus() == QProcess::NormalExit ? Process.exitCode() : -1;
    Result.Output = QString::fromLocal8Bit(Process.readAllStandardOutput());
    Result.Error = QString::fromLocal8Bit(Process.readAllStandardError());
    return Result;
}

TEST(DemoExample, ExportsThroughTheProgramWithWindowsPaths)
{
    if (!QFileInfo::exists(ProgramPath()))
        GTEST_SKIP() << "quillon is not built at " << ProgramPath().toStdString();
    QTemporaryDir Directory;
    const QString Package = Directory.filePath(QStringLiteral("Demo.cpk"));

    const TProgramRun Run = RunProgram({"/c", "/fd", QStringLiteral("examples/Demo/Demo.cpd"), "/fp", Package});
    EXPECT_EQ(Run.ExitCode, 0) << Run.Error.toStdString();
    EXPECT_EQ(Run.Output, QStringLiteral("Code package exported successully.\n"));
    EXPECT_EQ(Run.Error, QString());

    const QByteArray Bytes = ReadAll(Package);
    QBuffer Buffer;
    Buffer.setData(Bytes);
    ASSERT_TRUE(Buffer.open(QIODevice::ReadOnly));
    const TPackageContents Contents = ReadPackage(Buffer);
    EXPECT_EQ(Contents.Header.TaskModuleObjectIDs.size(), 2u);
    ASSERT_EQ(Contents.CodeModules.size(), 1u);
    EXPECT_EQ(Contents.CodeModules[0].SourcePath, QStringLiteral("examples\\Demo\\bin\\DemoModule.dll"));
    QStringList Names;
    for (const TPackageEmbeddedFile& File : Contents.Files)
        Names.append(File.Target);
    EXPECT_EQ(Names,
              QStringList({"DemoDriver.dll",
                           "DemoModule.dll",
                           "data\\credits.txt",
                           "data\\scoring.txt",
                           "data\\welcome.txt",
                           "DemoModule.ini"}));
    const QString Root = RepositoryRoot() + QStringLiteral("/examples/Demo/");
    const QStringList Sources{"drivers/DemoDriver.dll",
                              "bin/DemoModule.dll",
                              "bin/data/credits.txt",
                              "bin/data/scoring.txt",
                              "bin/data/welcome.txt",
                              "bin/DemoModule.ini"};
    for (qsizetype I = 0; I < Sources.size() && I < qsizetype(Contents.Files.size()); ++I) {
        const TPackageEmbeddedFile& File = Contents.Files[size_t(I)];
        EXPECT_EQ(Bytes.mid(File.Offset, File.Size), ReadAll(Root + Sources[I])) << Sources[I].toStdString();
    }
}

// --- A package file that is the definition itself ---------------------------------------------------

struct TSelfOverwriteCase
{
    const char* Name;
    // The /fp argument for the definition Folder/sub/in.cpd.
    QString (*PackageArgument)(const QString& Folder);
};

void PrintTo(const TSelfOverwriteCase& Case, std::ostream* Stream)
{
    *Stream << Case.Name;
}

class SelfOverwrite : public ::testing::TestWithParam<TSelfOverwriteCase>
{
protected:
    QTemporaryDir Directory;
    QString Definition;
    QByteArray Original;

    void SetUp() override
    {
        RegisterMessageProvider(ApplicationMessageProvider);
        ASSERT_TRUE(QDir(Directory.path()).mkpath(QStringLiteral("sub")));
        Definition = Directory.filePath(QStringLiteral("sub/in.cpd"));
        TData Data;
        Data.ID = SampleDefinitions::SampleGUID(1);
        Data.Name = QStringLiteral("Exportable");
        Data.SaveToFile(Definition);
        Original = ReadAll(Definition);
    }
    void TearDown() override { ClearMessageProviders(); }

    QStringList Arguments() const
    {
        return {"/c", "/fd", Definition, "/fp", GetParam().PackageArgument(Directory.path()), "-q"};
    }
    QString Report() const
    {
        return QStringLiteral("Saving error. The code package file would replace its own definition file '%1'.")
            .arg(Definition);
    }
};

TEST_P(SelfOverwrite, IsRefusedInProcessBeforeAnythingIsWritten)
{
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard{&Seam};
    EXPECT_EQ(RunCommandLineMode(Arguments()), TCommandLineModeResult::Failed);
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Text, Report());
    EXPECT_TRUE(ReadAll(Definition) == Original);
}

TEST_P(SelfOverwrite, IsRefusedByTheProgramWithExitCodeOne)
{
    if (!QFileInfo::exists(ProgramPath()))
        GTEST_SKIP() << "quillon is not built at " << ProgramPath().toStdString();
    const TProgramRun Run = RunProgram(Arguments());
    EXPECT_EQ(Run.ExitCode, 1);
    EXPECT_EQ(Run.Error, Report() + QLatin1Char('\n'));
    EXPECT_TRUE(ReadAll(Definition) == Original);
}

INSTANTIATE_TEST_SUITE_P(
    Ways,
    SelfOverwrite,
    ::testing::Values(TSelfOverwriteCase{"SameName", [](const QString& F) { return F + "/sub/in.cpd"; }},
                      TSelfOverwriteCase{"Link",
                                         [](const QString& F) {
                                             QFile::link(F + "/sub/in.cpd", F + "/link.cpk");
                                             return F + "/link.cpk";
                                         }},
                      TSelfOverwriteCase{"Dot", [](const QString& F) { return F + "/sub/./in.cpd"; }},
                      TSelfOverwriteCase{"DotDot", [](const QString& F) { return F + "/sub/../sub/in.cpd"; }}),
    PrintedTestName());

} // namespace
