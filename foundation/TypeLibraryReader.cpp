#include "foundation/TypeLibraryReader.h"

#include "foundation/PEFile.h"

#include <optional>

namespace {

constexpr uint64_t MSFTHeaderSize = 0x54;
constexpr uint32_t HelpStringDllFlag = 0x100;
constexpr uint64_t SegmentEntrySize = 16;
constexpr uint64_t SegmentCount = 15;
constexpr uint32_t TypeInfoSegment = 0;
constexpr uint32_t GUIDTableSegment = 5;
constexpr uint64_t TypeInfoRecordSize = 0x64;
constexpr uint64_t TypeInfoGUIDField = 0x2C;
constexpr uint8_t LastTypeKind = 7;
constexpr uint32_t NoOffset = 0xFFFFFFFFu;
constexpr uint64_t GUIDSize = 16;

// A segment that is absent (offset -1) is not an error; one that points outside the library is.
struct TSegment
{
    bool Damaged = false;
    std::optional<TByteView> Bytes;
};

TSegment ReadSegment(TByteView Library, uint64_t Directory, uint32_t Index)
{
    const uint64_t Entry = Directory + uint64_t(Index) * SegmentEntrySize;
    const uint32_t Offset = *Library.U32(Entry);
    const uint32_t Length = *Library.U32(Entry + 4);
    TSegment Result;
    if (Offset == NoOffset)
        return Result;
    Result.Bytes = Library.Sub(Offset, Length);
    Result.Damaged = !Result.Bytes;
    return Result;
}

std::optional<TGUID> GUIDAt(const TSegment& GUIDTable, uint32_t Offset)
{
    if (!GUIDTable.Bytes)
        return std::nullopt;
    const auto Bytes = GUIDTable.Bytes->Sub(Offset, GUIDSize);
    if (!Bytes)
        return std::nullopt;
    return TGUID::FromBytes(Bytes->Data());
}

} // namespace

bool TTypeLibraryReader::Load(const QString& FileName)
{
    Clear();
    const auto Bytes = ReadModuleFile(FileName);
    return Bytes && LoadFromData(*Bytes);
}

bool TTypeLibraryReader::LoadFromData(const QByteArray& Bytes)
{
    Clear();
    if (TByteView(Bytes).StartsWith("MSFT", 4))
        return ReadMSFT(Bytes);
    const TPEFile Module(Bytes);
    if (!Module.IsValid())
        return false;
    // Resource 1 is the one the platform loader takes when the path names no other.
    const auto Library = Module.FindResource(QStringLiteral("TYPELIB"), 1);
    return Library && TByteView(*Library).StartsWith("MSFT", 4) && ReadMSFT(*Library);
}

bool TTypeLibraryReader::ContainsType(const TGUID& GUID) const
{
    return FLoaded && FTypeGUIDs.contains(GUID);
}

void TTypeLibraryReader::Clear()
{
    FLoaded = false;
    FLibraryGUID = TGUID{};
    FTypeGUIDs.clear();
}

bool TTypeLibraryReader::ReadMSFT(const QByteArray& Bytes)
{
    const TByteView Library(Bytes);
    if (!Library.Contains(0, MSFTHeaderSize))
        return false;
    const uint32_t LibraryGUIDOffset = *Library.U32(0x08);
    const uint32_t Flags = *Library.U32(0x14);
    const uint32_t TypeInfoCount = *Library.U32(0x20);

    // A named help-string DLL adds one word after the fixed header.
    const uint64_t OffsetArray = MSFTHeaderSize + ((Flags & HelpStringDllFlag) != 0 ? 4 : 0);
    const uint64_t SegmentDirectory = OffsetArray + uint64_t(TypeInfoCount) * 4;
    if (!Library.Contains(SegmentDirectory, SegmentCount * SegmentEntrySize))
        return false;
    // A segment reaching past the end means a cut or damaged library, even one not read here.
    for (uint32_t Index = 0; Index < SegmentCount; ++Index) {
        if (ReadSegment(Library, SegmentDirectory, Index).Damaged)
            return false;
    }
    const TSegment TypeInfos = ReadSegment(Library, SegmentDirectory, TypeInfoSegment);
    const TSegment GUIDTable = ReadSegment(Library, SegmentDirectory, GUIDTableSegment);

    TGUID LibraryGUID;
    if (LibraryGUIDOffset != NoOffset) {
        const auto GUID = GUIDAt(GUIDTable, LibraryGUIDOffset);
        if (!GUID)
            return false;
        LibraryGUID = *GUID;
    }

    // Only the type info records say which GUIDs are the library's own types: the GUID table
    // also holds imported interfaces and libraries and custom-data keys.
    QList<TGUID> TypeGUIDs;
    if (TypeInfoCount > 0 && !TypeInfos.Bytes)
        return false;
    for (uint32_t Index = 0; Index < TypeInfoCount; ++Index) {
        const uint32_t RecordOffset = *Library.U32(OffsetArray + uint64_t(Index) * 4);
        const auto Record = TypeInfos.Bytes->Sub(RecordOffset, TypeInfoRecordSize);
        if (!Record || (*Record->U8(0) & 0x0F) > LastTypeKind)
            return false;
        const uint32_t GUIDOffset = *Record->U32(TypeInfoGUIDField);
        if (GUIDOffset == NoOffset)
            continue;
        const auto GUID = GUIDAt(GUIDTable, GUIDOffset);
        if (!GUID)
            return false;
        TypeGUIDs.append(*GUID);
    }

    FLoaded = true;
    FLibraryGUID = LibraryGUID;
    FTypeGUIDs = std::move(TypeGUIDs);
    return true;
}
