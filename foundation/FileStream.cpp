#include "foundation/FileStream.h"

#include "foundation/DiskFileStream.h"

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

namespace {

TDiskFileStream* DiskFileOf(IQORStream& Stream)
{
    auto* File = dynamic_cast<TOleFileStream*>(&Stream);
    return File ? dynamic_cast<TDiskFileStream*>(File->Inner().get()) : nullptr;
}

} // namespace

uint64_t CopyStreamBytes(IQORStream& Target, IQORStream& Source, uint64_t Count)
{
    TDiskFileStream* TargetFile = DiskFileOf(Target);
    TDiskFileStream* SourceFile = DiskFileOf(Source);
    uint64_t Copied = 0;
    if (TargetFile && SourceFile) {
        TargetFile->CopyFrom(*SourceFile, Count, &Copied);
        return Copied;
    }
    uint64_t Read = 0;
    Source.CopyTo(&Target, Count, &Read, &Copied);
    return Copied;
}
