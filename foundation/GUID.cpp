#include "foundation/GUID.h"

#include <QHashFunctions>
#include <QUuid>

#include <cstring>
#include <stdexcept>

QString TGUID::ToString() const
{
    return QStringLiteral("{%1-%2-%3-%4%5-%6%7%8%9%10%11}")
        .arg(D1, 8, 16, QLatin1Char('0'))
        .arg(D2, 4, 16, QLatin1Char('0'))
        .arg(D3, 4, 16, QLatin1Char('0'))
        .arg(D4[0], 2, 16, QLatin1Char('0'))
        .arg(D4[1], 2, 16, QLatin1Char('0'))
        .arg(D4[2], 2, 16, QLatin1Char('0'))
        .arg(D4[3], 2, 16, QLatin1Char('0'))
        .arg(D4[4], 2, 16, QLatin1Char('0'))
        .arg(D4[5], 2, 16, QLatin1Char('0'))
        .arg(D4[6], 2, 16, QLatin1Char('0'))
        .arg(D4[7], 2, 16, QLatin1Char('0'))
        .toUpper();
}

std::optional<TGUID> TGUID::FromString(const QString& Text)
{
    QString Body = Text.trimmed();
    if (Body.size() == 38) {
        if (!Body.startsWith(QLatin1Char('{')) || !Body.endsWith(QLatin1Char('}')))
            return std::nullopt;
        Body = Body.mid(1, 36);
    }
    if (Body.size() != 36)
        return std::nullopt;
    for (int I = 0; I < 36; ++I) {
        const QChar C = Body.at(I);
        const bool Dash = I == 8 || I == 13 || I == 18 || I == 23;
        // Non-ASCII first: isxdigit is undefined for the negative chars they would become.
        if (Dash ? C != QLatin1Char('-') : C.unicode() > 127 || !isxdigit(C.toLatin1()))
            return std::nullopt;
    }
    auto Hex = [&](int From, int Length) { return Body.mid(From, Length).toULongLong(nullptr, 16); };
    TGUID Result;
    Result.D1 = static_cast<uint32_t>(Hex(0, 8));
    Result.D2 = static_cast<uint16_t>(Hex(9, 4));
    Result.D3 = static_cast<uint16_t>(Hex(14, 4));
    Result.D4[0] = static_cast<uint8_t>(Hex(19, 2));
    Result.D4[1] = static_cast<uint8_t>(Hex(21, 2));
    for (int I = 0; I < 6; ++I)
        Result.D4[2 + I] = static_cast<uint8_t>(Hex(24 + 2 * I, 2));
    return Result;
}

std::optional<TGUID> TGUID::FromBracedBytes(const char* Text, qsizetype Size)
{
    if (Size != 38 || Text[0] != '{' || Text[37] != '}')
        return std::nullopt;
    uint8_t Digits[32];
    int Count = 0;
    for (int I = 1; I < 37; ++I) {
        const char C = Text[I];
        if (I == 9 || I == 14 || I == 19 || I == 24) {
            if (C != '-')
                return std::nullopt;
            continue;
        }
        if (C >= '0' && C <= '9')
            Digits[Count++] = uint8_t(C - '0');
        else if (C >= 'A' && C <= 'F')
            Digits[Count++] = uint8_t(C - 'A' + 10);
        else if (C >= 'a' && C <= 'f')
            Digits[Count++] = uint8_t(C - 'a' + 10);
        else
            return std::nullopt;
    }
    const auto Number = [&Digits](int From, int Length) {
        uint32_t Value = 0;
        for (int I = From; I < From + Length; ++I)
            Value = Value * 16 + Digits[I];
        return Value;
    };
    TGUID Result;
    Result.D1 = Number(0, 8);
    Result.D2 = uint16_t(Number(8, 4));
    Result.D3 = uint16_t(Number(12, 4));
    for (int I = 0; I < 8; ++I)
        Result.D4[size_t(I)] = uint8_t(Number(16 + 2 * I, 2));
    return Result;
}

TGUID TGUID::Parse(const char* Text)
{
    auto Result = FromString(QString::fromLatin1(Text));
    if (!Result)
        throw std::invalid_argument("malformed GUID constant");
    return *Result;
}

std::array<uint8_t, 16> TGUID::ToBytes() const
{
    std::array<uint8_t, 16> Bytes{};
    for (int I = 0; I < 4; ++I)
        Bytes[I] = static_cast<uint8_t>(D1 >> (8 * I));
    for (int I = 0; I < 2; ++I) {
        Bytes[4 + I] = static_cast<uint8_t>(D2 >> (8 * I));
        Bytes[6 + I] = static_cast<uint8_t>(D3 >> (8 * I));
    }
    std::memcpy(Bytes.data() + 8, D4.data(), 8);
    return Bytes;
}

TGUID TGUID::FromBytes(const uint8_t* Bytes)
{
    TGUID Result;
    Result.D1 = uint32_t(Bytes[0]) | uint32_t(Bytes[1]) << 8 | uint32_t(Bytes[2]) << 16 | uint32_t(Bytes[3]) << 24;
    Result.D2 = static_cast<uint16_t>(Bytes[4] | Bytes[5] << 8);
    Result.D3 = static_cast<uint16_t>(Bytes[6] | Bytes[7] << 8);
    std::memcpy(Result.D4.data(), Bytes + 8, 8);
    return Result;
}

size_t qHash(const TGUID& Value, size_t Seed) noexcept
{
    const auto Bytes = Value.ToBytes();
    return qHashBits(Bytes.data(), Bytes.size(), Seed);
}
