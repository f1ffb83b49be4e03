#include "ui/RecentFiles.h"

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"
#include "ui/MainWindow.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace SampleDefinitions;

namespace {

QStringList EntryTexts(const QMenu* Menu)
{
    QStringList Texts;
    for (const QAction* Item : Menu->actions())
        if (Item->isVisible())
            Texts << (Item->isSeparator() ? QString() : Item->text());
    return Texts;
}

QAction* Entry(const QMenu* Menu, qsizetype Index)
{
    return Menu->actions().value(Index);
}

class RecentFilesList : public ::testing::Test
{
protected:
    RecentFilesList() { SetSettingsFileForTesting(Dir.filePath(QStringLiteral("settings.ini"))); }
    ~RecentFilesList() override { SetSettingsFileForTesting(QString()); }

    QTemporaryDir Dir;
    QMenu Menu;
    QStringList Opened;
    TRecentFiles Files{&Menu, [this](const QString& FileName) { Opened << FileName; }};
};

TEST_F(RecentFilesList, KeepsEightMostRecentFirstWithoutRepeatsAndEndsWithClearList)
{
    EXPECT_FALSE(Menu.menuAction()->isEnabled()) << "nothing to offer yet";
    Files.Add(QStringLiteral("/defs/R&D.cpd"));
    EXPECT_EQ(EntryTexts(&Menu).first(), QStringLiteral("&1 R&&D.cpd")) << "no mnemonic from the name";
    for (int I = 1; I <= 10; ++I)
        Files.Add(QStringLiteral("/defs/p%1.cpd").arg(I));
    Files.Add(QStringLiteral("/defs/./p5.cpd")); // the same file again moves to the top
    ASSERT_EQ(Files.Files().size(), 8);
    EXPECT_EQ(Files.Files().first(), QStringLiteral("/defs/./p5.cpd"));
    EXPECT_EQ(Files.Files().mid(1),
              QStringList({"/defs/p10.cpd",
                           "/defs/p9.cpd",
                           "/defs/p8.cpd",
                           "/defs/p7.cpd",
                           "/defs/p6.cpd",
                           "/defs/p4.cpd",
                           "/defs/p3.cpd"}));

    const QStringList Texts = EntryTexts(&Menu);
    ASSERT_EQ(Texts.size(), 10);
    EXPECT_EQ(Texts.first(), QStringLiteral("&1 p5.cpd"));
    EXPECT_EQ(Texts.at(7), QStringLiteral("&8 p3.cpd"));
    EXPECT_EQ(Texts.mid(8), QStringList({QString(), QStringLiteral("Clear list")}));
    EXPECT_EQ(Entry(&Menu, 1)->toolTip(), QDir::toNativeSeparators(QStringLiteral("/defs/p10.cpd")));
    EXPECT_EQ(Entry(&Menu, 1)->statusTip(), Entry(&Menu, 1)->toolTip());
    EXPECT_TRUE(Menu.menuAction()->isEnabled());

    // A screen reader reads the entry without its mnemonic marker.
    QAccessibleInterface* Read = QAccessible::queryAccessibleInterface(&Menu);
    ASSERT_NE(Read, nullptr);
    ASSERT_NE(Read->child(0), nullptr);
    EXPECT_EQ(Read->child(0)->text(QAccessible::Name), QStringLiteral("1 p5.cpd"));

    Entry(&Menu, 2)->trigger();
    EXPECT_EQ(Opened, QStringList({"/defs/p9.cpd"}));

    Files.Remove(QStringLiteral("/defs/p9.cpd"));
    EXPECT_FALSE(Files.Files().contains(QStringLiteral("/defs/p9.cpd")));
    EXPECT_EQ(EntryTexts(&Menu).at(2), QStringLiteral("&3 p8.cpd"));

    Files.ClearAction()->trigger();
    EXPECT_TRUE(Files.Files().isEmpty());
    EXPECT_EQ(EntryTexts(&Menu), QStringList({QStringLiteral("Clear list")}));
    EXPECT_FALSE(Files.ClearAction()->isEnabled());
    EXPECT_FALSE(Menu.menuAction()->isEnabled());
}

// What another program or a hand edit left in the store is taken only as far as it makes sense.
TEST_F(RecentFilesList, ReadsTheStoreTolerantlyAndWritesItBack)
{
    {
        QSettings Store(Dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        QStringList Stored{QStringLiteral("/a, with comma.cpd"), QString(), QStringLiteral("/a, with comma.cpd")};
        for (int I = 0; I < 12; ++I)
            Stored << QStringLiteral("/many/%1.cpd").arg(I);
        Store.setValue(QStringLiteral("RecentFiles"), Stored);
    }
    const TUserSettings Settings;
    Files.Read(Settings);
    ASSERT_EQ(Files.Files().size(), 8);
    EXPECT_EQ(Files.Files().first(), QStringLiteral("/a, with comma.cpd"));
    EXPECT_EQ(Files.Files().at(1), QStringLiteral("/many/0.cpd"));

    Files.Clear();
    Files.Add(QStringLiteral("/a, with comma.cpd"));
    {
        TUserSettings Writable;
        Files.Write(Writable);
        Writable.Flush();
    }
    QMenu OtherMenu;
    TRecentFiles Other(&OtherMenu, [](const QString&) {});
    Other.Read(TUserSettings());
    EXPECT_EQ(Other.Files(), QStringList({"/a, with comma.cpd"})) << "one name with a comma stays one name";
}

// The window: its own settings file, scripted boxes and dialogs, and a command line.
class RecentFilesWindow : public ::testing::Test
{
protected:
    RecentFilesWindow() : Guard(&Seam)
    {
        SetSettingsFileForTesting(Dir.filePath(QStringLiteral("settings.ini")));
        SetProgramArguments({});
        QGuiApplication::setQuitOnLastWindowClosed(false);
    }
    ~RecentFilesWindow() override
    {
        QGuiApplication::setQuitOnLastWindowClosed(true);
        SetSettingsFileForTesting(QString());
        SetProgramArguments({});
    }

    QString WriteDefinition(const QString& Name, const QString& PackageName = QStringLiteral("Sample"))
    {
        TData Data;
        BuildRich(Data);
        Data.Name = PackageName;
        WriteBytesToFile(Dir.filePath(Name), SaveToBytes(Data));
        return Dir.filePath(Name);
    }

    std::unique_ptr<TMain> Start(const QStringList& Arguments = {})
    {
        SetProgramArguments(Arguments);
        return std::make_unique<TMain>();
    }

    QTemporaryDir Dir;
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard;
};

TEST_F(RecentFilesWindow, OpenRecentFollowsOpenInTheFileMenuAndIsRememberedAcrossRuns)
{
    const QString First = WriteDefinition(QStringLiteral("first.cpd"));
    const QString Second = WriteDefinition(QStringLiteral("second.cpd"));
    const QString Saved = Dir.filePath(QStringLiteral("saved.cpd"));
    {
        auto Window = Start({First});
        const QList<QAction*> Items = Window->MenuItem_File->actions();
        const qsizetype Open = Items.indexOf(Window->MenuItem_Open);
        ASSERT_GE(Open, 0);
        EXPECT_EQ(Items.value(Open + 1), Window->MenuItem_OpenRecent->menuAction());
        EXPECT_EQ(Items.value(Open + 2), Window->MenuItem_Save);

        Seam.OpenFileNames = {Second};
        Window->MenuItem_Open->trigger();
        Seam.SaveFileNames = {Saved};
        Window->MenuItem_SaveAs->trigger();
        EXPECT_EQ(Window->RecentFiles().Files(), QStringList({Saved, Second, First}));
        Window->MenuItem_Save->trigger();
        EXPECT_EQ(Window->RecentFiles().Files().size(), 3);
    }
    auto Window = Start();
    EXPECT_EQ(Window->RecentFiles().Files(), QStringList({Saved, Second, First}));
    EXPECT_EQ(EntryTexts(Window->MenuItem_OpenRecent).first(), QStringLiteral("&1 saved.cpd"));

    Entry(Window->MenuItem_OpenRecent, 2)->trigger();
    EXPECT_EQ(Window->DocumentFileName(), First);
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Quillon [%1]").arg(First));
    EXPECT_EQ(Window->RecentFiles().Files().first(), First);
    EXPECT_TRUE(Seam.Messages.empty());
}

TEST_F(RecentFilesWindow, ChoosingAFileAsksAboutChangesFirstAndAGoneFileIsReportedAndDropped)
{
    const QString Current = WriteDefinition(QStringLiteral("current.cpd"), QStringLiteral("Current"));
    const QString Other = WriteDefinition(QStringLiteral("other.cpd"), QStringLiteral("Other"));
    const QString Gone = WriteDefinition(QStringLiteral("gone.cpd"));
    auto Window = Start({Gone});
    Window->LoadDocument(Other);
    Window->LoadDocument(Current);
    Window->UpdateView();
    ASSERT_TRUE(QFile::remove(Gone));
    Window->Document().Name = QStringLiteral("Changed");
    Window->SetModified(true);

    Seam.Answers = {TMessageResult::Cancel};
    Entry(Window->MenuItem_OpenRecent, 1)->trigger(); // other.cpd
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Text, QStringLiteral("File has changed. Do you wish to save?"));
    EXPECT_EQ(Window->Document().Name, QStringLiteral("Changed"));
    EXPECT_EQ(Window->DocumentFileName(), Current);

    Seam.Messages.clear();
    Entry(Window->MenuItem_OpenRecent, 2)->trigger(); // gone.cpd
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_TRUE(Seam.Messages[0].Text.contains(Gone)) << Seam.Messages[0].Text.toStdString();
    EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::Warning);
    EXPECT_EQ(Window->RecentFiles().Files(), QStringList({Current, Other}));
    EXPECT_EQ(Window->Document().Name, QStringLiteral("Changed")) << "the document stays as it was";
    EXPECT_TRUE(Window->Modified());

    Seam.Messages.clear();
    Seam.Answers = {TMessageResult::No};
    Entry(Window->MenuItem_OpenRecent, 1)->trigger(); // other.cpd
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Window->Document().Name, QStringLiteral("Other"));
    EXPECT_EQ(Window->DocumentFileName(), Other);
    EXPECT_FALSE(Window->Modified());
}

// A name given relative to the working folder is taken in full when the file is opened, so that the
// caption, the folder of the next Open and the recent list still mean that file later.
TEST_F(RecentFilesWindow, ARelativeNameOnTheCommandLineIsOpenedByItsFullName)
{
    WriteDefinition(QStringLiteral("relative.cpd"));
    const QString Before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Dir.path()));
    const QString Here = QDir::currentPath();
    std::unique_ptr<TMain> Window = Start({QStringLiteral("relative.cpd")});
    QDir::setCurrent(Before);

    ASSERT_TRUE(Window->CreationCompleted());
    const QString Full = QDir::toNativeSeparators(Here + QStringLiteral("/relative.cpd"));
    EXPECT_EQ(Window->DocumentFileName(), Full);
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Quillon [%1]").arg(Full));
    EXPECT_EQ(Window->FilePath(), QDir::toNativeSeparators(Here));
    EXPECT_EQ(Window->RecentFiles().Files(), QStringList({Full}));
}

} // namespace
