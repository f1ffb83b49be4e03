#include "ui/MainWindow.h"

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "forms/ObjectTreeView.h"
#include "forms/QORApplication.h"
#include "foundation/BusyCursor.h"
#include "foundation/General.h"
#include "foundation/ObjectClipboard.h"
#include "foundation/Paths.h"
#include "foundation/QORExceptions.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "model/PackageExport.h"
#include "ui/AboutBox.h"
#include "ui/DocumentGuard.h"
#include "ui/QtClipboardBackend.h"
#include "ui/RecentFiles.h"
#include "ui/WindowAccessibility.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QScrollBar>
#include <QVBoxLayout>

#include <utility>

namespace {

const QString DefinitionFilter = QStringLiteral("Code Package Definition File (*.cpd)");
const QString PackageFilter = QStringLiteral("Code Package File (*.cpk)");

// The folder part of FileName with its trailing separator, as the export dialog starts in it.
QString FolderWithSeparator(const QString& FileName)
{
    qsizetype Cut = std::max(FileName.lastIndexOf(QLatin1Char('/')), FileName.lastIndexOf(QLatin1Char('\\')));
#ifdef Q_OS_WIN
    Cut = std::max(Cut, FileName.lastIndexOf(QLatin1Char(':')));
#endif
    return FileName.left(Cut + 1);
}

// A name relative to the working folder would name another file once that changes: a file is
// remembered by its full name.
QString AbsoluteFileName(const QString& FileName)
{
    if (FileName.isEmpty() || HasDrive(FileName))
        return FileName;
    const QString Local = LocalFilePath(FileName);
    if (QFileInfo(Local).isAbsolute())
        return FileName;
    return QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(Local)));
}

TFileDialogRequest DefinitionDialog(QWidget* Parent, const QString& Caption, const QString& Directory)
{
    TFileDialogRequest Request;
    Request.Parent = Parent;
    Request.Caption = Caption;
    Request.Directory = Directory;
    Request.Filter = DefinitionFilter;
    Request.DefaultSuffix = QStringLiteral("cpd");
    return Request;
}

} // namespace

TMain::TMain(QWidget* Owner) : TQORForm(Owner, TFormKind::Window)
{
    InstallWindowAccessibility();
    CreateComponents();
    FGuard = std::make_unique<TDocumentGuard>(*this);
    GuardedEvent([this] { FormCreate(); }, this);
}

TMain::~TMain()
{
    FormDestroy();
}

void TMain::CreateComponents()
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(ApplicationTitle());
    setSizeGripEnabled(false);

    TreeControl = new TQORObjectTreeView(this);
    TreeControl->setObjectName(QStringLiteral("TreeControl"));
    TreeControl->setAccessibleName(QStringLiteral("Code package"));
    TreeControl->setIndentation(19);
    // The selection stays highlighted when the tree loses the focus.
    QPalette Palette = TreeControl->palette();
    for (const QPalette::ColorRole Role : {QPalette::Highlight, QPalette::HighlightedText})
        Palette.setColor(QPalette::Inactive, Role, Palette.color(QPalette::Active, Role));
    TreeControl->setPalette(Palette);
    connect(TreeControl, &QTreeWidget::itemExpanded, this, &TMain::TreeControlExpanded);
    connect(TreeControl, &QTreeWidget::itemCollapsed, this, &TMain::TreeControlCollapsed);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    for (auto [Item, Caption] : {std::pair{&PopupMenu_Create, "Create"},
                                 std::pair{&PopupMenu_Edit, "Edit"},
                                 std::pair{&PopupMenu_Cut, "Cut"},
                                 std::pair{&PopupMenu_Copy, "Copy"},
                                 std::pair{&PopupMenu_Paste, "Paste"},
                                 std::pair{&PopupMenu_Clear, "Clear"},
                                 std::pair{&PopupMenu_Delete, "Delete"}}) {
        *Item = PopupMenu->addAction(QLatin1String(Caption));
        (*Item)->setVisible(false);
        (*Item)->setEnabled(false);
    }
    ConnectElementCommands();
    for (const auto& [Item, Handler] : {std::pair{PopupMenu_Cut, &TMain::PopupMenu_CutClick},
                                        std::pair{PopupMenu_Copy, &TMain::PopupMenu_CopyClick},
                                        std::pair{PopupMenu_Paste, &TMain::PopupMenu_PasteClick},
                                        std::pair{PopupMenu_Clear, &TMain::PopupMenu_ClearClick}})
        connect(Item, &QAction::triggered, this, [this, Handler = Handler] {
            GuardedEvent([this, Handler] { (this->*Handler)(); }, this);
        });
    TreeControl->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TreeControl, &QWidget::customContextMenuRequested, this, [this](const QPoint& Position) {
        GuardedEvent([this] { PopupMenuPopup(); }, this);
        const QList<QAction*> Items = PopupMenu->actions();
        if (std::any_of(Items.begin(), Items.end(), [](QAction* Item) { return Item->isVisible(); }))
            PopupMenu->popup(TreeControl->viewport()->mapToGlobal(Position));
    });

    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    MenuItem_File = MainMenu->addMenu(QStringLiteral("&File"));
    MenuItem_New = AddMenuItem(QStringLiteral("New"), QKeySequence(Qt::CTRL | Qt::Key_N), &TMain::MenuItem_NewClick);
    MenuItem_File->addSeparator();
    MenuItem_Open = AddMenuItem(QStringLiteral("Open"), QKeySequence(Qt::CTRL | Qt::Key_O), &TMain::MenuItem_OpenClick);
    MenuItem_OpenRecent = MenuItem_File->addMenu(QStringLiteral("Open recent"));
    MenuItem_OpenRecent->setObjectName(QStringLiteral("MenuItem_OpenRecent"));
    FRecentFiles = new TRecentFiles(MenuItem_OpenRecent, [this](const QString& FileName) {
        GuardedEvent([this, FileName] { OpenRecentFile(FileName); }, this);
    });
    MenuItem_Save = AddMenuItem(QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S), &TMain::MenuItem_SaveClick);
    MenuItem_SaveAs = AddMenuItem(QStringLiteral("Save as"), QKeySequence(), &TMain::MenuItem_SaveAsClick);
    MenuItem_File->addSeparator();
    MenuItem_ExportErrorCheck = AddMenuItem(QStringLiteral("Export error check"),
                                            QKeySequence(Qt::CTRL | Qt::Key_F9),
                                            &TMain::MenuItem_ExportErrorCheckClick);
    MenuItem_Export = AddMenuItem(QStringLiteral("Export"), QKeySequence(Qt::Key_F9), &TMain::MenuItem_ExportClick);
    MenuItem_File->addSeparator();
    MenuItem_About = AddMenuItem(QStringLiteral("About"), QKeySequence(), &TMain::MenuItem_AboutClick);
    MenuItem_File->addSeparator();
    MenuItem_Exit = AddMenuItem(QStringLiteral("Exit"), QKeySequence(Qt::ALT | Qt::Key_X), &TMain::MenuItem_ExitClick);
    CreateEditMenu();
    CreateInspectAction();
    CreateInspectMenu();
    ConnectFileDrops();

    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    Layout->setMenuBar(MainMenu);
    Layout->addWidget(TreeControl);
    resize(642, 432 + MainMenu->sizeHint().height());
    TreeControl->setFocus();
}

QAction* TMain::AddMenuItem(const QString& Caption, const QKeySequence& Shortcut, void (TMain::*Handler)())
{
    QAction* Item = MenuItem_File->addAction(Caption);
    Item->setShortcut(Shortcut);
    // Shortcuts work wherever the focus is in the window, also while the menu is closed.
    addAction(Item);
    connect(Item, &QAction::triggered, this, [this, Handler] {
        GuardedEvent([this, Handler] { (this->*Handler)(); }, this);
    });
    return Item;
}

void TMain::FormCreate()
{
    SetOnException([this](void* Sender, const std::exception_ptr& Error) { ShowExceptionMessage(Sender, Error); });
    FMarkers = std::make_unique<TPackageMarkers>();
    FClipboardBackend = std::make_unique<TQtClipboardBackend>();
    // A console run has no system clipboard: the holder then has no backend.
    FClipboard = std::make_unique<TQORObjectClipboard>(
        QStringLiteral("Corvane Quillon"),
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? FClipboardBackend.get() : nullptr);
    FDocument = std::make_unique<TData>();
    FHistory = std::make_unique<TDocumentHistory>(*FDocument);
    ConnectHistory();
    NewDocument();
    ReadSettings();
    ReadCommandLine();
    if (!FDocumentFileName.isEmpty()) {
        // LoadDocument starts with a new document, which forgets the name.
        const QString FileName = FDocumentFileName;
        TBusyCursor Busy;
        LoadDocument(FileName);
    }
    UpdateView();
    setWindowState(windowState() | Qt::WindowMaximized);
    FCreationCompleted = true;
}

void TMain::FormDestroy()
{
    FGuard.reset();
    // The nodes go first: they point into the document and at the markers.
    TreeControl->clear();
    disconnect(TreeControl, nullptr, this, nullptr);
    // Settings that were never read are not overwritten with start values.
    if (FSettingsRead) {
        try {
            WriteSettings();
        } catch (...) {
            ShowExceptionBox(this);
        }
    }
    FHistory.reset();
    FDocument.reset();
    FClipboard.reset();
    FClipboardBackend.reset();
    FMarkers.reset();
}

bool TMain::FormCloseQuery()
{
    return QuerySave();
}

void TMain::closeEvent(QCloseEvent* Event)
{
    bool MayClose = false;
    GuardedEvent([&] { MayClose = FormCloseQuery(); }, this);
    if (MayClose) {
        FGuard->WindowClosed();
        Event->accept();
    } else {
        Event->ignore();
    }
}

void TMain::ReadSettings()
{
    const TUserSettings Settings;
    Settings.ReadString(QStringLiteral("FilePath"), FFilePath);
    Settings.ReadString(QStringLiteral("ExportFilePath"), FExportFilePath);
    Settings.ReadString(QStringLiteral("ExportFileName"), FExportFileName);
    // An export type the export dialog has no filter for counts as never chosen, as a value that is
    // no number does: otherwise every Export would fail on it and it would be written back.
    int32_t StoredExportType = 0;
    if (Settings.ReadInteger(QStringLiteral("ExportType"), StoredExportType) && StoredExportType >= 0 &&
        StoredExportType <= 2)
        FExportType = StoredExportType;
    FRecentFiles->Read(Settings);
    FSettingsRead = true;
}

void TMain::WriteSettings()
{
    TUserSettings Settings;
    Settings.WriteString(QStringLiteral("FilePath"), FFilePath);
    Settings.WriteString(QStringLiteral("ExportFilePath"), FExportFilePath);
    Settings.WriteString(QStringLiteral("ExportFileName"), FExportFileName);
    Settings.WriteInteger(QStringLiteral("ExportType"), FExportType);
    FRecentFiles->Write(Settings);
    Settings.Flush();
}

void TMain::ReadCommandLine()
{
    TCommandLine CommandLine(false);
    CommandLine.GetFirstArgument(FDocumentFileName);
    CommandLine.CheckAllUsed();
}

void TMain::ShowExceptionMessage(void*, const std::exception_ptr& Error)
{
    try {
        std::rethrow_exception(Error);
    } catch (...) {
        ShowExceptionBox(this);
    }
}

void TMain::NewDocument()
{
    FGuard->DocumentCleared();
    FDocument->Clear();
    FHistory->Clear();
    FModified = false;
    FDocumentFileName.clear();
    UpdateView();
}

void TMain::LoadDocument(const QString& FileName)
{
    const QString FullName = AbsoluteFileName(FileName);
    FGuard->OpeningDocument(FullName);
    NewDocument();
    FDocument->LoadFromFile(FullName);
    FDocumentFileName = FullName;
    FFilePath = ExtractDirectory(FullName);
    FRecentFiles->Add(FullName);
    FGuard->DocumentOpened(FullName);
}

void TMain::WriteDocument(const QString& FileName)
{
    // The file is replaced only by a complete definition.
    FDocument->SaveToFile(FileName);
}

bool TMain::OpenDocument()
{
    if (!FormCloseQuery())
        return false;
    const QString FileName = UserSeam().GetOpenFileName(DefinitionDialog(this, QStringLiteral("Open"), FFilePath));
    if (FileName.isEmpty())
        return false;
    {
        TBusyCursor Busy;
        LoadDocument(FileName);
    }
    UpdateView();
    return true;
}

bool TMain::OpenRecentFile(const QString& FileName)
{
    // Nothing would replace the document, so there is nothing to ask about it first.
    if (!QFileInfo(LocalFilePath(FileName)).isFile()) {
        FRecentFiles->Remove(FileName);
        UserSeam().ShowMessage(
            this,
            QStringLiteral("The file '%1' does not exist any more. It has been removed from the list.").arg(FileName),
            QString(),
            TMessageButtons::OK,
            TMessageIcon::Warning);
        return false;
    }
    if (!FormCloseQuery())
        return false;
    {
        TBusyCursor Busy;
        LoadDocument(FileName);
    }
    UpdateView();
    return true;
}

bool TMain::Save()
{
    if (FDocumentFileName.isEmpty())
        return SaveAs();
    if (!FGuard->MayWrite(FDocumentFileName))
        return false;
    try {
        TBusyCursor Busy;
        WriteDocument(FDocumentFileName);
        FFilePath = ExtractDirectory(FDocumentFileName);
    } catch (...) {
        ShowExceptionBox(this);
        return false;
    }
    FHistory->SetSaved();
    FModified = false;
    FRecentFiles->Add(FDocumentFileName);
    FGuard->DocumentSaved(FDocumentFileName);
    return true;
}

bool TMain::SaveAs()
{
    const QString FileName = UserSeam().GetSaveFileName(DefinitionDialog(this, QStringLiteral("Save As"), FFilePath));
    if (FileName.isEmpty() || !FGuard->MayWrite(FileName))
        return false;
    try {
        TBusyCursor Busy;
        // Taken before writing: after a failure the next Save tries this name again.
        FDocumentFileName = FileName;
        WriteDocument(FDocumentFileName);
        FFilePath = ExtractDirectory(FDocumentFileName);
    } catch (...) {
        ShowExceptionBox(this);
        return false;
    }
    FHistory->SetSaved();
    FModified = false;
    FRecentFiles->Add(FDocumentFileName);
    FGuard->DocumentSaved(FDocumentFileName);
    UpdateView();
    return true;
}

bool TMain::QuerySave()
{
    if (!FModified)
        return true;
    switch (UserSeam().ShowMessage(this,
                                   QStringLiteral("File has changed. Do you wish to save?"),
                                   QStringLiteral("Query"),
                                   TMessageButtons::YesNoCancel,
                                   TMessageIcon::None)) {
    case TMessageResult::Yes:
        return Save();
    case TMessageResult::No:
        return true;
    case TMessageResult::OK:
    case TMessageResult::Cancel:
        break;
    }
    return false;
}

void TMain::UpdateView()
{
    setWindowTitle(FDocumentFileName.isEmpty()
                       ? ApplicationTitle()
                       : ApplicationTitle() + QStringLiteral(" [") + FDocumentFileName + QStringLiteral("]"));
    // The rebuilt tree shows the same stretch of the definition as before.
    const int Vertical = TreeControl->verticalScrollBar()->value();
    const int Horizontal = TreeControl->horizontalScrollBar()->value();
    RebuildTree();
    TreeControl->doItemsLayout();
    TreeControl->verticalScrollBar()->setValue(Vertical);
    TreeControl->horizontalScrollBar()->setValue(Horizontal);
    FGuard->ViewUpdated();
}

void TMain::RebuildTree()
{
    ::RebuildTree(*TreeControl, *FDocument, *FMarkers);
}

void TMain::TreeControlExpanded(QTreeWidgetItem* Item)
{
    if (FDocument)
        RecordDataTypesExpanded(*FDocument, TQORObjectTreeView::NodeOf(Item), true);
}

void TMain::TreeControlCollapsed(QTreeWidgetItem* Item)
{
    if (FDocument)
        RecordDataTypesExpanded(*FDocument, TQORObjectTreeView::NodeOf(Item), false);
}

void TMain::MenuItem_NewClick()
{
    if (FormCloseQuery())
        NewDocument();
}

void TMain::MenuItem_OpenClick()
{
    OpenDocument();
}

void TMain::MenuItem_SaveClick()
{
    Save();
}

void TMain::MenuItem_SaveAsClick()
{
    SaveAs();
}

void TMain::MenuItem_ExportErrorCheckClick()
{
    FDocument->ExportErrorCheck();
    UserSeam().ShowMessage(this,
                           QStringLiteral("No errors."),
                           QStringLiteral("Export Error Check"),
                           TMessageButtons::OK,
                           TMessageIcon::None);
}

void TMain::MenuItem_ExportClick()
{
    FDocument->ExportErrorCheck();
    FDocument->ConfirmBetaExport();
    int SelectedFilter = 1;
    TFileDialogRequest Request;
    Request.Parent = this;
    Request.Caption = QStringLiteral("Export");
    Request.Directory = FExportFilePath;
    Request.FileName = FExportFileName;
    Request.Filter = PackageFilter;
    Request.DefaultSuffix = QStringLiteral("cpk");
    Request.FilterIndex = ExportTypeToFilterIndex(FExportType);
    Request.SelectedFilterIndex = &SelectedFilter;
    const QString FileName = UserSeam().GetSaveFileName(Request);
    if (FileName.isEmpty())
        return;
    FExportFileName = FileName;
    FExportFilePath = FolderWithSeparator(FileName);
    FExportType = FilterIndexToExportType(SelectedFilter);
    // Checked only now, so that the choices above are remembered for the next export.
    if (FDocumentFileName.isEmpty())
        throw E_QOR_SavingError(QStringLiteral("Code package definition file must be saved first"));
    RefuseExportOverDefinition(FDocumentFileName, FExportFileName);
    TBusyCursor Busy;
    FDocument->ExportToFile(FExportFileName);
}

void TMain::MenuItem_AboutClick()
{
    CreateAboutBox(this)->Execute();
}

void TMain::MenuItem_ExitClick()
{
    close();
}

int TMain::ExportTypeToFilterIndex(int32_t ExportType)
{
    switch (ExportType) {
    case 0:
    case 1:
        return 1;
    case 2:
        return 2;
    default:
        throw E_QOR_EnumerationOutOfRange();
    }
}

int32_t TMain::FilterIndexToExportType(int FilterIndex)
{
    if (FilterIndex != 1 && FilterIndex != 2)
        throw E_QOR_EnumerationOutOfRange();
    return FilterIndex;
}
