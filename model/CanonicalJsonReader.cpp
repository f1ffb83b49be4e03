#include "model/CanonicalJsonReader.h"

#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "model/JsonTape.h"

#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

// Thrown wherever the text leaves the writer's layout; the caller then hands it to the general reader.
struct TNotCanonical
{};

[[noreturn]] void Leave()
{
    throw TNotCanonical();
}

// A string of the text: the bytes between its quotes.
struct TSpan
{
    const char* At = nullptr;
    qsizetype Length = 0;
    bool Escaped = false;

    QString Text() const { return DecodeJsonString(At, Length, Escaped); }
    template <size_t N> bool Is(const char (&Expected)[N]) const
    {
        return !Escaped && Length == qsizetype(N - 1) && memcmp(At, Expected, N - 1) == 0;
    }
};

// Walks the text token by token. Members are asked for by name, in order; a member's comma is
// taken with its name.
class TCursor
{
public:
    explicit TCursor(const QByteArray& Text) : FAt(Text.constData()), FEnd(Text.constData() + Text.size())
    {
        if (FEnd - FAt >= 3 && memcmp(FAt, "\xEF\xBB\xBF", 3) == 0)
            FAt += 3;
    }

    void BeginObject()
    {
        Take('{');
        FFirst = true;
    }
    void EndObject()
    {
        Take('}');
        FFirst = false;
    }
    template <size_t N> void Key(const char (&Name)[N])
    {
        if (!FFirst)
            Take(',');
        FFirst = false;
        Space();
        if (FEnd - FAt < qsizetype(N + 1) || FAt[0] != '"' || memcmp(FAt + 1, Name, N - 1) != 0 || FAt[N] != '"')
            Leave();
        FAt += N + 1;
        Take(':');
    }

    // Steps into an array; More then tells, before each element, whether one follows.
    void BeginArray()
    {
        Take('[');
        FFirst = true;
    }
    bool More()
    {
        if (Peek(']')) {
            ++FAt;
            FFirst = false;
            return false;
        }
        if (!FFirst)
            Take(',');
        FFirst = false;
        return true;
    }

    TSpan String()
    {
        Take('"');
        TSpan Span;
        Span.At = FAt;
        if (ScanJsonString(FAt, FEnd, Span.Escaped) != QJsonParseError::NoError)
            Leave();
        Span.Length = FAt - 1 - Span.At;
        return Span;
    }
    bool Boolean()
    {
        if (Word("true"))
            return true;
        if (Word("false"))
            return false;
        Leave();
    }
    bool Null() { return Word("null"); }
    // A whole number in its plain form: the general reader takes the others (1.0, 1e2).
    int32_t Integer()
    {
        Space();
        const bool Negative = FAt != FEnd && *FAt == '-';
        const char* Digits = FAt + Negative;
        const char* At = Digits;
        int64_t Value = 0;
        while (At != FEnd && *At >= '0' && *At <= '9' && At - Digits < 11)
            Value = Value * 10 + (*At++ - '0');
        if (At == Digits || At == FEnd || (*Digits == '0' && At - Digits > 1) || *At == '.' || *At == 'e' ||
            *At == 'E' || (*At >= '0' && *At <= '9'))
            Leave();
        if (Negative)
            Value = -Value;
        if (Value < std::numeric_limits<int32_t>::min() || Value > std::numeric_limits<int32_t>::max())
            Leave();
        FAt = At;
        return int32_t(Value);
    }
    bool NextIsString() { return Peek('"'); }

    // Only whitespace may follow the package.
    void End()
    {
        Space();
        if (FAt != FEnd)
            Leave();
    }

private:
    void Space()
    {
        // Indentation comes in long runs of spaces: eight at a time.
        constexpr uint64_t Spaces = 0x2020202020202020u;
        for (;;) {
            while (FEnd - FAt >= 8) {
                uint64_t Word;
                memcpy(&Word, FAt, 8);
                if (Word != Spaces)
                    break;
                FAt += 8;
            }
            if (FAt == FEnd || (*FAt != ' ' && *FAt != '\n' && *FAt != '\r' && *FAt != '\t'))
                return;
            ++FAt;
        }
    }
    bool Peek(char C)
    {
        Space();
        return FAt != FEnd && *FAt == C;
    }
    void Take(char C)
    {
        if (!Peek(C))
            Leave();
        ++FAt;
    }
    template <size_t N> bool Word(const char (&Text)[N])
    {
        Space();
        if (FEnd - FAt < qsizetype(N - 1) || memcmp(FAt, Text, N - 1) != 0)
            return false;
        FAt += N - 1;
        return true;
    }

    const char* FAt;
    const char* FEnd;
    bool FFirst = true;
};

// A configurator or command editor, turned into its task module once every code module exists.
struct TPendingTaskModule
{
    TTaskModuleObject* Object;
    TTaskModule* TTaskModuleObject::*Field;
    TTaskModulePosition Position;
};

class TCanonicalReader
{
public:
    TCanonicalReader(TData& Data, const QByteArray& Text) : FData(Data), In(Text) {}

    void Read()
    {
        In.BeginObject();
        In.Key("Format");
        if (!In.String().Is("quillon-definition"))
            Leave();
        In.Key("Version");
        if (In.Integer() != 1)
            Leave();
        In.Key("ID"), GUID(FData.ID);
        In.Key("Name"), Text(FData.Name);
        In.Key("Description"), Text(FData.Description);
        In.Key("AboutInformation"), Text(FData.AboutInformation);
        In.Key("Creator"), Text(FData.Creator);
        In.Key("SubCreator"), Text(FData.SubCreator);
        In.Key("AllowExportFromLMS"), FData.AllowExportFromLMS = In.Boolean();
        In.Key("BetaSoftware"), FData.BetaSoftware = In.Boolean();
        In.Key("DataTypesExpanded"), FData.DataTypesExpanded = In.Boolean();
        In.Key("TaskTypes");
        Owned<TTaskType>(FData.TaskTypes, [this](TTaskType& Type) {
            Head(Type);
            In.Key("FileNameExtension"), Text(Type.FileNameExtension);
            Tail(Type);
        });
        In.Key("TaskRecordingTypes");
        Owned<TTaskRecordingType>(FData.TaskRecordingTypes, [this](TTaskRecordingType& Type) {
            Head(Type);
            In.Key("FileNameExtension"), Text(Type.FileNameExtension);
            Tail(Type);
        });
        In.Key("TaskResultItemFormats");
        Owned<TTaskResultItemFormat>(FData.TaskResultItemFormats, [this](TTaskResultItemFormat& Type) {
            Head(Type);
            In.Key("Description"), Text(Type.Description);
            Tail(Type);
        });
        In.Key("MediaItemFormats");
        Owned<TMediaItemFormat>(FData.MediaItemFormats, [this](TMediaItemFormat& Type) {
            Head(Type);
            In.Key("MediaItemType"), Enum(Type.MediaItemType, MediaItemTypeTexts());
            In.Key("FileNameExtension"), Text(Type.FileNameExtension);
            Tail(Type);
        });
        In.Key("InterfaceTypes");
        Owned<TInterfaceType>(FData.InterfaceTypes, [this](TInterfaceType& Type) {
            In.Key("ID"), GUID(Type.ID);
            In.Key("Name"), Text(Type.Name);
            In.Key("Creator"), Text(Type.Creator);
            In.Key("SubCreator"), Text(Type.SubCreator);
            In.Key("Notes"), Text(Type.Notes);
            Expanded(Type);
        });
        In.Key("Drivers");
        Owned<TDriver>(FData.Drivers, [this](TDriver& Driver) { ReadDriver(Driver); });
        In.Key("CodeModules");
        Owned<TCodeModule>(FData.CodeModules, [this](TCodeModule& Module) { ReadCodeModule(Module); });
        In.EndObject();
        In.End();
        ResolveTaskModules();
        FData.ResolveReferences();
    }

private:
    void Text(QString& Value) { Value = In.String().Text(); }
    void GUID(TGUID& Value)
    {
        const TSpan Span = In.String();
        std::optional<TGUID> Read;
        if (!Span.Escaped)
            Read = TGUID::FromBracedBytes(Span.At, Span.Length);
        if (!Read)
            Read = TGUID::FromString(Span.Text());
        if (!Read)
            Leave();
        Value = *Read;
    }
    template <class TEnum> void Enum(TEnum& Value, const QStringList& Texts)
    {
        if (!In.NextIsString()) {
            Value = static_cast<TEnum>(In.Integer());
            return;
        }
        const qsizetype Index = Texts.indexOf(In.String().Text());
        if (Index < 0)
            Leave();
        Value = static_cast<TEnum>(Index);
    }
    void Strings(QStringList& Value)
    {
        Value.clear();
        In.BeginArray();
        while (In.More())
            Value.append(In.String().Text());
    }
    void Expanded(TQORObject& Target)
    {
        In.Key("Expanded");
        Target.SetExpanded(In.Boolean());
    }
    // The ID and name that the writer adds for the human reader; the position alone counts.
    void SkipIDAndName()
    {
        In.Key("ID"), In.String();
        In.Key("Name"), In.String();
    }

    template <class TItem, class F> void Owned(TQORList& List, F&& ReadItem)
    {
        In.BeginObject();
        Expanded(List);
        In.Key("Items");
        In.BeginArray();
        while (In.More()) {
            if (List.Count() >= MaxListSize - 1)
                Leave();
            auto Item = std::make_unique<TItem>();
            TItem* Added = Item.get();
            List.Add(Item.release());
            In.BeginObject();
            ReadItem(*Added);
            In.EndObject();
        }
        In.EndObject();
    }

    template <class TList> void References(TList& List, const TList& Source)
    {
        In.BeginObject();
        Expanded(List);
        In.Key("Items");
        In.BeginArray();
        while (In.More()) {
            In.BeginObject();
            In.Key("Index");
            const int32_t Index = In.Integer();
            if (Index < 0 || Index >= Source.Count())
                Leave();
            SkipIDAndName();
            In.EndObject();
            List.AddPending(Index);
        }
        In.EndObject();
    }

    void TaskModuleReference(TTaskModuleObject& Object, TTaskModule* TTaskModuleObject::*Field)
    {
        if (In.Null())
            return;
        TPendingTaskModule Pending{&Object, Field, {}};
        In.BeginObject();
        In.Key("CodeModule"), Pending.Position.CodeModule = In.Integer();
        In.Key("Object"), Pending.Position.Object = In.Integer();
        In.Key("TaskModule"), Pending.Position.TaskModule = In.Integer();
        SkipIDAndName();
        In.Key("Type");
        if (In.NextIsString())
            In.String();
        else
            In.Integer();
        In.EndObject();
        FPendingTaskModules.push_back(Pending);
    }
    // Configurators and command editors may point into later code modules.
    void ResolveTaskModules()
    {
        const auto Within = [](int32_t Index, int32_t Count) { return Index >= 0 && Index < Count; };
        const TCodeModules& Modules = FData.CodeModules;
        for (const TPendingTaskModule& Pending : FPendingTaskModules) {
            const TTaskModulePosition& At = Pending.Position;
            if (!Within(At.CodeModule, Modules.Count()))
                Leave();
            const TTaskModuleObjects& Objects = Modules.Items(At.CodeModule)->TaskModuleObjects;
            if (!Within(At.Object, Objects.Count()) ||
                !Within(At.TaskModule, Objects.Items(At.Object)->TaskModules.Count()))
                Leave();
            Pending.Object->*Pending.Field = TaskModuleAtPosition(Modules, At);
        }
    }

    void Head(TBaseDataType& Type)
    {
        In.Key("ID"), GUID(Type.ID);
        In.Key("Name"), Text(Type.Name);
    }
    void Tail(TBaseDataType& Type)
    {
        In.Key("Creator"), Text(Type.Creator);
        In.Key("SubCreator"), Text(Type.SubCreator);
        In.Key("Notes"), Text(Type.Notes);
        Expanded(Type);
    }

    void ReadDriver(TDriver& Driver)
    {
        In.Key("ID"), GUID(Driver.ID);
        In.Key("Name"), Text(Driver.Name);
        In.Key("FileName"), Text(Driver.FileName);
        In.Key("FilePath"), Text(Driver.FilePath);
        In.Key("Location"), Enum(Driver.Location, DriverLocationTexts());
        In.Key("ObjectServerType"), Enum(Driver.ObjectServerType, ObjectServerTypeTexts());
        In.Key("Register"), Driver.Register = In.Boolean();
        In.Key("Creator"), Text(Driver.Creator);
        In.Key("SubCreator"), Text(Driver.SubCreator);
        In.Key("Notes"), Text(Driver.Notes);
        Expanded(Driver);
    }

    void ReadCodeModule(TCodeModule& Module)
    {
        In.Key("ID"), GUID(Module.ID);
        In.Key("Name"), Text(Module.Name);
        In.Key("FilePath"), Text(Module.FilePath);
        In.Key("FileName"), Text(Module.FileName);
        In.Key("Location"), Enum(Module.Location, CodeModuleLocationTexts());
        In.Key("ObjectServerType"), Enum(Module.ObjectServerType, ObjectServerTypeTexts());
        In.Key("Register"), Module.Register = In.Boolean();
        In.Key("UseDirectActivation"), Module.UseDirectActivation = In.Boolean();
        In.Key("RunFromSourceLocation"), Module.RunFromSourceLocation = In.Boolean();
        In.Key("HostInterfaces"), References(Module.HostInterfaces, FData.InterfaceTypes);
        In.Key("ModuleInterfaces"), References(Module.ModuleInterfaces, FData.InterfaceTypes);
        In.Key("SupportFiles");
        Owned<TSupportFile>(Module.SupportFiles, [this](TSupportFile& File) {
            In.Key("SourceFilePath"), Text(File.SourceFilePath);
            In.Key("SourceFileName"), Text(File.SourceFileName);
            In.Key("TargetRelativePath"), Text(File.TargetRelativePath);
            In.Key("InstallIntoGAC"), File.InstallIntoGAC = In.Boolean();
        });
        In.Key("TaskModuleObjects");
        Owned<TTaskModuleObject>(Module.TaskModuleObjects, [this](TTaskModuleObject& Object) { ReadObject(Object); });
        In.Key("CommandLineTools");
        Owned<TCommandLineTool>(Module.CommandLineTools, [this](TCommandLineTool& Tool) {
            In.Key("ID"), GUID(Tool.ID);
            In.Key("Name"), Text(Tool.Name);
            In.Key("CommandLineArguments"), Text(Tool.CommandLineArguments);
            In.Key("ToolCategories"), Strings(Tool.ToolCategories);
            Access(Tool.AccessibleByServiceEngineers,
                   Tool.AccessibleBySystemAdministrators,
                   Tool.AccessibleByTrainers,
                   Tool.AccessibleByStudents);
            In.Key("RunAsAdministrator"), Tool.RunAsAdministrator = In.Boolean();
            In.Key("Notes"), Text(Tool.Notes);
            Expanded(Tool);
        });
        In.Key("Creator"), Text(Module.Creator);
        In.Key("SubCreator"), Text(Module.SubCreator);
        In.Key("Notes"), Text(Module.Notes);
        Expanded(Module);
    }

    void Access(bool& ServiceEngineers, bool& SystemAdministrators, bool& Trainers, bool& Students)
    {
        In.Key("AccessibleByServiceEngineers"), ServiceEngineers = In.Boolean();
        In.Key("AccessibleBySystemAdministrators"), SystemAdministrators = In.Boolean();
        In.Key("AccessibleByTrainers"), Trainers = In.Boolean();
        In.Key("AccessibleByStudents"), Students = In.Boolean();
    }

    void ReadObject(TTaskModuleObject& Object)
    {
        In.Key("ID"), GUID(Object.ID);
        In.Key("Name"), Text(Object.Name);
        In.Key("FullTypeName"), Text(Object.FullTypeName);
        In.Key("RunOutOfProcess"), Object.RunOutOfProcess = In.Boolean();
        In.Key("DelayBeforeReturningToHost"), Object.DelayBeforeReturningToHost = In.Boolean();
        In.Key("TaskModules");
        Owned<TTaskModule>(Object.TaskModules, [this](TTaskModule& Module) { ReadTaskModule(Module); });
        In.Key("Configurator"), TaskModuleReference(Object, &TTaskModuleObject::Configurator);
        In.Key("CommandEditor"), TaskModuleReference(Object, &TTaskModuleObject::CommandEditor);
        In.Key("LMSNotesSupported"), Object.LMSNotesSupported = In.Boolean();
        In.Key("PreferredWidth"), Object.PreferredWidth = In.Integer();
        In.Key("PreferredHeight"), Object.PreferredHeight = In.Integer();
        In.Key("ToolCategories"), Strings(Object.ToolCategories);
        Access(Object.AccessibleByServiceEngineers,
               Object.AccessibleBySystemAdministrators,
               Object.AccessibleByTrainers,
               Object.AccessibleByStudents);
        In.Key("Notes"), Text(Object.Notes);
        Expanded(Object);
    }

    void ReadTaskModule(TTaskModule& Module)
    {
        In.Key("ID"), GUID(Module.ID);
        In.Key("Type"), Enum(Module.Type, TaskModuleTypeTexts());
        In.Key("SupportsMultipleItems"), Module.SupportsMultipleItems = In.Boolean();
        In.Key("InputTaskTypes"), References(Module.InputTaskTypes, FData.TaskTypes);
        In.Key("OutputTaskTypes"), References(Module.OutputTaskTypes, FData.TaskTypes);
        In.Key("InputTaskRecordingTypes"), References(Module.InputTaskRecordingTypes, FData.TaskRecordingTypes);
        In.Key("OutputTaskRecordingTypes"), References(Module.OutputTaskRecordingTypes, FData.TaskRecordingTypes);
        In.Key("InputTaskResultItemFormats"),
            References(Module.InputTaskResultItemFormats, FData.TaskResultItemFormats);
        In.Key("OutputTaskResultItemFormats"),
            References(Module.OutputTaskResultItemFormats, FData.TaskResultItemFormats);
        In.Key("OutputMediaItemFormats"), References(Module.OutputMediaItemFormats, FData.MediaItemFormats);
        Expanded(Module);
    }

    TData& FData;
    TCursor In;
    std::vector<TPendingTaskModule> FPendingTaskModules;
};

} // namespace

bool ReadCanonicalDefinitionJson(TData& Data, const QByteArray& Json)
{
    if (Json.size() >= qsizetype(std::numeric_limits<uint32_t>::max()))
        return false;
    try {
        TCanonicalReader(Data, Json).Read();
        return true;
    } catch (...) {
        // Not the writer's layout, or a fault the general reader will name.
        return false;
    }
}
