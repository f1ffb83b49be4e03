#pragma once

// The fields of a definition's JSON text, one table per element class: each field once, with its
// JSON name, its kind and how to reach it in an element. The writer, the reader and the diff of two
// definitions all walk these tables, so a new field is added here and nowhere else.
//
// Elements are handed around as untyped pointers to the class the table describes (the package
// itself for the top table); the table's accessors turn them back.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>
#include <string_view>

class TData;
struct TGUID;
class TQORList;
class TQORObject;

enum class TJsonFieldKind : uint8_t
{
    // The text's "Format" and "Version" marks: fixed values, not stored in the package.
    FormatMark,
    VersionMark,
    Text,        // QString
    Flag,        // bool
    Integer,     // int32_t
    GUID,        // TGUID
    Enumeration, // an enumeration, as its display text or (outside the table) its number
    Strings,     // QStringList
    Expanded,    // the element's own Expanded flag
    Owned,       // a list owning its items: {"Expanded", "Items": [item objects]}
    References,  // a list of references: {"Expanded", "Items": [{"Index", "ID", "Name"}]}
    TaskModule   // TTaskModule*: the task module's position, ID, name and type, or null
};

// Where the diff of two definitions shows a field, when not where the text has it.
enum class TJsonShown : uint8_t
{
    InPlace,
    AfterNext, // after the field that follows it in the text
    AtEnd      // after every other field of the element
};

struct TJsonEnumeration
{
    bool (*IsValid)(int32_t);
    QString (*Text)(int32_t);
    const QStringList& (*Texts)();
};

struct TJsonTable;

struct TJsonField
{
    std::string_view Name;
    TJsonFieldKind Kind;
    // The field inside an element: QString, bool, int32_t, TGUID, QStringList, TQORList or
    // TTaskModule* as the kind says. None for the marks, Expanded and enumerations.
    void* (*Member)(void* Element) = nullptr;
    // Enumerations, as their stored number.
    const TJsonEnumeration* Enumeration = nullptr;
    int32_t (*GetNumber)(const void* Element) = nullptr;
    void (*SetNumber)(void* Element, int32_t Value) = nullptr;
    // Owned lists: the items' table, item I, and a new item added at the end.
    const TJsonTable* Items = nullptr;
    void* (*Item)(const TQORList& List, int32_t I) = nullptr;
    void* (*AddItem)(TQORList& List) = nullptr;
    // Reference lists: the package-level list the positions count in, and the ID and name of its
    // item I.
    const TQORList& (*Source)(const TData& Data) = nullptr;
    const TGUID& (*SourceID)(const TQORList& Source, int32_t I) = nullptr;
    const QString& (*SourceName)(const TQORList& Source, int32_t I) = nullptr;
    TJsonShown Shown = TJsonShown::InPlace;
};

struct TJsonTable
{
    // The class described, for messages.
    const char* Class;
    // In the order the text has them, which is the definition file's.
    std::span<const TJsonField> Fields;
    // The element as the object that carries Expanded; none for the package.
    TQORObject* (*Object)(void* Element) = nullptr;
};

// The table of the package; the others hang from its list fields.
const TJsonTable& PackageJsonTable();
// Every table, the package's first.
std::span<const TJsonTable* const> AllJsonTables();
