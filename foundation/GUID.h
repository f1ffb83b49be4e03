#pragma once

// A 16-byte GUID in its in-memory layout: a 32-bit field, two 16-bit fields and eight bytes.
// The all-zero GUID means "no ID set".

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

struct TGUID
{
    uint32_t D1 = 0;
    uint16_t D2 = 0;
    uint16_t D3 = 0;
    std::array<uint8_t, 8> D4{};

    friend bool operator==(const TGUID&, const TGUID&) = default;

    bool IsNull() const { return *this == TGUID{}; }

    // The 38-character registry form: braces, upper-case hexadecimal, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
    QString ToString() const;
    // Accepts the registry form (braces optional, either case); nothing for anything else.
    static std::optional<TGUID> FromString(const QString& Text);
    // The braced 38-character form alone (either case), read straight from bytes; nothing for any
    // other text. Quick for the common case, where FromString covers every form.
    static std::optional<TGUID> FromBracedBytes(const char* Text, qsizetype Size);
    // For constants written in source; the text must be valid.
    static TGUID Parse(const char* Text);

    // The 16 bytes as they stand on a stream (little-endian fields).
    std::array<uint8_t, 16> ToBytes() const;
    static TGUID FromBytes(const uint8_t* Bytes);
};

size_t qHash(const TGUID& Value, size_t Seed = 0) noexcept;
