#include "ui/DocumentGuard.h"

#include "app/CommandLine.h"
#include "app/DefinitionLock.h"
#include "app/RecoveryStore.h"
#include "app/Settings.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"
#include "ui/MainWindow.h"
#include "ui/UndoHistory.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace SampleDefinitions;

namespace {

QByteArray ReadFile(const QString& FileName)
{
    QFile File(FileName);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

// Windows of this process with the safety net on, their recovery folder in a folder of the test's.
class DocumentGuard : public ::testing::Test
{
protected:
    DocumentGuard()
        : Guard(&Seam),
          Net({.Enabled = true, .RecoveryFolder = Dir.filePath(QStringLiteral("recovery")), .RecoveryDelay = 10})
    {
        SetSettingsFileForTesting(Dir.filePath(QStringLiteral("settings.ini")));
        SetProgramArguments({});
        QGuiApplication::setQuitOnLastWindowClosed(false);
        Rich = WriteDocument(QStringLiteral("rich.cpd"), BuildRich);
    }
    ~DocumentGuard() override
    {
        QGuiApplication::setQuitOnLastWindowClosed(true);
        SetSettingsFileForTesting(QString());
        SetProgramArguments({});
    }

    QString WriteDocument(const QString& Name, const std::function<void(TData&)>& Fill)
    {
        TData Data;
        Fill(Data);
        WriteBytesToFile(Dir.filePath(Name), SaveToBytes(Data));
        return Dir.filePath(Name);
    }

    // A window as the program makes it, after its first turn of the event loop.
    std::unique_ptr<TMain> Start(const QStringList& Arguments = {})
    {
        SetProgramArguments(Arguments);
        auto Window = std::make_unique<TMain>();
        QCoreApplication::processEvents();
        return Window;
    }

    static void Edit(TMain& Window, const QString& Name)
    {
        Window.RunCommand(QStringLiteral("Edit"), [&] {
            Window.Document().Name = Name;
            return TCommandOutcome{.Changed = true, .Select = nullptr, .Subject = {}};
        });
    }

    QStringList Copies() const
    {
        return QDir(Dir.filePath(QStringLiteral("recovery"))).entryList({QStringLiteral("*.recovery")}, QDir::Files);
    }

    bool WaitForCopies(int Count) const
    {
        return QTest::qWaitFor([&] { return Copies().size() == Count; }, 5000);
    }

    QStringList MessageTexts() const
    {
        QStringList Texts;
        for (const auto& Message : Seam.Messages)
            Texts << Message.Text;
        return Texts;
    }

    QTemporaryDir Dir;
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard;
    TSafetyNetScope Net;
    QString Rich;
};

TEST_F(DocumentGuard, AWindowThatDiedWithChangesIsOfferedAndRestoredUnderItsFileName)
{
    QByteArray Edited;
    {
        auto Window = Start({Rich});
        Edit(*Window, QStringLiteral("Edited once"));
        Edit(*Window, QStringLiteral("Edited twice"));
        Edited = SaveToBytes(Window->Document());
        ASSERT_TRUE(WaitForCopies(1));
        // Gone without its close query, as in a crash: the copy stays.
    }
    ASSERT_EQ(Copies().size(), 1);
    EXPECT_TRUE(Seam.Messages.empty());

    auto Window = Start();
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_TRUE(Seam.Messages[0].Text.startsWith(QStringLiteral("Unsaved changes to '%1' from ").arg(Rich)));
    EXPECT_TRUE(Seam.Messages[0].Text.endsWith(QStringLiteral(" were recovered. Restore them?")));
    EXPECT_EQ(Seam.Messages[0].Buttons, TMessageButtons::YesNo);
    EXPECT_EQ(Window->DocumentFileName(), Rich);
    EXPECT_TRUE(Window->Modified());
    EXPECT_EQ(SaveToBytes(Window->Document()), Edited);
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Quillon [%1]").arg(Rich));
    // The restored work is this window's copy now; the dead one's is gone.
    EXPECT_EQ(Copies().size(), 1);

    // The file on disk is what the first window loaded: Save asks nothing and removes the copy.
    EXPECT_TRUE(Window->Save());
    EXPECT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(ReadFile(Rich), Edited);
    EXPECT_TRUE(WaitForCopies(0));
}

TEST_F(DocumentGuard, DecliningDeletesTheCopyAndANeverSavedDocumentIsNamedAsNew)
{
    {
        auto Window = Start();
        Edit(*Window, QStringLiteral("Untitled work"));
        ASSERT_TRUE(WaitForCopies(1));
    }
    Seam.Answers = {TMessageResult::No};
    auto Window = Start();
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_TRUE(Seam.Messages[0].Text.startsWith(QStringLiteral("Unsaved changes to a new definition from ")));
    EXPECT_FALSE(Window->Modified());
    EXPECT_EQ(Copies().size(), 0);
    Window.reset();
    Start();
    EXPECT_EQ(Seam.Messages.size(), 1u);
}

TEST_F(DocumentGuard, TheCopyGoesWithSaveNewOpenAndAnsweredExitAndNeverComesWithoutChanges)
{
    enum TEnd
    {
        Save,
        NewDroppingChanges,
        OpenDroppingChanges,
        ExitDroppingChanges,
        ExitSaving,
        UndoneToSaved,
    };
    for (const TEnd End :
         {Save, NewDroppingChanges, OpenDroppingChanges, ExitDroppingChanges, ExitSaving, UndoneToSaved}) {
        SCOPED_TRACE(testing::Message() << "end " << End);
        Seam.Messages.clear();
        auto Window = Start({Rich});
        Window->show();
        // Each end edits anew: the saving ends leave the last name in the file.
        Edit(*Window, QStringLiteral("Edited %1").arg(int(End)));
        ASSERT_TRUE(WaitForCopies(1));
        switch (End) {
        case Save:
            EXPECT_TRUE(Window->Save());
            break;
        case NewDroppingChanges:
            Seam.Answers = {TMessageResult::No};
            Window->MenuItem_New->trigger();
            break;
        case OpenDroppingChanges:
            Seam.Answers = {TMessageResult::No};
            Seam.OpenFileNames = {Rich};
            Window->MenuItem_Open->trigger();
            break;
        case ExitDroppingChanges:
            Seam.Answers = {TMessageResult::No};
            EXPECT_TRUE(Window->close());
            break;
        case ExitSaving:
            Seam.Answers = {TMessageResult::Yes};
            EXPECT_TRUE(Window->close());
            break;
        case UndoneToSaved:
            Window->History().Undo();
            EXPECT_FALSE(Window->Modified());
            break;
        }
        EXPECT_TRUE(WaitForCopies(0));
        Window.reset();
        EXPECT_EQ(Copies().size(), 0);
    }
    // Opened, looked at, closed or dropped: nothing is written to the recovery folder at all.
    QDir(Dir.filePath(QStringLiteral("recovery"))).removeRecursively();
    {
        auto Window = Start({Rich});
        Window->UpdateView();
        QTest::qWait(50);
    }
    EXPECT_FALSE(QDir(Dir.filePath(QStringLiteral("recovery"))).exists());
}

TEST_F(DocumentGuard, ASecondWindowOnALockedFileAsksAndCancelLeavesItsDocumentAlone)
{
    auto First = Start({Rich});
    EXPECT_TRUE(QFile::exists(TDefinitionLock::LockFileName(Rich)));
    EXPECT_EQ(QFileInfo(TDefinitionLock::LockFileName(Rich)).fileName(), QStringLiteral(".rich.cpd.lock"));

    const QString Other = WriteDocument(QStringLiteral("other.cpd"), [](TData& Data) { Data.Name = "Other"; });
    auto Second = Start({Other});
    Seam.Answers = {TMessageResult::Cancel};
    Seam.OpenFileNames = {Rich};
    Second->MenuItem_Open->trigger();
    ASSERT_EQ(Seam.Messages.size(), 1u);
    const QString Text = Seam.Messages[0].Text;
    EXPECT_TRUE(Text.startsWith(QStringLiteral("The file '%1' is open in another Quillon of user ").arg(Rich)))
        << Text.toStdString();
    EXPECT_TRUE(Text.contains(QStringLiteral(" on machine %1 since ").arg(QSysInfo::machineHostName())));
    EXPECT_TRUE(Text.endsWith(QStringLiteral(". Open it anyway?")));
    EXPECT_EQ(Seam.Messages[0].Buttons, TMessageButtons::OKCancel);
    EXPECT_EQ(Second->DocumentFileName(), Other);
    EXPECT_EQ(Second->Document().Name, QStringLiteral("Other"));

    // Open anyway: the document opens, the first window keeps its lock.
    Seam.Answers = {TMessageResult::OK};
    Seam.OpenFileNames = {Rich};
    EXPECT_TRUE(Second->OpenDocument());
    EXPECT_EQ(Second->DocumentFileName(), Rich);
    EXPECT_EQ(Seam.Messages.size(), 2u);

    // New lets the lock go: the next window asks nothing.
    First->NewDocument();
    EXPECT_FALSE(QFile::exists(TDefinitionLock::LockFileName(Rich)));
    Seam.Messages.clear();
    auto Third = Start({Rich});
    EXPECT_TRUE(Seam.Messages.empty());
    EXPECT_EQ(Third->DocumentFileName(), Rich);
    Third.reset();
    EXPECT_FALSE(QFile::exists(TDefinitionLock::LockFileName(Rich)));
}

TEST_F(DocumentGuard, SaveOverAFileChangedOnDiskAsksFirst)
{
    auto Window = Start({Rich});
    Edit(*Window, QStringLiteral("Mine"));
    const QString Theirs = WriteDocument(QStringLiteral("theirs.cpd"), [](TData& Data) { Data.Name = "Theirs"; });
    const QByteArray TheirBytes = ReadFile(Theirs);
    ASSERT_TRUE(QFile::remove(Rich));
    ASSERT_TRUE(QFile::copy(Theirs, Rich));

    Seam.Answers = {TMessageResult::No};
    EXPECT_FALSE(Window->Save());
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Text,
              QStringLiteral("The file '%1' was changed by another program. Overwrite it?").arg(Rich));
    EXPECT_EQ(Seam.Messages[0].Buttons, TMessageButtons::YesNo);
    EXPECT_EQ(ReadFile(Rich), TheirBytes);
    EXPECT_TRUE(Window->Modified());

    Seam.Answers = {TMessageResult::Yes};
    EXPECT_TRUE(Window->Save());
    EXPECT_EQ(ReadFile(Rich), SaveToBytes(Window->Document()));
    // Saved over: the disk is what this window wrote, a later Save asks nothing.
    Edit(*Window, QStringLiteral("Mine again"));
    EXPECT_TRUE(Window->Save());
    EXPECT_EQ(Seam.Messages.size(), 2u);

    // Touched but holding the same bytes is no change.
    QFile File(Rich);
    ASSERT_TRUE(File.open(QIODevice::ReadWrite));
    ASSERT_TRUE(File.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    File.close();
    EXPECT_TRUE(Window->Save());
    EXPECT_EQ(Seam.Messages.size(), 2u);
}

TEST_F(DocumentGuard, ActivationOffersAReloadOrTellsOnceAboutUnsavedChanges)
{
    auto Window = Start({Rich});
    const auto Activate = [&] {
        QEvent Event(QEvent::WindowActivate);
        QCoreApplication::sendEvent(Window.get(), &Event);
        QCoreApplication::processEvents();
    };
    Activate();
    EXPECT_TRUE(Seam.Messages.empty());

    const QString Theirs = WriteDocument(QStringLiteral("theirs.cpd"), [](TData& Data) { Data.Name = "Theirs"; });
    WriteBytesToFile(Rich, ReadFile(Theirs));
    Seam.Answers = {TMessageResult::Yes};
    Activate();
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Text,
              QStringLiteral("The file '%1' was changed by another program. Reload it?").arg(Rich));
    EXPECT_EQ(Window->Document().Name, QStringLiteral("Theirs"));
    EXPECT_FALSE(Window->Modified());
    Activate();
    EXPECT_EQ(Seam.Messages.size(), 1u);

    // Declined: asked once, and Save still knows the file is not what was loaded.
    WriteDocument(QStringLiteral("rich.cpd"), BuildRich);
    Seam.Answers = {TMessageResult::No};
    Activate();
    Activate();
    EXPECT_EQ(Seam.Messages.size(), 2u);
    EXPECT_EQ(Window->Document().Name, QStringLiteral("Theirs"));

    // With unsaved changes the window only tells, once per change on disk.
    Seam.Answers = {TMessageResult::Yes};
    ASSERT_TRUE(Window->Save());
    ASSERT_EQ(Seam.Messages.size(), 3u);
    EXPECT_EQ(Seam.Messages[2].Text,
              QStringLiteral("The file '%1' was changed by another program. Overwrite it?").arg(Rich));
    Edit(*Window, QStringLiteral("Unsaved"));
    WriteDocument(QStringLiteral("rich.cpd"), [](TData& Data) { Data.Name = "Third party"; });
    Activate();
    Activate();
    ASSERT_EQ(Seam.Messages.size(), 4u);
    EXPECT_EQ(Seam.Messages[3].Text,
              QStringLiteral("The file '%1' was changed by another program. The document keeps its unsaved changes; "
                             "Save will ask before overwriting the file.")
                  .arg(Rich));
    EXPECT_EQ(Seam.Messages[3].Buttons, TMessageButtons::OK);
    EXPECT_EQ(Window->Document().Name, QStringLiteral("Unsaved"));
    Seam.Answers = {TMessageResult::No};
    EXPECT_FALSE(Window->Save());
    EXPECT_EQ(Seam.Messages.size(), 5u);
}

TEST_F(DocumentGuard, WithoutTheNetAWindowLocksCopiesAndAsksNothing)
{
    const TSafetyNetScope Off({});
    auto Window = Start({Rich});
    Edit(*Window, QStringLiteral("Edited"));
    QTest::qWait(50);
    EXPECT_FALSE(QFile::exists(TDefinitionLock::LockFileName(Rich)));
    EXPECT_FALSE(QDir(Dir.filePath(QStringLiteral("recovery"))).exists());
    WriteDocument(QStringLiteral("rich.cpd"), [](TData&) {});
    EXPECT_TRUE(Window->Save());
    EXPECT_TRUE(Seam.Messages.empty());
}

} // namespace
