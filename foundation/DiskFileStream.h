#pragma once

// A disk file behind TOleFileStream. Reads go through one window, writes collect in another; each
// is handed to the file in one call. The file offset is tracked so that sequential access needs no
// seek call, and the size is tracked so that Stat and seeks from the end need none either.

#include "foundation/QORStream.h"

#include <QFileDevice>
#include <QString>

#include <memory>
#include <vector>

class TDiskFileStream final : public IQORStream
{
public:
    // Null when the file cannot be opened.
    static std::shared_ptr<TDiskFileStream> Open(const QString& FileName, bool Create, bool CanRead, bool CanWrite);
    ~TDiskFileStream() override;

    HResult Read(void* Destination, uint32_t Count, uint32_t* CountRead) override;
    HResult Write(const void* Source, uint32_t Count, uint32_t* CountWritten) override;
    HResult Seek(int64_t Offset, uint32_t Origin, uint64_t* NewPosition) override;
    HResult SetSize(uint64_t NewSize) override;
    HResult CopyTo(IQORStream* Destination, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten) override;
    HResult Commit(uint32_t Flags) override;
    HResult Revert() override { return QOR_S_OK; }
    HResult LockRegion(uint64_t, uint64_t, uint32_t) override { return QOR_E_NOTIMPL; }
    HResult UnlockRegion(uint64_t, uint64_t, uint32_t) override { return QOR_E_NOTIMPL; }
    HResult Stat(TStreamStat* Statistics, uint32_t Flags) override;
    HResult Clone(IQORStreamPtr* Result) override;

    // Copies up to Count bytes from Source's position to this stream's position and advances both.
    // Between two regular files on Linux the kernel copies them (copy_file_range), so that they never
    // pass through this process; where it cannot (another file system, no support) the bytes are
    // read and written. Fewer bytes than Count are copied only at the end of Source or on a failure.
    HResult CopyFrom(TDiskFileStream& Source, uint64_t Count, uint64_t* Copied);

    // Test and measurement seam: false makes CopyFrom read and write, as without kernel support.
    static void SetKernelCopyEnabled(bool Enabled);

private:
    TDiskFileStream() = default;

    void Advance(int64_t Count);
    HResult Broken();
    bool PlaceAt(int64_t Position);
    // Bytes read, 0 at the end of the file, -1 on failure.
    int64_t ReadAt(int64_t Position, uint8_t* Target, int64_t Count);
    bool FlushWrites();
    // Copies the whole file built in FFile to FTarget.
    bool HandOver();
    // The kernel's part of CopyFrom: false when it cannot copy between these files at all.
    bool KernelCopy(TDiskFileStream& Source, uint64_t Count, uint64_t& Copied, HResult& Result);

    std::unique_ptr<QFileDevice> FFile;
    // A target that cannot seek (a pipe, say), written only at the commit; FFile is then an
    // anonymous temporary file.
    std::unique_ptr<QFileDevice> FTarget;
    bool FCreate = false;
    // Created through a temporary file that replaces the target at the commit.
    bool FAtomic = false;
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
