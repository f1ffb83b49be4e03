#pragma once

// The byte stream every persisted, exported or copied byte passes through. It keeps the contract of
// a structured-storage stream: every operation returns an HResult and never throws.

#include "foundation/QORExceptions.h"

#include <cstdint>
#include <limits>
#include <memory>

enum TStreamSeekOrigin : uint32_t
{
    STREAM_SEEK_SET_ = 0,
    STREAM_SEEK_CUR_ = 1,
    STREAM_SEEK_END_ = 2,
};

struct TStreamStat
{
    uint64_t Size = 0;
};

class IQORStream
{
public:
    virtual ~IQORStream() = default;

    virtual HResult Read(void* Destination, uint32_t Count, uint32_t* CountRead) = 0;
    virtual HResult Write(const void* Source, uint32_t Count, uint32_t* CountWritten) = 0;
    virtual HResult Seek(int64_t Offset, uint32_t Origin, uint64_t* NewPosition) = 0;
    virtual HResult SetSize(uint64_t NewSize) = 0;
    virtual HResult CopyTo(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten) = 0;
    virtual HResult Commit(uint32_t Flags) = 0;
    virtual HResult Revert() = 0;
    virtual HResult LockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType) = 0;
    virtual HResult UnlockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType) = 0;
    virtual HResult Stat(TStreamStat* Statistics, uint32_t Flags) = 0;
    virtual HResult Clone(std::shared_ptr<IQORStream>* Result) = 0;
};

using IQORStreamPtr = std::shared_ptr<IQORStream>;

// Where a seek lands, or false for an unknown origin or a position before the start.
inline bool StreamSeekTarget(int64_t Offset, uint32_t Origin, int64_t Current, int64_t End, int64_t& Target)
{
    int64_t Base = 0;
    switch (Origin) {
    case STREAM_SEEK_SET_:
        Base = 0;
        break;
    case STREAM_SEEK_CUR_:
        Base = Current;
        break;
    case STREAM_SEEK_END_:
        Base = End;
        break;
    default:
        return false;
    }
    if (Offset > 0 && Base > std::numeric_limits<int64_t>::max() - Offset)
        return false;
    Target = Base + Offset;
    return Target >= 0;
}
