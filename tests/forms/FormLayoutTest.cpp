#include "FormTestSupport.h"
#include "forms/Controls.h"
#include "forms/QORForms.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

class FormLayout : public FormTest
{
protected:
    void SetUp() override { Form.Setup({.Caption = "Layout"}); }

    TEditString* AddString(const QString& Caption)
    {
        auto* Control = CreateEditString(&Form, &Text, Caption);
        AddItem(Form.Items(), Caption, Control);
        return Control;
    }

    int LabelWidth(const QString& Caption) const { return Form.fontMetrics().horizontalAdvance(Caption + ":"); }
    int ButtonsWidth() const { return Form.OKButton()->width() + 8 + Form.CancelButton()->width(); }
    int ButtonsHeight() const { return std::max(Form.OKButton()->height(), Form.CancelButton()->height()); }
    int LabelHeight() const { return Form.fontMetrics().height(); }

    QString Text;
    TQORAutoForm Form;
};

TEST_F(FormLayout, LabelledControlsStartAfterTheLongestLabel)
{
    TEditString* Short = AddString("ID");
    TEditString* Long = AddString("Object server type");
    Form.Arrange();

    const int Column = 4 + LabelWidth("Object server type") + 8;
    EXPECT_EQ(Short->x(), Column);
    EXPECT_EQ(Long->x(), Column);
    EXPECT_EQ(Short->width(), 200);
    EXPECT_EQ(Long->width(), 200);
    // Rows start at 8 with the control raised 3 pixels; a row is its taller part plus 3.
    const QLabel* FirstLabel = Form.Items().Row(0)->Label;
    EXPECT_EQ(FirstLabel->pos(), QPoint(4, 8));
    EXPECT_EQ(FirstLabel->text(), "ID:");
    EXPECT_EQ(Short->y(), 5);
    const int RowHeight = std::max(Short->height(), LabelHeight());
    EXPECT_EQ(Form.Items().Row(1)->Label->y(), 8 + RowHeight + 3);
    EXPECT_EQ(Long->y(), 8 + RowHeight + 3 - 3);
    // Fixed size: exactly the content plus margins and the button row.
    EXPECT_EQ(Form.width(), std::max(Column + 200 + 4, ButtonsWidth() + 60));
    EXPECT_EQ(Form.height(), 2 * (RowHeight + 3) + 8 + ButtonsHeight() + 4);
}

TEST_F(FormLayout, EmptyCaptionReservesTheLabelColumnWithoutText)
{
    Form.MinLabelWidth = 50;
    TEditString* Control = AddString("");
    Form.Arrange();

    EXPECT_EQ(Form.Items().Row(0)->Label->text(), "");
    EXPECT_EQ(Control->x(), 4 + 50 + 8);
}

TEST_F(FormLayout, InvisibleRowsTakeNoSpace)
{
    TEditString* First = AddString("First");
    TEditString* Hidden = AddString("Hidden row with the longest caption");
    TEditString* Third = AddString("Third");
    Hidden->hide();
    Form.Items().Row(1)->Label->hide();
    Form.Arrange();

    EXPECT_EQ(Third->y(), First->y() + std::max(First->height(), LabelHeight()) + 3);
    EXPECT_EQ(Third->x(), 4 + LabelWidth("Third") + 8);
    EXPECT_EQ(Form.height(), 2 * (std::max(First->height(), LabelHeight()) + 3) + 8 + ButtonsHeight() + 4);
}

TEST_F(FormLayout, FormOfInvisibleRowsIsSizedFromItsButtons)
{
    AddString("One")->hide();
    Form.Items().Row(0)->Label->hide();
    AddControl(Form.Items(), CreateEditString(&Form, &Text, "Two"))->Control->hide();
    Form.Arrange();

    EXPECT_EQ(Form.width(), ButtonsWidth() + 60);
    EXPECT_EQ(Form.height(), 8 + ButtonsHeight() + 4);
    // The button row is centred and sits 4 pixels above the bottom.
    EXPECT_EQ(Form.OKButton()->pos(), QPoint(30, 8));
    EXPECT_EQ(Form.CancelButton()->x(), 30 + Form.OKButton()->width() + 8);
}

TEST_F(FormLayout, NarrowRowsWidenToTheButtonRow)
{
    QLabel* Note = CreateTextLabel(&Form, "x");
    AddControl(Form.Items(), Note);
    Form.Arrange();

    EXPECT_EQ(Form.width(), ButtonsWidth() + 60);
    EXPECT_EQ(Note->x(), 4);
    EXPECT_EQ(Note->width(), Form.width() - 8);
    EXPECT_EQ(Note->height(), 21);
}

TEST_F(FormLayout, FixedSizeFormCannotBeResized)
{
    AddString("Name");
    Form.Arrange();

    EXPECT_EQ(Form.minimumSize(), Form.maximumSize());
    const QSize Before = Form.size();
    Form.resize(Before + QSize(100, 100));
    EXPECT_EQ(Form.size(), Before);
}

TEST_F(FormLayout, SizeableFormSpreadsSpareHeightOverStretchableControlsOnly)
{
    TQORAutoForm Sizeable;
    Sizeable.Setup({.BorderStyle = bsSizeable, .Caption = "Sizeable", .Buttons = fbOK});
    QString A, B, C;
    auto* Edit = CreateEditString(&Sizeable, &A, "A");
    auto* FirstMemo = CreateEditMultilineString(&Sizeable, &B, "B", false, {}, true, 40, false, ssNone);
    auto* SecondMemo = CreateEditMultilineString(&Sizeable, &C, "C", false, {}, true, 40, false, ssNone);
    AddItem(Sizeable.Items(), "A", Edit);
    AddItem(Sizeable.Items(), "B", FirstMemo);
    AddItem(Sizeable.Items(), "C", SecondMemo);
    // A control without the control interface is measured by its own size, not the stretched one.
    QLabel* Note = CreateTextLabel(&Sizeable, "Note");
    AddControl(Sizeable.Items(), Note);
    Sizeable.Arrange();
    EXPECT_FALSE(Sizeable.FixedWidth);
    const int EditHeight = Edit->height();
    const QSize Minimum = Sizeable.minimumSize();

    Sizeable.resize(Minimum + QSize(60, 101));
    Sizeable.Arrange();

    EXPECT_EQ(Edit->height(), EditHeight);
    EXPECT_EQ(FirstMemo->height(), 40 + 50);
    EXPECT_EQ(SecondMemo->height(), 40 + 51);
    EXPECT_EQ(SecondMemo->y(), FirstMemo->y() + FirstMemo->height() + 3);
    EXPECT_EQ(Edit->width(), 200 + 60);
    EXPECT_EQ(Sizeable.minimumSize(), Minimum);

    Note->resize(Note->width(), 30);
    Sizeable.resize(Minimum.width() + 300, Sizeable.height());
    Sizeable.Arrange();
    Sizeable.resize(Minimum.width(), Sizeable.height());
    Sizeable.Arrange();
    EXPECT_EQ(Sizeable.width(), Minimum.width());
    EXPECT_EQ(Note->height(), 30);
}

// The minima are the outer size, already when the form is arranged before it is first shown.
TEST_F(FormLayout, MinimumFormSizeIncludesTheFrame)
{
    Form.MinFormWidth = 500;
    Form.MinFormHeight = 300;
    AddString("Name");
    Form.Arrange();
    const QSize Arranged = Form.size();
    Form.show();
    QApplication::processEvents();

    const QSize Frame = Form.frameGeometry().size() - Form.size();
    EXPECT_GT(Frame.width(), 0);
    EXPECT_EQ(Arranged + Frame, QSize(500, 300));
    EXPECT_EQ(Form.frameGeometry().size(), QSize(500, 300));
    Form.hide();
}

TEST_F(FormLayout, RightColumnButtonsStackAtTheRightEdge)
{
    TQORAutoForm Column;
    Column.Setup(
        {.Caption = "Column", .Buttons = fbOK | fbCancel | fbDefault | fbApply, .ButtonLayout = blRightColumn});
    AddItem(Column.Items(), "Name", CreateEditString(&Column, &Text, "Name"));
    Column.Arrange();

    int Widest = 0;
    int Stack = -8;
    for (const auto& Button : Column.Buttons()) {
        Widest = std::max(Widest, Button->width());
        Stack += Button->height() + 8;
    }
    const QPushButton* Apply = Column.ApplyButton();
    EXPECT_EQ(Column.OKButton()->pos(), QPoint(Column.width() - 4 - Widest, 8));
    EXPECT_EQ(Apply->y(), 8 + Stack - Apply->height());
    EXPECT_EQ(Column.height(), std::max(8 + Column.Items().Row(0)->Control->height() + 3, Stack + 12));
    EXPECT_EQ(Column.DefaultButton()->text(), "Default");
    EXPECT_EQ(Apply->text(), "Apply");
}

TEST_F(FormLayout, UnknownButtonLayoutIsRefused)
{
    Form.ButtonLayout = static_cast<TButtonLayout>(3);
    EXPECT_EQ(ExpectThrowReport<E_QOR_EnumerationOutOfRange>([&] { Form.Arrange(); }), "Enumeration out of range.");
}

// The tab order runs through the rows' controls, into group boxes, then the buttons.
TEST_F(FormLayout, TabOrderFollowsRowsThenButtons)
{
    bool Flag = false;
    int32_t Number = 0;
    auto* Extra = CreateCommandButton(&Form, "Extra", false, {}, false);
    Form.Buttons().emplace_back(Extra);
    TEditString* Third = CreateEditString(&Form, &Text, "Third");
    TContainerGroupBox* Group = AddGroup(Form.Items(), &Form, "Group", 0, 0);
    auto* Inner = CreateBooleanCheckBox(Group, "Inner", &Flag, "", taLeftJustify);
    auto* InnerNumber = CreateEditInteger(Group, &Number, "N", false, 0, false, 0, false, 0);
    AddControl(Group->Items(), Inner);
    AddItem(Group->Items(), "Number", InnerNumber);
    TEditString* First = AddString("First");
    AddItem(Form.Items(), "Third", Third);
    Form.Arrange();

    const std::vector<QWidget*> Expected{Inner, InnerNumber, First, Third, Form.OKButton(), Form.CancelButton(), Extra};
    std::vector<QWidget*> Actual;
    QWidget* Current = Inner;
    for (int Step = 0; Step < 100 && Actual.size() < Expected.size(); ++Step, Current = Current->nextInFocusChain())
        if (std::find(Expected.begin(), Expected.end(), Current) != Expected.end())
            Actual.push_back(Current);
    EXPECT_EQ(Actual, Expected);
}

// Boxes after captions of different lengths stand in one column, not each right after its caption.
TEST_F(FormLayout, CheckBoxCaptionsLineTheirBoxesUp)
{
    bool Short = false;
    bool Long = false;
    AddString("Name");
    auto* ShortBox = CreateBooleanCheckBox(&Form, "Run", &Short, "", taLeftJustify);
    auto* LongBox = CreateBooleanCheckBox(&Form, "Delay before returning to host", &Long, "", taLeftJustify);
    AddControl(Form.Items(), ShortBox);
    AddControl(Form.Items(), LongBox);
    Form.Arrange();

    QTest::mouseClick(ShortBox, Qt::LeftButton, {}, QPoint(LongBox->GetCaptionWidth() + 4, ShortBox->height() / 2));
    EXPECT_TRUE(ShortBox->isChecked());
}

TEST_F(FormLayout, GroupBoxLaysOutItsOwnRows)
{
    bool Flag = false;
    int32_t Number = 0;
    TContainerGroupBox* Group = AddGroupItem(Form.Items(), &Form, "Notes", "Caption", 0, 100);
    auto* Box = CreateBooleanCheckBox(Group, "Supported", &Flag, "", taLeftJustify);
    auto* Width = CreateEditInteger(Group, &Number, "", false, 0, false, 0, false, 0);
    AddControl(Group->Items(), Box);
    AddItem(Group->Items(), "Preferred width", Width);
    Form.Arrange();

    const QFontMetrics Metrics = Form.fontMetrics();
    const int Label = Metrics.horizontalAdvance("Preferred width:");
    const int RowOne = std::max(Box->height(), LabelHeight());
    EXPECT_EQ(Group->GetPreferredWidth(Metrics), Label + 8 + 200 + 14);
    EXPECT_EQ(Group->GetPreferredHeight(Metrics), RowOne + 3 + std::max(Width->height(), LabelHeight()) + 3 + 20 + 4);
    EXPECT_EQ(Box->pos(), QPoint(7, 20 - 3));
    EXPECT_EQ(Group->Items().Row(1)->Label->pos(), QPoint(7, 20 + RowOne + 3));
    EXPECT_EQ(Width->x(), 7 + Label + 8);
    EXPECT_EQ(Width->x() + Width->width(), Group->width() - 7);
    EXPECT_EQ(Box->x() + Box->width(), Group->width() - 7);
}

} // namespace
