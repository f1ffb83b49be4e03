// Runs the built program itself, headless, to check what a user at a terminal sees.

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// <build>/quillon, one level above <build>/tests/test_app.
QString ProgramPath()
{
    const QString Self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(Self).dir().absoluteFilePath(QStringLiteral("../quillon"));
}

struct TRunCase
{
    QStringList Arguments;
    int ExitCode;
    QString StandardError;
};

void PrintTo(const TRunCase& Case, std::ostream* Stream)
{
    *Stream << Case.Arguments.join(QLatin1Char(' ')).toStdString();
}

class ProgramTest : public ::testing::TestWithParam<TRunCase>
{
protected:
    static void SetUpTestSuite()
    {
        // QProcess needs an application object; the core suite has none of its own.
        if (!QCoreApplication::instance()) {
            static int Argc = 1;
            static char Name[] = "test_app";
            static char* Argv[] = {Name, nullptr};
            new QCoreApplication(Argc, Argv);
        }
    }
};

TEST_P(ProgramTest, RunsHeadlessAndReportsOnTheConsole)
{
    if (!QFileInfo::exists(ProgramPath()))
        GTEST_SKIP() << "quillon is not built at " << ProgramPath().toStdString();

    QProcess Process;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    Environment.remove(QStringLiteral("DISPLAY"));
    Environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    Process.setProcessEnvironment(Environment);
    Process.setStandardInputFile(QProcess::nullDevice());
    Process.start(ProgramPath(), GetParam().Arguments);
    ASSERT_TRUE(Process.waitForFinished(30000));

    EXPECT_EQ(Process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Process.exitCode(), GetParam().ExitCode);
    const QString StandardError = QString::fromLocal8Bit(Process.readAllStandardError());
    if (GetParam().StandardError.isEmpty()) {
        EXPECT_EQ(StandardError.count(QLatin1Char('\n')), 1) << StandardError.toStdString();
        EXPECT_TRUE(StandardError.contains(QStringLiteral("no display"))) << StandardError.toStdString();
    } else {
        EXPECT_EQ(StandardError, GetParam().StandardError);
    }
    EXPECT_TRUE(Process.readAllStandardOutput().isEmpty());
}

const QString InvalidParameters = QStringLiteral("Invalid command line parameters.\n");

INSTANTIATE_TEST_SUITE_P(
    Table,
    ProgramTest,
    ::testing::Values(TRunCase{{"/c", "/fd", "a.cpd"}, 1, InvalidParameters},
                      TRunCase{{"a.cpd", "b.cpd"}, 1, InvalidParameters},
                      TRunCase{{"/c", "/fd", "a.cpd", "/fp", "b.cpk", "/x"}, 1, InvalidParameters},
                      TRunCase{{"/c", "/fd", "/tmp/a.cpd", "/fp", "/tmp/b.cpk", "-q"}, 1, "Not implemented.\n"},
                      // An interactive start without a display says so on one line.
                      TRunCase{{}, 1, {}}));

} // namespace
