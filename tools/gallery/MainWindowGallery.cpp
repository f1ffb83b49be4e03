#include "tools/gallery/MainWindowGallery.h"

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "forms/ObjectTreeView.h"
#include "foundation/QORExceptions.h"
#include "foundation/QORList.h"
#include "model/Data.h"
#include "samples/SampleDefinitions.h"
#include "ui/ExportProgress.h"
#include "ui/MainWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QPixmap>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTreeWidgetItemIterator>

#include <memory>

namespace {

void Save(TMain& Window, const QString& FileName)
{
    QCoreApplication::processEvents();
    if (!Window.grab().save(FileName))
        throw E_QOR_ErrorCreatingFile(QStringLiteral("File name='%1'").arg(FileName));
}

void SelectFirstCodeModule(TMain& Window)
{
    const TQORObject* Module = Window.Document().CodeModules.Items(0);
    for (QTreeWidgetItemIterator It(Window.TreeControl); *It; ++It) {
        const TQORTreeNode* Node = TQORObjectTreeView::NodeOf(*It);
        if (Node && Node->IsBound() && Node->Object() == Module) {
            Window.TreeControl->setCurrentItem(*It);
            return;
        }
    }
}

} // namespace

void RenderMainWindow(const QDir& Out)
{
    QTemporaryDir Scratch;
    // The window reads and writes settings: never the user's.
    SetSettingsFileForTesting(Scratch.filePath(QStringLiteral("settings.ini")));
    TData Rich;
    SampleDefinitions::BuildRich(Rich);
    const QString Definition = Scratch.filePath(QStringLiteral("rich.cpd"));
    Rich.SaveToFile(Definition);
    SetProgramArguments({Definition});
    {
        TMain Window;
        if (!Window.CreationCompleted())
            throw E_QOR_Failed(QStringLiteral("The main window did not open the sample."));
        for (QTreeWidgetItemIterator It(Window.TreeControl); *It; ++It) {
            const TQORTreeNode* Node = TQORObjectTreeView::NodeOf(*It);
            if (Node && Node->IsBound() && (dynamic_cast<TQORList*>(Node->Object()) || !Node->ParentNode()))
                (*It)->setExpanded(true);
        }
        Window.setWindowState(Qt::WindowNoState);
        Window.show();
        Save(Window, Out.filePath(QStringLiteral("main-window.png")));
        Window.setWindowState(Qt::WindowMaximized);
        Save(Window, Out.filePath(QStringLiteral("main-window-maximised.png")));

        // The Edit menu as it stands for a selected code module, after one step that can be undone.
        Window.setWindowState(Qt::WindowNoState);
        SelectFirstCodeModule(Window);
        Window.PopupMenu_DeleteClick();
        SelectFirstCodeModule(Window);
        QCoreApplication::processEvents();
        Window.MenuItem_Edit->popup(Window.mapToGlobal(QPoint(0, 0)));
        QCoreApplication::processEvents();
        if (!Window.MenuItem_Edit->grab().save(Out.filePath(QStringLiteral("main-window-edit-menu.png"))))
            throw E_QOR_ErrorCreatingFile(QStringLiteral("File name='main-window-edit-menu.png'"));
        Window.MenuItem_Edit->hide();

        // An export well under way, as its progress dialog shows it.
        const std::unique_ptr<QProgressDialog> Progress(CreateExportProgressDialog(&Window));
        Progress->setLabelText(ExportProgressText(QStringLiteral("/home/author/Recorder/data/channels-037.bin")));
        Progress->setValue(420);
        Progress->show();
        QCoreApplication::processEvents();
        if (!Progress->grab().save(Out.filePath(QStringLiteral("export-progress.png"))))
            throw E_QOR_ErrorCreatingFile(QStringLiteral("File name='export-progress.png'"));
    }
    SetProgramArguments({});
    SetSettingsFileForTesting(QString());
}
