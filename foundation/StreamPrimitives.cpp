#include "foundation/StreamPrimitives.h"

#include "foundation/Streams.h"

#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_LINUX)
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace {

constexpr int64_t MSecsPerDay = 86400000;
// 1899-12-30 to 1970-01-01.
constexpr int64_t UnixEpochDays = 25569;
// The most a string read from a stream of unknown length takes before its bytes have arrived.
constexpr qsizetype UnknownLengthChunk = 64 * 1024;
// Texts up to this many code units are written with their count in one write, from the stack.
constexpr int32_t ShortText = 252;

void ReadExactly(IQORStream& Stream, void* Target, uint32_t Count)
{
    uint32_t Got = 0;
    Stream.Read(Target, Count, &Got);
    if (Got != Count)
        throw E_QOR_LoadingError();
}

void WriteExactly(IQORStream& Stream, const void* Source, uint32_t Count)
{
    uint32_t Done = 0;
    Stream.Write(Source, Count, &Done);
    if (Done != Count)
        throw E_QOR_SavingError();
}

void PutLittleEndian(uint8_t* Target, uint64_t Value, int Size)
{
    for (int Index = 0; Index < Size; ++Index)
        Target[Index] = static_cast<uint8_t>(Value >> (8 * Index));
}

void WriteLittleEndian(IQORStream& Stream, uint64_t Value, int Size)
{
    uint8_t Bytes[8];
    PutLittleEndian(Bytes, Value, Size);
    WriteExactly(Stream, Bytes, static_cast<uint32_t>(Size));
}

TDateTime DateTimeFromMSecsSinceEpoch(int64_t MSecs)
{
    const int64_t Relative = MSecs + UnixEpochDays * MSecsPerDay;
    int64_t Day = Relative / MSecsPerDay;
    if (Relative % MSecsPerDay < 0)
        --Day;
    const double Time = double(Relative - Day * MSecsPerDay) / double(MSecsPerDay);
    // Before the base day the fraction still counts forward from midnight.
    return Day >= 0 ? double(Day) + Time : double(Day) - Time;
}

// A failed or incomplete copy is a saving error with the default message alone, as for any short
// write; only the refusal of an oversized source says more.
void WriteSourceWithSize(IQORStream& Stream, IQORStream& Source)
{
    uint64_t Size = 0;
    if (Failed(Source.Seek(0, STREAM_SEEK_END_, &Size)) || Failed(Source.Seek(0, STREAM_SEEK_SET_, nullptr)))
        throw E_QOR_SavingError();
    if (Size > std::numeric_limits<uint32_t>::max())
        throw E_QOR_SavingError(QStringLiteral("Streams of 4 GiB or more cannot be embedded"));
    WriteCardinal(Stream, static_cast<uint32_t>(Size));
    uint64_t Read = 0;
    uint64_t Written = 0;
    const HResult Result = Source.CopyTo(&Stream, Size, &Read, &Written);
    if (Failed(Result) || Read != Size || Written != Size)
        throw E_QOR_SavingError();
}

} // namespace

TDateTime DateTimeFromQDateTime(const QDateTime& Value)
{
    if (!Value.isValid())
        return 0;
    return DateTimeFromMSecsSinceEpoch(Value.toMSecsSinceEpoch());
}

QDateTime QDateTimeFromDateTime(TDateTime Value)
{
    // About 2.7 million years either way; beyond that the milliseconds would overflow.
    if (!std::isfinite(Value) || std::fabs(Value) > 1e9)
        return {};
    const double Day = std::trunc(Value);
    const double Time = std::fabs(Value - Day);
    const int64_t Relative = int64_t(Day) * MSecsPerDay + std::llround(Time * double(MSecsPerDay));
    return QDateTime::fromMSecsSinceEpoch(Relative - UnixEpochDays * MSecsPerDay, Qt::UTC);
}

void WriteGUID(IQORStream& Stream, const TGUID& Value)
{
    const auto Bytes = Value.ToBytes();
    WriteExactly(Stream, Bytes.data(), static_cast<uint32_t>(Bytes.size()));
}

TGUID ReadGUID(IQORStream& Stream)
{
    uint8_t Bytes[16];
    ReadExactly(Stream, Bytes, sizeof Bytes);
    return TGUID::FromBytes(Bytes);
}

void WriteInteger(IQORStream& Stream, int32_t Value)
{
    WriteLittleEndian(Stream, static_cast<uint32_t>(Value), 4);
}

int32_t ReadInteger(IQORStream& Stream)
{
    uint8_t Bytes[4];
    ReadExactly(Stream, Bytes, sizeof Bytes);
    return static_cast<int32_t>(uint32_t(Bytes[0]) | uint32_t(Bytes[1]) << 8 | uint32_t(Bytes[2]) << 16 |
                                uint32_t(Bytes[3]) << 24);
}

void WriteCardinal(IQORStream& Stream, uint32_t Value)
{
    WriteLittleEndian(Stream, Value, 4);
}

void WriteBoolean(IQORStream& Stream, bool Value)
{
    const uint8_t Byte = Value ? 1 : 0;
    WriteExactly(Stream, &Byte, 1);
}

bool ReadBoolean(IQORStream& Stream)
{
    uint8_t Byte = 0;
    ReadExactly(Stream, &Byte, 1);
    return Byte != 0;
}

void WriteString(IQORStream& Stream, const QString& Value)
{
    if (Value.size() > std::numeric_limits<int32_t>::max())
        throw E_QOR_SavingError();
    const auto Length = static_cast<int32_t>(Value.size());
    if (Length <= ShortText) {
        uint8_t Buffer[4 + ShortText];
        PutLittleEndian(Buffer, static_cast<uint32_t>(Length), 4);
        ToAnsi(Value, reinterpret_cast<char*>(Buffer + 4));
        WriteExactly(Stream, Buffer, static_cast<uint32_t>(4 + Length));
        return;
    }
    WriteInteger(Stream, Length);
    const QByteArray Bytes = ToAnsi(Value);
    WriteExactly(Stream, Bytes.constData(), static_cast<uint32_t>(Length));
}

QString ReadString(IQORStream& Stream)
{
    const int32_t Count = ReadInteger(Stream);
    if (Count == 0)
        return {};
    if (Count < 0)
        throw E_QOR_LoadingError();
    // A damaged count must not become a huge allocation.
    const std::optional<int64_t> Remaining = KnownRemainingBytes(Stream);
    if (Remaining && Count > *Remaining)
        throw E_QOR_LoadingError();
    QByteArray Bytes;
    if (Remaining) {
        Bytes.resize(Count);
        ReadExactly(Stream, Bytes.data(), static_cast<uint32_t>(Count));
    } else {
        // A stream that cannot tell its length: the text grows only as its bytes arrive.
        while (Bytes.size() < Count) {
            const qsizetype Done = Bytes.size();
            const auto Part = static_cast<uint32_t>(std::min<qsizetype>(Count - Done, UnknownLengthChunk));
            Bytes.resize(Done + Part);
            ReadExactly(Stream, Bytes.data() + Done, Part);
        }
    }
    return FromAnsi(Bytes);
}

void WriteStrings(IQORStream& Stream, const QStringList& Value)
{
    if (Value.size() > std::numeric_limits<int32_t>::max())
        throw E_QOR_SavingError();
    WriteInteger(Stream, static_cast<int32_t>(Value.size()));
    for (const QString& Text : Value)
        WriteString(Stream, Text);
}

void ReadStrings(IQORStream& Stream, QStringList& List)
{
    List.clear();
    const int32_t Count = ReadInteger(Stream);
    if (Count == 0)
        return;
    if (Count < 0)
        throw E_QOR_LoadingError();
    // Every string takes at least its 4-byte count.
    const std::optional<int64_t> Remaining = KnownRemainingBytes(Stream);
    if (Remaining && Count > *Remaining / 4)
        throw E_QOR_LoadingError();
    for (int32_t Index = 0; Index < Count; ++Index)
        List.append(ReadString(Stream));
}

void WriteDateTime(IQORStream& Stream, TDateTime Value)
{
    WriteLittleEndian(Stream, std::bit_cast<uint64_t>(Value), 8);
}

void WriteStreamWithSize(IQORStream& Stream, IQORStream& Source)
{
    WriteSourceWithSize(Stream, Source);
}

int64_t BeginSizeBlock(IQORStream& Stream)
{
    const int64_t Position = GetStreamPosition(Stream);
    WriteCardinal(Stream, 0);
    return Position;
}

void EndSizeBlock(IQORStream& Stream, int64_t Position)
{
    const int64_t End = GetStreamPosition(Stream);
    const int64_t Size = End - Position - 4;
    if (Size < 0)
        throw E_QOR_SavingError();
    if (Size > int64_t(std::numeric_limits<uint32_t>::max()))
        throw E_QOR_SavingError(QStringLiteral("Size block of 4 GiB or more"));
    SetStreamPosition(Stream, Position);
    WriteCardinal(Stream, static_cast<uint32_t>(Size));
    SetStreamPosition(Stream, End);
}

int64_t BeginCountPlaceholder(IQORStream& Stream)
{
    const int64_t Position = GetStreamPosition(Stream);
    WriteInteger(Stream, 0);
    return Position;
}

void WriteIntegerAt(IQORStream& Stream, int32_t Value, int64_t Position)
{
    const int64_t End = GetStreamPosition(Stream);
    SetStreamPosition(Stream, Position);
    WriteInteger(Stream, Value);
    SetStreamPosition(Stream, End);
}

void SeekToStart(IQORStream& Stream)
{
    SetStreamPosition(Stream, 0);
}

int64_t GetStreamPosition(IQORStream& Stream)
{
    uint64_t Position = 0;
    OleCheck(Stream.Seek(0, STREAM_SEEK_CUR_, &Position));
    return static_cast<int64_t>(Position);
}

void SetStreamPosition(IQORStream& Stream, int64_t Position)
{
    OleCheck(Stream.Seek(Position, STREAM_SEEK_SET_, nullptr));
}

std::optional<int64_t> KnownRemainingBytes(IQORStream& Stream)
{
    // Only a stream that states its size is asked. Seeking to the end to find it would make a buffered
    // stream drop its window, and reading every short value would then reload the whole window.
    uint64_t Position = 0;
    TStreamStat Statistics;
    if (Failed(Stream.Seek(0, STREAM_SEEK_CUR_, &Position)) || Failed(Stream.Stat(&Statistics, 0)))
        return std::nullopt;
    return Statistics.Size > Position ? static_cast<int64_t>(Statistics.Size - Position) : 0;
}

int64_t GetRemainingBytes(IQORStream& Stream)
{
    // Callers are readers: a stream that cannot tell its length cannot be trusted with a count.
    const std::optional<int64_t> Remaining = KnownRemainingBytes(Stream);
    if (!Remaining)
        throw E_QOR_LoadingError();
    return *Remaining;
}

void CommitStream(IQORStream& Stream)
{
    if (Failed(Stream.Commit(0)))
        throw E_QOR_SavingError();
}

TFileTimes GetFileTimes(const QString& FileName)
{
    // Opened as a check that the file is there and readable, like every other reader of it.
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly))
        throw E_QOR(QStringLiteral("Failed to open file: '") + FileName + QStringLiteral("'."));
    TFileTimes Times;
#if defined(Q_OS_LINUX) && defined(STATX_BTIME)
    struct statx Info = {};
    if (statx(File.handle(), "", AT_EMPTY_PATH, STATX_BTIME | STATX_ATIME | STATX_MTIME, &Info) != 0)
        throw E_QOR_Failed();
    auto Convert = [](const statx_timestamp& Stamp) {
        return DateTimeFromMSecsSinceEpoch(int64_t(Stamp.tv_sec) * 1000 + Stamp.tv_nsec / 1000000);
    };
    Times.LastAccessed = Convert(Info.stx_atime);
    Times.LastWritten = Convert(Info.stx_mtime);
    Times.Created = (Info.stx_mask & STATX_BTIME) ? Convert(Info.stx_btime) : Times.LastWritten;
#else
    const QFileInfo Info(FileName);
    if (!Info.exists())
        throw E_QOR_Failed();
    Times.LastAccessed = DateTimeFromQDateTime(Info.lastRead());
    Times.LastWritten = DateTimeFromQDateTime(Info.lastModified());
    const QDateTime Birth = Info.birthTime();
    Times.Created = Birth.isValid() ? DateTimeFromQDateTime(Birth) : Times.LastWritten;
#endif
    return Times;
}

void LoadFromFileWith(const QString& FileName, uint32_t ShareMode, const std::function<void(IQORStream&)>& Loader)
{
    // An opening failure already names the file.
    TOleFileStream Stream;
    Stream.Open(FileName, QOR_OPEN_EXISTING, QOR_GENERIC_READ, ShareMode);
    try {
        Loader(Stream);
    } catch (...) {
        AddSentenceAndRethrow(FileNameText(FileName) + QLatin1Char('.'));
    }
}
