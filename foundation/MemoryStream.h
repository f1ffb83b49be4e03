#pragma once

#include "foundation/QORStream.h"

#include <QByteArray>

// A growable stream in memory, in place of a global memory block. Writing past the end fills the gap
// with zeros. Clone gives an independent copy at the same position.
// The buffer grows ahead of the data, so that a long run of small writes reallocates rarely; the
// spare room is cut off when Data is asked for.
class TMemoryStream : public IQORStream
{
public:
    TMemoryStream() = default;
    explicit TMemoryStream(QByteArray Data) : FData(std::move(Data)), FSize(FData.size()) {}

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

    const QByteArray& Data() const;
    int64_t Position() const { return FPosition; }

private:
    HResult Reserve(int64_t Size);

    // Holds at least FSize bytes; what lies past FSize is spare room with no defined content.
    mutable QByteArray FData;
    int64_t FSize = 0;
    int64_t FPosition = 0;
};
