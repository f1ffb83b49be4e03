#include "model/JsonWriter.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// The text of Units as a JSON string with its quotes, at To, which has room for 2 + 6 * Size bytes
// (the longest escape is six bytes for one unit). Returns the end of what was written.
char* PutJsonString(char* To, const char16_t* Units, qsizetype Size)
{
    static const char Hex[] = "0123456789abcdef";
    *To++ = '"';
    for (qsizetype I = 0; I < Size; ++I) {
        const char16_t Unit = Units[I];
        if (Unit < 0x7F) {
            if (Unit >= 0x20 && Unit != '"' && Unit != '\\') {
                *To++ = char(Unit);
                continue;
            }
            *To++ = '\\';
            switch (Unit) {
            case '"':
            case '\\':
                *To++ = char(Unit);
                break;
            case '\n':
                *To++ = 'n';
                break;
            case '\r':
                *To++ = 'r';
                break;
            case '\t':
                *To++ = 't';
                break;
            default:
                memcpy(To, "u00", 3);
                To[3] = Hex[Unit >> 4];
                To[4] = Hex[Unit & 15];
                To += 5;
            }
        } else if (Unit == 0x7F || (Unit >= 0x80 && Unit <= 0x9F) || Unit == 0x061C || Unit == 0x200E ||
                   Unit == 0x200F || (Unit >= 0x202A && Unit <= 0x202E) || (Unit >= 0x2066 && Unit <= 0x2069)) {
            // DEL, C1 controls and the marks that reorder text are escaped too, although JSON allows
            // them raw: the text is often read on a terminal, which would act on them.
            memcpy(To, "\\u", 2);
            To[2] = Hex[Unit >> 12];
            To[3] = Hex[(Unit >> 8) & 15];
            To[4] = Hex[(Unit >> 4) & 15];
            To[5] = Hex[Unit & 15];
            To += 6;
        } else if (Unit < 0x800) {
            *To++ = char(0xC0 | (Unit >> 6));
            *To++ = char(0x80 | (Unit & 0x3F));
        } else if (Unit < 0xD800 || Unit > 0xDFFF) {
            *To++ = char(0xE0 | (Unit >> 12));
            *To++ = char(0x80 | ((Unit >> 6) & 0x3F));
            *To++ = char(0x80 | (Unit & 0x3F));
        } else if (Unit < 0xDC00 && I + 1 < Size && Units[I + 1] >= 0xDC00 && Units[I + 1] <= 0xDFFF) {
            const char32_t Point = 0x10000 + ((char32_t(Unit) - 0xD800) << 10) + (Units[I + 1] - 0xDC00);
            ++I;
            *To++ = char(0xF0 | (Point >> 18));
            *To++ = char(0x80 | ((Point >> 12) & 0x3F));
            *To++ = char(0x80 | ((Point >> 6) & 0x3F));
            *To++ = char(0x80 | (Point & 0x3F));
        } else {
            // A lone surrogate: whatever the codec makes of it (its replacement is three bytes).
            const QByteArray Replaced = QStringView(Units + I, 1).toUtf8();
            const qsizetype Length = std::min<qsizetype>(Replaced.size(), 3);
            memcpy(To, Replaced.constData(), size_t(Length));
            To += Length;
        }
    }
    *To++ = '"';
    return To;
}

} // namespace

void TJsonWriter::Grow(qsizetype Bytes)
{
    if (FDevice && FUsed > 0) {
        Flush();
        if (FText.size() >= Bytes)
            return;
    }
    FText.resize(std::max(FUsed + Bytes, std::max<qsizetype>(FText.size() * 2, 4096)));
}

QByteArray TJsonWriter::TakeText()
{
    Put('\n');
    FText.resize(FUsed);
    FUsed = 0;
    return std::exchange(FText, QByteArray());
}

void TJsonWriter::StreamTo(QIODevice& Device, qsizetype Bytes)
{
    FDevice = &Device;
    FText.resize(Bytes);
}

void TJsonWriter::Flush()
{
    if (!FWriteFailed && FDevice->write(FText.constData(), FUsed) != FUsed)
        FWriteFailed = true;
    FUsed = 0;
}

bool TJsonWriter::Finish()
{
    Put('\n');
    Flush();
    return !FWriteFailed;
}

void TJsonWriter::Indent()
{
    char* To = Room(1 + FDepth * 2);
    *To = '\n';
    memset(To + 1, ' ', size_t(FDepth * 2));
    FUsed += 1 + FDepth * 2;
}

void TJsonWriter::BeforeValue()
{
    if (FAfterKey) {
        FAfterKey = false;
        return;
    }
    if (FOpen.empty())
        return;
    TContainer& Open = FOpen.back();
    if (Open.Inline) {
        if (Open.HasValue)
            Put(", ", 2);
        Open.HasValue = true;
        return;
    }
    if (Open.HasValue)
        Put(',');
    Open.HasValue = true;
    Indent();
}

void TJsonWriter::BeginObject()
{
    BeforeValue();
    Put('{');
    FOpen.push_back({false, false});
    ++FDepth;
}

void TJsonWriter::BeginInlineObject()
{
    BeforeValue();
    Put('{');
    FOpen.push_back({false, true});
}

void TJsonWriter::EndObject()
{
    const TContainer Closed = FOpen.back();
    FOpen.pop_back();
    if (!Closed.Inline) {
        --FDepth;
        if (Closed.HasValue)
            Indent();
    }
    Put('}');
}

void TJsonWriter::BeginArray()
{
    BeforeValue();
    Put('[');
    FOpen.push_back({false, false});
    ++FDepth;
}

void TJsonWriter::EndArray()
{
    EndObject();
    FText[FUsed - 1] = ']';
}

void TJsonWriter::Key(std::string_view Name)
{
    BeforeValue();
    const qsizetype Length = qsizetype(Name.size());
    char* To = Room(Length + 4);
    *To = '"';
    memcpy(To + 1, Name.data(), size_t(Length));
    memcpy(To + 1 + Length, "\": ", 3);
    FUsed += Length + 4;
    FAfterKey = true;
}

void TJsonWriter::String(const QString& Value)
{
    BeforeValue();
    char* To = Room(2 + 6 * Value.size());
    FUsed = PutJsonString(To, reinterpret_cast<const char16_t*>(Value.utf16()), Value.size()) - FText.data();
}

namespace {

// Value's 40 bytes, quotes included, at To.
void PutJsonGUID(char* To, const TGUID& Value)
{
    // Every byte's two digits, looked up at once.
    static const auto Digits = [] {
        std::array<char, 512> Pairs{};
        const char Hex[] = "0123456789ABCDEF";
        for (int Byte = 0; Byte < 256; ++Byte) {
            Pairs[size_t(Byte) * 2] = Hex[Byte >> 4];
            Pairs[size_t(Byte) * 2 + 1] = Hex[Byte & 15];
        }
        return Pairs;
    }();
    const auto Bytes = Value.ToBytes();
    const auto Put = [&](size_t At) {
        memcpy(To, &Digits[size_t(Bytes[At]) * 2], 2);
        To += 2;
    };
    // Registry order: the three fields little-endian on the stream, shown most significant first.
    memcpy(To, "\"{", 2);
    To += 2;
    Put(3), Put(2), Put(1), Put(0);
    *To++ = '-';
    Put(5), Put(4);
    *To++ = '-';
    Put(7), Put(6);
    *To++ = '-';
    Put(8), Put(9);
    *To++ = '-';
    for (size_t At = 10; At < 16; ++At)
        Put(At);
    memcpy(To, "}\"", 2);
}

} // namespace

void TJsonWriter::GUID(const TGUID& Value)
{
    BeforeValue();
    PutJsonGUID(Room(40), Value);
    FUsed += 40;
}

void TJsonWriter::Boolean(bool Value)
{
    BeforeValue();
    if (Value)
        Put("true", 4);
    else
        Put("false", 5);
}

void TJsonWriter::Integer(int64_t Value)
{
    BeforeValue();
    char Digits[24];
    char* End = Digits + sizeof(Digits);
    char* At = End;
    uint64_t Magnitude = Value < 0 ? 0 - uint64_t(Value) : uint64_t(Value);
    do {
        *--At = char('0' + Magnitude % 10);
        Magnitude /= 10;
    } while (Magnitude);
    if (Value < 0)
        *--At = '-';
    Put(At, End - At);
}

void TJsonWriter::Null()
{
    BeforeValue();
    Put("null", 4);
}

void AppendJsonString(QByteArray& Out, const QString& Value)
{
    const qsizetype Start = Out.size();
    Out.resize(Start + 2 + 6 * Value.size());
    char* End = PutJsonString(Out.data() + Start, reinterpret_cast<const char16_t*>(Value.utf16()), Value.size());
    Out.resize(End - Out.constData());
}

void AppendJsonGUID(QByteArray& Out, const TGUID& Value)
{
    const qsizetype Start = Out.size();
    Out.resize(Start + 40);
    PutJsonGUID(Out.data() + Start, Value);
}
