// The Problems panel: every finding of the check in its own words, leading back to its element by
// list and position, and never a result an edit has overtaken.

#include "ui/ProblemsPanel.h"

#include "EditingFixture.h"
#include "foundation/General.h"
#include "model/CheckFindings.h"

#include <QAccessible>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

namespace {

class ProblemsPanel : public EditingFixture
{
protected:
    // Two drivers named alike and a third whose ID repeats the first's: every driver file is
    // missing, so there are errors for each and a warning for the repeated ID.
    void AddTwins(TData& Data)
    {
        SampleDefinitions::BuildRich(Data);
        for (const char* Name : {"Twin", "Twin"}) {
            auto* Driver = new TDriver;
            Driver->ID = CreateGUID();
            Driver->Name = QLatin1String(Name);
            Driver->FilePath = Dir.filePath(QStringLiteral("nowhere"));
            Driver->FileName = QStringLiteral("twin.sys");
            Data.Drivers.Add(Driver);
        }
        auto* Copy = new TDriver;
        Copy->Assign(Data.Drivers.Items(0), false);
        Copy->Name = QStringLiteral("Copy");
        Data.Drivers.Add(Copy);
    }

    TProblemsPanel& Panel() { return *Window->ProblemsPanel; }

    void ShowAndWait()
    {
        Window->show();
        Window->ShowProblemsPanel();
        QTRY_VERIFY_WITH_TIMEOUT(Panel().Current(), 20000);
    }

    QString Cell(int Row, int Column) { return Panel().View()->model()->index(Row, Column).data().toString(); }
};

TEST_F(ProblemsPanel, ListsEveryFindingInTheCheckWordsWithIconsAndWordsAScreenReaderReads)
{
    TData Data;
    AddTwins(Data);
    Open(Data);
    ShowAndWait();
    const std::vector<TCheckFinding> Expected = CollectCheckFindings(Document());
    const auto Errors = std::count_if(Expected.begin(), Expected.end(), [](const TCheckFinding& Finding) {
        return Finding.Severity == TFindingSeverity::Error;
    });
    ASSERT_GE(Errors, 3);
    ASSERT_GE(qsizetype(Expected.size()) - Errors, 1);

    QAbstractItemModel& Model = *Panel().View()->model();
    ASSERT_EQ(Model.rowCount(), int(Expected.size()));
    QStringList Messages;
    for (int Row = 0; Row < Model.rowCount(); ++Row) {
        const TCheckFinding& Finding = Expected[size_t(Row)];
        const bool Error = Finding.Severity == TFindingSeverity::Error;
        EXPECT_EQ(Cell(Row, 0), Error ? QStringLiteral("Error") : QStringLiteral("Warning"));
        EXPECT_FALSE(Model.index(Row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        EXPECT_EQ(Cell(Row, 1), Finding.Message);
        EXPECT_EQ(Cell(Row, 2), Finding.Location);
        Messages << Finding.Message;
    }
    EXPECT_EQ(
        Messages.filter(QRegularExpression("^Driver file '.*twin.sys' for driver 'Twin' does not exist.$")).size(), 2)
        << Messages.join('\n').toStdString();
    EXPECT_EQ(Panel().Summary()->text(),
              QStringLiteral("%1 errors, %2 warning%3.")
                  .arg(Errors)
                  .arg(Expected.size() - Errors)
                  .arg(Expected.size() - Errors == 1 ? "" : "s"));

    // Through the accessibility interface: the panel, its summary and each cell's words.
    QAccessibleInterface* View = QAccessible::queryAccessibleInterface(Panel().View());
    ASSERT_NE(View, nullptr);
    EXPECT_EQ(View->text(QAccessible::Name), QStringLiteral("Problems"));
    QStringList Read;
    std::function<void(QAccessibleInterface*)> Walk = [&](QAccessibleInterface* Node) {
        for (int I = 0; I < Node->childCount(); ++I)
            if (QAccessibleInterface* Child = Node->child(I)) {
                Read << Child->text(QAccessible::Name);
                Walk(Child);
            }
    };
    Walk(View);
    for (const TCheckFinding& Finding : Expected) {
        EXPECT_TRUE(Read.contains(Finding.Message)) << Finding.Message.toStdString();
        EXPECT_TRUE(Read.contains(Finding.Location)) << Finding.Location.toStdString();
    }
    EXPECT_TRUE(Read.contains(QStringLiteral("Error")));
    EXPECT_TRUE(Read.contains(QStringLiteral("Warning")));
    QAccessibleInterface* Summary = QAccessible::queryAccessibleInterface(Panel().Summary());
    ASSERT_NE(Summary, nullptr);
    EXPECT_EQ(Summary->text(QAccessible::Name), Panel().Summary()->text());

    // The check box still names the first error, and the panel stays.
    Window->MenuItem_ExportErrorCheck->trigger();
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Text, Expected.front().Message);
    EXPECT_TRUE(Panel().isVisible());
}

TEST_F(ProblemsPanel, ActivatingAFindingSelectsItsElementByPositionAndCtrlReturnOpensIt)
{
    TData Data;
    AddTwins(Data);
    Open(Data);
    ShowAndWait();
    const int Second = Document().Drivers.Count() - 2;
    ASSERT_EQ(Document().Drivers.Items(Second)->Name, QStringLiteral("Twin"));
    int Row = -1;
    for (size_t I = 0; I < Panel().Findings().size(); ++I)
        if (Panel().Findings()[I].Location == QStringLiteral("Drivers/Twin #%1").arg(Second + 1))
            Row = int(I);
    ASSERT_GE(Row, 0);

    QTreeView* View = Panel().View();
    View->setFocus();
    View->setCurrentIndex(View->model()->index(Row, 1));
    QTest::keyClick(View, Qt::Key_Return);
    ASSERT_NE(Window->SelectedObject(), nullptr);
    EXPECT_EQ(Window->SelectedObject(), Document().Drivers.Items(Second));
    EXPECT_TRUE(Window->TreeControl->viewport()->rect().contains(
        Window->TreeControl->visualItemRect(Window->TreeControl->currentItem())));

    // A double click does the same on another row; Ctrl+Return opens the element's dialog.
    Window->TreeControl->setCurrentItem(nullptr);
    emit View->doubleClicked(View->model()->index(Row, 0));
    EXPECT_EQ(Window->SelectedObject(), Document().Drivers.Items(Second));
    QString Opened;
    AnswerNextDialog(false, [&Opened](QDialog& Dialog) { Opened = Dialog.metaObject()->className(); });
    View->setFocus();
    QTest::keyClick(View, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Opened, QStringLiteral("TDriverDialog"));

    // A path the definition no longer has leads as deep as it still fits.
    std::vector<TFindingStep> Gone = Panel().Findings()[size_t(Row)].Path;
    Gone[0].Position = 10000;
    EXPECT_EQ(FindingElement(Document(), Gone), nullptr);
}

TEST_F(ProblemsPanel, AResultAnEditOvertookIsNeverShownAndTheLatestStateIsChecked)
{
    TData Data;
    AddTwins(Data);
    Open(Data);
    ShowAndWait();
    const size_t Before = Panel().Findings().size();

    // A result for an earlier request than the latest is dropped.
    const uint64_t Old = Panel().Generation();
    Panel().DocumentChanged();
    EXPECT_FALSE(Panel().Current());
    TCheckFinding Fake;
    Fake.Message = QStringLiteral("stale");
    Panel().DeliverForTesting(Old, {Fake});
    EXPECT_EQ(Panel().Findings().size(), Before);
    EXPECT_NE(Cell(0, 1), QStringLiteral("stale"));
    EXPECT_FALSE(Panel().Current());
    QTRY_VERIFY_WITH_TIMEOUT(Panel().Current(), 20000);

    // Edits in quick succession: what shows at the end is the check of the last state.
    Select({"Drivers", "Copy"});
    Run(Window->PopupMenu_Delete);
    Select({"Drivers", "Twin"});
    Run(Window->PopupMenu_Delete);
    EXPECT_FALSE(Panel().Current());
    QTRY_VERIFY_WITH_TIMEOUT(Panel().Current(), 20000);
    const std::vector<TCheckFinding> Expected = CollectCheckFindings(Document());
    ASSERT_EQ(Panel().Findings().size(), Expected.size());
    for (size_t I = 0; I < Expected.size(); ++I)
        EXPECT_EQ(Panel().Findings()[I].Message, Expected[I].Message);
    EXPECT_LT(Expected.size(), Before);
}

TEST_F(ProblemsPanel, TheViewMenuShowsAndHidesThePanelAndItsStateIsRemembered)
{
    Window->show();
    EXPECT_TRUE(Panel().isHidden());
    Window->MenuItem_Problems->trigger();
    EXPECT_FALSE(Panel().isHidden());
    Window.reset();
    Window = std::make_unique<TMain>();
    EXPECT_FALSE(Window->ProblemsPanel->isHidden());
    Window->show();
    Window->MenuItem_Problems->trigger();
    Window.reset();
    Window = std::make_unique<TMain>();
    EXPECT_TRUE(Window->ProblemsPanel->isHidden());

    // A stored layout that is no layout leaves the start layout.
    Window.reset();
    {
        TUserSettings Settings;
        Settings.WriteString(QStringLiteral("WindowLayout"), QStringLiteral("not a layout"));
        Settings.Flush();
    }
    Window = std::make_unique<TMain>();
    EXPECT_TRUE(Window->ProblemsPanel->isHidden());
}

} // namespace
