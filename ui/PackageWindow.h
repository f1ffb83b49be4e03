#pragma once

// A code package file opened for reading in a window of its own: the header, the sections, every
// element and every embedded file with its SHA-256. The hashes are computed by a worker thread and
// shown as each one is ready. From the window the embedded files can be extracted under a folder
// (by the same rules as the command line's extract) and compared with the files a definition names.

#include "foundation/UserSeam.h"
#include "model/PackageReader.h"

#include <QMainWindow>

#include <atomic>
#include <memory>

class QAction;
class QTableWidget;
class QThread;

class TPackageWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Reads FileName and shows it in a new window that deletes itself when closed. A package that
    // cannot be read gives a box with the reader's report and no window.
    static TPackageWindow* Open(const QString& FileName, QWidget* Owner = nullptr);

    TPackageWindow(const QString& FileName, TPackageContents Contents, QWidget* Owner = nullptr);
    ~TPackageWindow() override;

    const QString& FileName() const { return FFileName; }
    const TPackageContents& Contents() const { return FContents; }
    // Whether every embedded file has its hash on screen.
    bool HashesComplete() const { return FHashesLeft == 0; }

    void ExtractClick();
    void CompareClick();

    QTableWidget* HeaderTable = nullptr;
    QTableWidget* SectionTable = nullptr;
    QTableWidget* ElementTable = nullptr;
    QTableWidget* FileTable = nullptr;
    QAction* Action_Extract = nullptr;
    QAction* Action_Compare = nullptr;

signals:
    void HashesFinished();

private:
    void ShowBox(const QString& Text, TMessageIcon Icon);
    void CreateComponents();
    void FillTables();
    void StartHashing();
    void HashReady(int Row, const QByteArray& Hash);

    QString FFileName;
    TPackageContents FContents;
    int FHashesLeft = 0;
    std::shared_ptr<std::atomic_bool> FCancel;
    QThread* FHasher = nullptr;
};
