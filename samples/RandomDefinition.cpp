#include "samples/RandomDefinition.h"

#include "foundation/QORExceptions.h"
#include "model/CheckFindings.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace RandomDefinition {

namespace {

using SampleDefinitions::AddElement;
using SampleDefinitions::SampleGUID;

// The library and a coclass of the type library fixtures.
const TGUID FixtureLibrary = TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A01}");
const TGUID FixtureCoclass = TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A06}");

constexpr int32_t Lowest = std::numeric_limits<int32_t>::min();
constexpr int32_t Highest = std::numeric_limits<int32_t>::max();

// Data-type lists of a task module, as bits.
enum TListBit
{
    InTasks = 1,
    OutTasks = 2,
    InRecordings = 4,
    OutRecordings = 8,
    InResults = 16,
    OutResults = 32,
    OutMedia = 64,
};

struct TListRule
{
    int Required;
    int Forbidden;
};

// What each task module type must and must not have, indexed by type.
const TListRule ListRules[] = {
    {0, 0},
    {OutTasks, InTasks},
    {InTasks | OutTasks, 0},
    {InTasks, 0},
    {InResults, OutTasks | OutRecordings | OutResults},
    {InResults, OutTasks | OutRecordings | OutResults},
    {InRecordings, 0},
    {InRecordings, 0},
    {0, InTasks | InRecordings | InResults | OutTasks | OutRecordings | OutResults},
    {0, InTasks | InRecordings | InResults | OutTasks | OutRecordings | OutResults},
    {0, InTasks | InRecordings | InResults | OutTasks | OutRecordings | OutResults},
    {InRecordings, InTasks | OutTasks | OutRecordings | InResults},
};

void WriteFile(const QString& Name, const QByteArray& Bytes)
{
    QDir().mkpath(QFileInfo(Name).path());
    QFile File(Name);
    if (File.open(QIODevice::WriteOnly))
        File.write(Bytes);
}

class TBuilder
{
public:
    TBuilder(TChoiceReader& Choices, const QString& Folder) : FChoices(Choices), FRoot(QDir::cleanPath(Folder))
    {
        // Either one fault at a drawn place, so that the rules late in the check are reached too,
        // or faults at a drawn rate.
        static const uint32_t Rates[] = {0, 0, 0, 1, 3, 6, 12, 25, 50};
        const uint32_t Mode = FChoices.Below(std::size(Rates) + 6);
        if (Mode < std::size(Rates))
            FFaultRate = Rates[Mode];
        else
            FFaultAt = int32_t(FChoices.Below(48));
    }

    void Build(TData& Data);

private:
    bool Fault() { return FFaultAt >= 0 ? FFaultAt == FFaultsAsked++ : FChoices.Percent(FFaultRate); }
    bool Coin() { return FChoices.Below(2) == 1; }

    template <class T, size_t N> const T& Pick(const T (&Pool)[N]) { return Pool[FChoices.Below(N)]; }
    QString Pick(const QStringList& Pool) { return Pool.at(FChoices.Below(uint32_t(Pool.size()))); }

    // Names repeat often, also in another case; some are empty.
    QString Name()
    {
        static const QStringList Names = {QStringLiteral("Alpha"),
                                          QStringLiteral("Beta"),
                                          QStringLiteral("alpha"),
                                          QStringLiteral("Alpha"),
                                          QString(),
                                          QStringLiteral("Émile café")};
        return Pick(Names);
    }
    QString Text()
    {
        static const QStringList Texts = {
            QString(), QStringLiteral("x"), QStringLiteral("Notes über"), QStringLiteral("C:\\Program Files")};
        return Pick(Texts);
    }
    int32_t AnyEnumeration()
    {
        static const int32_t Values[] = {0, 1, 2, 3, -1, 4, 12, Highest, Lowest};
        return Pick(Values);
    }
    // A new ID, or now and then a null or repeated one.
    TGUID ID()
    {
        if (Fault()) {
            switch (FChoices.Below(3)) {
            case 0:
                return {};
            case 1:
                if (!FUsed.empty())
                    return FUsed[FChoices.Below(uint32_t(FUsed.size()))];
                break;
            default:
                break;
            }
            return SampleGUID(7);
        }
        FUsed.push_back(SampleGUID(FNext++));
        return FUsed.back();
    }
    TGUID AnyID()
    {
        static const uint32_t Numbers[] = {0, 1, 2, 7};
        const uint32_t Number = Pick(Numbers);
        return Number == 0 ? TGUID{} : SampleGUID(Number);
    }
    // A folder under the root, written one of the ways definitions write folders: absolute, with a
    // trailing separator, with backslashes, or relative to the current folder (empty for the root).
    QString Folder(const QString& Sub)
    {
        const QString Absolute = Sub.isEmpty() ? FRoot : FRoot + QLatin1Char('/') + Sub;
        switch (FChoices.Below(4)) {
        case 0:
            return Absolute;
        case 1:
            return Absolute + QLatin1Char('/');
        case 2:
            return QString(Absolute).replace(QLatin1Char('/'), QLatin1Char('\\'));
        default:
            return Sub;
        }
    }
    template <class TList> void Refer(TList& References, const TList& Source, int Count)
    {
        for (int I = 0; I < Count && Source.Count() > 0; ++I)
            References.Add(Source.Items(int32_t(FChoices.Below(uint32_t(Source.Count())))));
    }

    template <class TList, class TItem> void DataTypes(TList& List);
    void Driver(TDriver& Driver);
    void CodeModule(TData& Data, TCodeModule& Module);
    void TaskModule(TData& Data, TTaskModule& Module);
    void SupportFile(TSupportFile& File);

    TChoiceReader& FChoices;
    QString FRoot;
    uint32_t FFaultRate = 0;
    int32_t FFaultAt = -1;
    int32_t FFaultsAsked = 0;
    uint32_t FNext = 1000;
    std::vector<TGUID> FUsed;
};

template <class TList, class TItem> void TBuilder::DataTypes(TList& List)
{
    // At least one of each kind unless faulty, so that task modules can have what they must.
    const uint32_t Count = FChoices.Below(3) + (Fault() ? 0 : 1);
    for (uint32_t I = 0; I < Count; ++I) {
        auto* Type = AddElement<TItem>(List);
        Type->ID = AnyID();
        Type->Name = Name();
        Type->Creator = Text();
        Type->SubCreator = Text();
        Type->Notes = Text();
        if constexpr (std::is_same_v<TItem, TMediaItemFormat>)
            Type->MediaItemType = static_cast<TMediaItemType>(AnyEnumeration());
    }
}

void TBuilder::Driver(TDriver& Driver)
{
    Driver.Name = Name();
    Driver.ID = AnyID();
    Driver.Location = static_cast<TDriverLocation>(AnyEnumeration());
    Driver.ObjectServerType = static_cast<TObjectServerType>(Fault() ? AnyEnumeration() : int32_t(FChoices.Below(3)));
    Driver.Register = Coin();
    Driver.Creator = Text();
    Driver.SubCreator = Text();
    if (Driver.ObjectServerType == ostCOM && Coin()) {
        static const char* const Libraries[] = {"fixture32.dll", "fixture64.dll", "plain.dll", "othertypelib.dll"};
        Driver.FilePath = Folder(QStringLiteral("com"));
        Driver.FileName = QLatin1String(Pick(Libraries));
        Driver.ID = Fault() ? AnyID() : FixtureLibrary;
    } else {
        Driver.FilePath = FChoices.Below(4) > 0 ? Folder(QStringLiteral("drivers")) : Folder(QString());
        Driver.FileName = QStringLiteral("driver.dll");
    }
    if (Fault()) {
        static const char* const Broken[] = {"missing.dll", "folder.dll", "", "DRIVER.DLL"};
        Driver.FileName = QLatin1String(Pick(Broken));
    }
    if (Fault())
        Driver.FilePath = Folder(QStringLiteral("missing"));
}

void TBuilder::SupportFile(TSupportFile& File)
{
    // Every folder a module can be in has a "data" folder. A folder written with backslashes has no
    // drive on POSIX, so only the others are absolute everywhere.
    const QString Shared = FRoot + QStringLiteral("/shared");
    switch (FChoices.Below(4)) {
    case 0:
        File.SourceFilePath = FRoot + QStringLiteral("/module/data");
        break;
    case 1:
        File.SourceFilePath = QStringLiteral("data");
        break;
    case 2:
        File.SourceFilePath = QStringLiteral("data\\");
        break;
    default:
        File.SourceFilePath = Coin() ? Shared : Shared + QLatin1Char('/');
        break;
    }
    static const char* const Patterns[] = {"*.txt", "a.txt", "?.txt", "*", "c.*", "B.TXT", "*.*"};
    File.SourceFileName = QLatin1String(Pick(Patterns));
    if (Fault()) {
        static const char* const Broken[] = {
            "data\\a.txt", "sub/a.txt", "*.dat", ".hidden.txt", "folder.txt", "", "C:a.txt"};
        File.SourceFileName = QLatin1String(Pick(Broken));
    }
    if (Fault())
        File.SourceFilePath = Coin() ? QStringLiteral("nowhere") : Folder(QStringLiteral("missing"));
    static const char* const Targets[] = {"", "data", "a\\b", "/"};
    File.TargetRelativePath = QLatin1String(Pick(Targets));
    File.InstallIntoGAC = Coin();
}

void TBuilder::TaskModule(TData& Data, TTaskModule& Module)
{
    Module.ID = ID();
    int32_t Type = int32_t(FChoices.Below(11)) + 1;
    if (Fault()) {
        static const int32_t Broken[] = {tmtNone, 12, -1, Highest, Lowest};
        Type = Pick(Broken);
    }
    Module.Type = static_cast<TTaskModuleType>(Type);
    Module.SupportsMultipleItems = Coin();
    int Lists = int(FChoices.Below(128));
    if (Type >= 0 && Type < int32_t(std::size(ListRules)) && !Fault())
        Lists = (Lists & ~ListRules[Type].Forbidden) | ListRules[Type].Required;
    const auto Count = [&](int Bit) { return (Lists & Bit) ? 1 + int(FChoices.Below(2)) : 0; };
    Refer(Module.InputTaskTypes, Data.TaskTypes, Count(InTasks));
    Refer(Module.OutputTaskTypes, Data.TaskTypes, Count(OutTasks));
    Refer(Module.InputTaskRecordingTypes, Data.TaskRecordingTypes, Count(InRecordings));
    Refer(Module.OutputTaskRecordingTypes, Data.TaskRecordingTypes, Count(OutRecordings));
    Refer(Module.InputTaskResultItemFormats, Data.TaskResultItemFormats, Count(InResults));
    Refer(Module.OutputTaskResultItemFormats, Data.TaskResultItemFormats, Count(OutResults));
    Refer(Module.OutputMediaItemFormats, Data.MediaItemFormats, Count(OutMedia));
}

void TBuilder::CodeModule(TData& Data, TCodeModule& Module)
{
    Module.Name = Name();
    Module.Creator = Text();
    Module.SubCreator = Text();
    Module.Notes = Text();
    Module.Location = Coin() ? cmlEmbedded : cmlLinked;
    if (Fault()) {
        static const int32_t Broken[] = {cmlNone, 3, -1, Lowest, Highest};
        Module.Location = static_cast<TCodeModuleLocation>(Pick(Broken));
    }
    Module.ObjectServerType = static_cast<TObjectServerType>(FChoices.Below(3));
    if (Fault())
        Module.ObjectServerType = static_cast<TObjectServerType>(AnyEnumeration());
    const bool IsCOM = Module.ObjectServerType == ostCOM;

    // The file: a type library for COM now and then, else a plain module file.
    bool UsesFixture = false;
    if (IsCOM && Coin()) {
        static const char* const Libraries[] = {"fixture64.dll", "fixture64.exe", "plain.dll", "FIXTURE32.DLL"};
        Module.FilePath = Folder(QStringLiteral("com"));
        Module.FileName = QLatin1String(Pick(Libraries));
        UsesFixture = Module.FileName.startsWith(QLatin1String("fixture"), Qt::CaseInsensitive);
    } else {
        static const char* const Files[] = {"module.dll", "module.exe", "module.bin", "MODULE.DLL"};
        Module.FilePath = FChoices.Below(4) > 0 ? Folder(QStringLiteral("module")) : Folder(QString());
        Module.FileName = QLatin1String(Pick(Files));
        if (Module.FileName == QLatin1String("MODULE.DLL") && !Fault())
            Module.FileName = QStringLiteral("module.dll");
    }
    if (Fault()) {
        static const char* const Broken[] = {"missing.dll", "folder.dll", "", "data"};
        Module.FileName = QLatin1String(Pick(Broken));
    }
    if (Fault())
        Module.FilePath = Folder(QStringLiteral("missing"));
    Module.ID = UsesFixture && !Fault() ? FixtureLibrary : ID();

    // Flags drawn freely, then mended unless this is one of the faults.
    Module.Register = Coin();
    Module.UseDirectActivation = Coin();
    Module.RunFromSourceLocation = Coin();
    const bool Linked = Module.Location == cmlLinked;
    const bool DotNet = Module.ObjectServerType == ostDotNet;
    if (Module.UseDirectActivation && !DotNet && !Fault())
        Module.UseDirectActivation = false;
    if (Module.RunFromSourceLocation && !Module.UseDirectActivation && !Fault())
        Module.RunFromSourceLocation = false;
    if (Linked && Module.Register && !Fault())
        Module.Register = false;

    uint32_t Files = FChoices.Below(3);
    if (Linked && !Fault())
        Files = 0;
    for (uint32_t S = 0; S < Files; ++S)
        SupportFile(*AddElement<TSupportFile>(Module.SupportFiles));

    uint32_t Objects = FChoices.Below(3);
    if (Objects > 0 && !Module.Register && !Module.UseDirectActivation && !Fault()) {
        if (DotNet)
            Module.UseDirectActivation = true;
        else if (!Linked)
            Module.Register = true;
        else
            Objects = 0;
    }
    if (Objects > 0 && Module.ObjectServerType == ostNone && !Fault())
        Objects = 0;
    // A loaded type library holds one coclass: a second object could only repeat its ID.
    if (UsesFixture && Objects > 1 && !Fault())
        Objects = 1;
    const QString Extension = Module.FileName.right(4).toLower();
    for (uint32_t O = 0; O < Objects; ++O) {
        auto* Object = AddElement<TTaskModuleObject>(Module.TaskModuleObjects);
        Object->Name = Name();
        Object->ID = UsesFixture && !Fault() ? FixtureCoclass : ID();
        Object->FullTypeName =
            Coin() || (Module.UseDirectActivation && DotNet && !Fault()) ? QStringLiteral("Sample.Object") : QString();
        Object->RunOutOfProcess = Coin();
        if (IsCOM && !Fault()) {
            if (Extension == QLatin1String(".dll"))
                Object->RunOutOfProcess = false;
            else if (Extension == QLatin1String(".exe"))
                Object->RunOutOfProcess = true;
        }
        Object->DelayBeforeReturningToHost = Coin();
        Object->LMSNotesSupported = Coin();
        Object->PreferredWidth = Coin() ? DefaultPreferredWidth : AnyEnumeration();
        Object->PreferredHeight = Coin() ? DefaultPreferredHeight : AnyEnumeration();
        if (Coin())
            Object->ToolCategories = QStringList{Text(), Name()};
        Object->AccessibleByServiceEngineers = Coin();
        Object->AccessibleBySystemAdministrators = Coin();
        Object->AccessibleByTrainers = Coin();
        Object->AccessibleByStudents = Coin();
        Object->Notes = Text();
        const uint32_t TaskModules = FChoices.Below(4);
        for (uint32_t T = 0; T < TaskModules; ++T)
            TaskModule(Data, *AddElement<TTaskModule>(Object->TaskModules));
    }

    const uint32_t Tools = FChoices.Below(3);
    for (uint32_t T = 0; T < Tools; ++T) {
        auto* Tool = AddElement<TCommandLineTool>(Module.CommandLineTools);
        Tool->ID = ID();
        Tool->Name = Name();
        Tool->CommandLineArguments = Text();
        if (Coin())
            Tool->ToolCategories = QStringList{Name()};
        Tool->AccessibleByServiceEngineers = Coin();
        Tool->AccessibleBySystemAdministrators = Coin();
        Tool->AccessibleByTrainers = Coin();
        Tool->AccessibleByStudents = Coin();
        Tool->RunAsAdministrator = Coin();
        Tool->Notes = Text();
    }
    Refer(Module.HostInterfaces, Data.InterfaceTypes, int(FChoices.Below(3)));
    Refer(Module.ModuleInterfaces, Data.InterfaceTypes, int(FChoices.Below(3)));
}

void TBuilder::Build(TData& Data)
{
    Data.Clear();
    // Rarer than other faults: either one hides everything after it.
    Data.ID = Fault() && Fault() ? TGUID{} : SampleGUID(1);
    Data.Name = Fault() && Fault() ? QString() : QStringLiteral("Package");
    Data.Description = Text();
    Data.AboutInformation = Text();
    Data.Creator = Text();
    Data.SubCreator = Text();
    Data.AllowExportFromLMS = Coin();
    Data.BetaSoftware = Coin();

    DataTypes<TTaskTypes, TTaskType>(Data.TaskTypes);
    DataTypes<TTaskRecordingTypes, TTaskRecordingType>(Data.TaskRecordingTypes);
    DataTypes<TTaskResultItemFormats, TTaskResultItemFormat>(Data.TaskResultItemFormats);
    DataTypes<TMediaItemFormats, TMediaItemFormat>(Data.MediaItemFormats);
    const uint32_t Interfaces = FChoices.Below(3);
    for (uint32_t I = 0; I < Interfaces; ++I) {
        auto* Type = AddElement<TInterfaceType>(Data.InterfaceTypes);
        Type->ID = AnyID();
        Type->Name = Name();
    }
    const uint32_t Drivers = FChoices.Below(3);
    for (uint32_t D = 0; D < Drivers; ++D)
        Driver(*AddElement<TDriver>(Data.Drivers));
    const uint32_t Modules = FChoices.Below(4);
    for (uint32_t C = 0; C < Modules; ++C)
        CodeModule(Data, *AddElement<TCodeModule>(Data.CodeModules));

    // Configurators and command editors may be any task module of the package.
    std::vector<TTaskModule*> TaskModules;
    for (int32_t C = 0; C < Data.CodeModules.Count(); ++C) {
        const TTaskModuleObjects& Objects = Data.CodeModules.Items(C)->TaskModuleObjects;
        for (int32_t O = 0; O < Objects.Count(); ++O)
            for (int32_t T = 0; T < Objects.Items(O)->TaskModules.Count(); ++T)
                TaskModules.push_back(Objects.Items(O)->TaskModules.Items(T));
    }
    const auto AnyTaskModule = [&]() -> TTaskModule* {
        const uint32_t Index = FChoices.Below(uint32_t(TaskModules.size()) + 1);
        return Index == 0 ? nullptr : TaskModules[Index - 1];
    };
    for (int32_t C = 0; C < Data.CodeModules.Count(); ++C) {
        const TTaskModuleObjects& Objects = Data.CodeModules.Items(C)->TaskModuleObjects;
        for (int32_t O = 0; O < Objects.Count(); ++O) {
            Objects.Items(O)->Configurator = AnyTaskModule();
            Objects.Items(O)->CommandEditor = AnyTaskModule();
        }
    }
}

// The report text of the exception Finding stands for.
QString ReportOfFinding(const TCheckFinding& Finding)
{
    try {
        RaiseFinding(Finding);
    } catch (const E_QOR&) {
        return GetExceptionReport();
    }
}

} // namespace

uint32_t TChoiceReader::Below(uint32_t Count)
{
    if (Count <= 1)
        return 0;
    if (Count <= 256)
        return Next() % Count;
    uint32_t Value = 0;
    for (int I = 0; I < 4; ++I)
        Value = (Value << 8) | Next();
    return Value % Count;
}

QByteArray SeededBytes(uint32_t Seed, qsizetype Size)
{
    // The engine's output is fixed by the standard; distributions are not, so none is used.
    std::mt19937 Engine(Seed);
    QByteArray Bytes(Size, Qt::Uninitialized);
    for (char& Byte : Bytes)
        Byte = char(Engine() & 0xFF);
    return Bytes;
}

void PrepareFiles(const QString& Folder, const QString& TypeLibraryFolder)
{
    const QDir Root(Folder);
    for (const char* Name : {"driver.dll",
                             "drivers/driver.dll",
                             "module.dll",
                             "module.exe",
                             "module.bin",
                             "module/module.dll",
                             "module/module.exe",
                             "module/module.bin"})
        WriteFile(Root.filePath(QLatin1String(Name)), QByteArray("content of ") + Name);
    for (const char* Folder : {"data/", "module/data/", "com/data/", "shared/"}) {
        for (const char* Name : {"a.txt", "b.txt", "c.dat", ".hidden.txt"})
            WriteFile(Root.filePath(QLatin1String(Folder) + QLatin1String(Name)), QByteArray("support file ") + Name);
        Root.mkpath(QLatin1String(Folder) + QStringLiteral("folder.txt"));
    }
    for (const char* Name : {"drivers/folder.dll", "module/folder.dll", "folder.dll"})
        Root.mkpath(QLatin1String(Name));
    const QDir Libraries(TypeLibraryFolder);
    // An upper-case copy too: the COM rules ignore the case of the extension.
    const std::pair<const char*, const char*> Copies[] = {{"fixture32.dll", "fixture32.dll"},
                                                          {"fixture32.dll", "FIXTURE32.DLL"},
                                                          {"fixture64.dll", "fixture64.dll"},
                                                          {"fixture64.exe", "fixture64.exe"},
                                                          {"plain.dll", "plain.dll"},
                                                          {"othertypelib.dll", "othertypelib.dll"}};
    for (const auto& [From, To] : Copies) {
        QFile Library(Libraries.filePath(QLatin1String(From)));
        if (!TypeLibraryFolder.isEmpty() && Library.open(QIODevice::ReadOnly))
            WriteFile(Root.filePath(QStringLiteral("com/") + QLatin1String(To)), Library.readAll());
    }
}

void Build(TData& Data, QByteArrayView Bytes, const QString& Folder)
{
    TChoiceReader Choices(Bytes);
    TBuilder(Choices, Folder).Build(Data);
}

TAgreement CheckAgainstExport(const TData& Data, const QString& PackageFile)
{
    TAgreement Result;
    TData Saved;
    SampleDefinitions::LoadFromBytes(Saved, SampleDefinitions::SaveToBytes(Data));
    QSet<QString> Places;
    for (const TCheckFinding& Finding : CollectCheckFindings(Saved)) {
        if (Finding.Severity == TFindingSeverity::Error && Result.CheckRule.isEmpty()) {
            Result.CheckReport = ReportOfFinding(Finding);
            Result.CheckRule = Finding.Rule;
        }
        const QString Place = Finding.Location + QStringLiteral(": ") + Finding.Message;
        if (Places.contains(Place) && Result.RepeatedFinding.isEmpty())
            Result.RepeatedFinding = Place;
        Places.insert(Place);
    }
    try {
        Data.ExportErrorCheck();
        Data.ExportToFile(PackageFile);
    } catch (const E_QOR&) {
        Result.ExportReport = GetExceptionReport();
    }
    return Result;
}

} // namespace RandomDefinition
