#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "model/CanonicalJsonReader.h"
#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "model/DefinitionJsonFields.h"
#include "model/JsonTape.h"

#include <QJsonDocument>

#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace {

// What the parser wanted where it stopped, in words a reader of the file understands.
QString Expected(QJsonParseError::ParseError Error)
{
    switch (Error) {
    case QJsonParseError::UnterminatedObject:
        return QStringLiteral("',' or '}' after a member of an object");
    case QJsonParseError::MissingNameSeparator:
        return QStringLiteral("':' after a member name");
    case QJsonParseError::UnterminatedArray:
        return QStringLiteral("',' or ']' after an element of an array");
    case QJsonParseError::MissingValueSeparator:
        return QStringLiteral("',' between values");
    case QJsonParseError::IllegalValue:
        return QStringLiteral("a value (object, array, string, number, true, false or null)");
    case QJsonParseError::TerminationByNumber:
        return QStringLiteral("more text after the number");
    case QJsonParseError::IllegalNumber:
        return QStringLiteral("a valid number");
    case QJsonParseError::IllegalEscapeSequence:
        return QStringLiteral("a valid escape sequence");
    case QJsonParseError::IllegalUTF8String:
        return QStringLiteral("valid UTF-8 text");
    case QJsonParseError::UnterminatedString:
        return QStringLiteral("'\"' to close the string");
    case QJsonParseError::MissingObject:
        return QStringLiteral("an object");
    case QJsonParseError::DeepNesting:
        return QStringLiteral("less deeply nested values");
    case QJsonParseError::DocumentTooLarge:
        return QStringLiteral("a smaller document");
    case QJsonParseError::GarbageAtEnd:
        return QStringLiteral("the end of the text");
    case QJsonParseError::NoError:
        break;
    }
    return QStringLiteral("valid JSON");
}

// Where a value stands in the text ("CodeModules.Items[2].Name"), linked from the values around it
// and spelt out only for a report: most values are read without one.
struct TPath
{
    const TPath* Parent = nullptr;
    const char* Name = nullptr;
    qsizetype Index = -1;

    QString Text() const
    {
        QString Head = Parent ? Parent->Text() : QString();
        if (Name)
            return Head.isEmpty() ? QLatin1String(Name) : Head + QLatin1Char('.') + QLatin1String(Name);
        if (Index >= 0)
            return Head + QLatin1Char('[') + QString::number(Index) + QLatin1Char(']');
        return Head;
    }
};

// A path kept beyond the values it was linked from.
class TKeptPath
{
public:
    explicit TKeptPath(const TPath& Path)
    {
        for (const TPath* Step = &Path; Step; Step = Step->Parent)
            FSteps.insert(FSteps.begin(), *Step);
        for (size_t I = 0; I < FSteps.size(); ++I)
            FSteps[I].Parent = I ? &FSteps[I - 1] : nullptr;
    }
    TKeptPath(const TKeptPath&) = delete;
    TKeptPath& operator=(const TKeptPath&) = delete;

    const TPath& Path() const { return FSteps.back(); }

private:
    std::vector<TPath> FSteps;
};

// A configurator or command editor, turned into its task module once every code module exists:
// they may point into later code modules.
struct TPendingTaskModule
{
    TTaskModule** Target;
    TJsonValue Value;
    std::unique_ptr<TKeptPath> Path;
};

// Reads the JSON tree into a package by the tables of its fields, keeping the path of the value at
// hand for reports.
class TDefinitionReader
{
public:
    explicit TDefinitionReader(TData& Data) : FData(Data) {}

    void Read(const TJsonValue& Root);

private:
    [[noreturn]] void Fail(const TPath& Path, const QString& What) const
    {
        throw E_QOR_LoadingError(Path.Text() + QStringLiteral(": expected ") + What);
    }

    static TPath Member(const TPath& Path, const char* Name) { return {&Path, Name, -1}; }
    static TPath Element(const TPath& Path, qsizetype Index) { return {&Path, nullptr, Index}; }

    void ReadFields(const TJsonTable& Table, void* Target, const TJsonValue& Object, const TPath& Path);
    void ReadField(
        const TJsonTable& Table, const TJsonField& Field, void* Target, const TJsonValue& Found, const TPath& Path);

    // Missing members (Found undefined) keep the value they have; present ones must be of the
    // right kind. Path is the member's own.
    void Read(const TJsonValue& Found, const TPath& Path, QString& Value) const;
    void Read(const TJsonValue& Found, const TPath& Path, bool& Value) const;
    void Read(const TJsonValue& Found, const TPath& Path, int32_t& Value) const;
    void Read(const TJsonValue& Found, const TPath& Path, TGUID& Value) const;
    void Read(const TJsonValue& Found, const TPath& Path, QStringList& Value) const;
    void ReadExpanded(const TJsonValue& Found, const TPath& Path, TQORObject& Target) const;
    void ReadEnumeration(const TJsonValue& Found, const TPath& Path, const TJsonField& Field, void* Target) const;
    int32_t ToInteger(const TJsonValue& Value, const TPath& Path) const;
    TJsonValue ObjectAt(const TJsonValue& Value, const TPath& Path) const;

    // The items of an owning list: for each one an element is created, added and read.
    void ReadOwned(const TJsonField& Field, TQORList& List, const TJsonValue& Found, const TPath& Path);
    // A reference list, checked against the package-level list it points into.
    void ReadReferences(const TJsonField& Field, TQORList& List, const TJsonValue& Found, const TPath& Path);
    TTaskModule* ReadTaskModuleReference(const TJsonValue& Value, const TPath& Path) const;

    TData& FData;
    std::vector<TPendingTaskModule> FPendingTaskModules;
};

void TDefinitionReader::Read(const TJsonValue& Found, const TPath& Path, QString& Value) const
{
    if (Found.isUndefined())
        return;
    if (!Found.isString())
        Fail(Path, QStringLiteral("a string"));
    Value = Found.toString();
}

void TDefinitionReader::Read(const TJsonValue& Found, const TPath& Path, bool& Value) const
{
    if (Found.isUndefined())
        return;
    if (!Found.isBool())
        Fail(Path, QStringLiteral("true or false"));
    Value = Found.toBool();
}

int32_t TDefinitionReader::ToInteger(const TJsonValue& Value, const TPath& Path) const
{
    const double Number = Value.toDouble(0.5);
    if (!Value.isDouble() || std::trunc(Number) != Number || Number < INT32_MIN || Number > INT32_MAX)
        Fail(Path, QStringLiteral("a whole number from -2147483648 to 2147483647"));
    return static_cast<int32_t>(Number);
}

void TDefinitionReader::Read(const TJsonValue& Found, const TPath& Path, int32_t& Value) const
{
    if (!Found.isUndefined())
        Value = ToInteger(Found, Path);
}

void TDefinitionReader::Read(const TJsonValue& Found, const TPath& Path, TGUID& Value) const
{
    if (Found.isUndefined())
        return;
    const QByteArrayView Raw = Found.RawText();
    std::optional<TGUID> GUID = TGUID::FromBracedBytes(Raw.data(), Raw.size());
    if (!GUID)
        GUID = TGUID::FromString(Found.toString());
    if (!Found.isString() || !GUID)
        Fail(Path, QStringLiteral("a GUID such as \"{00000000-0000-0000-0000-000000000000}\""));
    Value = *GUID;
}

void TDefinitionReader::Read(const TJsonValue& Found, const TPath& Path, QStringList& Value) const
{
    if (Found.isUndefined())
        return;
    if (!Found.isArray())
        Fail(Path, QStringLiteral("an array of strings"));
    Value.clear();
    TJsonValue Item = Found.First();
    for (qsizetype I = 0; I < Found.size(); ++I, Item = Item.Next()) {
        if (!Item.isString())
            Fail(Element(Path, I), QStringLiteral("a string"));
        Value.append(Item.toString());
    }
}

void TDefinitionReader::ReadExpanded(const TJsonValue& Found, const TPath& Path, TQORObject& Target) const
{
    bool Expanded = Target.Expanded();
    Read(Found, Path, Expanded);
    Target.SetExpanded(Expanded);
}

void TDefinitionReader::ReadEnumeration(const TJsonValue& Found,
                                        const TPath& Path,
                                        const TJsonField& Field,
                                        void* Target) const
{
    if (Found.isUndefined())
        return;
    if (Found.isString()) {
        const QStringList& Texts = Field.Enumeration->Texts();
        const qsizetype Index = Texts.indexOf(Found.toString());
        if (Index < 0)
            Fail(Path,
                 QStringLiteral("one of \"") + Texts.join(QStringLiteral("\", \"")) + QStringLiteral("\" or a number"));
        Field.SetNumber(Target, static_cast<int32_t>(Index));
        return;
    }
    Field.SetNumber(Target, ToInteger(Found, Path));
}

TJsonValue TDefinitionReader::ObjectAt(const TJsonValue& Value, const TPath& Path) const
{
    if (!Value.isObject())
        Fail(Path, QStringLiteral("an object"));
    return Value;
}

void TDefinitionReader::ReadFields(const TJsonTable& Table, void* Target, const TJsonValue& Object, const TPath& Path)
{
    for (const TJsonField& Field : Table.Fields)
        ReadField(Table, Field, Target, Object.value(Field.Name), Member(Path, Field.Name));
}

void TDefinitionReader::ReadField(
    const TJsonTable& Table, const TJsonField& Field, void* Target, const TJsonValue& Found, const TPath& Path)
{
    switch (Field.Kind) {
    case TJsonFieldKind::FormatMark:
        if (!Found.IsText(DefinitionJsonFormat))
            Fail(Path, QStringLiteral("\"") + QLatin1String(DefinitionJsonFormat) + QLatin1Char('"'));
        break;
    case TJsonFieldKind::VersionMark: {
        int32_t Version = DefinitionJsonVersion;
        Read(Found, Path, Version);
        if (Version != DefinitionJsonVersion)
            Fail(Path, QString::number(DefinitionJsonVersion));
        break;
    }
    case TJsonFieldKind::Text:
        Read(Found, Path, *static_cast<QString*>(Field.Member(Target)));
        break;
    case TJsonFieldKind::Flag:
        Read(Found, Path, *static_cast<bool*>(Field.Member(Target)));
        break;
    case TJsonFieldKind::Integer:
        Read(Found, Path, *static_cast<int32_t*>(Field.Member(Target)));
        break;
    case TJsonFieldKind::GUID:
        Read(Found, Path, *static_cast<TGUID*>(Field.Member(Target)));
        break;
    case TJsonFieldKind::Enumeration:
        ReadEnumeration(Found, Path, Field, Target);
        break;
    case TJsonFieldKind::Strings:
        Read(Found, Path, *static_cast<QStringList*>(Field.Member(Target)));
        break;
    case TJsonFieldKind::Expanded:
        ReadExpanded(Found, Path, *Table.Object(Target));
        break;
    case TJsonFieldKind::Owned:
        ReadOwned(Field, *static_cast<TQORList*>(Field.Member(Target)), Found, Path);
        break;
    case TJsonFieldKind::References:
        ReadReferences(Field, *static_cast<TQORList*>(Field.Member(Target)), Found, Path);
        break;
    case TJsonFieldKind::TaskModule:
        // A new element has none; only a task module named needs reading.
        if (Found.isUndefined() || Found.isNull())
            break;
        FPendingTaskModules.push_back(
            {static_cast<TTaskModule**>(Field.Member(Target)), Found, std::make_unique<TKeptPath>(Path)});
        break;
    }
}

void TDefinitionReader::ReadOwned(const TJsonField& Field, TQORList& List, const TJsonValue& Found, const TPath& Path)
{
    if (Found.isUndefined())
        return;
    const TJsonValue ListObject = ObjectAt(Found, Path);
    ReadExpanded(ListObject.value("Expanded"), Member(Path, "Expanded"), List);
    const TJsonValue Items = ListObject.value("Items");
    if (Items.isUndefined())
        return;
    const TPath ItemsPath = Member(Path, "Items");
    if (!Items.isArray())
        Fail(ItemsPath, QStringLiteral("an array"));
    if (Items.size() >= MaxListSize)
        Fail(ItemsPath, QStringLiteral("fewer items"));
    List.SetCapacity(static_cast<int32_t>(Items.size()));
    TJsonValue Item = Items.First();
    for (qsizetype I = 0; I < Items.size(); ++I, Item = Item.Next()) {
        const TPath ItemPath = Element(ItemsPath, I);
        void* Added = Field.AddItem(List);
        ReadFields(*Field.Items, Added, ObjectAt(Item, ItemPath), ItemPath);
    }
}

void TDefinitionReader::ReadReferences(const TJsonField& Field,
                                       TQORList& List,
                                       const TJsonValue& Found,
                                       const TPath& Path)
{
    if (Found.isUndefined())
        return;
    const TQORList& Source = Field.Source(FData);
    const TJsonValue ListObject = ObjectAt(Found, Path);
    ReadExpanded(ListObject.value("Expanded"), Member(Path, "Expanded"), List);
    const TJsonValue Items = ListObject.value("Items");
    if (Items.isUndefined())
        return;
    const TPath ItemsPath = Member(Path, "Items");
    if (!Items.isArray())
        Fail(ItemsPath, QStringLiteral("an array"));
    TJsonValue Item = Items.First();
    for (qsizetype I = 0; I < Items.size(); ++I, Item = Item.Next()) {
        const TPath ItemPath = Element(ItemsPath, I);
        const TJsonValue Reference = ObjectAt(Item, ItemPath);
        const TJsonValue Position = Reference.value("Index");
        int32_t Index = -1;
        if (!Position.isUndefined()) {
            Index = ToInteger(Position, Member(ItemPath, "Index"));
        } else {
            // Written by hand: the ID alone must name exactly one element.
            TGUID ID;
            Read(Reference.value("ID"), Member(ItemPath, "ID"), ID);
            for (int32_t S = 0; S < Source.Count(); ++S) {
                if (Field.SourceID(Source, S) != ID)
                    continue;
                if (Index >= 0)
                    Fail(ItemPath, QStringLiteral("an \"Index\": more than one element has this ID"));
                Index = S;
            }
        }
        if (Index < 0 || Index >= Source.Count())
            Fail(ItemPath,
                 QStringLiteral("the position or ID of one of the package's ") + QString::number(Source.Count()) +
                     QStringLiteral(" elements of this kind"));
        List.AddPending(Index);
    }
}

TTaskModule* TDefinitionReader::ReadTaskModuleReference(const TJsonValue& Value, const TPath& Path) const
{
    if (Value.isUndefined() || Value.isNull())
        return nullptr;
    const TJsonValue Reference = ObjectAt(Value, Path);
    TTaskModulePosition Position;
    Read(Reference.value("CodeModule"), Member(Path, "CodeModule"), Position.CodeModule);
    Read(Reference.value("Object"), Member(Path, "Object"), Position.Object);
    Read(Reference.value("TaskModule"), Member(Path, "TaskModule"), Position.TaskModule);
    const auto Within = [](int32_t Index, int32_t Count) { return Index >= 0 && Index < Count; };
    const TCodeModules& Modules = FData.CodeModules;
    if (!Within(Position.CodeModule, Modules.Count()))
        Fail(Member(Path, "CodeModule"), QStringLiteral("the position of a code module"));
    const TTaskModuleObjects& Objects = Modules.Items(Position.CodeModule)->TaskModuleObjects;
    if (!Within(Position.Object, Objects.Count()))
        Fail(Member(Path, "Object"), QStringLiteral("the position of a task module object in that code module"));
    if (!Within(Position.TaskModule, Objects.Items(Position.Object)->TaskModules.Count()))
        Fail(Member(Path, "TaskModule"), QStringLiteral("the position of a task module in that object"));
    return TaskModuleAtPosition(Modules, Position);
}

void TDefinitionReader::Read(const TJsonValue& Root)
{
    ReadFields(PackageJsonTable(), &FData, Root, {});
    for (const TPendingTaskModule& Pending : FPendingTaskModules)
        *Pending.Target = ReadTaskModuleReference(Pending.Value, Pending.Path->Path());
    FData.ResolveReferences();
}

std::unique_ptr<TData> ReadPackageFromTree(const QByteArray& Json)
{
    TJsonTape Tape;
    TJsonTapeError Error;
    if (!Tape.Parse(Json, Error)) {
        // Rare enough to parse twice: the report names the place the platform's parser names, which
        // users of the command have long seen.
        QJsonParseError Described;
        QJsonDocument::fromJson(Json, &Described);
        qsizetype Offset = std::max<qsizetype>(Described.offset - 1, 0);
        if (Described.error == QJsonParseError::NoError) {
            Described.error = Error.Error;
            Offset = Error.Offset;
        }
        const TTextPosition Position = TextPositionOf(Json, Offset);
        throw E_QOR_LoadingError(QStringLiteral("Line %1, column %2: expected %3 (%4)")
                                     .arg(Position.Line)
                                     .arg(Position.Column)
                                     .arg(Expected(Described.error), Described.errorString()));
    }
    if (!Tape.Root().isObject())
        throw E_QOR_LoadingError(QStringLiteral("Line 1, column 1: expected an object"));
    auto Package = std::make_unique<TData>();
    TDefinitionReader(*Package).Read(Tape.Root());
    return Package;
}

// The writer's own layout is read member after member; any other text, and any fault, through the
// tree, which gives the reports.
std::unique_ptr<TData> ReadPackage(const QByteArray& Json)
{
    auto Package = std::make_unique<TData>();
    if (ReadCanonicalDefinitionJson(*Package, Json))
        return Package;
    return ReadPackageFromTree(Json);
}

} // namespace

void DefinitionFromJson(TData& Data, const QByteArray& Json)
{
    const std::unique_ptr<TData> Scratch = ReadPackage(Json);
    // Through the definition file, so that the package is exactly what the program would load.
    TMemoryStream Stream;
    Scratch->SaveToStream(Stream);
    SeekToStart(Stream);
    Data.LoadFromStream(Stream);
}

std::unique_ptr<TData> PackageForSavingFromJson(const QByteArray& Json)
{
    return ReadPackage(Json);
}

std::unique_ptr<TData> PackageForSavingFromJsonTree(const QByteArray& Json)
{
    return ReadPackageFromTree(Json);
}
