#pragma once

// A small streaming JSON writer: fields come out in the order they are written (so a definition
// reads in its file's order) with two-space indentation and one value per line. Writing text
// directly keeps large definitions fast where building a document tree first would not be.

#include "foundation/GUID.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

class TJsonWriter
{
public:
    void BeginObject();
    // An object written on one line, for short records that repeat often.
    void BeginInlineObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next value inside an object.
    void Key(std::string_view Name);

    void String(const QString& Value);
    // The 38-character registry form with braces.
    void GUID(const TGUID& Value);
    void Boolean(bool Value);
    void Integer(int64_t Value);
    void Null();

    // Key and value in one call.
    void Field(std::string_view Name, const QString& Value) { Key(Name), String(Value); }
    void Field(std::string_view Name, bool Value) { Key(Name), Boolean(Value); }
    void Field(std::string_view Name, int32_t Value) { Key(Name), Integer(Value); }
    void Field(std::string_view Name, const TGUID& Value) { Key(Name), GUID(Value); }

    // Text that is already JSON, taken as it stands after the value before it: for pieces written
    // once and repeated, which then do not count as values of their own.
    void Raw(QByteArrayView Text) { Put(Text.data(), Text.size()); }

    // Room for Bytes of text, when the caller can tell how much will come.
    void Reserve(qsizetype Bytes) { Room(Bytes); }
    // Hands the text over, ending it with a line break; the writer is empty afterwards.
    QByteArray TakeText();
    // Sends the text to Device whenever Bytes of it have gathered, so that a long text never has to
    // be held whole. Finish then sends the rest with the closing line break and tells whether
    // every write succeeded.
    void StreamTo(QIODevice& Device, qsizetype Bytes);
    bool Finish();

private:
    void BeforeValue();
    void Indent();
    // Makes room for Bytes more and returns where they go; Put then moves the end past them.
    char* Room(qsizetype Bytes)
    {
        if (FText.size() - FUsed < Bytes)
            Grow(Bytes);
        return FText.data() + FUsed;
    }
    void Grow(qsizetype Bytes);
    void Flush();
    void Put(const char* Bytes, qsizetype Size)
    {
        memcpy(Room(Size), Bytes, size_t(Size));
        FUsed += Size;
    }
    void Put(char C)
    {
        *Room(1) = C;
        ++FUsed;
    }

    // The text so far is the first FUsed bytes; the rest is room already made.
    QByteArray FText;
    qsizetype FUsed = 0;
    QIODevice* FDevice = nullptr;
    bool FWriteFailed = false;
    struct TContainer
    {
        bool HasValue = false;
        bool Inline = false;
    };
    std::vector<TContainer> FOpen;
    // Depth of the containers that break lines, for the indentation.
    int FDepth = 0;
    bool FAfterKey = false;
};

// Appends Value to Out as a quoted JSON string, escaping what JSON requires.
void AppendJsonString(QByteArray& Out, const QString& Value);
// Appends Value to Out as a quoted JSON string in the 38-character registry form with braces.
void AppendJsonGUID(QByteArray& Out, const TGUID& Value);
