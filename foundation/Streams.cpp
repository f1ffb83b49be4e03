#include "foundation/Streams.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace {

constexpr int64_t FileBufferSize = 64 * 1024;
constexpr uint64_t CopyChunkSize = 256 * 1024;

// Where a seek lands, or false for an unknown origin or a position before the start.
bool SeekTarget(int64_t Offset, uint32_t Origin, int64_t Current, int64_t End, int64_t& Target)
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

// A disk file behind TOleFileStream. Reads go through one window, writes collect in another; each
// is handed to the file in one call. The file offset is tracked so that sequential access needs no
// seek call, and the size is tracked so that Stat and seeks from the end need none either.
class TDiskFileStream final : public IQORStream
{
public:
    // Null when the file cannot be opened.
    static std::shared_ptr<TDiskFileStream> Open(const QString& FileName, bool Create, bool CanRead, bool CanWrite)
    {
        auto Stream = std::shared_ptr<TDiskFileStream>(new TDiskFileStream());
        Stream->FCreate = Create;
        Stream->FCanRead = CanRead && !Create;
        Stream->FCanWrite = CanWrite;
        if (Create) {
            auto File = std::make_unique<QSaveFile>(FileName);
            if (!File->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                return nullptr;
            Stream->FFile = std::move(File);
        } else {
            // Without ExistingOnly a writable open would create the file; with write access alone Qt
            // would truncate it, so writers open read-write.
            QIODevice::OpenMode Mode = QIODevice::Unbuffered | QIODevice::ExistingOnly;
            Mode |= CanWrite ? QIODevice::ReadWrite : QIODevice::ReadOnly;
            auto File = std::make_unique<QFile>(FileName);
            if (!File->open(Mode))
                return nullptr;
            Stream->FSize = File->size();
            Stream->FFile = std::move(File);
        }
        return Stream;
    }

    ~TDiskFileStream() override
    {
        // A created file that was never committed is discarded by QSaveFile itself.
        if (!FCreate)
            FlushWrites();
    }

    HResult Read(void* Destination, uint32_t Count, uint32_t* CountRead) override
    {
        if (CountRead)
            *CountRead = 0;
        if (!FCanRead || FCommitted)
            return QOR_STG_E_ACCESSDENIED;
        if (Count > 0 && !Destination)
            return QOR_E_INVALIDARG;
        if (!FWriteBuffer.empty() && !FlushWrites())
            return QOR_E_FAIL;
        auto* Target = static_cast<uint8_t*>(Destination);
        uint32_t Done = 0;
        HResult Result = QOR_S_OK;
        while (Done < Count) {
            if (FPosition >= FReadStart && FPosition < FReadStart + FReadCount) {
                const auto Available = static_cast<uint32_t>(
                    std::min<int64_t>(FReadStart + FReadCount - FPosition, int64_t(Count) - Done));
                std::memcpy(Target + Done, FReadBuffer.data() + (FPosition - FReadStart), Available);
                Done += Available;
                FPosition += Available;
                continue;
            }
            const uint32_t Remaining = Count - Done;
            if (Remaining >= FileBufferSize) {
                // Large reads bypass the window.
                const int64_t Got = ReadAt(FPosition, Target + Done, Remaining);
                if (Got < 0) {
                    Result = QOR_E_FAIL;
                    break;
                }
                if (Got == 0)
                    break;
                Done += static_cast<uint32_t>(Got);
                FPosition += Got;
                continue;
            }
            FReadBuffer.resize(FileBufferSize);
            FReadCount = 0;
            const int64_t Got = ReadAt(FPosition, FReadBuffer.data(), FileBufferSize);
            if (Got < 0) {
                Result = QOR_E_FAIL;
                break;
            }
            if (Got == 0)
                break;
            FReadStart = FPosition;
            FReadCount = Got;
        }
        if (CountRead)
            *CountRead = Done;
        return Result;
    }

    HResult Write(const void* Source, uint32_t Count, uint32_t* CountWritten) override
    {
        if (CountWritten)
            *CountWritten = 0;
        if (!FCanWrite || FCommitted)
            return QOR_STG_E_ACCESSDENIED;
        if (Count > 0 && !Source)
            return QOR_E_INVALIDARG;
        if (Count == 0)
            return QOR_S_OK;
        if (FPosition > std::numeric_limits<int64_t>::max() - int64_t(Count))
            return QOR_STG_E_MEDIUMFULL;
        FReadCount = 0;
        if (!FWriteBuffer.empty() && FPosition != FWriteStart + int64_t(FWriteBuffer.size()) && !FlushWrites())
            return QOR_E_FAIL;
        if (FWriteBuffer.size() + Count > size_t(FileBufferSize) && !FlushWrites())
            return QOR_E_FAIL;
        const auto* Bytes = static_cast<const uint8_t*>(Source);
        if (Count >= FileBufferSize) {
            if (!PlaceAt(FPosition))
                return Broken();
            const int64_t Written = FFile->write(reinterpret_cast<const char*>(Bytes), Count);
            if (Written > 0) {
                FFilePosition += Written;
                Advance(Written);
                if (CountWritten)
                    *CountWritten = static_cast<uint32_t>(Written);
            }
            return Written == int64_t(Count) ? QOR_S_OK : Broken();
        }
        if (FWriteBuffer.empty())
            FWriteStart = FPosition;
        FWriteBuffer.insert(FWriteBuffer.end(), Bytes, Bytes + Count);
        Advance(Count);
        if (CountWritten)
            *CountWritten = Count;
        return QOR_S_OK;
    }

    HResult Seek(int64_t Offset, uint32_t Origin, uint64_t* NewPosition) override
    {
        int64_t Target = 0;
        if (!SeekTarget(Offset, Origin, FPosition, FSize, Target))
            return QOR_E_INVALIDARG;
        FPosition = Target;
        if (NewPosition)
            *NewPosition = static_cast<uint64_t>(Target);
        return QOR_S_OK;
    }

    HResult SetSize(uint64_t NewSize) override
    {
        if (!FCanWrite || FCommitted)
            return QOR_STG_E_ACCESSDENIED;
        if (NewSize > uint64_t(std::numeric_limits<int64_t>::max()))
            return QOR_E_INVALIDARG;
        if (!FlushWrites())
            return QOR_E_FAIL;
        FReadCount = 0;
        if (!FFile->resize(static_cast<int64_t>(NewSize)))
            return Broken();
        FSize = static_cast<int64_t>(NewSize);
        return QOR_S_OK;
    }

    HResult CopyTo(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten) override
    {
        if (CountRead)
            *CountRead = 0;
        if (CountWritten)
            *CountWritten = 0;
        if (!Destination)
            return QOR_E_INVALIDARG;
        // Streams in chunks: embedded files may be far larger than memory should hold.
        std::vector<uint8_t> Chunk(static_cast<size_t>(std::min(Count, CopyChunkSize)));
        uint64_t TotalRead = 0;
        uint64_t TotalWritten = 0;
        HResult Result = QOR_S_OK;
        while (TotalRead < Count) {
            const auto Wanted = static_cast<uint32_t>(std::min<uint64_t>(Count - TotalRead, CopyChunkSize));
            uint32_t Got = 0;
            const HResult ReadResult = Read(Chunk.data(), Wanted, &Got);
            TotalRead += Got;
            if (Got > 0) {
                uint32_t Written = 0;
                const HResult WriteResult = Destination->Write(Chunk.data(), Got, &Written);
                TotalWritten += Written;
                if (Failed(WriteResult) || Written != Got) {
                    Result = Failed(WriteResult) ? WriteResult : QOR_STG_E_MEDIUMFULL;
                    break;
                }
            }
            if (Failed(ReadResult)) {
                Result = ReadResult;
                break;
            }
            if (Got < Wanted)
                break;
        }
        if (CountRead)
            *CountRead = TotalRead;
        if (CountWritten)
            *CountWritten = TotalWritten;
        return Result;
    }

    HResult Commit(uint32_t Flags) override
    {
        if (FCommitted)
            return QOR_S_OK;
        if (!FlushWrites())
            return QOR_E_FAIL;
        if (!FCreate)
            return FBroken ? QOR_E_FAIL : QOR_S_OK;
        auto* File = static_cast<QSaveFile*>(FFile.get());
        // Never let a file with a lost write replace the target.
        if (FBroken) {
            File->cancelWriting();
            return QOR_E_FAIL;
        }
        FCommitted = true;
        return File->commit() ? QOR_S_OK : QOR_E_FAIL;
    }

    HResult Revert() override { return QOR_S_OK; }
    HResult LockRegion(uint64_t, uint64_t, uint32_t) override { return QOR_E_NOTIMPL; }
    HResult UnlockRegion(uint64_t, uint64_t, uint32_t) override { return QOR_E_NOTIMPL; }

    HResult Stat(TStreamStat* Statistics, uint32_t Flags) override
    {
        if (!Statistics)
            return QOR_E_INVALIDARG;
        Statistics->Size = static_cast<uint64_t>(FSize);
        return QOR_S_OK;
    }

    HResult Clone(IQORStreamPtr* Result) override
    {
        if (Result)
            Result->reset();
        return QOR_E_NOTIMPL;
    }

private:
    TDiskFileStream() = default;

    void Advance(int64_t Count)
    {
        FPosition += Count;
        FSize = std::max(FSize, FPosition);
    }

    HResult Broken()
    {
        FBroken = true;
        return QOR_E_FAIL;
    }

    bool PlaceAt(int64_t Position)
    {
        if (FFilePosition == Position)
            return true;
        if (!FFile->seek(Position)) {
            FFilePosition = -1;
            return false;
        }
        FFilePosition = Position;
        return true;
    }

    // Bytes read, 0 at the end of the file, -1 on failure.
    int64_t ReadAt(int64_t Position, uint8_t* Target, int64_t Count)
    {
        if (!PlaceAt(Position))
            return -1;
        const int64_t Got = FFile->read(reinterpret_cast<char*>(Target), Count);
        if (Got < 0) {
            FFilePosition = -1;
            return -1;
        }
        FFilePosition += Got;
        return Got;
    }

    bool FlushWrites()
    {
        if (FWriteBuffer.empty())
            return !FBroken;
        const auto Count = static_cast<int64_t>(FWriteBuffer.size());
        int64_t Written = -1;
        if (PlaceAt(FWriteStart))
            Written = FFile->write(reinterpret_cast<const char*>(FWriteBuffer.data()), Count);
        FWriteBuffer.clear();
        if (Written != Count) {
            FFilePosition = -1;
            FBroken = true;
            return false;
        }
        FFilePosition += Written;
        return !FBroken;
    }

    std::unique_ptr<QFileDevice> FFile;
    bool FCreate = false;
    bool FCanRead = false;
    bool FCanWrite = false;
    bool FCommitted = false;
    // A write was lost: the file no longer holds what its writer wrote.
    bool FBroken = false;
    int64_t FPosition = 0;
    int64_t FFilePosition = 0;
    int64_t FSize = 0;
    std::vector<uint8_t> FReadBuffer;
    int64_t FReadStart = 0;
    int64_t FReadCount = 0;
    std::vector<uint8_t> FWriteBuffer;
    int64_t FWriteStart = 0;
};

} // namespace

// ---- TStreamWrapper

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

// ---- TOleFileStream

TOleFileStream::~TOleFileStream() = default;

void TOleFileStream::Open(const QString& FileName, uint32_t Disposition, uint32_t Access, uint32_t ShareMode)
{
    Close();
    if (Disposition != QOR_CREATE_ALWAYS && Disposition != QOR_OPEN_EXISTING)
        throw E_QOR_InvalidArg();
    const bool CanRead = (Access & QOR_GENERIC_READ) != 0;
    const bool CanWrite = (Access & QOR_GENERIC_WRITE) != 0;
    if (!CanRead && !CanWrite)
        throw E_QOR_InvalidArg();
    // 0 exclusive, 1 deny write, 2 no restriction. The file system here cannot enforce them.
    if (ShareMode > 2)
        throw E_QOR_EnumerationOutOfRange(QStringLiteral("FileShareMode"));
    const bool Create = Disposition == QOR_CREATE_ALWAYS;
    FInner = TDiskFileStream::Open(FileName, Create, CanRead, CanWrite);
    if (!FInner) {
        const QString Message = FileNameText(FileName);
        if (Create)
            throw E_QOR_ErrorCreatingFile(Message);
        throw E_QOR_ErrorOpeningFile(Message);
    }
    FFileName = FileName;
}

void TOleFileStream::Close()
{
    FInner.reset();
    FFileName.clear();
}

// ---- TMemoryStream

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
    if (!SeekTarget(Offset, Origin, FPosition, FData.size(), Target))
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

// ---- TOleStreamBuffer

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
    return QOR_E_NOTIMPL;
}

HResult TOleStreamBuffer::Clone(IQORStreamPtr* Result)
{
    if (Result)
        Result->reset();
    return QOR_E_NOTIMPL;
}
