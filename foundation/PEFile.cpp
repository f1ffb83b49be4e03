#include "foundation/PEFile.h"

#include "foundation/Paths.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr uint32_t HighBit = 0x80000000u;
constexpr uint64_t SectionHeaderSize = 40;
constexpr uint64_t ResourceDirectorySize = 16;
constexpr uint64_t ResourceEntrySize = 8;
constexpr uint64_t ResourceDataEntrySize = 16;
constexpr uint32_t ResourceDirectoryIndex = 2;

} // namespace

std::optional<uint8_t> TByteView::U8(uint64_t Offset) const
{
    if (!Contains(Offset, 1))
        return std::nullopt;
    return FData[Offset];
}

std::optional<uint16_t> TByteView::U16(uint64_t Offset) const
{
    if (!Contains(Offset, 2))
        return std::nullopt;
    return static_cast<uint16_t>(FData[Offset] | FData[Offset + 1] << 8);
}

std::optional<uint32_t> TByteView::U32(uint64_t Offset) const
{
    if (!Contains(Offset, 4))
        return std::nullopt;
    return uint32_t(FData[Offset]) | uint32_t(FData[Offset + 1]) << 8 | uint32_t(FData[Offset + 2]) << 16 |
           uint32_t(FData[Offset + 3]) << 24;
}

std::optional<TByteView> TByteView::Sub(uint64_t Offset, uint64_t Length) const
{
    if (!Contains(Offset, Length))
        return std::nullopt;
    TByteView Result;
    Result.FData = FData + Offset;
    Result.FSize = Length;
    return Result;
}

bool TByteView::StartsWith(const char* Signature, uint64_t Length) const
{
    if (!Contains(0, Length))
        return false;
    for (uint64_t I = 0; I < Length; ++I) {
        if (FData[I] != static_cast<uint8_t>(Signature[I]))
            return false;
    }
    return true;
}

std::optional<QByteArray> ReadModuleFile(const QString& FileName)
{
    if (FileName.isEmpty())
        return std::nullopt;
    const QFileInfo Info(LocalFilePath(FileName));
    if (!Info.isFile() || Info.size() > MaxModuleFileSize)
        return std::nullopt;
    QFile File(Info.filePath());
    if (!File.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read at most one byte past the cap so that a file grown since the check is still refused.
    QByteArray Bytes = File.read(MaxModuleFileSize + 1);
    if (File.error() != QFileDevice::NoError || Bytes.size() > MaxModuleFileSize)
        return std::nullopt;
    return Bytes;
}

TPEFile::TPEFile(const QByteArray& Bytes) : FFile(Bytes)
{
    if (!FFile.StartsWith("MZ", 2))
        return;
    const auto HeaderOffset = FFile.U32(0x3C);
    if (!HeaderOffset)
        return;
    const uint64_t NTHeader = *HeaderOffset;
    if (!FFile.Sub(NTHeader, 4) || !FFile.Sub(NTHeader, 4)->StartsWith("PE\0\0", 4))
        return;
    const auto SectionCount = FFile.U16(NTHeader + 6);
    const auto OptionalHeaderSize = FFile.U16(NTHeader + 20);
    const uint64_t OptionalHeader = NTHeader + 24;
    if (!SectionCount || !OptionalHeaderSize || *OptionalHeaderSize < 2)
        return;
    const auto Magic = FFile.U16(OptionalHeader);
    if (!Magic)
        return;

    uint64_t DirectoryCountOffset = 0;
    if (*Magic == 0x10B) {
        DirectoryCountOffset = 92;
    } else if (*Magic == 0x20B) {
        DirectoryCountOffset = 108;
        FPE32Plus = true;
    } else {
        return;
    }
    const uint64_t FirstDirectory = DirectoryCountOffset + 4;
    const uint64_t ResourceDirectory = FirstDirectory + ResourceDirectoryIndex * 8;

    FSectionTable = OptionalHeader + *OptionalHeaderSize;
    FSectionCount = *SectionCount;
    if (!FFile.Contains(OptionalHeader, *OptionalHeaderSize) ||
        !FFile.Contains(FSectionTable, uint64_t(FSectionCount) * SectionHeaderSize))
        return;
    FValid = true;

    // An optional header too short for the resource entry simply has no resources.
    const auto DirectoryCount = FFile.U32(OptionalHeader + DirectoryCountOffset);
    if (!DirectoryCount || *DirectoryCount <= ResourceDirectoryIndex || ResourceDirectory + 8 > *OptionalHeaderSize)
        return;
    FResourceRVA = FFile.U32(OptionalHeader + ResourceDirectory).value_or(0);
    FResourceSize = FFile.U32(OptionalHeader + ResourceDirectory + 4).value_or(0);
}

std::optional<TByteView> TPEFile::MapRVA(uint32_t RVA, uint32_t Size) const
{
    for (uint32_t Index = 0; Index < FSectionCount; ++Index) {
        const uint64_t Header = FSectionTable + uint64_t(Index) * SectionHeaderSize;
        const uint32_t VirtualSize = FFile.U32(Header + 8).value_or(0);
        const uint32_t VirtualAddress = FFile.U32(Header + 12).value_or(0);
        const uint32_t RawSize = FFile.U32(Header + 16).value_or(0);
        const uint32_t RawPointer = FFile.U32(Header + 20).value_or(0);
        // Only the raw data is in the file; a virtual size, where given, also ends what is mapped.
        uint64_t Extent = RawSize;
        if (VirtualSize != 0 && VirtualSize < Extent)
            Extent = VirtualSize;
        if (RVA < VirtualAddress || uint64_t(RVA) - VirtualAddress >= Extent)
            continue;
        const uint64_t Start = uint64_t(RawPointer) + (uint64_t(RVA) - VirtualAddress);
        const uint64_t End = uint64_t(RawPointer) + Extent;
        if (Start > FFile.Size())
            return std::nullopt;
        const uint64_t Available = std::min(End, FFile.Size()) - Start;
        if (Size > Available)
            return std::nullopt;
        return FFile.Sub(Start, Available);
    }
    return std::nullopt;
}

std::optional<uint32_t> TPEFile::FindEntry(TByteView Root, uint32_t Directory, const TPEResourceKey& Key) const
{
    const auto NamedCount = Root.U16(uint64_t(Directory) + 12);
    const auto IdCount = Root.U16(uint64_t(Directory) + 14);
    if (!NamedCount || !IdCount)
        return std::nullopt;
    const uint32_t Count = uint32_t(*NamedCount) + *IdCount;
    for (uint32_t Index = 0; Index < Count; ++Index) {
        const uint64_t Entry = uint64_t(Directory) + ResourceDirectorySize + uint64_t(Index) * ResourceEntrySize;
        const auto Word1 = Root.U32(Entry);
        const auto Word2 = Root.U32(Entry + 4);
        if (!Word1 || !Word2)
            return std::nullopt;
        const bool Named = (*Word1 & HighBit) != 0;
        if (const auto* Id = std::get_if<uint32_t>(&Key)) {
            if (!Named && *Word1 == *Id)
                return *Word2;
            continue;
        }
        if (!Named)
            continue;
        const uint64_t NameOffset = *Word1 & ~HighBit;
        const auto Length = Root.U16(NameOffset);
        if (!Length)
            return std::nullopt;
        const auto Characters = Root.Sub(NameOffset + 2, uint64_t(*Length) * 2);
        if (!Characters)
            return std::nullopt;
        QString Name(*Length, Qt::Uninitialized);
        for (uint16_t I = 0; I < *Length; ++I)
            Name[I] = QChar(static_cast<char16_t>(*Characters->U16(uint64_t(I) * 2)));
        if (Name.compare(std::get<QString>(Key), Qt::CaseInsensitive) == 0)
            return *Word2;
    }
    return std::nullopt;
}

std::optional<QByteArray> TPEFile::FindResource(const TPEResourceKey& Type, uint32_t Id) const
{
    if (!FValid || FResourceRVA == 0 || FResourceSize == 0)
        return std::nullopt;
    const auto Root = MapRVA(FResourceRVA, ResourceDirectorySize);
    if (!Root)
        return std::nullopt;

    // Type and id entries must lead to subdirectories, the language entry to a data entry.
    const auto TypeEntry = FindEntry(*Root, 0, Type);
    if (!TypeEntry || (*TypeEntry & HighBit) == 0)
        return std::nullopt;
    const auto IdEntry = FindEntry(*Root, *TypeEntry & ~HighBit, Id);
    if (!IdEntry || (*IdEntry & HighBit) == 0)
        return std::nullopt;
    const uint64_t LanguageDirectory = *IdEntry & ~HighBit;
    const auto NamedCount = Root->U16(LanguageDirectory + 12);
    const auto IdCount = Root->U16(LanguageDirectory + 14);
    if (!NamedCount || !IdCount || uint32_t(*NamedCount) + *IdCount == 0)
        return std::nullopt;
    const auto LanguageEntry = Root->U32(LanguageDirectory + ResourceDirectorySize + 4);
    if (!LanguageEntry || (*LanguageEntry & HighBit) != 0)
        return std::nullopt;

    const auto DataEntry = Root->Sub(*LanguageEntry, ResourceDataEntrySize);
    if (!DataEntry)
        return std::nullopt;
    const uint32_t DataRVA = *DataEntry->U32(0);
    const uint32_t DataSize = *DataEntry->U32(4);
    const auto Data = MapRVA(DataRVA, DataSize);
    if (!Data)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(Data->Data()), qsizetype(DataSize));
}
