// Runs the built programs with a package file that cannot seek: standard output into a pipe, and a
// named pipe. The reader gets what a package file would hold, and nothing else reaches stderr.

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX

QString BuiltProgram(const char* Name)
{
    return QDir::cleanPath(QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath() +
                           QStringLiteral("/../") + QLatin1String(Name));
}

// The example names its files relative to the repository, where the programs run.
const QString Definition = QStringLiteral("examples/Demo/Demo.cpd");

struct TRun
{
    int ExitCode = -1;
    QByteArray Output;
    QString Error;
    // What a reader of the named pipe received.
    QByteArray Piped;
};

// The export ID and time zeroed: two exports of the same definition differ only there. The time
// follows the tag, header size, header tag, two GUIDs and five strings.
QByteArray WithoutStamp(QByteArray Package)
{
    if (Package.size() < 68)
        return Package;
    Package.replace(52, 16, QByteArray(16, '\0'));
    qsizetype At = 68;
    for (int I = 0; I < 5 && At + 4 <= Package.size(); ++I) {
        int32_t Length = 0;
        std::memcpy(&Length, Package.constData() + At, 4);
        At += 4 + qsizetype(std::max(Length, 0));
    }
    if (At + 8 <= Package.size())
        Package.replace(At, 8, QByteArray(8, '\0'));
    return Package;
}

class ExportToPipe : public ::testing::Test
{
protected:
    static inline QCoreApplication* Application = nullptr;
    static void SetUpTestSuite()
    {
        static int Argc = 1;
        static char Name[] = "test_app";
        static char* Argv[] = {Name, nullptr};
        if (!QCoreApplication::instance())
            Application = new QCoreApplication(Argc, Argv);
    }
    static void TearDownTestSuite()
    {
        delete Application;
        Application = nullptr;
    }

    QTemporaryDir Directory;

    QString Path(const char* Name) const { return Directory.filePath(QLatin1String(Name)); }

    // Runs Program; with a named pipe among the arguments, reads it while the program runs.
    TRun Run(const QString& Program, const QStringList& Arguments, const QString& NamedPipe = {})
    {
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        for (const char* Name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "SOURCE_DATE_EPOCH"})
            Environment.remove(QString::fromLatin1(Name));
        Environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Directory.path());
        int Reader = -1;
        if (!NamedPipe.isEmpty()) {
            // Opened before the program, so that its opening of the writing end does not wait.
            Reader = ::open(QFile::encodeName(NamedPipe).constData(), O_RDONLY | O_NONBLOCK);
            EXPECT_GE(Reader, 0);
        }
        QProcess Process;
        Process.setProcessEnvironment(Environment);
        Process.setStandardInputFile(QProcess::nullDevice());
        Process.setWorkingDirectory(QDir::cleanPath(QStringLiteral(QUILLON_TEST_DATA "/../..")));
        Process.start(Program, Arguments);
        TRun Result;
        const auto Drain = [&] {
            char Buffer[16 * 1024];
            ssize_t Got = 0;
            while (Reader >= 0 && (Got = ::read(Reader, Buffer, sizeof Buffer)) > 0)
                Result.Piped.append(Buffer, qsizetype(Got));
        };
        bool Finished = false;
        for (int Wait = 0; Wait < 3000 && !Finished; ++Wait) {
            Drain();
            Finished = Process.waitForFinished(20);
        }
        Drain();
        if (Reader >= 0)
            ::close(Reader);
        if (!Finished) {
            Process.kill();
            Process.waitForFinished();
            ADD_FAILURE() << "the program did not end";
            return Result;
        }
        EXPECT_EQ(Process.exitStatus(), QProcess::NormalExit);
        Result.ExitCode = Process.exitCode();
        Result.Output = Process.readAllStandardOutput();
        Result.Error = QString::fromLocal8Bit(Process.readAllStandardError());
        return Result;
    }

    static QByteArray Contents(const QString& FileName)
    {
        QFile File(FileName);
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
    }

    void RequirePrograms()
    {
        for (const char* Name : {"quillon", "quillon-cli"})
            if (!QFileInfo::exists(BuiltProgram(Name)))
                GTEST_SKIP() << Name << " is not built";
    }
};

TEST_F(ExportToPipe, ProgramWritesStandardOutputAndANamedPipeAsItWritesAFile)
{
    RequirePrograms();
    if (IsSkipped())
        return;
    const QString Program = BuiltProgram("quillon");
    const QString Package = Path("Demo.cpk");
    const TRun ToFile = Run(Program, {"/c", "/fd", Definition, "/fp", Package, "-q"});
    ASSERT_EQ(ToFile.ExitCode, 0) << ToFile.Error.toStdString();
    const QByteArray Expected = WithoutStamp(Contents(Package));
    ASSERT_GT(Expected.size(), 262);

    const TRun ToStandardOutput = Run(Program, {"/c", "/fd", Definition, "/fp", "/dev/stdout", "-q"});
    EXPECT_EQ(ToStandardOutput.ExitCode, 0);
    EXPECT_EQ(ToStandardOutput.Error, QString());
    EXPECT_TRUE(WithoutStamp(ToStandardOutput.Output) == Expected)
        << ToStandardOutput.Output.size() << " bytes instead of " << Expected.size();

    const QString Fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(Fifo).constData(), 0600), 0);
    const TRun ToFifo = Run(Program, {"/c", "/fd", Definition, "/fp", Fifo, "-q"}, Fifo);
    EXPECT_EQ(ToFifo.ExitCode, 0);
    EXPECT_EQ(ToFifo.Error, QString());
    EXPECT_TRUE(WithoutStamp(ToFifo.Piped) == Expected)
        << ToFifo.Piped.size() << " bytes instead of " << Expected.size();
    EXPECT_FALSE(QFileInfo(Fifo).isFile());
}

TEST_F(ExportToPipe, CompanionWritesStandardOutputAndANamedPipeAsItWritesAFile)
{
    RequirePrograms();
    if (IsSkipped())
        return;
    const QString Cli = BuiltProgram("quillon-cli");
    const QString Package = Path("Demo.cpk");
    const TRun ToFile = Run(Cli, {"export", Definition, Package, "--reproducible"});
    ASSERT_EQ(ToFile.ExitCode, 0) << ToFile.Error.toStdString();
    const QByteArray Expected = Contents(Package);

    const TRun ToStandardOutput = Run(Cli, {"export", Definition, "/dev/stdout", "--reproducible"});
    EXPECT_EQ(ToStandardOutput.ExitCode, 0);
    EXPECT_EQ(ToStandardOutput.Error, QStringLiteral("Exported '/dev/stdout'.\n"));
    EXPECT_TRUE(ToStandardOutput.Output == Expected) << ToStandardOutput.Output.size() << " bytes";

    const QString Fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(Fifo).constData(), 0600), 0);
    const TRun ToFifo = Run(Cli, {"export", Definition, Fifo, "--reproducible"}, Fifo);
    EXPECT_EQ(ToFifo.ExitCode, 0);
    EXPECT_TRUE(ToFifo.Piped == Expected) << ToFifo.Piped.size() << " bytes";
}

// A target that takes no bytes at all is a saving error naming it, not a package too large.
TEST_F(ExportToPipe, ATargetThatFailsIsASavingErrorNamingIt)
{
    RequirePrograms();
    if (IsSkipped())
        return;
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "needs a device that is always full";
    const TRun Result = Run(BuiltProgram("quillon"), {"/c", "/fd", Definition, "/fp", "/dev/full", "-q"});
    EXPECT_EQ(Result.ExitCode, 1);
    EXPECT_EQ(Result.Error, QStringLiteral("Saving error. File name='/dev/full'.\n"));
}

#endif

} // namespace
