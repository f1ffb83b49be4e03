#include "foundation/MemoryStream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

HResult TMemoryStream::Read(void* Destination, uint32_t Count, uint32_t* CountRead)
{
    if (CountRead)
        *CountRead = 0;
    if (Count > 0 && !Destination)
        return QOR_E_INVALIDARG;
    const int64_t Available = std::max<int64_t>(0, FData.size() - FPosition);
    const auto Done = static_cast<uint32_t>(std::min<int64_t>(Available, Count));
    if (Done > 0)
        std::memcpy(Destination, FData.constData() + FPosition, Done);
    FPosition += Done;
    if (CountRead)
        *CountRead = Done;
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
    if (End > FData.size()) {
        const HResult Result = SetSize(static_cast<uint64_t>(End));
        if (Failed(Result))
            return Result;
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
    if (!StreamSeekTarget(Offset, Origin, FPosition, FData.size(), Target))
        return QOR_E_INVALIDARG;
    FPosition = Target;
    if (NewPosition)
        *NewPosition = static_cast<uint64_t>(Target);
    return QOR_S_OK;
}

HResult TMemoryStream::SetSize(uint64_t NewSize)
{
    if (NewSize > uint64_t(std::numeric_limits<qsizetype>::max() / 2))
        return QOR_E_OUTOFMEMORY;
    const qsizetype OldSize = FData.size();
    const auto Size = static_cast<qsizetype>(NewSize);
    try {
        FData.resize(Size);
    } catch (const std::bad_alloc&) {
        return QOR_E_OUTOFMEMORY;
    }
    if (Size > OldSize)
        std::memset(FData.data() + OldSize, 0, static_cast<size_t>(Size - OldSize));
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
    const auto Available = static_cast<uint64_t>(std::max<int64_t>(0, FData.size() - FPosition));
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
    Statistics->Size = static_cast<uint64_t>(FData.size());
    return QOR_S_OK;
}

HResult TMemoryStream::Clone(IQORStreamPtr* Result)
{
    if (!Result)
        return QOR_E_INVALIDARG;
    auto Copy = std::make_shared<TMemoryStream>(FData);
    Copy->FPosition = FPosition;
    *Result = std::move(Copy);
    return QOR_S_OK;
}
