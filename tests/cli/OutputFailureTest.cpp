// Results that cannot be written fail the command, and names from files cannot drive the terminal
// they are printed on.

#include "cli/CliTestSupport.h"
#include "cli/TerminalText.h"
#include "model/DefinitionJson.h"
#include "model/PackageExport.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace SampleDefinitions;

namespace {

// Takes Accepts bytes, then refuses every write, as a full disk does.
class TFailingDevice : public QIODevice
{
public:
    explicit TFailingDevice(qint64 Accepts) : FAccepts(Accepts)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        setErrorString(QStringLiteral("No room left"));
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 Size) override
    {
        if (FAccepts <= 0)
            return -1;
        const qint64 Taken = std::min(Size, FAccepts);
        FAccepts -= Taken;
        return Taken;
    }

private:
    qint64 FAccepts;
};

TCliRun RunWithFailingOutput(const QStringList& Arguments, qint64 Accepts)
{
    TFailingDevice Out(Accepts);
    QBuffer Err;
    Err.open(QIODevice::WriteOnly);
    TCliIO IO{Out, Err, std::nullopt};
    TCliRun Result;
    Result.ExitCode = RunCli(Arguments, IO);
    Result.Err = QString::fromUtf8(Err.data());
    return Result;
}

QStringList LinesOf(const QString& Text)
{
    return Text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A name that clears the screen, sets the window title, rings the bell and colours what follows.
const QString Crafted = QStringLiteral("Evil\x1b[2J\x1b]0;owned\x07\x1b[31mred");

// A package and definitions whose names are Crafted, written from files in a temporary folder.
class OutputFailure : public testing::Test
{
protected:
    QTemporaryDir Folder;
    QString Definition;
    QString Package;
    QString Other;

    QString PathOf(const char* Name) const { return Folder.filePath(QLatin1String(Name)); }

    void SetUp() override
    {
        QDir().mkpath(PathOf("src/data"));
        WriteBytesToFile(PathOf("src/driver.dll"), "driver bytes");
        WriteBytesToFile(PathOf("src/module.dll"), "module bytes");
        WriteBytesToFile(PathOf("src/data/a.txt"), "first");
        TData Data;
        Data.ID = SampleGUID(1);
        Data.Name = Crafted;
        auto* Driver = AddElement<TDriver>(Data.Drivers);
        Driver->ID = SampleGUID(2);
        Driver->Name = Crafted;
        Driver->FilePath = PathOf("src");
        Driver->FileName = QStringLiteral("driver.dll");
        auto* Module = AddElement<TCodeModule>(Data.CodeModules);
        Module->ID = SampleGUID(3);
        Module->Name = Crafted;
        Module->Location = cmlEmbedded;
        Module->FilePath = PathOf("src");
        Module->FileName = QStringLiteral("module.dll");
        auto* Support = AddElement<TSupportFile>(Module->SupportFiles);
        Support->SourceFilePath = QStringLiteral("data");
        Support->SourceFileName = QStringLiteral("*.txt");
        Support->TargetRelativePath = QStringLiteral("data\\x1b");
        Definition = PathOf("package.cpd");
        Package = PathOf("package.cpk");
        Data.SaveToFile(Definition);
        ExportPackageFile(Data, Package, TExportStamp());
        // The other side of a diff, as a dump: one more driver.
        auto* Added = AddElement<TDriver>(Data.Drivers);
        Added->ID = SampleGUID(4);
        Added->Name = QStringLiteral("Added ") + Crafted;
        Other = PathOf("other.json");
        WriteBytesToFile(Other, DefinitionToJson(Data));
    }
};

TEST_F(OutputFailure, EveryCommandWithResultsFailsWithOneLineWhenTheyCannotBeWritten)
{
    const QList<QStringList> Commands = {
        {QStringLiteral("--version")},
        {QStringLiteral("--help")},
        {QStringLiteral("help"), QStringLiteral("inspect")},
        {QStringLiteral("inspect"), Package},
        {QStringLiteral("inspect"), Package, QStringLiteral("--json")},
        {QStringLiteral("check"), Definition},
        {QStringLiteral("check"), Definition, QStringLiteral("--json")},
        {QStringLiteral("dump"), Definition},
        {QStringLiteral("diff"), Definition, Other},
        {QStringLiteral("verify"), Package},
    };
    // check then has an error to tell, and would end with 2.
    QFile::remove(PathOf("src/driver.dll"));
    for (const QStringList& Arguments : Commands)
        // Nothing written at all, and a write cut short part of the way.
        for (const qint64 Accepts : {0, 10}) {
            const TCliRun Run = RunWithFailingOutput(Arguments, Accepts);
            const QString Case = Arguments.join(QLatin1Char(' ')) + QStringLiteral(" after %1 bytes").arg(Accepts);
            EXPECT_EQ(Run.ExitCode, 1) << Case.toStdString();
            QStringList Lines = LinesOf(Run.Err);
            // check tells its counts on standard error whatever happens to its findings.
            Lines.removeIf([](const QString& Line) { return Line.contains(QLatin1String("error(s)")); });
            ASSERT_EQ(Lines.size(), 1) << Case.toStdString() << ": " << Run.Err.toStdString();
            EXPECT_TRUE(Lines[0].startsWith(QLatin1String("Saving error. Standard output")))
                << Case.toStdString() << ": " << Lines[0].toStdString();
            EXPECT_TRUE(Lines[0].contains(QLatin1String("No room left")))
                << Case.toStdString() << ": " << Lines[0].toStdString();
        }

    // extract writes its files, but cannot list them.
    const TCliRun Extract = RunWithFailingOutput({QStringLiteral("extract"), Package, PathOf("out")}, 0);
    EXPECT_EQ(Extract.ExitCode, 1);
    EXPECT_EQ(LinesOf(Extract.Err).size(), 1) << Extract.Err.toStdString();
}

TEST_F(OutputFailure, AFailedCommandKeepsItsReportAndCommandsWithoutResultsSucceed)
{
    const TCliRun Missing = RunWithFailingOutput({QStringLiteral("inspect"), PathOf("missing.cpk")}, 0);
    EXPECT_EQ(Missing.ExitCode, 1);
    ASSERT_EQ(LinesOf(Missing.Err).size(), 1) << Missing.Err.toStdString();
    EXPECT_TRUE(Missing.Err.contains(QLatin1String("missing.cpk"))) << Missing.Err.toStdString();

    EXPECT_EQ(RunWithFailingOutput({QStringLiteral("export"), Definition, PathOf("again.cpk")}, 0).ExitCode, 0);
    EXPECT_EQ(
        RunWithFailingOutput({QStringLiteral("build"), Other, QStringLiteral("-o"), PathOf("built.cpd")}, 0).ExitCode,
        0);
}

// The program itself, its standard output a device that is always full: a short result shows the
// failure only when the stream is flushed at the end, a long one while it is written.
TEST_F(OutputFailure, TheProgramExitsWithOneWhenStandardOutputIsFull)
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full here";
    for (const QStringList& Arguments : {QStringList{QStringLiteral("--version")},
                                         QStringList{QStringLiteral("inspect"), Package},
                                         QStringList{QStringLiteral("dump"), Definition}}) {
        QProcess Process;
        Process.setStandardOutputFile(QStringLiteral("/dev/full"));
        Process.start(QStringLiteral(QUILLON_CLI_PROGRAM), Arguments);
        ASSERT_TRUE(Process.waitForFinished(30000));
        const QString Err = QString::fromUtf8(Process.readAllStandardError());
        EXPECT_EQ(Process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(Process.exitCode(), 1) << Arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(LinesOf(Err).size(), 1) << Err.toStdString();
    }
}

#ifdef Q_OS_UNIX
// A named pipe given to dump -o is written into, not replaced by a file of the same name.
TEST_F(OutputFailure, DumpWritesIntoAPipeInPlaceOfReplacingIt)
{
    const QString Pipe = PathOf("pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(Pipe).constData(), 0600), 0);
    // Opened for reading first, without waiting, so that the writer finds a reader.
    const int Reader = ::open(QFile::encodeName(Pipe).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(Reader, 0);
    const TCliRun Run = RunCliWith({QStringLiteral("dump"), Definition, QStringLiteral("-o"), Pipe});
    EXPECT_EQ(Run.ExitCode, 0) << Run.Err.toStdString();
    QByteArray Text(64 * 1024, Qt::Uninitialized);
    const ssize_t Got = ::read(Reader, Text.data(), size_t(Text.size()));
    ::close(Reader);
    ASSERT_GT(Got, 0);
    Text.truncate(Got);
    EXPECT_FALSE(QJsonDocument::fromJson(Text).isNull());
    EXPECT_FALSE(QFileInfo(Pipe).isFile());
}
#endif

// Decodes what TerminalSafe writes, by the rule it documents.
QString Decoded(const QString& Text)
{
    QString Out;
    for (qsizetype I = 0; I < Text.size(); ++I) {
        bool Valid = false;
        if (Text[I] == QLatin1Char('\\') && Text.mid(I + 1, 1) == QLatin1String("x") && I + 3 < Text.size() + 0) {
            const uint Value = Text.mid(I + 2, 2).toUInt(&Valid, 16);
            if (Valid && (Value < 0x20 || Value == 0x7F || Value == 0x5C)) {
                Out += QChar(char16_t(Value));
                I += 3;
                continue;
            }
        }
        if (Text[I] == QLatin1Char('\\') && Text.mid(I + 1, 1) == QLatin1String("u") && I + 5 < Text.size()) {
            const uint Value = Text.mid(I + 2, 4).toUInt(&Valid, 16);
            if (Valid) {
                Out += QChar(char16_t(Value));
                I += 5;
                continue;
            }
        }
        Out += Text[I];
    }
    return Out;
}

bool HasRawControl(const QString& Text)
{
    for (const QChar Character : Text) {
        const char16_t Unit = Character.unicode();
        if ((Unit < 0x20 && Unit != '\n') || (Unit >= 0x7F && Unit <= 0x9F) || (Unit >= 0x202A && Unit <= 0x202E) ||
            (Unit >= 0x2066 && Unit <= 0x2069))
            return true;
    }
    return false;
}

TEST(TerminalText, EscapesWhatDrivesOrReordersATerminalAndNothingElse)
{
    EXPECT_EQ(TerminalSafe(QStringLiteral("a\x1b[2Jb\x07")), QStringLiteral("a\\x1b[2Jb\\x07"));
    EXPECT_EQ(TerminalSafe(QStringLiteral("line\r\nnext\ttab\x7f")), QStringLiteral("line\\x0d\\x0anext\\x09tab\\x7f"));
    EXPECT_EQ(TerminalSafe(QStringLiteral("\u009B31m \u202Eexe.txt \u2066x\u2069")),
              QStringLiteral("\\u009b31m \\u202eexe.txt \\u2066x\\u2069"));
    // Folders keep their single separators, also before names that only look like escapes.
    EXPECT_EQ(TerminalSafe(QStringLiteral("bin\\x86\\data\\file.txt")), QStringLiteral("bin\\x86\\data\\file.txt"));
    EXPECT_EQ(TerminalSafe(QStringLiteral("\\\\server\\share")), QStringLiteral("\\\\server\\share"));
    EXPECT_EQ(TerminalSafe(QStringLiteral("Größe €")), QStringLiteral("Größe €"));
    // Text that reads as an escape is told apart from the escape.
    EXPECT_EQ(TerminalSafe(QStringLiteral("a\\x1b")), QStringLiteral("a\\x5cx1b"));
    EXPECT_EQ(TerminalSafe(QStringLiteral("\\u202e")), QStringLiteral("\\x5cu202e"));
    // Line by line: breaks stay, backslashes are left alone, the rest is escaped as above.
    EXPECT_EQ(TerminalLines(QStringLiteral("one\x1b[0m\ntwo\\x1b\r\n")),
              QStringLiteral("one\\x1b[0m\ntwo\\x1b\\x0d\n"));

    const QStringList Tricky = {QStringLiteral("\\\x1b"),
                                QStringLiteral("\\\\x1b"),
                                QStringLiteral("\\x5c"),
                                QStringLiteral("\\"),
                                QStringLiteral("x\\"),
                                QStringLiteral("\\u12"),
                                QStringLiteral("\\\\\u202E\\x7F\\"),
                                QStringLiteral("end\\x0")};
    for (const QString& Text : Tricky) {
        const QString Safe = TerminalSafe(Text);
        EXPECT_FALSE(HasRawControl(Safe) || Safe.contains(QLatin1Char('\n'))) << Safe.toStdString();
        EXPECT_EQ(Decoded(Safe), Text) << Safe.toStdString();
    }
}

TEST_F(OutputFailure, InspectCheckAndDiffPrintCraftedNamesEscaped)
{
    const QString Escaped = QStringLiteral("Evil\\x1b[2J\\x1b]0;owned\\x07\\x1b[31mred");
    const TCliRun Inspect = RunCliWith({QStringLiteral("inspect"), Package});
    EXPECT_EQ(Inspect.ExitCode, 0) << Inspect.Err.toStdString();
    EXPECT_FALSE(HasRawControl(Inspect.Out));
    EXPECT_TRUE(Inspect.Out.contains(QStringLiteral("  Name: ") + Escaped + QLatin1Char('\n')))
        << Inspect.Out.toStdString();
    EXPECT_TRUE(Inspect.Out.contains(QStringLiteral(" Drivers/") + Escaped + QLatin1Char('\n')))
        << Inspect.Out.toStdString();
    // A target keeps its separators; the one before a name that reads as an escape is told apart.
    EXPECT_TRUE(Inspect.Out.contains(QStringLiteral("  data\\x5cx1b\\a.txt\n"))) << Inspect.Out.toStdString();

    // The JSON listing stays valid and carries the names whole.
    const TCliRun Json = RunCliWith({QStringLiteral("inspect"), Package, QStringLiteral("--json")});
    EXPECT_FALSE(HasRawControl(Json.Out));
    const QJsonObject Listing = QJsonDocument::fromJson(Json.Out.toUtf8()).object();
    EXPECT_EQ(Listing.value(QLatin1String("Header")).toObject().value(QLatin1String("Name")).toString(), Crafted);

    // The driver's file is gone: check names it in its message and location.
    QFile::remove(PathOf("src/driver.dll"));
    const TCliRun Check = RunCliWith({QStringLiteral("check"), Definition});
    EXPECT_EQ(Check.ExitCode, 2) << Check.Err.toStdString();
    EXPECT_FALSE(HasRawControl(Check.Out));
    EXPECT_TRUE(Check.Out.contains(QStringLiteral("for driver '") + Escaped + QLatin1Char('\'')))
        << Check.Out.toStdString();

    const TCliRun Diff = RunCliWith({QStringLiteral("diff"), Definition, Other});
    EXPECT_EQ(Diff.ExitCode, 2) << Diff.Err.toStdString();
    EXPECT_FALSE(HasRawControl(Diff.Out));
    EXPECT_TRUE(Diff.Out.contains(QStringLiteral("+ Drivers/{5A000004-1234-5678-9ABC-DEF011223304} Added ") + Escaped +
                                  QLatin1Char('\n')))
        << Diff.Out.toStdString();
}

} // namespace
