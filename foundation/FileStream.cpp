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
