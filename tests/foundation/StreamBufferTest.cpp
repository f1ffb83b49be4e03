#include "foundation/GUIDItems.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "support/FailingStream.h"
#include "support/TestSupport.h"

#include <limits>

namespace {

// Counts what reaches the inner stream. With StatesSize false it cannot tell its size, as a pipe
// could not, though it can still be sought.
class TCountingStream : public TMemoryStream
{
public:
    using TMemoryStream::TMemoryStream;
    int Seeks = 0;
    int SeeksFromEnd = 0;
    int Writes = 0;
    uint64_t BytesRead = 0;
    bool StatesSize = true;

    HResult Read(void* Destination, uint32_t Count, uint32_t* CountRead) override
    {
        uint32_t Got = 0;
        const HResult Result = TMemoryStream::Read(Destination, Count, &Got);
        BytesRead += Got;
        if (CountRead)
            *CountRead = Got;
        return Result;
    }
    HResult Seek(int64_t Offset, uint32_t Origin, uint64_t* NewPosition) override
    {
        ++Seeks;
        SeeksFromEnd += Origin == STREAM_SEEK_END_;
        return TMemoryStream::Seek(Offset, Origin, NewPosition);
    }
    HResult Write(const void* Source, uint32_t Count, uint32_t* CountWritten) override
    {
        ++Writes;
        return TMemoryStream::Write(Source, Count, CountWritten);
    }
    HResult Stat(TStreamStat* Statistics, uint32_t Flags) override
    {
        return StatesSize ? TMemoryStream::Stat(Statistics, Flags) : QOR_E_NOTIMPL;
    }
};

TEST(MemoryStream, GrowsWithZerosAndReadsOnlyWhatExists)
{
    TMemoryStream Stream(QByteArray("ab"));
    uint64_t Position = 0;
    ASSERT_EQ(Stream.Seek(3, STREAM_SEEK_END_, &Position), QOR_S_OK);
    EXPECT_EQ(Position, 5u);
    uint32_t Count = 0;
    Stream.Write("z", 1, &Count);
    EXPECT_EQ(Stream.Data(), QByteArray("ab\0\0\0z", 6));

    EXPECT_EQ(Stream.Seek(-7, STREAM_SEEK_CUR_, nullptr), QOR_E_INVALIDARG);
    EXPECT_EQ(Stream.Seek(0, 3, nullptr), QOR_E_INVALIDARG);
    EXPECT_EQ(Stream.Position(), 6);

    SetStreamPosition(Stream, 4);
    char Buffer[8] = {};
    EXPECT_EQ(Stream.Read(Buffer, 8, &Count), QOR_S_OK);
    EXPECT_EQ(Count, 2u);
    EXPECT_EQ(GetRemainingBytes(Stream), 0);

    // A write at a position sought far past the end fails rather than wrapping round.
    ASSERT_EQ(Stream.Seek(std::numeric_limits<int64_t>::max(), STREAM_SEEK_SET_, nullptr), QOR_S_OK);
    EXPECT_TRUE(Failed(Stream.Write("z", 1, &Count)));
    EXPECT_EQ(Count, 0u);
    EXPECT_EQ(Stream.Data().size(), 6);
}

// Bytes cut off by a smaller size, or never written, read back as zeros once the stream grows over
// them again, however it grows; a copy taken on the way keeps its own bytes.
TEST(MemoryStream, GrowingAgainShowsZerosNotEarlierBytes)
{
    TMemoryStream Stream;
    const QByteArray Text(1000, 'x');
    uint32_t Count = 0;
    ASSERT_EQ(Stream.Write(Text.constData(), 1000, &Count), QOR_S_OK);
    const QByteArray Early = Stream.Data();

    ASSERT_EQ(Stream.SetSize(2), QOR_S_OK);
    ASSERT_EQ(Stream.Seek(4, STREAM_SEEK_SET_, nullptr), QOR_S_OK);
    ASSERT_EQ(Stream.Write("yy", 2, &Count), QOR_S_OK);
    EXPECT_EQ(Stream.Data(), QByteArray("xx\0\0yy", 6));

    ASSERT_EQ(Stream.SetSize(3), QOR_S_OK);
    ASSERT_EQ(Stream.SetSize(500), QOR_S_OK);
    EXPECT_EQ(Stream.Data(), QByteArray("xx") + QByteArray(498, '\0'));
    TStreamStat Stat;
    ASSERT_EQ(Stream.Stat(&Stat, 0), QOR_S_OK);
    EXPECT_EQ(Stat.Size, 500u);
    EXPECT_EQ(Early, Text);

    IQORStreamPtr Copy;
    ASSERT_EQ(Stream.Clone(&Copy), QOR_S_OK);
    ASSERT_EQ(Stream.Seek(0, STREAM_SEEK_END_, nullptr), QOR_S_OK);
    ASSERT_EQ(Stream.Write("z", 1, &Count), QOR_S_OK);
    ASSERT_EQ(Copy->Stat(&Stat, 0), QOR_S_OK);
    EXPECT_EQ(Stat.Size, 500u);
    EXPECT_EQ(Stream.Data().size(), 501);
}

class StreamBuffer : public ::testing::Test
{
protected:
    std::shared_ptr<TCountingStream> Inner = std::make_shared<TCountingStream>();

    void SetInner(const QByteArray& Data) { Inner = std::make_shared<TCountingStream>(Data); }
};

TEST_F(StreamBuffer, ChangesReachTheInnerStreamOnlyAtCommit)
{
    TOleStreamBuffer Buffer(Inner, 1024);
    uint32_t Count = 0;
    EXPECT_EQ(Buffer.Write("abc", 3, &Count), QOR_S_OK);
    EXPECT_EQ(Count, 3u);
    EXPECT_TRUE(Inner->Data().isEmpty());
    EXPECT_EQ(Buffer.Commit(0), QOR_S_OK);
    EXPECT_EQ(Inner->Data(), "abc");
    const int WritesAfterCommit = Inner->Writes;
    EXPECT_EQ(Buffer.Commit(0), QOR_S_OK);
    EXPECT_EQ(Inner->Writes, WritesAfterCommit) << "a clean buffer writes nothing back";
}

TEST_F(StreamBuffer, ReadingPastTheEndDeliversWhatExists)
{
    SetInner("12345");
    TOleStreamBuffer Buffer(Inner, 4);
    char Target[10] = {};
    uint32_t Count = 99;
    EXPECT_EQ(Buffer.Read(Target, 10, &Count), QOR_S_OK);
    EXPECT_EQ(Count, 5u);
    EXPECT_EQ(QByteArray(Target, 5), "12345");
    EXPECT_EQ(Buffer.Read(Target, 1, &Count), QOR_S_OK);
    EXPECT_EQ(Count, 0u);
}

TEST_F(StreamBuffer, MovingTheWindowWritesBackOnlyTheDirtyRange)
{
    SetInner("............");
    {
        TOleStreamBuffer Buffer(Inner, 4);
        SetStreamPosition(Buffer, 1);
        Buffer.Write("AB", 2, nullptr);
        SetStreamPosition(Buffer, 9);
        Buffer.Write("C", 1, nullptr);
        EXPECT_EQ(Inner->Data(), ".AB.........") << "the first window is written back when the second is filled";
        // Reading an earlier window sees the change still pending in the current one after write-back.
        SetStreamPosition(Buffer, 0);
        char Target[12] = {};
        uint32_t Count = 0;
        Buffer.Read(Target, 12, &Count);
        EXPECT_EQ(QByteArray(Target, int(Count)), ".AB......C..");
    }
    EXPECT_EQ(Inner->Data(), ".AB......C..");
}

TEST_F(StreamBuffer, BytesSkippedByAWriteAreZerosNotAnEarlierWindow)
{
    SetInner(QByteArray(8, 'x'));
    TOleStreamBuffer Buffer(Inner, 8);
    char Target[8];
    Buffer.Read(Target, 8, nullptr);
    Buffer.Write("A", 1, nullptr); // window 8..15, which the inner stream does not have
    SetStreamPosition(Buffer, 14);
    Buffer.Write("B", 1, nullptr);
    ASSERT_EQ(Buffer.Commit(0), QOR_S_OK);
    EXPECT_EQ(Inner->Data(), QByteArray(8, 'x') + "A" + QByteArray(5, '\0') + "B");
}

TEST_F(StreamBuffer, PrimitivesThroughASmallWindowMatchDirectWriting)
{
    auto Write = [](IQORStream& S) {
        for (int Index = 0; Index < 50; ++Index) {
            WriteInteger(S, Index);
            WriteString(S, QString(Index % 7, QChar('a' + Index % 26)));
            WriteBoolean(S, Index % 2);
        }
    };
    TMemoryStream Direct;
    Write(Direct);
    {
        TOleStreamBuffer Buffer(Inner, 7);
        Write(Buffer);
    }
    EXPECT_EQ(Inner->Data(), Direct.Data());

    TOleStreamBuffer Reader(std::make_shared<TMemoryStream>(Direct.Data()), 5);
    for (int Index = 0; Index < 50; ++Index) {
        ASSERT_EQ(ReadInteger(Reader), Index);
        ASSERT_EQ(ReadString(Reader), QString(Index % 7, QChar('a' + Index % 26)));
        ASSERT_EQ(ReadBoolean(Reader), bool(Index % 2));
    }
}

class StreamBufferReading : public ::testing::TestWithParam<bool>
{};

TEST_P(StreamBufferReading, ReadsEachInnerByteOnce)
{
    const TGUID Id = TGUID::Parse("{00112233-4455-6677-8899-AABBCCDDEEFF}");
    QStringList Names;
    TGUIDItems Items;
    for (int Index = 0; Index < 200; ++Index) {
        Names.append(QStringLiteral("name %1").arg(Index));
        Items.Add(new TGUIDItem(Id, Names.last()));
    }
    TMemoryStream Source;
    for (const QString& Name : Names)
        WriteString(Source, Name);
    WriteStrings(Source, Names);
    Items.SaveToStream(Source);

    auto Inner = std::make_shared<TCountingStream>(Source.Data());
    Inner->StatesSize = GetParam();
    TOleStreamBuffer Buffer(Inner, 0x100000);
    for (const QString& Name : Names)
        ASSERT_EQ(ReadString(Buffer), Name);
    QStringList List;
    ReadStrings(Buffer, List);
    EXPECT_EQ(List, Names);
    TGUIDItems Loaded;
    Loaded.LoadFromStream(Buffer);
    EXPECT_TRUE(Loaded.Equals(&Items));
    EXPECT_EQ(Inner->BytesRead, uint64_t(Source.Data().size()));
    EXPECT_EQ(Inner->SeeksFromEnd, 0) << "a size the stream does not state is unknown, not sought";
}

INSTANTIATE_TEST_SUITE_P(Inner, StreamBufferReading, ::testing::Values(true, false), [](const auto& Info) {
    return Info.param ? "StatesItsSize" : "CannotTellItsSize";
});

TEST_F(StreamBuffer, SeeksKeepToThePositionUnlessFromTheEnd)
{
    SetInner("0123456789");
    TOleStreamBuffer Buffer(Inner, 4);
    uint64_t Position = 0;
    EXPECT_EQ(Buffer.Seek(3, STREAM_SEEK_SET_, &Position), QOR_S_OK);
    EXPECT_EQ(Buffer.Seek(2, STREAM_SEEK_CUR_, &Position), QOR_S_OK);
    EXPECT_EQ(Position, 5u);
    EXPECT_EQ(Inner->Seeks, 0);
    EXPECT_EQ(Buffer.Seek(0, 3, &Position), QOR_E_INVALIDARG);
    EXPECT_EQ(Buffer.Seek(std::numeric_limits<int64_t>::max(), STREAM_SEEK_CUR_, &Position), QOR_E_INVALIDARG);
    EXPECT_EQ(Position, 5u) << "a seek that would wrap leaves the position alone";
    EXPECT_EQ(Buffer.Seek(-2, STREAM_SEEK_END_, &Position), QOR_S_OK);
    EXPECT_EQ(Position, 8u);
    char Target[4] = {};
    uint32_t Count = 0;
    Buffer.Read(Target, 4, &Count);
    EXPECT_EQ(QByteArray(Target, int(Count)), "89");
}

TEST_F(StreamBuffer, CopiesFromTheWindowOrThroughTheInnerStream)
{
    SetInner("0123456789");
    TOleStreamBuffer Buffer(Inner, 8);
    char First;
    Buffer.Read(&First, 1, nullptr);
    TMemoryStream Target;
    uint64_t Read = 0;
    uint64_t Written = 0;
    EXPECT_EQ(Buffer.CopyTo(&Target, 3, &Read, &Written), QOR_S_OK);
    EXPECT_EQ(Target.Data(), "123");
    EXPECT_EQ(Buffer.CopyTo(&Target, 100, &Read, &Written), QOR_S_OK);
    EXPECT_EQ(Read, 6u);
    EXPECT_EQ(Written, 6u);
    EXPECT_EQ(Target.Data(), "123456789");
    EXPECT_EQ(GetStreamPosition(Buffer), 10);
}

TEST_F(StreamBuffer, InnerFailuresBecomeEFailNotExceptions)
{
    auto Full = std::make_shared<TFailingStream>(2);
    TOleStreamBuffer Buffer(Full, 16);
    EXPECT_EQ(Buffer.Write("abcd", 4, nullptr), QOR_S_OK);
    EXPECT_EQ(Buffer.Commit(0), QOR_E_FAIL);

    auto Unreadable = std::make_shared<TFailingStream>(TFailingStream::Unlimited, QByteArray("abcd"), 0);
    TOleStreamBuffer Reader(Unreadable, 16);
    char Target[4];
    uint32_t Count = 7;
    EXPECT_EQ(Reader.Read(Target, 4, &Count), QOR_E_FAIL);
    EXPECT_EQ(Count, 0u);

    // Positions the 32-bit window cannot show fail instead of wrapping round.
    TOleStreamBuffer Far(Inner, 16);
    SetStreamPosition(Far, 0x80000000LL);
    EXPECT_EQ(Far.Write("x", 1, nullptr), QOR_E_FAIL);
    SetStreamPosition(Far, -1);
    EXPECT_EQ(Far.Read(Target, 1, nullptr), QOR_E_FAIL);
    EXPECT_TRUE(Inner->Data().isEmpty());
}

} // namespace
