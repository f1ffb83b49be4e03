#pragma once

// What a definition file looked like on disk when the window last loaded or saved it: its size,
// its time and a hash of its bytes. Comparing it with the disk tells whether another program has
// replaced the file since.

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QDataStream;

class TDiskSnapshot
{
public:
    // A snapshot of nothing: no file was loaded or saved.
    TDiskSnapshot() = default;

    // Reads FileName once to hash it; a file that cannot be read gives a snapshot of a missing file.
    static TDiskSnapshot Take(const QString& FileName);

    bool Exists() const { return FExists; }
    qint64 Size() const { return FSize; }
    const QDateTime& Modified() const { return FModified; }
    const QByteArray& Hash() const { return FHash; }

    // Whether FileName now holds other bytes than the file this snapshot was taken of. A file with
    // the same size and time is taken as unchanged without reading it; one that was touched but
    // holds the same bytes is unchanged too. A file that has gone is not a change: saving puts it
    // back, and there is nothing to reload.
    bool ChangedOnDisk(const QString& FileName) const;
    // The same question against a later snapshot of the same file.
    bool SameContent(const TDiskSnapshot& Other) const;

    friend QDataStream& operator<<(QDataStream& Stream, const TDiskSnapshot& Snapshot);
    friend QDataStream& operator>>(QDataStream& Stream, TDiskSnapshot& Snapshot);

private:
    bool FExists = false;
    qint64 FSize = 0;
    QDateTime FModified;
    QByteArray FHash;
};
