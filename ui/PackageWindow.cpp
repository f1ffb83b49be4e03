#include "ui/PackageWindow.h"

#include "app/PackageComparison.h"
#include "app/SafeExtract.h"
#include "app/Sha256.h"
#include "forms/QORApplication.h"
#include "foundation/QORExceptions.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "ui/MainWindow.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTableWidget>
#include <QThread>
#include <QToolBar>
#include <QVBoxLayout>

#include <utility>
#include <vector>

namespace {

const QString PackageFilter = QStringLiteral("Code package files (*.cpk);;All files (*)");
const QString DefinitionFilter = QStringLiteral("Code package definition files (*.cpd);;All files (*)");

QString TimeText(TDateTime Value)
{
    const QDateTime Time = QDateTimeFromDateTime(Value);
    return Time.isValid() ? Time.toString(Qt::ISODateWithMs) : QString::number(Value);
}

QString YesNo(bool Value)
{
    return Value ? QStringLiteral("yes") : QStringLiteral("no");
}

QTableWidget* CreateTable(QWidget* Owner, const QString& Name, const QStringList& Columns)
{
    auto* Table = new QTableWidget(0, int(Columns.size()), Owner);
    Table->setObjectName(Name);
    Table->setAccessibleName(Name);
    Table->setHorizontalHeaderLabels(Columns);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setWordWrap(false);
    Table->verticalHeader()->setVisible(false);
    Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 6);
    Table->horizontalHeader()->setStretchLastSection(true);
    return Table;
}

void SetRow(QTableWidget* Table, int Row, const QStringList& Texts)
{
    for (int Column = 0; Column < Texts.size(); ++Column) {
        auto* Item = new QTableWidgetItem(Texts[Column]);
        Item->setToolTip(Texts[Column]);
        Table->setItem(Row, Column, Item);
    }
}

// Lines for a box, at most Limit of them: a hostile package may have thousands of refused targets.
QString BoxLines(const QStringList& Lines, qsizetype Limit = 30)
{
    if (Lines.size() <= Limit)
        return Lines.join(QLatin1Char('\n'));
    return Lines.mid(0, Limit).join(QLatin1Char('\n')) + QStringLiteral("\n… and %1 more.").arg(Lines.size() - Limit);
}

// Where the hashes come from: the crypto library's when the build has it, Qt's otherwise.
class TQtSha256 : public IPackageHasher
{
public:
    void Add(const char* Bytes, int64_t Count) override { FHash.addData(QByteArrayView(Bytes, qsizetype(Count))); }
    QByteArray Result() override { return FHash.result(); }

private:
    QCryptographicHash FHash{QCryptographicHash::Sha256};
};

std::unique_ptr<IPackageHasher> NewHasher()
{
    static const TPackageHasherFactory Factory = Sha256Hasher();
    return Factory ? Factory() : std::make_unique<TQtSha256>();
}

// The SHA-256 of Size bytes at Offset of Device; empty when they cannot be read or Cancel is set.
QByteArray HashRange(QIODevice& Device, int64_t Offset, int64_t Size, const std::atomic_bool& Cancel)
{
    if (!Device.seek(Offset))
        return {};
    const std::unique_ptr<IPackageHasher> Hasher = NewHasher();
    QByteArray Buffer(qsizetype(std::min<int64_t>(Size, 1 << 20)), Qt::Uninitialized);
    while (Size > 0) {
        if (Cancel)
            return {};
        const qint64 Read = Device.read(Buffer.data(), std::min<int64_t>(Size, Buffer.size()));
        if (Read <= 0)
            return {};
        Hasher->Add(Buffer.constData(), Read);
        Size -= Read;
    }
    return Hasher->Result();
}

} // namespace

TPackageWindow* TPackageWindow::Open(const QString& FileName, QWidget* Owner)
{
    TPackageContents Contents;
    try {
        Contents = ReadPackageFile(FileName);
    } catch (...) {
        UserSeam().ShowMessage(Owner, GetExceptionReport(), QString(), TMessageButtons::OK, TMessageIcon::Error);
        return nullptr;
    }
    auto* Window = new TPackageWindow(FileName, std::move(Contents), Owner);
    Window->setAttribute(Qt::WA_DeleteOnClose);
    Window->show();
    return Window;
}

TPackageWindow::TPackageWindow(const QString& FileName, TPackageContents Contents, QWidget* Owner)
    : QMainWindow(Owner, Qt::Window), FFileName(FileName), FContents(std::move(Contents)),
      FCancel(std::make_shared<std::atomic_bool>(false))
{
    setObjectName(QStringLiteral("PackageWindow"));
    setWindowTitle(QStringLiteral("%1 - Inspect package").arg(QFileInfo(FileName).fileName()));
    CreateComponents();
    FillTables();
    StartHashing();
}

TPackageWindow::~TPackageWindow()
{
    if (FHasher) {
        *FCancel = true;
        FHasher->wait();
        delete FHasher;
    }
}

void TPackageWindow::CreateComponents()
{
    auto* Tools = addToolBar(QStringLiteral("Package"));
    Tools->setObjectName(QStringLiteral("PackageToolBar"));
    Tools->setMovable(false);
    Tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    Action_Extract = Tools->addAction(QStringLiteral("Extract…"));
    Action_Extract->setObjectName(QStringLiteral("Action_Extract"));
    Action_Compare = Tools->addAction(QStringLiteral("Compare with definition…"));
    Action_Compare->setObjectName(QStringLiteral("Action_Compare"));
    connect(Action_Extract, &QAction::triggered, this, &TPackageWindow::ExtractClick);
    connect(Action_Compare, &QAction::triggered, this, &TPackageWindow::CompareClick);

    HeaderTable = CreateTable(this, QStringLiteral("Header"), {QStringLiteral("Field"), QStringLiteral("Value")});
    SectionTable = CreateTable(this,
                               QStringLiteral("Sections"),
                               {QStringLiteral("Section"), QStringLiteral("Count"), QStringLiteral("Offset")});
    ElementTable = CreateTable(
        this, QStringLiteral("Elements"), {QStringLiteral("ID"), QStringLiteral("Name"), QStringLiteral("Path")});
    FileTable = CreateTable(this,
                            QStringLiteral("Embedded files"),
                            {QStringLiteral("Target"),
                             QStringLiteral("Kind"),
                             QStringLiteral("Owner"),
                             QStringLiteral("Size"),
                             QStringLiteral("Created"),
                             QStringLiteral("Last written"),
                             QStringLiteral("SHA-256")});

    auto* Top = new QSplitter(Qt::Horizontal);
    Top->addWidget(HeaderTable);
    Top->addWidget(SectionTable);
    auto* Split = new QSplitter(Qt::Vertical);
    Split->addWidget(Top);
    Split->addWidget(ElementTable);
    Split->addWidget(FileTable);
    Split->setStretchFactor(0, 2);
    Split->setStretchFactor(1, 2);
    Split->setStretchFactor(2, 3);
    setCentralWidget(Split);
    resize(1180, 760);
}

void TPackageWindow::FillTables()
{
    const TPackageHeader& H = FContents.Header;
    std::vector<std::pair<QString, QString>> Fields{
        {QStringLiteral("File size"), QStringLiteral("%1 bytes").arg(FContents.FileSize)},
        {QStringLiteral("Header"), QStringLiteral("%1 bytes").arg(FContents.HeaderSize)},
        {QStringLiteral("ID"), H.ID.ToString()},
        {QStringLiteral("Export ID"), H.ExportID.ToString()},
        {QStringLiteral("Name"), H.Name},
        {QStringLiteral("Description"), H.Description},
        {QStringLiteral("About information"), H.AboutInformation},
        {QStringLiteral("Creator"), H.Creator},
        {QStringLiteral("Sub creator"), H.SubCreator},
        {QStringLiteral("Export time"), TimeText(H.ExportTime)},
        {QStringLiteral("Allow export from LMS"), YesNo(H.AllowExportFromLMS)},
        {QStringLiteral("Beta software"), YesNo(H.BetaSoftware)},
        {QStringLiteral("Task module objects"), QString::number(H.TaskModuleObjectIDs.size())},
    };
    for (const TGUID& ID : H.TaskModuleObjectIDs)
        Fields.emplace_back(QString(), ID.ToString());
    Fields.emplace_back(QStringLiteral("Body"), QStringLiteral("%1 bytes").arg(FContents.BodySize));
    HeaderTable->setRowCount(int(Fields.size()));
    for (size_t I = 0; I < Fields.size(); ++I)
        SetRow(HeaderTable, int(I), {Fields[I].first, Fields[I].second});

    SectionTable->setRowCount(int(FContents.Sections.size()));
    for (size_t I = 0; I < FContents.Sections.size(); ++I) {
        const TPackageSection& Section = FContents.Sections[I];
        const QString Owner = FContents.PathOf(Section.Owner);
        SetRow(SectionTable,
               int(I),
               {Owner.isEmpty() ? Section.Name() : Owner + QLatin1Char('/') + Section.Name(),
                QString::number(Section.Count),
                QString::number(Section.Offset)});
    }

    ElementTable->setRowCount(int(FContents.Elements.size()));
    for (size_t I = 0; I < FContents.Elements.size(); ++I) {
        const TPackageElement& Element = FContents.Elements[I];
        SetRow(ElementTable, int(I), {Element.ID.ToString(), Element.Name, FContents.PathOf(int32_t(I))});
    }

    FileTable->setRowCount(int(FContents.Files.size()));
    for (size_t I = 0; I < FContents.Files.size(); ++I) {
        const TPackageEmbeddedFile& File = FContents.Files[I];
        SetRow(FileTable,
               int(I),
               {File.Target,
                File.Kind,
                File.Owner,
                QString::number(File.Size),
                TimeText(File.Created),
                TimeText(File.LastWritten),
                QStringLiteral("computing…")});
    }
    for (QTableWidget* Table : {HeaderTable, SectionTable, ElementTable})
        Table->resizeColumnsToContents();
    FileTable->resizeColumnsToContents();
}

void TPackageWindow::StartHashing()
{
    std::vector<std::pair<int64_t, int64_t>> Ranges;
    for (const TPackageEmbeddedFile& File : FContents.Files)
        Ranges.emplace_back(File.Offset, File.Size);
    FHashesLeft = int(Ranges.size());
    if (Ranges.empty())
        return;
    FHasher = QThread::create([this, Name = FFileName, Ranges = std::move(Ranges), Cancel = FCancel] {
        QFile Package(Name);
        const bool Open = Package.open(QIODevice::ReadOnly);
        for (size_t I = 0; I < Ranges.size() && !*Cancel; ++I) {
            QByteArray Hash = Open ? HashRange(Package, Ranges[I].first, Ranges[I].second, *Cancel) : QByteArray();
            if (*Cancel)
                return;
            // Queued to the window's thread; the window waits for this thread before it goes.
            QMetaObject::invokeMethod(
                this, [this, Row = int(I), Hash] { HashReady(Row, Hash); }, Qt::QueuedConnection);
        }
    });
    FHasher->setObjectName(QStringLiteral("PackageHasher"));
    FHasher->start(QThread::LowPriority);
}

void TPackageWindow::HashReady(int Row, const QByteArray& Hash)
{
    FContents.Files[size_t(Row)].SHA256 = Hash;
    const QString Text = Hash.isEmpty() ? QStringLiteral("cannot be read") : QString::fromLatin1(Hash.toHex());
    SetRow(FileTable, Row, {});
    auto* Item = new QTableWidgetItem(Text);
    Item->setToolTip(Text);
    FileTable->setItem(Row, FileTable->columnCount() - 1, Item);
    if (--FHashesLeft == 0) {
        FileTable->resizeColumnToContents(FileTable->columnCount() - 1);
        emit HashesFinished();
    }
}

void TPackageWindow::ShowBox(const QString& Text, TMessageIcon Icon)
{
    UserSeam().ShowMessage(this, Text, QString(), TMessageButtons::OK, Icon);
}

void TPackageWindow::ExtractClick()
{
    TFileDialogRequest Request;
    Request.Parent = this;
    Request.Caption = QStringLiteral("Extract to folder");
    Request.Directory = QFileInfo(FFileName).absolutePath();
    const QString Folder = UserSeam().GetExistingDirectory(Request);
    if (Folder.isEmpty())
        return;
    try {
        // Read again from the file that is written from, so that what is extracted is what the
        // file holds now, even when it was replaced since the window opened.
        QFile Source(FFileName);
        if (!Source.open(QIODevice::ReadOnly)) {
            ShowBox(QStringLiteral("Cannot read '%1'.").arg(FFileName), TMessageIcon::Error);
            return;
        }
        const TPackageContents Package = ReadPackage(Source);
        TSafeExtract Writer(Folder, false);
        if (!Writer.FolderUsable()) {
            ShowBox(QStringLiteral("Cannot create the folder '%1'.").arg(Folder), TMessageIcon::Error);
            return;
        }
        const TExtractPlan Plan = PlanExtract(Package, Writer);
        if (!Plan.Problems.isEmpty()) {
            ShowBox(BoxLines(Plan.Problems) + QStringLiteral("\nNothing was written."), TMessageIcon::Error);
            return;
        }
        bool Undone = true;
        const QStringList Failure = Writer.WriteAll(Source, Plan.Files, Undone);
        if (!Failure.isEmpty()) {
            ShowBox(BoxLines(Failure) + (Undone ? QStringLiteral("\nNothing was written.") : QString()),
                    TMessageIcon::Error);
            return;
        }
        QStringList Written;
        for (const TExtractFile& File : Plan.Files)
            Written << Writer.PathOf(File.Relative);
        ShowBox(QStringLiteral("%1 files written:\n").arg(Written.size()) + BoxLines(Written),
                TMessageIcon::Information);
    } catch (...) {
        ShowBox(GetExceptionReport(), TMessageIcon::Error);
    }
}

void TPackageWindow::CompareClick()
{
    TFileDialogRequest Request;
    Request.Parent = this;
    Request.Caption = QStringLiteral("Compare with definition");
    Request.Directory = QFileInfo(FFileName).absolutePath();
    Request.Filter = DefinitionFilter;
    const QString Definition = UserSeam().GetOpenFileName(Request);
    if (Definition.isEmpty())
        return;
    try {
        QFile Package(FFileName);
        if (!Package.open(QIODevice::ReadOnly)) {
            ShowBox(QStringLiteral("Cannot read '%1'.").arg(FFileName), TMessageIcon::Error);
            return;
        }
        const TPackageContents Contents = ReadPackage(Package);
        TData Data;
        Data.LoadFromFile(Definition);
        const QStringList Differences = ComparePackage(Package, Contents, PackageSources(Data));
        if (Differences.isEmpty())
            ShowBox(QStringLiteral("All %1 embedded files are equal to the files on disk that '%2' names.")
                        .arg(Contents.Files.size())
                        .arg(Definition),
                    TMessageIcon::Information);
        else
            ShowBox(BoxLines(Differences), TMessageIcon::Warning);
    } catch (...) {
        ShowBox(GetExceptionReport(), TMessageIcon::Error);
    }
}

// The main window's way in: one action, "Inspect package…".

void TMain::CreateInspectAction()
{
    MenuItem_InspectPackage = new QAction(QStringLiteral("Inspect package…"), this);
    MenuItem_InspectPackage->setObjectName(QStringLiteral("MenuItem_InspectPackage"));
    connect(MenuItem_InspectPackage, &QAction::triggered, this, [this] {
        GuardedEvent([this] { MenuItem_InspectPackageClick(); }, this);
    });
}

void TMain::MenuItem_InspectPackageClick()
{
    TFileDialogRequest Request;
    Request.Parent = this;
    Request.Caption = QStringLiteral("Inspect package");
    Request.Directory = ExportFilePath();
    Request.Filter = PackageFilter;
    const QString FileName = UserSeam().GetOpenFileName(Request);
    if (!FileName.isEmpty())
        TPackageWindow::Open(FileName, this);
}
