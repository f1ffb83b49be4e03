#pragma once

// A memory stream that runs out: it accepts only the first WriteLimit bytes written to it and
// delivers only the first ReadLimit bytes read from it, counted over its whole life. Short writes
// answer STG_E_MEDIUMFULL, as a full disk does. Use it to test that savers and loaders fail cleanly.

#include "foundation/Streams.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

class TFailingStream : public TMemoryStream
{
public:
    static constexpr uint64_t Unlimited = std::numeric_limits<uint64_t>::max();

    explicit TFailingStream(uint64_t WriteLimit, QByteArray Data = {}, uint64_t ReadLimit = Unlimited)
        : TMemoryStream(std::move(Data)), FWriteLimit(WriteLimit), FReadLimit(ReadLimit)
    {}

    // Makes Commit fail as well, for writers that must notice a failed commit.
    bool FailCommit = false;

    uint64_t BytesWritten() const { return FWritten; }
    uint64_t BytesRead() const { return FRead; }

    HResult Read(void* Destination, uint32_t Count, uint32_t* CountRead) override
    {
        const auto Allowed = static_cast<uint32_t>(std::min<uint64_t>(Count, FReadLimit - FRead));
        uint32_t Done = 0;
        const HResult Result = TMemoryStream::Read(Destination, Allowed, &Done);
        FRead += Done;
        if (CountRead)
            *CountRead = Done;
        return Allowed < Count ? QOR_E_FAIL : Result;
    }

    HResult Write(const void* Source, uint32_t Count, uint32_t* CountWritten) override
    {
        const auto Allowed = static_cast<uint32_t>(std::min<uint64_t>(Count, FWriteLimit - FWritten));
        uint32_t Done = 0;
        const HResult Result = TMemoryStream::Write(Source, Allowed, &Done);
        FWritten += Done;
        if (CountWritten)
            *CountWritten = Done;
        return Allowed < Count ? QOR_STG_E_MEDIUMFULL : Result;
    }

    // Goes through Read and the destination's Write, so both limits apply.
    HResult CopyTo(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten) override
    {
        std::vector<uint8_t> Chunk(4096);
        uint64_t TotalRead = 0;
        uint64_t TotalWritten = 0;
        HResult Result = QOR_S_OK;
        while (TotalRead < Count) {
            const auto Wanted = static_cast<uint32_t>(std::min<uint64_t>(Count - TotalRead, Chunk.size()));
            uint32_t Got = 0;
            Result = Read(Chunk.data(), Wanted, &Got);
            TotalRead += Got;
            uint32_t Written = 0;
            const HResult WriteResult = Got > 0 ? Destination->Write(Chunk.data(), Got, &Written) : QOR_S_OK;
            TotalWritten += Written;
            if (Failed(WriteResult))
                Result = WriteResult;
            if (Failed(Result) || Got < Wanted || Written < Got)
                break;
        }
        if (CountRead)
            *CountRead = TotalRead;
        if (CountWritten)
            *CountWritten = TotalWritten;
        return Result;
    }

    HResult Commit(uint32_t Flags) override { return FailCommit ? QOR_E_FAIL : TMemoryStream::Commit(Flags); }

private:
    uint64_t FWriteLimit;
    uint64_t FReadLimit;
    uint64_t FWritten = 0;
    uint64_t FRead = 0;
};
