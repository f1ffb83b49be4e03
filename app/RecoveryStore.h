#pragma once

// Recovery files: while a document has unsaved changes, the window keeps a copy of it in the user's
// recovery folder, so that a crash, a killed session or a power cut loses nothing. Each running
// Quillon is one session there: "<id>.recovery" holds its copy and "<id>.lock" (held while the
// session runs) tells others that it is still running. Copies of sessions that no longer run are
// orphans, which the next Quillon offers to restore.
//
// Writing happens on a thread of the store's own, through QSaveFile: a copy is replaced only by a
// complete one. Only the newest state waiting to be written is kept.

#include "app/DiskSnapshot.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QLockFile;

struct TRecoveryRecord
{
    // The definition file the document came from or was last saved to; empty when there is none.
    QString OriginalFileName;
    // When the document was last changed, in UTC.
    QDateTime Changed;
    qint64 WriterPid = 0;
    QString WriterHost;
    // The original file as the writer last loaded or saved it.
    TDiskSnapshot Disk;
    // The document as a definition file.
    QByteArray Definition;
};

class TRecoveryStore
{
public:
    struct TOrphan
    {
        QString FileName;
        TRecoveryRecord Record;
    };

    // A recovery file larger than this is not read.
    static constexpr qint64 MaximumFileSize = 256 * 1024 * 1024;

    // Nothing is created in Folder before the first Write.
    explicit TRecoveryStore(QString Folder);
    // Finishes what was handed over. A copy that was not removed stays for the next Quillon.
    ~TRecoveryStore();
    TRecoveryStore(const TRecoveryStore&) = delete;
    TRecoveryStore& operator=(const TRecoveryStore&) = delete;

    // The user's recovery folder: "Corvane/Sorvik/Quillon/Recovery" in the generic data location.
    static QString DefaultFolder();

    const QString& Folder() const { return FFolder; }
    // This session's copy; it exists only after a Write.
    QString FileName() const;

    // Replaces this session's copy with Record, on the writer thread.
    void Write(TRecoveryRecord Record);
    // Removes this session's copy, after what was handed over before.
    void Remove();
    // Waits until everything handed over is on disk.
    void Flush();
    // Whether the last copy could not be written (no folder, a full disk).
    bool WriteFailed() const;

    // The copies of sessions that no longer run, newest change first. Each stays claimed, so that
    // no other Quillon offers it meanwhile, until it is discarded, set aside or the claims released.
    std::vector<TOrphan> ClaimOrphans();
    // Deletes an orphan's copy.
    void Discard(const TOrphan& Orphan);
    // Renames a copy that cannot be restored to "<id>.recovery.damaged", out of every later offer.
    void SetAside(const TOrphan& Orphan);
    void ReleaseClaims();

    static QByteArray Encode(const TRecoveryRecord& Record);
    // False for bytes that are not a complete recovery file of a known layout.
    static bool Decode(const QByteArray& Bytes, TRecoveryRecord& Record);

private:
    enum class TOperation
    {
        None,
        Write,
        Remove,
    };

    bool StartSession();
    void Post(TOperation Operation, TRecoveryRecord Record);
    void Work();
    void Drop(const QString& FileName);

    QString FFolder;
    QString FSessionId;
    std::unique_ptr<QLockFile> FSessionLock;
    std::map<QString, std::unique_ptr<QLockFile>> FClaims;

    std::thread FWriter;
    mutable std::mutex FMutex;
    std::condition_variable FWake;
    std::condition_variable FIdle;
    TOperation FPending = TOperation::None;
    TRecoveryRecord FPendingRecord;
    bool FBusy = false;
    bool FStopping = false;
    bool FWriteFailed = false;
};
