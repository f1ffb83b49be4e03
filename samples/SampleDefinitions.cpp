#include "samples/SampleDefinitions.h"

#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "model/FormatTags.h"

namespace SampleDefinitions {

TGUID SampleGUID(uint32_t Number)
{
    TGUID Result;
    Result.D1 = 0x5A000000u | Number;
    Result.D2 = 0x1234;
    Result.D3 = 0x5678;
    Result.D4 = {0x9A, 0xBC, 0xDE, 0xF0, 0x11, 0x22, 0x33, static_cast<uint8_t>(Number)};
    return Result;
}

QByteArray SaveToBytes(const TData& Data)
{
    TMemoryStream Stream;
    Data.SaveToStream(Stream);
    return Stream.Data();
}

QByteArray SaveToBytes(const TQORObject& Object)
{
    TMemoryStream Stream;
    Object.SaveToStream(Stream);
    return Stream.Data();
}

void LoadFromBytes(TData& Data, const QByteArray& Bytes)
{
    TMemoryStream Stream(Bytes);
    Data.LoadFromStream(Stream);
}

void BuildRich(TData& Data)
{
    Data.Clear();
    Data.ID = SampleGUID(1);
    Data.Name = QStringLiteral("Sample package");
    Data.Description = QStringLiteral("A package with every element kind");
    Data.AboutInformation = QStringLiteral("About the café package, € 5");
    Data.Creator = QStringLiteral("Sample Creator");
    Data.SubCreator = QStringLiteral("Sample Sub Creator");
    Data.AllowExportFromLMS = true;
    Data.BetaSoftware = true;
    Data.DataTypesExpanded = true;

    uint32_t Next = 100;
    const auto FillDataType = [&](TBaseDataType* Type, const QString& Name) {
        Type->ID = SampleGUID(Next++);
        Type->Name = Name;
        Type->Creator = QStringLiteral("Creator of ") + Name;
        Type->SubCreator = QStringLiteral("Sub creator");
        Type->Notes = QStringLiteral("Notes on ") + Name;
    };
    for (const QString& Name : {QStringLiteral("Assessment"), QStringLiteral("exercise"), QStringLiteral("Quiz")}) {
        auto* Type = AddElement<TTaskType>(Data.TaskTypes);
        FillDataType(Type, Name);
        Type->FileNameExtension = QStringLiteral(".") + Name.left(3).toLower();
    }
    for (const QString& Name : {QStringLiteral("Flight log"), QStringLiteral("Video log")}) {
        auto* Type = AddElement<TTaskRecordingType>(Data.TaskRecordingTypes);
        FillDataType(Type, Name);
        Type->FileNameExtension = QStringLiteral(".rec");
    }
    for (const QString& Name : {QStringLiteral("Score"), QStringLiteral("Timeline")}) {
        auto* Format = AddElement<TTaskResultItemFormat>(Data.TaskResultItemFormats);
        FillDataType(Format, Name);
        Format->Description = QStringLiteral("Result as ") + Name;
    }
    const TMediaItemType MediaTypes[] = {mitAudio, mitImage, mitVideo};
    int MediaIndex = 0;
    for (const QString& Name :
         {QStringLiteral("Audio clip"), QStringLiteral("Snapshot"), QStringLiteral("Video clip")}) {
        auto* Format = AddElement<TMediaItemFormat>(Data.MediaItemFormats);
        FillDataType(Format, Name);
        Format->MediaItemType = MediaTypes[MediaIndex++];
        Format->FileNameExtension = QStringLiteral(".m") + QString::number(MediaIndex);
    }
    for (const QString& Name : {QStringLiteral("IHost"), QStringLiteral("IPlugin"), QStringLiteral("IViewer")}) {
        auto* Type = AddElement<TInterfaceType>(Data.InterfaceTypes);
        Type->ID = SampleGUID(Next++);
        Type->Name = Name;
        Type->Creator = QStringLiteral("Interface creator");
        Type->SubCreator = QStringLiteral("Interface sub creator");
        Type->Notes = QStringLiteral("Interface notes");
    }
    Data.InterfaceTypes.Items(1)->SetExpanded(true);
    Data.TaskTypes.SetExpanded(true);

    auto* ComDriver = AddElement<TDriver>(Data.Drivers);
    ComDriver->ID = SampleGUID(Next++);
    ComDriver->Name = QStringLiteral("Cockpit driver");
    ComDriver->FileName = QStringLiteral("cockpit.dll");
    ComDriver->FilePath = QStringLiteral("C:\\Drivers");
    ComDriver->Location = dlSystem32;
    ComDriver->ObjectServerType = ostCOM;
    ComDriver->Register = true;
    ComDriver->Creator = QStringLiteral("Driver creator");
    ComDriver->Notes = QStringLiteral("Line one\r\nLine two");
    ComDriver->SetExpanded(true);
    auto* NetDriver = AddElement<TDriver>(Data.Drivers);
    NetDriver->ID = SampleGUID(Next++);
    NetDriver->Name = QStringLiteral("Motion driver");
    NetDriver->FileName = QStringLiteral("motion.dll");
    NetDriver->FilePath = QStringLiteral("D:\\Net");
    NetDriver->Location = dlLMS;
    NetDriver->ObjectServerType = ostDotNet;
    NetDriver->SubCreator = QStringLiteral("Driver sub creator");
    Data.Drivers.SetExpanded(true);

    auto* Engine = AddElement<TCodeModule>(Data.CodeModules);
    auto* Tools = AddElement<TCodeModule>(Data.CodeModules);

    Engine->ID = SampleGUID(Next++);
    Engine->Name = QStringLiteral("Engine");
    Engine->FilePath = QStringLiteral("C:\\Modules\\Engine");
    Engine->FileName = QStringLiteral("engine.dll");
    Engine->Location = cmlEmbedded;
    Engine->ObjectServerType = ostCOM;
    Engine->Register = true;
    Engine->HostInterfaces.Add(Data.InterfaceTypes.Items(0));
    Engine->HostInterfaces.Add(Data.InterfaceTypes.Items(2));
    Engine->ModuleInterfaces.Add(Data.InterfaceTypes.Items(1));
    Engine->ModuleInterfaces.SetExpanded(true);
    Engine->Creator = QStringLiteral("Engine creator");
    Engine->SubCreator = QStringLiteral("Engine sub creator");
    Engine->Notes = QStringLiteral("Engine notes");
    Engine->SetExpanded(true);
    auto* DataFiles = AddElement<TSupportFile>(Engine->SupportFiles);
    DataFiles->SourceFilePath = QStringLiteral("C:\\Data");
    DataFiles->SourceFileName = QStringLiteral("*.dat");
    DataFiles->TargetRelativePath = QStringLiteral("data");
    auto* Assembly = AddElement<TSupportFile>(Engine->SupportFiles);
    Assembly->SourceFilePath = QStringLiteral("lib");
    Assembly->SourceFileName = QStringLiteral("helper?.dll");
    Assembly->InstallIntoGAC = true;
    Engine->SupportFiles.SetExpanded(true);

    auto* Runner = AddElement<TTaskModuleObject>(Engine->TaskModuleObjects);
    Runner->ID = SampleGUID(Next++);
    Runner->Name = QStringLiteral("Runner");
    Runner->FullTypeName = QStringLiteral("Sample.Engine.Runner");
    Runner->RunOutOfProcess = true;
    Runner->DelayBeforeReturningToHost = true;
    Runner->LMSNotesSupported = true;
    Runner->PreferredWidth = 800;
    Runner->PreferredHeight = 600;
    Runner->AccessibleByServiceEngineers = true;
    Runner->AccessibleByTrainers = true;
    Runner->Notes = QStringLiteral("Runs tasks");
    Runner->SetExpanded(true);
    auto* RunnerModule = AddElement<TTaskModule>(Runner->TaskModules);
    RunnerModule->ID = SampleGUID(Next++);
    RunnerModule->Type = tmtTaskRunner;
    RunnerModule->InputTaskTypes.Add(Data.TaskTypes.Items(0));
    RunnerModule->InputTaskTypes.Add(Data.TaskTypes.Items(2));
    RunnerModule->OutputTaskTypes.Add(Data.TaskTypes.Items(1));
    RunnerModule->InputTaskRecordingTypes.Add(Data.TaskRecordingTypes.Items(1));
    RunnerModule->OutputTaskRecordingTypes.Add(Data.TaskRecordingTypes.Items(0));
    RunnerModule->InputTaskResultItemFormats.Add(Data.TaskResultItemFormats.Items(0));
    RunnerModule->OutputTaskResultItemFormats.Add(Data.TaskResultItemFormats.Items(1));
    RunnerModule->OutputTaskResultItemFormats.Add(Data.TaskResultItemFormats.Items(0));
    RunnerModule->OutputMediaItemFormats.Add(Data.MediaItemFormats.Items(2));
    RunnerModule->OutputMediaItemFormats.Add(Data.MediaItemFormats.Items(0));
    RunnerModule->OutputTaskTypes.SetExpanded(true);
    RunnerModule->SetExpanded(true);
    auto* ViewerModule = AddElement<TTaskModule>(Runner->TaskModules);
    ViewerModule->ID = SampleGUID(Next++);
    ViewerModule->Type = tmtTaskResultItemViewer;
    ViewerModule->SupportsMultipleItems = true;
    ViewerModule->InputTaskResultItemFormats.Add(Data.TaskResultItemFormats.Items(1));

    auto* Tool = AddElement<TCommandLineTool>(Engine->CommandLineTools);
    Tool->ID = SampleGUID(Next++);
    Tool->Name = QStringLiteral("Calibrate");
    Tool->CommandLineArguments = QStringLiteral("/calibrate \"all axes\"");
    Tool->ToolCategories = QStringList{QStringLiteral("Maintenance"), QStringLiteral("Setup")};
    Tool->AccessibleByServiceEngineers = true;
    Tool->AccessibleBySystemAdministrators = true;
    Tool->RunAsAdministrator = true;
    Tool->Notes = QStringLiteral("Needs the cockpit");
    Tool->SetExpanded(true);

    Tools->ID = SampleGUID(Next++);
    Tools->Name = QStringLiteral("Tools");
    Tools->FilePath = QStringLiteral("\\\\server\\share\\tools");
    Tools->FileName = QStringLiteral("Tools.Net.dll");
    Tools->Location = cmlLinked;
    Tools->ObjectServerType = ostDotNet;
    Tools->UseDirectActivation = true;
    Tools->RunFromSourceLocation = true;
    Tools->HostInterfaces.Add(Data.InterfaceTypes.Items(1));
    auto* Settings = AddElement<TTaskModuleObject>(Tools->TaskModuleObjects);
    Settings->ID = SampleGUID(Next++);
    Settings->Name = QStringLiteral("Settings");
    Settings->FullTypeName = QStringLiteral("Sample.Tools.Settings");
    Settings->ToolCategories = QStringList{QStringLiteral("Configuration")};
    Settings->AccessibleBySystemAdministrators = true;
    Settings->AccessibleByStudents = true;
    auto* Configurator = AddElement<TTaskModule>(Settings->TaskModules);
    Configurator->ID = SampleGUID(Next++);
    Configurator->Type = tmtTaskModuleConfigurator;
    auto* CommandEditor = AddElement<TTaskModule>(Settings->TaskModules);
    CommandEditor->ID = SampleGUID(Next++);
    CommandEditor->Type = tmtTaskModuleCommandEditor;
    auto* SettingsTool = AddElement<TTaskModule>(Settings->TaskModules);
    SettingsTool->ID = SampleGUID(Next++);
    SettingsTool->Type = tmtTool;
    SettingsTool->InputTaskRecordingTypes.Add(Data.TaskRecordingTypes.Items(0));
    Tools->TaskModuleObjects.SetExpanded(true);

    // A configurator in a later code module, a command editor in an earlier one.
    Runner->Configurator = Configurator;
    Runner->CommandEditor = CommandEditor;
    Settings->CommandEditor = ViewerModule;
    Data.CodeModules.SetExpanded(true);
}

void WriteList(IQORStream& Stream, const TGUID& Tag, const std::vector<TRecordWriter>& Records)
{
    WriteGUID(Stream, Tag);
    WriteInteger(Stream, static_cast<int32_t>(Records.size()));
    for (const TRecordWriter& Record : Records)
        Record(Stream);
    WriteBoolean(Stream, false);
}

QByteArray Definition(const TGUID& Tag,
                      const std::vector<TRecordWriter>& TaskResultItemFormats,
                      const std::vector<TRecordWriter>& CodeModules)
{
    TMemoryStream Stream;
    WriteGUID(Stream, Tag);
    WriteGUID(Stream, SampleGUID(1));
    for (int I = 0; I < 5; ++I)
        WriteString(Stream, QStringLiteral("Text %1").arg(I));
    WriteBoolean(Stream, true);
    if (Tag == FormatTag::Data)
        WriteBoolean(Stream, true);
    WriteList(Stream, FormatTag::TaskTypes);
    WriteList(Stream, FormatTag::TaskRecordingTypes);
    WriteList(Stream, FormatTag::TaskResultItemFormats, TaskResultItemFormats);
    WriteList(Stream, FormatTag::MediaItemFormats);
    WriteList(Stream, FormatTag::InterfaceTypes);
    WriteList(Stream, FormatTag::Drivers);
    WriteList(Stream, FormatTag::CodeModules, CodeModules);
    WriteBoolean(Stream, true);
    return Stream.Data();
}

TRecordWriter CodeModuleRecord(const std::vector<TRecordWriter>& TaskModuleObjects,
                               const std::vector<TRecordWriter>& CommandLineTools)
{
    return [=](IQORStream& Stream) {
        WriteGUID(Stream, FormatTag::CodeModule);
        WriteGUID(Stream, SampleGUID(2));
        WriteString(Stream, QStringLiteral("Module"));
        WriteString(Stream, QStringLiteral("C:\\Path"));
        WriteString(Stream, QStringLiteral("module.dll"));
        WriteInteger(Stream, cmlEmbedded);
        WriteInteger(Stream, ostCOM);
        WriteBoolean(Stream, false);
        WriteBoolean(Stream, false);
        WriteBoolean(Stream, false);
        WriteList(Stream, FormatTag::InterfaceTypes);
        WriteList(Stream, FormatTag::InterfaceTypes);
        WriteList(Stream, FormatTag::SupportFiles);
        WriteList(Stream, FormatTag::TaskModuleObjects, TaskModuleObjects);
        WriteList(Stream, FormatTag::CommandLineTools, CommandLineTools);
        WriteString(Stream, {});
        WriteString(Stream, {});
        WriteString(Stream, {});
        WriteBoolean(Stream, false);
    };
}

TRecordWriter TaskModuleRecord(const TGUID& Tag, int32_t StoredType)
{
    return [=](IQORStream& Stream) {
        WriteGUID(Stream, Tag);
        WriteGUID(Stream, SampleGUID(3));
        WriteInteger(Stream, StoredType);
        WriteBoolean(Stream, false);
        for (const TGUID* ListTag : {&FormatTag::TaskTypes,
                                     &FormatTag::TaskTypes,
                                     &FormatTag::TaskRecordingTypes,
                                     &FormatTag::TaskRecordingTypes,
                                     &FormatTag::TaskResultItemFormats,
                                     &FormatTag::TaskResultItemFormats,
                                     &FormatTag::MediaItemFormats})
            WriteList(Stream, *ListTag);
        WriteBoolean(Stream, false);
    };
}

TRecordWriter TaskModuleObjectRecord(TObjectVersion Version,
                                     int32_t AccessLevel,
                                     const std::vector<TRecordWriter>& TaskModules,
                                     TTaskModulePosition Configurator,
                                     TTaskModulePosition CommandEditor)
{
    static const TGUID* const Tags[] = {nullptr,
                                        &FormatTag::TaskModuleObjectV1,
                                        &FormatTag::TaskModuleObjectV2,
                                        &FormatTag::TaskModuleObjectV3,
                                        &FormatTag::TaskModuleObjectV4,
                                        &FormatTag::TaskModuleObject};
    return [=](IQORStream& Stream) {
        WriteGUID(Stream, *Tags[Version]);
        WriteGUID(Stream, SampleGUID(4));
        WriteString(Stream, QStringLiteral("Object"));
        WriteString(Stream, QStringLiteral("Full.Type"));
        WriteBoolean(Stream, true);
        if (Version >= ovNoCommandEditor)
            WriteBoolean(Stream, true);
        WriteList(Stream, FormatTag::TaskModules, TaskModules);
        for (const TTaskModulePosition* Position : {&Configurator, &CommandEditor}) {
            if (Position == &CommandEditor && Version < ovNoToolCategories)
                break;
            WriteInteger(Stream, Position->CodeModule);
            WriteInteger(Stream, Position->Object);
            WriteInteger(Stream, Position->TaskModule);
        }
        WriteBoolean(Stream, true);
        WriteInteger(Stream, 640);
        WriteInteger(Stream, 480);
        if (Version >= ovCurrent)
            WriteStrings(Stream, {QStringLiteral("Category")});
        if (Version >= ovNoDelay)
            for (int I = 0; I < 4; ++I)
                WriteBoolean(Stream, true);
        else
            WriteInteger(Stream, AccessLevel);
        WriteString(Stream, QStringLiteral("Object notes"));
        WriteBoolean(Stream, true);
    };
}

TRecordWriter CommandLineToolRecord(int Version, int32_t AccessLevel)
{
    return [=](IQORStream& Stream) {
        const TGUID* Tags[] = {
            nullptr, &FormatTag::CommandLineToolV1, &FormatTag::CommandLineToolV2, &FormatTag::CommandLineTool};
        WriteGUID(Stream, *Tags[Version]);
        WriteGUID(Stream, SampleGUID(5));
        WriteString(Stream, QStringLiteral("Tool"));
        WriteString(Stream, QStringLiteral("/run"));
        if (Version == 1) {
            WriteInteger(Stream, AccessLevel);
        } else {
            if (Version == 3)
                WriteStrings(Stream, {QStringLiteral("Category")});
            for (int I = 0; I < 4; ++I)
                WriteBoolean(Stream, true);
        }
        WriteBoolean(Stream, true);
        WriteString(Stream, QStringLiteral("Tool notes"));
        WriteBoolean(Stream, true);
    };
}

TRecordWriter TaskResultItemFormatV1Record()
{
    return [](IQORStream& Stream) {
        WriteGUID(Stream, FormatTag::TaskResultItemFormatV1);
        WriteGUID(Stream, SampleGUID(6));
        WriteString(Stream, QStringLiteral("Score"));
        WriteString(Stream, QStringLiteral("Score description"));
        WriteInteger(Stream, 7);
        WriteInteger(Stream, -1);
        WriteString(Stream, QStringLiteral("retired"));
        WriteInteger(Stream, 3);
        WriteInteger(Stream, 4);
        WriteString(Stream, QStringLiteral("Format creator"));
        WriteString(Stream, QStringLiteral("Format sub creator"));
        WriteString(Stream, QStringLiteral("Format notes"));
        WriteBoolean(Stream, true);
    };
}

std::vector<TNamedDefinition> OlderLayoutDefinitions()
{
    const TGUID& Current = FormatTag::Data;
    const auto WithObject = [&](TObjectVersion Version, int32_t AccessLevel) {
        return Definition(Current,
                          {},
                          {CodeModuleRecord({TaskModuleObjectRecord(
                              Version, AccessLevel, {TaskModuleRecord(FormatTag::TaskModule, 1)})})});
    };
    const auto WithTaskModules = [&](const TGUID& Tag, std::initializer_list<int32_t> Types) {
        std::vector<TRecordWriter> Modules;
        for (int32_t Type : Types)
            Modules.push_back(TaskModuleRecord(Tag, Type));
        return Definition(Current, {}, {CodeModuleRecord({TaskModuleObjectRecord(ovCurrent, 0, Modules)})});
    };
    const auto WithTool = [&](int Version, int32_t AccessLevel) {
        return Definition(Current, {}, {CodeModuleRecord({}, {CommandLineToolRecord(Version, AccessLevel)})});
    };
    return {
        {QStringLiteral("older-document-without-beta"), Definition(FormatTag::DataWithoutBeta, {}, {})},
        {QStringLiteral("older-task-result-item-format"), Definition(Current, {TaskResultItemFormatV1Record()}, {})},
        {QStringLiteral("older-task-module-v1"), WithTaskModules(FormatTag::TaskModuleV1, {5, 8})},
        {QStringLiteral("older-task-module-v2"), WithTaskModules(FormatTag::TaskModuleV2, {9, 10})},
        {QStringLiteral("older-task-module-object-v1"), WithObject(ovAccessLevel, 2)},
        {QStringLiteral("older-task-module-object-v2"), WithObject(ovNoDelay, 0)},
        {QStringLiteral("older-task-module-object-v3"), WithObject(ovNoCommandEditor, 0)},
        {QStringLiteral("older-task-module-object-v4"), WithObject(ovNoToolCategories, 0)},
        {QStringLiteral("older-command-line-tool-v1"), WithTool(1, 3)},
        {QStringLiteral("older-command-line-tool-v2"), WithTool(2, 0)},
    };
}

} // namespace SampleDefinitions
