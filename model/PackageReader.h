#pragma once

// Reads a code package file back: the header, every section with its elements, and where each
// embedded file lies, without holding embedded files in memory. Every package is treated as
// hostile: each size block, tag, count and string is checked against what is left of its block and
// of the file, nothing may trail, and what is allocated never exceeds what the file can hold.
// A package that breaks the layout raises E_QOR_LoadingError naming the offset and what was
// expected there.
//
// Memory: what the reader keeps is bounded by the package's bytes outside its embedded files
// (its metadata): about 1 byte per byte for ordinary packages, and never more than 8 for any
// package, however its records are shaped, plus one read buffer of up to 1 MiB while hashing.
// Embedded files are never held.

#include "foundation/GUID.h"
#include "foundation/StreamPrimitives.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;

struct TPackageHeader
{
    TGUID ID;
    TGUID ExportID;
    QString Name;
    QString Description;
    QString AboutInformation;
    QString Creator;
    QString SubCreator;
    TDateTime ExportTime = 0;
    bool AllowExportFromLMS = false;
    bool BetaSoftware = false;
    std::vector<TGUID> TaskModuleObjectIDs;
};

// The lists a package holds, in the order they first appear in the file.
enum class TPackageList : uint8_t
{
    TaskTypes,
    TaskRecordingTypes,
    TaskResultItemFormats,
    MediaItemFormats,
    InterfaceTypes,
    Drivers,
    CodeModules,
    TaskModuleObjects,
    TaskModules,
    CommandLineTools,
    SupportFiles,
};

// "Task types", "Code modules", "Task module objects", ...
QString PackageListName(TPackageList List);

struct TPackageSection
{
    TPackageList List = TPackageList::TaskTypes;
    // The element the section belongs to, an index into TPackageContents::Elements; -1 at package
    // level.
    int32_t Owner = -1;
    int32_t Count = 0;
    int64_t Offset = 0;

    QString Name() const { return PackageListName(List); }
};

// Elements are kept as their owner, list and name rather than as whole paths, so that a package
// whose elements sit deep below long names costs no more memory than its file's bytes;
// TPackageContents::PathOf spells the path out when it is wanted.
struct TPackageElement
{
    // The element that holds this one, an index into TPackageContents::Elements; -1 for the elements
    // of the package's own lists.
    int32_t Owner = -1;
    TPackageList List = TPackageList::TaskTypes;
    TGUID ID;
    QString Name;
};

struct TPackageEmbeddedFile
{
    // "driver", "code module" or "support file".
    QString Kind;
    // The element that carries it, as a path.
    QString Owner;
    // Where the package installs it, "\" separating folders: the file name of a driver or code
    // module, the target path of a support file.
    QString Target;
    TDateTime Created = 0;
    TDateTime LastWritten = 0;
    // Where its bytes start in the package file, and how many there are.
    int64_t Offset = 0;
    uint32_t Size = 0;
    // Filled only when the reader was asked to hash.
    QByteArray SHA256;
};

struct TPackageCodeModule
{
    // The element's path, as in TPackageContents::Elements.
    QString Path;
    // The module's file name, or the full path of a linked module.
    QString Reference;
    bool Linked = false;
    // Where the module was taken from when the package was made.
    QString SourcePath;
};

// The lists are double-ended queues: they grow a block at a time, never by copying themselves
// whole into a buffer twice the size.
struct TPackageContents
{
    int64_t FileSize = 0;
    uint32_t HeaderSize = 0;
    uint32_t BodySize = 0;
    TPackageHeader Header;
    std::deque<TPackageSection> Sections;
    std::deque<TPackageElement> Elements;
    std::deque<TPackageCodeModule> CodeModules;
    std::deque<TPackageEmbeddedFile> Files;

    // The readable path of an element, "Code modules/Engine/Task module objects/Viewer"; a name
    // longer than 256 characters is cut short there with "...". Empty for -1.
    QString PathOf(int32_t Element) const;
};

// Computes the SHA-256 of one embedded file, fed piece by piece.
class IPackageHasher
{
public:
    virtual ~IPackageHasher() = default;
    virtual void Add(const char* Bytes, int64_t Count) = 0;
    virtual QByteArray Result() = 0;
};
using TPackageHasherFactory = std::function<std::unique_ptr<IPackageHasher>()>;

struct TPackageReadOptions
{
    // Hash each embedded file (read through once); otherwise its bytes are skipped unread.
    bool HashFiles = false;
    // Where the hashes come from; Qt's SHA-256 when unset. A program with a faster implementation at
    // hand may bring it.
    TPackageHasherFactory Hasher;
};

TPackageContents ReadPackage(QIODevice& Device, const TPackageReadOptions& Options = {});
// Opens FileName for reading; a failure to open raises E_QOR_ErrorOpeningFileForReading.
TPackageContents ReadPackageFile(const QString& FileName, const TPackageReadOptions& Options = {});

// Copies Size bytes from Offset of Source to Target in pieces; false when either side fails.
bool CopyDeviceRange(QIODevice& Source, int64_t Offset, int64_t Size, QIODevice& Target);
// Whether Size bytes at Offset of Source equal the whole of Other.
bool DeviceRangeEquals(QIODevice& Source, int64_t Offset, int64_t Size, QIODevice& Other);

// Where Target lands under a folder, as "/"-separated relative path, or empty when it must be
// refused: absolute, with a drive, empty, or climbing out through "..".
QString SafeRelativeTarget(const QString& Target);
