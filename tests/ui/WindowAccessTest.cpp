// What the keyboard and a screen reader get from the main window: the window kind, the menus, the
// tree's node texts and the texts of the boxes, read in-process through Qt's accessibility interface.

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "forms/ObjectTreeView.h"
#include "forms/QORForms.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "samples/SampleDefinitions.h"
#include "ui/MainWindow.h"
#include "ui/QtUserSeam.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

QStringList ChildNames(QAccessibleInterface* Interface)
{
    QStringList Names;
    for (int I = 0; Interface && I < Interface->childCount(); ++I)
        if (QAccessibleInterface* Child = Interface->child(I))
            Names << Child->text(QAccessible::Name);
    return Names;
}

TEST(WindowKind, AWindowIsATopLevelWindowThatLeavesReturnAndEscapeAlone)
{
    for (const TFormKind Kind : {TFormKind::Dialog, TFormKind::Window}) {
        TQORForm Form(nullptr, Kind);
        auto* Edit = new QLineEdit(&Form);
        auto* Button = new QPushButton(QStringLiteral("OK"), &Form);
        auto* Layout = new QVBoxLayout(&Form);
        Layout->addWidget(Edit);
        Layout->addWidget(Button);
        Button->setDefault(true);
        int Clicks = 0;
        QObject::connect(Button, &QPushButton::clicked, [&Clicks] { ++Clicks; });
        Form.show();
        QTest::keyClick(Edit, Qt::Key_Return);
        QTest::keyClick(Edit, Qt::Key_Escape);

        const bool IsWindow = Kind == TFormKind::Window;
        EXPECT_EQ(Clicks, IsWindow ? 0 : 1);
        EXPECT_TRUE(Form.isVisible()) << "Escape closes no plain form";
        EXPECT_EQ(Form.windowType(), IsWindow ? Qt::Window : Qt::Dialog);
        EXPECT_EQ(bool(Form.windowFlags() & Qt::WindowMaximizeButtonHint), IsWindow);
    }
}

class WindowAccess : public ::testing::Test
{
protected:
    WindowAccess() : Guard(&Seam)
    {
        SetSettingsFileForTesting(Dir.filePath(QStringLiteral("settings.ini")));
        TData Rich;
        SampleDefinitions::BuildRich(Rich);
        FileName = Dir.filePath(QStringLiteral("rich.cpd"));
        Rich.SaveToFile(FileName);
        SetProgramArguments({FileName});
        Window = std::make_unique<TMain>();
        Window->show();
    }
    ~WindowAccess() override
    {
        Window.reset();
        SetSettingsFileForTesting(QString());
        SetProgramArguments({});
    }

    QTemporaryDir Dir;
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard;
    QString FileName;
    std::unique_ptr<TMain> Window;
};

TEST_F(WindowAccess, CaptionTreeAndMenuAreReadByAScreenReader)
{
    QAccessibleInterface* Main = QAccessible::queryAccessibleInterface(Window.get());
    ASSERT_NE(Main, nullptr);
    EXPECT_EQ(Main->role(), QAccessible::Window);
    EXPECT_EQ(Main->text(QAccessible::Name), QStringLiteral("Quillon [%1]").arg(FileName));

    QAccessibleInterface* Tree = QAccessible::queryAccessibleInterface(Window->TreeControl);
    ASSERT_NE(Tree, nullptr);
    const QStringList Nodes = ChildNames(Tree);
    for (const char* Text : {"Code package name: Sample package",
                             "Beta software: Yes",
                             "Data types",
                             "Task types",
                             "Drivers",
                             "Cockpit driver",
                             "Code modules"})
        EXPECT_TRUE(Nodes.contains(QLatin1String(Text))) << Text << "\n" << Nodes.join('\n').toStdString();

    QAccessibleInterface* File = QAccessible::queryAccessibleInterface(Window->MenuItem_File);
    ASSERT_NE(File, nullptr);
    EXPECT_EQ(ChildNames(File),
              QStringList({"New",
                           "",
                           "Open",
                           "Open recent",
                           "Save",
                           "Save as",
                           "",
                           "Export error check",
                           "Export",
                           "",
                           "About",
                           "",
                           "Exit"}));
    QAccessibleInterface* Open = File->child(2);
    ASSERT_NE(Open, nullptr);
    EXPECT_EQ(Open->text(QAccessible::Accelerator),
              QKeySequence(Qt::CTRL | Qt::Key_O).toString(QKeySequence::NativeText));
}

TEST_F(WindowAccess, TheKeyboardReachesTheTreeTheMenuAndTheCommands)
{
    QApplication::setActiveWindow(Window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    EXPECT_EQ(Window->focusWidget(), Window->TreeControl);
    QTest::keyClick(Window->TreeControl, Qt::Key_Down);
    ASSERT_NE(Window->TreeControl->currentItem(), nullptr);

    QTest::keyClick(Window.get(), Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(Window->MenuItem_File->isVisible());
    Window->MenuItem_File->hide();

    // Ctrl+F9 runs the export error check; its box answers through the seam.
    QTest::keyClick(Window->TreeControl, Qt::Key_F9, Qt::ControlModifier);
    ASSERT_EQ(Seam.Messages.size(), 1u);
}

TEST(BoxAccess, TheMessageOfABoxIsReadByAScreenReader)
{
    TQtUserSeam Seam;
    QString Read;
    QTimer::singleShot(0, [&Read] {
        auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(Box, nullptr);
        QAccessibleInterface* Interface = QAccessible::queryAccessibleInterface(Box);
        ASSERT_NE(Interface, nullptr);
        Read = Interface->text(QAccessible::Name) + QLatin1Char('|') + Interface->text(QAccessible::Description) +
               QLatin1Char('|') + ChildNames(Interface).join(QLatin1Char('|'));
        Box->close();
    });
    Seam.ShowMessage(nullptr,
                     QStringLiteral("File has changed. Do you wish to save?"),
                     QStringLiteral("Query"),
                     TMessageButtons::YesNoCancel,
                     TMessageIcon::None);
    EXPECT_TRUE(Read.contains(QLatin1String("File has changed. Do you wish to save?"))) << Read.toStdString();
    EXPECT_TRUE(Read.contains(QLatin1String("Query"))) << Read.toStdString();
}

} // namespace
