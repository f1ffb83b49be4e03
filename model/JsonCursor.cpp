#include "model/JsonCursor.h"

#include <cstring>
#include <limits>

namespace {

bool IsDigit(char C)
{
    return C >= '0' && C <= '9';
}

// Whether any of the eight bytes of Word is Byte.
uint64_t HasByte(uint64_t Word, char Byte)
{
    const uint64_t Match = Word ^ (0x0101010101010101u * static_cast<unsigned char>(Byte));
    return (Match - 0x0101010101010101u) & ~Match & 0x8080808080808080u;
}

int HexValue(char C)
{
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}

// The length of the well-formed UTF-8 sequence at At (whose first byte is not ASCII), or 0.
int Utf8Length(const unsigned char* At, const unsigned char* End)
{
    const unsigned char Lead = At[0];
    int Length = 0;
    char32_t Point = 0;
    if (Lead >= 0xC2 && Lead <= 0xDF) {
        Length = 2;
        Point = Lead & 0x1F;
    } else if (Lead >= 0xE0 && Lead <= 0xEF) {
        Length = 3;
        Point = Lead & 0x0F;
    } else if (Lead >= 0xF0 && Lead <= 0xF4) {
        Length = 4;
        Point = Lead & 0x07;
    } else {
        return 0;
    }
    if (End - At < Length)
        return 0;
    for (int I = 1; I < Length; ++I) {
        if ((At[I] & 0xC0) != 0x80)
            return 0;
        Point = (Point << 6) | (At[I] & 0x3F);
    }
    // No overlong forms, no surrogates, nothing past the last code point.
    if ((Length == 3 && Point < 0x800) || (Length == 4 && Point < 0x10000) || (Point >= 0xD800 && Point <= 0xDFFF) ||
        Point > 0x10FFFF)
        return 0;
    return Length;
}

// Steps over the escape whose backslash is at At; on failure leaves At at the backslash.
QJsonParseError::ParseError ScanEscape(const char*& At, const char* End)
{
    const char* Backslash = At;
    ++At;
    if (At == End)
        return QJsonParseError::UnterminatedString;
    // Any character may follow the backslash and stands for itself; only \u needs four hex digits.
    // A character beyond ASCII is left for the caller to check as UTF-8.
    if (*At != 'u') {
        if (static_cast<unsigned char>(*At) < 0x80)
            ++At;
        return QJsonParseError::NoError;
    }
    if (End - At >= 5 && HexValue(At[1]) >= 0 && HexValue(At[2]) >= 0 && HexValue(At[3]) >= 0 && HexValue(At[4]) >= 0) {
        At += 5;
        return QJsonParseError::NoError;
    }
    At = Backslash;
    return QJsonParseError::IllegalEscapeSequence;
}

} // namespace

QJsonParseError::ParseError ScanJsonString(const char*& At, const char* End, bool& Escaped)
{
    for (;;) {
        // Eight bytes at a time while none is a quote, a backslash or beyond ASCII.
        while (End - At >= 8) {
            uint64_t Word;
            memcpy(&Word, At, 8);
            if (HasByte(Word, '"') | HasByte(Word, '\\') | (Word & 0x8080808080808080u))
                break;
            At += 8;
        }
        while (At != End && static_cast<unsigned char>(*At) < 0x80 && *At != '"' && *At != '\\')
            ++At;
        if (At == End)
            return QJsonParseError::UnterminatedString;
        if (*At == '"')
            break;
        if (*At == '\\') {
            Escaped = true;
            if (const QJsonParseError::ParseError Error = ScanEscape(At, End); Error != QJsonParseError::NoError)
                return Error;
            continue;
        }
        const int Sequence =
            Utf8Length(reinterpret_cast<const unsigned char*>(At), reinterpret_cast<const unsigned char*>(End));
        if (Sequence == 0)
            return QJsonParseError::IllegalUTF8String;
        At += Sequence;
    }
    ++At;
    return QJsonParseError::NoError;
}

QString DecodeJsonString(const char* At, qsizetype Length, bool Escaped)
{
    const char* End = At + Length;
    if (!Escaped)
        return QString::fromUtf8(At, Length);
    QString Result;
    Result.reserve(Length);
    while (At != End) {
        const char* Run = At;
        while (At != End && *At != '\\')
            ++At;
        if (At != Run)
            Result += QString::fromUtf8(Run, At - Run);
        if (At == End)
            break;
        // The parser let only well-formed escapes through; one before a character beyond ASCII
        // stands for that character, which the next run takes up.
        const char Kind = At[1];
        if (static_cast<unsigned char>(Kind) >= 0x80) {
            ++At;
            continue;
        }
        At += 2;
        switch (Kind) {
        case 'b':
            Result += QLatin1Char('\b');
            break;
        case 'f':
            Result += QLatin1Char('\f');
            break;
        case 'n':
            Result += QLatin1Char('\n');
            break;
        case 'r':
            Result += QLatin1Char('\r');
            break;
        case 't':
            Result += QLatin1Char('\t');
            break;
        case 'u': {
            char16_t Unit = 0;
            for (int I = 0; I < 4; ++I)
                Unit = char16_t(Unit * 16 + HexValue(At[I]));
            At += 4;
            Result += QChar(Unit);
            break;
        }
        default:
            Result += QLatin1Char(Kind);
        }
    }
    return Result;
}

void TJsonCursor::Fail(QJsonParseError::ParseError What) const
{
    throw TJsonSyntaxError{FAt - FBegin, What};
}

TJsonNumber TJsonCursor::NumberInFull()
{
    const char* Start = FAt;
    bool Whole = true;
    if (*FAt == '-')
        ++FAt;
    if (FAt != FEnd && *FAt == '0') {
        ++FAt;
    } else {
        while (FAt != FEnd && IsDigit(*FAt))
            ++FAt;
    }
    if (FAt != FEnd && *FAt == '.') {
        Whole = false;
        ++FAt;
        while (FAt != FEnd && IsDigit(*FAt))
            ++FAt;
    }
    if (FAt != FEnd && (*FAt == 'e' || *FAt == 'E')) {
        Whole = false;
        ++FAt;
        if (FAt != FEnd && (*FAt == '-' || *FAt == '+'))
            ++FAt;
        while (FAt != FEnd && IsDigit(*FAt))
            ++FAt;
    }
    if (FAt == FEnd)
        Fail(QJsonParseError::TerminationByNumber);
    const char* Digits = Start + (*Start == '-');
    if (Whole && FAt > Digits && FAt - Digits <= 15) {
        // Exact in a double: no conversion routine needed.
        int64_t Magnitude = 0;
        for (const char* D = Digits; D != FAt; ++D)
            Magnitude = Magnitude * 10 + (*D - '0');
        return {*Start == '-' ? -double(Magnitude) : double(Magnitude)};
    }
    bool Ok = false;
    const double Value = QByteArray::fromRawData(Start, FAt - Start).toDouble(&Ok);
    if (!Ok) {
        FAt = Start;
        Fail(QJsonParseError::IllegalNumber);
    }
    return {Value};
}

void TJsonCursor::SkipValue()
{
    switch (Next()) {
    case '{':
        EnterObject();
        if (FirstMember()) {
            do {
                Key();
                SkipValue();
            } while (NextMember());
        }
        return;
    case '[':
        EnterArray();
        if (FirstElement()) {
            do
                SkipValue();
            while (NextElement());
        }
        return;
    case '"':
        String();
        return;
    case 't':
    case 'f':
        Boolean();
        return;
    case 'n':
        Null();
        return;
    default:
        if (FAt != FEnd && (*FAt == '-' || *FAt == '.' || IsDigit(*FAt))) {
            Number();
            return;
        }
        Fail(QJsonParseError::IllegalValue);
    }
}

void TJsonCursor::SkipDocument()
{
    const char First = Next();
    if (First != '{' && First != '[')
        Fail(QJsonParseError::IllegalValue);
    SkipValue();
    End();
}
