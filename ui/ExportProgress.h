#pragma once

// An export from the window that keeps the window painted: the package is written on a worker
// thread from a private copy of the definition, and a modal progress dialog with Cancel appears when
// the export takes longer than a moment.

#include <QString>

#include <atomic>

class QProgressDialog;
class QWidget;
class TData;

// The dialog an export shows, not yet shown: caption "Export", a bar counted in thousandths of the
// bytes to embed, the file being embedded, and Cancel. Owned by the caller.
QProgressDialog* CreateExportProgressDialog(QWidget* Owner);
// The dialog's text while File is embedded; for no file, while the rest of the package is written.
QString ExportProgressText(const QString& File);

class TBackgroundExport
{
public:
    explicit TBackgroundExport(QWidget* Owner) : FOwner(Owner) {}
    TBackgroundExport(const TBackgroundExport&) = delete;
    TBackgroundExport& operator=(const TBackgroundExport&) = delete;

    // Writes the package of Document to FileName and returns when the worker has ended: true when the
    // package was written, false when it was cancelled (the previous package then is as it was). A
    // failure is raised here, on the calling thread, as the export raised it. Document is copied
    // before the worker starts and is not touched afterwards.
    bool Run(const TData& Document, const QString& FileName);
    // Asks the running export to stop; Run then returns false.
    void Cancel() { FCancel = true; }
    bool Running() const { return FRunning; }

    // How long an export runs before the progress dialog appears, in milliseconds.
    static int DialogDelay();
    static void SetDialogDelayForTesting(int Milliseconds);

private:
    QWidget* FOwner;
    std::atomic<bool> FCancel{false};
    bool FRunning = false;
};
