#pragma once

// JSON text parsed in one pass into a flat list of values, in the order of the text: an object's
// members or an array's elements follow it, each remembering where its own contents end. Strings
// stay in the text until asked for, so reading a large definition allocates little beyond the list.

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonParseError>
#include <QString>

#include <cstdint>
#include <vector>

class TJsonTape;

// Steps over the JSON string whose opening quote is just behind At, leaving At past its closing
// quote and telling whether the string holds escapes. On failure At is at the fault.
QJsonParseError::ParseError ScanJsonString(const char*& At, const char* End, bool& Escaped);
// The text of a string that ScanJsonString passed, given by the bytes between its quotes.
QString DecodeJsonString(const char* At, qsizetype Length, bool Escaped);

// Where the parse stopped: the byte offset of the offending character and what went wrong there.
struct TJsonTapeError
{
    qsizetype Offset = 0;
    QJsonParseError::ParseError Error = QJsonParseError::NoError;
};

// One value of a tape, or none (a member that is not there).
class TJsonValue
{
public:
    TJsonValue() = default;

    bool isUndefined() const { return !FTape; }
    bool isNull() const;
    bool isBool() const;
    bool isDouble() const;
    bool isString() const;
    bool isArray() const;
    bool isObject() const;

    bool toBool() const;
    double toDouble(double Default = 0) const;
    QString toString() const;
    // The bytes of a string without escapes as they stand in the text; empty for anything else.
    QByteArrayView RawText() const;
    // Whether the value is a string equal to the ASCII text Text.
    bool IsText(const char* Text) const;

    // The member Name of an object (the last one, if the text has it twice), or none.
    TJsonValue value(const char* Name) const;
    bool contains(const char* Name) const { return !value(Name).isUndefined(); }
    // The number of elements of an array, or members of an object.
    qsizetype size() const;
    // The first element of an array; Next then steps along its elements.
    TJsonValue First() const;
    TJsonValue Next() const;

private:
    friend class TJsonTape;
    TJsonValue(const TJsonTape* Tape, uint32_t Index) : FTape(Tape), FIndex(Index) {}

    const TJsonTape* FTape = nullptr;
    uint32_t FIndex = 0;
};

class TJsonTape
{
public:
    // Parses Text, which must outlive the tape. Returns false and fills Error if it is not JSON.
    bool Parse(const QByteArray& Text, TJsonTapeError& Error);
    TJsonValue Root() const { return FNodes.empty() ? TJsonValue() : TJsonValue(this, 0); }

private:
    friend class TJsonValue;
    friend class TJsonTapeParser;

    enum TKind : uint8_t
    {
        Null,
        False,
        True,
        Number,
        String,
        Array,
        Object
    };
    struct TNode
    {
        TKind Kind = Null;
        // The string, or the member name, holds escapes and must be decoded.
        bool Escaped = false;
        bool KeyEscaped = false;
        // Member name: bytes of the text between its quotes.
        uint32_t KeyStart = 0;
        uint32_t KeyLength = 0;
        // The node after this value's contents.
        uint32_t End = 0;
        union {
            // Strings: bytes of the text between the quotes. Arrays and objects: Count values.
            struct
            {
                uint32_t Start;
                uint32_t Length;
            } Span;
            uint32_t Count;
            double Value;
        };
    };

    QString Decode(uint32_t Start, uint32_t Length, bool Escaped) const;
    bool KeyIs(const TNode& Node, const char* Name, size_t Length) const;

    const char* FText = nullptr;
    std::vector<TNode> FNodes;
};
