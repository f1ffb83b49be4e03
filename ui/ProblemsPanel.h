#pragma once

// The "Problems" panel: every finding of the export error check on the open definition, errors and
// warnings, each with its severity (a standard icon and the word), the message exactly as the check
// words it and where it is. The check runs on a thread of its own over a copy of the definition;
// each request carries a generation and only the result of the latest is shown, so a result that an
// edit has overtaken never passes for the current one.

#include "model/CheckFindings.h"
#include "ui/BackgroundTask.h"

#include <QByteArray>
#include <QDockWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QLabel;
class QTimer;
class QTreeView;
class TData;
class TFindingsModel;
class TQORObject;

class TProblemsPanel : public QDockWidget
{
    Q_OBJECT
public:
    // Snapshot returns the definition as its file's bytes; it runs on the UI thread.
    TProblemsPanel(std::function<QByteArray()> Snapshot, QWidget* Parent = nullptr);
    ~TProblemsPanel() override;

    // The definition changed: the findings are checked again shortly after, while the panel shows.
    void DocumentChanged();
    // Checks now (when the panel shows); the result of every earlier request is dropped.
    void Refresh();

    // The findings shown, in the check's order, and whether they belong to the latest request.
    const std::vector<TCheckFinding>& Findings() const;
    bool Current() const { return FShownGeneration == FGeneration; }
    uint64_t Generation() const { return FGeneration; }
    QTreeView* View() const { return FView; }
    QLabel* Summary() const { return FSummary; }

    // Activates the finding in Row: Open asks for the element's dialog as well.
    void ActivateRow(int Row, bool Open);

    // Test seam: shows Findings as the result of request Generation, as a finished check would.
    void DeliverForTesting(uint64_t Generation, std::vector<TCheckFinding> Findings, const QString& Failure = {});

signals:
    // A finding was activated (double click, Return); Open (Ctrl+Return) asks for its dialog.
    void FindingActivated(const std::vector<TFindingStep>& Path, bool Open);

protected:
    void showEvent(QShowEvent* Event) override;

private:
    struct TResult
    {
        uint64_t Generation = 0;
        std::vector<TCheckFinding> Findings;
        QString Failure;
    };
    void Start();
    void Deliver(TResult Result);
    void Show(const QString& Failure);

    std::function<QByteArray()> FSnapshot;
    QLabel* FSummary = nullptr;
    QTreeView* FView = nullptr;
    TFindingsModel* FModel = nullptr;
    QTimer* FDelay = nullptr;
    // The latest request, and the one whose result is shown.
    uint64_t FGeneration = 0;
    uint64_t FShownGeneration = 0;
    // A check is running; a request made meanwhile starts when it ends.
    bool FRunning = false;
    TBackgroundTasks FTasks;
};

// The element a finding's path leads to in Data, found by list and position; where the path no
// longer fits the definition (an edit since the check), the deepest element it still reaches. None
// for the package itself.
TQORObject* FindingElement(const TData& Data, const std::vector<TFindingStep>& Path);
// What a screen reader says for a finding: "Error: MESSAGE Location: LOCATION".
QString FindingAccessibleText(const TCheckFinding& Finding);
