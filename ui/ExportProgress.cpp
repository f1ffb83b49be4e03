#include "ui/ExportProgress.h"

#include "foundation/MemoryStream.h"
#include "foundation/QORExceptions.h"
#include "model/Data.h"
#include "model/PackageExport.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTimer>

#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace {

int& DelaySetting()
{
    static int Delay = 500;
    return Delay;
}

// What the worker tells the window. The window reads it on its own timer, so that a fast export
// floods nothing.
struct TSharedProgress
{
    std::mutex Lock;
    uint64_t Done = 0;
    uint64_t Total = 0;
    QString File;
    std::exception_ptr Error;
    std::atomic<bool> Finished{false};
};

// Cancel, Escape and the close box ask the export to stop; the dialog stays up, and the window
// blocked, until the worker has ended.
class TExportProgressDialog : public QProgressDialog
{
public:
    using QProgressDialog::QProgressDialog;

    void reject() override { emit canceled(); }

protected:
    void closeEvent(QCloseEvent* Event) override
    {
        Event->ignore();
        emit canceled();
    }
};

QString ProgressText(const QString& File)
{
    if (File.isEmpty())
        return QStringLiteral("Writing the code package...");
    return QStringLiteral("Embedding %1...").arg(QFileInfo(File).fileName());
}

} // namespace

QProgressDialog* CreateExportProgressDialog(QWidget* Owner)
{
    auto* Dialog = new TExportProgressDialog(Owner);
    Dialog->setObjectName(QStringLiteral("ExportProgress"));
    Dialog->setWindowTitle(QStringLiteral("Export"));
    Dialog->setWindowModality(Qt::WindowModal);
    Dialog->setAutoReset(false);
    Dialog->setAutoClose(false);
    // Only the export ends the dialog: Cancel asks it to stop.
    QObject::disconnect(Dialog, &QProgressDialog::canceled, Dialog, &QProgressDialog::cancel);
    Dialog->setRange(0, 1000);
    Dialog->setMinimumWidth(420);
    Dialog->setLabelText(ProgressText(QString()));
    return Dialog;
}

QString ExportProgressText(const QString& File)
{
    return ProgressText(File);
}

int TBackgroundExport::DialogDelay()
{
    return DelaySetting();
}

void TBackgroundExport::SetDialogDelayForTesting(int Milliseconds)
{
    DelaySetting() = Milliseconds;
}

bool TBackgroundExport::Run(const TData& Document, const QString& FileName)
{
    // The worker gets the definition as bytes: nothing it reads is shared with the window.
    TMemoryStream Copy;
    Document.SaveToStream(Copy);
    const QByteArray Definition = Copy.Data();

    FCancel = false;
    FRunning = true;
    const auto NotRunning = qScopeGuard([this] { FRunning = false; });
    auto Shared = std::make_shared<TSharedProgress>();
    std::thread Worker([Shared, Definition, FileName, Cancel = &FCancel] {
        try {
            TData Private;
            TMemoryStream Source(Definition);
            Private.LoadFromStream(Source);
            TExportProgress Progress;
            Progress.Cancel = Cancel;
            Progress.Report = [&Shared](uint64_t Done, uint64_t Total, const QString& File) {
                const std::lock_guard<std::mutex> Guard(Shared->Lock);
                Shared->Done = Done;
                Shared->Total = Total;
                if (Shared->File != File)
                    Shared->File = File;
            };
            ExportPackageFile(Private, FileName, TExportStamp(), &Progress);
        } catch (...) {
            Shared->Error = std::current_exception();
        }
        Shared->Finished = true;
    });
    // Whatever happens on this side, the worker is waited for: it writes beside the user's file.
    const auto Join = qScopeGuard([this, &Worker] {
        FCancel = true;
        Worker.join();
    });

    const std::unique_ptr<QProgressDialog> Shown(CreateExportProgressDialog(FOwner));
    QProgressDialog& Dialog = *Shown;
    Dialog.setMinimumDuration(DelaySetting());
    Dialog.setValue(0);
    QObject::connect(&Dialog, &QProgressDialog::canceled, &Dialog, [this, &Dialog] {
        FCancel = true;
        Dialog.setLabelText(QStringLiteral("Cancelling..."));
        Dialog.setCancelButton(nullptr);
    });

    QEventLoop Loop;
    QTimer Poll;
    Poll.setInterval(30);
    QString ShownFile;
    QObject::connect(&Poll, &QTimer::timeout, &Loop, [&] {
        if (Shared->Finished) {
            Loop.quit();
            return;
        }
        uint64_t Done = 0;
        uint64_t Total = 0;
        QString File;
        {
            const std::lock_guard<std::mutex> Guard(Shared->Lock);
            Done = Shared->Done;
            Total = Shared->Total;
            File = Shared->File;
        }
        if (!FCancel && File != ShownFile) {
            ShownFile = File;
            Dialog.setLabelText(ProgressText(File));
        }
        const int Value = Total == 0 ? 0 : int(std::min<uint64_t>(Done * 1000 / Total, 999));
        // setValue also shows the dialog once the delay has passed.
        Dialog.setValue(std::max(Value, 1));
        if (Dialog.isVisible())
            Loop.quit();
    });
    Poll.start();
    // Until the dialog is up no input reaches the window, so the definition cannot change; input
    // that arrives meanwhile waits. Once the dialog is up, its modality keeps the window still.
    if (!Shared->Finished)
        Loop.exec(QEventLoop::ExcludeUserInputEvents);
    while (!Shared->Finished)
        Loop.exec();
    Poll.stop();
    Dialog.hide();

    if (Shared->Error) {
        try {
            std::rethrow_exception(Shared->Error);
        } catch (const E_APP_ExportCancelled&) {
            return false;
        }
    }
    return true;
}
