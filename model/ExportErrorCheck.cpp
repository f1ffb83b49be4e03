#include "foundation/FileSystem.h"
#include "foundation/General.h"
#include "foundation/Paths.h"
#include "foundation/QORExceptions.h"
#include "foundation/TypeLibraryReader.h"
#include "model/Data.h"
#include "model/PackageExport.h"

#include <QHash>

namespace {

[[noreturn]] void Fail(const QString& Message)
{
    throw E_APP_ExportError(Message);
}

QString Quoted(const QString& Text)
{
    return QLatin1Char('\'') + Text + QLatin1Char('\'');
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

// Rule 5. A hash keeps it linear: large packages hold tens of thousands of IDs.
void CheckUniqueIDs(const TCodeModules& CodeModules)
{
    QHash<TGUID, TIdentified> Met;
    const auto Meet = [&Met](const TGUID& ID, TIdentified Element) {
        const auto Earlier = Met.constFind(ID);
        if (Earlier != Met.constEnd())
            throw E_QOR(CapitaliseFirst(Earlier->Description()) + QStringLiteral(" and ") + Element.Description() +
                        QStringLiteral(" have the same IDs."));
        Met.insert(ID, std::move(Element));
    };
    for (int32_t C = 0; C < CodeModules.Count(); ++C) {
        const TCodeModule* Module = CodeModules.Items(C);
        Meet(Module->ID, {TIdentified::CodeModule, Module->Name});
        for (int32_t O = 0; O < Module->TaskModuleObjects.Count(); ++O) {
            const TTaskModuleObject* Object = Module->TaskModuleObjects.Items(O);
            Meet(Object->ID, {TIdentified::TaskModuleObject, Object->Name});
            for (int32_t T = 0; T < Object->TaskModules.Count(); ++T)
                Meet(Object->TaskModules.Items(T)->ID, {TIdentified::TaskModule, Object->Name});
        }
        for (int32_t T = 0; T < Module->CommandLineTools.Count(); ++T) {
            const TCommandLineTool* Tool = Module->CommandLineTools.Items(T);
            Meet(Tool->ID, {TIdentified::CommandLineTool, Tool->Name});
        }
    }
}

void CheckDriver(const TDriver& Driver)
{
    const QString File = CombinePath(Driver.FilePath, Driver.FileName);
    if (!FileExists(File))
        Fail(QStringLiteral("Driver file ") + Quoted(File) + QStringLiteral(" for driver ") + Quoted(Driver.Name) +
             QStringLiteral(" does not exist."));
    if (Driver.ObjectServerType != ostCOM)
        return;
    // A library that does not load is not an error.
    TTypeLibraryReader Library;
    if (Library.Load(ModuleSourcePath(Driver.FilePath, Driver.FileName)) && Library.LibraryGUID() != Driver.ID)
        Fail(QStringLiteral("Driver ") + Quoted(Driver.Name) + QStringLiteral(" has incorrect ID."));
}

// Rule 18 for one task module; Prefix is everything before the suffix of the rule.
void CheckTaskModule(const TTaskModule& Module, const TTaskModuleObject& Object, const TCodeModule& CodeModule)
{
    const int32_t Type = Module.Type;
    if (!IsValidTaskModuleType(Type))
        throw E_QOR_EnumerationOutOfRange();
    if (Type == tmtNone)
        Fail(QStringLiteral("Task module in task module object ") + Quoted(Object.Name) +
             QStringLiteral(" has an invalid type."));
    const QString Prefix = QStringLiteral("Task module of type ") + Quoted(TaskModuleTypeText(Type)) +
                           QStringLiteral(" in task module object ") + Quoted(Object.Name) +
                           QStringLiteral(" in code module '") + CodeModule.Name;
    const auto Check = [&Prefix](bool Broken, const char* Suffix) {
        if (Broken)
            Fail(Prefix + QLatin1String(Suffix));
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

void CheckCodeModule(const TCodeModule& Module)
{
    const QString Name = Quoted(Module.Name);
    const bool IsCOM = Module.ObjectServerType == ostCOM;
    const QString Extension = FileExtension(Module.FileName).toLower();
    const bool IsCOMDLL = IsCOM && Extension == QLatin1String(".dll");
    const bool IsCOMEXE = IsCOM && Extension == QLatin1String(".exe");

    if (Module.Location == cmlNone)
        Fail(QStringLiteral("Code module ") + Name + QStringLiteral(" specifies an invalid location."));
    if (Module.Location == cmlLinked && Module.SupportFiles.Count() > 0)
        Fail(QStringLiteral("Code module ") + Name + QStringLiteral(" is linked and so must not have support files."));
    if (Module.Location == cmlLinked && Module.Register)
        Fail(QStringLiteral("Code module ") + Name +
             QStringLiteral(" is linked and so must not request to be registered."));
    if (Module.UseDirectActivation && Module.ObjectServerType != ostDotNet)
        Fail(QStringLiteral("Code module ") + Name +
             QStringLiteral(" is not a .Net assembly and so may not requests 'Use direction activation'."));
    if (Module.RunFromSourceLocation && !Module.UseDirectActivation)
        Fail(QStringLiteral("Code module ") + Name +
             QStringLiteral(" has requested 'Run task module objects from source location' without specifying "
                            "'Use direct activation'."));

    TTypeLibraryReader Library;
    if (Module.Location == cmlEmbedded) {
        const QString File = CombinePath(Module.FilePath, Module.FileName);
        if (!FileExists(File))
            Fail(QStringLiteral("Code module file ") + Quoted(File) + QStringLiteral(" for code module ") + Name +
                 QStringLiteral(" does not exist."));
        if (IsCOM && Library.Load(File) && Library.LibraryGUID() != Module.ID)
            Fail(QStringLiteral("Code module ") + Name + QStringLiteral(" has an incorrect ID."));
    }

    for (int32_t S = 0; S < Module.SupportFiles.Count(); ++S) {
        const TSupportFile* File = Module.SupportFiles.Items(S);
        if (!FolderPart(File->SourceFileName).isEmpty())
            Fail(QStringLiteral("Code module '") + Module.Name +
                 QStringLiteral(" has a support file with an invalid file name (") + File->SourceFileName +
                 QStringLiteral(")."));
        const QString Pattern = SupportFilePattern(Module, *File);
        if (FindMatchingFiles(Pattern).isEmpty())
            Fail(SupportFileNotFoundMessage(Pattern));
    }

    const bool HasObjects = Module.TaskModuleObjects.Count() > 0;
    if (HasObjects && !Module.Register && !Module.UseDirectActivation)
        Fail(QStringLiteral("Code module ") + Name +
             QStringLiteral(" contains task module objects which cannot be created as it has requested neither "
                            "'Register' or 'Use direct activation'."));
    if (HasObjects && Module.ObjectServerType == ostNone)
        Fail(QStringLiteral("Code module ") + Name +
             QStringLiteral(" contains task module objects but does not specify an object server type."));

    for (int32_t O = 0; O < Module.TaskModuleObjects.Count(); ++O) {
        const TTaskModuleObject& Object = *Module.TaskModuleObjects.Items(O);
        const QString In = QStringLiteral(" in code module ") + Name;
        if (Module.UseDirectActivation && Module.ObjectServerType == ostDotNet && Object.FullTypeName.isEmpty())
            Fail(QStringLiteral("Code module ") + Name +
                 QStringLiteral(" has requested 'Use direct activation' but child task module object ") +
                 Quoted(Object.Name) + QStringLiteral(" does not have a full type name."));
        if (IsCOMDLL && Object.RunOutOfProcess)
            Fail(QStringLiteral("Task module object ") + Quoted(Object.Name) + In +
                 QStringLiteral(" can run out of process as it exists in a COM DLL."));
        if (IsCOMEXE && !Object.RunOutOfProcess)
            Fail(QStringLiteral("Task module object ") + Quoted(Object.Name) + In +
                 QStringLiteral(" can run in process as it exists in a COM EXE."));
        if (IsCOM && Library.IsLoaded() && !Library.ContainsType(Object.ID))
            Fail(QStringLiteral("Task module object ") + Quoted(Object.Name) + In +
                 QStringLiteral(" has incorrect ID."));
        for (int32_t T = 0; T < Object.TaskModules.Count(); ++T)
            CheckTaskModule(*Object.TaskModules.Items(T), Object, Module);
    }
}

} // namespace

void TData::ExportErrorCheck() const
{
    if (ID.IsNull())
        Fail(QStringLiteral("Code package ID is invalid."));
    if (Name.isEmpty())
        Fail(QStringLiteral("Code package name is invalid."));
    for (int32_t D = 0; D < Drivers.Count(); ++D)
        CheckDriver(*Drivers.Items(D));
    CheckUniqueIDs(CodeModules);
    for (int32_t C = 0; C < CodeModules.Count(); ++C)
        CheckCodeModule(*CodeModules.Items(C));
}
