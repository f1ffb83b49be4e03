#include "app/RecoveryStore.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>

#include <algorithm>

namespace {

const quint32 Magic = 0x51524543; // "QREC"
const quint16 Layout = 1;
const QString CopySuffix = QStringLiteral(".recovery");
const QString LockSuffix = QStringLiteral(".lock");

std::unique_ptr<QLockFile> SessionLock(const QString& FileName)
{
    auto Lock = std::make_unique<QLockFile>(FileName);
    // A session runs as long as its process: its age says nothing.
    Lock->setStaleLockTime(0);
    return Lock;
}

bool ReadBounded(const QString& FileName, QByteArray& Bytes)
{
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly))
        return false;
    Bytes = File.read(TRecoveryStore::MaximumFileSize + 1);
    return Bytes.size() <= TRecoveryStore::MaximumFileSize;
}

} // namespace

TRecoveryStore::TRecoveryStore(QString Folder) : FFolder(std::move(Folder)) {}

TRecoveryStore::~TRecoveryStore()
{
    if (FWriter.joinable()) {
        {
            std::lock_guard Lock(FMutex);
            FStopping = true;
        }
        FWake.notify_all();
        FWriter.join();
    }
    FClaims.clear();
    FSessionLock.reset();
}

QString TRecoveryStore::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Corvane/Sorvik/Quillon/Recovery");
}

QString TRecoveryStore::FileName() const
{
    return FSessionId.isEmpty() ? QString() : QDir(FFolder).filePath(FSessionId + CopySuffix);
}

bool TRecoveryStore::StartSession()
{
    if (FSessionLock)
        return true;
    const bool Existed = QFileInfo(FFolder).isDir();
    if (!Existed) {
        if (!QDir().mkpath(FFolder))
            return false;
        // Copies of the user's work are the user's alone.
        QFile::setPermissions(FFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QString Id = QUuid::createUuid().toString(QUuid::Id128);
    auto Lock = SessionLock(QDir(FFolder).filePath(Id + LockSuffix));
    if (!Lock->tryLock(0))
        return false;
    FSessionId = Id;
    FSessionLock = std::move(Lock);
    FWriter = std::thread([this] { Work(); });
    return true;
}

void TRecoveryStore::Write(TRecoveryRecord Record)
{
    if (!StartSession()) {
        std::lock_guard Lock(FMutex);
        FWriteFailed = true;
        return;
    }
    Post(TOperation::Write, std::move(Record));
}

void TRecoveryStore::Remove()
{
    // Without a session nothing was ever written.
    if (FSessionLock)
        Post(TOperation::Remove, {});
}

void TRecoveryStore::Post(TOperation Operation, TRecoveryRecord Record)
{
    {
        std::lock_guard Lock(FMutex);
        // Only the newest state matters: a waiting copy is replaced, or dropped by a removal.
        FPending = Operation;
        FPendingRecord = std::move(Record);
    }
    FWake.notify_all();
}

void TRecoveryStore::Flush()
{
    std::unique_lock Lock(FMutex);
    FIdle.wait(Lock, [this] { return FPending == TOperation::None && !FBusy; });
}

bool TRecoveryStore::WriteFailed() const
{
    std::lock_guard Lock(FMutex);
    return FWriteFailed;
}

void TRecoveryStore::Work()
{
    const QString Target = FileName();
    std::unique_lock Lock(FMutex);
    for (;;) {
        FWake.wait(Lock, [this] { return FPending != TOperation::None || FStopping; });
        if (FPending == TOperation::None)
            return;
        const TOperation Operation = FPending;
        const TRecoveryRecord Record = std::move(FPendingRecord);
        FPending = TOperation::None;
        FPendingRecord = {};
        FBusy = true;
        Lock.unlock();
        bool Failed = false;
        if (Operation == TOperation::Write) {
            QSaveFile File(Target);
            Failed = !File.open(QIODevice::WriteOnly) || File.write(Encode(Record)) < 0 || !File.commit();
        } else {
            QFile::remove(Target);
        }
        Lock.lock();
        FBusy = false;
        if (Operation == TOperation::Write)
            FWriteFailed = Failed;
        if (FPending == TOperation::None)
            FIdle.notify_all();
    }
}

std::vector<TRecoveryStore::TOrphan> TRecoveryStore::ClaimOrphans()
{
    std::vector<TOrphan> Orphans;
    const QDir Dir(FFolder);
    if (!Dir.exists())
        return Orphans;
    const QFileInfoList Copies = Dir.entryInfoList({QLatin1Char('*') + CopySuffix}, QDir::Files | QDir::NoSymLinks);
    for (const QFileInfo& Copy : Copies) {
        const QString Id = Copy.fileName().chopped(CopySuffix.size());
        if (Id == FSessionId || FClaims.count(Copy.filePath()))
            continue;
        auto Claim = SessionLock(Dir.filePath(Id + LockSuffix));
        // Its Quillon still runs, or the folder tells nothing: the copy is left alone.
        if (!Claim->tryLock(0))
            continue;
        TOrphan Orphan;
        Orphan.FileName = Copy.filePath();
        QByteArray Bytes;
        if (Copy.size() > MaximumFileSize || !ReadBounded(Copy.filePath(), Bytes) || !Decode(Bytes, Orphan.Record))
            continue;
        FClaims[Orphan.FileName] = std::move(Claim);
        Orphans.push_back(std::move(Orphan));
    }
    // Locks of sessions that ended without a copy (a crash with nothing unsaved) are tidied away.
    for (const QFileInfo& Stale : Dir.entryInfoList({QLatin1Char('*') + LockSuffix}, QDir::Files | QDir::NoSymLinks)) {
        const QString Id = Stale.fileName().chopped(LockSuffix.size());
        if (Id == FSessionId || Dir.exists(Id + CopySuffix))
            continue;
        auto Claim = SessionLock(Stale.filePath());
        if (Claim->tryLock(0))
            Claim->unlock();
    }
    std::stable_sort(Orphans.begin(), Orphans.end(), [](const TOrphan& A, const TOrphan& B) {
        return A.Record.Changed > B.Record.Changed;
    });
    return Orphans;
}

void TRecoveryStore::Drop(const QString& FileName)
{
    FClaims.erase(FileName);
}

void TRecoveryStore::Discard(const TOrphan& Orphan)
{
    QFile::remove(Orphan.FileName);
    Drop(Orphan.FileName);
}

void TRecoveryStore::SetAside(const TOrphan& Orphan)
{
    const QString Damaged = Orphan.FileName + QStringLiteral(".damaged");
    QFile::remove(Damaged);
    QFile::rename(Orphan.FileName, Damaged);
    Drop(Orphan.FileName);
}

void TRecoveryStore::ReleaseClaims()
{
    FClaims.clear();
}

QByteArray TRecoveryStore::Encode(const TRecoveryRecord& Record)
{
    QByteArray Bytes;
    QDataStream Stream(&Bytes, QIODevice::WriteOnly);
    Stream.setVersion(QDataStream::Qt_6_0);
    Stream << Magic << Layout << Record.OriginalFileName << Record.Changed << Record.WriterPid << Record.WriterHost
           << Record.Disk << Record.Definition;
    return Bytes;
}

bool TRecoveryStore::Decode(const QByteArray& Bytes, TRecoveryRecord& Record)
{
    QDataStream Stream(Bytes);
    Stream.setVersion(QDataStream::Qt_6_0);
    quint32 ReadMagic = 0;
    quint16 ReadLayout = 0;
    Stream >> ReadMagic >> ReadLayout;
    if (Stream.status() != QDataStream::Ok || ReadMagic != Magic || ReadLayout != Layout)
        return false;
    TRecoveryRecord Read;
    Stream >> Read.OriginalFileName >> Read.Changed >> Read.WriterPid >> Read.WriterHost >> Read.Disk >>
        Read.Definition;
    if (Stream.status() != QDataStream::Ok || !Stream.atEnd() || Read.Definition.isEmpty())
        return false;
    Record = std::move(Read);
    return true;
}
