#include "model/DefinitionJson.h"

#include "cli/CliTestSupport.h"
#include "samples/LargeDefinition.h"
#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>

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
        EXPECT_EQ(SaveToBytes(*PackageForSavingFromJson(Json)), SaveToBytes(Original)) << File.Name.toStdString();
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
QByteArray Outcome(const QByteArray& Json)
{
    try {
        return "saved:" + SaveToBytes(*PackageForSavingFromJson(Json));
    } catch (const E_QOR&) {
        return "failed:" + GetExceptionReport().toUtf8();
    }
}

QByteArray Replaced(QByteArray Text, const QByteArray& From, const QByteArray& To)
{
    const qsizetype At = Text.indexOf(From);
    EXPECT_GE(At, 0) << From.toStdString();
    return At < 0 ? Text : Text.replace(At, From.size(), To);
}

// Edits an author might make by hand that leave the package as it was: members in another order,
// spelt with escapes, given twice, left for another place or joined by members the format does not
// know; values in another form.
TEST(DefinitionJson, ReadsTheSamePackageFromTextEditedByHand)
{
    TData Rich;
    BuildRich(Rich);
    const QByteArray Json = DefinitionToJson(Rich);
    const QByteArray Saved = SaveToBytes(Rich);
    const int32_t Runner = int32_t(TaskModuleTypeTexts().indexOf(QStringLiteral("Task runner")));
    const qsizetype CodeModulesAt = Json.indexOf("\"CodeModules\"");
    const QByteArray CodeModules = Json.mid(CodeModulesAt, Json.lastIndexOf('}') - CodeModulesAt).trimmed();
    struct TEdit
    {
        const char* Name;
        QByteArray Text;
    };
    const QByteArray ByIDAlone =
        QString::fromUtf8(Json)
            .replace(QRegularExpression(QStringLiteral("\\{\"Index\": \\d+, ")), QStringLiteral("{"))
            .toUtf8();
    QByteArray ListGivenAgain = ByIDAlone;
    {
        const qsizetype At = ListGivenAgain.indexOf("\"TaskTypes\":");
        const qsizetype End = ListGivenAgain.indexOf("\"TaskRecordingTypes\":");
        const QByteArray Real = ListGivenAgain.mid(At, End - At).trimmed().chopped(1);
        const QByteArray Other = "\"TaskTypes\": {\"Items\": [{}, {\"ID\": \"" +
                                 Rich.TaskTypes.Items(0)->ID.ToString().toUtf8() + "\"}]},\n  ";
        ListGivenAgain.replace(At, End - At, Other);
        ListGivenAgain.insert(ListGivenAgain.lastIndexOf('}'), ", " + Real);
    }
    QByteArray Compact = Json;
    Compact.replace("\n", "").replace("  ", "");
    const TEdit Edits[] = {
        {"escaped member name", Replaced(Json, "\"Name\":", "\"N\\u0061me\":")},
        {"marks swapped",
         Replaced(Json,
                  "\"Format\": \"quillon-definition\",\n  \"Version\": 1,",
                  "\"Version\": 1,\n  \"Format\": \"quillon-definition\",")},
        {"whole number with a fraction", Replaced(Json, "\"PreferredWidth\": 800", "\"PreferredWidth\": 8e2")},
        {"reference by ID alone", Replaced(Json, "{\"Index\": 2, ", "{")},
        {"enumeration as number",
         Replaced(Json, "\"Type\": \"Task runner\"", "\"Type\": " + QByteArray::number(Runner))},
        {"extra members", Replaced(Json, "\"Version\": 1,", "\"Version\": 1, \"Extra\": [1, {\"Name\": 5}],")},
        {"member given twice", Replaced(Json, "\"Version\": 1,", "\"Version\": 1, \"Version\": 1,")},
        {"a list given first with other items",
         Replaced(Json, "\"TaskTypes\":", "\"TaskTypes\": {\"Items\": [{\"Name\": \"Gone\"}]}, \"TaskTypes\":")},
        // References by ID are found among the elements the text ends with, not those it gave
        // first.
        {"a list given again after references into it", ListGivenAgain},
        // Configurators are resolved after the text: those of the first copy must not linger.
        {"code modules given twice", Replaced(Json, CodeModules, CodeModules + ",\n" + CodeModules)},
        {"whitespace of its own and a byte-order mark", "\xEF\xBB\xBF" + Compact},
        // A document's objects keep their members in alphabetical order: none is where the
        // writer put it.
        {"every member elsewhere", QJsonDocument::fromJson(Json).toJson(QJsonDocument::Indented)},
    };
    for (const TEdit& Edit : Edits) {
        ASSERT_NE(Edit.Text, Json) << Edit.Name;
        EXPECT_EQ(Outcome(Edit.Text), "saved:" + Saved) << Edit.Name;
    }
}

// Edits that change the package, and that it takes as the text says.
TEST(DefinitionJson, ReadsChangesMadeByHand)
{
    TData Rich;
    BuildRich(Rich);
    const QByteArray Json = DefinitionToJson(Rich);
    struct TEdit
    {
        const char* Name;
        QByteArray Text;
        std::function<void(TData&)> Change;
    };
    const TEdit Edits[] = {
        {"escapes in a value",
         Replaced(Json, "\"Name\": \"", "\"Name\": \"\\u0054\\n\\\"\\/"),
         [](TData& Data) { Data.Name.prepend(QStringLiteral("T\n\"/")); }},
        {"text beyond ASCII",
         Replaced(Json, "\"Notes\": \"", "\"Notes\": \"\xC3\xA9\xE2\x82\xAC "),
         [](TData& Data) { Data.TaskTypes.Items(0)->Notes.prepend(QString::fromUtf8("\xC3\xA9\xE2\x82\xAC ")); }},
        {"member left out",
         Replaced(Json, "\"BetaSoftware\": true,", ""),
         [](TData& Data) { Data.BetaSoftware = false; }},
        {"a list given twice, its flag only the first time",
         Replaced(Json,
                  "\"TaskTypes\": {\n    \"Expanded\": true,",
                  "\"TaskTypes\": {\"Expanded\": true, \"Items\": []},\n  \"TaskTypes\": {"),
         [](TData& Data) { Data.TaskTypes.SetExpanded(false); }},
        {"member given twice, the last counting",
         Replaced(Json, "\"BetaSoftware\": true,", "\"BetaSoftware\": true, \"BetaSoftware\": false,"),
         [](TData& Data) { Data.BetaSoftware = false; }},
    };
    for (const TEdit& Edit : Edits) {
        TData Expected;
        LoadFromBytes(Expected, SaveToBytes(Rich));
        Edit.Change(Expected);
        EXPECT_EQ(Outcome(Edit.Text), "saved:" + SaveToBytes(Expected)) << Edit.Name;
    }
}

// References may name elements of lists that come later in the text, and a list given again
// after references into it were read is held against what it holds in the end.
TEST(DefinitionJson, ChecksReferencesAgainstTheListsTheTextEndsWith)
{
    TData Rich;
    BuildRich(Rich);
    const QByteArray Json = DefinitionToJson(Rich);
    const qsizetype At = Json.indexOf("\"InterfaceTypes\"");
    const qsizetype End = Json.indexOf("\"Drivers\"");
    const QByteArray Interfaces = Json.mid(At, End - At);
    QByteArray Moved = Json;
    Moved.remove(At, End - At);
    Moved.insert(Moved.lastIndexOf('}'), ", " + Interfaces.trimmed().chopped(1));
    EXPECT_EQ(Outcome(Moved), "saved:" + SaveToBytes(Rich));
    // The same by ID alone, which needs the elements themselves.
    EXPECT_EQ(Outcome(Moved.replace("{\"Index\": ", "{\"Ignored\": ")), "saved:" + SaveToBytes(Rich));

    QByteArray Shrunk = Json;
    Shrunk.insert(Shrunk.lastIndexOf('}'), ", \"TaskTypes\": {\"Items\": []}");
    EXPECT_TRUE(Outcome(Shrunk).contains(".Items[0]: expected the position or ID of one of the package's 0 elements"))
        << Outcome(Shrunk).toStdString();
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
                 QStringLiteral("TaskModuleObjects.Items[0].Configurator.TaskModule: expected the position")},
        // What is wrong with the text as a whole comes first, wherever in it the fault is.
        TBadJson{"NotJsonAfterAWrongValue",
                 Head + "\"Name\": 5, \"Notes\": }",
                 QStringLiteral("Line 2, column 21: expected")},
        TBadJson{"NoFormatBeforeAWrongValue", "{\"Name\": 5}", QStringLiteral("Format: expected")},
        TBadJson{"ReferenceByIDIntoALaterList",
                 Head + "\"CodeModules\": {\"Items\": [{\"HostInterfaces\": {\"Items\": [{\"ID\": "
                        "\"{00000000-0000-0000-0000-000000000001}\"}]}}]},\n\"InterfaceTypes\": {\"Items\": [{}]}}",
                 QStringLiteral("CodeModules.Items[0].HostInterfaces.Items[0]: expected the position or ID of one "
                                "of the package's 1 elements")}),
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
