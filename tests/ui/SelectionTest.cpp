// Where the selection is after each command, undo and redo, that the focus stays in the tree and
// the tree keeps its scroll position, and that the keypad's expand keys on a property line leave the
// stored expansion alone.

#include "EditingFixture.h"

#include <QCheckBox>
#include <QScrollBar>
#include <QTest>

namespace {

class Selection : public EditingFixture
{};

TEST_F(Selection, EachCommandSelectsTheNodeItChangedAndUndoRedoSelectWhatTheyChanged)
{
    OpenRich();
    Select({"Interface types"});
    Run(Window->PopupMenu_Create);
    EXPECT_EQ(SelectedText(), QStringLiteral("Interface type name"));
    EXPECT_EQ(Window->focusWidget(), Window->TreeControl);

    // Edited from a property line, the element's node is selected at its sorted place.
    Select({"Interface types", "Interface type name", "Name: "});
    AnswerNextDialog(true);
    Run(Window->PopupMenu_Edit);
    EXPECT_EQ(SelectedText(), QStringLiteral("Interface type name"));
    EXPECT_EQ(Window->TreeControl->currentItem(), Node({"Interface types"})->child(1));

    // Deleted: the next element takes the place; after the last one the group.
    Select({"Interface types", "IHost", "ID: "});
    Run(Window->PopupMenu_Delete);
    EXPECT_EQ(SelectedText(), QStringLiteral("Interface type name"));
    Select({"Interface types", "IViewer"});
    Run(Window->PopupMenu_Cut);
    EXPECT_EQ(SelectedText(), QStringLiteral("Interface types"));
    Run(Window->PopupMenu_Paste);
    EXPECT_EQ(SelectedText(), QStringLiteral("IViewer"));
    Select({"Data types", "Task types"});
    Run(Window->PopupMenu_Clear);
    EXPECT_EQ(SelectedText(), QStringLiteral("Task types"));

    // The package's own lines are not bound to an object: the same line is selected again.
    Select({"Beta software: "});
    AnswerNextDialog(true, [](QDialog& Dialog) {
        for (QCheckBox* Box : Dialog.findChildren<QCheckBox*>())
            Box->toggle();
    });
    Run(Window->PopupMenu_Edit);
    EXPECT_TRUE(SelectedText().startsWith(QStringLiteral("Beta software: ")));

    Window->MenuItem_Undo->trigger();
    EXPECT_TRUE(SelectedText().startsWith(QStringLiteral("Beta software: ")));
    Window->MenuItem_Undo->trigger();
    EXPECT_EQ(SelectedText(), QStringLiteral("Task types"));
    Window->MenuItem_Undo->trigger();
    EXPECT_EQ(SelectedText(), QStringLiteral("Interface types")) << "where the paste went";
    Window->MenuItem_Undo->trigger();
    EXPECT_EQ(SelectedText(), QStringLiteral("IViewer")) << "the cut element is back";
    Window->MenuItem_Undo->trigger();
    EXPECT_TRUE(SelectedText().startsWith(QStringLiteral("ID: {"))) << "the deleted element's line as it was selected";
    EXPECT_EQ(Window->TreeControl->currentItem()->parent()->text(0), QStringLiteral("IHost"));
    Window->MenuItem_Redo->trigger();
    EXPECT_EQ(SelectedText(), QStringLiteral("Interface type name"));
    EXPECT_EQ(Window->focusWidget(), Window->TreeControl);
}

TEST_F(Selection, ARebuildKeepsTheScrollPositionAndShowsTheSelectedNode)
{
    TData Data;
    for (int I = 0; I < 200; ++I)
        SampleDefinitions::AddElement<TDriver>(Data.Drivers)->Name =
            QStringLiteral("Driver %1").arg(I, 3, 10, QChar('0'));
    Data.Drivers.SetExpanded(true);
    Open(Data);
    Window->resize(400, 300);
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    QScrollBar* Bar = Window->TreeControl->verticalScrollBar();
    Select({"Drivers", "Driver 100"});
    Window->TreeControl->scrollToItem(Node({"Drivers", "Driver 100"}), QAbstractItemView::PositionAtTop);
    const int Position = Bar->value();
    ASSERT_GT(Position, 0);
    ASSERT_LT(Position, Bar->maximum());

    // Driver 101 takes the place of the deleted one, in sight: nothing scrolls.
    Run(Window->PopupMenu_Delete);
    EXPECT_EQ(SelectedText(), QStringLiteral("Driver 101"));
    EXPECT_EQ(Bar->value(), Position);

    // The created driver lands at the top of the list, out of sight: it is scrolled to.
    Select({"Drivers"});
    Run(Window->PopupMenu_Create);
    EXPECT_EQ(SelectedText(), QStringLiteral("Driver name"));
    const QRect Shown = Window->TreeControl->visualItemRect(Window->TreeControl->currentItem());
    EXPECT_TRUE(Window->TreeControl->viewport()->rect().contains(Shown));
}

TEST_F(Selection, KeypadExpandKeysOnAPropertyLineChangeNoStoredExpansion)
{
    TData Data;
    auto* Driver = SampleDefinitions::AddElement<TDriver>(Data.Drivers);
    Driver->Name = QStringLiteral("Driver");
    Driver->SetExpanded(true);
    Data.Drivers.SetExpanded(true);
    const QByteArray Opened = Open(Data);
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    Driver = static_cast<TDriver*>(Document().Drivers.Items(0));

    // Expanded and collapsed again on the line: its element must not fold with it.
    Select({"Drivers", "Driver", "Name: "});
    for (const Qt::Key Key : {Qt::Key_Plus, Qt::Key_Asterisk, Qt::Key_Minus})
        QTest::keyClick(Window->TreeControl, Key, Qt::KeypadModifier);
    EXPECT_TRUE(Driver->Expanded());
    EXPECT_EQ(Bytes(), Opened);
}

} // namespace
