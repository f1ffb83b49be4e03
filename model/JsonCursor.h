#pragma once

// JSON text read front to back, a token at a time, by a reader that knows what it expects next:
// nothing is built in between, and strings stay in the text until asked for. Every step checks the
// syntax as it goes; text that is not JSON raises TJsonSyntaxError where it stops being JSON.

#include <QByteArray>
#include <QJsonParseError>
#include <QString>
#include <QtGlobal>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

// Steps over the JSON string whose opening quote is just behind At, leaving At past its closing
// quote and telling whether the string holds escapes. On failure At is at the fault.
QJsonParseError::ParseError ScanJsonString(const char*& At, const char* End, bool& Escaped);
// The text of a string that ScanJsonString passed, given by the bytes between its quotes.
QString DecodeJsonString(const char* At, qsizetype Length, bool Escaped);

// Where the text stops being JSON: the offset of the offending byte and what went wrong there.
struct TJsonSyntaxError
{
    qsizetype Offset = 0;
    QJsonParseError::ParseError Error = QJsonParseError::NoError;
};

// A string of the text: the bytes between its quotes.
struct TJsonString
{
    const char* At = nullptr;
    qsizetype Length = 0;
    bool Escaped = false;

    QString Text() const { return DecodeJsonString(At, Length, Escaped); }
    // Whether the string is the ASCII text Expected.
    bool Is(std::string_view Expected) const
    {
        if (!Escaped)
            return Length == qsizetype(Expected.size()) && memcmp(At, Expected.data(), Expected.size()) == 0;
        return Text() == QLatin1String(Expected.data(), qsizetype(Expected.size()));
    }
};

// A number of the text, checked against JSON's grammar.
struct TJsonNumber
{
    double Value = 0;
};

class TJsonCursor
{
public:
    // Deeper texts are refused rather than risking the stack.
    static constexpr int NestingLimit = 1024;

    // Text must outlive the cursor. A byte-order mark before the text is passed over.
    explicit TJsonCursor(const QByteArray& Text)
        : FBegin(Text.constData()), FAt(Text.constData()), FEnd(Text.constData() + Text.size())
    {
        if (FEnd - FAt >= 3 && memcmp(FAt, "\xEF\xBB\xBF", 3) == 0)
            FAt += 3;
    }

    // The first byte of the next token, whitespace passed over; '\0' at the end of the text.
    char Next()
    {
        SkipSpace();
        return FAt == FEnd ? '\0' : *FAt;
    }
    qsizetype Offset() const { return FAt - FBegin; }

    // Objects: Enter at '{'; then FirstMember once and NextMember after each member's value tell
    // whether a member follows, whose name Key (or TryKey) then reads with its ':'. The closing
    // brace is taken by the call that answers false.
    void EnterObject() { Enter(); }
    bool FirstMember()
    {
        SkipSpace();
        if (FAt != FEnd && *FAt == '}') {
            ++FAt;
            --FDepth;
            return false;
        }
        if (FAt == FEnd || *FAt != '"')
            Fail(QJsonParseError::UnterminatedObject);
        return true;
    }
    Q_ALWAYS_INLINE bool NextMember()
    {
        SkipSpace();
        if (FAt != FEnd && *FAt == ',') {
            ++FAt;
            SkipSpace();
            if (FAt == FEnd || *FAt != '"')
                Fail(FAt != FEnd && *FAt == '}' ? QJsonParseError::MissingObject : QJsonParseError::UnterminatedObject);
            return true;
        }
        if (FAt != FEnd && *FAt == '}') {
            ++FAt;
            --FDepth;
            return false;
        }
        Fail(QJsonParseError::UnterminatedObject);
    }
    TJsonString Key()
    {
        const TJsonString Name = String();
        NameSeparator();
        return Name;
    }
    // Takes the member name when it is Name as it stands (ASCII, no escapes), and tells whether
    // it was; otherwise leaves the name to Key.
    Q_ALWAYS_INLINE bool TryKey(std::string_view Name)
    {
        const size_t Size = Name.size();
        if (size_t(FEnd - FAt) < Size + 2 || FAt[Size + 1] != '"' || !SameBytes(FAt + 1, Name.data(), Size))
            return false;
        FAt += Size + 2;
        NameSeparator();
        return true;
    }

    // Arrays likewise: Enter at '[', FirstElement once, NextElement after each element.
    void EnterArray() { Enter(); }
    bool FirstElement()
    {
        SkipSpace();
        if (FAt == FEnd)
            Fail(QJsonParseError::UnterminatedArray);
        if (*FAt == ']') {
            ++FAt;
            --FDepth;
            return false;
        }
        return true;
    }
    bool NextElement()
    {
        SkipSpace();
        if (FAt != FEnd && *FAt == ']') {
            ++FAt;
            --FDepth;
            return false;
        }
        if (FAt != FEnd && *FAt == ',') {
            ++FAt;
            SkipSpace();
            if (FAt == FEnd)
                Fail(QJsonParseError::UnterminatedArray);
            return true;
        }
        Fail(FAt == FEnd ? QJsonParseError::UnterminatedArray : QJsonParseError::MissingValueSeparator);
    }

    // Values of a kind the caller has seen with Next.
    TJsonString String()
    {
        ++FAt;
        TJsonString Span;
        Span.At = FAt;
        if (const QJsonParseError::ParseError Error = ScanJsonString(FAt, FEnd, Span.Escaped);
            Error != QJsonParseError::NoError)
            Fail(Error);
        Span.Length = FAt - 1 - Span.At;
        return Span;
    }
    bool Boolean()
    {
        const bool Value = *FAt == 't';
        Literal(Value ? std::string_view("true") : std::string_view("false"));
        return Value;
    }
    void Null() { Literal("null"); }
    TJsonNumber Number()
    {
        // The common case, a short whole number, is read here; anything else by the full grammar.
        const char* Digits = FAt + (*FAt == '-');
        const char* At = Digits;
        int64_t Magnitude = 0;
        while (At != FEnd && *At >= '0' && *At <= '9' && At - Digits < 15)
            Magnitude = Magnitude * 10 + (*At++ - '0');
        if (At == Digits || At == FEnd || (*Digits == '0' && At - Digits > 1) || *At == '.' || *At == 'e' ||
            *At == 'E' || (*At >= '0' && *At <= '9'))
            return NumberInFull();
        const bool Negative = FAt != Digits;
        FAt = At;
        return {Negative ? -double(Magnitude) : double(Magnitude)};
    }
    // Any value at all, checked and passed over.
    void SkipValue();

    // The whole text as one value with only whitespace after it: the check that tells a text
    // that is JSON from one that is not, without reading anything.
    void SkipDocument();
    // Only whitespace may follow.
    void End()
    {
        SkipSpace();
        if (FAt != FEnd)
            Fail(QJsonParseError::GarbageAtEnd);
    }

    [[noreturn]] void Fail(QJsonParseError::ParseError What) const;

private:
    Q_ALWAYS_INLINE void SkipSpace()
    {
        // Most tokens follow the last at once, and every whitespace byte is at most a space.
        while (FAt != FEnd && static_cast<unsigned char>(*FAt) <= ' ') {
            const char C = *FAt;
            if (C != ' ' && C != '\n' && C != '\r' && C != '\t')
                return;
            ++FAt;
            // Indentation comes in long runs of spaces: eight at a time, and the last few at once.
            constexpr uint64_t Spaces = 0x2020202020202020u;
            while (FEnd - FAt >= 8) {
                uint64_t Word;
                memcpy(&Word, FAt, 8);
                if (const uint64_t Other = Word ^ Spaces) {
                    FAt += (std::endian::native == std::endian::little ? std::countr_zero(Other)
                                                                       : std::countl_zero(Other)) /
                           8;
                    break;
                }
                FAt += 8;
            }
        }
    }
    // Whether the Size bytes at A and B are equal: the short member names, compared a word at a time
    // without a call.
    static bool SameBytes(const char* A, const char* B, size_t Size)
    {
        const auto Load8 = [](const char* At) {
            uint64_t Word;
            memcpy(&Word, At, 8);
            return Word;
        };
        const auto Load4 = [](const char* At) {
            uint32_t Word;
            memcpy(&Word, At, 4);
            return Word;
        };
        if (Size >= 8) {
            for (size_t I = 0; I + 8 <= Size; I += 8)
                if (Load8(A + I) != Load8(B + I))
                    return false;
            return Load8(A + Size - 8) == Load8(B + Size - 8);
        }
        if (Size >= 4)
            return Load4(A) == Load4(B) && Load4(A + Size - 4) == Load4(B + Size - 4);
        for (size_t I = 0; I < Size; ++I)
            if (A[I] != B[I])
                return false;
        return true;
    }
    void Enter()
    {
        if (++FDepth > NestingLimit)
            Fail(QJsonParseError::DeepNesting);
        ++FAt;
    }
    Q_ALWAYS_INLINE void NameSeparator()
    {
        // As the writer has it: a colon and a space.
        if (FEnd - FAt >= 3 && FAt[0] == ':' && FAt[1] == ' ' && static_cast<unsigned char>(FAt[2]) > ' ') {
            FAt += 2;
            return;
        }
        SkipSpace();
        if (FAt == FEnd || *FAt != ':')
            Fail(QJsonParseError::MissingNameSeparator);
        ++FAt;
        SkipSpace();
        if (FAt == FEnd)
            Fail(QJsonParseError::UnterminatedObject);
    }
    void Literal(std::string_view Text)
    {
        if (size_t(FEnd - FAt) < Text.size() || memcmp(FAt, Text.data(), Text.size()) != 0)
            Fail(QJsonParseError::IllegalValue);
        FAt += Text.size();
    }
    TJsonNumber NumberInFull();

    const char* FBegin;
    const char* FAt;
    const char* FEnd;
    int FDepth = 0;
};
