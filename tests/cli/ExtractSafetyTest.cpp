#include "app/SafeExtract.h"
#include "app/TargetChecks.h"
#include "cli/CliTestSupport.h"
#include "model/Enumerations.h"
#include "model/PackageExport.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDirIterator>
#include <QTemporaryDir>

#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace SampleDefinitions;

namespace {

struct TCraftedFile
{
    const char* Target;
    QByteArray Bytes;
};

// The bytes of a package with one embedded code module and support files: the first file is the
// module, the rest its support files, each with the target given, last written at LastWritten.
class TPackageBuilder
{
public:
    static QByteArray Build(const std::vector<TCraftedFile>& Files, const QDateTime& LastWritten)
    {
        const TDateTime Time = DateTimeFromQDateTime(LastWritten);
        TPackageBuilder Header;
        Header.Guid(PackageTag::Header);
        Header.Guid(TGUID::Parse("{11111111-2222-3333-4444-555555555555}"));
        Header.Guid(TGUID::Parse("{66666666-2222-3333-4444-555555555555}"));
        for (int I = 0; I < 5; ++I)
            Header.String(QStringLiteral("Package"));
        Header.Time(Time);
        Header.Byte(0);
        Header.Byte(0);
        Header.Integer(0);

        TPackageBuilder Body;
        Body.Guid(PackageTag::Body);
        for (const TGUID& Tag : {PackageTag::TaskTypes,
                                 PackageTag::TaskRecordingTypes,
                                 PackageTag::TaskResultItemFormats,
                                 PackageTag::MediaItemFormats,
                                 PackageTag::InterfaceTypes,
                                 PackageTag::Drivers}) {
            Body.Guid(Tag);
            Body.Integer(0);
        }
        Body.Guid(PackageTag::CodeModules);
        Body.Integer(1);
        Body.Guid(TGUID::Parse("{77777777-2222-3333-4444-555555555555}"));
        Body.String(QStringLiteral("Module"));
        Body.String(QLatin1String(Files[0].Target));
        Body.Integer(cmlEmbedded);
        Body.Integer(0);
        for (int I = 0; I < 3; ++I)
            Body.Byte(0);
        for (int I = 0; I < 3; ++I)
            Body.String({});
        Body.Time(Time);
        Body.Time(Time);
        for (int I = 0; I < 3; ++I)
            Body.Integer(0);
        Body.Embedded(Files[0].Bytes);
        for (const TGUID& Tag : {PackageTag::TaskModuleObjects, PackageTag::CommandLineTools}) {
            Body.Guid(Tag);
            Body.Integer(0);
        }
        Body.Guid(PackageTag::SupportFiles);
        Body.Integer(int32_t(Files.size() - 1));
        for (size_t I = 1; I < Files.size(); ++I) {
            Body.String(QLatin1String(Files[I].Target));
            Body.Byte(0);
            Body.Time(Time);
            Body.Time(Time);
            Body.Embedded(Files[I].Bytes);
        }

        TPackageBuilder Package;
        Package.Guid(PackageTag::File);
        Package.Embedded(Header.FBytes);
        Package.Embedded(Body.FBytes);
        return Package.FBytes;
    }

private:
    void Byte(char Value) { FBytes.append(Value); }
    void Integer(int32_t Value)
    {
        for (int I = 0; I < 4; ++I)
            Byte(char(uint32_t(Value) >> (8 * I) & 0xFF));
    }
    void Guid(const TGUID& Value)
    {
        const auto Bytes = Value.ToBytes();
        FBytes.append(reinterpret_cast<const char*>(Bytes.data()), 16);
    }
    void String(const QString& Value)
    {
        Integer(int32_t(Value.toLatin1().size()));
        FBytes.append(Value.toLatin1());
    }
    void Time(TDateTime Value)
    {
        uint64_t Bits = 0;
        std::memcpy(&Bits, &Value, sizeof Bits);
        for (int I = 0; I < 8; ++I)
            Byte(char(Bits >> (8 * I) & 0xFF));
    }
    // A size block, or an embedded file: the count, then the bytes.
    void Embedded(const QByteArray& Bytes)
    {
        Integer(int32_t(Bytes.size()));
        FBytes.append(Bytes);
    }

    QByteArray FBytes;
};

class ExtractSafety : public testing::Test
{
protected:
    QTemporaryDir Folder;
    QString Package;
    const QDateTime Stamp = QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7), Qt::UTC);

    QString PathOf(const QString& Name) const { return Folder.filePath(Name); }

    static void Write(const QString& Name, const QByteArray& Bytes)
    {
        QDir().mkpath(QFileInfo(Name).absolutePath());
        WriteBytesToFile(Name, Bytes);
    }

    void Make(const std::vector<TCraftedFile>& Files)
    {
        Package = PathOf(QStringLiteral("crafted.cpk"));
        WriteBytesToFile(Package, TPackageBuilder::Build(Files, Stamp));
    }

    TCliRun Extract(const QString& Out, bool Force = false)
    {
        QStringList Arguments{QStringLiteral("extract"), Package, Out};
        if (Force)
            Arguments << QStringLiteral("--force");
        return RunCliWith(Arguments);
    }

    // Everything below Root, links listed but not entered; empty for a missing folder.
    static QStringList Tree(const QString& Root)
    {
        QStringList Names;
        QDirIterator It(
            Root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (It.hasNext())
            Names << QDir(Root).relativeFilePath(It.next());
        Names.sort();
        return Names;
    }

    static QByteArray Contents(const QString& Name)
    {
        QFile File(Name);
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
    }
};

TEST(TargetChecks, WindowsNamesThatCannotBeCreated)
{
    for (const char* Bad : {"CON",
                            "con",
                            "Nul.txt",
                            "aux.tar.gz",
                            "COM1",
                            "lpt9",
                            "PRN ",
                            "CONIN$",
                            "a|b",
                            "a?b",
                            "a*",
                            "a<b",
                            "a\"b",
                            "tab\there",
                            "dir.",
                            "dir ",
                            "..."})
        EXPECT_FALSE(WindowsNameProblem(QString::fromLatin1(Bad)).isEmpty()) << Bad;
    for (const char* Good : {"CONSOLE", "COM10", "null.txt", "LPT", "a.b.c", ".hidden", "x-y_z (1).txt"})
        EXPECT_TRUE(WindowsNameProblem(QString::fromLatin1(Good)).isEmpty()) << Good;
    EXPECT_FALSE(WindowsNameProblem(QStringLiteral("COM") + QChar(0x00B9)).isEmpty());
    EXPECT_TRUE(WindowsNameProblem(QString(255, QLatin1Char('n'))).isEmpty());
    EXPECT_FALSE(WindowsNameProblem(QString(256, QLatin1Char('n'))).isEmpty());
}

TEST(TargetChecks, ClashesIgnoreCaseAndSpellingAndCatchFilesWhereFoldersGo)
{
    TTargetChecker Checker;
    EXPECT_EQ(Checker.Add(QStringLiteral("Data\\a.txt")).Relative, QStringLiteral("Data/a.txt"));
    EXPECT_TRUE(Checker.Add(QStringLiteral("data")).Problem.contains(QStringLiteral("folder of the earlier")));
    EXPECT_TRUE(Checker.Add(QStringLiteral("DATA\\A.TXT")).Problem.contains(QStringLiteral("letter case")));
    EXPECT_TRUE(Checker.Add(QStringLiteral("Data\\.\\\\a.txt")).Problem.contains(QStringLiteral("same target")));
    EXPECT_TRUE(Checker.Add(QStringLiteral("Data\\a.txt\\b")).Problem.contains(QStringLiteral("needs a folder")));
    EXPECT_TRUE(Checker.Add(QStringLiteral("..\\x")).Problem.contains(QStringLiteral("outside")));
    EXPECT_TRUE(Checker.Add(QStringLiteral("x\\CON\\y")).Problem.contains(QStringLiteral("Windows cannot create")));
    // A refused target does not stand in the way of later ones; accepted folders may be shared.
    EXPECT_TRUE(Checker.Add(QStringLiteral("x\\con")).Problem.contains(QStringLiteral("Windows")));
    EXPECT_TRUE(Checker.Add(QStringLiteral("data\\b.txt")).Problem.isEmpty());
    EXPECT_TRUE(Checker.Add(QStringLiteral("x\\y")).Problem.isEmpty());
    // Bounded depth and length, whatever a package claims.
    EXPECT_TRUE(Checker.Add(QStringList(256, QStringLiteral("d")).join('\\')).Problem.isEmpty());
    EXPECT_TRUE(Checker.Add(QStringList(257, QStringLiteral("e")).join('\\')).Problem.contains(QStringLiteral("deep")));
    EXPECT_FALSE(Checker.Add(QStringList(200, QString(200, 'f')).join('\\')).Problem.isEmpty());
}

TEST_F(ExtractSafety, WritesFilesWithTheirTimesIntoTheFolderANamedLinkLeadsTo)
{
    Make({{"module.dll", "module"}, {"data\\deep\\a.txt", "first"}, {"b.txt", "second"}});
    const QString Real = PathOf(QStringLiteral("real"));
    const QString Link = PathOf(QStringLiteral("named"));
    ASSERT_TRUE(QDir().mkpath(Real));
    ASSERT_TRUE(QFile::link(Real, Link));
    const TCliRun Run = Extract(Link);
    ASSERT_EQ(Run.ExitCode, 0) << Run.Err.toStdString();
    EXPECT_EQ(Tree(Real), QStringList({"b.txt", "data", "data/deep", "data/deep/a.txt", "module.dll"}));
    EXPECT_EQ(Contents(Real + QStringLiteral("/data/deep/a.txt")), QByteArray("first"));
    EXPECT_EQ(QFileInfo(Real + QStringLiteral("/b.txt")).lastModified().toUTC(), Stamp);
    EXPECT_EQ(QFileInfo(Real + QStringLiteral("/module.dll")).lastModified().toUTC(), Stamp);
}

TEST_F(ExtractSafety, ALinkAtAFileIsAClashWithOrWithoutForce)
{
    Make({{"module.dll", "module"}, {"victim.txt", "package bytes"}});
    const QString Outside = PathOf(QStringLiteral("outside.txt"));
    for (const bool Dangling : {false, true}) {
        for (const bool Force : {false, true}) {
            SCOPED_TRACE(testing::Message() << "dangling " << Dangling << ", force " << Force);
            const QString Out = PathOf(QStringLiteral("out-%1-%2").arg(Dangling).arg(Force));
            ASSERT_TRUE(QDir().mkpath(Out));
            QFile::remove(Outside);
            if (!Dangling)
                Write(Outside, "outside");
            ASSERT_TRUE(QFile::link(Outside, Out + QStringLiteral("/victim.txt")));
            const TCliRun Run = Extract(Out, Force);
            EXPECT_EQ(Run.ExitCode, 1);
            EXPECT_TRUE(Run.Err.contains(QStringLiteral("is a link"))) << Run.Err.toStdString();
            EXPECT_TRUE(Run.Err.endsWith(QStringLiteral("Nothing was written.\n"))) << Run.Err.toStdString();
            EXPECT_EQ(QFileInfo::exists(Outside), !Dangling);
            if (!Dangling) {
                EXPECT_EQ(Contents(Outside), QByteArray("outside"));
            }
            EXPECT_EQ(Tree(Out), QStringList({"victim.txt"}));
        }
    }
}

TEST_F(ExtractSafety, LinksFilesAndFoldersInTheWayAreClashesEvenWithForce)
{
    Make({{"module.dll", "module"}, {"through\\x.txt", "x"}, {"file\\y.txt", "y"}, {"folder", "z"}});
    const QString Out = PathOf(QStringLiteral("out"));
    const QString Elsewhere = PathOf(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(Out + QStringLiteral("/folder")));
    ASSERT_TRUE(QDir().mkpath(Elsewhere));
    ASSERT_TRUE(QFile::link(Elsewhere, Out + QStringLiteral("/through")));
    Write(Out + QStringLiteral("/file"), "a file");
    const TCliRun Run = Extract(Out, true);
    EXPECT_EQ(Run.ExitCode, 1);
    EXPECT_TRUE(Run.Err.contains(QStringLiteral("through' is a link"))) << Run.Err.toStdString();
    EXPECT_TRUE(Run.Err.contains(QStringLiteral("file' is not a folder"))) << Run.Err.toStdString();
    EXPECT_TRUE(Run.Err.contains(QStringLiteral("folder' is a folder"))) << Run.Err.toStdString();
    EXPECT_TRUE(QDir(Elsewhere).isEmpty());
    EXPECT_EQ(Tree(Out), QStringList({"file", "folder", "through"}));
    EXPECT_EQ(Contents(Out + QStringLiteral("/file")), QByteArray("a file"));
}

TEST_F(ExtractSafety, ALateRefusalLeavesNothingWrittenAndNoFolderCreated)
{
    // Found on disk, after targets that could be written.
    Make({{"module.dll", "module"}, {"sub\\a.txt", "a"}, {"late.txt", "new"}});
    const QString Out = PathOf(QStringLiteral("out"));
    Write(Out + QStringLiteral("/late.txt"), "old");
    TCliRun Run = Extract(Out);
    EXPECT_EQ(Run.ExitCode, 1);
    EXPECT_TRUE(Run.Err.contains(QStringLiteral("late.txt' exists; use --force"))) << Run.Err.toStdString();
    EXPECT_EQ(Tree(Out), QStringList({"late.txt"}));

    // Found among the targets, with the folder still to be made.
    Make({{"module.dll", "module"}, {"sub\\a.txt", "a"}, {"SUB\\A.txt", "b"}});
    const QString Missing = PathOf(QStringLiteral("missing/inner"));
    Run = Extract(Missing);
    EXPECT_EQ(Run.ExitCode, 1);
    EXPECT_TRUE(Run.Err.contains(QStringLiteral("only in letter case"))) << Run.Err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(PathOf(QStringLiteral("missing"))));
}

TEST_F(ExtractSafety, NamesWindowsCannotCreateAreRefusedByExtractAndWarnedByVerify)
{
    Make({{"module.dll", "module"},
          {"ok.txt", "fine"},
          {"CON", "1"},
          {"logs\\nul.txt", "2"},
          {"a|b.txt", "3"},
          {"dir.\\x", "4"},
          {"Ok.TXT", "5"}});
    const QString Out = PathOf(QStringLiteral("out"));
    const TCliRun Run = Extract(Out);
    EXPECT_EQ(Run.ExitCode, 1);
    EXPECT_EQ(Run.Err.count(QStringLiteral("Refused target")), 5) << Run.Err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Out));

    const TCliRun Verify = RunCliWith({QStringLiteral("verify"), Package});
    EXPECT_EQ(Verify.ExitCode, 0) << Verify.Err.toStdString();
    for (const char* Target : {"'CON'", "'logs\\nul.txt'", "'a|b.txt'", "'dir.\\x'", "'Ok.TXT'"})
        EXPECT_TRUE(Verify.Out.contains(QStringLiteral("warning: target ") + QLatin1String(Target))) << Target;
    EXPECT_EQ(Verify.Out.count(QStringLiteral("warning:")), 5) << Verify.Out.toStdString();
    EXPECT_TRUE(Verify.Out.contains(QStringLiteral("sound, 1 elements, 7 embedded files")));
}

// A target can neither drive the terminal nor start a line of its own that looks like a report.
TEST_F(ExtractSafety, TargetsWithControlCharactersArePrintedEscaped)
{
    Make({{"module.dll", "module"}, {"evil\x1b]0;owned\x07\nwarning: fake.txt", "1"}});
    const TCliRun Run = Extract(PathOf(QStringLiteral("out")));
    EXPECT_EQ(Run.ExitCode, 1);
    const TCliRun Verify = RunCliWith({QStringLiteral("verify"), Package});
    for (const QString& Text : {Run.Err, Verify.Out}) {
        EXPECT_FALSE(Text.contains(QChar(0x1b))) << Text.toStdString();
        EXPECT_TRUE(Text.contains(QStringLiteral("evil\\x1b]0;owned\\x07\\x0awarning: fake.txt")))
            << Text.toStdString();
        EXPECT_FALSE(Text.contains(QStringLiteral("\nwarning: fake"))) << Text.toStdString();
    }
}

#ifdef Q_OS_UNIX
TEST_F(ExtractSafety, ForceReplacesARegularFileByRenamingKeepingItsPermissions)
{
    Make({{"module.dll", "module"}, {"kept.txt", "new bytes"}});
    const QString Out = PathOf(QStringLiteral("out"));
    const QString Target = Out + QStringLiteral("/kept.txt");
    const QString Other = PathOf(QStringLiteral("other-name.txt"));
    Write(Target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(Target).constData(), 0640), 0);
    // A second name of the same file: replaced by renaming, the old file itself stays as it was.
    ASSERT_EQ(::link(QFile::encodeName(Target).constData(), QFile::encodeName(Other).constData()), 0);
    const TCliRun Run = Extract(Out, true);
    ASSERT_EQ(Run.ExitCode, 0) << Run.Err.toStdString();
    EXPECT_EQ(Contents(Target), QByteArray("new bytes"));
    EXPECT_EQ(Contents(Other), QByteArray("old"));
    EXPECT_EQ(Tree(Out), QStringList({"kept.txt", "module.dll"}));
    struct stat Status;
    ASSERT_EQ(::stat(QFile::encodeName(Target).constData(), &Status), 0);
    EXPECT_EQ(Status.st_mode & 07777, 0640u);
    EXPECT_EQ(QFileInfo(Target).lastModified().toUTC(), Stamp);
}

TEST_F(ExtractSafety, ForceNeverReplacesAFifo)
{
    Make({{"module.dll", "module"}, {"pipe", "bytes"}});
    const QString Out = PathOf(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(Out));
    ASSERT_EQ(::mkfifo(QFile::encodeName(Out + QStringLiteral("/pipe")).constData(), 0600), 0);
    const TCliRun Run = Extract(Out, true);
    EXPECT_EQ(Run.ExitCode, 1);
    EXPECT_TRUE(Run.Err.contains(QStringLiteral("not a regular file"))) << Run.Err.toStdString();
    EXPECT_EQ(Tree(Out), QStringList({"pipe"}));
}
#endif

// Fails every read past Limit bytes, as a package that went bad halfway would.
class TFailingSource : public QBuffer
{
public:
    TFailingSource(const QByteArray& Bytes, qint64 Limit) : FLimit(Limit) { setData(Bytes); }

protected:
    qint64 readData(char* Data, qint64 Size) override
    {
        if (pos() + Size > FLimit)
            return -1;
        return QBuffer::readData(Data, Size);
    }

private:
    qint64 FLimit;
};

TEST_F(ExtractSafety, AWriteFailingLateRemovesWhatTheRunWroteAndKeepsReplacedFiles)
{
    const QByteArray Bytes = QByteArray("aaaabbbbcccc");
    TFailingSource Source(Bytes, 8);
    ASSERT_TRUE(Source.open(QIODevice::ReadOnly));
    const std::vector<TExtractFile> Files = {
        {QStringLiteral("new/deep/a.txt"), 0, 4, Stamp},
        {QStringLiteral("kept.txt"), 4, 4, Stamp},
        {QStringLiteral("late.txt"), 8, 4, Stamp},
    };

    const QString Out = PathOf(QStringLiteral("out"));
    Write(Out + QStringLiteral("/kept.txt"), "old");
    TSafeExtract Existing(Out, true);
    bool Undone = false;
    QStringList Failure = Existing.WriteAll(Source, Files, Undone);
    ASSERT_FALSE(Failure.isEmpty());
    EXPECT_TRUE(Failure.first().contains(QStringLiteral("late.txt"))) << Failure.join('\n').toStdString();
    EXPECT_TRUE(Undone);
    EXPECT_EQ(Tree(Out), QStringList({"kept.txt"}));
    EXPECT_EQ(Contents(Out + QStringLiteral("/kept.txt")), QByteArray("old"));

    // The folder and the one above it did not exist: both go again.
    TSafeExtract Fresh(PathOf(QStringLiteral("made/here")), false);
    Failure = Fresh.WriteAll(Source, Files, Undone);
    ASSERT_FALSE(Failure.isEmpty());
    EXPECT_TRUE(Undone);
    EXPECT_FALSE(QFileInfo::exists(PathOf(QStringLiteral("made"))));
}

} // namespace
