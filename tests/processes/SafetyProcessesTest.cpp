// The real program under its own X server, killed and started again: unsaved work comes back, a
// second Quillon on the same file asks first, and the unattended export leaves nothing behind. The
// test is skipped only when there is no Xvfb.

#include "app/DefinitionLock.h"
#include "model/Data.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"
#include "support/XvfbServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace SampleDefinitions;

namespace {

const int Timeout = 20000;

QByteArray ReadFile(const QString& FileName)
{
    QFile File(FileName);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

class TProgram
{
public:
    TProgram(const QProcessEnvironment& Environment, const QStringList& Arguments)
    {
        FProcess.setProcessEnvironment(Environment);
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start(QStringLiteral(QUILLON_SAFETY_DRIVER), Arguments);
    }
    ~TProgram()
    {
        FProcess.closeWriteChannel();
        if (!FProcess.waitForFinished(Timeout))
            FProcess.kill();
    }

    QString Run(const QString& Command)
    {
        FProcess.write(Command.toUtf8() + '\n');
        while (!FProcess.canReadLine())
            if (!FProcess.waitForReadyRead(Timeout))
                return QStringLiteral("no answer to ") + Command;
        return QString::fromUtf8(FProcess.readLine()).trimmed();
    }
    // The text of the box the program shows once it shows one.
    QString WaitForBox()
    {
        for (int Try = 0; Try < 100; ++Try) {
            const QString Reply = Run(QStringLiteral("box"));
            if (Reply != QLatin1String("nobox"))
                return Reply.startsWith(QLatin1String("box ")) ? Reply.mid(4) : Reply;
            QThread::msleep(100);
        }
        return QStringLiteral("no box");
    }
    void KillHard()
    {
        FProcess.kill();
        FProcess.waitForFinished(Timeout);
    }
    int ExitCode()
    {
        FProcess.waitForFinished(Timeout);
        return FProcess.state() == QProcess::NotRunning ? FProcess.exitCode() : -1;
    }

private:
    QProcess FProcess;
};

class SafetyProcesses : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!TXvfbServer::Installed())
            GTEST_SKIP() << "Xvfb is not installed: the program is not tested across a crash";
        const QString ServerDisplay = Server.Start();
        ASSERT_FALSE(ServerDisplay.isEmpty()) << "Xvfb did not start";
        // The user's folders are the test's own: settings, recovery copies and runtime files.
        Environment = QProcessEnvironment::systemEnvironment();
        Environment.insert(QStringLiteral("DISPLAY"), ServerDisplay);
        Environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        Environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        for (const char* Name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
            const QString Folder = Dir.filePath(QString::fromLatin1(Name));
            QDir().mkpath(Folder);
            QFile::setPermissions(Folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            Environment.insert(QString::fromLatin1(Name), Folder);
        }
        Definition = Dir.filePath(QStringLiteral("rich.cpd"));
        TData Rich;
        BuildRich(Rich);
        WriteBytesToFile(Definition, SaveToBytes(Rich));
    }

    QStringList Copies() const
    {
        return QDir(Dir.filePath(QStringLiteral("XDG_DATA_HOME/Corvane/Sorvik/Quillon/Recovery")))
            .entryList({QStringLiteral("*.recovery")}, QDir::Files);
    }
    bool WaitForCopies(int Count) const
    {
        for (int Try = 0; Try < 100 && Copies().size() != Count; ++Try)
            QThread::msleep(100);
        return Copies().size() == Count;
    }

    TXvfbServer Server{Timeout};
    QProcessEnvironment Environment;
    QTemporaryDir Dir;
    QString Definition;
};

TEST_F(SafetyProcesses, WorkOfAKilledQuillonIsRestoredAtTheNextStartAndSavesAsEdited)
{
    const QString Edited = Dir.filePath(QStringLiteral("edited.cpd"));
    {
        TProgram First(Environment, {Definition});
        ASSERT_EQ(First.Run(QStringLiteral("title")), QStringLiteral("Quillon [%1]").arg(Definition));
        ASSERT_EQ(First.Run(QStringLiteral("select Name: Motion driver")), QStringLiteral("ok"));
        ASSERT_EQ(First.Run(QStringLiteral("cut")), QStringLiteral("ok"));
        ASSERT_EQ(First.Run(QStringLiteral("dump ") + Edited), QStringLiteral("ok"));
        ASSERT_TRUE(WaitForCopies(1));
        First.KillHard();
    }
    ASSERT_NE(ReadFile(Definition), ReadFile(Edited));

    TProgram Second(Environment, {Definition});
    const QString Box = Second.WaitForBox();
    EXPECT_TRUE(Box.startsWith(QStringLiteral("Unsaved changes to '%1' from ").arg(Definition))) << Box.toStdString();
    EXPECT_TRUE(Box.endsWith(QStringLiteral(" were recovered. Restore them?"))) << Box.toStdString();
    ASSERT_EQ(Second.Run(QStringLiteral("answer Yes")), QStringLiteral("ok"));
    EXPECT_EQ(Second.Run(QStringLiteral("modified")), QStringLiteral("yes"));
    EXPECT_EQ(Second.Run(QStringLiteral("title")), QStringLiteral("Quillon [%1]").arg(Definition));
    // The dead Quillon's lock is taken over and the file is as it left it: Save asks nothing.
    ASSERT_EQ(Second.Run(QStringLiteral("save")), QStringLiteral("ok"));
    EXPECT_EQ(Second.Run(QStringLiteral("box")), QStringLiteral("nobox"));
    EXPECT_EQ(ReadFile(Definition), ReadFile(Edited));
    EXPECT_EQ(Second.Run(QStringLiteral("quit")), QStringLiteral("ok"));
    EXPECT_EQ(Second.ExitCode(), 0);
    EXPECT_TRUE(Copies().isEmpty());
    EXPECT_FALSE(QFile::exists(TDefinitionLock::LockFileName(Definition)));
}

TEST_F(SafetyProcesses, ASecondQuillonOnTheSameFileAsksAndCancelEndsIt)
{
    TProgram First(Environment, {Definition});
    ASSERT_EQ(First.Run(QStringLiteral("title")), QStringLiteral("Quillon [%1]").arg(Definition));
    {
        TProgram Second(Environment, {Definition});
        const QString Box = Second.WaitForBox();
        EXPECT_TRUE(Box.startsWith(QStringLiteral("The file '%1' is open in another Quillon of user ").arg(Definition)))
            << Box.toStdString();
        EXPECT_TRUE(Box.endsWith(QStringLiteral(". Open it anyway?"))) << Box.toStdString();
        ASSERT_EQ(Second.Run(QStringLiteral("answer Cancel")), QStringLiteral("ok"));
        EXPECT_EQ(Second.ExitCode(), 1);
    }
    {
        TProgram Third(Environment, {Definition});
        Third.WaitForBox();
        ASSERT_EQ(Third.Run(QStringLiteral("answer OK")), QStringLiteral("ok"));
        EXPECT_EQ(Third.Run(QStringLiteral("title")), QStringLiteral("Quillon [%1]").arg(Definition));
        EXPECT_EQ(Third.Run(QStringLiteral("quit")), QStringLiteral("ok"));
    }
    // Nothing was unsaved in either: no copies, and the lock stays the first one's until it ends.
    EXPECT_TRUE(QFile::exists(TDefinitionLock::LockFileName(Definition)));
    EXPECT_EQ(First.Run(QStringLiteral("quit")), QStringLiteral("ok"));
    EXPECT_EQ(First.ExitCode(), 0);
    EXPECT_FALSE(QFile::exists(TDefinitionLock::LockFileName(Definition)));
    EXPECT_TRUE(Copies().isEmpty());
}

TEST_F(SafetyProcesses, TheUnattendedExportLocksNothingCopiesNothingAndAsksNothing)
{
    TData Exportable;
    Exportable.ID = SampleGUID(7);
    Exportable.Name = QStringLiteral("Exportable");
    WriteBytesToFile(Definition, SaveToBytes(Exportable));
    const QString Package = Dir.filePath(QStringLiteral("out.cpk"));
    TProgram Export(Environment,
                    {QStringLiteral("/c"),
                     QStringLiteral("/fd"),
                     Definition,
                     QStringLiteral("/fp"),
                     Package,
                     QStringLiteral("-q")});
    EXPECT_EQ(Export.ExitCode(), 0);
    EXPECT_TRUE(QFile::exists(Package));
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Hidden | QDir::Files),
              (QStringList{QStringLiteral("out.cpk"), QStringLiteral("rich.cpd")}));
    EXPECT_FALSE(QDir(Dir.filePath(QStringLiteral("XDG_DATA_HOME/Corvane"))).exists());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication Application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
