#include "model/PackageExport.h"

#include "foundation/General.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "model/PackageReader.h"
#include "samples/SampleDefinitions.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <typeinfo>

namespace {

using SampleDefinitions::AddElement;
using SampleDefinitions::SampleGUID;

// The package layout, written here byte by byte without the program's stream primitives.
class TGolden
{
public:
    QByteArray Bytes;

    TGolden& Guid(const char* Text)
    {
        // {D1-D2-D3-D4a-D4b}: the three fields little-endian, the last eight bytes in order.
        const QByteArray Hex = QByteArray(Text).mid(1, 36).replace("-", "");
        const QByteArray Raw = QByteArray::fromHex(Hex);
        for (int I : {3, 2, 1, 0, 5, 4, 7, 6})
            Bytes.append(Raw.at(I));
        Bytes.append(Raw.mid(8));
        return *this;
    }
    TGolden& Guid(const TGUID& Value) { return Guid(Value.ToString().toLatin1().constData()); }
    TGolden& Int(int64_t Value)
    {
        for (int I = 0; I < 4; ++I)
            Bytes.append(char((uint64_t(Value) >> (8 * I)) & 0xFF));
        return *this;
    }
    TGolden& Bool(bool Value)
    {
        Bytes.append(Value ? '\1' : '\0');
        return *this;
    }
    TGolden& Str(const QString& Value)
    {
        Int(Value.size());
        Bytes.append(Value.toLatin1());
        return *this;
    }
    TGolden& Date(double Value)
    {
        char Raw[8];
        std::memcpy(Raw, &Value, 8);
        Bytes.append(Raw, 8);
        return *this;
    }
    TGolden& Block(const TGolden& Inner)
    {
        Int(Inner.Bytes.size());
        Bytes.append(Inner.Bytes);
        return *this;
    }
    TGolden& File(const QByteArray& Content)
    {
        Int(Content.size());
        Bytes.append(Content);
        return *this;
    }
};

const char* const FileTag = "{3A3FAFEE-72FC-4E6B-9926-346364EE3339}";
const char* const HeaderTag = "{73C4192B-FF81-4403-A535-55B2E4C53FB0}";
const char* const BodyTag = "{1432A206-8F6B-4D7E-B03E-BBE2ECF80807}";
const char* const SectionTags[] = {"{43D130EE-4C74-4B03-94D4-DBC7CCA8EDB5}",
                                   "{F991917F-D2B1-480F-9DC5-2F2F74E96ABD}",
                                   "{912D224B-07BD-454D-92DB-C1874F1514F6}",
                                   "{745A65ED-55A4-4F78-A5F2-DF61E6362114}",
                                   "{94AF441C-1A1A-4258-BC1B-BBCDDB81350A}",
                                   "{00FB6071-2199-49DA-B9C4-B2924A73D7D6}",
                                   "{AF650862-0640-40E0-A547-68F8B53C34A3}"};
const char* const ObjectsTag = "{2D729A87-6FA6-4A8C-AA43-4808703D5905}";
const char* const TaskModulesTag = "{579391E4-FCCF-4A50-BCB2-FD46782436A9}";
const char* const ToolsTag = "{0F54786B-8BD1-4423-916E-2C8351E250F2}";
const char* const SupportTag = "{CB153FEA-0A3D-4CA7-A4C0-9E079F7AA8A1}";

const TGUID ExportID = TGUID::Parse("{01234567-89AB-CDEF-0123-456789ABCDEF}");
// Midnight: a whole number of days, exact in any conversion.
const double ExportTime = 43831.0; // 2020-01-01 00:00 UTC
const QDateTime WrittenAt(QDate(2021, 3, 4), QTime(12, 0), Qt::UTC);
const double WrittenDays = 44259.5;

double Days(const QDateTime& Time)
{
    const int64_t Relative = Time.toMSecsSinceEpoch() + int64_t(25569) * 86400000;
    const int64_t Day = Relative / 86400000;
    return double(Day) + double(Relative - Day * 86400000) / 86400000.0;
}

class PackageExport : public ::testing::Test
{
protected:
    QTemporaryDir Directory;
    TData Data;
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard{&Seam};

    QString Path(const QString& Name) const { return Directory.filePath(Name); }
    QString Target() const { return Path(QStringLiteral("out/package.cpk")); }

    void SetUp() override
    {
        RegisterMessageProvider(ApplicationMessageProvider);
        SetClockForTesting([] { return QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC); });
        SetGUIDGeneratorForTesting([] { return std::optional<TGUID>(ExportID); });
        ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("out"))));
        Data.ID = SampleGUID(1);
        Data.Name = QStringLiteral("P");
    }

    void TearDown() override
    {
        SetFileEmbeddedHookForTesting(nullptr);
        SetClockForTesting(nullptr);
        SetGUIDGeneratorForTesting(nullptr);
        ClearMessageProviders();
    }

    // A file with Content, last written at noon on 2021-03-04 unless said otherwise.
    void Put(const QString& Name, const QByteArray& Content, const QDateTime& Written = WrittenAt) const
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(Path(Name)).path()));
        QFile File(Path(Name));
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Content);
        ASSERT_TRUE(File.flush());
        ASSERT_TRUE(File.setFileTime(Written, QFileDevice::FileModificationTime));
    }

    // The creation time as the export reads it: the birth time where the file system keeps one.
    double Created(const QString& Name) const
    {
        const QFileInfo Info(Path(Name));
        return Info.birthTime().isValid() ? Days(Info.birthTime()) : WrittenDays;
    }

    QByteArray Exported() const
    {
        QFile File(Target());
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("<missing>");
    }

    // The header of Data as set up, with the given task module object IDs.
    TGolden Header(const std::vector<TGUID>& Objects = {}) const
    {
        TGolden Header;
        Header.Guid(HeaderTag).Guid(Data.ID).Guid(ExportID);
        for (const QString* Text :
             {&Data.Name, &Data.Description, &Data.AboutInformation, &Data.Creator, &Data.SubCreator})
            Header.Str(*Text);
        Header.Date(ExportTime).Bool(Data.AllowExportFromLMS).Bool(Data.BetaSoftware).Int(int(Objects.size()));
        for (const TGUID& ID : Objects)
            Header.Guid(ID);
        return Header;
    }
};

void ExpectSameBytes(const QByteArray& Actual, const QByteArray& Expected)
{
    qsizetype First = 0;
    while (First < Actual.size() && First < Expected.size() && Actual.at(First) == Expected.at(First))
        ++First;
    EXPECT_EQ(Actual.size(), Expected.size());
    EXPECT_EQ(First, Expected.size()) << "first difference at byte " << First << ": "
                                      << Actual.mid(First, 16).toHex(' ').toStdString() << " instead of "
                                      << Expected.mid(First, 16).toHex(' ').toStdString();
}

TEST_F(PackageExport, EmptyPackageIsTheFixedMinimum)
{
    Data.ExportToFile(Target());
    TGolden Body;
    Body.Guid(BodyTag);
    for (const char* Tag : SectionTags)
        Body.Guid(Tag).Int(0);
    TGolden Expected;
    Expected.Guid(FileTag).Block(Header()).Block(Body);
    EXPECT_EQ(Exported().size(), 263);
    ExpectSameBytes(Exported(), Expected.Bytes);
}

TEST_F(PackageExport, WritesEveryElementInItsPlace)
{
    Put(QStringLiteral("drivers/d1.sys"), "DRIVER-ONE");
    Put(QStringLiteral("drivers/d2.sys"), "");
    Put(QStringLiteral("module/engine.dll"), "ENGINE");
    Put(QStringLiteral("module/data/c.dat"), "C");
    Put(QStringLiteral("module/data/a.dat"), "AA");
    Put(QStringLiteral("module/data/B.dat"), "BBB");
    Put(QStringLiteral("module/data/.hidden.dat"), "hidden");
    Put(QStringLiteral("shared/readme.txt"), "README");

    Data.Description = QStringLiteral("Description");
    Data.AboutInformation = QStringLiteral("About");
    Data.Creator = QStringLiteral("Creator");
    Data.SubCreator = QStringLiteral("Sub");
    Data.AllowExportFromLMS = true;
    Data.BetaSoftware = true;
    auto* TaskType = AddElement<TTaskType>(Data.TaskTypes);
    TaskType->ID = SampleGUID(2);
    TaskType->Name = QStringLiteral("Task");
    TaskType->FileNameExtension = QStringLiteral(".tsk");
    TaskType->Notes = QStringLiteral("never exported");
    auto* Recording = AddElement<TTaskRecordingType>(Data.TaskRecordingTypes);
    Recording->ID = SampleGUID(3);
    Recording->Name = QStringLiteral("Recording");
    Recording->Creator = QStringLiteral("RC");
    auto* Result = AddElement<TTaskResultItemFormat>(Data.TaskResultItemFormats);
    Result->ID = SampleGUID(4);
    Result->Description = QStringLiteral("Result");
    Result->SubCreator = QStringLiteral("RS");
    auto* Media = AddElement<TMediaItemFormat>(Data.MediaItemFormats);
    Media->ID = SampleGUID(5);
    Media->MediaItemType = mitVideo;
    Media->FileNameExtension = QStringLiteral(".mp4");
    TInterfaceType* Interfaces[2];
    for (int I = 0; I < 2; ++I) {
        Interfaces[I] = AddElement<TInterfaceType>(Data.InterfaceTypes);
        Interfaces[I]->ID = SampleGUID(6 + I);
        Interfaces[I]->Name = QStringLiteral("I%1").arg(I);
    }
    TDriver* Drivers[2];
    for (int I = 0; I < 2; ++I) {
        Drivers[I] = AddElement<TDriver>(Data.Drivers);
        Drivers[I]->ID = SampleGUID(10 + I);
        Drivers[I]->Name = QStringLiteral("Driver %1").arg(I + 1);
        Drivers[I]->FilePath = Path(QStringLiteral("drivers"));
        Drivers[I]->FileName = QStringLiteral("d%1.sys").arg(I + 1);
        Drivers[I]->Location = I == 0 ? dlSystem32 : dlLMS;
        Drivers[I]->ObjectServerType = ostCOM;
        Drivers[I]->Register = I == 0;
        Drivers[I]->Creator = QStringLiteral("DC");
    }

    auto* Engine = AddElement<TCodeModule>(Data.CodeModules);
    Engine->ID = SampleGUID(20);
    Engine->Name = QStringLiteral("Engine");
    Engine->FilePath = Path(QStringLiteral("module"));
    Engine->FileName = QStringLiteral("engine.dll");
    Engine->Location = cmlEmbedded;
    Engine->ObjectServerType = ostCOM;
    Engine->Register = true;
    Engine->Creator = QStringLiteral("EC");
    Engine->HostInterfaces.Add(Interfaces[1]);
    Engine->ModuleInterfaces.Add(Interfaces[0]);
    Engine->ModuleInterfaces.Add(Interfaces[1]);
    auto* DataFiles = AddElement<TSupportFile>(Engine->SupportFiles);
    DataFiles->SourceFilePath = QStringLiteral("data");
    DataFiles->SourceFileName = QStringLiteral("*.dat");
    DataFiles->TargetRelativePath = QStringLiteral("res");
    auto* Readme = AddElement<TSupportFile>(Engine->SupportFiles);
    Readme->SourceFilePath = Path(QStringLiteral("shared"));
    Readme->SourceFileName = QStringLiteral("README.TXT");
    Readme->InstallIntoGAC = true;
    auto* Runner = AddElement<TTaskModuleObject>(Engine->TaskModuleObjects);
    Runner->ID = SampleGUID(21);
    Runner->Name = QStringLiteral("Runner");
    Runner->FullTypeName = QStringLiteral("Full.Runner");
    Runner->DelayBeforeReturningToHost = true;
    Runner->LMSNotesSupported = true;
    Runner->ToolCategories = QStringList{QStringLiteral("One"), QStringLiteral("Two")};
    Runner->AccessibleByTrainers = true;
    auto* RunnerModule = AddElement<TTaskModule>(Runner->TaskModules);
    RunnerModule->ID = SampleGUID(22);
    RunnerModule->Type = tmtTaskRunner;
    RunnerModule->SupportsMultipleItems = true;
    RunnerModule->InputTaskTypes.Add(TaskType);
    RunnerModule->OutputTaskRecordingTypes.Add(Recording);
    RunnerModule->OutputMediaItemFormats.Add(Media);
    auto* Tool = AddElement<TCommandLineTool>(Engine->CommandLineTools);
    Tool->ID = SampleGUID(23);
    Tool->Name = QStringLiteral("Tool");
    Tool->CommandLineArguments = QStringLiteral("/all");
    Tool->ToolCategories = QStringList{QStringLiteral("Cat")};
    Tool->AccessibleByStudents = true;
    Tool->RunAsAdministrator = true;

    auto* Linked = AddElement<TCodeModule>(Data.CodeModules);
    Linked->ID = SampleGUID(30);
    Linked->Name = QStringLiteral("Linked");
    Linked->FilePath = QStringLiteral("/nowhere/linked/");
    Linked->FileName = QStringLiteral("linked.dll");
    Linked->Location = cmlLinked;
    Linked->ObjectServerType = ostDotNet;
    Linked->UseDirectActivation = true;
    auto* Settings = AddElement<TTaskModuleObject>(Linked->TaskModuleObjects);
    Settings->ID = SampleGUID(31);
    Settings->Name = QStringLiteral("Settings");
    auto* Configurator = AddElement<TTaskModule>(Settings->TaskModules);
    Configurator->ID = SampleGUID(32);
    Configurator->Type = tmtTaskModuleConfigurator;
    Runner->Configurator = Configurator;
    Settings->CommandEditor = RunnerModule;

    Data.ExportToFile(Target());

    TGolden Body;
    Body.Guid(BodyTag);
    Body.Guid(SectionTags[0]).Int(1).Guid(SampleGUID(2)).Str("Task").Str(".tsk").Str("").Str("");
    Body.Guid(SectionTags[1]).Int(1).Guid(SampleGUID(3)).Str("Recording").Str("").Str("RC").Str("");
    Body.Guid(SectionTags[2]).Int(1).Guid(SampleGUID(4)).Str("").Str("Result").Str("").Str("RS");
    Body.Guid(SectionTags[3]).Int(1).Guid(SampleGUID(5)).Str("").Int(2).Str(".mp4").Str("").Str("");
    Body.Guid(SectionTags[4]).Int(2).Guid(SampleGUID(6)).Str("I0").Str("").Str("");
    Body.Guid(SampleGUID(7)).Str("I1").Str("").Str("");
    Body.Guid(SectionTags[5]).Int(2);
    Body.Guid(SampleGUID(10)).Str("Driver 1").Str("d1.sys").Int(1).Int(1).Bool(true).Str("DC").Str("");
    Body.Date(Created("drivers/d1.sys")).Date(WrittenDays).File("DRIVER-ONE");
    Body.Guid(SampleGUID(11)).Str("Driver 2").Str("d2.sys").Int(2).Int(1).Bool(false).Str("DC").Str("");
    Body.Date(Created("drivers/d2.sys")).Date(WrittenDays).File("");
    Body.Guid(SectionTags[6]).Int(2);
    // The embedded module: its own file name as reference, its full source path, its bytes.
    Body.Guid(SampleGUID(20)).Str("Engine").Str("engine.dll").Int(1).Int(1).Bool(true).Bool(false).Bool(false);
    Body.Str(Path("module") + "\\engine.dll").Str("EC").Str("");
    Body.Date(Created("module/engine.dll")).Date(WrittenDays);
    Body.Int(1).Guid(SampleGUID(7)).Int(2).Guid(SampleGUID(6)).Guid(SampleGUID(7));
    Body.Int(2).Guid(SampleGUID(10)).Guid(SampleGUID(11));
    Body.File("ENGINE");
    Body.Guid(ObjectsTag).Int(1);
    Body.Guid(SampleGUID(21)).Str("Runner").Str("Full.Runner").Bool(false).Bool(true);
    Body.Guid(SampleGUID(32)).Guid(TGUID{}).Bool(true).Int(548).Int(411);
    Body.Int(2).Str("One").Str("Two").Bool(false).Bool(false).Bool(true).Bool(false);
    Body.Guid(TaskModulesTag).Int(1).Guid(SampleGUID(22)).Int(3).Bool(true);
    Body.Int(1).Guid(SampleGUID(2)).Int(0).Int(0).Int(1).Guid(SampleGUID(3)).Int(0).Int(0).Int(1).Guid(SampleGUID(5));
    Body.Guid(ToolsTag).Int(1).Guid(SampleGUID(23)).Str("Tool").Str("/all").Int(1).Str("Cat");
    Body.Bool(false).Bool(false).Bool(false).Bool(true).Bool(true);
    // Three matches of the pattern in file-name order, the hidden file left out, then the readme
    // found by a name in another case.
    Body.Guid(SupportTag).Int(4);
    const char* const Matches[][2] = {{"a.dat", "AA"}, {"B.dat", "BBB"}, {"c.dat", "C"}};
    for (const auto& Match : Matches) {
        Body.Str(QStringLiteral("res\\") + Match[0]).Bool(false);
        Body.Date(Created(QStringLiteral("module/data/") + Match[0])).Date(WrittenDays).File(Match[1]);
    }
    Body.Str("readme.txt").Bool(true).Date(Created("shared/readme.txt")).Date(WrittenDays).File("README");
    // The linked module: folder and name joined without a second separator, no time stamps, no
    // bytes; its source path is plain concatenation. The drivers are the same in every module.
    Body.Guid(SampleGUID(30)).Str("Linked").Str("/nowhere/linked/linked.dll").Int(2).Int(2);
    Body.Bool(false).Bool(true).Bool(false).Str("/nowhere/linked/\\linked.dll").Str("").Str("");
    Body.Date(0.0).Date(0.0).Int(0).Int(0).Int(2).Guid(SampleGUID(10)).Guid(SampleGUID(11)).Int(0);
    Body.Guid(ObjectsTag).Int(1).Guid(SampleGUID(31)).Str("Settings").Str("").Bool(false).Bool(false);
    Body.Guid(TGUID{}).Guid(SampleGUID(22)).Bool(false).Int(548).Int(411).Int(0);
    Body.Bool(false).Bool(false).Bool(false).Bool(false);
    Body.Guid(TaskModulesTag).Int(1).Guid(SampleGUID(32)).Int(8).Bool(false);
    for (int I = 0; I < 7; ++I)
        Body.Int(0);
    Body.Guid(ToolsTag).Int(0).Guid(SupportTag).Int(0);

    TGolden Expected;
    Expected.Guid(FileTag).Block(Header({SampleGUID(21), SampleGUID(31)})).Block(Body);
    ExpectSameBytes(Exported(), Expected.Bytes);
}

// A definition made on Windows: drives and backslashes throughout, target folders with and without
// a trailing separator. Its files sit under a folder named "C:" in the working directory, where this
// platform finds them; the package carries the paths exactly as an export on Windows would.
TEST_F(PackageExport, CarriesPathsTheWindowsWayWhereverItIsMade)
{
    const QString Previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Directory.path()));
    const auto Restore = qScopeGuard([&Previous] { QDir::setCurrent(Previous); });
    Put(QStringLiteral("C:/Quillon/drivers/d.sys"), "D");
    Put(QStringLiteral("C:/Quillon/bin/engine.dll"), "E");
    Put(QStringLiteral("C:/Quillon/bin/data/a.txt"), "A");
    Put(QStringLiteral("C:/Quillon/shared/b.txt"), "B");

    auto* Driver = AddElement<TDriver>(Data.Drivers);
    Driver->FilePath = QStringLiteral("C:\\Quillon\\drivers");
    Driver->FileName = QStringLiteral("d.sys");
    auto* Engine = AddElement<TCodeModule>(Data.CodeModules);
    Engine->ID = SampleGUID(2);
    Engine->FilePath = QStringLiteral("C:\\Quillon\\bin");
    Engine->FileName = QStringLiteral("engine.dll");
    Engine->Location = cmlEmbedded;
    auto* Relative = AddElement<TSupportFile>(Engine->SupportFiles);
    Relative->SourceFilePath = QStringLiteral("data");
    Relative->SourceFileName = QStringLiteral("*.txt");
    Relative->TargetRelativePath = QStringLiteral("data");
    auto* Absolute = AddElement<TSupportFile>(Engine->SupportFiles);
    Absolute->SourceFilePath = QStringLiteral("C:\\Quillon\\shared\\");
    Absolute->SourceFileName = QStringLiteral("b.txt");
    Absolute->TargetRelativePath = QStringLiteral("res\\");
    auto* Linked = AddElement<TCodeModule>(Data.CodeModules);
    Linked->ID = SampleGUID(3);
    Linked->FilePath = QStringLiteral("C:\\Program Files\\Linked\\");
    Linked->FileName = QStringLiteral("linked.dll");
    Linked->Location = cmlLinked;

    Data.ExportErrorCheck();
    Data.ExportToFile(Target());
    const TPackageContents Package = ReadPackageFile(Target());
    const QByteArray Bytes = Exported();
    QStringList Names;
    QList<QByteArray> Contents;
    for (const TPackageEmbeddedFile& File : Package.Files) {
        Names.append(File.Target);
        Contents.append(Bytes.mid(File.Offset, File.Size));
    }
    QStringList References, Sources;
    QList<bool> Linkage;
    for (const TPackageCodeModule& Module : Package.CodeModules) {
        References.append(Module.Reference);
        Sources.append(Module.SourcePath);
        Linkage.append(Module.Linked);
    }
    EXPECT_EQ(Names, QStringList({"d.sys", "engine.dll", "data\\a.txt", "res\\b.txt"}));
    EXPECT_EQ(Contents, QList<QByteArray>({"D", "E", "A", "B"}));
    // The linked module carries its full path and no file.
    EXPECT_EQ(References, QStringList({"engine.dll", "C:\\Program Files\\Linked\\linked.dll"}));
    EXPECT_EQ(Linkage, QList<bool>({false, true}));
    EXPECT_EQ(Sources, QStringList({"C:\\Quillon\\bin\\engine.dll", "C:\\Program Files\\Linked\\\\linked.dll"}));
}

struct TBetaCase
{
    bool Beta;
    TMessageResult Answer;
    bool Cancelled;
};

class BetaConfirmation : public PackageExport, public ::testing::WithParamInterface<TBetaCase>
{};

TEST_P(BetaConfirmation, GoesOnOnlyAfterYes)
{
    Data.BetaSoftware = GetParam().Beta;
    Seam.Answers.push_back(GetParam().Answer);
    if (GetParam().Cancelled)
        EXPECT_EQ(ExpectThrowReport<E_QOR_OperationCancelled>([this] { Data.ConfirmBetaExport(); }),
                  QStringLiteral("Operation cancelled."));
    else
        Data.ConfirmBetaExport();
    ASSERT_EQ(Seam.Messages.size(), GetParam().Beta ? 1u : 0u);
    if (GetParam().Beta) {
        EXPECT_EQ(Seam.Messages[0].Text,
                  QStringLiteral("This code package is marked 'Beta software'. Do you want to continue?"));
        EXPECT_EQ(Seam.Messages[0].Caption, QStringLiteral("Quillon"));
        EXPECT_EQ(Seam.Messages[0].Buttons, TMessageButtons::YesNoCancel);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers,
                         BetaConfirmation,
                         ::testing::Values(TBetaCase{true, TMessageResult::Yes, false},
                                           TBetaCase{true, TMessageResult::No, true},
                                           TBetaCase{true, TMessageResult::Cancel, true},
                                           TBetaCase{false, TMessageResult::No, false}),
                         [](const ::testing::TestParamInfo<TBetaCase>& Info) {
                             std::string Name = Info.param.Beta ? "Beta" : "NotBeta";
                             switch (Info.param.Answer) {
                             case TMessageResult::Yes:
                                 return Name + "Yes";
                             case TMessageResult::No:
                                 return Name + "No";
                             case TMessageResult::Cancel:
                                 return Name + "Cancel";
                             default:
                                 return Name + "Answer" + std::to_string(static_cast<int>(Info.param.Answer));
                             }
                         });

class FailedExport;

struct TFailureCase
{
    const char* Name;
    std::function<void(FailedExport& Test, TData& Data)> Break;
    // %1 stands for the temporary directory.
    const char* Report;
};

void PrintTo(const TFailureCase& Case, std::ostream* Stream)
{
    *Stream << Case.Name;
}

class FailedExport : public PackageExport, public ::testing::WithParamInterface<TFailureCase>
{
public:
    using PackageExport::Path;
    using PackageExport::Put;
};

// A module with one support file data/*.dat holding a.dat.
TCodeModule* AddModule(FailedExport& Test, TData& Data)
{
    Test.Put(QStringLiteral("module/engine.dll"), "ENGINE");
    Test.Put(QStringLiteral("module/data/a.dat"), "A");
    auto* Module = AddElement<TCodeModule>(Data.CodeModules);
    Module->Name = QStringLiteral("Engine");
    Module->FilePath = Test.Path(QStringLiteral("module"));
    Module->FileName = QStringLiteral("engine.dll");
    Module->Location = cmlEmbedded;
    auto* Support = AddElement<TSupportFile>(Module->SupportFiles);
    Support->SourceFilePath = QStringLiteral("data");
    Support->SourceFileName = QStringLiteral("*.dat");
    return Module;
}

// Sparse: the size costs no disk.
void MakeHuge(FailedExport& Test, const QString& Name, int64_t Size)
{
    QFile File(Test.Path(Name));
    ASSERT_TRUE(File.open(QIODevice::ReadWrite));
    ASSERT_TRUE(File.resize(Size));
}

TEST_P(FailedExport, LeavesThePreviousPackageAsItWas)
{
    {
        QFile Previous(Target());
        ASSERT_TRUE(Previous.open(QIODevice::WriteOnly));
        Previous.write("previous package");
    }
    GetParam().Break(*this, Data);
    try {
        Data.ExportToFile(Target());
        ADD_FAILURE() << "the export succeeded";
    } catch (...) {
        const QString Report = QString::fromUtf8(GetParam().Report);
        EXPECT_EQ(GetExceptionReport(), Report.contains(QLatin1String("%1")) ? Report.arg(Directory.path()) : Report);
    }
    EXPECT_EQ(Exported(), QByteArray("previous package"));
    EXPECT_EQ(QDir(Path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("package.cpk")});
}

INSTANTIATE_TEST_SUITE_P(
    Causes,
    FailedExport,
    ::testing::Values(
        TFailureCase{"MissingDriverFile",
                     [](FailedExport&, TData& Data) {
                         auto* Driver = AddElement<TDriver>(Data.Drivers);
                         Driver->FilePath = QStringLiteral("/nowhere");
                         Driver->FileName = QStringLiteral("d.sys");
                     },
                     "Failed to open file: '/nowhere/d.sys'."},
        // sysfs states a size of a page but gives far fewer bytes: the copy falls short.
        TFailureCase{"IncompleteCopy",
                     [](FailedExport&, TData& Data) {
                         auto* Driver = AddElement<TDriver>(Data.Drivers);
                         Driver->FilePath = QStringLiteral("/sys/devices/system/cpu");
                         Driver->FileName = QStringLiteral("online");
                     },
                     "Saving error."},
        TFailureCase{"SupportPatternWithoutMatch",
                     [](FailedExport& Test, TData& Data) {
                         AddModule(Test, Data)->SupportFiles.Items(0)->SourceFileName = QStringLiteral("*.txt");
                     },
                     "Export error. Support file not found at '%1/module/data/*.txt'."},
        TFailureCase{"UnknownLocation",
                     [](FailedExport& Test, TData& Data) { AddModule(Test, Data)->Location = cmlNone; },
                     "Enumeration out of range."},
        // The file grows, or is rewritten to the same size, after its bytes were copied.
        TFailureCase{"SourceGrowsWhileEmbedded",
                     [](FailedExport& Test, TData& Data) {
                         AddModule(Test, Data);
                         SetFileEmbeddedHookForTesting([](const QString& Name) {
                             QFile File(Name);
                             if (Name.endsWith(QLatin1String("a.dat")) && File.open(QIODevice::Append))
                                 File.write("more");
                         });
                     },
                     "Saving error. File name='%1/module/data/a.dat'. The file changed while it was being "
                     "embedded."},
        TFailureCase{"SourceRewrittenWhileEmbedded",
                     [](FailedExport& Test, TData& Data) {
                         AddModule(Test, Data);
                         SetFileEmbeddedHookForTesting([&Test](const QString& Name) {
                             if (Name.endsWith(QLatin1String("engine.dll")))
                                 Test.Put(QStringLiteral("module/engine.dll"), "engine", WrittenAt.addSecs(1));
                         });
                     },
                     "Saving error. File name='%1/module/engine.dll'. The file changed while it was being "
                     "embedded."},
        TFailureCase{"FileOf4GiB",
                     [](FailedExport& Test, TData& Data) {
                         AddModule(Test, Data);
                         MakeHuge(Test, QStringLiteral("module/data/huge.dat"), int64_t(1) << 32);
                     },
                     "Saving error. File name='%1/module/data/huge.dat'. Files of 4 GiB or more cannot be "
                     "embedded."},
        // The largest file a size can state still does not fit beside the rest of the body.
        TFailureCase{"BodyReaching4GiB",
                     [](FailedExport& Test, TData& Data) {
                         AddModule(Test, Data);
                         MakeHuge(Test, QStringLiteral("module/engine.dll"), 0xFFFFFFFFll);
                     },
                     "Saving error. File name='%1/module/engine.dll'. Embedding it would make the code package "
                     "4 GiB or more."}),
    PrintedTestName());

} // namespace
