// Concatenations build each message in one allocation: a large package can have tens of thousands.
#define QT_USE_QSTRINGBUILDER

#include "foundation/FileSystem.h"
#include "foundation/General.h"
#include "foundation/Paths.h"
#include "foundation/QORExceptions.h"
#include "foundation/TypeLibraryReader.h"
#include "model/CheckFindings.h"
#include "model/Data.h"
#include "model/PackageExport.h"

#include <QHash>

namespace {

QString Quoted(const QString& Text)
{
    return QLatin1Char('\'') + Text + QLatin1Char('\'');
}

using TPath = std::vector<TFindingStep>;

// The elements that take part in the unique-ID rule, as the rule describes them.
struct TIdentified
{
    enum TKind
    {
        CodeModule,
        TaskModuleObject,
        TaskModule,
        CommandLineTool,
    };
    TKind Kind;
    // The element's own name; for a task module the name of its task module object.
    QString Name;
    const TQORObject* Element;
    const TCodeModule* Module;

    QString Description() const
    {
        switch (Kind) {
        case CodeModule:
            return QStringLiteral("code module ") + Quoted(Name);
        case TaskModuleObject:
            return QStringLiteral("task module object ") + Quoted(Name);
        case TaskModule:
            return QStringLiteral("a task module in task module object ") + Quoted(Name);
        case CommandLineTool:
            return QStringLiteral("command line tool ") + Quoted(Name);
        }
        return {};
    }
};

class TChecker
{
public:
    TChecker(const TData& Data, const TFindingSink& Sink) : FData(Data), FSink(Sink) {}

    void Run();

private:
    void Error(const char* Rule, const QString& Message, TPath Path, TFindingRaise Raise = TFindingRaise::ExportError)
    {
        FSink(Finding(TFindingSeverity::Error, Rule, Message, std::move(Path), Raise));
    }
    void Warning(const char* Rule, const QString& Message, TPath Path)
    {
        FSink(Finding(TFindingSeverity::Warning, Rule, Message, std::move(Path), TFindingRaise::ExportError));
    }
    static TCheckFinding
    Finding(TFindingSeverity Severity, const char* Rule, const QString& Message, TPath Path, TFindingRaise Raise)
    {
        QString Location = FindingLocation(Path);
        return {Severity, QLatin1String(Rule), Message, std::move(Location), std::move(Path), Raise};
    }

    // Where the element at Index of List stands. Names are counted per list the first time a finding
    // needs them: the walk meets tens of thousands of elements and few findings.
    template <class TList> TFindingStep Step(const char* ListName, const TList& List, int32_t Index)
    {
        QHash<QString, int32_t>& Counts = FNameCounts[&List];
        if (Counts.isEmpty())
            for (int32_t I = 0; I < List.Count(); ++I)
                ++Counts[NameOf(*List.Items(I))];
        const QString Name = NameOf(*List.Items(Index));
        return {QLatin1String(ListName), Name, Index + 1, Counts.value(Name) > 1};
    }
    template <class TItem> static const QString& NameOf(const TItem& Item) { return Item.Name; }
    static const QString& NameOf(const TSupportFile& File) { return File.SourceFileName; }

    TPath DriverPath(const TDriver& Driver) { return {Step("Drivers", FData.Drivers, Driver.GetIndex())}; }
    TPath ModulePath(const TCodeModule& Module) { return {Step("Code modules", FData.CodeModules, Module.GetIndex())}; }
    TPath ObjectPath(const TCodeModule& Module, const TTaskModuleObject& Object)
    {
        TPath Path = ModulePath(Module);
        Path.push_back(Step("Task module objects", Module.TaskModuleObjects, Object.GetIndex()));
        return Path;
    }
    // Task modules have no names: their position stands in for one.
    TPath TaskModulePath(const TCodeModule& Module, const TTaskModuleObject& Object, int32_t Index)
    {
        TPath Path = ObjectPath(Module, Object);
        Path.push_back({QStringLiteral("Task modules"), QString::number(Index + 1), Index + 1, false});
        return Path;
    }
    template <class TList>
    TPath ChildPath(const TCodeModule& Module, const char* ListName, const TList& List, int32_t Index)
    {
        TPath Path = ModulePath(Module);
        Path.push_back(Step(ListName, List, Index));
        return Path;
    }
    TPath PlaceOf(const TIdentified& Element);

    void CheckDriver(const TDriver& Driver);
    void CheckUniqueIDs(const TCodeModules& CodeModules);
    void CheckCodeModule(const TCodeModule& Module);
    void CheckTaskModule(const TTaskModule& Module,
                         int32_t Index,
                         const TTaskModuleObject& Object,
                         const TCodeModule& CodeModule);
    void NoteUnopenableFile(const QString& FileName, const QString& Source, TPath Path);
    template <class TList>
    void WarnDuplicateIDs(const TList& List, const char* Rule, const char* ListName, QHash<TGUID, TPath>& Met);
    void WarnUnreadLibrary(const QString& What, TPath Path);

    const TData& FData;
    const TFindingSink& FSink;
    QHash<const void*, QHash<QString, int32_t>> FNameCounts;
    // What the export itself refuses while writing, once every rule has passed: reported after the
    // rules, in the order the export meets them, and in its words.
    std::vector<TCheckFinding> FRefusals;
};

TPath TChecker::PlaceOf(const TIdentified& Element)
{
    switch (Element.Kind) {
    case TIdentified::CodeModule:
        return ModulePath(*Element.Module);
    case TIdentified::TaskModuleObject:
        return ObjectPath(*Element.Module, *static_cast<const TTaskModuleObject*>(Element.Element));
    case TIdentified::TaskModule: {
        const auto* TaskModule = static_cast<const TTaskModule*>(Element.Element);
        return TaskModulePath(*Element.Module, *TaskModule->Owner(), TaskModule->GetIndex());
    }
    case TIdentified::CommandLineTool:
        return ChildPath(
            *Element.Module, "Command line tools", Element.Module->CommandLineTools, Element.Element->GetIndex());
    }
    return {};
}

void TChecker::WarnUnreadLibrary(const QString& What, TPath Path)
{
    Warning("type-library-unreadable",
            QStringLiteral("The type library of ") + What +
                QStringLiteral(" could not be read, so its IDs were not verified."),
            std::move(Path));
}

// The export reads a driver or module file from its folder, "\" and its name, which is not where
// the rules look when the folder is empty: the export then fails to open it.
void TChecker::NoteUnopenableFile(const QString& FileName, const QString& Source, TPath Path)
{
    if (!FileExists(FileName))
        return;
    const QString LocalSource = LocalFilePath(Source);
    if (FileExists(LocalSource))
        return;
    FRefusals.push_back(Finding(TFindingSeverity::Error,
                                "file-unopenable",
                                QStringLiteral("Failed to open file: '") + LocalSource + QStringLiteral("'."),
                                std::move(Path),
                                TFindingRaise::Plain));
}

void TChecker::CheckDriver(const TDriver& Driver)
{
    const QString File = CombinePath(Driver.FilePath, Driver.FileName);
    if (!FileExists(File)) {
        Error("driver-file-missing",
              QStringLiteral("Driver file ") + Quoted(File) + QStringLiteral(" for driver ") + Quoted(Driver.Name) +
                  QStringLiteral(" does not exist."),
              DriverPath(Driver));
        return;
    }
    const QString Source = ModuleSourcePath(Driver.FilePath, Driver.FileName);
    NoteUnopenableFile(File, Source, DriverPath(Driver));
    if (Driver.ObjectServerType != ostCOM)
        return;
    // A library that does not load passes; the author only hears of it as a warning.
    TTypeLibraryReader Library;
    if (!Library.Load(Source))
        WarnUnreadLibrary(QStringLiteral("driver ") + Quoted(Driver.Name), DriverPath(Driver));
    else if (Library.LibraryGUID() != Driver.ID)
        Error("driver-id",
              QStringLiteral("Driver ") + Quoted(Driver.Name) + QStringLiteral(" has incorrect ID."),
              DriverPath(Driver));
}

// Unique IDs across code modules, their task module objects, task modules and command line tools.
// A hash keeps it linear: large packages hold tens of thousands of IDs.
void TChecker::CheckUniqueIDs(const TCodeModules& CodeModules)
{
    QHash<TGUID, TIdentified> Met;
    const auto Meet = [this, &Met](const TGUID& ID, TIdentified Element) {
        const auto Earlier = Met.constFind(ID);
        if (Earlier != Met.constEnd()) {
            Error("duplicate-id",
                  CapitaliseFirst(Earlier->Description()) + QStringLiteral(" and ") + Element.Description() +
                      QStringLiteral(" have the same IDs."),
                  PlaceOf(Element),
                  TFindingRaise::Plain);
            return;
        }
        Met.insert(ID, std::move(Element));
    };
    for (int32_t C = 0; C < CodeModules.Count(); ++C) {
        const TCodeModule* Module = CodeModules.Items(C);
        Meet(Module->ID, {TIdentified::CodeModule, Module->Name, Module, Module});
        for (int32_t O = 0; O < Module->TaskModuleObjects.Count(); ++O) {
            const TTaskModuleObject* Object = Module->TaskModuleObjects.Items(O);
            Meet(Object->ID, {TIdentified::TaskModuleObject, Object->Name, Object, Module});
            for (int32_t T = 0; T < Object->TaskModules.Count(); ++T)
                Meet(Object->TaskModules.Items(T)->ID,
                     {TIdentified::TaskModule, Object->Name, Object->TaskModules.Items(T), Module});
        }
        for (int32_t T = 0; T < Module->CommandLineTools.Count(); ++T) {
            const TCommandLineTool* Tool = Module->CommandLineTools.Items(T);
            Meet(Tool->ID, {TIdentified::CommandLineTool, Tool->Name, Tool, Module});
        }
    }
}

// The task module's type decides which data-type lists it must and must not have.
void TChecker::CheckTaskModule(const TTaskModule& Module,
                               int32_t Index,
                               const TTaskModuleObject& Object,
                               const TCodeModule& CodeModule)
{
    const int32_t Type = Module.Type;
    if (!IsValidTaskModuleType(Type)) {
        Error("task-module-type-range",
              E_QOR_EnumerationOutOfRange().DefaultMessage(),
              TaskModulePath(CodeModule, Object, Index),
              TFindingRaise::EnumerationOutOfRange);
        return;
    }
    if (Type == tmtNone) {
        Error("task-module-type",
              QStringLiteral("Task module in task module object ") + Quoted(Object.Name) +
                  QStringLiteral(" has an invalid type."),
              TaskModulePath(CodeModule, Object, Index));
        return;
    }
    const auto Check = [&](bool Broken, const char* Suffix) {
        if (!Broken)
            return;
        Error("task-module-data-types",
              QStringLiteral("Task module of type ") + Quoted(TaskModuleTypeText(Type)) +
                  QStringLiteral(" in task module object ") + Quoted(Object.Name) +
                  QStringLiteral(" in code module '") + CodeModule.Name + QLatin1String(Suffix),
              TaskModulePath(CodeModule, Object, Index));
    };
    const bool InTasks = Module.InputTaskTypes.Count() > 0;
    const bool OutTasks = Module.OutputTaskTypes.Count() > 0;
    const bool InRecordings = Module.InputTaskRecordingTypes.Count() > 0;
    const bool OutRecordings = Module.OutputTaskRecordingTypes.Count() > 0;
    const bool InResults = Module.InputTaskResultItemFormats.Count() > 0;
    const bool OutResults = Module.OutputTaskResultItemFormats.Count() > 0;
    switch (Type) {
    case tmtTaskCreator:
        Check(InTasks, "' must not have input task types.");
        Check(!OutTasks, "' must have an output task type.");
        break;
    case tmtTaskEditor:
        Check(!InTasks, "' must have an input task type.");
        Check(!OutTasks, "' must have an output task type.");
        break;
    case tmtTaskRunner:
        Check(!InTasks, "' must have an input task type.");
        break;
    case tmtTaskResultItemViewer:
    case tmtTaskResultItemExporter:
        Check(!InResults, "' must have an input task result item format.");
        Check(OutTasks, "' should not have output task types.");
        Check(OutRecordings, "' should not have output task recording types.");
        Check(OutResults, "' should not have output task result item formats.");
        break;
    case tmtTaskRecordingPlayer:
    case tmtTaskRecordingEditor:
        Check(!InRecordings, "' must have an input task recording type.");
        break;
    case tmtTaskModuleConfigurator:
    case tmtTaskModuleCommandEditor:
    case tmtTool:
        Check(InTasks || InRecordings || InResults, "' should not have input data types.");
        Check(OutTasks || OutRecordings || OutResults, "' should not have output data types.");
        break;
    case tmtTaskRecordingAnalyzer:
        Check(InTasks, "' should not have input task types.");
        Check(OutTasks, "' should not have output task types.");
        Check(!InRecordings, "' must have an input task recording type.");
        Check(OutRecordings, "' should not have output task recording types.");
        Check(InResults, "' should not have input task result item formats.");
        break;
    default:
        break;
    }
}

void TChecker::CheckCodeModule(const TCodeModule& Module)
{
    const QString Name = Quoted(Module.Name);
    const bool IsCOM = Module.ObjectServerType == ostCOM;
    const QString Extension = FileExtension(Module.FileName).toLower();
    const bool IsCOMDLL = IsCOM && Extension == QLatin1String(".dll");
    const bool IsCOMEXE = IsCOM && Extension == QLatin1String(".exe");
    const auto Fail = [&](const char* Rule, const QString& Message) { Error(Rule, Message, ModulePath(Module)); };

    if (Module.Location == cmlNone)
        Fail("code-module-location",
             QStringLiteral("Code module ") + Name + QStringLiteral(" specifies an invalid location."));
    if (Module.Location == cmlLinked && Module.SupportFiles.Count() > 0)
        Fail("linked-support-files",
             QStringLiteral("Code module ") + Name + QStringLiteral(" is linked and so must not have support files."));
    if (Module.Location == cmlLinked && Module.Register)
        Fail("linked-register",
             QStringLiteral("Code module ") + Name +
                 QStringLiteral(" is linked and so must not request to be registered."));
    if (Module.UseDirectActivation && Module.ObjectServerType != ostDotNet)
        Fail("direct-activation-not-dotnet",
             QStringLiteral("Code module ") + Name +
                 QStringLiteral(" is not a .Net assembly and so may not requests 'Use direction activation'."));
    if (Module.RunFromSourceLocation && !Module.UseDirectActivation)
        Fail("source-location-without-direct-activation",
             QStringLiteral("Code module ") + Name +
                 QStringLiteral(" has requested 'Run task module objects from source location' without specifying "
                                "'Use direct activation'."));
    // The export writes embedded and linked modules only; "None" has broken a rule already.
    if (Module.Location != cmlNone && !IsValidCodeModuleLocation(Module.Location))
        FRefusals.push_back(Finding(TFindingSeverity::Error,
                                    "code-module-location-range",
                                    E_QOR_EnumerationOutOfRange().DefaultMessage(),
                                    ModulePath(Module),
                                    TFindingRaise::EnumerationOutOfRange));

    TTypeLibraryReader Library;
    if (Module.Location == cmlEmbedded) {
        const QString File = CombinePath(Module.FilePath, Module.FileName);
        NoteUnopenableFile(File, ModuleSourcePath(Module.FilePath, Module.FileName), ModulePath(Module));
        if (!FileExists(File))
            Fail("code-module-file-missing",
                 QStringLiteral("Code module file ") + Quoted(File) + QStringLiteral(" for code module ") + Name +
                     QStringLiteral(" does not exist."));
        else if (IsCOM && !Library.Load(File))
            WarnUnreadLibrary(QStringLiteral("code module ") + Name, ModulePath(Module));
        else if (IsCOM && Library.LibraryGUID() != Module.ID)
            Fail("code-module-id", QStringLiteral("Code module ") + Name + QStringLiteral(" has an incorrect ID."));
    }

    for (int32_t S = 0; S < Module.SupportFiles.Count(); ++S) {
        const TSupportFile* File = Module.SupportFiles.Items(S);
        if (!FolderPart(File->SourceFileName).isEmpty()) {
            Error("support-file-name",
                  QStringLiteral("Code module '") + Module.Name +
                      QStringLiteral(" has a support file with an invalid file name (") + File->SourceFileName +
                      QStringLiteral(")."),
                  ChildPath(Module, "Support files", Module.SupportFiles, S));
        }
        const QString Pattern = SupportFilePattern(Module, *File);
        if (FindMatchingFiles(Pattern).isEmpty())
            Error("support-file-missing",
                  SupportFileNotFoundMessage(Pattern),
                  ChildPath(Module, "Support files", Module.SupportFiles, S));
    }

    const bool HasObjects = Module.TaskModuleObjects.Count() > 0;
    if (HasObjects && !Module.Register && !Module.UseDirectActivation)
        Fail("objects-not-creatable",
             QStringLiteral("Code module ") + Name +
                 QStringLiteral(" contains task module objects which cannot be created as it has requested neither "
                                "'Register' or 'Use direct activation'."));
    if (HasObjects && Module.ObjectServerType == ostNone)
        Fail("objects-without-server-type",
             QStringLiteral("Code module ") + Name +
                 QStringLiteral(" contains task module objects but does not specify an object server type."));

    for (int32_t O = 0; O < Module.TaskModuleObjects.Count(); ++O) {
        const TTaskModuleObject& Object = *Module.TaskModuleObjects.Items(O);
        const QString In = QStringLiteral(" in code module ") + Name;
        const auto FailObject = [&](const char* Rule, const QString& Message) {
            Error(Rule, Message, ObjectPath(Module, Object));
        };
        if (Module.UseDirectActivation && Module.ObjectServerType == ostDotNet && Object.FullTypeName.isEmpty())
            FailObject("full-type-name-missing",
                       QStringLiteral("Code module ") + Name +
                           QStringLiteral(" has requested 'Use direct activation' but child task module object ") +
                           Quoted(Object.Name) + QStringLiteral(" does not have a full type name."));
        if (IsCOMDLL && Object.RunOutOfProcess)
            FailObject("com-dll-out-of-process",
                       QStringLiteral("Task module object ") + Quoted(Object.Name) + In +
                           QStringLiteral(" can run out of process as it exists in a COM DLL."));
        if (IsCOMEXE && !Object.RunOutOfProcess)
            FailObject("com-exe-in-process",
                       QStringLiteral("Task module object ") + Quoted(Object.Name) + In +
                           QStringLiteral(" can run in process as it exists in a COM EXE."));
        if (IsCOM && Library.IsLoaded() && !Library.ContainsType(Object.ID))
            FailObject("task-module-object-id",
                       QStringLiteral("Task module object ") + Quoted(Object.Name) + In +
                           QStringLiteral(" has incorrect ID."));
        for (int32_t T = 0; T < Object.TaskModules.Count(); ++T)
            CheckTaskModule(*Object.TaskModules.Items(T), T, Object, Module);
    }
}

template <class TList>
void TChecker::WarnDuplicateIDs(const TList& List, const char* Rule, const char* ListName, QHash<TGUID, TPath>& Met)
{
    for (int32_t I = 0; I < List.Count(); ++I) {
        const TGUID& ID = List.Items(I)->ID;
        TPath Path = {Step(ListName, List, I)};
        const auto Earlier = Met.constFind(ID);
        if (Earlier == Met.constEnd()) {
            Met.insert(ID, std::move(Path));
            continue;
        }
        const QString Location = FindingLocation(Path);
        Warning(Rule,
                Quoted(FindingLocation(*Earlier)) + QStringLiteral(" and ") + Quoted(Location) +
                    QStringLiteral(" have the same ID ") + ID.ToString() + QLatin1Char('.'),
                std::move(Path));
    }
}

void TChecker::Run()
{
    if (FData.ID.IsNull())
        Error("package-id", QStringLiteral("Code package ID is invalid."), {});
    if (FData.Name.isEmpty())
        Error("package-name", QStringLiteral("Code package name is invalid."), {});
    for (int32_t D = 0; D < FData.Drivers.Count(); ++D)
        CheckDriver(*FData.Drivers.Items(D));
    CheckUniqueIDs(FData.CodeModules);
    for (int32_t C = 0; C < FData.CodeModules.Count(); ++C)
        CheckCodeModule(*FData.CodeModules.Items(C));
    for (const TCheckFinding& Refusal : FRefusals)
        FSink(Refusal);

    // Passed by the export, but the package's consumer finds these elements by ID.
    QHash<TGUID, TPath> DataTypes;
    WarnDuplicateIDs(FData.TaskTypes, "duplicate-data-type-id", "Data types/Task types", DataTypes);
    WarnDuplicateIDs(FData.TaskRecordingTypes, "duplicate-data-type-id", "Data types/Task recording types", DataTypes);
    WarnDuplicateIDs(
        FData.TaskResultItemFormats, "duplicate-data-type-id", "Data types/Task result item formats", DataTypes);
    WarnDuplicateIDs(FData.MediaItemFormats, "duplicate-data-type-id", "Data types/Media item formats", DataTypes);
    QHash<TGUID, TPath> InterfaceTypes;
    WarnDuplicateIDs(FData.InterfaceTypes, "duplicate-interface-type-id", "Interface types", InterfaceTypes);
    QHash<TGUID, TPath> Drivers;
    WarnDuplicateIDs(FData.Drivers, "duplicate-driver-id", "Drivers", Drivers);
}

} // namespace

void VisitCheckFindings(const TData& Data, const TFindingSink& Sink)
{
    TChecker(Data, Sink).Run();
}

std::vector<TCheckFinding> CollectCheckFindings(const TData& Data)
{
    std::vector<TCheckFinding> Findings;
    VisitCheckFindings(Data, [&Findings](const TCheckFinding& Finding) { Findings.push_back(Finding); });
    return Findings;
}

void RaiseFinding(const TCheckFinding& Finding)
{
    switch (Finding.Raise) {
    case TFindingRaise::Plain:
        throw E_QOR(Finding.Message);
    case TFindingRaise::EnumerationOutOfRange:
        throw E_QOR_EnumerationOutOfRange();
    case TFindingRaise::ExportError:
        break;
    }
    throw E_APP_ExportError(Finding.Message);
}

QString FindingSeverityText(TFindingSeverity Severity)
{
    return Severity == TFindingSeverity::Error ? QStringLiteral("error") : QStringLiteral("warning");
}

QString FindingLocation(const std::vector<TFindingStep>& Path)
{
    if (Path.empty())
        return QStringLiteral("Package");
    QString Location;
    for (const TFindingStep& Step : Path) {
        if (!Location.isEmpty())
            Location += QLatin1Char('/');
        Location += Step.List + QLatin1Char('/') + Step.Name;
        if (Step.NameRepeats)
            Location +=
                (Step.Name.isEmpty() ? QStringLiteral("#") : QStringLiteral(" #")) + QString::number(Step.Position);
    }
    return Location;
}

void TData::ExportErrorCheck() const
{
    // Stops at the first error; warnings never stop an export.
    VisitCheckFindings(*this, [](const TCheckFinding& Finding) {
        if (Finding.Severity == TFindingSeverity::Error)
            RaiseFinding(Finding);
    });
}
