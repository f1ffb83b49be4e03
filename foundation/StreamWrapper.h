#pragma once

#include "foundation/QORStream.h"

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
