#include "app/DiskSnapshot.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>

namespace {

// Only the bytes of a definition count; the folder entry may be touched without a change.
QByteArray HashOf(QFile& File)
{
    QCryptographicHash Hash(QCryptographicHash::Sha256);
    if (!Hash.addData(&File))
        return {};
    return Hash.result();
}

} // namespace

TDiskSnapshot TDiskSnapshot::Take(const QString& FileName)
{
    TDiskSnapshot Snapshot;
    QFile File(FileName);
    const QFileInfo Info(FileName);
    if (!Info.isFile() || !File.open(QIODevice::ReadOnly))
        return Snapshot;
    Snapshot.FHash = HashOf(File);
    if (Snapshot.FHash.isEmpty())
        return Snapshot;
    Snapshot.FExists = true;
    Snapshot.FSize = Info.size();
    Snapshot.FModified = Info.lastModified().toUTC();
    return Snapshot;
}

bool TDiskSnapshot::ChangedOnDisk(const QString& FileName) const
{
    if (!FExists)
        return false;
    const QFileInfo Info(FileName);
    if (!Info.isFile())
        return false;
    if (Info.size() == FSize && Info.lastModified().toUTC() == FModified)
        return false;
    return !SameContent(Take(FileName));
}

bool TDiskSnapshot::SameContent(const TDiskSnapshot& Other) const
{
    return FExists == Other.FExists && FSize == Other.FSize && FHash == Other.FHash;
}

QDataStream& operator<<(QDataStream& Stream, const TDiskSnapshot& Snapshot)
{
    return Stream << Snapshot.FExists << Snapshot.FSize << Snapshot.FModified << Snapshot.FHash;
}

QDataStream& operator>>(QDataStream& Stream, TDiskSnapshot& Snapshot)
{
    return Stream >> Snapshot.FExists >> Snapshot.FSize >> Snapshot.FModified >> Snapshot.FHash;
}
