#include "foundation/StreamWrapper.h"

HResult TStreamWrapper::Read(void* Destination, uint32_t Count, uint32_t* CountRead)
{
    if (!FInner) {
        if (CountRead)
            *CountRead = 0;
        return QOR_E_FAIL;
    }
    return FInner->Read(Destination, Count, CountRead);
}

HResult TStreamWrapper::Write(const void* Source, uint32_t Count, uint32_t* CountWritten)
{
    if (!FInner) {
        if (CountWritten)
            *CountWritten = 0;
        return QOR_E_FAIL;
    }
    return FInner->Write(Source, Count, CountWritten);
}

HResult TStreamWrapper::Seek(int64_t Offset, uint32_t Origin, uint64_t* NewPosition)
{
    return FInner ? FInner->Seek(Offset, Origin, NewPosition) : QOR_E_FAIL;
}

HResult TStreamWrapper::SetSize(uint64_t NewSize)
{
    return FInner ? FInner->SetSize(NewSize) : QOR_E_FAIL;
}

HResult TStreamWrapper::CopyTo(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten)
{
    if (!FInner) {
        if (CountRead)
            *CountRead = 0;
        if (CountWritten)
            *CountWritten = 0;
        return QOR_E_FAIL;
    }
    return FInner->CopyTo(Destination, Count, CountRead, CountWritten);
}

HResult TStreamWrapper::Commit(uint32_t Flags)
{
    return FInner ? FInner->Commit(Flags) : QOR_E_FAIL;
}

HResult TStreamWrapper::Revert()
{
    return FInner ? FInner->Revert() : QOR_E_FAIL;
}

HResult TStreamWrapper::LockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType)
{
    return FInner ? FInner->LockRegion(Offset, Count, LockType) : QOR_E_FAIL;
}

HResult TStreamWrapper::UnlockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType)
{
    return FInner ? FInner->UnlockRegion(Offset, Count, LockType) : QOR_E_FAIL;
}

HResult TStreamWrapper::Stat(TStreamStat* Statistics, uint32_t Flags)
{
    return FInner ? FInner->Stat(Statistics, Flags) : QOR_E_FAIL;
}

HResult TStreamWrapper::Clone(IQORStreamPtr* Result)
{
    if (!FInner) {
        if (Result)
            Result->reset();
        return QOR_E_FAIL;
    }
    return FInner->Clone(Result);
}
