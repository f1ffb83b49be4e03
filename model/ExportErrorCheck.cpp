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

QString CodeModulePlace(const TCodeModule& Module)
{
    return QStringLiteral("Code modules/") + Module.Name;
}

QString ObjectPlace(const TCodeModule& Module, const TTaskModuleObject& Object)
{
    return CodeModulePlace(Module) + QStringLiteral("/Task module objects/") + Object.Name;
}

QString TaskModulePlace(const TCodeModule& Module, const TTaskModuleObject& Object, int32_t Index)
{
    return ObjectPlace(Module, Object) + QStringLiteral("/Task modules/") + QString::number(Index + 1);
}

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

    // Worked out only for a finding: the walk meets tens of thousands of elements.
    QString Place() const
    {
        switch (Kind) {
        case CodeModule:
            return CodeModulePlace(*static_cast<const TCodeModule*>(Element));
        case TaskModuleObject: {
            const auto* Object = static_cast<const TTaskModuleObject*>(Element);
            return ObjectPlace(*Module, *Object);
        }
        case TaskModule: {
            const auto* TaskModule = static_cast<const TTaskModule*>(Element);
            return TaskModulePlace(*Module, *TaskModule->Owner(), TaskModule->GetIndex());
        }
        case CommandLineTool: {
            const auto* Tool = static_cast<const TCommandLineTool*>(Element);
            return CodeModulePlace(*Module) + QStringLiteral("/Command line tools/") + Tool->Name;
        }
        }
        return {};
    }

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
    explicit TChecker(const TFindingSink& Sink) : FSink(Sink) {}

    void Run(const TData& Data);

private:
    void Error(const char* Rule,
               const QString& Message,
               const QString& Place,
               TFindingRaise Raise = TFindingRaise::ExportError)
    {
        FSink({TFindingSeverity::Error, QLatin1String(Rule), Message, Place, Raise});
    }
    void Warning(const char* Rule, const QString& Message, const QString& Place)
    {
        FSink({TFindingSeverity::Warning, QLatin1String(Rule), Message, Place, TFindingRaise::ExportError});
    }

    void CheckDriver(const TDriver& Driver);
    void CheckUniqueIDs(const TCodeModules& CodeModules);
    void CheckCodeModule(const TCodeModule& Module);
    void CheckTaskModule(const TTaskModule& Module,
                         int32_t Index,
                         const TTaskModuleObject& Object,
                         const TCodeModule& CodeModule);
    template <class TList>
    void WarnDuplicateIDs(const TList& List, const char* Rule, const QString& Folder, QHash<TGUID, QString>& Met);
    void WarnUnreadLibrary(const QString& What, const QString& Place);

    const TFindingSink& FSink;
};

void TChecker::WarnUnreadLibrary(const QString& What, const QString& Place)
{
    Warning("type-library-unreadable",
            QStringLiteral("The type library of ") + What +
                QStringLiteral(" could not be read, so its IDs were not verified."),
            Place);
}

void TChecker::CheckDriver(const TDriver& Driver)
{
    const QString Place = QStringLiteral("Drivers/") + Driver.Name;
    const QString File = CombinePath(Driver.FilePath, Driver.FileName);
    if (!FileExists(File)) {
        Error("driver-file-missing",
              QStringLiteral("Driver file ") + Quoted(File) + QStringLiteral(" for driver ") + Quoted(Driver.Name) +
                  QStringLiteral(" does not exist."),
              Place);
        return;
    }
    if (Driver.ObjectServerType != ostCOM)
        return;
    // A library that does not load passes; the author only hears of it as a warning.
    TTypeLibraryReader Library;
    if (!Library.Load(ModuleSourcePath(Driver.FilePath, Driver.FileName)))
        WarnUnreadLibrary(QStringLiteral("driver ") + Quoted(Driver.Name), Place);
    else if (Library.LibraryGUID() != Driver.ID)
        Error(
            "driver-id", QStringLiteral("Driver ") + Quoted(Driver.Name) + QStringLiteral(" has incorrect ID."), Place);
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
                  Element.Place(),
                  TFindingRaise::DuplicateID);
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
              TaskModulePlace(CodeModule, Object, Index),
              TFindingRaise::EnumerationOutOfRange);
        return;
    }
    if (Type == tmtNone) {
        Error("task-module-type",
              QStringLiteral("Task module in task module object ") + Quoted(Object.Name) +
                  QStringLiteral(" has an invalid type."),
              TaskModulePlace(CodeModule, Object, Index));
        return;
    }
    const auto Check = [&](bool Broken, const char* Suffix) {
        if (!Broken)
            return;
        Error("task-module-data-types",
              QStringLiteral("Task module of type ") + Quoted(TaskModuleTypeText(Type)) +
                  QStringLiteral(" in task module object ") + Quoted(Object.Name) +
                  QStringLiteral(" in code module '") + CodeModule.Name + QLatin1String(Suffix),
              TaskModulePlace(CodeModule, Object, Index));
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
    const QString Place = CodeModulePlace(Module);
    const bool IsCOM = Module.ObjectServerType == ostCOM;
    const QString Extension = FileExtension(Module.FileName).toLower();
    const bool IsCOMDLL = IsCOM && Extension == QLatin1String(".dll");
    const bool IsCOMEXE = IsCOM && Extension == QLatin1String(".exe");
    const auto Fail = [&](const char* Rule, const QString& Message) { Error(Rule, Message, Place); };

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

    TTypeLibraryReader Library;
    if (Module.Location == cmlEmbedded) {
        const QString File = CombinePath(Module.FilePath, Module.FileName);
        if (!FileExists(File))
            Fail("code-module-file-missing",
                 QStringLiteral("Code module file ") + Quoted(File) + QStringLiteral(" for code module ") + Name +
                     QStringLiteral(" does not exist."));
        else if (IsCOM && !Library.Load(File))
            WarnUnreadLibrary(QStringLiteral("code module ") + Name, Place);
        else if (IsCOM && Library.LibraryGUID() != Module.ID)
            Fail("code-module-id", QStringLiteral("Code module ") + Name + QStringLiteral(" has an incorrect ID."));
    }

    for (int32_t S = 0; S < Module.SupportFiles.Count(); ++S) {
        const TSupportFile* File = Module.SupportFiles.Items(S);
        const QString FilePlace = Place + QStringLiteral("/Support files/") + File->SourceFileName;
        if (!FolderPart(File->SourceFileName).isEmpty()) {
            Error("support-file-name",
                  QStringLiteral("Code module '") + Module.Name +
                      QStringLiteral(" has a support file with an invalid file name (") + File->SourceFileName +
                      QStringLiteral(")."),
                  FilePlace);
        }
        const QString Pattern = SupportFilePattern(Module, *File);
        if (FindMatchingFiles(Pattern).isEmpty())
            Error("support-file-missing", SupportFileNotFoundMessage(Pattern), FilePlace);
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
            Error(Rule, Message, ObjectPlace(Module, Object));
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
void TChecker::WarnDuplicateIDs(const TList& List, const char* Rule, const QString& Folder, QHash<TGUID, QString>& Met)
{
    for (int32_t I = 0; I < List.Count(); ++I) {
        const auto* Item = List.Items(I);
        const QString Place = Folder + Item->Name;
        const auto Earlier = Met.constFind(Item->ID);
        if (Earlier == Met.constEnd()) {
            Met.insert(Item->ID, Place);
            continue;
        }
        Warning(Rule,
                Quoted(*Earlier) + QStringLiteral(" and ") + Quoted(Place) + QStringLiteral(" have the same ID ") +
                    Item->ID.ToString() + QLatin1Char('.'),
                Place);
    }
}

void TChecker::Run(const TData& Data)
{
    if (Data.ID.IsNull())
        Error("package-id", QStringLiteral("Code package ID is invalid."), QStringLiteral("Package"));
    if (Data.Name.isEmpty())
        Error("package-name", QStringLiteral("Code package name is invalid."), QStringLiteral("Package"));
    for (int32_t D = 0; D < Data.Drivers.Count(); ++D)
        CheckDriver(*Data.Drivers.Items(D));
    CheckUniqueIDs(Data.CodeModules);
    for (int32_t C = 0; C < Data.CodeModules.Count(); ++C)
        CheckCodeModule(*Data.CodeModules.Items(C));

    // Passed by the export, but the package's consumer finds these elements by ID.
    QHash<TGUID, QString> DataTypes;
    WarnDuplicateIDs(Data.TaskTypes, "duplicate-data-type-id", QStringLiteral("Data types/Task types/"), DataTypes);
    WarnDuplicateIDs(Data.TaskRecordingTypes,
                     "duplicate-data-type-id",
                     QStringLiteral("Data types/Task recording types/"),
                     DataTypes);
    WarnDuplicateIDs(Data.TaskResultItemFormats,
                     "duplicate-data-type-id",
                     QStringLiteral("Data types/Task result item formats/"),
                     DataTypes);
    WarnDuplicateIDs(
        Data.MediaItemFormats, "duplicate-data-type-id", QStringLiteral("Data types/Media item formats/"), DataTypes);
    QHash<TGUID, QString> InterfaceTypes;
    WarnDuplicateIDs(
        Data.InterfaceTypes, "duplicate-interface-type-id", QStringLiteral("Interface types/"), InterfaceTypes);
    QHash<TGUID, QString> Drivers;
    WarnDuplicateIDs(Data.Drivers, "duplicate-driver-id", QStringLiteral("Drivers/"), Drivers);
}

} // namespace

void VisitCheckFindings(const TData& Data, const TFindingSink& Sink)
{
    TChecker(Sink).Run(Data);
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
    case TFindingRaise::DuplicateID:
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

void TData::ExportErrorCheck() const
{
    // Stops at the first error; warnings never stop an export.
    VisitCheckFindings(*this, [](const TCheckFinding& Finding) {
        if (Finding.Severity == TFindingSeverity::Error)
            RaiseFinding(Finding);
    });
}
