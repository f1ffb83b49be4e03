#pragma once

#include "foundation/StreamWrapper.h"

#include <QString>

constexpr uint32_t QOR_CREATE_ALWAYS = 2;
constexpr uint32_t QOR_OPEN_EXISTING = 3;
constexpr uint32_t QOR_GENERIC_READ = 0x80000000u;
constexpr uint32_t QOR_GENERIC_WRITE = 0x40000000u;

// A disk file opened as a stream, buffered internally so that small reads and writes do not each
// cost a system call.
//
// Opening a regular file with disposition 2 (create) writes to a temporary file beside the target;
// the target is replaced only when the writer calls Commit (or CommitStream) after its last write. A
// stream closed or destroyed without Commit leaves the previous file exactly as it was and no partial
// file behind. Targets that cannot be replaced that way are written in place instead, without that
// guarantee: a device or pipe, and a writable file in a folder that does not take new files. A target
// that cannot seek (a pipe, fifo or terminal) is built in an anonymous temporary file and receives
// all of it at the Commit, and nothing when the stream is closed without one.
// Writing ends with the Commit. A created file is write-only even when read access is asked for.
// Share modes cannot be enforced here; they are checked and accepted.
class TOleFileStream : public TStreamWrapper
{
public:
    TOleFileStream() = default;
    ~TOleFileStream() override;

    // Disposition 2 or 3; Access a combination of the read and write bits; ShareMode 0, 1 or 2.
    void Open(const QString& FileName, uint32_t Disposition, uint32_t Access, uint32_t ShareMode);
    void Close();
    bool IsOpen() const { return FInner != nullptr; }
    const QString& FileName() const { return FFileName; }

private:
    QString FFileName;
};

// Copies Count bytes from Source's position to Target's position and answers how many were copied;
// fewer only at the end of Source or on a failure, which then leaves Target unfit to commit. Between
// two disk files the kernel copies where it can; any other pair of streams reads and writes.
uint64_t CopyStreamBytes(IQORStream& Target, IQORStream& Source, uint64_t Count);
