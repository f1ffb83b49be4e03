#include "model/DefinitionJson.h"

#include "cli/CliTestSupport.h"
#include "model/CanonicalJsonReader.h"
#include "samples/LargeDefinition.h"
#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QTemporaryDir>

using namespace SampleDefinitions;

namespace {

// Every definition that loads: through JSON and back it writes what the program's own save writes,
// and the JSON of the result is the same text.
TEST(DefinitionJson, RoundTripsEveryLoadableDefinitionToTheProgramsOwnSave)
{
    int Loaded = 0;
    for (const TNamedDefinition& File : AllDefinitionFiles()) {
        TData Original;
        try {
            LoadFromBytes(Original, File.Bytes);
        } catch (const E_QOR&) {
            continue;
        }
        ++Loaded;
        const QByteArray Json = DefinitionToJson(Original);
        TData Built;
        DefinitionFromJson(Built, Json);
        EXPECT_EQ(SaveToBytes(Built), SaveToBytes(Original)) << File.Name.toStdString();
        EXPECT_EQ(DefinitionToJson(Built), Json) << File.Name.toStdString();
        // The writer's own text always takes the quick way, and the general reader agrees with it.
        TData Quick;
        EXPECT_TRUE(ReadCanonicalDefinitionJson(Quick, Json)) << File.Name.toStdString();
        EXPECT_EQ(SaveToBytes(*PackageForSavingFromJson(Json)), SaveToBytes(Original)) << File.Name.toStdString();
        EXPECT_EQ(SaveToBytes(*PackageForSavingFromJsonTree(Json)), SaveToBytes(Original)) << File.Name.toStdString();
    }
    EXPECT_GE(Loaded, 13);
}

// Streamed out in parts, the text is the one made whole; a device that refuses writes is reported.
TEST(DefinitionJson, StreamsTheSameTextItMakesWhole)
{
    TData Data;
    BuildLarge(Data, {60, 5, 4, 200, 50, 10});
    const QByteArray Whole = DefinitionToJson(Data);
    ASSERT_GT(Whole.size(), 3 << 20) << "the text must span several parts";
    QBuffer Streamed;
    Streamed.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteDefinitionJson(Data, Streamed));
    EXPECT_EQ(Streamed.data(), Whole);

    QBuffer Refusing;
    Refusing.open(QIODevice::ReadOnly);
    EXPECT_FALSE(WriteDefinitionJson(Data, Refusing));
}

TEST(DefinitionJson, KeepsDuplicateIDsAndReferencesApartByPosition)
{
    TData Data;
    BuildRich(Data);
    // Two task types with one ID: references must still come back to the right one.
    Data.TaskTypes.Items(1)->ID = Data.TaskTypes.Items(0)->ID;
    Data.CodeModules.Items(0)->TaskModuleObjects.Items(0)->TaskModules.Items(0)->InputTaskTypes.Add(
        Data.TaskTypes.Items(1));
    TData Built;
    DefinitionFromJson(Built, DefinitionToJson(Data));
    EXPECT_EQ(SaveToBytes(Built), SaveToBytes(Data));
}

// The saved package, or the report of the failure.
QByteArray Outcome(std::unique_ptr<TData> (*Read)(const QByteArray&), const QByteArray& Json)
{
    try {
        return "saved:" + SaveToBytes(*Read(Json));
    } catch (const E_QOR&) {
        return "failed:" + GetExceptionReport().toUtf8();
    }
}

// Edits an author might make by hand. Those that leave the writer's layout must send the text to
// the general reader; either way the package, or the report, is the general reader's.
TEST(DefinitionJson, TheQuickReaderAgreesWithTheGeneralOneOnEditedTexts)
{
    TData Rich;
    BuildRich(Rich);
    const QByteArray Json = DefinitionToJson(Rich);
    struct TEdit
    {
        const char* Name;
        QByteArray From;
        QByteArray To;
        bool StaysQuick;
    };
    const TEdit Edits[] = {
        {"escape in a value", "\"Name\": \"", "\"Name\": \"\\u0054\\n", true},
        {"enumeration as number", "\"Type\": \"Task runner\"", "\"Type\": 1", true},
        {"text beyond ASCII", "\"Notes\": \"", "\"Notes\": \"\xC3\xA9\xE2\x82\xAC ", true},
        {"escaped member name", "\"Name\":", "\"N\\u0061me\":", false},
        {"members swapped",
         "\"Format\": \"quillon-definition\",\n  \"Version\": 1,",
         "\"Version\": 1,\n  \"Format\": \"quillon-definition\",",
         false},
        {"whole number with a fraction", "\"PreferredWidth\": 800", "\"PreferredWidth\": 800.0", false},
        {"reference by ID alone", "{\"Index\": 2, ", "{", false},
        {"reference outside the list", "{\"Index\": 2, ", "{\"Index\": 99, ", false},
        {"configurator outside", "\"TaskModule\": 0, ", "\"TaskModule\": 7, ", false},
        {"extra member", "\"Version\": 1,", "\"Version\": 1, \"Extra\": [1],", false},
        {"member given twice", "\"Version\": 1,", "\"Version\": 1, \"Version\": 1,", false},
        {"member left out", "\"BetaSoftware\": true,", "", false},
        {"unknown enumeration text", "\"Type\": \"Task runner\"", "\"Type\": \"Task walker\"", false},
        {"broken UTF-8", "\"Notes\": \"", "\"Notes\": \"\xC3(", false},
        {"text after the package", "", "", false},
    };
    for (const TEdit& Edit : Edits) {
        QByteArray Edited = Json;
        if (Edit.From.isEmpty())
            Edited += "x";
        else
            Edited.replace(Edited.indexOf(Edit.From), Edit.From.size(), Edit.To);
        ASSERT_NE(Edited, Json) << Edit.Name;
        TData Quick;
        EXPECT_EQ(ReadCanonicalDefinitionJson(Quick, Edited), Edit.StaysQuick) << Edit.Name;
        EXPECT_EQ(Outcome(PackageForSavingFromJson, Edited), Outcome(PackageForSavingFromJsonTree, Edited))
            << Edit.Name;
    }
    // Whitespace is the author's own, and a byte-order mark is allowed.
    QByteArray Compact = Json;
    Compact.replace("\n", "").replace("  ", "");
    TData Quick;
    EXPECT_TRUE(ReadCanonicalDefinitionJson(Quick, "\xEF\xBB\xBF" + Compact));
    EXPECT_EQ(SaveToBytes(Quick), SaveToBytes(Rich));
}

struct TBadJson
{
    const char* Name;
    QByteArray Text;
    QString Report;
};

class BadDefinitionJson : public testing::TestWithParam<TBadJson>
{};

TEST_P(BadDefinitionJson, IsReportedWithWhereAndWhatWasExpected)
{
    TData Data;
    const QString Report = ExpectThrowReport<E_QOR_LoadingError>([&] { DefinitionFromJson(Data, GetParam().Text); });
    EXPECT_TRUE(Report.contains(GetParam().Report)) << Report.toStdString();
}

const QByteArray Head = "{\"Format\": \"quillon-definition\",\n";

INSTANTIATE_TEST_SUITE_P(
    Texts,
    BadDefinitionJson,
    testing::Values(
        TBadJson{"MissingColon", "{\n  \"Name\" \"x\"\n}", QStringLiteral("Line 2, column 10: expected ':'")},
        TBadJson{"UnclosedObject", "{\"Name\": \"x\" 5}", QStringLiteral("Line 1, column 14: expected ',' or '}'")},
        TBadJson{"NotJsonAtAll", "hello", QStringLiteral("Line 1, column 1: expected a value")},
        TBadJson{"WrongFormat", "{\"Format\": \"other\"}", QStringLiteral("Format: expected \"quillon-definition\"")},
        TBadJson{"NameNotString", Head + "\"Name\": 5}", QStringLiteral("Name: expected a string")},
        TBadJson{"BadGUID", Head + "\"ID\": \"{nope}\"}", QStringLiteral("ID: expected a GUID")},
        TBadJson{"BadEnum",
                 Head + "\"Drivers\": {\"Items\": [{\"Location\": \"Moon\"}]}}",
                 QStringLiteral("Drivers.Items[0].Location: expected one of \"None\"")},
        TBadJson{"FractionalInteger",
                 Head + "\"Drivers\": {\"Items\": [{\"ObjectServerType\": 1.5}]}}",
                 QStringLiteral("Drivers.Items[0].ObjectServerType: expected a whole number")},
        TBadJson{"ReferenceOutside",
                 Head + "\"CodeModules\": {\"Items\": [{\"HostInterfaces\": {\"Items\": [{\"Index\": 0}]}}]}}",
                 QStringLiteral("CodeModules.Items[0].HostInterfaces.Items[0]: expected the position or ID")},
        TBadJson{"ConfiguratorOutside",
                 Head + "\"CodeModules\": {\"Items\": [{\"TaskModuleObjects\": {\"Items\": [{\"Configurator\": "
                        "{\"CodeModule\": 0, \"Object\": 0, \"TaskModule\": 3}}]}}]}}",
                 QStringLiteral("TaskModuleObjects.Items[0].Configurator.TaskModule: expected the position")}),
    [](const testing::TestParamInfo<TBadJson>& Info) { return std::string(Info.param.Name); });

// Texts that are not JSON get the report the platform's own JSON parser would lead to: the same
// place and the same complaint.
TEST(DefinitionJson, ReportsSyntaxErrorsWhereTheReferenceParserDoes)
{
    const char* const Texts[] = {"",
                                 "   ",
                                 "[",
                                 "{",
                                 "{\"a\"",
                                 "{\"a\":",
                                 "{\"a\": }",
                                 "{\"a\": 1,}",
                                 "{\"a\": 1 \"b\": 2}",
                                 "{1: 2}",
                                 "[1 2]",
                                 "[1,]",
                                 "[1,",
                                 "{\"a\": [tru]}",
                                 "{\"a\": nul}",
                                 "{\"a\": -}",
                                 "{\"a\": 1e}",
                                 "{\"a\": 01}",
                                 "{\"a\": \"x}",
                                 "{\"a\": \"\\q\"}",
                                 "{\"a\": \"\\u12G4\"}",
                                 "{\"a\": \"\xC3\"}",
                                 "{\"a\": \"\xED\xA0\x80\"}",
                                 "{\"a\": \"\x01\"}",
                                 "{} x",
                                 "{}\n\n  ]",
                                 "\xEF\xBB\xBF{\"a\" 1}",
                                 "{\"a\": 1.5e+}",
                                 "{\"a\": .5}",
                                 "{\n\"\xC3\xA9\": \"\xC3\xA9\" 1}",
                                 "{\"a\": 1e999}",
                                 "{\"a\": \"\\\xC3\xA9\" 1}"};
    for (const char* Text : Texts) {
        const QByteArray Json(Text);
        QJsonParseError Error;
        const QJsonDocument Document = QJsonDocument::fromJson(Json, &Error);
        TData Data;
        QString Report;
        try {
            DefinitionFromJson(Data, Json);
        } catch (const E_QOR_LoadingError& Caught) {
            Report = Caught.Message();
        }
        if (Error.error == QJsonParseError::NoError) {
            EXPECT_FALSE(Report.startsWith(QStringLiteral("Line"))) << Text << " " << Report.toStdString();
            continue;
        }
        const TTextPosition Where = TextPositionOf(Json, std::max(Error.offset - 1, 0));
        const QString Expected = QStringLiteral("Line %1, column %2: ").arg(Where.Line).arg(Where.Column);
        EXPECT_TRUE(Report.startsWith(Expected) && Report.endsWith(QStringLiteral("(%1)").arg(Error.errorString())))
            << Text << "\n  got: " << Report.toStdString() << "\n want: " << Expected.toStdString()
            << Error.errorString().toStdString();
    }
}

TEST(BuildCommand, WritesNothingForABadTextAndTheDefinitionForAGoodOne)
{
    QTemporaryDir Folder;
    const QString Json = Folder.filePath(QStringLiteral("in.json"));
    const QString Target = Folder.filePath(QStringLiteral("out.cpd"));
    WriteBytesToFile(Json, "{\"Format\": \"quillon-definition\", \"Name\": }");
    const TCliRun Bad = RunCliWith({QStringLiteral("build"), Json, QStringLiteral("-o"), Target});
    EXPECT_EQ(Bad.ExitCode, 1);
    EXPECT_TRUE(Bad.Err.contains(QStringLiteral("Line 1, column 42"))) << Bad.Err.toStdString();
    EXPECT_FALSE(QFile::exists(Target));

    TData Rich;
    BuildRich(Rich);
    const QString Definition = Folder.filePath(QStringLiteral("rich.cpd"));
    Rich.SaveToFile(Definition);
    EXPECT_EQ(RunCliWith({QStringLiteral("dump"), Definition, QStringLiteral("-o"), Json}).ExitCode, 0);
    EXPECT_EQ(RunCliWith({QStringLiteral("build"), Json, QStringLiteral("-o"), Target}).ExitCode, 0);
    QFile Built(Target);
    ASSERT_TRUE(Built.open(QIODevice::ReadOnly));
    EXPECT_EQ(Built.readAll(), SaveToBytes(Rich));
}

} // namespace
