// Runs the built program itself, headless, to check what a user at a terminal sees.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

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

TEST_P(ProgramTest, RunsHeadlessAndReportsOnTheConsole)
{
    // <build>/quillon, one level above <build>/tests/test_app.
    const QString Program =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath() + "/../quillon";
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
                      TRunCase{{}, 1, {}}));

} // namespace
