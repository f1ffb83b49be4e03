// The Edit menu and the keys of the element commands: what a screen reader reads, and that a key
// does exactly what the menus offer for the selected node, also without a menu ever being opened.
// The Edit menu holds the context menu's own actions, so both show what the one decision table says.

#include "EditingFixture.h"

#include <QAccessible>
#include <QMenuBar>
#include <QTest>

namespace {

QStringList ChildTexts(QAccessibleInterface* Interface, QAccessible::Text Kind)
{
    QStringList Texts;
    for (int I = 0; Interface && I < Interface->childCount(); ++I)
        if (QAccessibleInterface* Child = Interface->child(I))
            Texts << Child->text(Kind);
    return Texts;
}

QString Key(const QKeySequence& Sequence)
{
    return Sequence.toString(QKeySequence::NativeText);
}

class EditMenu : public EditingFixture
{
protected:
    void Activate()
    {
        Window->show();
        QApplication::setActiveWindow(Window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    }
};

TEST_F(EditMenu, AScreenReaderReadsTheEntriesAndKeysAfterAnUnchangedFileMenu)
{
    OpenRich();
    Select({"Drivers", "Cockpit driver"});
    emit Window->MenuItem_Edit->aboutToShow();
    QAccessibleInterface* Bar = QAccessible::queryAccessibleInterface(Window->MainMenu);
    ASSERT_NE(Bar, nullptr);
    EXPECT_EQ(ChildTexts(Bar, QAccessible::Name), QStringList({"File", "Edit", "View"}));

    // The File menu keeps its keys; no Edit key takes one of them.
    EXPECT_EQ(Window->MenuItem_New->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(Window->MenuItem_Open->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(Window->MenuItem_Save->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(Window->MenuItem_SaveAs->shortcut(), QKeySequence());
    EXPECT_EQ(Window->MenuItem_ExportErrorCheck->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F9));
    EXPECT_EQ(Window->MenuItem_Export->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(Window->MenuItem_About->shortcut(), QKeySequence());
    EXPECT_EQ(Window->MenuItem_Exit->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));

    QAccessibleInterface* Edit = QAccessible::queryAccessibleInterface(Window->MenuItem_Edit);
    ASSERT_NE(Edit, nullptr);
    const QStringList Names = ChildTexts(Edit, QAccessible::Name);
    const QStringList Keys = ChildTexts(Edit, QAccessible::Accelerator);
    const QStringList Expected[] = {{"Undo", Key(Qt::CTRL | Qt::Key_Z)},
                                    {"Redo", Key(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
                                    {"Edit", Key(Qt::Key_F2)},
                                    {"Cut", Key(Qt::CTRL | Qt::Key_X)},
                                    {"Copy", Key(Qt::CTRL | Qt::Key_C)},
                                    {"Paste", Key(Qt::CTRL | Qt::Key_V)},
                                    {"Delete", Key(Qt::Key_Delete)}};
    for (const QStringList& Entry : Expected) {
        const qsizetype At = Names.indexOf(Entry[0]);
        ASSERT_GE(At, 0) << Entry[0].toStdString() << " in " << Names.join('|').toStdString();
        EXPECT_EQ(Keys[At], Entry[1]) << Entry[0].toStdString();
    }
    EXPECT_LT(Names.indexOf("Redo"), Names.indexOf("Edit"));
    EXPECT_EQ(Window->MenuItem_Redo->shortcuts().value(1), QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(Window->PopupMenu_Create->shortcut(), QKeySequence(Qt::Key_Insert));
}

TEST_F(EditMenu, KeysRunTheCommandsTheSelectedNodeOffersAndNothingElse)
{
    OpenRich();
    Activate();
    QTreeWidget* Tree = Window->TreeControl;
    const int Drivers = Document().Drivers.Count();

    // Moved to with the arrow keys, no menu opened: the keys follow the selection.
    Select({"Drivers"});
    QTest::keyClick(Tree, Qt::Key_Delete);
    EXPECT_EQ(Document().Drivers.Count(), Drivers) << "a group is not deleted";
    QTest::keyClick(Tree, Qt::Key_Down);
    ASSERT_EQ(SelectedText(), QStringLiteral("Cockpit driver"));
    QTest::keyClick(Tree, Qt::Key_Insert);
    EXPECT_EQ(Document().Drivers.Count(), Drivers) << "Create is not offered on an element";
    QTest::keyClick(Tree, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Window->Clipboard().PeekClassID(), TDriver::StaticClass().GetClassID());
    QTest::keyClick(Tree, Qt::Key_Delete);
    EXPECT_EQ(Document().Drivers.Count(), Drivers - 1);
    EXPECT_EQ(SelectedText(), QStringLiteral("Motion driver"));

    // Paste of a driver is refused on interface types, taken on the drivers.
    Select({"Interface types"});
    const int Interfaces = Document().InterfaceTypes.Count();
    QTest::keyClick(Tree, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Document().InterfaceTypes.Count(), Interfaces);
    Select({"Drivers"});
    QTest::keyClick(Tree, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Document().Drivers.Count(), Drivers);
    EXPECT_EQ(SelectedText(), QStringLiteral("Cockpit driver")) << "the pasted driver";
    Select({"Drivers"});
    QTest::keyClick(Tree, Qt::Key_Insert);
    EXPECT_EQ(Document().Drivers.Count(), Drivers + 1);

    QTest::keyClick(Tree, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(Tree, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Document().Drivers.Count(), Drivers - 1);
    QTest::keyClick(Tree, Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(Tree, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Document().Drivers.Count(), Drivers + 1);

    // Return and F2 edit the selected element, also one with children; never a group.
    QString Opened;
    const auto Answer = [&Opened](QDialog& Dialog) { Opened = Dialog.metaObject()->className(); };
    Select({"Drivers", "Motion driver"});
    AnswerNextDialog(false, Answer);
    QTest::keyClick(Tree, Qt::Key_Return);
    EXPECT_EQ(Opened, QStringLiteral("TDriverDialog"));
    Opened.clear();
    // The window is active again once the dialog has gone.
    Activate();
    Select({"Code package name: "});
    AnswerNextDialog(false, Answer);
    QTest::keyClick(Tree, Qt::Key_F2);
    EXPECT_EQ(Opened, QStringLiteral("TQORAutoForm"));
    Activate();
    Select({"Drivers"});
    QTest::keyClick(Tree, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(Seam.Messages.empty());
}

} // namespace
