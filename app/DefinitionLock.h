#pragma once

// The lock that tells other Quillons a definition file is open. It is a hidden file beside the
// definition (".Demo.cpd.lock" beside "Demo.cpd"), so that it also works for Quillons on other
// machines that share the folder. A lock whose process has gone on this machine is taken over
// without a word; one held elsewhere stays until its holder lets it go.

#include <QDateTime>
#include <QString>

#include <memory>

class QLockFile;

struct TLockOwner
{
    QString User;
    QString Host;
    // When the holder took the lock, in local time; invalid when unknown.
    QDateTime Since;
};

class TDefinitionLock
{
public:
    enum class TResult
    {
        Locked,
        // Another Quillon, here or elsewhere, has the file open.
        HeldByOther,
        // No lock file can be made there (a read-only folder, a missing one): the file opens without.
        Unavailable,
    };

    explicit TDefinitionLock(const QString& DefinitionFileName);
    // Lets the lock go when it was taken.
    ~TDefinitionLock();
    TDefinitionLock(const TDefinitionLock&) = delete;
    TDefinitionLock& operator=(const TDefinitionLock&) = delete;

    static QString LockFileName(const QString& DefinitionFileName);

    TResult TryLock();
    bool Locked() const;
    const QString& DefinitionFileName() const { return FDefinitionFileName; }
    // Who holds the lock, as far as the lock file tells; for the question to the user.
    TLockOwner Owner() const;

private:
    QString FDefinitionFileName;
    std::unique_ptr<QLockFile> FLock;
};
