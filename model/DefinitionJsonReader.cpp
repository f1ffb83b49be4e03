#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "model/DefinitionJsonFields.h"
#include "model/DefinitionJsonLinks.h"
#include "model/DefinitionJsonPath.h"
#include "model/JsonCursor.h"

#include <QJsonDocument>

#include <algorithm>
#include <cmath>
#include <cstring>
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

// The report for a text that is not JSON. It names the place the platform's own parser names,
// which users of the command have long seen; parsing twice is fine for a text that is refused.
E_QOR_LoadingError SyntaxReport(const QByteArray& Json, const TJsonSyntaxError& Error)
{
    QJsonParseError Described;
    QJsonDocument::fromJson(Json, &Described);
    qsizetype Offset = std::max<qsizetype>(Described.offset - 1, 0);
    if (Described.error == QJsonParseError::NoError) {
        Described.error = Error.Error;
        Offset = Error.Offset;
    }
    const TTextPosition Position = TextPositionOf(Json, Offset);
    return E_QOR_LoadingError(QStringLiteral("Line %1, column %2: expected %3 (%4)")
                                  .arg(Position.Line)
                                  .arg(Position.Column)
                                  .arg(Expected(Described.error), Described.errorString()));
}

bool StartsNumber(char C)
{
    return C == '-' || C == '.' || (C >= '0' && C <= '9');
}

QString WholeNumberWanted()
{
    return QStringLiteral("a whole number from -2147483648 to 2147483647");
}

int32_t ToInteger(double Number, const TPath& Path)
{
    if (std::trunc(Number) != Number || Number < INT32_MIN || Number > INT32_MAX)
        Fail(Path, WholeNumberWanted());
    return static_cast<int32_t>(Number);
}

// The fields of one object met so far, by their place in the table: one met again is a member
// given twice.
struct TSeen
{
    uint64_t Bits = 0;

    bool TestAndSet(size_t Index)
    {
        const uint64_t Bit = uint64_t(1) << Index;
        const bool Was = (Bits & Bit) != 0;
        Bits |= Bit;
        return Was;
    }
};

// Reads the text in one pass, member after member, into a package: each object's members are
// expected in the writer's order and looked up by name only where the text has another, so a text
// edited by hand reads as well as the writer's own. Members the tables do not know are passed
// over; a member given twice counts with its last value.
class TDefinitionReader
{
public:
    TDefinitionReader(TData& Data, const QByteArray& Text) : FData(Data), FText(Text), In(Text) {}

    void Read()
    {
        if (In.Next() != '{') {
            In.SkipDocument();
            throw TValueFault{QStringLiteral("Line 1, column 1: expected an object")};
        }
        if (!StartsWithMarks())
            ScanMarks();
        ReadElement(PackageJsonTable(), &FData, {});
        In.End();
        FLinks.Settle(FSourcesReadAgain);
        FData.ResolveReferences();
    }

private:
    // The text's "Format" and "Version" in the writer's place, the first two members, are checked
    // as they come. Anywhere else the whole top level is looked through for them first, so that
    // a text that is not a definition is named as such before anything in it is read.
    bool StartsWithMarks() const
    {
        TJsonCursor Peek = In;
        Peek.EnterObject();
        if (!Peek.FirstMember() || !Peek.Key().Is("Format") || Peek.Next() != '"' ||
            !Peek.String().Is(DefinitionJsonFormat) || !Peek.NextMember() || !Peek.Key().Is("Version") ||
            !StartsNumber(Peek.Next()))
            return false;
        return Peek.Number().Value == DefinitionJsonVersion;
    }

    void ScanMarks()
    {
        FMarksScanned = true;
        TJsonCursor Scan(FText);
        Scan.Next();
        Scan.EnterObject();
        std::optional<bool> Format;
        std::optional<double> Version;
        bool VersionIsNumber = true;
        if (Scan.FirstMember()) {
            do {
                const TJsonString Name = Scan.Key();
                if (Name.Is("Format") && Scan.Next() == '"') {
                    Format = Scan.String().Is(DefinitionJsonFormat);
                } else if (Name.Is("Format")) {
                    Format = false;
                    Scan.SkipValue();
                } else if (Name.Is("Version") && StartsNumber(Scan.Next())) {
                    Version = Scan.Number().Value;
                    VersionIsNumber = true;
                } else if (Name.Is("Version")) {
                    VersionIsNumber = false;
                    Scan.SkipValue();
                } else {
                    Scan.SkipValue();
                }
            } while (Scan.NextMember());
        }
        Scan.End();
        if (!Format.value_or(false))
            Fail(TPath{nullptr, "Format", -1},
                 QStringLiteral("\"") + QLatin1String(DefinitionJsonFormat) + QLatin1Char('"'));
        const TPath VersionPath{nullptr, "Version", -1};
        if (!VersionIsNumber)
            Fail(VersionPath, WholeNumberWanted());
        if (Version && ToInteger(*Version, VersionPath) != DefinitionJsonVersion)
            Fail(VersionPath, QString::number(DefinitionJsonVersion));
    }

    // The object at hand as an element of Table's class.
    void ReadElement(const TJsonTable& Table, void* Target, const TPath& Path)
    {
        In.EnterObject();
        if (!In.FirstMember())
            return;
        const std::span<const TJsonField> Fields = Table.Fields;
        TSeen Seen;
        size_t Expected = 0;
        do {
            const TJsonField* Field = nullptr;
            if (Expected < Fields.size() && In.TryKey(Fields[Expected].Name))
                Field = &Fields[Expected];
            else
                Field = FieldNamed(Table, In.Key());
            if (!Field) {
                In.SkipValue();
                continue;
            }
            const size_t Index = size_t(Field - Fields.data());
            if (Seen.TestAndSet(Index))
                ReadAgain(Table, *Field, Target);
            Expected = Index + 1;
            ReadField(Table, *Field, Target, Member(Path, Field->Name));
        } while (In.NextMember());
    }

    // Which of Names the next member is: Names[Expected] is tried first, as it stands in the text;
    // -1 for a member of another name.
    template <size_t N> int MemberOf(const std::string_view (&Names)[N], size_t Expected)
    {
        if (Expected < N && In.TryKey(Names[Expected]))
            return int(Expected);
        const TJsonString Name = In.Key();
        for (size_t I = 0; I < N; ++I)
            if (Name.Is(Names[I]))
                return int(I);
        return -1;
    }

    static const TJsonField* FieldNamed(const TJsonTable& Table, const TJsonString& Name)
    {
        if (Name.Escaped) {
            const QString Text = Name.Text();
            for (const TJsonField& Field : Table.Fields)
                if (Text == QLatin1String(Field.Name.data(), qsizetype(Field.Name.size())))
                    return &Field;
            return nullptr;
        }
        const std::string_view Bytes(Name.At, size_t(Name.Length));
        for (const TJsonField& Field : Table.Fields)
            if (Field.Name == Bytes)
                return &Field;
        return nullptr;
    }

    void ReadField(const TJsonTable& Table, const TJsonField& Field, void* Target, const TPath& Path)
    {
        switch (Field.Kind) {
        case TJsonFieldKind::FormatMark:
        case TJsonFieldKind::VersionMark:
            In.SkipValue();
            return;
        case TJsonFieldKind::Text:
            *static_cast<QString*>(Field.Member(Target)) = Text(Path);
            return;
        case TJsonFieldKind::Flag:
            *static_cast<bool*>(Field.Member(Target)) = Flag(Path);
            return;
        case TJsonFieldKind::Integer:
            *static_cast<int32_t*>(Field.Member(Target)) = Integer(Path);
            return;
        case TJsonFieldKind::GUID:
            *static_cast<TGUID*>(Field.Member(Target)) = GUID(Path);
            return;
        case TJsonFieldKind::Enumeration:
            Field.SetNumber(Target, Enumeration(*Field.Enumeration, Path));
            return;
        case TJsonFieldKind::Strings:
            Strings(*static_cast<QStringList*>(Field.Member(Target)), Path);
            return;
        case TJsonFieldKind::Expanded:
            Table.Object(Target)->SetExpanded(Flag(Path));
            return;
        case TJsonFieldKind::Owned: {
            TQORList& List = *static_cast<TQORList*>(Field.Member(Target));
            Owned(Field, List, Path);
            if (&Table == &PackageJsonTable())
                FSourcesRead.push_back(&List);
            return;
        }
        case TJsonFieldKind::References:
            References(Target, Field, Path);
            return;
        case TJsonFieldKind::TaskModule:
            TaskModule(Target, Field, Path);
            return;
        }
    }

    // A member met a second time: what its first time left behind goes, so that the last counts.
    void ReadAgain(const TJsonTable& Table, const TJsonField& Field, void* Target)
    {
        switch (Field.Kind) {
        case TJsonFieldKind::FormatMark:
        case TJsonFieldKind::VersionMark:
            if (!FMarksScanned)
                ScanMarks();
            return;
        case TJsonFieldKind::Owned: {
            TQORList& List = *static_cast<TQORList*>(Field.Member(Target));
            FLinks.ForgetIn(*Field.Items, Field, List);
            // As new: a flag the last value does not give is not kept from the first.
            List.Clear();
            List.SetExpanded(false);
            if (&Table == &PackageJsonTable()) {
                std::erase(FSourcesRead, &List);
                FSourcesReadAgain = true;
            }
            return;
        }
        case TJsonFieldKind::References: {
            TQORList& List = *static_cast<TQORList*>(Field.Member(Target));
            List.Clear();
            List.SetExpanded(false);
            FLinks.Forget(Target, Field);
            return;
        }
        case TJsonFieldKind::TaskModule:
            FLinks.Forget(Target, Field);
            return;
        default:
            return;
        }
    }

    QString Text(const TPath& Path)
    {
        if (In.Next() != '"')
            Fail(Path, QStringLiteral("a string"));
        return In.String().Text();
    }

    bool Flag(const TPath& Path)
    {
        const char Next = In.Next();
        if (Next != 't' && Next != 'f')
            Fail(Path, QStringLiteral("true or false"));
        return In.Boolean();
    }

    int32_t Integer(const TPath& Path)
    {
        if (!StartsNumber(In.Next()))
            Fail(Path, WholeNumberWanted());
        return ToInteger(In.Number().Value, Path);
    }

    TGUID GUID(const TPath& Path)
    {
        if (In.Next() != '"')
            return GUIDOf(nullptr, Path);
        const TJsonString Text = In.String();
        return GUIDOf(&Text, Path);
    }

    // The GUID of a string of the text; none stands for a value that is not a string.
    static TGUID GUIDOf(const TJsonString* Text, const TPath& Path)
    {
        std::optional<TGUID> Read;
        if (Text && !Text->Escaped)
            Read = TGUID::FromBracedBytes(Text->At, Text->Length);
        if (Text && !Read)
            Read = TGUID::FromString(Text->Text());
        if (!Read)
            Fail(Path, QStringLiteral("a GUID such as \"{00000000-0000-0000-0000-000000000000}\""));
        return *Read;
    }

    int32_t Enumeration(const TJsonEnumeration& Values, const TPath& Path)
    {
        if (In.Next() != '"')
            return Integer(Path);
        const TJsonString Text = In.String();
        const std::vector<QByteArray>& Known = TextsOf(Values);
        if (!Text.Escaped) {
            for (size_t I = 0; I < Known.size(); ++I)
                if (Known[I].size() == Text.Length && memcmp(Known[I].constData(), Text.At, size_t(Text.Length)) == 0)
                    return int32_t(I);
        } else if (const qsizetype Index = Values.Texts().indexOf(Text.Text()); Index >= 0) {
            return int32_t(Index);
        }
        Fail(Path,
             QStringLiteral("one of \"") + Values.Texts().join(QStringLiteral("\", \"")) +
                 QStringLiteral("\" or a number"));
    }

    // An enumeration's display texts as the text has them, so that a value is matched in place.
    const std::vector<QByteArray>& TextsOf(const TJsonEnumeration& Values)
    {
        for (const auto& [Of, Texts] : FEnumerationTexts)
            if (Of == &Values)
                return Texts;
        std::vector<QByteArray> Texts;
        for (const QString& Text : Values.Texts())
            Texts.push_back(Text.toUtf8());
        return FEnumerationTexts.emplace_back(&Values, std::move(Texts)).second;
    }

    void Strings(QStringList& Value, const TPath& Path)
    {
        if (In.Next() != '[')
            Fail(Path, QStringLiteral("an array of strings"));
        Value.clear();
        In.EnterArray();
        if (!In.FirstElement())
            return;
        qsizetype I = 0;
        do {
            if (In.Next() != '"')
                Fail(Element(Path, I), QStringLiteral("a string"));
            Value.append(In.String().Text());
            ++I;
        } while (In.NextElement());
    }

    // A list record, owning or not: an object with the list's Expanded flag and its Items. Each
    // item is handed to ReadItem with its path.
    template <class F> void ListObject(TQORList& List, const TPath& Path, F&& ReadItems)
    {
        if (In.Next() != '{')
            Fail(Path, QStringLiteral("an object"));
        In.EnterObject();
        if (!In.FirstMember())
            return;
        static constexpr std::string_view Members[] = {"Expanded", "Items"};
        bool ItemsRead = false;
        int Last = -1;
        do {
            Last = MemberOf(Members, size_t(Last + 1));
            if (Last == 0) {
                List.SetExpanded(Flag(Member(Path, "Expanded")));
            } else if (Last == 1) {
                const TPath ItemsPath = Member(Path, "Items");
                if (In.Next() != '[')
                    Fail(ItemsPath, QStringLiteral("an array"));
                ReadItems(ItemsPath, std::exchange(ItemsRead, true));
            } else {
                In.SkipValue();
            }
        } while (In.NextMember());
    }

    void Owned(const TJsonField& Field, TQORList& List, const TPath& Path)
    {
        ListObject(List, Path, [&](const TPath& ItemsPath, bool Again) {
            if (Again) {
                FLinks.ForgetIn(*Field.Items, Field, List);
                List.Clear();
            }
            In.EnterArray();
            if (!In.FirstElement())
                return;
            qsizetype I = 0;
            do {
                const TPath ItemPath = Element(ItemsPath, I);
                if (List.Count() >= MaxListSize - 1)
                    Fail(ItemsPath, QStringLiteral("fewer items"));
                if (In.Next() != '{')
                    Fail(ItemPath, QStringLiteral("an object"));
                ReadElement(*Field.Items, Field.AddItem(List), ItemPath);
                ++I;
            } while (In.NextElement());
        });
    }

    bool SourceRead(const TQORList& Source) const
    {
        return std::find(FSourcesRead.begin(), FSourcesRead.end(), &Source) != FSourcesRead.end();
    }

    // A reference: its position in the package-level list, or (written by hand) the ID of an
    // element there. The ID and name the writer adds beside a position are for the human reader.
    void References(void* Target, const TJsonField& Field, const TPath& Path)
    {
        TQORList& List = *static_cast<TQORList*>(Field.Member(Target));
        const TQORList& Source = Field.Source(FData);
        ListObject(List, Path, [&](const TPath& ItemsPath, bool Again) {
            if (Again) {
                List.Clear();
                FLinks.Forget(Target, Field);
            }
            In.EnterArray();
            if (!In.FirstElement())
                return;
            qsizetype I = 0;
            do {
                const TPath ItemPath = Element(ItemsPath, I);
                if (In.Next() != '{')
                    Fail(ItemPath, QStringLiteral("an object"));
                std::optional<int32_t> Index;
                // The ID counts only without a position: it is read once that is known.
                bool HasID = false;
                bool IDIsString = false;
                TJsonString ID;
                static constexpr std::string_view Members[] = {"Index", "ID", "Name"};
                int Last = -1;
                In.EnterObject();
                if (In.FirstMember()) {
                    do {
                        Last = MemberOf(Members, size_t(Last + 1));
                        if (Last == 0) {
                            Index = Integer(Member(ItemPath, "Index"));
                        } else if (Last == 1) {
                            HasID = true;
                            IDIsString = In.Next() == '"';
                            if (IDIsString)
                                ID = In.String();
                            else
                                In.SkipValue();
                        } else {
                            In.SkipValue();
                        }
                    } while (In.NextMember());
                }
                TDefinitionJsonLinks::TReference Reference{Target, &Field, 0, !Index, Index.value_or(-1), {}};
                if (!Index && HasID)
                    Reference.ID = GUIDOf(IDIsString ? &ID : nullptr, Member(ItemPath, "ID"));
                Reference.Slot = List.AddPending(Reference.Index);
                // A reference by ID is found in the list the text ends with, which may come later
                // or be given again.
                if (!Reference.ByID && SourceRead(Source)) {
                    if (const QString Why = FLinks.Resolve(Reference, Source); !Why.isEmpty())
                        Fail(ItemPath, Why);
                } else {
                    FLinks.Defer(Reference);
                }
                ++I;
            } while (In.NextElement());
        });
    }

    void TaskModule(void* Target, const TJsonField& Field, const TPath& Path)
    {
        TTaskModule*& Module = *static_cast<TTaskModule**>(Field.Member(Target));
        Module = nullptr;
        const char Next = In.Next();
        if (Next == 'n') {
            In.Null();
            return;
        }
        if (Next != '{')
            Fail(Path, QStringLiteral("an object"));
        static constexpr std::string_view Members[] = {"CodeModule", "Object", "TaskModule"};
        TTaskModulePosition Position;
        int32_t* const Positions[] = {&Position.CodeModule, &Position.Object, &Position.TaskModule};
        int Last = -1;
        In.EnterObject();
        if (In.FirstMember()) {
            do {
                Last = MemberOf(Members, size_t(Last + 1));
                if (Last >= 0)
                    *Positions[Last] = Integer(Member(Path, Members[Last]));
                else
                    In.SkipValue();
            } while (In.NextMember());
        }
        FLinks.AddTaskModule(Target, Field, Position);
    }

    TData& FData;
    const QByteArray& FText;
    TJsonCursor In;
    bool FMarksScanned = false;
    // The package-level lists read so far, which references can be checked against at once.
    std::vector<const TQORList*> FSourcesRead;
    bool FSourcesReadAgain = false;
    TDefinitionJsonLinks FLinks{FData};
    std::vector<std::pair<const TJsonEnumeration*, std::vector<QByteArray>>> FEnumerationTexts;
};

std::unique_ptr<TData> ReadPackage(const QByteArray& Json)
{
    auto Package = std::make_unique<TData>();
    try {
        TDefinitionReader(*Package, Json).Read();
        return Package;
    } catch (const TJsonSyntaxError& Error) {
        throw SyntaxReport(Json, Error);
    } catch (const TValueFault& Fault) {
        // A text that is not JSON is named as such first, wherever its fault lies.
        try {
            TJsonCursor(Json).SkipDocument();
        } catch (const TJsonSyntaxError& Error) {
            throw SyntaxReport(Json, Error);
        }
        throw E_QOR_LoadingError(Fault.Message);
    }
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
