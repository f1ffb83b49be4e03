#include "ui/ProblemsPanel.h"

#include "foundation/MemoryStream.h"
#include "foundation/QORExceptions.h"
#include "model/Data.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// How long after a change the check starts: a burst of changes costs one check.
constexpr int CheckDelayMilliseconds = 150;

const TQORList* ListIn(const TData& Data, const TQORObject* Parent, const QString& Name)
{
    if (!Parent) {
        const std::pair<const char*, const TQORList*> Lists[] = {
            {"Drivers", &Data.Drivers},
            {"Code modules", &Data.CodeModules},
            {"Interface types", &Data.InterfaceTypes},
            {"Data types/Task types", &Data.TaskTypes},
            {"Data types/Task recording types", &Data.TaskRecordingTypes},
            {"Data types/Task result item formats", &Data.TaskResultItemFormats},
            {"Data types/Media item formats", &Data.MediaItemFormats},
        };
        for (const auto& [ListName, List] : Lists)
            if (Name == QLatin1String(ListName))
                return List;
        return nullptr;
    }
    if (const auto* Module = dynamic_cast<const TCodeModule*>(Parent)) {
        if (Name == QLatin1String("Task module objects"))
            return &Module->TaskModuleObjects;
        if (Name == QLatin1String("Command line tools"))
            return &Module->CommandLineTools;
        if (Name == QLatin1String("Support files"))
            return &Module->SupportFiles;
        return nullptr;
    }
    if (const auto* Object = dynamic_cast<const TTaskModuleObject*>(Parent))
        if (Name == QLatin1String("Task modules"))
            return &Object->TaskModules;
    return nullptr;
}

QString Plural(qsizetype Count, const char* One, const char* Many)
{
    return QString::number(Count) + QLatin1Char(' ') + QLatin1String(Count == 1 ? One : Many);
}

} // namespace

TQORObject* FindingElement(const TData& Data, const std::vector<TFindingStep>& Path)
{
    TQORObject* Found = nullptr;
    for (const TFindingStep& Step : Path) {
        const TQORList* List = ListIn(Data, Found, Step.List);
        if (!List || Step.Position < 1 || Step.Position > List->Count() || !List->Items(Step.Position - 1))
            break;
        Found = List->Items(Step.Position - 1);
    }
    return Found;
}

QString FindingAccessibleText(const TCheckFinding& Finding)
{
    return (Finding.Severity == TFindingSeverity::Error ? QStringLiteral("Error: ") : QStringLiteral("Warning: ")) +
           Finding.Message + QStringLiteral(" Location: ") + Finding.Location;
}

// The findings as rows of severity, message and location. The rows are the findings themselves,
// read as the view asks for them, so that tens of thousands show at once.
class TFindingsModel : public QAbstractTableModel
{
public:
    TFindingsModel(const QStyle& Style, QObject* Parent)
        : QAbstractTableModel(Parent), FErrorIcon(Style.standardIcon(QStyle::SP_MessageBoxCritical)),
          FWarningIcon(Style.standardIcon(QStyle::SP_MessageBoxWarning))
    {}

    const std::vector<TCheckFinding>& Findings() const { return FFindings; }
    void SetFindings(std::vector<TCheckFinding> Findings)
    {
        beginResetModel();
        FFindings = std::move(Findings);
        endResetModel();
    }

    int rowCount(const QModelIndex& Parent = {}) const override { return Parent.isValid() ? 0 : int(FFindings.size()); }
    int columnCount(const QModelIndex& Parent = {}) const override { return Parent.isValid() ? 0 : 3; }

    QVariant data(const QModelIndex& Index, int Role) const override
    {
        if (!Index.isValid() || size_t(Index.row()) >= FFindings.size())
            return {};
        const TCheckFinding& Finding = FFindings[size_t(Index.row())];
        const bool Error = Finding.Severity == TFindingSeverity::Error;
        switch (Role) {
        case Qt::DisplayRole:
            if (Index.column() == 0)
                return Error ? QStringLiteral("Error") : QStringLiteral("Warning");
            return Index.column() == 1 ? Finding.Message : Finding.Location;
        case Qt::DecorationRole:
            return Index.column() == 0 ? QVariant(Error ? FErrorIcon : FWarningIcon) : QVariant();
        case Qt::ToolTipRole:
        case Qt::AccessibleDescriptionRole:
            return FindingAccessibleText(Finding);
        default:
            return {};
        }
    }

    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override
    {
        if (Orientation != Qt::Horizontal || Role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(Section, Orientation, Role);
        static const char* const Titles[] = {"Severity", "Message", "Location"};
        return Section >= 0 && Section < 3 ? QString::fromLatin1(Titles[Section]) : QString();
    }

private:
    std::vector<TCheckFinding> FFindings;
    QIcon FErrorIcon;
    QIcon FWarningIcon;
};

TProblemsPanel::TProblemsPanel(std::function<QByteArray()> Snapshot, QWidget* Parent)
    : QDockWidget(QStringLiteral("Problems"), Parent), FSnapshot(std::move(Snapshot))
{
    setObjectName(QStringLiteral("ProblemsPanel"));
    setAccessibleName(QStringLiteral("Problems"));
    auto* Body = new QWidget(this);
    auto* Layout = new QVBoxLayout(Body);
    Layout->setContentsMargins(4, 2, 4, 4);
    Layout->setSpacing(2);
    FSummary = new QLabel(Body);
    FSummary->setObjectName(QStringLiteral("ProblemsSummary"));
    FSummary->setTextFormat(Qt::PlainText);
    Layout->addWidget(FSummary);

    FModel = new TFindingsModel(*style(), this);
    FView = new QTreeView(Body);
    FView->setObjectName(QStringLiteral("ProblemsView"));
    FView->setAccessibleName(QStringLiteral("Problems"));
    FView->setModel(FModel);
    FView->setRootIsDecorated(false);
    FView->setUniformRowHeights(true);
    FView->setAlternatingRowColors(true);
    FView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FView->setSelectionMode(QAbstractItemView::SingleSelection);
    FView->setSelectionBehavior(QAbstractItemView::SelectRows);
    FView->header()->setStretchLastSection(false);
    FView->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    FView->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    FView->header()->setSectionResizeMode(2, QHeaderView::Interactive);
    FView->header()->resizeSection(2, 260);
    Layout->addWidget(FView);
    setWidget(Body);

    connect(FView, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& Index) {
        ActivateRow(Index.row(), false);
    });
    for (const auto& [Key, Open] : {std::pair{QKeyCombination(Qt::Key_Return), false},
                                    std::pair{QKeyCombination(Qt::Key_Enter), false},
                                    std::pair{QKeyCombination(Qt::CTRL | Qt::Key_Return), true},
                                    std::pair{QKeyCombination(Qt::CTRL | Qt::Key_Enter), true}}) {
        auto* Shortcut = new QShortcut(QKeySequence(Key), FView, nullptr, nullptr, Qt::WidgetShortcut);
        connect(Shortcut, &QShortcut::activated, this, [this, Open = Open] {
            if (FView->currentIndex().isValid())
                ActivateRow(FView->currentIndex().row(), Open);
        });
    }

    FDelay = new QTimer(this);
    FDelay->setSingleShot(true);
    FDelay->setInterval(CheckDelayMilliseconds);
    connect(FDelay, &QTimer::timeout, this, [this] { Start(); });
    Show({});
}

TProblemsPanel::~TProblemsPanel()
{
    FTasks.WaitForTasks();
}

void TProblemsPanel::DocumentChanged()
{
    ++FGeneration;
    FSummary->setText(QStringLiteral("Checking…"));
    if (isVisible())
        FDelay->start();
}

void TProblemsPanel::Refresh()
{
    ++FGeneration;
    FSummary->setText(QStringLiteral("Checking…"));
    FDelay->stop();
    Start();
}

void TProblemsPanel::showEvent(QShowEvent* Event)
{
    QDockWidget::showEvent(Event);
    if (FShownGeneration != FGeneration)
        FDelay->start(0);
}

void TProblemsPanel::Start()
{
    if (!isVisible() || FRunning || FShownGeneration == FGeneration)
        return;
    FRunning = true;
    const uint64_t Generation = FGeneration;
    QByteArray Bytes;
    QString Failure;
    try {
        Bytes = FSnapshot();
    } catch (const std::exception& Error) {
        Failure = QString::fromUtf8(Error.what());
    }
    FTasks.Run<TResult>(
        this,
        [Generation, Bytes = std::move(Bytes), Failure] {
            TResult Result{Generation, {}, Failure};
            if (!Failure.isEmpty())
                return Result;
            try {
                TData Copy;
                TMemoryStream Stream(Bytes);
                Copy.LoadFromStream(Stream);
                Result.Findings = CollectCheckFindings(Copy);
            } catch (const E_QOR& Error) {
                Result.Failure = Error.Message();
            } catch (const std::exception& Error) {
                Result.Failure = QString::fromUtf8(Error.what());
            }
            return Result;
        },
        [this](TResult Result) {
            FRunning = false;
            Deliver(std::move(Result));
            // An edit overtook the check: the latest state is checked now.
            if (FShownGeneration != FGeneration)
                Start();
        });
}

void TProblemsPanel::DeliverForTesting(uint64_t Generation, std::vector<TCheckFinding> Findings, const QString& Failure)
{
    Deliver({Generation, std::move(Findings), Failure});
}

void TProblemsPanel::Deliver(TResult Result)
{
    if (Result.Generation != FGeneration)
        return;
    FShownGeneration = Result.Generation;
    FModel->SetFindings(std::move(Result.Findings));
    Show(Result.Failure);
}

const std::vector<TCheckFinding>& TProblemsPanel::Findings() const
{
    return FModel->Findings();
}

void TProblemsPanel::Show(const QString& Failure)
{
    const std::vector<TCheckFinding>& Findings = FModel->Findings();
    const qsizetype Errors = std::count_if(Findings.begin(), Findings.end(), [](const TCheckFinding& Finding) {
        return Finding.Severity == TFindingSeverity::Error;
    });
    if (!Failure.isEmpty())
        FSummary->setText(QStringLiteral("The check could not run: ") + Failure);
    else if (Findings.empty())
        FSummary->setText(QStringLiteral("No problems found."));
    else
        FSummary->setText(Plural(Errors, "error", "errors") + QStringLiteral(", ") +
                          Plural(qsizetype(Findings.size()) - Errors, "warning", "warnings") + QLatin1Char('.'));
}

void TProblemsPanel::ActivateRow(int Row, bool Open)
{
    if (Row < 0 || size_t(Row) >= Findings().size())
        return;
    emit FindingActivated(Findings()[size_t(Row)].Path, Open);
}
