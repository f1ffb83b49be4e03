#include "model/CanonicalJsonReader.h"

#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "model/DefinitionJsonFields.h"
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
    template <size_t N> void Key(const char (&Name)[N]) { Key(Name, N - 1); }
    void Key(const char* Name, size_t Length)
    {
        if (!FFirst)
            Take(',');
        FFirst = false;
        Space();
        const qsizetype Quoted = qsizetype(Length) + 2;
        if (FEnd - FAt < Quoted || FAt[0] != '"' || memcmp(FAt + 1, Name, Length) != 0 || FAt[Quoted - 1] != '"')
            Leave();
        FAt += Quoted;
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
    TTaskModule** Target;
    TTaskModulePosition Position;
};

// Reads the package by the tables of its fields, each member where the writer puts it.
class TCanonicalReader
{
public:
    TCanonicalReader(TData& Data, const QByteArray& Text) : FData(Data), In(Text) {}

    void Read()
    {
        In.BeginObject();
        Fields(PackageJsonTable(), &FData);
        In.EndObject();
        In.End();
        ResolveTaskModules();
        FData.ResolveReferences();
    }

private:
    void Fields(const TJsonTable& Table, void* Target)
    {
        for (const TJsonField& Field : Table.Fields) {
            In.Key(Field.Name, strlen(Field.Name));
            Value(Table, Field, Target);
        }
    }

    void Value(const TJsonTable& Table, const TJsonField& Field, void* Target)
    {
        switch (Field.Kind) {
        case TJsonFieldKind::FormatMark:
            if (!In.String().Is("quillon-definition"))
                Leave();
            break;
        case TJsonFieldKind::VersionMark:
            if (In.Integer() != DefinitionJsonVersion)
                Leave();
            break;
        case TJsonFieldKind::Text:
            *static_cast<QString*>(Field.Member(Target)) = In.String().Text();
            break;
        case TJsonFieldKind::Flag:
            *static_cast<bool*>(Field.Member(Target)) = In.Boolean();
            break;
        case TJsonFieldKind::Integer:
            *static_cast<int32_t*>(Field.Member(Target)) = In.Integer();
            break;
        case TJsonFieldKind::GUID:
            GUID(*static_cast<TGUID*>(Field.Member(Target)));
            break;
        case TJsonFieldKind::Enumeration:
            Field.SetNumber(Target, Enumeration(Field.Enumeration->Texts()));
            break;
        case TJsonFieldKind::Strings:
            Strings(*static_cast<QStringList*>(Field.Member(Target)));
            break;
        case TJsonFieldKind::Expanded:
            Table.Object(Target)->SetExpanded(In.Boolean());
            break;
        case TJsonFieldKind::Owned:
            Owned(Field, *static_cast<TQORList*>(Field.Member(Target)));
            break;
        case TJsonFieldKind::References:
            References(Field, *static_cast<TQORList*>(Field.Member(Target)));
            break;
        case TJsonFieldKind::TaskModule:
            TaskModule(static_cast<TTaskModule**>(Field.Member(Target)));
            break;
        }
    }

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
    int32_t Enumeration(const QStringList& Texts)
    {
        if (!In.NextIsString())
            return In.Integer();
        const qsizetype Index = Texts.indexOf(In.String().Text());
        if (Index < 0)
            Leave();
        return int32_t(Index);
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

    void Owned(const TJsonField& Field, TQORList& List)
    {
        In.BeginObject();
        Expanded(List);
        In.Key("Items");
        In.BeginArray();
        while (In.More()) {
            if (List.Count() >= MaxListSize - 1)
                Leave();
            void* Added = Field.AddItem(List);
            In.BeginObject();
            Fields(*Field.Items, Added);
            In.EndObject();
        }
        In.EndObject();
    }

    void References(const TJsonField& Field, TQORList& List)
    {
        const int32_t Count = Field.Source(FData).Count();
        In.BeginObject();
        Expanded(List);
        In.Key("Items");
        In.BeginArray();
        while (In.More()) {
            In.BeginObject();
            In.Key("Index");
            const int32_t Index = In.Integer();
            if (Index < 0 || Index >= Count)
                Leave();
            SkipIDAndName();
            In.EndObject();
            List.AddPending(Index);
        }
        In.EndObject();
    }

    void TaskModule(TTaskModule** Target)
    {
        if (In.Null())
            return;
        TPendingTaskModule Pending{Target, {}};
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
            *Pending.Target = TaskModuleAtPosition(Modules, At);
        }
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
