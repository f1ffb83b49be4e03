#include "foundation/DiskFileStream.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>
#include <QTemporaryFile>

#ifdef Q_OS_UNIX
#include <signal.h>
#endif
#ifdef __linux__
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

namespace {

constexpr int64_t FileBufferSize = 64 * 1024;
constexpr uint64_t CopyChunkSize = 256 * 1024;

std::atomic<bool> KernelCopyEnabled{true};

} // namespace

void TDiskFileStream::SetKernelCopyEnabled(bool Enabled)
{
    KernelCopyEnabled = Enabled;
}

std::shared_ptr<TDiskFileStream>
TDiskFileStream::Open(const QString& FileName, bool Create, bool CanRead, bool CanWrite)
{
    auto Stream = std::shared_ptr<TDiskFileStream>(new TDiskFileStream());
    Stream->FCreate = Create;
    Stream->FCanRead = CanRead && !Create;
    Stream->FCanWrite = CanWrite;
    if (Create) {
        const QFileInfo Target(FileName);
        // A device or pipe cannot be replaced by a renamed file, only written to.
        bool Direct = Target.exists() && !Target.isFile() && !Target.isDir();
        if (!Direct) {
            auto File = std::make_unique<QSaveFile>(FileName);
            if (File->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
                Stream->FAtomic = true;
                Stream->FFile = std::move(File);
                return Stream;
            }
            // The temporary file needs a folder that takes new files. A file the user may write in a
            // folder that does not is still written, in place; any other failure (a full disk, say)
            // must not cost the old contents.
            Direct = Target.isFile() && Target.isWritable() && !QFileInfo(Target.absolutePath()).isWritable();
        }
        if (!Direct)
            return nullptr;
        auto File = std::make_unique<QFile>(FileName);
        if (!File->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return nullptr;
        if (File->isSequential()) {
            // A pipe, fifo or terminal cannot go back to fill in a size known only later. The file
            // is built in an anonymous temporary file and handed over whole at the commit.
            auto Spool = std::make_unique<QTemporaryFile>();
            if (!Spool->open())
                return nullptr;
            Stream->FTarget = std::move(File);
            File = std::move(Spool);
        }
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

TDiskFileStream::~TDiskFileStream()
{
    // A replacement that was never committed is discarded by QSaveFile itself, and a file built for
    // a pipe never reaches it.
    if (!FAtomic && !FTarget)
        FlushWrites();
}

HResult TDiskFileStream::Read(void* Destination, uint32_t Count, uint32_t* CountRead)
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
            const auto Available =
                static_cast<uint32_t>(std::min<int64_t>(FReadStart + FReadCount - FPosition, int64_t(Count) - Done));
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

HResult TDiskFileStream::Write(const void* Source, uint32_t Count, uint32_t* CountWritten)
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

HResult TDiskFileStream::Seek(int64_t Offset, uint32_t Origin, uint64_t* NewPosition)
{
    int64_t Target = 0;
    if (!StreamSeekTarget(Offset, Origin, FPosition, FSize, Target))
        return QOR_E_INVALIDARG;
    FPosition = Target;
    if (NewPosition)
        *NewPosition = static_cast<uint64_t>(Target);
    return QOR_S_OK;
}

HResult TDiskFileStream::SetSize(uint64_t NewSize)
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

HResult TDiskFileStream::CopyTo(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten)
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

HResult TDiskFileStream::CopyFrom(TDiskFileStream& Source, uint64_t Count, uint64_t* Copied)
{
    uint64_t Done = 0;
    HResult Result = QOR_S_OK;
    if (KernelCopy(Source, Count, Done, Result) && (Failed(Result) || Done == Count)) {
        if (Copied)
            *Copied = Done;
        return Result;
    }
    // The rest, or all of it, the ordinary way.
    uint64_t Read = 0;
    uint64_t Written = 0;
    Result = Source.CopyTo(this, Count - Done, &Read, &Written);
    if (Copied)
        *Copied = Done + Written;
    return Result;
}

bool TDiskFileStream::KernelCopy(TDiskFileStream& Source, uint64_t Count, uint64_t& Copied, HResult& Result)
{
    Copied = 0;
    Result = QOR_S_OK;
#ifdef __linux__
    if (!KernelCopyEnabled || Count == 0 || !FCanWrite || FCommitted || FBroken || !Source.FCanRead ||
        Source.FCommitted)
        return false;
    const int In = Source.FFile->handle();
    const int Out = FFile->handle();
    struct stat InStat = {};
    struct stat OutStat = {};
    if (In < 0 || Out < 0 || fstat(In, &InStat) != 0 || fstat(Out, &OutStat) != 0 || !S_ISREG(InStat.st_mode) ||
        !S_ISREG(OutStat.st_mode))
        return false;
    // What this stream still holds goes first; the kernel then writes behind it.
    if (!FlushWrites()) {
        Result = QOR_E_FAIL;
        return true;
    }
    FReadCount = 0;
    // Explicit offsets leave both files' own offsets where the bookkeeping has them.
    loff_t InOffset = Source.FPosition;
    loff_t OutOffset = FPosition;
    while (Copied < Count) {
        const auto Wanted = static_cast<size_t>(std::min<uint64_t>(Count - Copied, 1u << 30));
        const ssize_t Got = copy_file_range(In, &InOffset, Out, &OutOffset, Wanted, 0);
        if (Got < 0) {
            if (errno == EINTR)
                continue;
            // Not between these files: the caller reads and writes the rest.
            if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)
                return Copied > 0;
            Result = Broken();
            return true;
        }
        // Nothing at all may also be a file system that copies nothing this way (files that show
        // no size): reading tells.
        if (Got == 0)
            return Copied > 0;
        Copied += uint64_t(Got);
        Source.FPosition += Got;
        Advance(Got);
    }
    return true;
#else
    (void)Source;
    (void)Count;
    return false;
#endif
}

HResult TDiskFileStream::Commit(uint32_t Flags)
{
    if (FCommitted)
        return QOR_S_OK;
    if (!FlushWrites())
        return QOR_E_FAIL;
    if (FTarget) {
        // Nothing of a file with a lost write reaches the pipe.
        if (FBroken)
            return QOR_E_FAIL;
        FCommitted = true;
        return HandOver() ? QOR_S_OK : QOR_E_FAIL;
    }
    if (!FAtomic) {
        FCommitted = FCreate;
        return FBroken ? QOR_E_FAIL : QOR_S_OK;
    }
    auto* File = static_cast<QSaveFile*>(FFile.get());
    // Never let a file with a lost write replace the target.
    if (FBroken) {
        File->cancelWriting();
        return QOR_E_FAIL;
    }
    FCommitted = true;
    return File->commit() ? QOR_S_OK : QOR_E_FAIL;
}

HResult TDiskFileStream::Stat(TStreamStat* Statistics, uint32_t Flags)
{
    if (!Statistics)
        return QOR_E_INVALIDARG;
    Statistics->Size = static_cast<uint64_t>(FSize);
    return QOR_S_OK;
}

HResult TDiskFileStream::Clone(IQORStreamPtr* Result)
{
    if (Result)
        Result->reset();
    return QOR_E_NOTIMPL;
}

void TDiskFileStream::Advance(int64_t Count)
{
    FPosition += Count;
    FSize = std::max(FSize, FPosition);
}

HResult TDiskFileStream::Broken()
{
    FBroken = true;
    return QOR_E_FAIL;
}

bool TDiskFileStream::PlaceAt(int64_t Position)
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

int64_t TDiskFileStream::ReadAt(int64_t Position, uint8_t* Target, int64_t Count)
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

bool TDiskFileStream::HandOver()
{
#ifdef Q_OS_UNIX
    // A reader that goes away early makes the write fail instead of ending the process unreported.
    struct sigaction Ignore = {};
    struct sigaction Previous = {};
    Ignore.sa_handler = SIG_IGN;
    sigemptyset(&Ignore.sa_mask);
    sigaction(SIGPIPE, &Ignore, &Previous);
    const auto Restore = qScopeGuard([&Previous] { sigaction(SIGPIPE, &Previous, nullptr); });
#endif
    if (!FFile->seek(0))
        return false;
    std::vector<char> Chunk(CopyChunkSize);
    int64_t Remaining = FSize;
    while (Remaining > 0) {
        const int64_t Got = FFile->read(Chunk.data(), std::min<int64_t>(Remaining, int64_t(Chunk.size())));
        if (Got <= 0 || FTarget->write(Chunk.data(), Got) != Got)
            return false;
        Remaining -= Got;
    }
    return FTarget->flush();
}

bool TDiskFileStream::FlushWrites()
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
