#pragma once

// Small helpers shared by the model, the export and the windows: yes/no text, GUIDs, the UTC clock,
// paths, capitalisation and the counted busy cursor. The clock and GUID generation go through
// replaceable functions so that tests can fix both.

#include "foundation/GUID.h"
#include "foundation/StreamPrimitives.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

// The program's title, shown in window captions and used as the caption of its questions.
QString ApplicationTitle();
// The program's own version as the build stamped it, "major.minor.patch".
QString ProgramVersion();

QString BoolToYesNo(bool Value);

// A new GUID from the platform's generator; a generator failure raises E_QOR_UnknownError.
TGUID CreateGUID();
bool IsNullGUID(const TGUID& Value);

// The current date and time in UTC, as days since 1899-12-30 00:00 UTC.
TDateTime NowUTC();

// Name when Directory is empty; Directory without its trailing delimiter when Name is empty;
// otherwise Directory, exactly one delimiter, Name. Either separator counts as a trailing delimiter,
// so definitions written on Windows combine as they did there.
QString CombinePath(const QString& Directory, const QString& Name);
// Everything before the last delimiter of FileName, without that delimiter; a root stays a root.
QString ExtractDirectory(const QString& FileName);
// True for "X:" and "\\server" prefixes (written on Windows), and on POSIX for any absolute path.
bool HasDrive(const QString& FileName);
// The long form of a path. Only Windows has short names; elsewhere the name comes back unchanged.
QString GetLongPathName(const QString& FileName);

// Upper-cases the first character when it is one of a to z.
QString CapitaliseFirst(const QString& Text);
// Upper-cases the first character and every character after a space when it is one of a to z.
QString CapitaliseWords(const QString& Text);

// Test seams: nullptr restores the system clock or the platform generator. A generator answers
// nothing to simulate a failure.
using TUTCClock = std::function<QDateTime()>;
using TGUIDGenerator = std::function<std::optional<TGUID>()>;
void SetClockForTesting(TUTCClock Clock);
void SetGUIDGeneratorForTesting(TGUIDGenerator Generator);

// What shows the busy state on screen. The GUI installs one; without one the count is kept and
// nothing is shown.
class IBusyCursorBackend
{
public:
    virtual ~IBusyCursorBackend() = default;
    // Called when the count leaves 0 (true) and when it returns to 0 (false).
    virtual void SetBusy(bool Busy) = 0;
};

// Installs Backend (not owned; nullptr for none) and returns the previous one. A backend installed
// while the count is above 0 takes over the busy state at once.
IBusyCursorBackend* SetBusyCursorBackend(IBusyCursorBackend* Backend);

void IncBusyCursor();
// Raises E_QOR "Invalid call to DecBusyCursor." when the count would drop below 0.
void DecBusyCursor();
int BusyCursorCount();

// Holds the busy cursor for the lifetime of the object.
class TBusyCursor
{
public:
    TBusyCursor() { IncBusyCursor(); }
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};
