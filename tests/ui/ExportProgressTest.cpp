#include "ui/ExportProgress.h"

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "model/PackageExport.h"
#include "samples/SampleDefinitions.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using SampleDefinitions::AddElement;
using SampleDefinitions::SampleGUID;

namespace {

// A saved definition whose export embeds a module file and a larger data file, a previous package
// in the target folder, and an export that can be held inside the worker after the module file.
class ExportProgressWindow : public ::testing::Test
{
protected:
    QTemporaryDir Dir;
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard{&Seam};
    std::unique_ptr<TMain> Window;
    std::atomic<bool> Release{false};
    std::atomic<bool> Held{false};
    const QByteArray Previous = QByteArray("the previous package");

    QString Path(const QString& Name) const { return Dir.filePath(Name); }
    QString Package() const { return Path(QStringLiteral("out/package.cpk")); }

    void SetUp() override
    {
        SetSettingsFileForTesting(Path(QStringLiteral("settings.ini")));
        SetProgramArguments({});
        QGuiApplication::setQuitOnLastWindowClosed(false);
        ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("out"))));
        ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("module/data"))));
        Put(QStringLiteral("module/module.dll"), QByteArray(5000, 'M'));
        Put(QStringLiteral("module/data/big.bin"), QByteArray(12 * 1024 * 1024, 'B'));
        Put(QStringLiteral("out/package.cpk"), Previous);

        Window = std::make_unique<TMain>();
        TData& Data = Window->Document();
        Data.ID = SampleGUID(1);
        Data.Name = QStringLiteral("P");
        auto* Module = AddElement<TCodeModule>(Data.CodeModules);
        Module->ID = SampleGUID(2);
        Module->Name = QStringLiteral("M");
        Module->Location = cmlEmbedded;
        Module->FilePath = Path(QStringLiteral("module"));
        Module->FileName = QStringLiteral("module.dll");
        auto* Support = AddElement<TSupportFile>(Module->SupportFiles);
        Support->SourceFilePath = QStringLiteral("data");
        Support->SourceFileName = QStringLiteral("*.bin");
        Seam.SaveFileNames = {Path(QStringLiteral("definition.cpd"))};
        Window->MenuItem_SaveAs->trigger();
        ASSERT_TRUE(Seam.Messages.empty());
    }

    void TearDown() override
    {
        Release = true;
        SetFileEmbeddedHookForTesting(nullptr);
        TBackgroundExport::SetDialogDelayForTesting(500);
        Window.reset();
        QGuiApplication::setQuitOnLastWindowClosed(true);
        SetSettingsFileForTesting(QString());
    }

    void Put(const QString& Name, const QByteArray& Content) const
    {
        QFile File(Path(Name));
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        ASSERT_EQ(File.write(Content), Content.size());
    }

    QByteArray Read(const QString& Name) const
    {
        QFile File(Name);
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("<missing>");
    }

    QStringList OutFolder() const
    {
        return QDir(Path(QStringLiteral("out"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // The worker waits after copying the module file until the test releases it (at most 10 s).
    void HoldAfterModuleFile()
    {
        SetFileEmbeddedHookForTesting([this](const QString& Name) {
            if (!Name.endsWith(QStringLiteral("module.dll")))
                return;
            Held = true;
            QElapsedTimer Waited;
            Waited.start();
            while (!Release && Waited.elapsed() < 10000)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        });
    }

    QProgressDialog* ProgressDialog() const
    {
        return Window->findChild<QProgressDialog*>(QStringLiteral("ExportProgress"));
    }

    // Runs Act on the window's thread once the worker is held and the dialog is up (or not after 10 s),
    // then lets the worker go on.
    void WhenHeld(const std::function<void()>& Act)
    {
        auto* Poll = new QTimer(Window.get());
        auto* Waited = new QElapsedTimer;
        Waited->start();
        QObject::connect(Poll, &QTimer::timeout, Poll, [this, Poll, Waited, Act] {
            QProgressDialog* Dialog = ProgressDialog();
            const bool Up =
                Held && Dialog && Dialog->isVisible() && Dialog->labelText().contains(QStringLiteral("module.dll"));
            if (!Up && Waited->elapsed() < 10000)
                return;
            Poll->stop();
            delete Waited;
            Act();
            Release = true;
        });
        Poll->start(5);
    }

    void Export(const QString& FileName)
    {
        Seam.SaveFileNames = {FileName};
        Window->MenuItem_Export->trigger();
    }
};

TEST_F(ExportProgressWindow, ShowsTheDialogAndCancelKeepsThePreviousPackage)
{
    TBackgroundExport::SetDialogDelayForTesting(0);
    HoldAfterModuleFile();
    const QStringList Before = OutFolder();
    bool SawDialog = false;
    bool WindowBlocked = false;
    WhenHeld([&] {
        QProgressDialog* Dialog = ProgressDialog();
        SawDialog = Dialog && Dialog->isVisible();
        // The window takes no input meanwhile: the definition cannot change under the export.
        WindowBlocked = QApplication::activeModalWidget() == Dialog;
        if (auto* Cancel = Dialog ? Dialog->findChild<QPushButton*>() : nullptr)
            Cancel->click();
    });
    Export(Package());

    EXPECT_TRUE(SawDialog);
    EXPECT_TRUE(WindowBlocked);
    EXPECT_TRUE(Seam.Messages.empty()) << Seam.Messages.front().Text.toStdString();
    EXPECT_EQ(Read(Package()), Previous);
    EXPECT_EQ(OutFolder(), Before);
    EXPECT_FALSE(ProgressDialog() && ProgressDialog()->isVisible());

    // The window is usable again and the next export writes the package, without a dialog when fast.
    TBackgroundExport::SetDialogDelayForTesting(500);
    SetFileEmbeddedHookForTesting(nullptr);
    Export(Package());
    EXPECT_TRUE(Seam.Messages.empty());
    EXPECT_GT(Read(Package()).size(), 12 * 1024 * 1024);
}

TEST_F(ExportProgressWindow, AFailureIsReportedAsBeforeAndKeepsThePreviousPackage)
{
    const QStringList Before = OutFolder();
    SetFileEmbeddedHookForTesting([](const QString& Name) {
        QFile File(Name);
        if (Name.endsWith(QStringLiteral("module.dll")) && File.open(QIODevice::Append))
            File.write("changed");
    });
    Export(Package());
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_TRUE(Seam.Messages[0].Text.startsWith(QStringLiteral("Saving error.")));
    EXPECT_TRUE(Seam.Messages[0].Text.contains(QStringLiteral("changed while it was being embedded")));
    EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::Warning);
    EXPECT_EQ(Read(Package()), Previous);
    EXPECT_EQ(OutFolder(), Before);
}

TEST_F(ExportProgressWindow, ClosingTheWindowCancelsTheExportFirst)
{
    TBackgroundExport::SetDialogDelayForTesting(0);
    HoldAfterModuleFile();
    Window->show();
    bool StillOpen = false;
    WhenHeld([&] {
        Window->close();
        StillOpen = Window->isVisible();
    });
    Export(Package());
    // The export ended first, cancelled; the window closes afterwards.
    EXPECT_TRUE(StillOpen);
    EXPECT_EQ(Read(Package()), Previous);
    QElapsedTimer Waited;
    Waited.start();
    while (Window->isVisible() && Waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(Window->isVisible());
    EXPECT_TRUE(Seam.Messages.empty());
}

} // namespace
