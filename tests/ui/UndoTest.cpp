// Undo and redo in the main window: every command is one step that brings back exactly the bytes
// it started from, the unsaved-changes flag follows the history, and the history stays bounded.

#include "EditingFixture.h"
#include "foundation/MemoryStream.h"

#include <QLineEdit>

namespace {

using SampleDefinitions::SaveToBytes;

class UndoHistory : public EditingFixture
{
protected:
    QByteArray SavedFile()
    {
        EXPECT_TRUE(Window->Save());
        QFile File(FileName);
        File.open(QIODevice::ReadOnly);
        return File.readAll();
    }
};

TEST_F(UndoHistory, DeleteAndClearUndoneSaveTheOpenedBytesAndRedoReplaysThem)
{
    const QByteArray Opened = OpenRich();
    EXPECT_FALSE(Window->MenuItem_Undo->isEnabled());

    Select({"Code modules", "Engine", "File name: "});
    Run(Window->PopupMenu_Delete);
    EXPECT_EQ(Window->MenuItem_Undo->text(), QStringLiteral("Undo Delete 'Engine'"));
    Select({"Data types", "Task types"});
    Run(Window->PopupMenu_Clear);
    EXPECT_EQ(Window->MenuItem_Undo->text(), QStringLiteral("Undo Clear 'Task types'"));
    EXPECT_EQ(Document().TaskTypes.Count(), 0);
    const QByteArray Changed = Bytes();

    Window->MenuItem_Undo->trigger();
    // The task types are back, and with them the task modules' references to them.
    ASSERT_EQ(Document().TaskTypes.Count(), 3);
    EXPECT_EQ(Window->MenuItem_Redo->text(), QStringLiteral("Redo Clear 'Task types'"));
    Window->MenuItem_Undo->trigger();
    EXPECT_FALSE(Window->Modified());
    EXPECT_FALSE(Window->MenuItem_Undo->isEnabled());
    EXPECT_EQ(SavedFile(), Opened);

    Window->MenuItem_Redo->trigger();
    Window->MenuItem_Redo->trigger();
    EXPECT_TRUE(Window->Modified());
    EXPECT_FALSE(Window->MenuItem_Redo->isEnabled());
    EXPECT_EQ(Bytes(), Changed);
    EXPECT_TRUE(Seam.Messages.empty());
}

TEST_F(UndoHistory, ModifiedFollowsTheHistoryAcrossTheSavedPointAndNewForgetsIt)
{
    OpenRich();
    Select({"Interface types"});
    Run(Window->PopupMenu_Create);
    EXPECT_TRUE(Window->Modified());
    ASSERT_TRUE(Window->Save());
    EXPECT_FALSE(Window->Modified());
    Select({"Drivers"});
    Run(Window->PopupMenu_Create);

    Window->MenuItem_Undo->trigger();
    EXPECT_FALSE(Window->Modified()) << "back at the saved state";
    Window->MenuItem_Undo->trigger();
    EXPECT_TRUE(Window->Modified()) << "before the saved state";
    Window->MenuItem_Redo->trigger();
    EXPECT_FALSE(Window->Modified());
    Window->MenuItem_Redo->trigger();
    EXPECT_TRUE(Window->Modified());

    // Undone to the saved state, New has nothing to ask and leaves no step behind.
    Window->MenuItem_Undo->trigger();
    Window->MenuItem_NewClick();
    EXPECT_TRUE(Seam.Messages.empty());
    EXPECT_FALSE(Window->MenuItem_Undo->isEnabled());
    EXPECT_FALSE(Window->MenuItem_Redo->isEnabled());
    EXPECT_EQ(Document().Drivers.Count(), 0);
}

TEST_F(UndoHistory, AnEditIsRecordedFromBeforeItsDialogAndOnlyWhenOKChangedSomething)
{
    const QByteArray Opened = OpenRich();
    // The package's own form writes straight into the document.
    Select({"Code package name: "});
    AnswerNextDialog(true, [](QDialog& Dialog) {
        for (QLineEdit* Edit : Dialog.findChildren<QLineEdit*>())
            if (Edit->text() == QStringLiteral("Sample package"))
                Edit->setText(QStringLiteral("Renamed"));
    });
    Run(Window->PopupMenu_Edit);
    ASSERT_EQ(Document().Name, QStringLiteral("Renamed"));
    EXPECT_EQ(Window->MenuItem_Undo->text(), QStringLiteral("Undo Edit 'Code package name'"));
    Window->MenuItem_Undo->trigger();
    EXPECT_EQ(Document().Name, QStringLiteral("Sample package"));
    EXPECT_EQ(Bytes(), Opened);

    // Confirmed without a change: no step, nothing to save.
    Select({"Drivers", "Cockpit driver"});
    AnswerNextDialog(true);
    Run(Window->PopupMenu_Edit);
    EXPECT_FALSE(Window->Modified());
    EXPECT_FALSE(Window->MenuItem_Undo->isEnabled());
    EXPECT_TRUE(Window->MenuItem_Redo->isEnabled()) << "a dialog that changed nothing keeps what can be redone";
}

TEST_F(UndoHistory, CutAndPasteUndoneBringBackTheReferencesAndTheIDs)
{
    const QByteArray Opened = OpenRich();
    Select({"Data types", "Task types", "Assessment"});
    Run(Window->PopupMenu_Cut);
    Select({"Data types", "Task types"});
    Run(Window->PopupMenu_Paste);
    EXPECT_EQ(Window->MenuItem_Undo->text(), QStringLiteral("Undo Paste 'Assessment'"));
    EXPECT_NE(Bytes(), Opened) << "the task modules no longer refer to the pasted task type";
    Window->MenuItem_Undo->trigger();
    Window->MenuItem_Undo->trigger();
    EXPECT_EQ(Bytes(), Opened);
    // The clipboard still holds the cut element: undo does not take it back.
    EXPECT_EQ(Window->Clipboard().PeekClassID(), TTaskType::StaticClass().GetClassID());
}

// Steps of a growing package name, each step's bytes a little more than the last.
class HistoryLimits : public ::testing::Test
{
protected:
    void Step(int Size)
    {
        QByteArray Before = History.Snapshot();
        Data.Name = QString(Size, QLatin1Char('x'));
        History.Push(QStringLiteral("Step"), Before, History.Snapshot(), {}, {});
    }

    TData Data;
    TDocumentHistory History{Data};
};

TEST_F(HistoryLimits, TheOldestStepsGoPastTheByteLimitAndTheSavedPointGoesWithThem)
{
    const int64_t Empty = SaveToBytes(Data).size();
    // Consecutive steps share their common snapshot: n steps hold n + 1 snapshots.
    History.SetByteLimit(6 * Empty + 27500);
    History.SetSaved();
    for (int I = 1; I <= 5; ++I)
        Step(1000 * I);
    EXPECT_EQ(History.Stack().count(), 5);
    EXPECT_EQ(History.HeldBytes(), 6 * Empty + 15000);
    History.Undo();
    History.SetSaved();
    History.Redo();

    Step(6000);
    EXPECT_EQ(History.Stack().count(), 6);
    // Seven snapshots would pass the limit: the two oldest steps go, the saved point stays.
    Step(7000);
    EXPECT_LE(History.HeldBytes(), History.ByteLimit());
    EXPECT_EQ(History.Stack().count(), 5);
    EXPECT_EQ(History.Stack().cleanIndex(), 2);
    while (History.Stack().canUndo())
        History.Undo();
    EXPECT_EQ(Data.Name.size(), 2000);

    // A step larger than the limit stays alone; the saved point goes once no step starts there.
    History.Redo();
    History.Redo();
    History.SetByteLimit(1);
    Step(100);
    EXPECT_EQ(History.Stack().count(), 1);
    EXPECT_EQ(History.Stack().cleanIndex(), 0);
    Step(200);
    EXPECT_EQ(History.Stack().count(), 1);
    EXPECT_EQ(History.Stack().cleanIndex(), -1);
    History.Undo();
    EXPECT_EQ(Data.Name.size(), 100);
}

} // namespace
