#pragma once

// Reading module files without the platform loader: a bounds-checked view of bytes, the whole-file
// read shared by the type library and version readers, and the resource tree of a PE image.
// Nothing here trusts the file: every offset and size is checked before it is followed, and any
// inconsistency means "not found".

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <variant>

// Little-endian reads that answer nothing instead of reading past the end. Offsets are 64-bit so
// that offset + size sums built from 32-bit file fields cannot wrap.
class TByteView
{
public:
    TByteView() = default;
    TByteView(const char* Data, uint64_t Size) : FData(reinterpret_cast<const uint8_t*>(Data)), FSize(Size) {}
    explicit TByteView(const QByteArray& Bytes) : TByteView(Bytes.constData(), uint64_t(Bytes.size())) {}

    uint64_t Size() const { return FSize; }
    const uint8_t* Data() const { return FData; }

    bool Contains(uint64_t Offset, uint64_t Length) const { return Offset <= FSize && Length <= FSize - Offset; }
    std::optional<uint8_t> U8(uint64_t Offset) const;
    std::optional<uint16_t> U16(uint64_t Offset) const;
    std::optional<uint32_t> U32(uint64_t Offset) const;
    // Nothing when the range does not lie wholly inside the view.
    std::optional<TByteView> Sub(uint64_t Offset, uint64_t Length) const;
    bool StartsWith(const char* Signature, uint64_t Length) const;

private:
    const uint8_t* FData = nullptr;
    uint64_t FSize = 0;
};

// Larger module files are treated as unreadable rather than read into memory.
constexpr qint64 MaxModuleFileSize = qint64(256) * 1024 * 1024;

// The whole file, or nothing when it is missing, not a regular file, unreadable or too large.
// Names written with backslashes (as the Windows loader accepts them) are also tried with the
// local separators on other platforms.
std::optional<QByteArray> ReadModuleFile(const QString& FileName);

// A resource key: an integer id or a name (names compare ignoring case).
using TPEResourceKey = std::variant<uint32_t, QString>;

constexpr uint32_t PEResourceType_Version = 16;

class TPEFile
{
public:
    // Parses the headers of a PE32 or PE32+ image; IsValid tells whether they made sense. The bytes
    // must outlive the object.
    explicit TPEFile(const QByteArray& Bytes);

    bool IsValid() const { return FValid; }
    bool IsPE32Plus() const { return FPE32Plus; }

    // The data of resource Type / Id in its first language, or nothing when the image has no such
    // resource or the path to it is damaged. The data always lies wholly inside the file.
    std::optional<QByteArray> FindResource(const TPEResourceKey& Type, uint32_t Id) const;

private:
    // The file range that holds the bytes at an RVA, limited to its section's raw data.
    std::optional<TByteView> MapRVA(uint32_t RVA, uint32_t Size) const;
    // The subdirectory or data entry offset (bit 31 kept) of the entry with Key, from the root.
    std::optional<uint32_t> FindEntry(TByteView Root, uint32_t Directory, const TPEResourceKey& Key) const;

    TByteView FFile;
    bool FValid = false;
    bool FPE32Plus = false;
    uint64_t FSectionTable = 0;
    uint16_t FSectionCount = 0;
    uint32_t FResourceRVA = 0;
    uint32_t FResourceSize = 0;
};
