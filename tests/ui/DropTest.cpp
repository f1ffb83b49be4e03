// Files dropped from a file manager onto the tree: elements made as Create makes them, with the
// files' folders and names, one undo step per drop; a definition file dropped on the window opens.

#include "EditingFixture.h"

#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace {

class FileDrop : public EditingFixture
{
protected:
    FileDrop()
    {
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    }

    QMimeData* Files(const QStringList& Names)
    {
        auto* Data = new QMimeData;
        QList<QUrl> Urls;
        for (const QString& Name : Names) {
            QFile File(Dir.filePath(Name));
            if (!File.exists())
                File.open(QIODevice::WriteOnly);
            Urls << QUrl::fromLocalFile(File.fileName());
        }
        Data->setUrls(Urls);
        Mime.reset(Data);
        return Data;
    }

    QPoint At(const QStringList& Path)
    {
        QTreeWidgetItem* Item = Node(Path);
        EXPECT_NE(Item, nullptr);
        Window->TreeControl->scrollToItem(Item);
        Window->TreeControl->doItemsLayout();
        return Window->TreeControl->visualItemRect(Item).center();
    }

    // As a file manager's drag does: it enters the tree somewhere, then moves over the node.
    QPoint Enter(const QStringList& Names, const QStringList& Path)
    {
        const QPoint Point = At(Path);
        QDragEnterEvent Event(Point, Qt::CopyAction, Files(Names), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Window->TreeControl->viewport(), &Event);
        EXPECT_TRUE(Event.isAccepted());
        return Point;
    }

    // Whether the tree takes the files while they are dragged over the node.
    bool Takes(const QStringList& Names, const QStringList& Path)
    {
        const QPoint Point = Enter(Names, Path);
        QDragMoveEvent Move(Point, Qt::CopyAction, Mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Window->TreeControl->viewport(), &Move);
        return Move.isAccepted();
    }

    void Drop(const QStringList& Names, const QStringList& Path)
    {
        const QPoint Point = Enter(Names, Path);
        QDropEvent Event(Point, Qt::CopyAction, Mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Window->TreeControl->viewport(), &Event);
    }

    std::unique_ptr<QMimeData> Mime;
};

TEST_F(FileDrop, FilesBecomeElementsOfTheGroupTheyAreDroppedOnInOneStepEach)
{
    const QByteArray Opened = OpenRich();
    const QString Folder = QDir::toNativeSeparators(QDir(Dir.path()).absolutePath());

    EXPECT_FALSE(Takes({"a.dll"}, {"Interface types"}));
    EXPECT_FALSE(Takes({"a.dll"}, {"Code modules", "Engine"}));
    ASSERT_TRUE(Takes({"a.dll"}, {"Code modules"}));

    const int Modules = Document().CodeModules.Count();
    Drop({"first.dll", "second.dll"}, {"Code modules"});
    ASSERT_EQ(Document().CodeModules.Count(), Modules + 2);
    // Sorted in while still unnamed, as Create does: both come first, in the order dropped.
    for (int I = 0; I < 2; ++I) {
        const auto* Module = Document().CodeModules.Items(I);
        EXPECT_EQ(Module->Name, QStringLiteral("Code module name"));
        EXPECT_EQ(Module->FilePath, Folder);
        EXPECT_EQ(Module->FileName, I == 0 ? QStringLiteral("first.dll") : QStringLiteral("second.dll"));
    }
    EXPECT_EQ(SelectedText(), QStringLiteral("Code module name"));
    EXPECT_EQ(Window->MenuItem_Undo->text(), QStringLiteral("Undo Drop 'Code modules'"));

    Drop({"cockpit2.dll"}, {"Drivers"});
    EXPECT_EQ(Document().Drivers.Items(0)->FileName, QStringLiteral("cockpit2.dll"));
    EXPECT_EQ(Document().Drivers.Items(0)->Name, QStringLiteral("Driver name"));

    // Support files keep their list in path order.
    Drop({"zz.txt", "aa.txt"}, {"Code modules", "Engine", "Support files"});
    const TCodeModule* Engine = nullptr;
    for (int I = 0; I < Document().CodeModules.Count(); ++I)
        if (Document().CodeModules.Items(I)->Name == QStringLiteral("Engine"))
            Engine = Document().CodeModules.Items(I);
    ASSERT_NE(Engine, nullptr);
    const TSupportFiles& Support = Engine->SupportFiles;
    QStringList Names;
    for (int I = 0; I < Support.Count(); ++I)
        Names << Support.Items(I)->SourceFileName;
    EXPECT_EQ(Names.size(), 4);
    EXPECT_LT(Names.indexOf("aa.txt"), Names.indexOf("zz.txt"));

    for (int I = 0; I < 3; ++I)
        Window->MenuItem_Undo->trigger();
    EXPECT_EQ(Bytes(), Opened);
    EXPECT_FALSE(Window->MenuItem_Undo->isEnabled());
}

TEST_F(FileDrop, ADefinitionFileDroppedOnTheWindowOpensAfterTheSaveQuestion)
{
    TData Rich;
    SampleDefinitions::BuildRich(Rich);
    const QString Other = Dir.filePath(QStringLiteral("other.cpd"));
    Rich.SaveToFile(Other);
    Select({"Drivers"});
    Run(Window->PopupMenu_Create);
    ASSERT_TRUE(Window->Modified());

    ASSERT_TRUE(Takes({"other.cpd"}, {"Interface types"}));
    Seam.Answers.push_back(TMessageResult::Cancel);
    Drop({"other.cpd"}, {"Interface types"});
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Text, QStringLiteral("File has changed. Do you wish to save?"));
    EXPECT_EQ(Window->DocumentFileName(), QString());

    Seam.Answers.push_back(TMessageResult::No);
    Drop({"other.cpd"}, {"Drivers"});
    EXPECT_EQ(Window->DocumentFileName(), Other);
    EXPECT_EQ(Document().Name, QStringLiteral("Sample package"));
    EXPECT_FALSE(Window->Modified());
    EXPECT_FALSE(Window->MenuItem_Undo->isEnabled());
}

} // namespace
