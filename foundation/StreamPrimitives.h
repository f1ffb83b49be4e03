#pragma once

// The typed primitives: the only way values are written to and read from a stream. Little-endian,
// no framing of their own. Reads raise E_QOR_LoadingError on a short read; writes raise
// E_QOR_SavingError on a short write.

#include "foundation/GUID.h"
#include "foundation/QORStream.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

// Days since 1899-12-30 00:00, the fraction being the time of day. Before that day the whole part
// counts days back and the fraction is still the time of day (-1.25 is 1899-12-29 06:00).
using TDateTime = double;

// Both in UTC, to the millisecond. An invalid QDateTime gives 0; a TDateTime that is not finite gives
// an invalid QDateTime.
TDateTime DateTimeFromQDateTime(const QDateTime& Value);
QDateTime QDateTimeFromDateTime(TDateTime Value);

void WriteGUID(IQORStream& Stream, const TGUID& Value);
TGUID ReadGUID(IQORStream& Stream);
void WriteInteger(IQORStream& Stream, int32_t Value);
int32_t ReadInteger(IQORStream& Stream);
void WriteCardinal(IQORStream& Stream, uint32_t Value);
void WriteBoolean(IQORStream& Stream, bool Value);
bool ReadBoolean(IQORStream& Stream);
// Count of UTF-16 code units, then that many bytes in the ANSI code page ("?" for what it lacks).
void WriteString(IQORStream& Stream, const QString& Value);
// A negative count, or one larger than the bytes left in the stream, is a loading error. A stream
// that cannot tell its length is read in pieces, so a damaged count still allocates little.
QString ReadString(IQORStream& Stream);
void WriteStrings(IQORStream& Stream, const QStringList& Value);
// Empties List first, then appends each string read.
void ReadStrings(IQORStream& Stream, QStringList& List);
void WriteDateTime(IQORStream& Stream, TDateTime Value);
// Cardinal size, then the bytes of the source from its first byte. Sources of 4 GiB or more do not
// fit the size and raise E_QOR_SavingError, as does an incomplete copy. The source is copied in
// chunks, never held in memory whole.
void WriteStreamWithSize(IQORStream& Stream, IQORStream& Source);

int64_t BeginSizeBlock(IQORStream& Stream);
// A block of 4 GiB or more raises E_QOR_SavingError rather than writing a wrapped size.
void EndSizeBlock(IQORStream& Stream, int64_t Position);
int64_t BeginCountPlaceholder(IQORStream& Stream);
void WriteIntegerAt(IQORStream& Stream, int32_t Value, int64_t Position);
void SeekToStart(IQORStream& Stream);
int64_t GetStreamPosition(IQORStream& Stream);
void SetStreamPosition(IQORStream& Stream, int64_t Position);
// Bytes from the current position to the end; lets readers refuse counts the data cannot hold.
// Raises E_QOR_LoadingError when the stream cannot tell.
int64_t GetRemainingBytes(IQORStream& Stream);
// The same, or nothing for a stream that cannot tell its position or does not state its size. Never
// seeks to the end.
std::optional<int64_t> KnownRemainingBytes(IQORStream& Stream);
// Commits Stream and raises E_QOR_SavingError when that fails. Writers of files call it after their
// last write: a created file replaces its target only then.
void CommitStream(IQORStream& Stream);

// The ANSI code page used on disk: Windows-1252 here, the system's ANSI code page on Windows.
QByteArray ToAnsi(const QString& Text);
// The same bytes into Target, which has room for Text.size() of them.
void ToAnsi(const QString& Text, char* Target);
QString FromAnsi(const QByteArray& Bytes);

struct TFileTimes
{
    TDateTime Created = 0;
    TDateTime LastAccessed = 0;
    TDateTime LastWritten = 0;
};

// The three time stamps of a file, in UTC. The creation time is the birth time where the file
// system records it, otherwise the last-write time.
TFileTimes GetFileTimes(const QString& FileName);

// Opens FileName for reading with the given share mode and runs Loader on it; a loader's exception
// gets the sentence "File name='…'." added.
void LoadFromFileWith(const QString& FileName, uint32_t ShareMode, const std::function<void(IQORStream&)>& Loader);
