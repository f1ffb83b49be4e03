#include "FormTestSupport.h"
#include "forms/Pickers.h"
#include "model/Data.h"
#include "model/TaskModule.h"
#include "samples/SampleDefinitions.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class Picker : public FormTest
{
protected:
    void SetUp() override { SampleDefinitions::BuildRich(Package); }

    // The picker's entry texts, and the selected one ("" for none), after Steps ran on it.
    static void Choose(const QString& Text, QStringList* Entries = nullptr, QString* Selected = nullptr)
    {
        WhenModal([=](QWidget* Dialog) {
            auto* Form = static_cast<TSelectElementDialog*>(Dialog);
            TAutoComboBox* List = Form->ComboBox();
            if (Entries)
                for (int I = 0; I < List->count(); ++I)
                    Entries->append(List->itemText(I));
            if (Selected)
                *Selected = List->currentText();
            if (Text.isEmpty()) {
                Form->reject();
                return;
            }
            List->setCurrentIndex(List->findText(Text));
            QTest::mouseClick(Form->OKButton(), Qt::LeftButton);
        });
    }

    QStringList Names(const TQORList& List) const
    {
        QStringList Result;
        for (int32_t I = 0; I < List.Count(); ++I)
            Result.append(static_cast<const TBaseDataType*>(List.Items(I))->Name);
        return Result;
    }

    TData Package;
    TTaskModule Module;
};

// Add opens on nothing, offers the candidates sorted and refuses an element already referenced.
TEST_F(Picker, AddOffersSortedCandidatesAndRefusesDuplicates)
{
    TDataTypesControl Control(nullptr, &Package.TaskTypes, &Module.InputTaskTypes, "Task type", 60);
    QStringList Entries;
    QString Selected = "unset";
    QString Caption;
    WhenModal([&](QWidget* Dialog) {
        Caption = Dialog->windowTitle();
        static_cast<QDialog*>(Dialog)->reject();
    });
    Control.AddClick();
    EXPECT_EQ(Caption, "Select Task Type");

    Choose("Quiz", &Entries, &Selected);
    Control.AddClick();
    EXPECT_EQ(Entries, QStringList({"Assessment", "exercise", "Quiz"}));
    EXPECT_EQ(Selected, "");
    Choose("exercise");
    Control.AddClick();
    EXPECT_EQ(Names(Module.InputTaskTypes), QStringList({"exercise", "Quiz"}));
    Choose("Quiz");
    Control.AddClick();
    EXPECT_EQ(Names(Module.InputTaskTypes), QStringList({"exercise", "Quiz"}));
    EXPECT_EQ(MessageTexts(), QStringList({"Item already exists."}));
    EXPECT_EQ(Control.count(), 2);
}

// Edit opens on the line's element and may make a second reference; Remove empties the list.
TEST_F(Picker, EditAllowsDuplicatesAndRemoveEmptiesTheList)
{
    Module.InputTaskTypes.Add(Package.TaskTypes.Items(0));
    Module.InputTaskTypes.Add(Package.TaskTypes.Items(2));
    TDataTypesControl Control(nullptr, &Package.TaskTypes, &Module.InputTaskTypes, "Task type", 60);
    Control.LoadValue();
    EXPECT_FALSE(Control.EditAction()->isEnabled());
    Control.setCurrentRow(1);
    QString Selected;
    Choose("Assessment", nullptr, &Selected);
    Control.EditClick();
    EXPECT_EQ(Selected, "Quiz");
    EXPECT_EQ(Names(Module.InputTaskTypes), QStringList({"Assessment", "Assessment"}));
    EXPECT_TRUE(MessageTexts().isEmpty());

    for (int Left : {1, 0}) {
        Control.setCurrentRow(0);
        EXPECT_TRUE(Control.RemoveAction()->isEnabled());
        Control.RemoveClick();
        EXPECT_EQ(Module.InputTaskTypes.Count(), Left);
    }
    EXPECT_EQ(Control.count(), 0);
    EXPECT_FALSE(Control.EditAction()->isEnabled());
    EXPECT_FALSE(Control.RemoveAction()->isEnabled());
}

// OK without a choice keeps the picker open with a message; Cancel then changes nothing.
TEST_F(Picker, OKWithNothingSelectedSaysSo)
{
    TCodeModule CodeModule;
    TInterfaceTypesControl Control(nullptr, &Package, &CodeModule.HostInterfaces, 129);
    QStringList Entries;
    WhenModal([&](QWidget* Dialog) {
        auto* Form = static_cast<TSelectElementDialog*>(Dialog);
        EXPECT_EQ(Form->windowTitle(), "Select Interface Type");
        for (int I = 0; I < Form->ComboBox()->count(); ++I)
            Entries.append(Form->ComboBox()->itemText(I));
        QTest::mouseClick(Form->OKButton(), Qt::LeftButton);
        EXPECT_TRUE(Form->isVisible());
        Form->reject();
    });
    Control.AddClick();
    EXPECT_EQ(Entries, QStringList({"IHost", "IPlugin", "IViewer"}));
    EXPECT_EQ(MessageTexts(), QStringList({"No item selected."}));
    EXPECT_EQ(CodeModule.HostInterfaces.Count(), 0);
}

} // namespace
