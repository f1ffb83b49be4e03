#include "foundation/StreamBuffer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

TOleStreamBuffer::TOleStreamBuffer(IQORStreamPtr Inner, int32_t BufferSize)
    : FInner(std::move(Inner)), FBufferSize(BufferSize)
{
    if (!FInner || BufferSize <= 0)
        throw E_QOR_InvalidArg();
    FBuffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(BufferSize)]);
    if (!FBuffer)
        throw E_QOR_Failed();
}

TOleStreamBuffer::~TOleStreamBuffer()
{
    try {
        WriteBack();
    } catch (...) {
        // Destruction cannot report; callers that care commit first.
    }
}

void TOleStreamBuffer::WriteBack()
{
    if (!FDirty)
        return;
    const int64_t Start = int64_t(FBufferStart) + FDirtyFirst;
    const auto Count = static_cast<uint32_t>(FDirtyLast - FDirtyFirst + 1);
    uint32_t Written = 0;
    if (Failed(FInner->Seek(Start, STREAM_SEEK_SET_, nullptr)) ||
        Failed(FInner->Write(FBuffer.get() + FDirtyFirst, Count, &Written)) || Written != Count)
        throw E_QOR_Failed();
    FDirty = false;
}

void TOleStreamBuffer::Fill()
{
    WriteBack();
    const int64_t Start = FPosition - FPosition % FBufferSize;
    // The window start is 32-bit; a position outside it has no window to show.
    if (FPosition < 0 || Start > std::numeric_limits<int32_t>::max())
        throw E_QOR_Failed();
    FBufferStart = static_cast<int32_t>(Start);
    FValid = false;
    FValidCount = 0;
    FExtent = 0;
    // Reading from wherever a failed seek left the inner stream would show the wrong bytes.
    if (Failed(FInner->Seek(FBufferStart, STREAM_SEEK_SET_, nullptr)))
        throw E_QOR_Failed();
    uint32_t Got = 0;
    if (Failed(FInner->Read(FBuffer.get(), static_cast<uint32_t>(FBufferSize), &Got)))
        throw E_QOR_Failed();
    FValidCount = static_cast<int32_t>(std::min<uint32_t>(Got, static_cast<uint32_t>(FBufferSize)));
    FExtent = FValidCount;
    FValid = true;
}

HResult TOleStreamBuffer::Read(void* Destination, uint32_t Count, uint32_t* CountRead)
{
    if (CountRead)
        *CountRead = 0;
    if (Count > 0 && !Destination)
        return QOR_E_INVALIDARG;
    try {
        auto* Target = static_cast<uint8_t*>(Destination);
        uint32_t Remaining = Count;
        while (Remaining > 0) {
            if (!FValid || FPosition < FBufferStart || FPosition >= int64_t(FBufferStart) + FValidCount)
                Fill();
            const int64_t Available = int64_t(FBufferStart) + FValidCount - FPosition;
            if (Available <= 0)
                break;
            const auto Part = static_cast<uint32_t>(std::min<int64_t>(Available, Remaining));
            std::memcpy(Target, FBuffer.get() + (FPosition - FBufferStart), Part);
            if (CountRead)
                *CountRead += Part;
            FPosition += Part;
            Target += Part;
            Remaining -= Part;
        }
        return QOR_S_OK;
    } catch (...) {
        return QOR_E_FAIL;
    }
}

HResult TOleStreamBuffer::Write(const void* Source, uint32_t Count, uint32_t* CountWritten)
{
    if (CountWritten)
        *CountWritten = 0;
    if (Count > 0 && !Source)
        return QOR_E_INVALIDARG;
    try {
        const auto* From = static_cast<const uint8_t*>(Source);
        uint32_t Remaining = Count;
        while (Remaining > 0) {
            if (!FValid || FPosition < FBufferStart || FPosition >= int64_t(FBufferStart) + FBufferSize)
                Fill();
            const auto First = static_cast<int32_t>(FPosition - FBufferStart);
            const auto Part = static_cast<int32_t>(std::min<int64_t>(FBufferSize - First, Remaining));
            const int32_t Last = First + Part - 1;
            if (First > FExtent)
                std::memset(FBuffer.get() + FExtent, 0, static_cast<size_t>(First - FExtent));
            FExtent = std::max(FExtent, Last + 1);
            std::memcpy(FBuffer.get() + First, From, static_cast<size_t>(Part));
            if (!FDirty) {
                FDirtyFirst = First;
                FDirtyLast = Last;
            } else {
                FDirtyFirst = std::min(FDirtyFirst, First);
                FDirtyLast = std::max(FDirtyLast, Last);
            }
            FDirty = true;
            if (CountWritten)
                *CountWritten += static_cast<uint32_t>(Part);
            FPosition += Part;
            From += Part;
            Remaining -= static_cast<uint32_t>(Part);
        }
        return QOR_S_OK;
    } catch (...) {
        return QOR_E_FAIL;
    }
}

HResult TOleStreamBuffer::SeekFromEnd(int64_t Offset, uint64_t* NewPosition)
{
    // Pending changes may lie beyond the inner stream's end; write them back so the end is the real one.
    try {
        WriteBack();
    } catch (...) {
        return QOR_E_FAIL;
    }
    FValid = false;
    uint64_t InnerPosition = 0;
    const HResult Result = FInner->Seek(Offset, STREAM_SEEK_END_, &InnerPosition);
    if (Failed(Result))
        return Result;
    FPosition = static_cast<int64_t>(InnerPosition);
    if (NewPosition)
        *NewPosition = InnerPosition;
    return Result;
}

HResult TOleStreamBuffer::Seek(int64_t Offset, uint32_t Origin, uint64_t* NewPosition)
{
    switch (Origin) {
    case STREAM_SEEK_SET_:
        FPosition = Offset;
        break;
    case STREAM_SEEK_CUR_:
        if ((Offset > 0 && FPosition > std::numeric_limits<int64_t>::max() - Offset) ||
            (Offset < 0 && FPosition < std::numeric_limits<int64_t>::min() - Offset))
            return QOR_E_INVALIDARG;
        FPosition += Offset;
        break;
    case STREAM_SEEK_END_:
        return SeekFromEnd(Offset, NewPosition);
    default:
        return QOR_E_INVALIDARG;
    }
    if (NewPosition)
        *NewPosition = static_cast<uint64_t>(FPosition);
    return QOR_S_OK;
}

HResult TOleStreamBuffer::SetSize(uint64_t NewSize)
{
    return QOR_E_NOTIMPL;
}

HResult
TOleStreamBuffer::CopyThroughInner(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten)
{
    try {
        WriteBack();
    } catch (...) {
        return QOR_E_FAIL;
    }
    FValid = false;
    const HResult SeekResult = FInner->Seek(FPosition, STREAM_SEEK_SET_, nullptr);
    if (Failed(SeekResult))
        return SeekResult;
    uint64_t Read = 0;
    uint64_t Written = 0;
    const HResult Result = FInner->CopyTo(Destination, Count, &Read, &Written);
    FPosition += static_cast<int64_t>(Read);
    if (CountRead)
        *CountRead = Read;
    if (CountWritten)
        *CountWritten = Written;
    return Result;
}

HResult TOleStreamBuffer::CopyTo(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten)
{
    if (CountRead)
        *CountRead = 0;
    if (CountWritten)
        *CountWritten = 0;
    if (!Destination)
        return QOR_E_INVALIDARG;
    const int64_t Buffered = int64_t(FBufferStart) + FValidCount - FPosition;
    if (!FValid || FPosition < FBufferStart || Buffered < 0 || uint64_t(Buffered) < Count)
        return CopyThroughInner(Destination, Count, CountRead, CountWritten);
    const auto Part = static_cast<uint32_t>(Count);
    uint32_t Written = 0;
    const HResult Result = Destination->Write(FBuffer.get() + (FPosition - FBufferStart), Part, &Written);
    FPosition += Part;
    if (CountRead)
        *CountRead = Part;
    if (CountWritten)
        *CountWritten = Written;
    return Result;
}

HResult TOleStreamBuffer::Commit(uint32_t Flags)
{
    try {
        WriteBack();
        return QOR_S_OK;
    } catch (...) {
        return QOR_E_FAIL;
    }
}

HResult TOleStreamBuffer::Revert()
{
    return QOR_E_NOTIMPL;
}

HResult TOleStreamBuffer::LockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType)
{
    return QOR_E_NOTIMPL;
}

HResult TOleStreamBuffer::UnlockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType)
{
    return QOR_E_NOTIMPL;
}

HResult TOleStreamBuffer::Stat(TStreamStat* Statistics, uint32_t Flags)
{
    if (!Statistics)
        return QOR_E_INVALIDARG;
    // Asked of the inner stream rather than found by seeking to its end, which would cost the window.
    TStreamStat Inner;
    const HResult Result = FInner->Stat(&Inner, Flags);
    if (Failed(Result))
        return Result;
    Statistics->Size = Inner.Size;
    // Earlier windows were written back when they were left; only this one may reach further.
    if (FDirty)
        Statistics->Size = std::max<uint64_t>(Statistics->Size, uint64_t(FBufferStart) + uint64_t(FDirtyLast) + 1);
    return QOR_S_OK;
}

HResult TOleStreamBuffer::Clone(IQORStreamPtr* Result)
{
    if (Result)
        Result->reset();
    return QOR_E_NOTIMPL;
}
