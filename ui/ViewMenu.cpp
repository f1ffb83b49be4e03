// The View menu of the main window and the dock host around the tree. "Problems" shows and hides
// the problems panel, which lists every finding of the export error check and leads from a finding
// to its element; "Package contents" lists what an export would embed. Where the panel is and
// whether it shows is remembered with the other settings.

#include "app/Settings.h"
#include "forms/ObjectTreeView.h"
#include "forms/QORApplication.h"
#include "foundation/MemoryStream.h"
#include "model/Data.h"
#include "ui/MainWindow.h"
#include "ui/PackageContentsDialog.h"
#include "ui/ProblemsPanel.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

namespace {

const QString ViewStateName = QStringLiteral("WindowLayout");
// A stored layout is a few hundred bytes; anything far larger is not one of ours.
constexpr qsizetype MaxViewStateLength = 64 * 1024;
// Tells the layouts of this window apart from other QMainWindow states.
constexpr int ViewStateVersion = 1;

} // namespace

void TMain::CreateViewMenu()
{
    FDockHost = new QMainWindow(this);
    // A main window is made a window of its own whatever flags it is given: this one is a child.
    FDockHost->setWindowFlags(Qt::Widget);
    FDockHost->setObjectName(QStringLiteral("DockHost"));
    FDockHost->setCentralWidget(TreeControl);
    FDockHost->setDockOptions(QMainWindow::AnimatedDocks);

    ProblemsPanel = new TProblemsPanel([this] { return DocumentBytes(); }, FDockHost);
    ProblemsPanel->setAllowedAreas(Qt::AllDockWidgetAreas);
    FDockHost->addDockWidget(Qt::BottomDockWidgetArea, ProblemsPanel);
    ProblemsPanel->hide();
    connect(ProblemsPanel,
            &TProblemsPanel::FindingActivated,
            this,
            [this](const std::vector<TFindingStep>& Path, bool Open) {
                GuardedEvent([this, &Path, Open] { ProblemsPanelActivated(Path, Open); }, this);
            });

    MenuItem_View = MainMenu->addMenu(QStringLiteral("&View"));
    MenuItem_View->setObjectName(QStringLiteral("MenuItem_View"));
    MenuItem_Problems = ProblemsPanel->toggleViewAction();
    MenuItem_Problems->setText(QStringLiteral("Problems"));
    MenuItem_Problems->setObjectName(QStringLiteral("MenuItem_Problems"));
    MenuItem_View->addAction(MenuItem_Problems);
    MenuItem_PackageContents = MenuItem_View->addAction(QStringLiteral("Package contents"));
    MenuItem_PackageContents->setObjectName(QStringLiteral("MenuItem_PackageContents"));
    connect(MenuItem_PackageContents, &QAction::triggered, this, [this] {
        GuardedEvent([this] { MenuItem_PackageContentsClick(); }, this);
    });
    // Windows of their own follow below this line.
    MenuItem_View->addSeparator();
    CreateInspectAction();
    MenuItem_View->addAction(MenuItem_InspectPackage);
}

void TMain::ConnectProblemsPanel()
{
    connect(&FHistory->Stack(), &QUndoStack::indexChanged, this, [this] { DocumentChangedForProblems(); });
}

void TMain::DocumentChangedForProblems()
{
    if (ProblemsPanel && FDocument)
        ProblemsPanel->DocumentChanged();
}

QByteArray TMain::DocumentBytes() const
{
    TMemoryStream Stream;
    FDocument->SaveToStream(Stream);
    return Stream.Data();
}

void TMain::ShowProblemsPanel()
{
    ProblemsPanel->show();
    ProblemsPanel->raise();
    ProblemsPanel->Refresh();
}

void TMain::ProblemsPanelActivated(const std::vector<TFindingStep>& Path, bool Open)
{
    TQORObject* Element = FindingElement(*FDocument, Path);
    if (!Element || !Element->TreeNode())
        return;
    SelectObjectNode(Element);
    if (!Open)
        return;
    PopupMenuPopup();
    if (PopupMenu_Edit->isVisible() && PopupMenu_Edit->isEnabled())
        PopupMenu_Edit->trigger();
}

TPackageContentsDialog* TMain::MenuItem_PackageContentsClick()
{
    auto* Dialog = new TPackageContentsDialog(DocumentBytes(), this);
    Dialog->setAttribute(Qt::WA_DeleteOnClose);
    Dialog->show();
    return Dialog;
}

void TMain::ReadViewSettings(const TUserSettings& Settings)
{
    QString Stored;
    if (!Settings.ReadString(ViewStateName, Stored) || Stored.size() > MaxViewStateLength)
        return;
    const QByteArray State = QByteArray::fromBase64(Stored.toLatin1());
    // A layout that does not restore leaves the start layout as it was.
    FDockHost->restoreState(State, ViewStateVersion);
}

void TMain::WriteViewSettings(TUserSettings& Settings)
{
    Settings.WriteString(ViewStateName, QString::fromLatin1(FDockHost->saveState(ViewStateVersion).toBase64()));
}
