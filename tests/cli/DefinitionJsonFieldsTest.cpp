#include "model/DefinitionJsonFields.h"

#include "cli/CliTestSupport.h"
#include "model/DefinitionJson.h"
#include "samples/LargeDefinition.h"
#include "samples/RandomDefinition.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <set>

using namespace SampleDefinitions;

namespace {

// The first element of class Wanted under Element (described by Table), depth first.
void* FirstOf(const TJsonTable& Wanted, const TJsonTable& Table, void* Element)
{
    if (&Table == &Wanted)
        return Element;
    for (const TJsonField& Field : Table.Fields) {
        if (Field.Kind != TJsonFieldKind::Owned)
            continue;
        const TQORList& List = *static_cast<const TQORList*>(Field.Member(Element));
        for (int32_t I = 0; I < List.Count(); ++I)
            if (void* Found = FirstOf(Wanted, *Field.Items, Field.Item(List, I)))
                return Found;
    }
    return nullptr;
}

// Gives the field a value it does not have; false for the kinds this cannot do alone.
bool Change(const TJsonTable& Table, const TJsonField& Field, void* Element)
{
    switch (Field.Kind) {
    case TJsonFieldKind::Text:
        *static_cast<QString*>(Field.Member(Element)) += QStringLiteral(" changed");
        return true;
    case TJsonFieldKind::Flag: {
        bool& Value = *static_cast<bool*>(Field.Member(Element));
        Value = !Value;
        return true;
    }
    case TJsonFieldKind::Integer:
        *static_cast<int32_t*>(Field.Member(Element)) += 7;
        return true;
    case TJsonFieldKind::GUID:
        *static_cast<TGUID*>(Field.Member(Element)) = SampleGUID(4242);
        return true;
    case TJsonFieldKind::Enumeration:
        // Past the end of the texts: the value must come back as a number.
        Field.SetNumber(Element, Field.GetNumber(Element) == 1 ? 77 : 1);
        return true;
    case TJsonFieldKind::Strings:
        static_cast<QStringList*>(Field.Member(Element))->append(QStringLiteral("Added"));
        return true;
    case TJsonFieldKind::Expanded:
        Table.Object(Element)->SetExpanded(!Table.Object(Element)->Expanded());
        return true;
    default:
        return false;
    }
}

// Each field of each table is one the definition file stores (changing it changes the file), and
// comes back through the text, members in the writer's order or in any other: a table entry that
// reaches the wrong member, or a member the writer and the reader treat differently, shows here.
TEST(DefinitionJsonFields, EveryFieldIsStoredAndComesBackThroughTheText)
{
    int Changed = 0;
    for (const TJsonTable* Table : AllJsonTables()) {
        for (const TJsonField& Field : Table->Fields) {
            TData Data;
            BuildRich(Data);
            const QByteArray Before = SaveToBytes(Data);
            void* Element = FirstOf(*Table, PackageJsonTable(), &Data);
            ASSERT_NE(Element, nullptr) << Table->Class << " has no element in the rich sample";
            if (!Change(*Table, Field, Element))
                continue;
            ++Changed;
            const QByteArray After = SaveToBytes(Data);
            const std::string Name = std::string(Table->Class) + "." + std::string(Field.Name);
            EXPECT_NE(After, Before) << Name << " is not stored";
            const QByteArray Json = DefinitionToJson(Data);
            EXPECT_EQ(SaveToBytes(*PackageForSavingFromJson(Json)), After) << Name;
            const QByteArray Sorted = QJsonDocument::fromJson(Json).toJson();
            EXPECT_EQ(SaveToBytes(*PackageForSavingFromJson(Sorted)), After) << Name;
        }
    }
    EXPECT_GE(Changed, 90);
}

// The reader finds a member by its name alone where the text has it out of place, and notes the
// members it has read in a 64-bit set.
TEST(DefinitionJsonFields, EveryTableNamesEachFieldOnce)
{
    for (const TJsonTable* Table : AllJsonTables()) {
        EXPECT_LE(Table->Fields.size(), 64u) << Table->Class;
        std::set<std::string_view> Names;
        for (const TJsonField& Field : Table->Fields)
            EXPECT_TRUE(Names.insert(Field.Name).second) << Table->Class << "." << Field.Name;
    }
}

// The schema that describes the text for others names exactly the fields of each table.
TEST(DefinitionJsonFields, TheSchemaNamesTheFieldsOfEveryTable)
{
    QFile File(QStringLiteral(QUILLON_TEST_DATA "/../../docs/definition-json.schema.json"));
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    const QJsonObject Schema = QJsonDocument::fromJson(File.readAll()).object();
    for (const TJsonTable* Table : AllJsonTables()) {
        // The package is the schema's top level, every other class one of its definitions.
        const QString Class = QLatin1String(Table->Class).mid(1);
        const QJsonObject Described = Table == &PackageJsonTable()
                                          ? Schema
                                          : Schema.value(QLatin1String("$defs")).toObject().value(Class).toObject();
        QStringList Fields;
        for (const TJsonField& Field : Table->Fields)
            Fields << QString::fromLatin1(Field.Name.data(), qsizetype(Field.Name.size()));
        Fields.sort();
        EXPECT_EQ(Described.value(QLatin1String("properties")).toObject().keys(), Fields) << Table->Class;
    }
}

// Whatever the definition file stores comes back through the text, whether a table names it or
// not: each byte of a rich definition is changed in turn, and every definition that still loads must
// survive dump and build byte for byte. A field the file stores that no table names fails here.
TEST(DefinitionJsonFields, EveryByteTheFileStoresSurvivesDumpAndBuild)
{
    TData Rich;
    BuildRich(Rich);
    const QByteArray Bytes = SaveToBytes(Rich);
    qsizetype Survived = 0;
    for (qsizetype At = 0; At < Bytes.size(); ++At) {
        QByteArray Changed = Bytes;
        Changed[At] = char(Changed[At] ^ 0x01);
        TData Data;
        QByteArray Saved;
        try {
            LoadFromBytes(Data, Changed);
            Saved = SaveToBytes(Data);
        } catch (const E_QOR&) {
            continue;
        }
        ++Survived;
        try {
            EXPECT_EQ(SaveToBytes(*PackageForSavingFromJson(DefinitionToJson(Data))), Saved) << "byte " << At;
        } catch (const E_QOR&) {
            ADD_FAILURE() << "byte " << At << ": " << GetExceptionReport().toStdString();
        }
    }
    EXPECT_GE(Survived, Bytes.size() / 3);
}

// Beside each position the text names the element there, for the reader of the text: the ID and
// name of every reference are those of the element at its position, however often it is referred to.
void ExpectReferencesNamed(const TData& Data, const TJsonTable& Table, void* Element, const QJsonObject& Text)
{
    for (const TJsonField& Field : Table.Fields) {
        const QString Name = QString::fromLatin1(Field.Name.data(), qsizetype(Field.Name.size()));
        const QJsonArray Items = Text.value(Name).toObject().value(QLatin1String("Items")).toArray();
        const TQORList* List = Field.Member ? static_cast<const TQORList*>(Field.Member(Element)) : nullptr;
        if (Field.Kind == TJsonFieldKind::Owned) {
            ASSERT_EQ(Items.size(), List->Count()) << Table.Class << "." << Field.Name;
            for (int32_t I = 0; I < List->Count(); ++I)
                ExpectReferencesNamed(Data, *Field.Items, Field.Item(*List, I), Items[I].toObject());
        } else if (Field.Kind == TJsonFieldKind::References) {
            const TQORList& Source = Field.Source(Data);
            ASSERT_EQ(Items.size(), List->Count()) << Table.Class << "." << Field.Name;
            for (const QJsonValue& Item : Items) {
                const int Position = Item.toObject().value(QLatin1String("Index")).toInt(-1);
                ASSERT_TRUE(Position >= 0 && Position < Source.Count()) << Table.Class << "." << Field.Name;
                EXPECT_EQ(Item.toObject().value(QLatin1String("ID")).toString(),
                          Field.SourceID(Source, Position).ToString());
                EXPECT_EQ(Item.toObject().value(QLatin1String("Name")).toString(), Field.SourceName(Source, Position));
            }
        }
    }
}

TEST(DefinitionJsonFields, EveryReferenceNamesTheElementAtItsPosition)
{
    QTemporaryDir Folder;
    for (uint32_t Seed = 1; Seed <= 20; ++Seed) {
        TData Data;
        RandomDefinition::Build(Data, RandomDefinition::SeededBytes(Seed, 4096), Folder.path());
        const QJsonObject Text = QJsonDocument::fromJson(DefinitionToJson(Data)).object();
        ExpectReferencesNamed(Data, PackageJsonTable(), &Data, Text);
    }
    TData Large;
    BuildLarge(Large, {20, 5, 4, 50, 20, 5});
    ExpectReferencesNamed(Large, PackageJsonTable(), &Large, QJsonDocument::fromJson(DefinitionToJson(Large)).object());
}

// Definitions with every field drawn at random (out-of-range enumerations, odd text, repeated IDs)
// survive dump and build byte for byte, the text being the writer's own throughout: a field the
// definition file stores but the tables miss comes back empty.
TEST(DefinitionJsonFields, RandomDefinitionsSurviveDumpAndBuild)
{
    QTemporaryDir Folder;
    int Saved = 0;
    for (uint32_t Seed = 1; Seed <= 60; ++Seed) {
        TData Data;
        RandomDefinition::Build(Data, RandomDefinition::SeededBytes(Seed, 4096), Folder.path());
        QByteArray Bytes;
        try {
            Bytes = SaveToBytes(Data);
        } catch (const E_QOR&) {
            continue;
        }
        ++Saved;
        const QByteArray Json = DefinitionToJson(Data);
        EXPECT_EQ(SaveToBytes(*PackageForSavingFromJson(Json)), Bytes) << Seed;
        TData Built;
        DefinitionFromJson(Built, Json);
        EXPECT_EQ(SaveToBytes(Built), Bytes) << Seed;
        EXPECT_EQ(DefinitionToJson(Built), Json) << Seed;
    }
    EXPECT_GE(Saved, 30);
}

// diff shows fields in the order an author knows, which for two places is not the text's: a code
// module's file name before its folder, and the package's authorship after its contents.
TEST(DefinitionJsonFields, DiffShowsFieldsInTheAuthorsOrder)
{
    QTemporaryDir Folder;
    TData Data;
    BuildRich(Data);
    const QString A = Folder.filePath(QStringLiteral("a.cpd"));
    Data.SaveToFile(A);
    Data.Creator = QStringLiteral("New creator");
    Data.Name = QStringLiteral("New name");
    TCodeModule* Module = Data.CodeModules.Items(0);
    Module->FilePath = QStringLiteral("D:\\Elsewhere");
    Module->FileName = QStringLiteral("other.dll");
    Module->Notes = QStringLiteral("New notes");
    const QString B = Folder.filePath(QStringLiteral("b.cpd"));
    Data.SaveToFile(B);

    const TCliRun Run = RunCliWith({QStringLiteral("diff"), A, B});
    EXPECT_EQ(Run.ExitCode, 2);
    QStringList Fields;
    for (const QString& Line : Run.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        Fields << Line.section(QLatin1Char(':'), 0, 0).section(QLatin1Char('/'), -1);
    EXPECT_EQ(Fields,
              QStringList({QStringLiteral("~ Name"),
                           QStringLiteral("FileName"),
                           QStringLiteral("FilePath"),
                           QStringLiteral("Notes"),
                           QStringLiteral("~ Creator")}))
        << Run.Out.toStdString();
}

} // namespace
