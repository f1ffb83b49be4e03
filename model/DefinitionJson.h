#pragma once

// A definition as JSON text, for review and version control: every field of every element in the
// order of the definition file, every Expanded flag, and references as the position, ID and name of
// what they point to. Reading the text back gives a package that saves to the same definition file
// byte for byte. docs/definition-json.schema.json describes the format.

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <memory>

class TData;

// The value of the "Format" field that marks the text.
inline constexpr const char* DefinitionJsonFormat = "quillon-definition";
// The value of its "Version" field.
inline constexpr int32_t DefinitionJsonVersion = 1;

QByteArray DefinitionToJson(const TData& Data);
// The same text written to Device a part at a time, for texts too long to want in memory whole.
// Returns false when Device refused a write.
bool WriteDefinitionJson(const TData& Data, QIODevice& Device);

// Replaces Data's content with the definition in Json. A text that is not JSON raises
// E_QOR_LoadingError with the line, the column and what was expected there; a value of the wrong
// kind or a reference that leads nowhere raises it with the path of the value; the first such fault
// in the text's order is named, and only once the whole text is known to be JSON. Members may come
// in any order, those of no field are passed over, and a member given twice counts with its last
// value (each must be valid). Data is left unchanged on failure.
void DefinitionFromJson(TData& Data, const QByteArray& Json);
// The package Json describes, only to be saved: it saves to the very definition file that
// DefinitionFromJson's package saves to, without first passing through one (so it may still hold,
// say, text the file's code page cannot carry). Fails as DefinitionFromJson does.
std::unique_ptr<TData> PackageForSavingFromJson(const QByteArray& Json);

// Whether Bytes start like JSON text rather than a definition file (which starts with a binary tag).
bool LooksLikeJson(const QByteArray& Bytes);

// The line and column (both from 1) of byte Offset in Text.
struct TTextPosition
{
    int Line = 1;
    int Column = 1;
};
TTextPosition TextPositionOf(const QByteArray& Text, qsizetype Offset);
