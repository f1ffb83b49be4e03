// Runs the built program itself, headless, to check what a user at a terminal sees.

#include "app/Startup.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

struct TRunCase
{
    QStringList Arguments;
    int ExitCode;
    // Empty: one line saying that there is no display.
    QString StandardError;
};

class ProgramTest : public ::testing::TestWithParam<TRunCase>
{
protected:
    static void SetUpTestSuite()
    {
        // QProcess needs an application object; the core suite has none of its own.
        static int Argc = 1;
        static char Name[] = "test_app";
        static char* Argv[] = {Name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(Argc, Argv);
    }
};

// <build>/quillon, one level above <build>/tests/test_app.
QString ProgramPath()
{
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath() + "/../quillon";
}

TEST_P(ProgramTest, RunsHeadlessAndReportsOnTheConsole)
{
    const QString Program = ProgramPath();
    if (!QFileInfo::exists(Program))
        GTEST_SKIP() << "quillon is not built";

    QProcess Process;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    Environment.remove(QStringLiteral("DISPLAY"));
    Environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    Process.setProcessEnvironment(Environment);
    Process.setStandardInputFile(QProcess::nullDevice());
    Process.start(QDir::cleanPath(Program), GetParam().Arguments);
    ASSERT_TRUE(Process.waitForFinished(30000));

    EXPECT_EQ(Process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Process.exitCode(), GetParam().ExitCode);
    const QString StandardError = QString::fromLocal8Bit(Process.readAllStandardError());
    if (GetParam().StandardError.isEmpty())
        EXPECT_TRUE(StandardError.contains("no display") && StandardError.count('\n') == 1)
            << qPrintable(StandardError);
    else
        EXPECT_EQ(StandardError, GetParam().StandardError);
    EXPECT_TRUE(Process.readAllStandardOutput().isEmpty());
}

const QString InvalidParameters = QStringLiteral("Invalid command line parameters.\n");
const QString MissingDefinition = QStringLiteral("Error opening file. File name='/tmp/a.cpd'.\n");

INSTANTIATE_TEST_SUITE_P(
    Table,
    ProgramTest,
    ::testing::Values(TRunCase{{"/c", "/fd", "a.cpd"}, 1, InvalidParameters},
                      TRunCase{{"a.cpd", "b.cpd"}, 1, InvalidParameters},
                      TRunCase{{"/c", "/fd", "a.cpd", "/fp", "b.cpk", "/x"}, 1, InvalidParameters},
                      TRunCase{{"/c", "/fd", "/tmp/a.cpd", "/fp", "/tmp/b.cpk", "-q"}, 1, MissingDefinition},
                      TRunCase{{}, 1, {}}),
    [](const ::testing::TestParamInfo<TRunCase>& Info) { return ArgumentsTestName(Info.param.Arguments); });

// A display variable left behind by a server that has gone must not abort the program.
TEST_F(ProgramTest, DisplayVariablesOfAServerThatIsGoneCountAsNoDisplay)
{
    if (!QFileInfo::exists(ProgramPath()))
        GTEST_SKIP() << "quillon is not built";
    QTemporaryDir RuntimeDirectory;
    QProcess Process;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    Environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4739"));
    Environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-gone"));
    Environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeDirectory.path());
    Process.setProcessEnvironment(Environment);
    Process.setStandardInputFile(QProcess::nullDevice());
    Process.start(QDir::cleanPath(ProgramPath()), {"/c", "/fd", "a.cpd"});
    ASSERT_TRUE(Process.waitForFinished(30000));
    EXPECT_EQ(Process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Process.exitCode(), 1);
    EXPECT_EQ(QString::fromLocal8Bit(Process.readAllStandardError()), InvalidParameters);
}

// Restores the display variables a test changes.
class DisplayEnvironment : public ::testing::Test
{
protected:
    const std::vector<const char*> Names{"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM"};
    std::vector<std::optional<QByteArray>> Saved;

    void SetUp() override
    {
        for (const char* Name : Names) {
            Saved.push_back(qEnvironmentVariableIsSet(Name) ? std::optional(qgetenv(Name)) : std::nullopt);
            qunsetenv(Name);
        }
    }
    void TearDown() override
    {
        for (size_t I = 0; I < Names.size(); ++I) {
            if (Saved[I])
                qputenv(Names[I], *Saved[I]);
            else
                qunsetenv(Names[I]);
        }
    }
};

TEST_F(DisplayEnvironment, ADisplayCountsOnlyWhileItsServerListens)
{
    EXPECT_FALSE(IsDisplayAvailable());

    QTemporaryDir RuntimeDirectory;
    const QByteArray Socket = QFile::encodeName(RuntimeDirectory.filePath(QStringLiteral("wayland-test")));
    const int Server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(Server, 0);
    sockaddr_un Address = {};
    Address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(Socket.size()), sizeof Address.sun_path);
    std::memcpy(Address.sun_path, Socket.constData(), size_t(Socket.size()));
    ASSERT_EQ(::bind(Server, reinterpret_cast<const sockaddr*>(&Address), sizeof Address), 0);
    ASSERT_EQ(::listen(Server, 4), 0);

    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(RuntimeDirectory.path()));
    qputenv("WAYLAND_DISPLAY", "wayland-test");
    EXPECT_TRUE(IsDisplayAvailable());
    qputenv("WAYLAND_DISPLAY", Socket);
    EXPECT_TRUE(IsDisplayAvailable());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EXPECT_FALSE(IsDisplayAvailable());
    qunsetenv("QT_QPA_PLATFORM");

    ::close(Server);
    EXPECT_FALSE(IsDisplayAvailable());
    qputenv("WAYLAND_DISPLAY", "wayland-missing");
    qputenv("DISPLAY", ":4739");
    EXPECT_FALSE(IsDisplayAvailable());
}

} // namespace
