#pragma once

// "Package contents": every file an export of the definition would embed, found by the export's own
// rules on a thread of its own: the target the package carries, where the file is read from, its
// size and last-write time and the pattern that matched it. Missing files are marked; the total
// size is shown below. Columns sort on a click and a filter box narrows the rows.

#include "model/PackagePlan.h"
#include "ui/BackgroundTask.h"

#include <QByteArray>
#include <QDialog>

#include <vector>

class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

class TPackageContentsDialog : public QDialog
{
    Q_OBJECT
public:
    enum TColumn
    {
        cTarget,
        cSource,
        cSize,
        cLastWritten,
        cPattern,
        cElement,
        cColumnCount,
    };

    // Definition is the definition as its file's bytes; the disk is read off the UI thread.
    explicit TPackageContentsDialog(const QByteArray& Definition, QWidget* Parent = nullptr);
    ~TPackageContentsDialog() override;

    bool Ready() const { return FReady; }
    const std::vector<TPlannedFile>& Files() const { return FFiles; }
    QTableView* View() const { return FView; }
    QLineEdit* Filter() const { return FFilter; }
    QLabel* Total() const { return FTotal; }
    QSortFilterProxyModel* Proxy() const { return FProxy; }

signals:
    void Planned();

private:
    struct TResult
    {
        std::vector<TPlannedFile> Files;
        QString Failure;
    };
    void Show(TResult Result);

    QLineEdit* FFilter = nullptr;
    QTableView* FView = nullptr;
    QStandardItemModel* FModel = nullptr;
    QSortFilterProxyModel* FProxy = nullptr;
    QLabel* FTotal = nullptr;
    std::vector<TPlannedFile> FFiles;
    bool FReady = false;
    TBackgroundTasks FTasks;
};

// "1,234 bytes" / "12.3 KiB (12,600 bytes)".
QString PlannedSizeText(int64_t Size);
