#pragma once

// The rules for file names. Definitions written on Windows carry "\" and drive letters, so both
// separators and a leading drive are honoured on every platform; local files are then opened with
// the platform's own separator (LocalFilePath).

#include <QString>

// "/" or "\", on every platform.
bool IsPathDelimiter(QChar Character);
// "X:" at the start of the name, X an ASCII letter.
bool StartsWithDriveLetter(const QString& FileName);

// Name when Directory is empty; Directory without its trailing delimiter when Name is empty;
// otherwise Directory, exactly one delimiter, Name. Either separator counts as a trailing delimiter,
// so definitions written on Windows combine as they did there; the one added is the platform's.
QString CombinePath(const QString& Directory, const QString& Name);

// Everything up to and including the last "/" or "\" (on Windows also ":") of FileName, or its
// leading drive ("C:") when it has no separator; empty when there is neither. Found names are
// appended to it as they are, so it keeps its delimiter.
QString FolderPart(const QString& FileName);
// The folder part without its trailing delimiter, for showing and remembering a folder; a root
// ("/", "C:\", the "\\" of a share) keeps it, since without it the name means another folder.
QString ExtractDirectory(const QString& FileName);

// True for "X:" and "\\server" prefixes (written on Windows), and on POSIX for any absolute path.
bool HasDrive(const QString& FileName);

// The name as this platform opens it. On POSIX a name with backslashes that does not exist as
// written is taken with "/" in their place.
QString LocalFilePath(const QString& FileName);
