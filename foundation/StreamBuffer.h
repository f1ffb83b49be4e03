#pragma once

#include "foundation/QORStream.h"

#include <memory>

// Keeps one window of the inner stream in memory, so that many small writes cost one write-back.
// Changes reach the inner stream at Commit, when the window moves, before a seek from the end or a
// copy that bypasses the window, and at destruction. Covers inner streams of up to 2 GiB. It tells
// its size only when the inner stream can tell its own.
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
