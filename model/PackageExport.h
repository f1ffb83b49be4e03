#pragma once

// The code package file: what TData::ExportToFile writes, and the path rules it shares with
// TData::ExportErrorCheck. The package is written only, never read back by this program.

#include "foundation/GUID.h"
#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"
#include "model/PackagePaths.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class TCodeModule;
class TData;
class TSupportFile;

namespace PackageTag {

inline const TGUID File = TGUID::Parse("{3A3FAFEE-72FC-4E6B-9926-346364EE3339}");
inline const TGUID Header = TGUID::Parse("{73C4192B-FF81-4403-A535-55B2E4C53FB0}");
inline const TGUID Body = TGUID::Parse("{1432A206-8F6B-4D7E-B03E-BBE2ECF80807}");
inline const TGUID TaskTypes = TGUID::Parse("{43D130EE-4C74-4B03-94D4-DBC7CCA8EDB5}");
inline const TGUID TaskRecordingTypes = TGUID::Parse("{F991917F-D2B1-480F-9DC5-2F2F74E96ABD}");
inline const TGUID TaskResultItemFormats = TGUID::Parse("{912D224B-07BD-454D-92DB-C1874F1514F6}");
inline const TGUID MediaItemFormats = TGUID::Parse("{745A65ED-55A4-4F78-A5F2-DF61E6362114}");
inline const TGUID InterfaceTypes = TGUID::Parse("{94AF441C-1A1A-4258-BC1B-BBCDDB81350A}");
inline const TGUID Drivers = TGUID::Parse("{00FB6071-2199-49DA-B9C4-B2924A73D7D6}");
inline const TGUID CodeModules = TGUID::Parse("{AF650862-0640-40E0-A547-68F8B53C34A3}");
inline const TGUID TaskModuleObjects = TGUID::Parse("{2D729A87-6FA6-4A8C-AA43-4808703D5905}");
inline const TGUID TaskModules = TGUID::Parse("{579391E4-FCCF-4A50-BCB2-FD46782436A9}");
inline const TGUID CommandLineTools = TGUID::Parse("{0F54786B-8BD1-4423-916E-2C8351E250F2}");
inline const TGUID SupportFiles = TGUID::Parse("{CB153FEA-0A3D-4CA7-A4C0-9E079F7AA8A1}");

} // namespace PackageTag

// The extension of a file name with its dot (".dll"), empty when the name has none.
QString FileExtension(const QString& FileName);

// Where a support file's files are searched: its source folder joined with its name when the
// folder has a drive (or is absolute), otherwise under the code module's folder.
QString SupportFilePattern(const TCodeModule& Module, const TSupportFile& File);
QString SupportFileNotFoundMessage(const QString& Pattern);

struct TSupportFileMatch
{
    // Where the file is read from, as found on this machine.
    QString Source;
    // Where the package installs it, relative to the module, written the Windows way.
    QString Target;
    bool InstallIntoGAC = false;
};

// The files File stands for, in file-name order, as the export finds them; none when its pattern
// matches nothing.
std::vector<TSupportFileMatch> MatchSupportFile(const TCodeModule& Module, const TSupportFile& File);

// Every file the support files of Module stand for, in support-file order and, per support file,
// in file-name order. A pattern without a match raises E_APP_ExportError.
std::vector<TSupportFileMatch> ExpandSupportFiles(const TCodeModule& Module);

QString BetaExportQuestionText();

// How an export stamps its package. By default with a new random export ID, the current time and
// every embedded file's own creation and last-write times. A reproducible export writes Time for
// all of these times and derives the export ID from a hash of everything else it writes, so that
// unchanged content gives the same bytes however the files' times were set (a fresh checkout, a
// touch).
struct TExportStamp
{
    bool Reproducible = false;
    TDateTime Time = 0;
};

// An export stopped on request. Nothing was written: the previous package file, if any, is as it was.
class E_APP_ExportCancelled : public E_QOR_OperationCancelled
{
public:
    using E_QOR_OperationCancelled::E_QOR_OperationCancelled;
};

// Who watches an export, possibly from another thread. Report is called on the exporting thread with
// the bytes of embedded files copied so far, their total and the local name of the file being
// embedded (empty once all are); the last call has Done equal to Total. Setting Cancel makes the
// export stop between two chunks of a file with E_APP_ExportCancelled.
struct TExportProgress
{
    std::function<void(uint64_t Done, uint64_t Total, const QString& File)> Report;
    const std::atomic<bool>* Cancel = nullptr;
};

// What TData::ExportToFile does, stamped as Stamp says, watched by Progress when given.
void ExportPackageFile(const TData& Data,
                       const QString& FileName,
                       const TExportStamp& Stamp,
                       const TExportProgress* Progress = nullptr);

// Refuses, before anything is written, a package file that is the definition file itself (also
// when reached through a link, "." or ".."): the export would replace the definition. Raises
// E_QOR_SavingError naming the definition file.
void RefuseExportOverDefinition(const QString& DefinitionFile, const QString& PackageFile);

// Test seam: called with the local name of each file right after its bytes were copied into the
// package, before the export checks that the file did not change meanwhile. nullptr removes it.
void SetFileEmbeddedHookForTesting(std::function<void(const QString& LocalName)> Hook);
