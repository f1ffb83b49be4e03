#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "model/DefinitionJsonFields.h"
#include "model/JsonWriter.h"

#include <QHash>

#include <unordered_map>
#include <vector>

namespace {

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
        // The writer only reads the package; the tables hand out fields for reading and writing.
        WriteFields(PackageJsonTable(), const_cast<TData*>(&FData));
        Out.EndObject();
    }

    void WriteFields(const TJsonTable& Table, void* Element)
    {
        for (const TJsonField& Field : Table.Fields)
            WriteField(Table, Field, Element);
    }

    void WriteField(const TJsonTable& Table, const TJsonField& Field, void* Element)
    {
        switch (Field.Kind) {
        case TJsonFieldKind::FormatMark:
            Out.Field(Field.Name, QString::fromLatin1(DefinitionJsonFormat));
            break;
        case TJsonFieldKind::VersionMark:
            Out.Field(Field.Name, DefinitionJsonVersion);
            break;
        case TJsonFieldKind::Text:
            Out.Field(Field.Name, *static_cast<const QString*>(Field.Member(Element)));
            break;
        case TJsonFieldKind::Flag:
            Out.Field(Field.Name, *static_cast<const bool*>(Field.Member(Element)));
            break;
        case TJsonFieldKind::Integer:
            Out.Field(Field.Name, *static_cast<const int32_t*>(Field.Member(Element)));
            break;
        case TJsonFieldKind::GUID:
            Out.Field(Field.Name, *static_cast<const TGUID*>(Field.Member(Element)));
            break;
        case TJsonFieldKind::Enumeration:
            Enumeration(Field.Name, *Field.Enumeration, Field.GetNumber(Element));
            break;
        case TJsonFieldKind::Strings:
            Out.Key(Field.Name);
            Out.BeginArray();
            for (const QString& Item : *static_cast<const QStringList*>(Field.Member(Element)))
                Out.String(Item);
            Out.EndArray();
            break;
        case TJsonFieldKind::Expanded:
            Out.Field(Field.Name, Table.Object(Element)->Expanded());
            break;
        case TJsonFieldKind::Owned:
            Owned(Field, *static_cast<const TQORList*>(Field.Member(Element)));
            break;
        case TJsonFieldKind::References:
            References(Field, *static_cast<const TQORList*>(Field.Member(Element)));
            break;
        case TJsonFieldKind::TaskModule:
            TaskModule(Field.Name, *static_cast<TTaskModule* const*>(Field.Member(Element)));
            break;
        }
    }

    // An enumeration value as its display text; a value outside the table stays a number, so that
    // it comes back exactly.
    void Enumeration(std::string_view Name, const TJsonEnumeration& Values, int32_t Value)
    {
        if (Values.IsValid(Value))
            Out.Field(Name, Values.Text(Value));
        else
            Out.Field(Name, Value);
    }

    // Items lists are objects with the list's own Expanded flag beside them.
    void Owned(const TJsonField& Field, const TQORList& List)
    {
        Out.Key(Field.Name);
        Out.BeginObject();
        Out.Field("Expanded", List.Expanded());
        Out.Key("Items");
        Out.BeginArray();
        for (int32_t I = 0; I < List.Count(); ++I) {
            Out.BeginObject();
            WriteFields(*Field.Items, Field.Item(List, I));
            Out.EndObject();
        }
        Out.EndArray();
        Out.EndObject();
    }

    // A reference list: per entry the position in the package-level list (what the definition file
    // stores), and the ID and name found there for the reader.
    void References(const TJsonField& Field, const TQORList& List)
    {
        const TQORList& Source = Field.Source(FData);
        Out.Key(Field.Name);
        Out.BeginObject();
        Out.Field("Expanded", List.Expanded());
        Out.Key("Items");
        Out.BeginArray();
        TSourceCache& Cache = CacheOf(Source);
        for (int32_t I = 0; I < List.Count(); ++I) {
            const int32_t Position = Cache.PositionOf(List, I);
            Out.BeginInlineObject();
            Out.Field("Index", Position);
            if (Position >= 0 && Position < Source.Count()) {
                // The same element is referred to many times: its ID and name are written once.
                Out.Raw(Cache.TailOf(Field, Source, Position));
            }
            Out.EndObject();
        }
        Out.EndArray();
        Out.EndObject();
    }

    void TaskModule(std::string_view Name, const TTaskModule* Module)
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
        Out.Field("ID", Module->ID);
        Out.Field("Name", Module->Owner()->Name);
        Enumeration("Type", {IsValidTaskModuleType, TaskModuleTypeText, TaskModuleTypeTexts}, Module->Type);
        Out.EndObject();
    }

    const TData& FData;
    TJsonWriter Out;
    // What the references into one package-level list need of it, worked out once: the position
    // of each element (asking an element for it means a visit to each, scattered in memory), and
    // what follows the position of a reference to it.
    struct TSourceCache
    {
        QHash<const TQORObject*, int32_t> Positions;
        // Each element's tail, where written, is a piece of Text: its start, or -1.
        QByteArray Text;
        std::vector<std::pair<qsizetype, qsizetype>> Tails;

        int32_t PositionOf(const TQORList& List, int32_t I) const
        {
            if (!List.IsPending(I))
                if (const auto Found = Positions.constFind(List.Items(I)); Found != Positions.cend())
                    return *Found;
            return ReferencePosition(List, I);
        }

        QByteArrayView TailOf(const TJsonField& Field, const TQORList& Source, int32_t Position)
        {
            auto& [Start, Size] = Tails[size_t(Position)];
            if (Start < 0) {
                Start = Text.size();
                Text += ", \"ID\": ";
                AppendJsonGUID(Text, Field.SourceID(Source, Position));
                Text += ", \"Name\": ";
                AppendJsonString(Text, Field.SourceName(Source, Position));
                Size = Text.size() - Start;
            }
            return QByteArrayView(Text.constData() + Start, Size);
        }
    };
    TSourceCache& CacheOf(const TQORList& Source)
    {
        TSourceCache& Cache = FSources[&Source];
        if (Cache.Tails.empty() && Source.Count() > 0) {
            Cache.Tails.assign(size_t(Source.Count()), {-1, 0});
            Cache.Positions.reserve(Source.Count());
            for (int32_t S = 0; S < Source.Count(); ++S)
                Cache.Positions.insert(Source.Items(S), S);
        }
        return Cache;
    }
    std::unordered_map<const TQORList*, TSourceCache> FSources;
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
