#pragma once

// Sample code package definitions for tests, tools, benchmarks and fuzzers: a rich one with every
// element kind and every kind of reference, and byte-built definitions that carry one record in each
// older layout.

#include "foundation/GUID.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "model/Data.h"
#include "model/FormatTags.h"
#include "model/TaskModuleObject.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace SampleDefinitions {

// A distinct, recognisable GUID per number.
TGUID SampleGUID(uint32_t Number);

QByteArray SaveToBytes(const TData& Data);
QByteArray SaveToBytes(const TQORObject& Object);
void LoadFromBytes(TData& Data, const QByteArray& Bytes);

template <class T> T* AddElement(TQORList& List)
{
    auto* Item = new T();
    List.Add(Item);
    return Item;
}

// Every element kind, every reference kind (interfaces, the seven data-type lists, a configurator
// in a later code module and a command editor in an earlier one), expanded nodes, tool categories,
// access flags and text outside ASCII that the code page can hold.
void BuildRich(TData& Data);

using TRecordWriter = std::function<void(IQORStream& Stream)>;

void WriteList(IQORStream& Stream, const TGUID& Tag, const std::vector<TRecordWriter>& Records = {});

// A definition with empty properties, the given task result item formats and code modules.
QByteArray Definition(const TGUID& Tag,
                      const std::vector<TRecordWriter>& TaskResultItemFormats,
                      const std::vector<TRecordWriter>& CodeModules);

TRecordWriter CodeModuleRecord(const std::vector<TRecordWriter>& TaskModuleObjects,
                               const std::vector<TRecordWriter>& CommandLineTools = {});

// A task module with empty reference lists, in the layout Tag names.
TRecordWriter TaskModuleRecord(const TGUID& Tag, int32_t StoredType);

// Layout versions of a task module object record, oldest first.
enum TObjectVersion
{
    ovAccessLevel = 1,
    ovNoDelay = 2,
    ovNoCommandEditor = 3,
    ovNoToolCategories = 4,
    ovCurrent = 5,
};

// A task module object in an older (or the current) layout, holding TaskModules. The
// configurator and command editor point at task module 0 of object 0 of code module 0 unless
// told otherwise; the permissions are given as access level (first version) or all four granted.
TRecordWriter TaskModuleObjectRecord(TObjectVersion Version,
                                     int32_t AccessLevel,
                                     const std::vector<TRecordWriter>& TaskModules,
                                     TTaskModulePosition Configurator = {0, 0, 0},
                                     TTaskModulePosition CommandEditor = {0, 0, 0});

// A command line tool: Version 1 (access level), 2 (no categories) or 3 (current).
TRecordWriter CommandLineToolRecord(int Version, int32_t AccessLevel);

// A task result item format in its first layout, with the five retired values.
TRecordWriter TaskResultItemFormatV1Record();

struct TNamedDefinition
{
    QString Name;
    QByteArray Bytes;
};

// One definition per older record layout, each loadable: the document without BetaSoftware, the
// first task result item format, both older task module versions (with the types that they map),
// the four older task module object versions and the two older command line tool versions.
std::vector<TNamedDefinition> OlderLayoutDefinitions();

} // namespace SampleDefinitions
