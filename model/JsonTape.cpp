#include "model/JsonTape.h"

#include <cstring>
#include <limits>

namespace {

// Deeper texts are refused rather than risking the stack.
constexpr int NestingLimit = 1024;

bool IsSpace(char C)
{
    return C == ' ' || C == '\t' || C == '\n' || C == '\r';
}

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

class TJsonTapeParser
{
public:
    TJsonTapeParser(const QByteArray& Text, std::vector<TJsonTape::TNode>& Nodes)
        : FBegin(Text.constData()), FAt(Text.constData()), FEnd(Text.constData() + Text.size()), FNodes(Nodes)
    {}

    bool Parse(TJsonTapeError& Error)
    {
        if (FEnd - FBegin >= std::numeric_limits<uint32_t>::max())
            return Fail(QJsonParseError::DocumentTooLarge, Error);
        if (FEnd - FAt >= 3 && memcmp(FAt, "\xEF\xBB\xBF", 3) == 0)
            FAt += 3;
        SkipSpace();
        if (FAt == FEnd || (*FAt != '{' && *FAt != '['))
            return Fail(QJsonParseError::IllegalValue, Error);
        if (!Value(0, 0, false))
            return Fail(FError, Error);
        SkipSpace();
        if (FAt != FEnd)
            return Fail(QJsonParseError::GarbageAtEnd, Error);
        return true;
    }

private:
    bool Fail(QJsonParseError::ParseError What, TJsonTapeError& Error)
    {
        Error.Offset = FAt - FBegin;
        Error.Error = What;
        return false;
    }
    bool Stop(QJsonParseError::ParseError What)
    {
        FError = What;
        return false;
    }

    void SkipSpace()
    {
        while (FAt != FEnd && IsSpace(*FAt))
            ++FAt;
    }
    uint32_t Offset(const char* At) const { return uint32_t(At - FBegin); }

    // The value at FAt, as a new node carrying the member name given (if any).
    bool Value(uint32_t KeyStart, uint32_t KeyLength, bool KeyEscaped)
    {
        const size_t Index = FNodes.size();
        FNodes.emplace_back();
        TJsonTape::TNode& Node = FNodes.back();
        Node.KeyStart = KeyStart;
        Node.KeyLength = KeyLength;
        Node.KeyEscaped = KeyEscaped;
        Node.Span = {0, 0};
        bool Done = true;
        switch (FAt == FEnd ? '\0' : *FAt) {
        case '{':
            Done = Object(Index);
            break;
        case '[':
            Done = Array(Index);
            break;
        case '"': {
            ++FAt;
            uint32_t Start = 0, Length = 0;
            bool Escaped = false;
            Done = String(Start, Length, Escaped);
            FNodes[Index].Kind = TJsonTape::String;
            FNodes[Index].Span = {Start, Length};
            FNodes[Index].Escaped = Escaped;
            break;
        }
        case 't':
            Done = Literal("true", 4, TJsonTape::True, Node);
            break;
        case 'f':
            Done = Literal("false", 5, TJsonTape::False, Node);
            break;
        case 'n':
            Done = Literal("null", 4, TJsonTape::Null, Node);
            break;
        default:
            if (FAt != FEnd && (*FAt == '-' || *FAt == '.' || IsDigit(*FAt)))
                Done = Number(Index);
            else
                Done = Stop(QJsonParseError::IllegalValue);
        }
        FNodes[Index].End = uint32_t(FNodes.size());
        return Done;
    }

    bool Literal(const char* Text, size_t Length, TJsonTape::TKind Kind, TJsonTape::TNode& Node)
    {
        if (size_t(FEnd - FAt) < Length || memcmp(FAt, Text, Length) != 0)
            return Stop(QJsonParseError::IllegalValue);
        FAt += Length;
        Node.Kind = Kind;
        return true;
    }

    bool Number(size_t Index)
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
            return Stop(QJsonParseError::TerminationByNumber);
        const char* Digits = Start + (*Start == '-');
        double Value = 0;
        if (Whole && FAt > Digits && FAt - Digits <= 15) {
            // Exact in a double: no conversion routine needed.
            int64_t Magnitude = 0;
            for (const char* D = Digits; D != FAt; ++D)
                Magnitude = Magnitude * 10 + (*D - '0');
            Value = *Start == '-' ? -double(Magnitude) : double(Magnitude);
        } else {
            bool Ok = false;
            Value = QByteArray::fromRawData(Start, FAt - Start).toDouble(&Ok);
            if (!Ok) {
                FAt = Start;
                return Stop(QJsonParseError::IllegalNumber);
            }
        }
        FNodes[Index].Kind = TJsonTape::Number;
        FNodes[Index].Value = Value;
        return true;
    }

    // The string whose opening quote is just behind FAt; leaves FAt past its closing quote.
    bool String(uint32_t& Start, uint32_t& Length, bool& Escaped)
    {
        Start = Offset(FAt);
        const QJsonParseError::ParseError Error = ScanJsonString(FAt, FEnd, Escaped);
        if (Error != QJsonParseError::NoError)
            return Stop(Error);
        Length = Offset(FAt) - 1 - Start;
        return true;
    }

    bool Enter()
    {
        if (++FDepth > NestingLimit)
            return Stop(QJsonParseError::DeepNesting);
        return true;
    }

    bool Object(size_t Index)
    {
        FNodes[Index].Kind = TJsonTape::Object;
        if (!Enter())
            return false;
        ++FAt;
        uint32_t Count = 0;
        SkipSpace();
        if (FAt != FEnd && *FAt == '}') {
            ++FAt;
            FNodes[Index].Count = 0;
            --FDepth;
            return true;
        }
        for (;;) {
            if (FAt == FEnd || *FAt != '"')
                return Stop(QJsonParseError::UnterminatedObject);
            ++FAt;
            uint32_t KeyStart = 0, KeyLength = 0;
            bool KeyEscaped = false;
            if (!String(KeyStart, KeyLength, KeyEscaped))
                return false;
            SkipSpace();
            if (FAt == FEnd || *FAt != ':')
                return Stop(QJsonParseError::MissingNameSeparator);
            ++FAt;
            SkipSpace();
            if (FAt == FEnd)
                return Stop(QJsonParseError::UnterminatedObject);
            if (!Value(KeyStart, KeyLength, KeyEscaped))
                return false;
            ++Count;
            SkipSpace();
            if (FAt != FEnd && *FAt == ',') {
                ++FAt;
                SkipSpace();
                if (FAt != FEnd && *FAt == '}')
                    return Stop(QJsonParseError::MissingObject);
                continue;
            }
            if (FAt != FEnd && *FAt == '}')
                break;
            return Stop(QJsonParseError::UnterminatedObject);
        }
        ++FAt;
        FNodes[Index].Count = Count;
        --FDepth;
        return true;
    }

    bool Array(size_t Index)
    {
        FNodes[Index].Kind = TJsonTape::Array;
        if (!Enter())
            return false;
        ++FAt;
        uint32_t Count = 0;
        SkipSpace();
        if (FAt == FEnd)
            return Stop(QJsonParseError::UnterminatedArray);
        if (*FAt != ']') {
            for (;;) {
                SkipSpace();
                if (FAt == FEnd)
                    return Stop(QJsonParseError::UnterminatedArray);
                if (!Value(0, 0, false))
                    return false;
                ++Count;
                SkipSpace();
                if (FAt != FEnd && *FAt == ']')
                    break;
                if (FAt != FEnd && *FAt == ',') {
                    ++FAt;
                    continue;
                }
                return Stop(FAt == FEnd ? QJsonParseError::UnterminatedArray : QJsonParseError::MissingValueSeparator);
            }
        }
        ++FAt;
        FNodes[Index].Count = Count;
        --FDepth;
        return true;
    }

    const char* FBegin;
    const char* FAt;
    const char* FEnd;
    std::vector<TJsonTape::TNode>& FNodes;
    QJsonParseError::ParseError FError = QJsonParseError::NoError;
    int FDepth = 0;
};

bool TJsonTape::Parse(const QByteArray& Text, TJsonTapeError& Error)
{
    FText = Text.constData();
    FNodes.clear();
    // Most values of a definition take some 20 bytes of text.
    FNodes.reserve(size_t(Text.size() / 16) + 16);
    if (TJsonTapeParser(Text, FNodes).Parse(Error))
        return true;
    FNodes.clear();
    return false;
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

QString TJsonTape::Decode(uint32_t Start, uint32_t Length, bool Escaped) const
{
    return DecodeJsonString(FText + Start, qsizetype(Length), Escaped);
}

bool TJsonTape::KeyIs(const TNode& Node, const char* Name, size_t Length) const
{
    if (!Node.KeyEscaped)
        return Node.KeyLength == Length && memcmp(FText + Node.KeyStart, Name, Length) == 0;
    return Decode(Node.KeyStart, Node.KeyLength, true) == QLatin1String(Name, qsizetype(Length));
}

bool TJsonValue::isNull() const
{
    return FTape && FTape->FNodes[FIndex].Kind == TJsonTape::Null;
}

bool TJsonValue::isBool() const
{
    return FTape && (FTape->FNodes[FIndex].Kind == TJsonTape::True || FTape->FNodes[FIndex].Kind == TJsonTape::False);
}

bool TJsonValue::isDouble() const
{
    return FTape && FTape->FNodes[FIndex].Kind == TJsonTape::Number;
}

bool TJsonValue::isString() const
{
    return FTape && FTape->FNodes[FIndex].Kind == TJsonTape::String;
}

bool TJsonValue::isArray() const
{
    return FTape && FTape->FNodes[FIndex].Kind == TJsonTape::Array;
}

bool TJsonValue::isObject() const
{
    return FTape && FTape->FNodes[FIndex].Kind == TJsonTape::Object;
}

bool TJsonValue::toBool() const
{
    return FTape && FTape->FNodes[FIndex].Kind == TJsonTape::True;
}

double TJsonValue::toDouble(double Default) const
{
    return isDouble() ? FTape->FNodes[FIndex].Value : Default;
}

QString TJsonValue::toString() const
{
    if (!isString())
        return {};
    const TJsonTape::TNode& Node = FTape->FNodes[FIndex];
    return FTape->Decode(Node.Span.Start, Node.Span.Length, Node.Escaped);
}

QByteArrayView TJsonValue::RawText() const
{
    if (!isString() || FTape->FNodes[FIndex].Escaped)
        return {};
    const TJsonTape::TNode& Node = FTape->FNodes[FIndex];
    return QByteArrayView(FTape->FText + Node.Span.Start, Node.Span.Length);
}

bool TJsonValue::IsText(const char* Text) const
{
    if (!isString())
        return false;
    const TJsonTape::TNode& Node = FTape->FNodes[FIndex];
    const size_t Length = strlen(Text);
    if (!Node.Escaped)
        return Node.Span.Length == Length && memcmp(FTape->FText + Node.Span.Start, Text, Length) == 0;
    return toString() == QLatin1String(Text, qsizetype(Length));
}

TJsonValue TJsonValue::value(const char* Name) const
{
    if (!isObject())
        return {};
    const size_t Length = strlen(Name);
    const auto& Nodes = FTape->FNodes;
    const uint32_t End = Nodes[FIndex].End;
    uint32_t Found = 0;
    for (uint32_t At = FIndex + 1; At < End; At = Nodes[At].End)
        if (FTape->KeyIs(Nodes[At], Name, Length))
            Found = At;
    return Found ? TJsonValue(FTape, Found) : TJsonValue();
}

qsizetype TJsonValue::size() const
{
    return isArray() || isObject() ? qsizetype(FTape->FNodes[FIndex].Count) : 0;
}

TJsonValue TJsonValue::First() const
{
    return size() > 0 ? TJsonValue(FTape, FIndex + 1) : TJsonValue();
}

TJsonValue TJsonValue::Next() const
{
    return FTape ? TJsonValue(FTape, FTape->FNodes[FIndex].End) : TJsonValue();
}
