#include "app/DefinitionLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#ifdef Q_OS_WIN
#if QT_VERSION < QT_VERSION_CHECK(6, 6, 0)
extern Q_CORE_EXPORT int qt_ntfs_permission_lookup;
#endif
#endif

namespace {

QString FileOwner(const QFileInfo& Info)
{
#ifdef Q_OS_WIN
    // Windows tells the owner of a file only while permission look-ups are switched on.
#if QT_VERSION < QT_VERSION_CHECK(6, 6, 0)
    ++qt_ntfs_permission_lookup;
    const QString Owner = Info.owner();
    --qt_ntfs_permission_lookup;
#else
    QNtfsPermissionCheckGuard Lookup;
    const QString Owner = Info.owner();
#endif
    return Owner;
#else
    QString Owner = Info.owner();
    // A user of another machine may have no name here.
    if (Owner.isEmpty())
        Owner = QString::number(Info.ownerId());
    return Owner;
#endif
}

} // namespace

TDefinitionLock::TDefinitionLock(const QString& DefinitionFileName) : FDefinitionFileName(DefinitionFileName) {}

TDefinitionLock::~TDefinitionLock() = default;

QString TDefinitionLock::LockFileName(const QString& DefinitionFileName)
{
    const QFileInfo Info(DefinitionFileName);
    return Info.absoluteDir().filePath(QLatin1Char('.') + Info.fileName() + QStringLiteral(".lock"));
}

TDefinitionLock::TResult TDefinitionLock::TryLock()
{
    FLock = std::make_unique<QLockFile>(LockFileName(FDefinitionFileName));
    // A definition stays open for hours: only a holder that has gone makes the lock stale, never age.
    FLock->setStaleLockTime(0);
    if (FLock->tryLock(0))
        return TResult::Locked;
    const QLockFile::LockError Error = FLock->error();
    FLock.reset();
    return Error == QLockFile::LockFailedError ? TResult::HeldByOther : TResult::Unavailable;
}

bool TDefinitionLock::Locked() const
{
    return FLock && FLock->isLocked();
}

TLockOwner TDefinitionLock::Owner() const
{
    TLockOwner Owner;
    const QString FileName = LockFileName(FDefinitionFileName);
    QLockFile Probe(FileName);
    qint64 Pid = 0;
    QString AppName;
    Probe.getLockInfo(&Pid, &Owner.Host, &AppName);
    const QFileInfo Info(FileName);
    if (Info.exists()) {
        Owner.User = FileOwner(Info);
        Owner.Since = Info.lastModified().toLocalTime();
    }
    return Owner;
}
