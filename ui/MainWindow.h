#pragma once

// The main window: one code package definition for the window's whole life, shown as a tree, the
// File menu with its document commands, and the four per-user settings.

#include "forms/QORForms.h"
#include "foundation/GUID.h"
#include "model/CheckFindings.h"
#include "ui/PackageTree.h"
#include "ui/UndoHistory.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QMimeData;
class QTreeWidgetItem;
class TBackgroundExport;
class TData;
class TDocumentGuard;
class TPackageContentsDialog;
class TProblemsPanel;
class TUserSettings;
class TQORObject;
class TQORObjectClipboard;
class TQtClipboardBackend;
class TQORObjectTreeView;
class TRecentFiles;

// What one command did: whether it changed the document, the object whose node is selected
// afterwards (none keeps the node at the place selected before, as for the package's own lines) and,
// for a command that removes its element, the element's text to name the undo step by.
struct TCommandOutcome
{
    bool Changed = false;
    const TQORObject* Select = nullptr;
    QString Subject;
};

class TMain : public TQORForm
{
    Q_OBJECT
public:
    // Builds the window and runs FormCreate; check CreationCompleted before showing it.
    explicit TMain(QWidget* Owner = nullptr);
    ~TMain() override;

    bool CreationCompleted() const { return FCreationCompleted; }
    TData& Document() const { return *FDocument; }
    // Follows the undo history: false exactly at the saved (or opened) state.
    bool Modified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }
    TDocumentHistory& History() const { return *FHistory; }
    const QString& DocumentFileName() const { return FDocumentFileName; }
    void SetDocumentFileName(const QString& Value) { FDocumentFileName = Value; }
    const QString& FilePath() const { return FFilePath; }
    const QString& ExportFilePath() const { return FExportFilePath; }
    const QString& ExportFileName() const { return FExportFileName; }
    int32_t ExportType() const { return FExportType; }
    TPackageMarkers& Markers() const { return *FMarkers; }
    TQORObjectClipboard& Clipboard() const { return *FClipboard; }

    TQORObjectTreeView* TreeControl = nullptr;
    QMenuBar* MainMenu = nullptr;
    QMenu* MenuItem_File = nullptr;
    QAction* MenuItem_New = nullptr;
    QAction* MenuItem_Open = nullptr;
    // "Open recent": the files last opened or saved (RecentFiles.h).
    QMenu* MenuItem_OpenRecent = nullptr;
    QAction* MenuItem_Save = nullptr;
    QAction* MenuItem_SaveAs = nullptr;
    QAction* MenuItem_ExportErrorCheck = nullptr;
    QAction* MenuItem_Export = nullptr;
    QAction* MenuItem_About = nullptr;
    QAction* MenuItem_Exit = nullptr;
    // Undo, Redo, then the seven element commands: the same actions as the context menu's, shown
    // and enabled as the selected node offers them.
    QMenu* MenuItem_Edit = nullptr;
    QAction* MenuItem_Undo = nullptr;
    QAction* MenuItem_Redo = nullptr;
    // "Problems" shows and hides the problems panel; "Package contents" lists what an export would
    // embed (ViewMenu.cpp).
    QMenu* MenuItem_View = nullptr;
    QAction* MenuItem_Problems = nullptr;
    QAction* MenuItem_PackageContents = nullptr;
    TProblemsPanel* ProblemsPanel = nullptr;
    QAction* MenuItem_InspectPackage = nullptr;
    // The element commands of the tree; PopupMenuPopup shows those the selected node offers.
    QMenu* PopupMenu = nullptr;
    QAction* PopupMenu_Create = nullptr;
    QAction* PopupMenu_Edit = nullptr;
    QAction* PopupMenu_Cut = nullptr;
    QAction* PopupMenu_Copy = nullptr;
    QAction* PopupMenu_Paste = nullptr;
    QAction* PopupMenu_Clear = nullptr;
    QAction* PopupMenu_Delete = nullptr;

    void NewDocument();
    void LoadDocument(const QString& FileName);
    void WriteDocument(const QString& FileName);
    bool OpenDocument();
    // An entry of "Open recent": a file that has gone is reported and leaves the list; otherwise the
    // document may first be saved, as for Open. True when the file was loaded.
    bool OpenRecentFile(const QString& FileName);
    TRecentFiles& RecentFiles() const { return *FRecentFiles; }
    bool Save();
    bool SaveAs();
    // True when the document may be discarded: unchanged, saved on request, or dropped by the user.
    bool QuerySave();
    void UpdateView();

    void MenuItem_NewClick();
    void MenuItem_OpenClick();
    void MenuItem_SaveClick();
    void MenuItem_SaveAsClick();
    void MenuItem_ExportErrorCheckClick();
    void MenuItem_ExportClick();
    void MenuItem_AboutClick();
    void MenuItem_ExitClick();
    void MenuItem_UndoClick();
    void MenuItem_RedoClick();
    // Opens the package contents window (not modal); it closes itself when done with.
    TPackageContentsDialog* MenuItem_PackageContentsClick();
    // Shows the problems panel and checks the definition again.
    void ShowProblemsPanel();
    // Selects the element of a finding's path; Open then opens its dialog.
    void ProblemsPanelActivated(const std::vector<TFindingStep>& Path, bool Open);
    // The document as its file's bytes, to be read into a copy elsewhere.
    QByteArray DocumentBytes() const;
    // Opens a package file for reading in a window of its own (ui/PackageWindow).
    void MenuItem_InspectPackageClick();

    // The element commands (ElementCommands.cpp). Each acts on the selected node's object.
    void PopupMenuPopup();
    void PopupMenu_CreateClick();
    void PopupMenu_EditClick();
    void PopupMenu_DeleteClick();
    void TreeControlDblClick();
    // Runs one command on the document. After a change the tree is rebuilt, the outcome's node
    // selected and the change recorded as one undo step named after Name and the element. A command
    // that fails leaves the document as it was.
    void RunCommand(const QString& Name, const std::function<TCommandOutcome()>& Command);
    // The object of the selected node; none without a selection.
    TQORObject* SelectedObject() const;

    // The element clipboard, on the selected node's object.
    void PopupMenu_CopyClick();
    void PopupMenu_CutClick();
    void PopupMenu_PasteClick();
    void PopupMenu_ClearClick();

    // Files dropped onto the tree (FileDrops.cpp): elements for the files on a group that takes
    // them, or a definition file opened. True when the drop was taken. AnyTarget asks only whether
    // Data holds local files at all.
    bool CanDropFiles(const QMimeData* Data, QTreeWidgetItem* Target, bool AnyTarget = false) const;
    bool DropFiles(const QMimeData* Data, QTreeWidgetItem* Target);

    // Filter positions of the export dialog, counted from 1; E_QOR_EnumerationOutOfRange otherwise.
    static int ExportTypeToFilterIndex(int32_t ExportType);
    static int32_t FilterIndexToExportType(int FilterIndex);

protected:
    void closeEvent(QCloseEvent* Event) override;

private:
    void CreateComponents();
    QAction* AddMenuItem(const QString& Caption, const QKeySequence& Shortcut, void (TMain::*Handler)());
    void FormCreate();
    void FormDestroy();
    bool FormCloseQuery();
    void ReadSettings();
    void WriteSettings();
    void ReadCommandLine();
    void ShowExceptionMessage(void* Sender, const std::exception_ptr& Error);
    void TreeControlExpanded(QTreeWidgetItem* Item);
    void TreeControlCollapsed(QTreeWidgetItem* Item);
    void RebuildTree();
    void ConnectElementCommands();
    void CreateEditMenu();
    // The View menu and the dock host that holds the tree and the problems panel.
    void CreateViewMenu();
    void ConnectProblemsPanel();
    // Every change of the document: the problems panel checks it again.
    void DocumentChangedForProblems();
    void ReadViewSettings(const TUserSettings& Settings);
    void WriteViewSettings(TUserSettings& Settings);
    void CreateInspectAction();
    void ConnectHistory();
    void ConnectFileDrops();
    // Sets the element commands' state from the selected node, with the clipboard last peeked.
    void ShowOfferedActions();
    // Selects the node that shows Object in the current tree; none clears the selection.
    void SelectObjectNode(const TQORObject* Object);
    // Selects Node (none: no selection), scrolls it into view and keeps the focus in the tree.
    void SelectNode(QTreeWidgetItem* Node);
    TTreePath SelectedPath() const;
    void SelectPath(const TTreePath& Path);
    void HistoryRestored(const TTreePath& Select);

    // Holds the tree in its middle and the docked panels around it.
    QMainWindow* FDockHost = nullptr;
    std::unique_ptr<TData> FDocument;
    std::unique_ptr<TQtClipboardBackend> FClipboardBackend;
    std::unique_ptr<TQORObjectClipboard> FClipboard;
    std::unique_ptr<TPackageMarkers> FMarkers;
    // Owned by its menu.
    TRecentFiles* FRecentFiles = nullptr;
    std::unique_ptr<TDocumentGuard> FGuard;
    std::unique_ptr<TDocumentHistory> FHistory;
    TGUID FClipboardClassID;
    bool FModified = false;
    QString FDocumentFileName;
    QString FFilePath;
    QString FExportFilePath;
    QString FExportFileName;
    int32_t FExportType = 0;
    bool FSettingsRead = false;
    bool FCreationCompleted = false;
    // The export being written while its progress shows; closing the window cancels it first.
    TBackgroundExport* FExport = nullptr;
    bool FCloseAfterExport = false;
};
