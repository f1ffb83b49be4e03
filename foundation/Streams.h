#pragma once

// The stream classes: a forwarding wrapper, a disk file stream, an in-memory stream and a
// write-back buffer.

#include "foundation/QORStream.h"

#include <QByteArray>
#include <QString>

#include <memory>

// Forwards every operation to an inner stream.
class TStreamWrapper : public IQORStream
{
public:
    TStreamWrapper() = default;
    explicit TStreamWrapper(IQORStreamPtr Inner) : FInner(std::move(Inner)) {}

    HResult Read(void* Destination, uint32_t Count, uint32_t* CountRead) override;
    HResult Write(const void* Source, uint32_t Count, uint32_t* CountWritten) override;
    HResult Seek(int64_t Offset, uint32_t Origin, uint64_t* NewPosition) override;
    HResult SetSize(uint64_t NewSize) override;
    HResult CopyTo(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten) override;
    HResult Commit(uint32_t Flags) override;
    HResult Revert() override;
    HResult LockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType) override;
    HResult UnlockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType) override;
    HResult Stat(TStreamStat* Statistics, uint32_t Flags) override;
    HResult Clone(IQORStreamPtr* Result) override;

    const IQORStreamPtr& Inner() const { return FInner; }

protected:
    IQORStreamPtr FInner;
};

constexpr uint32_t QOR_CREATE_ALWAYS = 2;
constexpr uint32_t QOR_OPEN_EXISTING = 3;
constexpr uint32_t QOR_GENERIC_READ = 0x80000000u;
constexpr uint32_t QOR_GENERIC_WRITE = 0x40000000u;

// A disk file opened as a stream, buffered internally so that small reads and writes do not each
// cost a system call.
//
// Opening with disposition 2 (create) writes to a temporary file beside the target; the target is
// replaced only when the writer calls Commit (or CommitStream) after its last write. A stream closed
// or destroyed without Commit leaves the previous file exactly as it was and no partial file behind.
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

// A growable stream in memory, in place of a global memory block. Writing past the end fills the gap
// with zeros. Clone gives an independent copy at the same position.
class TMemoryStream : public IQORStream
{
public:
    TMemoryStream() = default;
    explicit TMemoryStream(QByteArray Data) : FData(std::move(Data)) {}

    HResult Read(void* Destination, uint32_t Count, uint32_t* CountRead) override;
    HResult Write(const void* Source, uint32_t Count, uint32_t* CountWritten) override;
    HResult Seek(int64_t Offset, uint32_t Origin, uint64_t* NewPosition) override;
    HResult SetSize(uint64_t NewSize) override;
    HResult CopyTo(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten) override;
    HResult Commit(uint32_t Flags) override;
    HResult Revert() override;
    HResult LockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType) override;
    HResult UnlockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType) override;
    HResult Stat(TStreamStat* Statistics, uint32_t Flags) override;
    HResult Clone(IQORStreamPtr* Result) override;

    const QByteArray& Data() const { return FData; }
    int64_t Position() const { return FPosition; }

private:
    QByteArray FData;
    int64_t FPosition = 0;
};

// Keeps one window of the inner stream in memory, so that many small writes cost one write-back.
// Changes reach the inner stream at Commit, when the window moves, before a seek from the end or a
// copy that bypasses the window, and at destruction. Covers inner streams of up to 2 GiB.
class TOleStreamBuffer : public IQORStream
{
public:
    TOleStreamBuffer(IQORStreamPtr Inner, int32_t BufferSize);
    ~TOleStreamBuffer() override;

    HResult Read(void* Destination, uint32_t Count, uint32_t* CountRead) override;
    HResult Write(const void* Source, uint32_t Count, uint32_t* CountWritten) override;
    HResult Seek(int64_t Offset, uint32_t Origin, uint64_t* NewPosition) override;
    HResult SetSize(uint64_t NewSize) override;
    HResult CopyTo(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten) override;
    HResult Commit(uint32_t Flags) override;
    HResult Revert() override;
    HResult LockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType) override;
    HResult UnlockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType) override;
    HResult Stat(TStreamStat* Statistics, uint32_t Flags) override;
    HResult Clone(IQORStreamPtr* Result) override;

private:
    void WriteBack();
    void Fill();
    HResult SeekFromEnd(int64_t Offset, uint64_t* NewPosition);
    HResult CopyThroughInner(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten);

    int32_t FDirtyFirst = 0;
    int32_t FDirtyLast = 0;
    bool FDirty = false;
    IQORStreamPtr FInner;
    int32_t FBufferStart = 0;
    int32_t FBufferSize = 0;
    int32_t FValidCount = 0;
    std::unique_ptr<uint8_t[]> FBuffer;
    int64_t FPosition = 0;
    bool FValid = false;
    // Bytes of the window that hold inner data or writes; later bytes are zeroed before a write skips
    // over them, so a widened dirty range never carries stale memory into the inner stream.
    int32_t FExtent = 0;
};
