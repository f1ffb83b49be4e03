#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "model/JsonWriter.h"

namespace {

// An enumeration value as its display text; a value outside the table stays a number, so that it
// comes back exactly.
void EnumField(TJsonWriter& Out, const char* Name, int32_t Value, bool (*IsValid)(int32_t), QString (*Text)(int32_t))
{
    if (IsValid(Value))
        Out.Field(Name, Text(Value));
    else
        Out.Field(Name, Value);
}

void GUIDField(TJsonWriter& Out, const char* Name, const TGUID& Value)
{
    Out.Field(Name, Value);
}

// Items lists are objects with the list's own Expanded flag beside them.
template <class TList, class F> void OwnedList(TJsonWriter& Out, const char* Name, const TList& List, F&& WriteItem)
{
    Out.Key(Name);
    Out.BeginObject();
    Out.Field("Expanded", List.Expanded());
    Out.Key("Items");
    Out.BeginArray();
    for (int32_t I = 0; I < List.Count(); ++I) {
        Out.BeginObject();
        WriteItem(*List.Items(I));
        Out.EndObject();
    }
    Out.EndArray();
    Out.EndObject();
}

// A reference list: per entry the position in the package-level list (what the definition file
// stores), and the ID and name found there for the reader.
template <class TList> void ReferenceList(TJsonWriter& Out, const char* Name, const TList& List, const TList& Source)
{
    Out.Key(Name);
    Out.BeginObject();
    Out.Field("Expanded", List.Expanded());
    Out.Key("Items");
    Out.BeginArray();
    for (int32_t I = 0; I < List.Count(); ++I) {
        const int32_t Position = ReferencePosition(List, I);
        Out.BeginInlineObject();
        Out.Field("Index", Position);
        if (Position >= 0 && Position < Source.Count()) {
            GUIDField(Out, "ID", Source.Items(Position)->ID);
            Out.Field("Name", Source.Items(Position)->Name);
        }
        Out.EndObject();
    }
    Out.EndArray();
    Out.EndObject();
}

void Strings(TJsonWriter& Out, const char* Name, const QStringList& List)
{
    Out.Key(Name);
    Out.BeginArray();
    for (const QString& Item : List)
        Out.String(Item);
    Out.EndArray();
}

void Tail(TJsonWriter& Out, const TBaseDataType& Type)
{
    Out.Field("Creator", Type.Creator);
    Out.Field("SubCreator", Type.SubCreator);
    Out.Field("Notes", Type.Notes);
    Out.Field("Expanded", Type.Expanded());
}

void TaskModuleReference(TJsonWriter& Out, const char* Name, const TTaskModule* Module)
{
    Out.Key(Name);
    if (!Module) {
        Out.Null();
        return;
    }
    const TTaskModulePosition Position = PositionOfTaskModule(*Module);
    Out.BeginInlineObject();
    Out.Field("CodeModule", Position.CodeModule);
    Out.Field("Object", Position.Object);
    Out.Field("TaskModule", Position.TaskModule);
    GUIDField(Out, "ID", Module->ID);
    Out.Field("Name", Module->Owner()->Name);
    EnumField(Out, "Type", Module->Type, IsValidTaskModuleType, TaskModuleTypeText);
    Out.EndObject();
}

class TDefinitionWriter
{
public:
    explicit TDefinitionWriter(const TData& Data) : FData(Data) {}

    QByteArray Write()
    {
        // A reference takes some 80 bytes of text; most large packages are mostly references.
        Out.Reserve(qsizetype(1) << 20);
        WriteAll();
        return Out.TakeText();
    }

    bool WriteTo(QIODevice& Device)
    {
        Out.StreamTo(Device, qsizetype(1) << 20);
        WriteAll();
        return Out.Finish();
    }

private:
    void WriteAll()
    {
        Out.BeginObject();
        Out.Field("Format", QString::fromLatin1(DefinitionJsonFormat));
        Out.Field("Version", 1);
        GUIDField(Out, "ID", FData.ID);
        Out.Field("Name", FData.Name);
        Out.Field("Description", FData.Description);
        Out.Field("AboutInformation", FData.AboutInformation);
        Out.Field("Creator", FData.Creator);
        Out.Field("SubCreator", FData.SubCreator);
        Out.Field("AllowExportFromLMS", FData.AllowExportFromLMS);
        Out.Field("BetaSoftware", FData.BetaSoftware);
        Out.Field("DataTypesExpanded", FData.DataTypesExpanded);
        OwnedList(Out, "TaskTypes", FData.TaskTypes, [this](const TTaskType& Type) {
            Head(Type);
            Out.Field("FileNameExtension", Type.FileNameExtension);
            Tail(Out, Type);
        });
        OwnedList(Out, "TaskRecordingTypes", FData.TaskRecordingTypes, [this](const TTaskRecordingType& Type) {
            Head(Type);
            Out.Field("FileNameExtension", Type.FileNameExtension);
            Tail(Out, Type);
        });
        OwnedList(Out, "TaskResultItemFormats", FData.TaskResultItemFormats, [this](const TTaskResultItemFormat& Type) {
            Head(Type);
            Out.Field("Description", Type.Description);
            Tail(Out, Type);
        });
        OwnedList(Out, "MediaItemFormats", FData.MediaItemFormats, [this](const TMediaItemFormat& Type) {
            Head(Type);
            EnumField(Out, "MediaItemType", Type.MediaItemType, IsValidMediaItemType, MediaItemTypeText);
            Out.Field("FileNameExtension", Type.FileNameExtension);
            Tail(Out, Type);
        });
        OwnedList(Out, "InterfaceTypes", FData.InterfaceTypes, [this](const TInterfaceType& Type) {
            GUIDField(Out, "ID", Type.ID);
            Out.Field("Name", Type.Name);
            Out.Field("Creator", Type.Creator);
            Out.Field("SubCreator", Type.SubCreator);
            Out.Field("Notes", Type.Notes);
            Out.Field("Expanded", Type.Expanded());
        });
        OwnedList(Out, "Drivers", FData.Drivers, [this](const TDriver& Driver) { WriteDriver(Driver); });
        OwnedList(
            Out, "CodeModules", FData.CodeModules, [this](const TCodeModule& Module) { WriteCodeModule(Module); });
        Out.EndObject();
    }

    void Head(const TBaseDataType& Type)
    {
        GUIDField(Out, "ID", Type.ID);
        Out.Field("Name", Type.Name);
    }

    void WriteDriver(const TDriver& Driver)
    {
        GUIDField(Out, "ID", Driver.ID);
        Out.Field("Name", Driver.Name);
        Out.Field("FileName", Driver.FileName);
        Out.Field("FilePath", Driver.FilePath);
        EnumField(Out, "Location", Driver.Location, IsValidDriverLocation, DriverLocationText);
        EnumField(Out, "ObjectServerType", Driver.ObjectServerType, IsValidObjectServerType, ObjectServerTypeText);
        Out.Field("Register", Driver.Register);
        Out.Field("Creator", Driver.Creator);
        Out.Field("SubCreator", Driver.SubCreator);
        Out.Field("Notes", Driver.Notes);
        Out.Field("Expanded", Driver.Expanded());
    }

    void WriteCodeModule(const TCodeModule& Module)
    {
        GUIDField(Out, "ID", Module.ID);
        Out.Field("Name", Module.Name);
        Out.Field("FilePath", Module.FilePath);
        Out.Field("FileName", Module.FileName);
        EnumField(Out, "Location", Module.Location, IsValidCodeModuleLocation, CodeModuleLocationText);
        EnumField(Out, "ObjectServerType", Module.ObjectServerType, IsValidObjectServerType, ObjectServerTypeText);
        Out.Field("Register", Module.Register);
        Out.Field("UseDirectActivation", Module.UseDirectActivation);
        Out.Field("RunFromSourceLocation", Module.RunFromSourceLocation);
        ReferenceList(Out, "HostInterfaces", Module.HostInterfaces, FData.InterfaceTypes);
        ReferenceList(Out, "ModuleInterfaces", Module.ModuleInterfaces, FData.InterfaceTypes);
        OwnedList(Out, "SupportFiles", Module.SupportFiles, [this](const TSupportFile& File) {
            Out.Field("SourceFilePath", File.SourceFilePath);
            Out.Field("SourceFileName", File.SourceFileName);
            Out.Field("TargetRelativePath", File.TargetRelativePath);
            Out.Field("InstallIntoGAC", File.InstallIntoGAC);
        });
        OwnedList(Out, "TaskModuleObjects", Module.TaskModuleObjects, [this](const TTaskModuleObject& Object) {
            WriteObject(Object);
        });
        OwnedList(Out, "CommandLineTools", Module.CommandLineTools, [this](const TCommandLineTool& Tool) {
            GUIDField(Out, "ID", Tool.ID);
            Out.Field("Name", Tool.Name);
            Out.Field("CommandLineArguments", Tool.CommandLineArguments);
            Strings(Out, "ToolCategories", Tool.ToolCategories);
            Out.Field("AccessibleByServiceEngineers", Tool.AccessibleByServiceEngineers);
            Out.Field("AccessibleBySystemAdministrators", Tool.AccessibleBySystemAdministrators);
            Out.Field("AccessibleByTrainers", Tool.AccessibleByTrainers);
            Out.Field("AccessibleByStudents", Tool.AccessibleByStudents);
            Out.Field("RunAsAdministrator", Tool.RunAsAdministrator);
            Out.Field("Notes", Tool.Notes);
            Out.Field("Expanded", Tool.Expanded());
        });
        Out.Field("Creator", Module.Creator);
        Out.Field("SubCreator", Module.SubCreator);
        Out.Field("Notes", Module.Notes);
        Out.Field("Expanded", Module.Expanded());
    }

    void WriteObject(const TTaskModuleObject& Object)
    {
        GUIDField(Out, "ID", Object.ID);
        Out.Field("Name", Object.Name);
        Out.Field("FullTypeName", Object.FullTypeName);
        Out.Field("RunOutOfProcess", Object.RunOutOfProcess);
        Out.Field("DelayBeforeReturningToHost", Object.DelayBeforeReturningToHost);
        OwnedList(Out, "TaskModules", Object.TaskModules, [this](const TTaskModule& Module) {
            GUIDField(Out, "ID", Module.ID);
            EnumField(Out, "Type", Module.Type, IsValidTaskModuleType, TaskModuleTypeText);
            Out.Field("SupportsMultipleItems", Module.SupportsMultipleItems);
            ReferenceList(Out, "InputTaskTypes", Module.InputTaskTypes, FData.TaskTypes);
            ReferenceList(Out, "OutputTaskTypes", Module.OutputTaskTypes, FData.TaskTypes);
            ReferenceList(Out, "InputTaskRecordingTypes", Module.InputTaskRecordingTypes, FData.TaskRecordingTypes);
            ReferenceList(Out, "OutputTaskRecordingTypes", Module.OutputTaskRecordingTypes, FData.TaskRecordingTypes);
            ReferenceList(
                Out, "InputTaskResultItemFormats", Module.InputTaskResultItemFormats, FData.TaskResultItemFormats);
            ReferenceList(
                Out, "OutputTaskResultItemFormats", Module.OutputTaskResultItemFormats, FData.TaskResultItemFormats);
            ReferenceList(Out, "OutputMediaItemFormats", Module.OutputMediaItemFormats, FData.MediaItemFormats);
            Out.Field("Expanded", Module.Expanded());
        });
        TaskModuleReference(Out, "Configurator", Object.Configurator);
        TaskModuleReference(Out, "CommandEditor", Object.CommandEditor);
        Out.Field("LMSNotesSupported", Object.LMSNotesSupported);
        Out.Field("PreferredWidth", Object.PreferredWidth);
        Out.Field("PreferredHeight", Object.PreferredHeight);
        Strings(Out, "ToolCategories", Object.ToolCategories);
        Out.Field("AccessibleByServiceEngineers", Object.AccessibleByServiceEngineers);
        Out.Field("AccessibleBySystemAdministrators", Object.AccessibleBySystemAdministrators);
        Out.Field("AccessibleByTrainers", Object.AccessibleByTrainers);
        Out.Field("AccessibleByStudents", Object.AccessibleByStudents);
        Out.Field("Notes", Object.Notes);
        Out.Field("Expanded", Object.Expanded());
    }

    const TData& FData;
    TJsonWriter Out;
};

} // namespace

QByteArray DefinitionToJson(const TData& Data)
{
    return TDefinitionWriter(Data).Write();
}

bool WriteDefinitionJson(const TData& Data, QIODevice& Device)
{
    return TDefinitionWriter(Data).WriteTo(Device);
}

bool LooksLikeJson(const QByteArray& Bytes)
{
    for (const char C : Bytes) {
        if (C == ' ' || C == '\t' || C == '\r' || C == '\n')
            continue;
        return C == '{';
    }
    return false;
}

TTextPosition TextPositionOf(const QByteArray& Text, qsizetype Offset)
{
    TTextPosition Result;
    const qsizetype End = std::min(Offset, Text.size());
    qsizetype LineStart = 0;
    for (qsizetype I = 0; I < End; ++I) {
        if (Text[I] == '\n') {
            ++Result.Line;
            LineStart = I + 1;
        }
    }
    // Columns count characters, not bytes: continuation bytes of UTF-8 do not start one.
    for (qsizetype I = LineStart; I < End; ++I)
        if ((static_cast<unsigned char>(Text[I]) & 0xC0) != 0x80)
            ++Result.Column;
    return Result;
}
