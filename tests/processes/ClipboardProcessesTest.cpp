// Two running windows on one real X clipboard: what one copies, another pastes, for as long as the
// first keeps running. The test runs its own X server and is skipped only when there is none.

#include "model/Data.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"
#include "support/XvfbServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace SampleDefinitions;

namespace {

const int Timeout = 20000;

class TDriverProcess
{
public:
    explicit TDriverProcess(const QString& Display)
    {
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        Environment.insert(QStringLiteral("DISPLAY"), Display);
        Environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        Environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        // The window's own runtime folder, as a desktop session would give it.
        Environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), FRuntime.path());
        FProcess.setProcessEnvironment(Environment);
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start(QStringLiteral(QUILLON_CLIPBOARD_DRIVER), {});
    }
    ~TDriverProcess()
    {
        FProcess.closeWriteChannel();
        if (!FProcess.waitForFinished(Timeout))
            FProcess.kill();
    }

    // The driver's answer to one command.
    QString Run(const QString& Command)
    {
        FProcess.write(Command.toUtf8() + '\n');
        while (!FProcess.canReadLine())
            if (!FProcess.waitForReadyRead(Timeout))
                return QStringLiteral("no answer to ") + Command;
        return QString::fromUtf8(FProcess.readLine()).trimmed();
    }
    bool Running() const { return FProcess.state() == QProcess::Running; }

private:
    QTemporaryDir FRuntime;
    QProcess FProcess;
};

class ClipboardProcesses : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!TXvfbServer::Installed())
            GTEST_SKIP() << "Xvfb is not installed: the clipboard between two processes is not tested";
        const QString ServerDisplay = Server.Start();
        ASSERT_FALSE(ServerDisplay.isEmpty()) << "Xvfb did not start";
        Display = ServerDisplay;
    }

    QString WriteDefinition(const QString& Name, const std::function<void(TData&)>& Fill)
    {
        TData Data;
        Fill(Data);
        WriteBytesToFile(Dir.filePath(Name), SaveToBytes(Data));
        return Dir.filePath(Name);
    }
    static QStringList DriverLines(const QString& FileName)
    {
        TData Data;
        QFile File(FileName);
        if (!File.open(QIODevice::ReadOnly))
            return {QStringLiteral("missing ") + FileName};
        LoadFromBytes(Data, File.readAll());
        QStringList Lines;
        for (int32_t I = 0; I < Data.Drivers.Count(); ++I)
            Lines << Data.Drivers.Items(I)->Name + QLatin1Char(' ') + Data.Drivers.Items(I)->ID.ToString();
        return Lines;
    }

    TXvfbServer Server{Timeout};
    QString Display;
    QTemporaryDir Dir;
};

TEST_F(ClipboardProcesses, DriversCopiedInOneArePastedInAnotherWithTheirIdsAndSorted)
{
    const QString Source = WriteDefinition(QStringLiteral("source.cpd"), BuildRich);
    const QString Target = WriteDefinition(QStringLiteral("target.cpd"), [](TData& Data) {
        auto* Driver = AddElement<TDriver>(Data.Drivers);
        Driver->ID = SampleGUID(500);
        Driver->Name = QStringLiteral("Lidar driver");
    });
    const QString Lidar = QStringLiteral("Lidar driver ") + SampleGUID(500).ToString();
    const QStringList Rich = DriverLines(Source);
    ASSERT_EQ(Rich.size(), 2);

    TDriverProcess Copier(Display);
    ASSERT_EQ(Copier.Run(QStringLiteral("open ") + Source), QStringLiteral("ok"));
    ASSERT_EQ(Copier.Run(QStringLiteral("select Name: Motion driver")), QStringLiteral("ok"));
    ASSERT_EQ(Copier.Run(QStringLiteral("copy")), QStringLiteral("ok"));
    {
        TDriverProcess Paster(Display);
        ASSERT_EQ(Paster.Run(QStringLiteral("open ") + Target), QStringLiteral("ok"));
        ASSERT_EQ(Paster.Run(QStringLiteral("select Drivers")), QStringLiteral("ok"));
        EXPECT_EQ(Paster.Run(QStringLiteral("paste")), QStringLiteral("ok"));

        ASSERT_EQ(Copier.Run(QStringLiteral("select Drivers")), QStringLiteral("ok"));
        ASSERT_EQ(Copier.Run(QStringLiteral("copy")), QStringLiteral("ok"));
        ASSERT_EQ(Paster.Run(QStringLiteral("select Drivers")), QStringLiteral("ok"));
        EXPECT_EQ(Paster.Run(QStringLiteral("paste")), QStringLiteral("ok"));
        EXPECT_EQ(Paster.Run(QStringLiteral("save ") + Dir.filePath(QStringLiteral("pasted.cpd"))),
                  QStringLiteral("ok"));
        EXPECT_EQ(Paster.Run(QStringLiteral("quit")), QStringLiteral("ok"));
    }
    EXPECT_EQ(DriverLines(Dir.filePath(QStringLiteral("pasted.cpd"))), (QStringList{Rich[0], Lidar, Rich[1], Rich[1]}));

    // The pasting window has gone; the copy is still there while its own window runs.
    ASSERT_TRUE(Copier.Running());
    TDriverProcess Later(Display);
    ASSERT_EQ(Later.Run(QStringLiteral("open ") + Target), QStringLiteral("ok"));
    ASSERT_EQ(Later.Run(QStringLiteral("select Drivers")), QStringLiteral("ok"));
    EXPECT_EQ(Later.Run(QStringLiteral("paste")), QStringLiteral("ok"));
    EXPECT_EQ(Later.Run(QStringLiteral("save ") + Dir.filePath(QStringLiteral("later.cpd"))), QStringLiteral("ok"));
    EXPECT_EQ(DriverLines(Dir.filePath(QStringLiteral("later.cpd"))), (QStringList{Rich[0], Lidar, Rich[1]}));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication Application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
