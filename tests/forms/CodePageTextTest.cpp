#include "FormTestSupport.h"
#include "forms/Controls.h"
#include "forms/dialogs/PackagePropertiesForm.h"
#include "forms/dialogs/TaskModuleObjectDialog.h"
#include "forms/dialogs/TaskTypeDialog.h"
#include "model/Data.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

// The control of the row labelled Caption.
template <class T> T* RowControl(TQORAutoForm& Form, const QString& Caption)
{
    for (T* Control : Form.findChildren<T*>())
        if (Control->accessibleName() == Caption)
            return Control;
    ADD_FAILURE() << "no row " << Caption.toStdString();
    return nullptr;
}

void ClickOK(TQORAutoForm& Form)
{
    QTest::mouseClick(Form.OKButton(), Qt::LeftButton);
}

// OK with text the code page lacks keeps the dialog open, names the row and each character once, and
// leaves the element alone; the code page's own characters pass.
TEST_F(FormTest, ElementDialogRefusesTextTheDefinitionFileCannotStore)
{
    TTaskType Type;
    Type.Name = QStringLiteral("Quiz");
    TTaskTypeDialog Dialog;
    Dialog.SetValueReference(&Type);
    bool StayedOpen = false;
    WhenModal([&](QWidget*) {
        TEditString* Name = RowControl<TEditString>(Dialog, QStringLiteral("Name"));
        Name->setText(QStringLiteral(u"\u4f60\u597d \u4f60"));
        ClickOK(Dialog);
        StayedOpen = Dialog.isVisible();
        Name->setText(QStringLiteral(u"Caf\u00e9 \u20ac"));
        ClickOK(Dialog);
    });
    EXPECT_TRUE(Dialog.Execute());
    Dialog.SetValueReference(nullptr);
    EXPECT_TRUE(StayedOpen);
    EXPECT_EQ(MessageTexts(),
              QStringList({QStringLiteral(u"'Name' contains characters that cannot be stored: '\u4f60', '\u597d'.")}));
    EXPECT_EQ(Type.Name, QStringLiteral(u"Caf\u00e9 \u20ac"));

    // Cancel after a refusal leaves the element as it was.
    TTaskTypeDialog Again;
    Again.SetValueReference(&Type);
    WhenModal([&](QWidget*) {
        RowControl<TEditString>(Again, QStringLiteral("Notes"))->setText(QStringLiteral(u"\u0100"));
        ClickOK(Again);
        Again.reject();
    });
    EXPECT_FALSE(Again.Execute());
    Again.SetValueReference(nullptr);
    EXPECT_EQ(MessageTexts().last(), QStringLiteral(u"'Notes' contains characters that cannot be stored: '\u0100'."));
    EXPECT_TRUE(Type.Notes.isEmpty());
}

// The memo of the package properties refuses the same way, naming its row.
TEST_F(FormTest, MultilineTextRefusesTextTheDefinitionFileCannotStore)
{
    TData Package;
    const auto Form = CreatePackagePropertiesForm(nullptr, Package, TPackageProperty::Info);
    WhenModal([&](QWidget*) {
        RowControl<TEditMultilineString>(*Form, QStringLiteral("Code package 'About' information"))
            ->setPlainText(QStringLiteral(u"Line one\nZero\u200bwidth"));
        ClickOK(*Form);
        Form->reject();
    });
    EXPECT_FALSE(Form->Execute());
    EXPECT_EQ(MessageTexts(),
              QStringList({QStringLiteral(
                  "'Code package 'About' information' contains characters that cannot be stored: U+200B.")}));
    EXPECT_TRUE(Package.AboutInformation.isEmpty());
}

// A string list refuses at its prompt, naming the list; a line that is already there blocks OK and
// gets selected.
TEST_F(FormTest, StringListRefusesTextTheDefinitionFileCannotStore)
{
    TData Package;
    TTaskModuleObject Object;
    TTaskModuleObjectDialog Dialog(nullptr, &Package);
    Dialog.SetValueReference(&Object);
    QStringList Lines;
    int Selected = -1;
    WhenModal([&](QWidget*) {
        TEditStrings* Categories = RowControl<TEditStrings>(Dialog, QStringLiteral("Tool categories"));
        WhenModal([](QWidget* Prompt) {
            auto* Entry = Prompt->findChild<TEditString*>();
            Entry->setText(QStringLiteral(u"\u7c7b\u522b"));
            ClickOK(*static_cast<TQORAutoForm*>(Prompt));
            Entry->setText(QStringLiteral("Diagnostics"));
            ClickOK(*static_cast<TQORAutoForm*>(Prompt));
        });
        Categories->CreateClick();
        Categories->addItem(QStringLiteral(u"\U0001F600"));
        Categories->setCurrentRow(0);
        ClickOK(Dialog);
        Lines = Categories->Lines();
        Selected = Categories->currentRow();
        delete Categories->takeItem(1);
        ClickOK(Dialog);
    });
    EXPECT_TRUE(Dialog.Execute());
    Dialog.SetValueReference(nullptr);
    EXPECT_EQ(Lines, QStringList({QStringLiteral("Diagnostics"), QStringLiteral(u"\U0001F600")}));
    EXPECT_EQ(Selected, 1);
    const QString Refused = QStringLiteral("'Tool categories' contains characters that cannot be stored: ");
    EXPECT_EQ(
        MessageTexts(),
        QStringList({Refused + QStringLiteral(u"'\u7c7b', '\u522b'."), Refused + QStringLiteral(u"'\U0001F600'.")}));
    EXPECT_EQ(Object.ToolCategories, QStringList({QStringLiteral("Diagnostics")}));
}

} // namespace
