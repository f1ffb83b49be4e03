#include "FormTestSupport.h"
#include "forms/Controls.h"
#include "forms/QORForms.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A dialog in the way element dialogs are built: it owns its working copy and binds rows to it.
class TRecordDialog : public TQORAutoForm
{
public:
    explicit TRecordDialog(bool WithApply = false)
    {
        Setup(
            {.Caption = "Record", .Buttons = fbOK | fbCancel | fbDefault | (WithApply ? fbApply : TQORFormButtons())});
        SetValue(Working = new TTestRecord, true);
        NameEdit = CreateEditString(this, &Working->Name, "Name", true, "Unnamed", false);
        CountEdit = CreateEditInteger(this, &Working->Count, "Count", true, 5, true, 1, true, 10);
        AddItem(Items(), "Name", NameEdit);
        AddItem(Items(), "Count", CountEdit);
    }

    void CreateItems() override { Calls.append("CreateItems"); }
    void LoadValues() override
    {
        Calls.append("LoadValues");
        TQORAutoForm::LoadValues();
    }
    void AfterStore() override { Calls.append("AfterStore"); }
    void AfterApply() override { Calls.append("AfterApply"); }

    TTestRecord* Working = nullptr;
    TEditString* NameEdit = nullptr;
    TEditInteger* CountEdit = nullptr;
    QStringList Calls;
};

class FormExecute : public FormTest
{
protected:
    void SetUp() override
    {
        Model.Name = "Engine";
        Model.Count = 3;
        Dialog.SetValueReference(&Model);
    }
    void TearDown() override { Dialog.SetValueReference(nullptr); }

    TTestRecord Model;
    TRecordDialog Dialog;
};

TEST_F(FormExecute, OKCopiesInLoadsThenStoresAndCommitsBack)
{
    WhenModal([&](QWidget*) {
        // The first row has the focus, although Setup made the buttons first.
        EXPECT_EQ(Dialog.focusWidget(), Dialog.NameEdit);
        EXPECT_EQ(Dialog.NameEdit->text(), "Engine");
        EXPECT_EQ(Dialog.CountEdit->text(), "3");
        Dialog.NameEdit->setText("Turbine");
        QTest::mouseClick(Dialog.OKButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(Dialog.Execute());

    EXPECT_EQ(Model.Name, "Turbine");
    EXPECT_EQ(Model.Count, 3);
    EXPECT_EQ(Dialog.Calls, QStringList({"CreateItems", "LoadValues", "AfterStore"}));
    EXPECT_TRUE(MessageTexts().isEmpty());
}

// Enter in an edit presses the default button, which validates first.
TEST_F(FormExecute, EnterPressesOK)
{
    WhenModal([&](QWidget*) {
        Dialog.CountEdit->setText("0");
        QTest::keyClick(Dialog.CountEdit, Qt::Key_Return);
        EXPECT_TRUE(Dialog.isVisible());
        Dialog.CountEdit->setText("9");
        QTest::keyClick(Dialog.CountEdit, Qt::Key_Return);
    });
    EXPECT_TRUE(Dialog.Execute());
    EXPECT_EQ(Model.Count, 9);
    EXPECT_EQ(MessageTexts(), QStringList({"'Count' must be in the range 1 to 10."}));
}

enum class TCloseWay
{
    CancelButton,
    Escape,
    CloseBox,
};

class FormClosing : public FormExecute, public ::testing::WithParamInterface<TCloseWay>
{};

TEST_P(FormClosing, AnswersFalseAndLeavesTheReferenceUnchanged)
{
    WhenModal([&](QWidget*) {
        Dialog.NameEdit->setText("Changed");
        switch (GetParam()) {
        case TCloseWay::CancelButton:
            QTest::mouseClick(Dialog.CancelButton(), Qt::LeftButton);
            break;
        case TCloseWay::Escape:
            QTest::keyClick(Dialog.NameEdit, Qt::Key_Escape);
            break;
        case TCloseWay::CloseBox:
            Dialog.close();
            break;
        }
    });
    EXPECT_FALSE(Dialog.Execute());

    EXPECT_EQ(Model.Name, "Engine");
    EXPECT_FALSE(Dialog.Calls.contains("AfterStore"));
}

INSTANTIATE_TEST_SUITE_P(EveryWayOut,
                         FormClosing,
                         ::testing::Values(TCloseWay::CancelButton, TCloseWay::Escape, TCloseWay::CloseBox),
                         [](const ::testing::TestParamInfo<TCloseWay>& Info) {
                             switch (Info.param) {
                             case TCloseWay::CancelButton:
                                 return std::string("CancelButton");
                             case TCloseWay::Escape:
                                 return std::string("Escape");
                             case TCloseWay::CloseBox:
                                 return std::string("CloseBox");
                             }
                             return std::string("Unknown");
                         });

TEST_F(FormExecute, OKWithAnInvalidEntryKeepsTheFormOpen)
{
    WhenModal([&](QWidget*) {
        Dialog.CountEdit->setText("12");
        QTest::mouseClick(Dialog.OKButton(), Qt::LeftButton);
        EXPECT_TRUE(Dialog.isVisible());
        EXPECT_TRUE(Dialog.CountEdit->hasFocus());
        EXPECT_EQ(Dialog.CountEdit->selectedText(), "12");
        Dialog.NameEdit->clear();
        Dialog.CountEdit->setText("4");
        QTest::mouseClick(Dialog.OKButton(), Qt::LeftButton);
        EXPECT_TRUE(Dialog.isVisible());
        EXPECT_TRUE(Dialog.NameEdit->hasFocus());
        Dialog.NameEdit->setText("Fixed");
        QTest::mouseClick(Dialog.OKButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(Dialog.Execute());

    EXPECT_EQ(MessageTexts(), QStringList({"'Count' must be in the range 1 to 10.", "'Name' must not be blank."}));
    ASSERT_EQ(Seam.Messages.size(), 2u);
    EXPECT_EQ(Seam.Messages[0].Caption, "");
    EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::Warning);
    EXPECT_EQ(Seam.Messages[0].Buttons, TMessageButtons::OK);
    EXPECT_EQ(Model.Name, "Fixed");
    EXPECT_EQ(Model.Count, 4);
}

// Hidden and disabled controls are not validated, so what they hold must not break storing.
TEST_F(FormExecute, UnreadableHiddenOrDisabledEntriesAreLeftOut)
{
    TGUID ID = TGUID::Parse("{4901B4C9-06FE-49B0-825A-D47ABA66C5F6}");
    TEditGUID* Hidden = CreateEditGUID(&Dialog, &ID, "ID", false);
    AddItem(Dialog.Items(), "ID", Hidden);
    WhenModal([&](QWidget*) {
        Hidden->setText("{not a GUID}");
        Hidden->hide();
        Dialog.CountEdit->setText("abc");
        Dialog.CountEdit->setEnabled(false);
        Dialog.NameEdit->setText("Pump");
        QTest::mouseClick(Dialog.OKButton(), Qt::LeftButton);
    });

    EXPECT_TRUE(Dialog.Execute());
    EXPECT_EQ(Model.Name, "Pump");
    EXPECT_EQ(Model.Count, 3);
    EXPECT_EQ(ID, TGUID::Parse("{4901B4C9-06FE-49B0-825A-D47ABA66C5F6}"));
}

TEST_F(FormExecute, ApplyWritesAtOnceAndALaterCancelKeepsIt)
{
    TRecordDialog Applying(true);
    Applying.SetValueReference(&Model);
    WhenModal([&](QWidget*) {
        Applying.NameEdit->setText("Applied");
        QTest::mouseClick(Applying.ApplyButton(), Qt::LeftButton);
        EXPECT_EQ(Model.Name, "Applied");
        EXPECT_TRUE(Applying.isVisible());
        Applying.NameEdit->setText("Dropped");
        QTest::mouseClick(Applying.CancelButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(Applying.Execute());
    Applying.SetValueReference(nullptr);

    EXPECT_EQ(Model.Name, "Applied");
    EXPECT_TRUE(Applying.Calls.contains("AfterApply"));
}

TEST_F(FormExecute, DefaultButtonShowsTheDefaultsWithoutStoring)
{
    WhenModal([&](QWidget*) {
        QTest::mouseClick(Dialog.DefaultButton(), Qt::LeftButton);
        EXPECT_EQ(Dialog.NameEdit->text(), "Unnamed");
        EXPECT_EQ(Dialog.CountEdit->text(), "5");
        EXPECT_EQ(Model.Name, "Engine");
        QTest::mouseClick(Dialog.CancelButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(Dialog.Execute());
}

TEST_F(FormExecute, ValueAndReferenceOfDifferentClassesAreRefused)
{
    TOtherRecord Other;
    Dialog.SetValueReference(&Other);
    Dialog.Working->Name = "Untouched";

    EXPECT_EQ(ReportOf([&] { Dialog.Execute(); }),
              "Unable to assign 'ValueReference' to 'Value' object as objects are of different types.");
    EXPECT_TRUE(Dialog.Calls.isEmpty());
    EXPECT_FALSE(Dialog.isVisible());
    EXPECT_EQ(Dialog.Working->Name, "Untouched");
    Dialog.SetValueReference(nullptr);
}

// The edited object is pinned while the dialog runs, and only then: the caller may free it before
// the idle dialog goes.
TEST_F(FormExecute, EditedModelObjectIsHeldOnlyWhileTheDialogRuns)
{
    EXPECT_EQ(Model.ReferenceCount(), 0);
    WhenModal([&](QWidget*) {
        EXPECT_EQ(Model.ReferenceCount(), 1);
        QTest::mouseClick(Dialog.CancelButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(Dialog.Execute());
    EXPECT_EQ(Model.ReferenceCount(), 0);

    TRecordDialog Outliving;
    {
        TTestRecord ShortLived;
        Outliving.SetValueReference(&ShortLived);
    }
}

// A command button marked as cancel is clicked by Escape before the form closes.
TEST_F(FormExecute, EscapeClicksACancelCommandButton)
{
    int Clicks = 0;
    TQORAutoForm Plain;
    Plain.Setup({.Caption = "Plain", .Buttons = fbOK});
    Plain.Buttons().emplace_back(CreateCommandButton(
        &Plain, "Stop", false, [&] { ++Clicks; }, true));
    WhenModal([&](QWidget* Shown) { QTest::keyClick(Shown, Qt::Key_Escape); });
    EXPECT_FALSE(Plain.Execute());
    EXPECT_EQ(Clicks, 1);
}

} // namespace
