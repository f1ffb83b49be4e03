// Runs the built program itself to check what a user at a terminal sees, with no display, with
// display variables that lead nowhere, and with a Wayland socket that Qt cannot use.

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// <build>/quillon, one level above <build>/tests/test_app.
QString ProgramPath()
{
    return QDir::cleanPath(QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath() +
                           "/../quillon");
}

QString RepositoryRoot()
{
    return QDir::cleanPath(QStringLiteral(QUILLON_TEST_DATA "/../.."));
}

struct TProgramRun
{
    QProcess::ExitStatus Status = QProcess::CrashExit;
    int ExitCode = -1;
    QString Output;
    QString Error;
};

class Program : public ::testing::Test
{
protected:
    // QProcess needs an application object; the core suite has none of its own. It goes again
    // afterwards, so that tests of the start-up in the same process can make their own.
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

    void SetUp() override
    {
        if (!QFileInfo::exists(ProgramPath()))
            GTEST_SKIP() << "quillon is not built";
        ASSERT_TRUE(Directory.isValid());
    }

    // The environment of a terminal without any display; Display adds or replaces variables.
    TProgramRun Run(const QStringList& Arguments, const QStringList& Display = {})
    {
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        for (const char* Name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"})
            Environment.remove(QString::fromLatin1(Name));
        Environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Directory.path());
        for (const QString& Variable : Display)
            Environment.insert(Variable.section('=', 0, 0), Variable.section('=', 1));
        QProcess Process;
        Process.setProcessEnvironment(Environment);
        Process.setWorkingDirectory(RepositoryRoot());
        Process.setStandardInputFile(QProcess::nullDevice());
        Process.start(ProgramPath(), Arguments);
        TProgramRun Result;
        if (!Process.waitForFinished(60000))
            return Result;
        Result.Status = Process.exitStatus();
        Result.ExitCode = Process.exitCode();
        Result.Output = QString::fromLocal8Bit(Process.readAllStandardOutput());
        Result.Error = QString::fromLocal8Bit(Process.readAllStandardError());
        return Result;
    }

    QTemporaryDir Directory;
};

const QString InvalidParameters = QStringLiteral("Invalid command line parameters.\n");
const QString NoDisplay =
    QStringLiteral("Quillon cannot show its main window: no display is available. For an unattended export use /c "
                   "/fd <definition file> /fp <package file>.\n");

TEST_F(Program, ReportsMalformedAndFailingCommandLinesOnTheConsole)
{
    const struct
    {
        QStringList Arguments;
        QString Error;
    } Cases[] = {
        {{"/c", "/fd", "a.cpd"}, InvalidParameters},
        {{"a.cpd", "b.cpd"}, InvalidParameters},
        {{"/c", "/fd", "a.cpd", "/fp", "b.cpk", "/x"}, InvalidParameters},
        {{"/c", "/fd", "missing.cpd", "/fp", "b.cpk", "-q"},
         QStringLiteral("Error opening file. File name='missing.cpd'.\n")},
        {{}, NoDisplay},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(ArgumentsTestName(Case.Arguments));
        const TProgramRun Result = Run(Case.Arguments);
        EXPECT_EQ(Result.Status, QProcess::NormalExit);
        EXPECT_EQ(Result.ExitCode, 1);
        EXPECT_EQ(Result.Error, Case.Error);
        EXPECT_EQ(Result.Output, QString());
    }
}

// A display variable whose server is gone (a closed session, a stale forwarded display in a new
// shell) or a Wayland socket that Qt has no plugin for: the program behaves as without a display.
class DisplayThatLeadsNowhere : public Program, public ::testing::WithParamInterface<QStringList>
{
protected:
    void SetUp() override
    {
        Program::SetUp();
        if (IsSkipped() || !GetParam().contains(QStringLiteral("WAYLAND_DISPLAY=wayland-q")))
            return;
        // With the plugin, Qt would wait on a server that never answers.
        const QDir Plugins(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
        if (!Plugins.entryList({QStringLiteral("*wayland*")}).isEmpty())
            GTEST_SKIP() << "Qt has a Wayland plugin here";
        const QByteArray Socket = QFile::encodeName(Directory.filePath(QStringLiteral("wayland-q")));
        Server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(Server, 0);
        sockaddr_un Address = {};
        Address.sun_family = AF_UNIX;
        ASSERT_LT(size_t(Socket.size()), sizeof Address.sun_path);
        std::memcpy(Address.sun_path, Socket.constData(), size_t(Socket.size()));
        ASSERT_EQ(::bind(Server, reinterpret_cast<const sockaddr*>(&Address), sizeof Address), 0);
        ASSERT_EQ(::listen(Server, 4), 0);
    }
    void TearDown() override
    {
        if (Server >= 0)
            ::close(Server);
    }

    int Server = -1;
};

TEST_P(DisplayThatLeadsNowhere, ExportsReportsAndRefusesTheWindowAsWithoutADisplay)
{
    const QString Package = Directory.filePath(QStringLiteral("Demo.cpk"));
    TProgramRun Result = Run({"/c", "/fd", "examples/Demo/Demo.cpd", "/fp", Package, "-q"}, GetParam());
    EXPECT_EQ(Result.Status, QProcess::NormalExit);
    EXPECT_EQ(Result.ExitCode, 0);
    EXPECT_EQ(Result.Error, QString());
    EXPECT_TRUE(QFileInfo(Package).size() > 0);

    Result = Run({"/c", "/fd", "missing.cpd", "/fp", Package, "-q"}, GetParam());
    EXPECT_EQ(Result.Status, QProcess::NormalExit);
    EXPECT_EQ(Result.ExitCode, 1);
    EXPECT_EQ(Result.Error, QStringLiteral("Error opening file. File name='missing.cpd'.\n"));

    Result = Run({}, GetParam());
    EXPECT_EQ(Result.Status, QProcess::NormalExit);
    EXPECT_EQ(Result.ExitCode, 1);
    EXPECT_EQ(Result.Error, NoDisplay);
}

INSTANTIATE_TEST_SUITE_P(Environments,
                         DisplayThatLeadsNowhere,
                         ::testing::Values(QStringList{"DISPLAY=localhost:97"},
                                           QStringList{"DISPLAY=127.0.0.1:97.0"},
                                           QStringList{"DISPLAY=localhost:10.0"},
                                           QStringList{"DISPLAY=localhost:10.0", "XDG_RUNTIME_DIR="},
                                           QStringList{"DISPLAY=:4739", "WAYLAND_DISPLAY=wayland-gone"},
                                           QStringList{"WAYLAND_DISPLAY=wayland-q", "XDG_SESSION_TYPE=wayland"},
                                           QStringList{"WAYLAND_DISPLAY=wayland-q"}),
                         [](const ::testing::TestParamInfo<QStringList>& Info) {
                             return ArgumentsTestName(Info.param);
                         });

} // namespace
