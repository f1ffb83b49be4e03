#pragma once

// A small streaming JSON writer: fields come out in the order they are written (so a definition
// reads in its file's order) with two-space indentation and one value per line. Writing text
// directly keeps large definitions fast where building a document tree first would not be.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

class TJsonWriter
{
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next value inside an object.
    void Key(const char* Name);

    void String(const QString& Value);
    void Boolean(bool Value);
    void Integer(int64_t Value);
    void Null();

    // Key and value in one call.
    void Field(const char* Name, const QString& Value) { Key(Name), String(Value); }
    void Field(const char* Name, bool Value) { Key(Name), Boolean(Value); }
    void Field(const char* Name, int32_t Value) { Key(Name), Integer(Value); }

    // The text so far; complete once every object and array is ended. Ends with a line break.
    QByteArray Text() const { return FText + '\n'; }

private:
    void BeforeValue();
    void Indent();

    QByteArray FText;
    // Per open container: whether it holds a value yet.
    std::vector<bool> FHasValue;
    bool FAfterKey = false;
};

// Appends Value to Out as a quoted JSON string, escaping what JSON requires.
void AppendJsonString(QByteArray& Out, const QString& Value);
