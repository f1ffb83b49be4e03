#pragma once

// The file-system questions the export error check and the export ask: does a file exist, and which
// files match a wildcard pattern. Definitions written on Windows carry backslashes and compare names
// ignoring case; both are honoured on every platform.

#include <QString>
#include <QStringList>

// The name as this platform opens it. On POSIX a name with backslashes that does not exist as
// written is taken with "/" in their place.
QString LocalFilePath(const QString& FileName);

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

// Everything up to and including the last "/" or "\" (on Windows also ":") of FileName, or its
// leading drive ("C:") when it has no separator; empty when there is neither.
QString FolderPart(const QString& FileName);
