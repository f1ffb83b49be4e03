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

// A disk file opened as a stream. Opening with disposition 2 (create) writes to a temporary file beside
// the target; Commit replaces the target with it. Without a Commit the target stays as it was and the
// temporary file is removed. File streams are buffered internally.
class TOleFileStream : public TStreamWrapper
{
public:
    TOleFileStream() = default;
    ~TOleFileStream() override;

    // Disposition 2 or 3; Access a combination of the read and write bits; ShareMode 0, 1 or 2.
    void Open(const QString& FileName, uint32_t Disposition, uint32_t Access, uint32_t ShareMode);
    void Close();
    bool IsOpen() const { return FInner != nullptr; }
};

// A growable stream in memory, in place of a global memory block.
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
};
