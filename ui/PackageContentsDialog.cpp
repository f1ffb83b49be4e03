#include "ui/PackageContentsDialog.h"

#include "foundation/MemoryStream.h"
#include "foundation/Paths.h"
#include "foundation/QORExceptions.h"
#include "model/Data.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// What the columns sort by: sizes and times as numbers, not as their texts.
constexpr int SortRole = Qt::UserRole + 1;

QStandardItem* Cell(const QString& Text, const QVariant& SortKey = {})
{
    auto* Item = new QStandardItem(Text);
    Item->setData(SortKey.isValid() ? SortKey : QVariant(Text.toCaseFolded()), SortRole);
    return Item;
}

} // namespace

QString PlannedSizeText(int64_t Size)
{
    const QLocale Locale = QLocale::c();
    QString Bytes = QLocale(QLocale::English).toString(qlonglong(Size)) + QStringLiteral(" bytes");
    if (Size < 1024)
        return Bytes;
    return Locale.formattedDataSize(Size, 1, QLocale::DataSizeIecFormat) + QStringLiteral(" (") + Bytes +
           QLatin1Char(')');
}

TPackageContentsDialog::TPackageContentsDialog(const QByteArray& Definition, QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("PackageContents"));
    setWindowTitle(QStringLiteral("Package contents"));
    setAccessibleName(QStringLiteral("Package contents"));
    auto* Layout = new QVBoxLayout(this);

    auto* FilterLabel = new QLabel(QStringLiteral("&Filter:"), this);
    FFilter = new QLineEdit(this);
    FFilter->setObjectName(QStringLiteral("ContentsFilter"));
    FFilter->setAccessibleName(QStringLiteral("Filter"));
    FFilter->setClearButtonEnabled(true);
    FilterLabel->setBuddy(FFilter);
    auto* FilterRow = new QHBoxLayout;
    FilterRow->addWidget(FilterLabel);
    FilterRow->addWidget(FFilter, 1);
    Layout->addLayout(FilterRow);

    FModel = new QStandardItemModel(0, cColumnCount, this);
    FModel->setHorizontalHeaderLabels({QStringLiteral("Target"),
                                       QStringLiteral("Source"),
                                       QStringLiteral("Size"),
                                       QStringLiteral("Last written"),
                                       QStringLiteral("Matched by"),
                                       QStringLiteral("Element")});
    FProxy = new QSortFilterProxyModel(this);
    FProxy->setSourceModel(FModel);
    FProxy->setSortRole(SortRole);
    FProxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    FProxy->setFilterKeyColumn(-1);
    FView = new QTableView(this);
    FView->setObjectName(QStringLiteral("ContentsView"));
    FView->setAccessibleName(QStringLiteral("Files the package will hold"));
    FView->setModel(FProxy);
    FView->setSortingEnabled(true);
    FView->sortByColumn(-1, Qt::AscendingOrder);
    FView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FView->setSelectionBehavior(QAbstractItemView::SelectRows);
    FView->setAlternatingRowColors(true);
    FView->verticalHeader()->hide();
    FView->horizontalHeader()->setStretchLastSection(true);
    Layout->addWidget(FView, 1);
    connect(FFilter, &QLineEdit::textChanged, FProxy, &QSortFilterProxyModel::setFilterFixedString);

    FTotal = new QLabel(QStringLiteral("Reading the files…"), this);
    FTotal->setObjectName(QStringLiteral("ContentsTotal"));
    FTotal->setAccessibleName(QStringLiteral("Total"));
    FTotal->setTextFormat(Qt::PlainText);
    Layout->addWidget(FTotal);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Layout->addWidget(Buttons);
    resize(900, 420);

    FTasks.Run<TResult>(
        this,
        [Definition] {
            TResult Result;
            try {
                TData Copy;
                TMemoryStream Stream(Definition);
                Copy.LoadFromStream(Stream);
                Result.Files = PlanPackageFiles(Copy);
            } catch (const E_QOR& Error) {
                Result.Failure = Error.Message();
            } catch (const std::exception& Error) {
                Result.Failure = QString::fromUtf8(Error.what());
            }
            return Result;
        },
        [this](TResult Result) { Show(std::move(Result)); });
}

TPackageContentsDialog::~TPackageContentsDialog()
{
    FTasks.WaitForTasks();
}

void TPackageContentsDialog::Show(TResult Result)
{
    FFiles = std::move(Result.Files);
    const QIcon MissingIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QLocale English(QLocale::English);
    int Missing = 0;
    for (const TPlannedFile& File : FFiles) {
        QList<QStandardItem*> Row(cColumnCount);
        Row[cTarget] = Cell(File.Target);
        // Paths as this machine writes them; the target keeps the package's own form.
        Row[cSource] = Cell(LocalFilePath(File.Source));
        if (File.Missing) {
            ++Missing;
            Row[cSize] = Cell(QStringLiteral("Missing"), qlonglong(-1));
            Row[cSize]->setIcon(MissingIcon);
            Row[cTarget]->setIcon(MissingIcon);
            Row[cLastWritten] = Cell(QString(), QDateTime());
        } else {
            Row[cSize] = Cell(English.toString(qlonglong(File.Size)), qlonglong(File.Size));
            Row[cSize]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Row[cLastWritten] =
                Cell(File.LastWritten.isValid()
                         ? File.LastWritten.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                         : QString(),
                     File.LastWritten);
        }
        Row[cPattern] = Cell(File.Pattern.isEmpty() ? QString() : LocalFilePath(File.Pattern));
        Row[cElement] = Cell(File.Owner);
        if (File.Missing)
            for (QStandardItem* Item : Row)
                Item->setData(QStringLiteral("Missing: ") + File.Target, Qt::AccessibleDescriptionRole);
        FModel->appendRow(Row);
    }
    FView->resizeColumnsToContents();
    const qsizetype Present = qsizetype(FFiles.size()) - Missing;
    QString Text = QString::number(Present) +
                   (Present == 1 ? QStringLiteral(" file, total ") : QStringLiteral(" files, total ")) +
                   PlannedSizeText(PlannedSize(FFiles));
    if (Missing > 0)
        Text += QStringLiteral("; %1 missing: the export would refuse the definition").arg(Missing);
    if (!Result.Failure.isEmpty())
        Text = QStringLiteral("The files could not be listed: ") + Result.Failure;
    FTotal->setText(Text + (Result.Failure.isEmpty() ? QStringLiteral(".") : QString()));
    FReady = true;
    emit Planned();
}
