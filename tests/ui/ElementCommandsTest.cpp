#include "app/CommandLine.h"
#include "app/Settings.h"
#include "forms/ObjectTreeView.h"
#include "forms/QORForms.h"
#include "foundation/ObjectClipboard.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "model/ElementRegistry.h"
#include "samples/SampleDefinitions.h"
#include "ui/EditingFixture.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMap>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using SampleDefinitions::AddElement;
using SampleDefinitions::SampleGUID;

namespace {

template <class T> T* Named(TQORList& List, const char* Name)
{
    T* Item = AddElement<T>(List);
    Item->Name = QLatin1String(Name);
    return Item;
}

template <class T> QStringList Names(const TQORList& List)
{
    QStringList Result;
    for (int32_t I = 0; I < List.Count(); ++I)
        Result << List.ItemAs<T>(I)->Name;
    return Result;
}

// The editing window, with the class of each dialog a command opens kept.
class ElementCommands : public EditingFixture
{
protected:
    // The next modal dialog is answered with Accept or Cancel; its class name is kept.
    void AnswerNextDialog(bool Accept)
    {
        QTimer::singleShot(0, [this, Accept] {
            auto* Dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            Opened = Dialog ? Dialog->metaObject()->className() : "";
            if (Dialog)
                Accept ? Dialog->accept() : Dialog->reject();
        });
    }

    QStringList Offered()
    {
        Window->PopupMenuPopup();
        QStringList Items;
        for (const QAction* Item : Window->PopupMenu->actions())
            if (Item->isVisible())
                Items << Item->text() + (Item->isEnabled() ? "" : "-");
        return Items;
    }

    QString Opened;
};

TEST_F(ElementCommands, CreatePlacesTheNewElementAsItsListSaysAndEditSortsExceptForTools)
{
    Named<TInterfaceType>(Document().InterfaceTypes, "Beta");
    Named<TInterfaceType>(Document().InterfaceTypes, "alpha");
    Named<TTaskType>(Document().TaskTypes, "Zeta");
    auto* Module = Named<TCodeModule>(Document().CodeModules, "Module");
    Window->UpdateView();

    // Sorted while the name is still empty, then named: first, and not sorted again.
    Select({"Interface types"});
    Run(Window->PopupMenu_Create);
    EXPECT_EQ(Names<TInterfaceType>(Document().InterfaceTypes), QStringList({"Interface type name", "alpha", "Beta"}));
    EXPECT_TRUE(Window->Modified());
    EXPECT_EQ(Node({"Interface types"})->child(0)->text(0), QStringLiteral("Interface type name"));
    Select({"Interface types", "Interface type name", "Name: "});
    AnswerNextDialog(true);
    Run(Window->PopupMenu_Edit);
    EXPECT_EQ(Opened, QStringLiteral("TInterfaceTypeDialog"));
    EXPECT_EQ(Names<TInterfaceType>(Document().InterfaceTypes), QStringList({"alpha", "Beta", "Interface type name"}));

    Select({"Data types", "Task types"});
    Run(Window->PopupMenu_Create);
    EXPECT_EQ(Names<TTaskType>(Document().TaskTypes), QStringList({"Zeta", "Task type name"}));
    Select({"Data types", "Task types", "Task type name"});
    AnswerNextDialog(true);
    Run(Window->PopupMenu_Edit);
    EXPECT_EQ(Names<TTaskType>(Document().TaskTypes), QStringList({"Task type name", "Zeta"}));

    // Tools keep their creation order: renaming the first and editing the second sorts nothing.
    for (int I = 0; I < 2; ++I) {
        Select({"Code modules", "Module", "Command line tools"});
        Run(Window->PopupMenu_Create);
    }
    EXPECT_EQ(Names<TCommandLineTool>(Module->CommandLineTools), QStringList({"Tool name", "Tool name"}));
    Module->CommandLineTools.ItemAs<TCommandLineTool>(0)->Name = QStringLiteral("Zed");
    Window->UpdateView();
    Select({"Code modules", "Module", "Command line tools", "Tool name"});
    AnswerNextDialog(true);
    Run(Window->PopupMenu_Edit);
    EXPECT_EQ(Opened, QStringLiteral("TCommandLineToolDialog"));
    EXPECT_EQ(Names<TCommandLineTool>(Module->CommandLineTools), QStringList({"Zed", "Tool name"}));

    EXPECT_TRUE(Seam.Messages.empty());
}

TEST_F(ElementCommands, CancelledDialogsChangeNothingAndConfirmedOnesMarkTheDocument)
{
    auto* Module = Named<TCodeModule>(Document().CodeModules, "Module");
    auto* Object = Named<TTaskModuleObject>(Module->TaskModuleObjects, "Object");
    // Out of order, so that a confirmed edit changes the definition (by sorting).
    Named<TTaskModuleObject>(Module->TaskModuleObjects, "Another");
    Window->UpdateView();

    Select({"Code modules", "Module", "Task module objects", "Object", "Task modules"});
    QTreeWidgetItem* Selected = Window->TreeControl->currentItem();
    AnswerNextDialog(false);
    Run(Window->PopupMenu_Create);
    EXPECT_EQ(Opened, QStringLiteral("TCreateTaskModuleDialog"));
    EXPECT_EQ(Object->TaskModules.Count(), 0);
    EXPECT_FALSE(Window->Modified());
    // Not rebuilt: the selected node is still there.
    EXPECT_EQ(Window->TreeControl->currentItem(), Selected);

    AnswerNextDialog(true);
    Run(Window->PopupMenu_Create);
    EXPECT_EQ(Object->TaskModules.Count(), 1);
    EXPECT_TRUE(Window->Modified());

    // Reference-wise editing, cancelled and confirmed.
    Window->SetModified(false);
    Select({"Code modules", "Module", "Task module objects", "Object", "Name: "});
    Object->Name = QStringLiteral("Before");
    AnswerNextDialog(false);
    Run(Window->PopupMenu_Edit);
    EXPECT_EQ(Opened, QStringLiteral("TTaskModuleObjectDialog"));
    EXPECT_FALSE(Window->Modified());
    AnswerNextDialog(true);
    Run(Window->PopupMenu_Edit);
    EXPECT_TRUE(Window->Modified());
    EXPECT_EQ(Object->Name, QStringLiteral("Before"));
    EXPECT_TRUE(Seam.Messages.empty());
}

TEST_F(ElementCommands, DoubleClickEditsLeavesOnlyAndNodesWithChildrenOnlyOpenOrClose)
{
    Named<TCodeModule>(Document().CodeModules, "Module");
    // Out of order, so that confirming the module's dialog sorts and so changes the definition.
    Named<TCodeModule>(Document().CodeModules, "Another");
    Document().CodeModules.SetExpanded(true);
    Window->UpdateView();
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    auto DoubleClick = [this](const QStringList& Path, bool Accept = false) {
        QTreeWidgetItem* Item = Node(Path);
        Window->TreeControl->scrollToItem(Item);
        Opened.clear();
        AnswerNextDialog(Accept);
        const QPoint Point = Window->TreeControl->visualItemRect(Item).center();
        QTest::mouseClick(Window->TreeControl->viewport(), Qt::LeftButton, {}, Point);
        QTest::mouseDClick(Window->TreeControl->viewport(), Qt::LeftButton, {}, Point);
        QApplication::processEvents();
    };
    DoubleClick({"Code modules", "Module"});
    EXPECT_EQ(Opened, QString());
    EXPECT_TRUE(Node({"Code modules", "Module"})->isExpanded());
    DoubleClick({"Code package name: "});
    EXPECT_EQ(Opened, QStringLiteral("TQORAutoForm"));
    DoubleClick({"Code modules", "Module", "Support files"});
    EXPECT_EQ(Opened, QString()) << "an empty group is a leaf, yet no element";
    EXPECT_FALSE(Window->Modified());
    // Confirmed from the tree, which is rebuilt underneath the double click.
    DoubleClick({"Code modules", "Module", "ID: "}, true);
    EXPECT_EQ(Opened, QStringLiteral("TCodeModuleDialog"));
    EXPECT_TRUE(Window->Modified());
    EXPECT_TRUE(Node({"Code modules", "Module"})->isExpanded());
}

TEST_F(ElementCommands, MenuOffersByTheSelectedObjectAndPasteFollowsTheClipboard)
{
    auto* Driver = Named<TDriver>(Document().Drivers, "Driver");
    Window->UpdateView();

    EXPECT_EQ(Offered(), QStringList());
    Select({"Data types"});
    EXPECT_EQ(Offered(), QStringList());
    Select({"Drivers", "Driver", "Name: "});
    EXPECT_EQ(Offered(), QStringList({"Edit", "Cut", "Copy", "Paste-", "Delete"}));
    Window->Clipboard().Copy(*Driver);
    EXPECT_EQ(Offered(), QStringList({"Edit", "Cut", "Copy", "Paste", "Delete"}));
    Select({"Drivers"});
    EXPECT_EQ(Offered(), QStringList({"Create", "Copy", "Paste", "Clear"}));

    // A right click on another node leaves the selection where it was, and the menu is the
    // selected node's.
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    QTreeWidgetItem* Selected = Window->TreeControl->currentItem();
    const QRect Other = Window->TreeControl->visualItemRect(Node({"Code modules"}));
    QTest::mousePress(Window->windowHandle(),
                      Qt::RightButton,
                      {},
                      Window->TreeControl->viewport()->mapTo(Window.get(), Other.center()));
    EXPECT_EQ(Window->TreeControl->currentItem(), Selected);
    EXPECT_TRUE(Selected->isSelected());
    EXPECT_TRUE(Window->PopupMenu->isVisible());
    EXPECT_TRUE(Window->PopupMenu_Copy->isVisible()) << "Copy is offered for drivers only";
    Window->PopupMenu->hide();
}

TEST_F(ElementCommands, DeleteRemovesAtOnceAndDropsEveryReference)
{
    auto* Gone = Named<TTaskType>(Document().TaskTypes, "Gone");
    auto* Kept = Named<TTaskType>(Document().TaskTypes, "Kept");
    auto* Object =
        Named<TTaskModuleObject>(Named<TCodeModule>(Document().CodeModules, "Module")->TaskModuleObjects, "Object");
    for (int I = 0; I < 2; ++I) {
        auto* Module = AddElement<TTaskModule>(Object->TaskModules);
        Module->InputTaskTypes.Add(Gone);
        Module->OutputTaskTypes.Add(Gone);
        Module->OutputTaskTypes.Add(Kept);
    }
    Window->UpdateView();

    Select({"Data types", "Task types", "Gone", "ID: "});
    Run(Window->PopupMenu_Delete);
    EXPECT_EQ(Names<TTaskType>(Document().TaskTypes), QStringList({"Kept"}));
    for (int32_t I = 0; I < 2; ++I) {
        const auto* Module = Object->TaskModules.ItemAs<TTaskModule>(I);
        EXPECT_EQ(Module->InputTaskTypes.Count(), 0);
        ASSERT_EQ(Module->OutputTaskTypes.Count(), 1);
        EXPECT_EQ(Module->OutputTaskTypes.Items(0), Kept);
    }
    EXPECT_TRUE(Window->Modified());
    EXPECT_TRUE(Seam.Messages.empty()) << "no question asked";
    EXPECT_EQ(Node({"Data types", "Task types"})->childCount(), 1);
}

} // namespace
