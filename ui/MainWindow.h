#pragma once

// The main window: one code package definition for the window's whole life, shown as a tree, the
// File menu with its document commands, and the four per-user settings.

#include "forms/QORForms.h"
#include "ui/PackageTree.h"

#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QMenuBar;
class QTreeWidgetItem;
class TData;
class TDocumentGuard;
class TQORObject;
class TQORObjectClipboard;
class TQtClipboardBackend;
class TQORObjectTreeView;
class TRecentFiles;

class TMain : public TQORForm
{
    Q_OBJECT
public:
    // Builds the window and runs FormCreate; check CreationCompleted before showing it.
    explicit TMain(QWidget* Owner = nullptr);
    ~TMain() override;

    bool CreationCompleted() const { return FCreationCompleted; }
    TData& Document() const { return *FDocument; }
    bool Modified() const { return FModified; }
    // Set by every command that changes the document.
    void SetModified(bool Value) { FModified = Value; }
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

    // The element commands (ElementCommands.cpp). Each acts on the selected node's object.
    void PopupMenuPopup();
    void PopupMenu_CreateClick();
    void PopupMenu_EditClick();
    void PopupMenu_DeleteClick();
    void TreeControlDblClick();
    // Runs one step that changes the document and tells whether it did; after a change the document
    // is marked modified and the tree rebuilt. Every command goes through here.
    void RunCommand(const std::function<bool()>& Command);
    // The object of the selected node; none without a selection.
    TQORObject* SelectedObject() const;

    // The element clipboard, on the selected node's object.
    void PopupMenu_CopyClick();
    void PopupMenu_CutClick();
    void PopupMenu_PasteClick();
    void PopupMenu_ClearClick();

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
    // Selects the node that shows Object in the current tree; none clears the selection.
    void SelectObjectNode(const TQORObject* Object);

    std::unique_ptr<TData> FDocument;
    std::unique_ptr<TQtClipboardBackend> FClipboardBackend;
    std::unique_ptr<TQORObjectClipboard> FClipboard;
    std::unique_ptr<TPackageMarkers> FMarkers;
    // Owned by its menu.
    TRecentFiles* FRecentFiles = nullptr;
    std::unique_ptr<TDocumentGuard> FGuard;
    bool FModified = false;
    QString FDocumentFileName;
    QString FFilePath;
    QString FExportFilePath;
    QString FExportFileName;
    int32_t FExportType = 0;
    bool FSettingsRead = false;
    bool FCreationCompleted = false;
};
