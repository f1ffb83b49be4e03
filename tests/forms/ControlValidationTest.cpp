#include "FormTestSupport.h"
#include "forms/Controls.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct TIntegerCase
{
    const char* ValueName;
    bool CheckMin;
    int32_t Min;
    bool CheckMax;
    int32_t Max;
    const char* Text;
    // Empty when the entry is valid.
    const char* Message;
};

// E.g. "Count_From1To10_abc": the value's name, the range checked and the text entered.
std::string IntegerCaseName(const ::testing::TestParamInfo<TIntegerCase>& Info)
{
    const TIntegerCase& Case = Info.param;
    QString Range = QStringLiteral("NoRange");
    if (Case.CheckMin && Case.CheckMax)
        Range = QStringLiteral("From%1To%2").arg(Case.Min).arg(Case.Max);
    else if (Case.CheckMin)
        Range = QStringLiteral("From%1").arg(Case.Min);
    else if (Case.CheckMax)
        Range = QStringLiteral("UpTo%1").arg(Case.Max);
    const QString ValueName = *Case.ValueName ? QString::fromLatin1(Case.ValueName) : QStringLiteral("Unnamed");
    return SanitisedTestName(ValueName) + '_' + SanitisedTestName(Range.replace(u'-', QStringLiteral("Minus"))) + '_' +
           SanitisedTestName(QString::fromLatin1(Case.Text));
}

class IntegerValidation : public FormTest, public ::testing::WithParamInterface<TIntegerCase>
{};

TEST_P(IntegerValidation, ReportsWordForWord)
{
    const TIntegerCase& Case = GetParam();
    int32_t Variable = 0;
    QWidget Owner;
    TEditInteger* Edit = CreateEditInteger(
        &Owner, &Variable, Case.ValueName, false, 0, Case.CheckMin, Case.Min, Case.CheckMax, Case.Max);
    Edit->setText(Case.Text);

    const bool Valid = Edit->Validate();

    EXPECT_EQ(Valid, QString(Case.Message).isEmpty());
    EXPECT_EQ(MessageTexts(), Valid ? QStringList() : QStringList({Case.Message}));
    if (!Valid) {
        EXPECT_EQ(Edit->selectedText(), Edit->text());
    }
}

INSTANTIATE_TEST_SUITE_P(
    RangeAndOrderRules,
    IntegerValidation,
    ::testing::Values(TIntegerCase{"Count", true, 1, true, 10, "0", "'Count' must be in the range 1 to 10."},
                      TIntegerCase{"Count", true, 1, true, 10, "10", ""},
                      TIntegerCase{"Count", true, 1, true, 10, "abc", "'Count' is invalid."},
                      TIntegerCase{"", true, -5, true, 5, "-6", "Value must be in the range -5 to 5."},
                      TIntegerCase{"", true, 1, true, 10, "x1", "Invalid value."},
                      // The parse comes first, even where no range applies.
                      TIntegerCase{"Count", true, 0, true, 0, "", "'Count' is invalid."},
                      TIntegerCase{"Count", false, 0, false, 0, "2147483648", "'Count' is invalid."},
                      TIntegerCase{"Count", false, 0, false, 0, "-2147483648", ""},
                      // An empty or inverted range means no limit.
                      TIntegerCase{"Count", true, 0, true, 0, "123456", ""},
                      TIntegerCase{"Count", true, 10, true, 1, "50", ""},
                      TIntegerCase{"Count", true, 1, false, 0, "0", "'Count' must be greater than or equal to 1."},
                      TIntegerCase{"Count", true, 1, false, 0, "1", ""},
                      TIntegerCase{"Count", false, 0, true, 10, "11", "'Count' must be less than or equal to 10."},
                      TIntegerCase{"", false, 0, true, -1, "0", "Value must be less than or equal to -1."}),
    IntegerCaseName);

class ControlValidation : public FormTest
{
protected:
    QWidget Owner;
};

TEST_F(ControlValidation, BlankStringsNameTheValue)
{
    QString Text;
    TEditString* Unnamed = CreateEditString(&Owner, &Text, "", false, {}, false);
    TEditString* Named = CreateEditString(&Owner, &Text, "Name", false, {}, false);
    TEditString* Blank = CreateEditString(&Owner, &Text, "Name", false, {}, true);
    TEditMultilineString* Memo =
        CreateEditMultilineString(&Owner, &Text, "About", false, {}, false, 60, false, ssVertical);

    EXPECT_FALSE(Unnamed->Validate());
    EXPECT_FALSE(Named->Validate());
    EXPECT_TRUE(Blank->Validate());
    EXPECT_FALSE(Memo->Validate());
    Named->setText("x");
    EXPECT_TRUE(Named->Validate());

    EXPECT_EQ(MessageTexts(),
              QStringList({"Value must not be blank.", "'Name' must not be blank.", "'About' must not be blank."}));
}

TEST_F(ControlValidation, EnumerationOutsideItsRangeShowsNoSelectionAndIsNotSet)
{
    int32_t Location = 7;
    TEnumerationComboBox* Combo = CreateEnumerationComboBox(
        &Owner, &Location, "Location", 0, 2, [](int32_t Value) { return QString("Entry %1").arg(Value); });
    Combo->LoadValue();

    EXPECT_EQ(Combo->currentIndex(), -1);
    EXPECT_EQ(Combo->Value(), 0);
    EXPECT_FALSE(Combo->Validate());
    EXPECT_EQ(MessageTexts(), QStringList({"'Location' not set."}));
}

// Qt would select the first entry of a freshly filled list by itself, so nothing would be "not set".
TEST_F(ControlValidation, DropDownListsStartWithoutSelection)
{
    TEnumerationComboBox* Unbound =
        CreateEnumerationComboBox(&Owner, TBinding<int32_t>(), "Kind", 0, 2, [](int32_t) { return QString("x"); });
    TAutoComboBox Picker(&Owner);
    Picker.addItem("Flight");
    Picker.addItems({"Landing", "Taxi"});

    EXPECT_EQ(Unbound->currentIndex(), -1);
    EXPECT_EQ(Picker.currentIndex(), -1);
    EXPECT_FALSE(Unbound->Validate());
    EXPECT_EQ(MessageTexts(), QStringList({"'Kind' not set."}));
}

TEST_F(ControlValidation, GUIDTextMustParse)
{
    TGUID ID;
    TEditGUID* Named = CreateEditGUID(&Owner, &ID, "ID", false);
    TEditGUID* Unnamed = CreateEditGUID(&Owner, &ID, "", true);
    Named->setText("{1234}");
    Unnamed->setText("nonsense");

    EXPECT_FALSE(Named->Validate());
    EXPECT_EQ(Named->selectedText(), "{1234}");
    EXPECT_FALSE(Unnamed->Validate());
    Named->clear();
    Unnamed->clear();
    EXPECT_FALSE(Named->Validate());
    EXPECT_TRUE(Unnamed->Validate());
    // Only the 38-character form with braces is a GUID's text.
    Named->setText("4901B4C9-06FE-49B0-825A-D47ABA66C5F6");
    EXPECT_FALSE(Named->Validate());
    Named->setText(" {4901B4C9-06FE-49B0-825A-D47ABA66C5F6}");
    EXPECT_FALSE(Named->Validate());
    Named->setText("{4901b4c9-06fe-49b0-825a-d47aba66c5f6}");
    EXPECT_TRUE(Named->Validate());

    EXPECT_EQ(MessageTexts(),
              QStringList(
                  {"'ID' is invalid.", "Invalid value.", "'ID' is invalid.", "'ID' is invalid.", "'ID' is invalid."}));
}

TEST_F(ControlValidation, GreyCheckBoxIsInvalidUnlessBlankIsAllowed)
{
    bool Flag = true;
    TBooleanCheckBox* Box = CreateBooleanCheckBox(&Owner, "Register", &Flag, "Register", taRightJustify);
    Box->setCheckState(Qt::PartiallyChecked);
    EXPECT_FALSE(Box->Validate());
    Box->SetAllowBlank(true);
    Box->setCheckState(Qt::PartiallyChecked);
    EXPECT_TRUE(Box->Validate());
    Box->StoreValue();

    EXPECT_TRUE(Flag);
    EXPECT_EQ(MessageTexts(), QStringList({"'Register' is invalid."}));
}

TEST_F(ControlValidation, HiddenOrDisabledControlsPass)
{
    QString Text;
    int32_t Number = 0;
    TEditString* Hidden = CreateEditString(&Owner, &Text, "Name", false, {}, false);
    TEditInteger* Disabled = CreateEditInteger(&Owner, &Number, "Count", false, 0, true, 1, true, 2);
    Hidden->hide();
    Disabled->setText("abc");
    Disabled->setEnabled(false);

    EXPECT_TRUE(Hidden->Validate());
    EXPECT_TRUE(Disabled->Validate());
    EXPECT_TRUE(MessageTexts().isEmpty());
}

// A control without owner is visible until hidden on purpose, so it is checked.
TEST_F(ControlValidation, ControlWithoutOwnerIsCheckedUntilHidden)
{
    int32_t Number = 0;
    std::unique_ptr<TEditInteger> Alone(CreateEditInteger(nullptr, &Number, "Count", false, 0, true, 1, true, 2));

    EXPECT_FALSE(Alone->Validate());
    Alone->show();
    Alone->hide();
    EXPECT_TRUE(Alone->Validate());
    EXPECT_EQ(MessageTexts(), QStringList({"'Count' must be in the range 1 to 2."}));
}

// A group checks its rows in order and stops at the first failure; a hidden group checks nothing.
TEST_F(ControlValidation, GroupBoxStopsAtTheFirstFailingRow)
{
    QString Text;
    int32_t Number = 0;
    TContainerGroupBox* Group = CreateContainerGroupBox(&Owner, "Group", 0, 0);
    AddItem(Group->Items(), "Name", CreateEditString(Group, &Text, "Name", false, {}, false));
    AddItem(Group->Items(), "Count", CreateEditInteger(Group, &Number, "Count", false, 0, true, 1, true, 2));

    EXPECT_FALSE(Group->Validate());
    EXPECT_EQ(MessageTexts(), QStringList({"'Name' must not be blank."}));
    Group->hide();
    EXPECT_TRUE(Group->Validate());
    EXPECT_EQ(MessageTexts().size(), 1);
}

} // namespace
