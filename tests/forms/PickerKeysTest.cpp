#include "FormTestSupport.h"
#include "forms/Controls.h"
#include "forms/Pickers.h"
#include "model/Data.h"
#include "model/TaskModule.h"
#include "samples/SampleDefinitions.h"

#include <QAction>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Presses Key on Control; fails when a dialog opens meanwhile.
void PressWithoutDialog(QWidget* Control, Qt::Key Key)
{
    bool Opened = false;
    QTimer::singleShot(0, [&Opened] {
        if (auto* Dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            Opened = true;
            Dialog->reject();
        }
    });
    QTest::keyClick(Control, Key);
    QCoreApplication::processEvents();
    EXPECT_FALSE(Opened) << "key " << Key << " opened a dialog";
}

// The three keys and where they are named for the user.
void ExpectKeysNamed(const QWidget& Control, const QList<QAction*>& Commands)
{
    const QString Description = Control.accessibleDescription();
    for (const char* Key : {"Insert", "F2", "Delete"})
        EXPECT_TRUE(Description.contains(QLatin1String(Key))) << Description.toStdString();
    const QList<QKeySequence> Keys{
        QKeySequence(Qt::Key_Insert), QKeySequence(Qt::Key_F2), QKeySequence(Qt::Key_Delete)};
    for (int I = 0; I < Commands.size(); ++I)
        EXPECT_EQ(Commands[I]->shortcut(), Keys[I]) << Commands[I]->text().toStdString();
}

// Insert creates a line, F2 edits the selected one, Delete deletes it; F2 and Delete do nothing
// without a selected line, as the popup menu would not let them.
TEST_F(FormTest, StringListKeysActAsItsPopupMenu)
{
    QStringList Lines{"Diagnostics", "Recording"};
    QWidget Owner;
    TEditStrings* Edit = CreateEditStrings(&Owner, &Lines, "Tool categories", 200, 100);
    Edit->LoadValue();
    ExpectKeysNamed(*Edit, {Edit->CreateAction(), Edit->EditAction(), Edit->DeleteAction()});

    PressWithoutDialog(Edit, Qt::Key_F2);
    PressWithoutDialog(Edit, Qt::Key_Delete);
    EXPECT_EQ(Edit->Lines(), Lines);

    const auto Answer = [](const QString& Caption, const QString& Text) {
        WhenModal([=](QWidget* Prompt) {
            EXPECT_EQ(Prompt->windowTitle(), Caption);
            Prompt->findChild<TEditString*>()->setText(Text);
            QTest::mouseClick(static_cast<TQORAutoForm*>(Prompt)->OKButton(), Qt::LeftButton);
        });
    };
    Answer("Create", "Playback");
    QTest::keyClick(Edit, Qt::Key_Insert);
    Edit->setCurrentRow(0);
    Answer("Edit", "Checks");
    QTest::keyClick(Edit, Qt::Key_F2);
    Edit->setCurrentRow(1);
    QTest::keyClick(Edit, Qt::Key_Delete);
    EXPECT_EQ(Edit->Lines(), QStringList({"Checks", "Playback"}));
    EXPECT_EQ(Lines, QStringList({"Diagnostics", "Recording"}));
}

// The same keys on a reference list: Insert adds through the picker, F2 changes the selected line's
// element, Delete removes it.
TEST_F(FormTest, ReferenceListKeysActAsItsPopupMenu)
{
    TData Package;
    SampleDefinitions::BuildRich(Package);
    TTaskModule Module;
    TDataTypesControl Control(nullptr, &Package.TaskTypes, &Module.InputTaskTypes, "Task type", 60);
    Control.LoadValue();
    ExpectKeysNamed(Control, {Control.AddAction(), Control.EditAction(), Control.RemoveAction()});

    const auto Choose = [](const QString& Text, QString* Selected = nullptr) {
        WhenModal([=](QWidget* Dialog) {
            auto* Picker = static_cast<TSelectElementDialog*>(Dialog);
            if (Selected)
                *Selected = Picker->ComboBox()->currentText();
            Picker->ComboBox()->setCurrentIndex(Picker->ComboBox()->findText(Text));
            QTest::mouseClick(Picker->OKButton(), Qt::LeftButton);
        });
    };
    Choose("Quiz");
    QTest::keyClick(&Control, Qt::Key_Insert);
    ASSERT_EQ(Module.InputTaskTypes.Count(), 1);
    PressWithoutDialog(&Control, Qt::Key_F2);
    PressWithoutDialog(&Control, Qt::Key_Delete);
    EXPECT_EQ(Module.InputTaskTypes.Count(), 1);

    Control.setCurrentRow(0);
    QString Selected;
    Choose("Assessment", &Selected);
    QTest::keyClick(&Control, Qt::Key_F2);
    EXPECT_EQ(Selected, "Quiz");
    ASSERT_EQ(Module.InputTaskTypes.Count(), 1);
    EXPECT_EQ(static_cast<TBaseDataType*>(Module.InputTaskTypes.Items(0))->Name, "Assessment");

    Control.setCurrentRow(0);
    QTest::keyClick(&Control, Qt::Key_Delete);
    EXPECT_EQ(Module.InputTaskTypes.Count(), 0);
    EXPECT_EQ(Control.count(), 0);
    EXPECT_TRUE(MessageTexts().isEmpty());
}

} // namespace
