#include "foundation/FileVersion.h"

#include "foundation/PEFile.h"

namespace {

constexpr uint32_t FixedFileInfoSignature = 0xFEEF04BD;
constexpr uint64_t FixedFileInfoSize = 52;
constexpr char16_t VersionKey[] = u"VS_VERSION_INFO";
constexpr uint64_t VersionKeyLength = sizeof(VersionKey) / sizeof(char16_t); // with its terminator

} // namespace

bool GetFileVersion(const QString& FileName, uint16_t& Major, uint16_t& Minor, uint16_t& Release, uint16_t& Build)
{
    const auto Bytes = ReadModuleFile(FileName);
    return Bytes && GetFileVersionFromData(*Bytes, Major, Minor, Release, Build);
}

bool GetFileVersionFromData(
    const QByteArray& Bytes, uint16_t& Major, uint16_t& Minor, uint16_t& Release, uint16_t& Build)
{
    const TPEFile Module(Bytes);
    const auto Resource = Module.FindResource(PEResourceType_Version, 1);
    if (!Resource)
        return false;

    // The root block: length, value length, type, the key, then the fixed info aligned to 4 bytes.
    const TByteView Data(*Resource);
    const auto BlockLength = Data.U16(0);
    const auto ValueLength = Data.U16(2);
    if (!BlockLength || !ValueLength || *ValueLength < FixedFileInfoSize)
        return false;
    const auto Block = Data.Sub(0, *BlockLength);
    if (!Block)
        return false;
    for (uint64_t I = 0; I < VersionKeyLength; ++I) {
        const auto Character = Block->U16(6 + I * 2);
        if (!Character || *Character != VersionKey[I])
            return false;
    }
    const uint64_t KeyEnd = 6 + VersionKeyLength * 2;
    const auto Info = Block->Sub((KeyEnd + 3) & ~uint64_t(3), FixedFileInfoSize);
    if (!Info || *Info->U32(0) != FixedFileInfoSignature)
        return false;
    const uint32_t VersionMS = *Info->U32(8);
    const uint32_t VersionLS = *Info->U32(12);
    Major = static_cast<uint16_t>(VersionMS >> 16);
    Minor = static_cast<uint16_t>(VersionMS & 0xFFFF);
    Release = static_cast<uint16_t>(VersionLS >> 16);
    Build = static_cast<uint16_t>(VersionLS & 0xFFFF);
    return true;
}

QString GetFileVersionString(const QString& FileName)
{
    uint16_t Major = 0, Minor = 0, Release = 0, Build = 0;
    if (!GetFileVersion(FileName, Major, Minor, Release, Build))
        return QStringLiteral("Unknown");
    return QStringLiteral("%1.%2.%3.%4").arg(Major).arg(Minor).arg(Release).arg(Build);
}
