#pragma once

// The file-system questions the export error check and the export ask: does a file exist, and which
// files match a wildcard pattern. Definitions written on Windows compare names ignoring case; that is
// honoured on every platform, as are their separators (foundation/Paths.h).

#include <QString>
#include <QStringList>

// True for a file (or a link to one); false for a folder, a missing name or an empty one.
bool FileExists(const QString& FileName);

// Whether Name matches the wildcard Pattern: "*" any run of characters, "?" exactly one, case
// ignored. A pattern ending in ".*" also matches the name without the dot ("*.*" matches "README"),
// and one ending in "." matches names that have no dot.
bool MatchesWildcard(const QString& Pattern, const QString& Name);

// The names (without folder) of the files in the folder part of Pattern whose names match its last
// part, in file-name order: ignoring case first, then exact, so the order never depends on the
// directory. Folders, hidden (dot) files and system files (devices, pipes, sockets, broken links)
// never match. "/" and "\" both separate folders. A missing folder matches nothing.
QStringList FindMatchingFiles(const QString& Pattern);
