// The files that make Quillon a desktop application agree with the program: the MIME types find
// definitions and packages by their leading bytes, the desktop entry opens definitions with an
// icon that exists, and every shell completion knows every command and option of quillon-cli.

#include "cli/CliTestSupport.h"
#include "model/Data.h"
#include "samples/SampleDefinitions.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

namespace {

const QString Dist = QStringLiteral(QUILLON_TEST_DATA "/../../dist/");
const QString AppID = QStringLiteral("io.github.corvane.Quillon");
const QString DefinitionType = QStringLiteral("application/x-quillon-definition");
const QString PackageType = QStringLiteral("application/x-quillon-package");

QByteArray ReadDistFile(const QString& Name)
{
    QFile File(Dist + Name);
    EXPECT_TRUE(File.open(QIODevice::ReadOnly)) << Name.toStdString();
    return File.readAll();
}

void WriteFile(const QString& Path, const QByteArray& Bytes)
{
    QFile File(Path);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write(Bytes);
}

// Only the project's MIME file, in a data folder of its own: nothing of the machine's database.
class MimeTypes : public testing::Test
{
protected:
    QTemporaryDir Data;
    QTemporaryDir Files;

    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(Data.filePath(QStringLiteral("mime/packages"))));
        ASSERT_TRUE(QFile::copy(Dist + AppID + QStringLiteral(".xml"),
                                Data.filePath(QStringLiteral("mime/packages/") + AppID + QStringLiteral(".xml"))));
        qputenv("XDG_DATA_HOME", Data.path().toUtf8());
        qputenv("XDG_DATA_DIRS", Data.path().toUtf8());
    }

    QString TypeByContent(const QString& Name, const QByteArray& Bytes)
    {
        const QString Path = Files.filePath(Name);
        WriteFile(Path, Bytes);
        return QMimeDatabase().mimeTypeForFile(Path, QMimeDatabase::MatchContent).name();
    }
};

TEST_F(MimeTypes, DefinitionsOfEveryLayoutAndPackagesAreKnownByTheirFirstBytes)
{
    using namespace SampleDefinitions;
    QSet<QByteArray> DocumentTags;
    int Index = 0;
    for (const TNamedDefinition& Definition : OlderLayoutDefinitions()) {
        DocumentTags.insert(Definition.Bytes.left(16));
        EXPECT_EQ(TypeByContent(QString::number(Index++), Definition.Bytes), DefinitionType)
            << Definition.Name.toStdString();
    }
    for (const TNamedDefinition& Definition : SampleDefinitionFiles()) {
        DocumentTags.insert(Definition.Bytes.left(16));
        EXPECT_EQ(TypeByContent(QString::number(Index++), Definition.Bytes), DefinitionType)
            << Definition.Name.toStdString();
    }
    EXPECT_EQ(DocumentTags.size(), 2) << "the current and the first document layout";

    TData Empty;
    const QString Package = Files.filePath(QStringLiteral("package"));
    Empty.ExportToFile(Package);
    EXPECT_EQ(QMimeDatabase().mimeTypeForFile(Package, QMimeDatabase::MatchContent).name(), PackageType);

    // Neither tag is matched anywhere but at the start, nor by a file that only shares its first bytes.
    const QByteArray Definition = SampleDefinitionFiles().front().Bytes;
    EXPECT_NE(TypeByContent(QStringLiteral("shifted"), QByteArray(1, '\0') + Definition), DefinitionType);
    EXPECT_NE(TypeByContent(QStringLiteral("prefix"), Definition.left(8) + QByteArray(200, 'x')), DefinitionType);
}

TEST_F(MimeTypes, NamesCommentsAndIconsOfBothTypes)
{
    const QMimeDatabase Database;
    EXPECT_EQ(Database.mimeTypeForFile(QStringLiteral("Demo.cpd"), QMimeDatabase::MatchExtension).name(),
              DefinitionType);
    EXPECT_EQ(Database.mimeTypeForFile(QStringLiteral("DEMO.CPK"), QMimeDatabase::MatchExtension).name(), PackageType);
    for (const QString& Name : {DefinitionType, PackageType}) {
        const QMimeType Type = Database.mimeTypeForName(Name);
        ASSERT_TRUE(Type.isValid()) << Name.toStdString();
        EXPECT_TRUE(Type.comment().startsWith(QStringLiteral("Quillon code package")));
        EXPECT_TRUE(QFile::exists(Dist + QStringLiteral("icons/") + Type.iconName() + QStringLiteral(".svg")))
            << Type.iconName().toStdString();
    }
}

// The desktop entry opens definitions only: the program cannot open a package, which it only writes.
TEST(DesktopEntry, OpensDefinitionsAndNamesAnIconThatIsInstalled)
{
    const QString Entry = QString::fromUtf8(ReadDistFile(AppID + QStringLiteral(".desktop")));
    const auto Value = [&Entry](const char* Key) {
        return QRegularExpression(QStringLiteral("^%1=(.*)$").arg(QLatin1String(Key)),
                                  QRegularExpression::MultilineOption)
            .match(Entry)
            .captured(1);
    };
    EXPECT_EQ(Value("Exec"), QStringLiteral("quillon %f"));
    EXPECT_EQ(Value("MimeType"), DefinitionType + QLatin1Char(';'));
    EXPECT_TRUE(QFile::exists(Dist + QStringLiteral("icons/") + Value("Icon") + QStringLiteral(".svg")));
    EXPECT_TRUE(ReadDistFile(AppID + QStringLiteral(".metainfo.xml.in"))
                    .contains("<launchable type=\"desktop-id\">@QUILLON_APP_ID@.desktop</launchable>"));
}

// Each completion names every command and every option of each command as a word of its own.
TEST(ShellCompletions, KnowEveryCommandAndOption)
{
    for (const char* File :
         {"completions/quillon-cli.bash", "completions/_quillon-cli", "completions/quillon-cli.fish"}) {
        const QString Script = QString::fromUtf8(ReadDistFile(QLatin1String(File)));
        const auto Names = [&Script](const QString& Word) {
            // fish writes options by their names: -l json, -s o.
            const QString Bare = QString(Word).remove(QRegularExpression(QStringLiteral("^-+")));
            const QString Pattern = QStringLiteral(R"((^|[\s'"()|:=]))") + QRegularExpression::escape(Word) +
                                    QStringLiteral(R"(($|[\s'"\[)|:;]))") + QStringLiteral("|-[ls] ") +
                                    QRegularExpression::escape(Bare) + QStringLiteral(R"(\s)");
            return QRegularExpression(Pattern, QRegularExpression::MultilineOption).match(Script).hasMatch();
        };
        for (const QString& Word : {QStringLiteral("--help"), QStringLiteral("--version"), QStringLiteral("help")})
            EXPECT_TRUE(Names(Word)) << File << ": " << Word.toStdString();
        for (const auto& Command : CliCommands()) {
            EXPECT_TRUE(Names(Command->Name())) << File << ": " << Command->Name().toStdString();
            for (const QString& Option : Command->KnownSwitches() + Command->KnownOptions())
                EXPECT_TRUE(Names(Option))
                    << File << ": " << Command->Name().toStdString() << " " << Option.toStdString();
        }
    }
}

} // namespace
