#include "model/JsonWriter.h"

void TJsonWriter::Indent()
{
    FText += '\n';
    FText.append(static_cast<qsizetype>(FDepth * 2), ' ');
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
            FText += ", ";
        Open.HasValue = true;
        return;
    }
    if (Open.HasValue)
        FText += ',';
    Open.HasValue = true;
    Indent();
}

void TJsonWriter::BeginObject()
{
    BeforeValue();
    FText += '{';
    FOpen.push_back({false, false});
    ++FDepth;
}

void TJsonWriter::BeginInlineObject()
{
    BeforeValue();
    FText += '{';
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
    FText += '}';
}

void TJsonWriter::BeginArray()
{
    BeforeValue();
    FText += '[';
    FOpen.push_back({false, false});
    ++FDepth;
}

void TJsonWriter::EndArray()
{
    EndObject();
    FText.back() = ']';
}

void TJsonWriter::Key(const char* Name)
{
    BeforeValue();
    FText += '"';
    FText += Name;
    FText += "\": ";
    FAfterKey = true;
}

void TJsonWriter::String(const QString& Value)
{
    BeforeValue();
    AppendJsonString(FText, Value);
}

void TJsonWriter::GUID(const TGUID& Value)
{
    static const char Hex[] = "0123456789ABCDEF";
    BeforeValue();
    const auto Bytes = Value.ToBytes();
    // Registry order: the three fields little-endian on the stream, shown most significant first.
    static const int Order[16] = {3, 2, 1, 0, -1, 5, 4, -1, 7, 6, -1, 8, 9, -1, 10, 11};
    char Text[40];
    int At = 0;
    Text[At++] = '"';
    Text[At++] = '{';
    for (int I = 0; I < 16; ++I) {
        if (Order[I] < 0) {
            Text[At++] = '-';
            continue;
        }
        Text[At++] = Hex[Bytes[size_t(Order[I])] >> 4];
        Text[At++] = Hex[Bytes[size_t(Order[I])] & 15];
    }
    FText.append(Text, At);
    for (int I = 12; I < 16; ++I) {
        Text[0] = Hex[Bytes[size_t(I)] >> 4];
        Text[1] = Hex[Bytes[size_t(I)] & 15];
        FText.append(Text, 2);
    }
    FText += "}\"";
}

void TJsonWriter::Boolean(bool Value)
{
    BeforeValue();
    FText += Value ? "true" : "false";
}

void TJsonWriter::Integer(int64_t Value)
{
    BeforeValue();
    FText += QByteArray::number(static_cast<qlonglong>(Value));
}

void TJsonWriter::Null()
{
    BeforeValue();
    FText += "null";
}

namespace {

void AppendAscii(QByteArray& Out, char C)
{
    static const char Hex[] = "0123456789abcdef";
    const auto Unit = static_cast<unsigned char>(C);
    if (C == '"' || C == '\\') {
        Out += '\\';
        Out += C;
    } else if (Unit >= 0x20) {
        Out += C;
    } else if (C == '\n') {
        Out += "\\n";
    } else if (C == '\r') {
        Out += "\\r";
    } else if (C == '\t') {
        Out += "\\t";
    } else {
        Out += "\\u00";
        Out += Hex[Unit >> 4];
        Out += Hex[Unit & 15];
    }
}

} // namespace

void AppendJsonString(QByteArray& Out, const QString& Value)
{
    Out += '"';
    const char16_t* Units = reinterpret_cast<const char16_t*>(Value.utf16());
    const qsizetype Size = Value.size();
    for (qsizetype I = 0; I < Size; ++I) {
        if (Units[I] < 0x80) {
            AppendAscii(Out, char(Units[I]));
            continue;
        }
        // Beyond ASCII the rest goes through the codec; its multi-byte sequences need no escapes.
        for (const char Byte : QStringView(Units + I, Size - I).toUtf8()) {
            if (static_cast<unsigned char>(Byte) < 0x80)
                AppendAscii(Out, Byte);
            else
                Out += Byte;
        }
        break;
    }
    Out += '"';
}
