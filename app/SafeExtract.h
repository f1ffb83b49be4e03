#pragma once

// Writes the embedded files of a package under a folder, all or nothing, never through a link. The
// folder the user names is taken as it is, even when it is a link; below it every step of a target
// (each folder and the file itself) is opened relative to the one before without following links,
// and a link there is a clash. Nothing is replaced but a regular file, and only when asked to.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class QIODevice;
struct TPackageContents;

struct TExtractFile
{
    // Where the file goes under the folder, "/" separating folders, as TTargetChecker gives it.
    QString Relative;
    // Where its bytes lie in the package, and how many there are.
    int64_t Offset = 0;
    int64_t Size = 0;
    // The last-write time it gets; an invalid time leaves the time of writing.
    QDateTime LastWritten;
};

struct TExtractClash
{
    enum TKind
    {
        None,
        // A regular file stands there and replacing was not asked for.
        Exists,
        // Anything else in the way: a link, a folder where the file goes, a file where a folder goes.
        Refused,
    };
    TKind Kind = None;
    QString Reason;
};

class TSafeExtract
{
public:
    // Force: replace existing regular files.
    TSafeExtract(const QString& Folder, bool Force);
    ~TSafeExtract();
    TSafeExtract(const TSafeExtract&) = delete;
    TSafeExtract& operator=(const TSafeExtract&) = delete;

    // False when the folder exists but is not a folder that can be opened.
    bool FolderUsable() const;
    // The full name of Relative under the folder, for messages.
    QString PathOf(const QString& Relative) const;
    // What stands in the way of writing Relative now. A folder that does not exist yet is no clash.
    TExtractClash Clash(const QString& Relative) const;

    // Writes every file from Source: new files directly, replacements beside their file first, and
    // once every byte is written, each replacement renamed over its file. On a failure everything
    // this run wrote is removed again, folders it created included. Returns the failure, empty on
    // success; Undone tells whether the disk is as before.
    QStringList WriteAll(QIODevice& Source, const std::vector<TExtractFile>& Files, bool& Undone);

private:
    struct TCreated
    {
        QStringList Parts;
        bool Folder = false;
    };
    struct TPending
    {
        QStringList Parts;
        QString Temporary;
    };

    QString CreateFolder();
    QString WriteOne(QIODevice& Source, const TExtractFile& File);
    QString Commit(const TPending& Pending);
    // Removes what this run created; the names it could not remove.
    QStringList Rollback();

    QString FFolder;
    bool FForce = false;
    bool FUsable = true;
    // The folder and the folders above it that this run created, outermost first.
    QStringList FCreatedFolders;
    // Below the folder, what this run created, in order.
    std::vector<TCreated> FCreated;
    // Replacements written beside their file and not renamed over it yet.
    std::vector<TPending> FPending;
    // The open folder (a file descriptor) where the platform has them; -1 while it does not exist.
    int FRoot = -1;
};

// What extracting a package under a folder would write, and what refuses it.
struct TExtractPlan
{
    std::vector<TExtractFile> Files;
    // One line for each refused target and each clash with what is on disk; nothing may be written
    // while there is one.
    QStringList Problems;
};

// Checks every target of Package (TTargetChecker) and what stands at it under Writer's folder.
TExtractPlan PlanExtract(const TPackageContents& Package, const TSafeExtract& Writer);
