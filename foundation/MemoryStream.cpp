#include "foundation/MemoryStream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

// The largest size the stream accepts.
constexpr int64_t MaxStreamSize = std::numeric_limits<qsizetype>::max() / 2;
// The least room a growing stream takes, so that the first small writes do not each reallocate.
constexpr int64_t MinimumRoom = 256;

} // namespace

const QByteArray& TMemoryStream::Data() const
{
    if (FData.size() != FSize)
        FData.truncate(static_cast<qsizetype>(FSize));
    return FData;
}

HResult TMemoryStream::Read(void* Destination, uint32_t Count, uint32_t* CountRead)
{
    if (CountRead)
        *CountRead = 0;
    if (Count > 0 && !Destination)
        return QOR_E_INVALIDARG;
    const int64_t Available = std::max<int64_t>(0, FSize - FPosition);
    const auto Done = static_cast<uint32_t>(std::min<int64_t>(Available, Count));
    if (Done > 0)
        std::memcpy(Destination, FData.constData() + FPosition, Done);
    FPosition += Done;
    if (CountRead)
        *CountRead = Done;
    return QOR_S_OK;
}

// Room for Size bytes, taking twice the present room when that is more. The bytes past FSize are
// left as they are: whoever extends FSize over them fills them.
HResult TMemoryStream::Reserve(int64_t Size)
{
    if (Size <= FData.size())
        return QOR_S_OK;
    if (Size > MaxStreamSize)
        return QOR_E_OUTOFMEMORY;
    const int64_t Doubled = std::min<int64_t>(MaxStreamSize, std::max<int64_t>(MinimumRoom, FData.size() * 2));
    try {
        FData.resize(static_cast<qsizetype>(std::max(Size, Doubled)));
        return QOR_S_OK;
    } catch (const std::bad_alloc&) {
    }
    // The spare room is a luxury: a size that fits on its own must not fail for want of it.
    try {
        FData.resize(static_cast<qsizetype>(Size));
    } catch (const std::bad_alloc&) {
        return QOR_E_OUTOFMEMORY;
    }
    return QOR_S_OK;
}

HResult TMemoryStream::Write(const void* Source, uint32_t Count, uint32_t* CountWritten)
{
    if (CountWritten)
        *CountWritten = 0;
    if (Count == 0)
        return QOR_S_OK;
    if (!Source)
        return QOR_E_INVALIDARG;
    // A position sought far past the end must not wrap round to somewhere before the data.
    if (FPosition > std::numeric_limits<int64_t>::max() - int64_t(Count))
        return QOR_E_OUTOFMEMORY;
    const int64_t End = FPosition + Count;
    if (End > FSize) {
        const HResult Result = Reserve(End);
        if (Failed(Result))
            return Result;
        // Only the gap before the written bytes is filled: the rest is about to be overwritten.
        if (FPosition > FSize)
            std::memset(FData.data() + FSize, 0, static_cast<size_t>(FPosition - FSize));
        FSize = End;
    }
    std::memcpy(FData.data() + FPosition, Source, Count);
    FPosition = End;
    if (CountWritten)
        *CountWritten = Count;
    return QOR_S_OK;
}

HResult TMemoryStream::Seek(int64_t Offset, uint32_t Origin, uint64_t* NewPosition)
{
    int64_t Target = 0;
    if (!StreamSeekTarget(Offset, Origin, FPosition, FSize, Target))
        return QOR_E_INVALIDARG;
    FPosition = Target;
    if (NewPosition)
        *NewPosition = static_cast<uint64_t>(Target);
    return QOR_S_OK;
}

HResult TMemoryStream::SetSize(uint64_t NewSize)
{
    if (NewSize > uint64_t(MaxStreamSize))
        return QOR_E_OUTOFMEMORY;
    const auto Size = static_cast<int64_t>(NewSize);
    if (Size > FSize) {
        // Exactly the size asked for: a caller setting the size knows how much it needs.
        if (Size > FData.size()) {
            try {
                FData.resize(static_cast<qsizetype>(Size));
            } catch (const std::bad_alloc&) {
                return QOR_E_OUTOFMEMORY;
            }
        }
        std::memset(FData.data() + FSize, 0, static_cast<size_t>(Size - FSize));
    }
    FSize = Size;
    return QOR_S_OK;
}

HResult TMemoryStream::CopyTo(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten)
{
    if (CountRead)
        *CountRead = 0;
    if (CountWritten)
        *CountWritten = 0;
    if (!Destination)
        return QOR_E_INVALIDARG;
    const auto Available = static_cast<uint64_t>(std::max<int64_t>(0, FSize - FPosition));
    uint64_t Remaining = std::min(Available, Count);
    uint64_t TotalRead = 0;
    uint64_t TotalWritten = 0;
    HResult Result = QOR_S_OK;
    while (Remaining > 0) {
        const auto Part = static_cast<uint32_t>(std::min<uint64_t>(Remaining, 0x40000000u));
        uint32_t Written = 0;
        const HResult WriteResult = Destination->Write(FData.constData() + FPosition, Part, &Written);
        FPosition += Part;
        TotalRead += Part;
        TotalWritten += Written;
        Remaining -= Part;
        if (Failed(WriteResult) || Written != Part) {
            Result = Failed(WriteResult) ? WriteResult : QOR_STG_E_MEDIUMFULL;
            break;
        }
    }
    if (CountRead)
        *CountRead = TotalRead;
    if (CountWritten)
        *CountWritten = TotalWritten;
    return Result;
}

HResult TMemoryStream::Commit(uint32_t Flags)
{
    return QOR_S_OK;
}

HResult TMemoryStream::Revert()
{
    return QOR_S_OK;
}

HResult TMemoryStream::LockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType)
{
    return QOR_E_NOTIMPL;
}

HResult TMemoryStream::UnlockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType)
{
    return QOR_E_NOTIMPL;
}

HResult TMemoryStream::Stat(TStreamStat* Statistics, uint32_t Flags)
{
    if (!Statistics)
        return QOR_E_INVALIDARG;
    Statistics->Size = static_cast<uint64_t>(FSize);
    return QOR_S_OK;
}

HResult TMemoryStream::Clone(IQORStreamPtr* Result)
{
    if (!Result)
        return QOR_E_INVALIDARG;
    auto Copy = std::make_shared<TMemoryStream>(Data());
    Copy->FPosition = FPosition;
    *Result = std::move(Copy);
    return QOR_S_OK;
}
