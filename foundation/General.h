#pragma once

// Small helpers shared by the model, the export and the windows: the program's title and version,
// yes/no text, GUIDs, the UTC clock and capitalisation. The clock and GUID generation go through
// replaceable functions so that tests can fix both.

#include "foundation/GUID.h"
#include "foundation/StreamPrimitives.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

// The program's title, shown in window captions and used as the caption of its questions.
QString ApplicationTitle();
// The program's own version as the build stamped it, "major.minor.release.build".
QString ProgramVersion();

QString BoolToYesNo(bool Value);

// A new GUID from the platform's generator; a generator failure raises E_QOR_UnknownError.
TGUID CreateGUID();
bool IsNullGUID(const TGUID& Value);

// The current date and time in UTC, as days since 1899-12-30 00:00 UTC.
TDateTime NowUTC();

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
