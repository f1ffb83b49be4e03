#include "ui/DocumentGuard.h"

#include "app/DefinitionLock.h"
#include "forms/QORApplication.h"
#include "foundation/MemoryStream.h"
#include "foundation/QORExceptions.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLocale>
#include <QSysInfo>

namespace {

TSafetyNet& CurrentNet()
{
    static TSafetyNet Net;
    return Net;
}

bool SameFile(const QString& A, const QString& B)
{
    if (A.isEmpty() || B.isEmpty())
        return false;
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity Case = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity Case = Qt::CaseSensitive;
#endif
    return QFileInfo(A).absoluteFilePath().compare(QFileInfo(B).absoluteFilePath(), Case) == 0;
}

QString TimeText(const QDateTime& Time)
{
    return QLocale::c().toString(Time.toLocalTime(), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString OrUnknown(const QString& Text)
{
    return Text.isEmpty() ? QStringLiteral("unknown") : Text;
}

// "The file 'X' is open in another Quillon of user U on machine M since T." and the question.
QString HeldText(const TDefinitionLock& Lock, const QString& Question)
{
    const TLockOwner Owner = Lock.Owner();
    return QStringLiteral("The file '%1' is open in another Quillon of user %2 on machine %3 since %4. %5")
        .arg(Lock.DefinitionFileName(),
             OrUnknown(Owner.User),
             OrUnknown(Owner.Host),
             Owner.Since.isValid() ? TimeText(Owner.Since) : QStringLiteral("an unknown time"),
             Question);
}

TMessageResult Ask(QWidget* Parent, const QString& Text, TMessageButtons Buttons)
{
    return UserSeam().ShowMessage(Parent, Text, QStringLiteral("Query"), Buttons, TMessageIcon::None);
}

QByteArray DocumentBytes(const TData& Document)
{
    TMemoryStream Stream;
    Document.SaveToStream(Stream);
    return Stream.Data();
}

void LoadDocumentBytes(TData& Document, const QByteArray& Bytes)
{
    TMemoryStream Stream(Bytes);
    Document.LoadFromStream(Stream);
}

void SilentAbort()
{
    throw ERuntime(TRuntimeErrorKind::Abort, QString());
}

} // namespace

TSafetyNetScope::TSafetyNetScope(const TSafetyNet& Net) : FPrevious(CurrentNet())
{
    CurrentNet() = Net;
}

TSafetyNetScope::~TSafetyNetScope()
{
    CurrentNet() = FPrevious;
}

TDocumentGuard::TDocumentGuard(TMain& Window) : FWindow(Window), FNet(CurrentNet())
{
    if (!FNet.Enabled)
        return;
    FStore = std::make_unique<TRecoveryStore>(FNet.RecoveryFolder);
    FRecoveryTimer.setSingleShot(true);
    connect(&FRecoveryTimer, &QTimer::timeout, this, [this] { GuardedEvent([this] { WriteRecovery(); }, this); });
    FWindow.installEventFilter(this);
    // Once the window is up and the event loop runs, the copies a crash left are offered.
    QTimer::singleShot(0, this, [this] { GuardedEvent([this] { OfferRecovery(); }, this); });
}

TDocumentGuard::~TDocumentGuard()
{
    if (!FNet.Enabled)
        return;
    FWindow.removeEventFilter(this);
    try {
        if (!FClosed && FWindow.Modified())
            WriteRecovery();
        else if (FHasCopy)
            FStore->Remove();
    } catch (...) {
        // The window is going: there is nobody left to tell.
    }
    FStore.reset();
}

void TDocumentGuard::OpeningDocument(const QString& FileName)
{
    if (!FNet.Enabled)
        return;
    FOpeningLock.reset();
    FOpening = true;
    // A reload keeps the lock it has.
    if (FLock && SameFile(FLock->DefinitionFileName(), FileName)) {
        FOpeningLock = std::move(FLock);
        return;
    }
    auto Lock = std::make_unique<TDefinitionLock>(FileName);
    switch (Lock->TryLock()) {
    case TDefinitionLock::TResult::Locked:
        FOpeningLock = std::move(Lock);
        break;
    case TDefinitionLock::TResult::HeldByOther:
        if (Ask(&FWindow, HeldText(*Lock, QStringLiteral("Open it anyway?")), TMessageButtons::OKCancel) !=
            TMessageResult::OK) {
            FOpening = false;
            SilentAbort();
        }
        break;
    case TDefinitionLock::TResult::Unavailable:
        break;
    }
}

void TDocumentGuard::DocumentOpened(const QString& FileName)
{
    if (!FNet.Enabled)
        return;
    FLock = std::move(FOpeningLock);
    FOpening = false;
    FDisk = TDiskSnapshot::Take(FileName);
    FToldDisk = {};
}

void TDocumentGuard::DocumentCleared()
{
    if (!FNet.Enabled)
        return;
    DropCopy();
    FLock.reset();
    // Opening a file empties the document first: the new file's lock stays for its load.
    if (!FOpening)
        FOpeningLock.reset();
    FOpening = false;
    FDisk = {};
    FToldDisk = {};
}

bool TDocumentGuard::MayWrite(const QString& FileName)
{
    if (!FNet.Enabled)
        return true;
    if (SameFile(FileName, FWindow.DocumentFileName()) || (FLock && SameFile(FileName, FLock->DefinitionFileName()))) {
        if (!FDisk.ChangedOnDisk(FileName))
            return true;
        return Ask(&FWindow,
                   QStringLiteral("The file '%1' was changed by another program. Overwrite it?").arg(FileName),
                   TMessageButtons::YesNo) == TMessageResult::Yes;
    }
    // Another file: a Quillon that has it open would lose its next save to this one, or this to it.
    TDefinitionLock Probe(FileName);
    if (Probe.TryLock() != TDefinitionLock::TResult::HeldByOther)
        return true;
    return Ask(&FWindow, HeldText(Probe, QStringLiteral("Overwrite it?")), TMessageButtons::YesNo) ==
           TMessageResult::Yes;
}

void TDocumentGuard::DocumentSaved(const QString& FileName)
{
    if (!FNet.Enabled)
        return;
    DropCopy();
    FDisk = TDiskSnapshot::Take(FileName);
    FToldDisk = {};
    if (FLock && SameFile(FLock->DefinitionFileName(), FileName))
        return;
    FLock.reset();
    auto Lock = std::make_unique<TDefinitionLock>(FileName);
    if (Lock->TryLock() == TDefinitionLock::TResult::Locked)
        FLock = std::move(Lock);
}

void TDocumentGuard::ViewUpdated()
{
    if (!FNet.Enabled || FClosed)
        return;
    if (!FWindow.Modified()) {
        // Undone back to what is on disk: a copy of the undone changes would only mislead.
        DropCopy();
        return;
    }
    FLastChange = QDateTime::currentDateTimeUtc();
    // Editing on and on still leaves a copy every few seconds: the timer is not pushed back.
    if (!FRecoveryTimer.isActive())
        FRecoveryTimer.start(FNet.RecoveryDelay);
}

void TDocumentGuard::WindowClosed()
{
    if (!FNet.Enabled)
        return;
    DropCopy();
    FLock.reset();
    FOpeningLock.reset();
    FClosed = true;
}

void TDocumentGuard::DropCopy()
{
    FRecoveryTimer.stop();
    if (FHasCopy)
        FStore->Remove();
    FHasCopy = false;
    FWrittenBytes.clear();
    FWrittenName.clear();
}

void TDocumentGuard::WriteRecovery()
{
    if (!FNet.Enabled || !FWindow.Modified())
        return;
    FRecoveryTimer.stop();
    QByteArray Bytes = DocumentBytes(FWindow.Document());
    if (FHasCopy && Bytes == FWrittenBytes && FWindow.DocumentFileName() == FWrittenName)
        return;
    TRecoveryRecord Record;
    Record.OriginalFileName = FWindow.DocumentFileName();
    Record.Changed = FLastChange.isValid() ? FLastChange : QDateTime::currentDateTimeUtc();
    Record.WriterPid = QCoreApplication::applicationPid();
    Record.WriterHost = QSysInfo::machineHostName();
    Record.Disk = FDisk;
    Record.Definition = Bytes;
    FStore->Write(std::move(Record));
    FWrittenBytes = std::move(Bytes);
    FWrittenName = FWindow.DocumentFileName();
    FHasCopy = true;
}

void TDocumentGuard::OfferRecovery()
{
    if (!FNet.Enabled || FClosed)
        return;
    const std::vector<TRecoveryStore::TOrphan> Orphans = FStore->ClaimOrphans();
    for (const TRecoveryStore::TOrphan& Orphan : Orphans) {
        const TRecoveryRecord& Record = Orphan.Record;
        const QString Text =
            Record.OriginalFileName.isEmpty()
                ? QStringLiteral("Unsaved changes to a new definition from %1 were recovered. Restore them?")
                      .arg(TimeText(Record.Changed))
                : QStringLiteral("Unsaved changes to '%1' from %2 were recovered. Restore them?")
                      .arg(Record.OriginalFileName, TimeText(Record.Changed));
        if (Ask(&FWindow, Text, TMessageButtons::YesNo) != TMessageResult::Yes) {
            FStore->Discard(Orphan);
            continue;
        }
        // One window holds one document: the copies not yet offered wait for the next start.
        if (Restore(Orphan))
            break;
    }
    FStore->ReleaseClaims();
}

bool TDocumentGuard::Restore(const TRecoveryStore::TOrphan& Orphan)
{
    const TRecoveryRecord& Record = Orphan.Record;
    try {
        TData Scratch;
        LoadDocumentBytes(Scratch, Record.Definition);
    } catch (...) {
        ShowExceptionBox(&FWindow);
        FStore->SetAside(Orphan);
        return false;
    }
    if (FWindow.Modified() && !FWindow.QuerySave())
        return false;
    if (!Record.OriginalFileName.isEmpty()) {
        try {
            OpeningDocument(Record.OriginalFileName);
        } catch (const ERuntime& Error) {
            if (Error.Kind() == TRuntimeErrorKind::Abort)
                return false;
            throw;
        }
    }
    FWindow.NewDocument();
    LoadDocumentBytes(FWindow.Document(), Record.Definition);
    FWindow.SetDocumentFileName(Record.OriginalFileName);
    FLock = std::move(FOpeningLock);
    FOpening = false;
    // What the crashed window had loaded: a file changed since is caught before it is overwritten.
    FDisk = Record.Disk;
    FWindow.SetModified(true);
    FWindow.UpdateView();
    FLastChange = Record.Changed;
    // The restored work has a copy of this session's before the old one goes.
    WriteRecovery();
    FStore->Flush();
    if (!FStore->WriteFailed())
        FStore->Discard(Orphan);
    return true;
}

bool TDocumentGuard::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == &FWindow && Event->type() == QEvent::WindowActivate && !FCheckPosted) {
        // Not inside the activation itself: the question is a window of its own.
        FCheckPosted = true;
        QTimer::singleShot(0, this, [this] {
            FCheckPosted = false;
            GuardedEvent([this] { CheckDisk(); }, this);
        });
    }
    return QObject::eventFilter(Watched, Event);
}

void TDocumentGuard::CheckDisk()
{
    if (!FNet.Enabled || FClosed || FChecking)
        return;
    const QString FileName = FWindow.DocumentFileName();
    // While another box is up the check waits for the window's next activation.
    if (FileName.isEmpty() || QApplication::activeModalWidget() || !FDisk.ChangedOnDisk(FileName))
        return;
    const TDiskSnapshot Now = TDiskSnapshot::Take(FileName);
    if (FToldDisk.Exists() && FToldDisk.SameContent(Now))
        return;
    FToldDisk = Now;
    FChecking = true;
    struct TDone
    {
        bool& Flag;
        ~TDone() { Flag = false; }
    } Done{FChecking};
    if (FWindow.Modified()) {
        UserSeam().ShowMessage(&FWindow,
                               QStringLiteral("The file '%1' was changed by another program. The document keeps its "
                                              "unsaved changes; Save will ask before overwriting the file.")
                                   .arg(FileName),
                               QString(),
                               TMessageButtons::OK,
                               TMessageIcon::Warning);
        return;
    }
    if (Ask(&FWindow,
            QStringLiteral("The file '%1' was changed by another program. Reload it?").arg(FileName),
            TMessageButtons::YesNo) == TMessageResult::Yes)
        Reload(FileName);
}

void TDocumentGuard::Reload(const QString& FileName)
{
    // A file that does not load leaves the document as it was.
    {
        TData Scratch;
        Scratch.LoadFromFile(FileName);
    }
    FWindow.LoadDocument(FileName);
    FWindow.UpdateView();
}
