#include "FormTestSupport.h"
#include "forms/Controls.h"
#include "foundation/General.h"

#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ControlValues : public FormTest
{
protected:
    QWidget Owner;
};

TEST_F(ControlValues, GUIDShowsTheNullGUIDAsZeroDigitsOrBlank)
{
    TGUID ID = TGUID::Parse("{4901B4C9-06FE-49B0-825A-D47ABA66C5F6}");
    TEditGUID* Digits = CreateEditGUID(&Owner, &ID, "ID", false);
    TEditGUID* Blank = CreateEditGUID(&Owner, &ID, "ID", true);
    Blank->LoadValue();
    EXPECT_EQ(Blank->text(), "{4901B4C9-06FE-49B0-825A-D47ABA66C5F6}");

    ID = TGUID{};
    Digits->LoadValue();
    Blank->LoadValue();
    EXPECT_EQ(Digits->text(), "{00000000-0000-0000-0000-000000000000}");
    EXPECT_EQ(Blank->text(), "");

    ID = TGUID::Parse("{4901B4C9-06FE-49B0-825A-D47ABA66C5F6}");
    Blank->StoreValue();
    EXPECT_TRUE(ID.IsNull());
    Digits->setText("{a836a72a-fd0a-4e50-8617-915c010765dc}");
    Digits->StoreValue();
    EXPECT_EQ(ID, TGUID::Parse("{A836A72A-FD0A-4E50-8617-915C010765DC}"));
}

TEST_F(ControlValues, NewGUIDShowsAFreshGUIDSelected)
{
    const TGUID Fresh = TGUID::Parse("{01897FB7-459C-4F6D-9250-A5304C0774D3}");
    SetGUIDGeneratorForTesting([&] { return std::optional<TGUID>(Fresh); });
    TGUID ID;
    TEditGUID* Edit = CreateEditGUID(&Owner, &ID, "ID", false);
    ASSERT_EQ(Edit->PopupMenu()->actions().size(), 1);
    EXPECT_EQ(Edit->PopupMenu()->actions().first()->text(), "New GUID");

    Edit->PopupMenu()->actions().first()->trigger();
    SetGUIDGeneratorForTesting(nullptr);

    EXPECT_EQ(Edit->text(), Fresh.ToString());
    EXPECT_EQ(Edit->selectedText(), Edit->text());
    EXPECT_TRUE(ID.IsNull());
}

TEST_F(ControlValues, IntegerKeepsTheVariableForAnAllowedBlankAndHandlesDefaults)
{
    int32_t Count = 42;
    TEditInteger* Edit = CreateEditInteger(&Owner, &Count, "Count", true, 7, false, 0, false, 0);
    EXPECT_EQ(TEditInteger(&Owner).text(), "0");
    Edit->LoadValue();
    EXPECT_EQ(Edit->text(), "42");
    Edit->SetDefault();
    EXPECT_EQ(Edit->text(), "7");
    Edit->UndoDefault();
    EXPECT_EQ(Edit->text(), "42");

    Edit->AllowBlank = true;
    Edit->clear();
    EXPECT_TRUE(Edit->Validate());
    Edit->StoreValue();
    EXPECT_EQ(Count, 42);
    Edit->setText(" -17 ");
    Edit->StoreValue();
    EXPECT_EQ(Count, -17);
}

TEST_F(ControlValues, EnumerationEntriesCarryTheirValues)
{
    enum class TKind : int32_t
    {
        None,
        First,
        Second,
        Third
    };
    TKind Kind = TKind::Third;
    TEnumerationComboBox* Combo = CreateEnumerationComboBox(
        &Owner, &Kind, "Kind", 1, 3, [](int32_t Value) { return QString("Kind %1").arg(Value); });
    Combo->LoadValue();
    EXPECT_EQ(Combo->currentIndex(), 2);
    Combo->setCurrentIndex(0);
    Combo->StoreValue();
    EXPECT_EQ(Kind, TKind::First);

    EXPECT_EQ(ExpectThrowReport<E_QOR_InvalidArg>(
                  [&] { CreateEnumerationComboBox(&Owner, &Kind, "Kind", -1, 3, [](int32_t) { return QString(); }); }),
              "Invalid argument.");
}

TEST_F(ControlValues, LeftJustifiedCheckBoxCaptionReadsLikeALabel)
{
    bool Flag = false;
    EXPECT_EQ(CreateBooleanCheckBox(&Owner, "Register", &Flag, "", taLeftJustify)->text(), "Register:");
    EXPECT_EQ(CreateBooleanCheckBox(&Owner, "Register", &Flag, "", taRightJustify)->text(), "Register");
    EXPECT_EQ(CreateBooleanCheckBox(&Owner, "", &Flag, "", taLeftJustify)->text(), "");

    TBooleanCheckBox* Box = CreateBooleanCheckBox(&Owner, "Register", &Flag, "", taLeftJustify);
    Box->resize(300, 18);
    // A click on the caption toggles the box, as a click on a row label would not.
    QTest::mouseClick(Box, Qt::LeftButton, {}, QPoint(3, 9));
    Box->StoreValue();
    EXPECT_TRUE(Flag);
}

// Whatever a string edit is loaded with is stored back unchanged: long texts, line breaks, tabs.
TEST_F(ControlValues, StringEditsStoreBackWhatTheyLoaded)
{
    QString Long(40000, 'x');
    QString Broken = "One\r\nTwo\tThree";
    TEditString* LongEdit = CreateEditString(&Owner, &Long, "Name");
    TEditString* BrokenEdit = CreateEditString(&Owner, &Broken, "Name");
    LongEdit->LoadValue();
    BrokenEdit->LoadValue();
    Long.clear();
    Broken.clear();
    LongEdit->StoreValue();
    BrokenEdit->StoreValue();

    EXPECT_EQ(Long, QString(40000, 'x'));
    EXPECT_EQ(Broken, "One\r\nTwo\tThree");
}

TEST_F(ControlValues, MultilineTextKeepsItsLineBreaks)
{
    QString About = "One\r\nTwo";
    TEditMultilineString* Memo = CreateEditMultilineString(&Owner, &About, "About", false, {}, true, 60, false, ssBoth);
    Memo->LoadValue();
    EXPECT_EQ(Memo->toPlainText(), "One\nTwo");
    // Tab leaves the memo instead of typing into it.
    QTest::keyClick(Memo, Qt::Key_Tab);
    EXPECT_EQ(Memo->toPlainText(), "One\nTwo");
    Memo->appendPlainText("Three");
    Memo->StoreValue();
    EXPECT_EQ(About, "One\r\nTwo\r\nThree");
}

class StringListEditing : public ControlValues
{
protected:
    void SetUp() override
    {
        Edit = CreateEditStrings(&Owner, &Lines, "Tool categories", 200, 100);
        Edit->LoadValue();
    }

    // Answers the next prompt with Text, or cancels it.
    void AnswerPrompt(const QString& ExpectedCaption, const QString& ExpectedText, const QString& Text, bool OK)
    {
        WhenModal([=](QWidget* Prompt) {
            EXPECT_EQ(Prompt->windowTitle(), ExpectedCaption);
            auto* Entry = Prompt->findChild<TEditString*>();
            ASSERT_NE(Entry, nullptr);
            EXPECT_EQ(Entry->text(), ExpectedText);
            Entry->setText(Text);
            auto* Form = static_cast<TQORAutoForm*>(Prompt);
            QTest::mouseClick(OK ? Form->OKButton() : Form->CancelButton(), Qt::LeftButton);
        });
    }

    QStringList Lines{"Diagnostics", "Recording"};
    TEditStrings* Edit = nullptr;
};

TEST_F(StringListEditing, CreateEditAndDeleteChangeOnlyTheLinesUntilStored)
{
    AnswerPrompt("Create", "", "Playback", true);
    Edit->CreateClick();
    Edit->setCurrentRow(0);
    AnswerPrompt("Edit", "Diagnostics", "Checks", true);
    Edit->EditClick();
    Edit->setCurrentRow(1);
    Edit->DeleteClick();
    EXPECT_EQ(Lines, QStringList({"Diagnostics", "Recording"}));

    Edit->StoreValue();
    EXPECT_EQ(Lines, QStringList({"Checks", "Playback"}));
}

TEST_F(StringListEditing, CancelledPromptChangesNothing)
{
    Edit->setCurrentRow(1);
    AnswerPrompt("Edit", "Recording", "Lost", false);
    Edit->EditClick();
    AnswerPrompt("Create", "", "Lost", false);
    Edit->CreateClick();

    EXPECT_EQ(Edit->Lines(), QStringList({"Diagnostics", "Recording"}));
}

TEST_F(StringListEditing, EditAndDeleteNeedASelectedLine)
{
    Edit->UpdateMenu();
    EXPECT_TRUE(Edit->CreateAction()->isEnabled());
    EXPECT_FALSE(Edit->EditAction()->isEnabled());
    EXPECT_FALSE(Edit->DeleteAction()->isEnabled());
    Edit->EditClick();
    Edit->DeleteClick();
    EXPECT_EQ(Edit->Lines(), Lines);

    Edit->setCurrentRow(0);
    EXPECT_TRUE(Edit->EditAction()->isEnabled());
    EXPECT_TRUE(Edit->DeleteAction()->isEnabled());
    Edit->DeleteClick();
    Edit->setCurrentRow(0);
    Edit->DeleteClick();
    EXPECT_EQ(Edit->count(), 0);
    EXPECT_FALSE(Edit->EditAction()->isEnabled());
}

TEST_F(ControlValues, GroupBoxPassesValuesToItsRows)
{
    QString Name = "Inner";
    bool Flag = true;
    TContainerGroupBox* Group = CreateContainerGroupBox(&Owner, "", 0, 0);
    auto* Edit = CreateEditString(Group, &Name, "Name", true, "Default");
    auto* Box = CreateBooleanCheckBox(Group, "Flag", &Flag, "Flag", taLeftJustify);
    AddItem(Group->Items(), "Name", Edit);
    AddControl(Group->Items(), Box);

    Group->LoadValue();
    EXPECT_EQ(Edit->text(), "Inner");
    EXPECT_TRUE(Box->isChecked());
    Group->SetDefault();
    EXPECT_EQ(Edit->text(), "Default");
    Box->setChecked(false);
    Group->StoreValue();
    EXPECT_EQ(Name, "Default");
    EXPECT_FALSE(Flag);
    Group->UndoDefault();
    EXPECT_EQ(Edit->text(), "Default");
}

} // namespace
