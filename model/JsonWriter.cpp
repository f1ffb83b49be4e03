#include "model/JsonWriter.h"

void TJsonWriter::Indent()
{
    FText += '\n';
    FText.append(static_cast<qsizetype>(FHasValue.size() * 2), ' ');
}

void TJsonWriter::BeforeValue()
{
    if (FAfterKey) {
        FAfterKey = false;
        return;
    }
    if (FHasValue.empty())
        return;
    if (FHasValue.back())
        FText += ',';
    FHasValue.back() = true;
    Indent();
}

void TJsonWriter::BeginObject()
{
    BeforeValue();
    FText += '{';
    FHasValue.push_back(false);
}

void TJsonWriter::EndObject()
{
    const bool HadValue = FHasValue.back();
    FHasValue.pop_back();
    if (HadValue)
        Indent();
    FText += '}';
}

void TJsonWriter::BeginArray()
{
    BeforeValue();
    FText += '[';
    FHasValue.push_back(false);
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

void AppendJsonString(QByteArray& Out, const QString& Value)
{
    static const char Hex[] = "0123456789abcdef";
    const QByteArray Utf8 = Value.toUtf8();
    Out.reserve(Out.size() + Utf8.size() + 2);
    Out += '"';
    for (const char C : Utf8) {
        const auto Byte = static_cast<unsigned char>(C);
        if (Byte == '"' || Byte == '\\') {
            Out += '\\';
            Out += C;
        } else if (Byte < 0x20) {
            switch (Byte) {
            case '\n':
                Out += "\\n";
                break;
            case '\r':
                Out += "\\r";
                break;
            case '\t':
                Out += "\\t";
                break;
            default:
                Out += "\\u00";
                Out += Hex[Byte >> 4];
                Out += Hex[Byte & 15];
            }
        } else {
            Out += C;
        }
    }
    Out += '"';
}
