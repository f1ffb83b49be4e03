#include "forms/BrowseButton.h"

#include "FormTestSupport.h"
#include "forms/dialogs/CodeModuleDialog.h"
#include "forms/dialogs/DriverDialog.h"
#include "forms/dialogs/SupportFileDialog.h"
#include "model/Data.h"
#include "model/Driver.h"
#include "model/SupportFile.h"

#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A dialog with the two fields its Browse button fills, in the working copy.
struct TBrowseCase
{
    const char* Name;
    std::function<std::unique_ptr<TQORAutoForm>(TData& Package)> Create;
    std::function<QString&(TQORObject* Value)> Folder;
    std::function<QString&(TQORObject* Value)> FileName;
    QString NameCaption;
    QString FolderCaption;
    QString ButtonName;
    QString FirstFilter;
};

void PrintTo(const TBrowseCase& Case, std::ostream* Stream)
{
    *Stream << Case.Name;
}

const TBrowseCase BrowseCases[] = {
    {"CodeModule",
     [](TData& Package) { return std::make_unique<TCodeModuleDialog>(nullptr, &Package); },
     [](TQORObject* Value) -> QString& { return static_cast<TCodeModule*>(Value)->FilePath; },
     [](TQORObject* Value) -> QString& { return static_cast<TCodeModule*>(Value)->FileName; },
     "File name",
     "File path",
     "Browse for the code module file",
     "Code module files (*.dll *.exe)"},
    {"Driver",
     [](TData&) { return std::make_unique<TDriverDialog>(); },
     [](TQORObject* Value) -> QString& { return static_cast<TDriver*>(Value)->FilePath; },
     [](TQORObject* Value) -> QString& { return static_cast<TDriver*>(Value)->FileName; },
     "File name",
     "File path",
     "Browse for the driver file",
     "Driver files (*.dll *.exe *.sys)"},
    {"SupportFile",
     [](TData&) { return std::make_unique<TSupportFileDialog>(); },
     [](TQORObject* Value) -> QString& { return static_cast<TSupportFile*>(Value)->SourceFilePath; },
     [](TQORObject* Value) -> QString& { return static_cast<TSupportFile*>(Value)->SourceFileName; },
     "Source file name",
     "Source file path",
     "Browse for the support file",
     "All files (*)"},
};

TQORAutoFormItem* RowOf(TQORAutoForm& Dialog, const QString& Caption)
{
    for (int32_t I = 0; I < Dialog.Items().Count(); ++I)
        if (Dialog.Items().Row(I)->Caption == Caption)
            return Dialog.Items().Row(I);
    return nullptr;
}

// The next widget after From that Tab reaches.
QWidget* NextTabStop(QWidget* From)
{
    for (QWidget* Next = From->nextInFocusChain(); Next && Next != From; Next = Next->nextInFocusChain())
        if ((Next->focusPolicy() & Qt::TabFocus) && !Next->focusProxy() && Next->isVisibleTo(From->window()))
            return Next;
    return nullptr;
}

class BrowseButton : public FormTest, public testing::WithParamInterface<TBrowseCase>
{
protected:
    void SetUp() override
    {
        Dialog = GetParam().Create(Package);
        GetParam().Folder(Dialog->Value()) = QStringLiteral("old folder");
        GetParam().FileName(Dialog->Value()) = QStringLiteral("old.dll");
        Dialog->CreateItems();
        Dialog->LoadValues();
        Dialog->Arrange();
        TQORAutoFormItem* Row = RowOf(*Dialog, GetParam().NameCaption);
        ASSERT_NE(Row, nullptr);
        BrowseRow = dynamic_cast<TBrowseRow*>(Row->Control.data());
        ASSERT_NE(BrowseRow, nullptr);
        NameEdit = qobject_cast<QLineEdit*>(BrowseRow->Control());
        ASSERT_NE(RowOf(*Dialog, GetParam().FolderCaption), nullptr);
        FolderEdit = qobject_cast<QLineEdit*>(RowOf(*Dialog, GetParam().FolderCaption)->Control.data());
        ASSERT_NE(NameEdit, nullptr);
        ASSERT_NE(FolderEdit, nullptr);
    }

    TData Package;
    std::unique_ptr<TQORAutoForm> Dialog;
    TBrowseRow* BrowseRow = nullptr;
    QLineEdit* NameEdit = nullptr;
    QLineEdit* FolderEdit = nullptr;
};

// The chosen file goes into the rows as folder and name; the working copy takes them only when the
// values are stored (on OK), and a cancelled file dialog changes nothing.
TEST_P(BrowseButton, FillsFolderAndNameRowsFromTheChosenFile)
{
    const QString Chosen = QDir::temp().filePath(QStringLiteral("modules/Recorder.dll"));
    Seam.OpenFileNames = {Chosen};
    BrowseRow->Button()->click();

    ASSERT_EQ(Seam.FileRequests.size(), 1u);
    EXPECT_EQ(Seam.FileRequests[0].Directory, QStringLiteral("old folder"));
    EXPECT_EQ(Seam.FileRequests[0].Filter.split(QStringLiteral(";;")).first(), GetParam().FirstFilter);
    EXPECT_EQ(FolderEdit->text(), QDir::toNativeSeparators(QDir::temp().filePath(QStringLiteral("modules"))));
    EXPECT_EQ(NameEdit->text(), QStringLiteral("Recorder.dll"));
    EXPECT_EQ(GetParam().FileName(Dialog->Value()), QStringLiteral("old.dll")) << "nothing stored before OK";

    Dialog->StoreValues();
    EXPECT_EQ(GetParam().Folder(Dialog->Value()), FolderEdit->text());
    EXPECT_EQ(GetParam().FileName(Dialog->Value()), QStringLiteral("Recorder.dll"));

    BrowseRow->Button()->click(); // no file queued: cancelled
    EXPECT_EQ(Seam.FileRequests.size(), 2u);
    EXPECT_EQ(NameEdit->text(), QStringLiteral("Recorder.dll"));
    EXPECT_TRUE(Seam.Messages.empty());
}

// A screen reader names the button for what it chooses; Tab goes from the name to the button and on
// to the next row, the row label's buddy focuses the edit, and Return does not press the button.
TEST_P(BrowseButton, IsNamedReachableByKeyboardAndPlacedBesideItsEdit)
{
    QPushButton* Button = BrowseRow->Button();
    EXPECT_EQ(Button->text(), QStringLiteral("Browse\u2026"));
    QAccessibleInterface* Interface = QAccessible::queryAccessibleInterface(Button);
    ASSERT_NE(Interface, nullptr);
    EXPECT_EQ(Interface->text(QAccessible::Name), GetParam().ButtonName);
    EXPECT_EQ(Interface->role(), QAccessible::Button);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(NameEdit)->text(QAccessible::Name), GetParam().NameCaption);

    EXPECT_EQ(NextTabStop(NameEdit), Button);
    QWidget* AfterButton = NextTabStop(Button);
    ASSERT_NE(AfterButton, nullptr);
    EXPECT_NE(AfterButton, NameEdit);
    EXPECT_FALSE(BrowseRow->isAncestorOf(AfterButton));
    EXPECT_FALSE(Button->autoDefault());
    EXPECT_EQ(RowOf(*Dialog, GetParam().NameCaption)->Label->buddy()->focusProxy(), NameEdit);

    // The row keeps the height and width of the folder row; the button stands right of the edit.
    EXPECT_EQ(BrowseRow->geometry().size(), FolderEdit->geometry().size());
    EXPECT_LT(NameEdit->geometry().right(), Button->geometry().left());
    EXPECT_EQ(Button->geometry().right(), BrowseRow->width() - 1);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, BrowseButton, testing::ValuesIn(BrowseCases), PrintedTestName());

} // namespace
