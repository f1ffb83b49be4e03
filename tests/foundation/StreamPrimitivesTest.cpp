#include "foundation/StreamPrimitives.h"

#include "foundation/GUIDItems.h"
#include "foundation/RecordWriter.h"
#include "foundation/Streams.h"
#include "support/FailingStream.h"
#include "support/TestSupport.h"

#include <functional>

namespace {

QByteArray Written(const std::function<void(IQORStream&)>& Writer)
{
    TMemoryStream Stream;
    Writer(Stream);
    return Stream.Data();
}

// Remembers the largest read it was asked for: a reader that trusted a damaged count asks for it.
class TRecordingStream : public TMemoryStream
{
public:
    using TMemoryStream::TMemoryStream;
    uint32_t LargestRead = 0;

    HResult Read(void* Destination, uint32_t Count, uint32_t* CountRead) override
    {
        LargestRead = std::max(LargestRead, Count);
        return TMemoryStream::Read(Destination, Count, CountRead);
    }
};

// Can tell neither its position nor its length, as a pipe could not.
class TSequentialStream : public TRecordingStream
{
public:
    using TRecordingStream::TRecordingStream;
    HResult Seek(int64_t, uint32_t, uint64_t*) override { return QOR_E_NOTIMPL; }
    HResult Stat(TStreamStat*, uint32_t) override { return QOR_E_NOTIMPL; }
};

// Claims a length it does not hold, as a file of that size would.
class TClaimedSizeStream : public TMemoryStream
{
public:
    explicit TClaimedSizeStream(uint64_t Size) : FSize(Size) {}

    HResult Seek(int64_t Offset, uint32_t Origin, uint64_t* NewPosition) override
    {
        if (Origin == STREAM_SEEK_END_ && NewPosition)
            *NewPosition = FSize;
        return QOR_S_OK;
    }

private:
    uint64_t FSize;
};

struct TStringCase
{
    const char* Name;
    QString Text;
    const char* Hex;
    QString ReadBack;
};

class StringEncoding : public ::testing::TestWithParam<TStringCase>
{};

TEST_P(StringEncoding, WritesCodeUnitCountAndAnsiBytes)
{
    const TStringCase& Case = GetParam();
    const QByteArray Bytes = Written([&](IQORStream& S) { WriteString(S, Case.Text); });
    EXPECT_EQ(Bytes.toHex(), QByteArray(Case.Hex));
    TMemoryStream Reader(Bytes);
    EXPECT_EQ(ReadString(Reader), Case.ReadBack);
    EXPECT_EQ(Reader.Position(), Bytes.size());
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    StringEncoding,
    ::testing::Values(TStringCase{"Empty", "", "00000000", ""},
                      TStringCase{"Ascii", "abc", "03000000616263", "abc"},
                      TStringCase{
                          "Windows1252", QString::fromUtf8("é€Š‘Ÿ"), "05000000e9808a919f", QString::fromUtf8("é€Š‘Ÿ")},
                      TStringCase{"SurrogatePair", QString::fromUtf8("a😀"), "03000000613f3f", "a??"},
                      TStringCase{"Cjk", QString::fromUtf8("中"), "010000003f", "?"},
                      TStringCase{"C1NotInCodePage", QString(QChar(0x80)), "010000003f", "?"},
                      TStringCase{"UndefinedByteRoundTrips", QString(QChar(0x8D)), "010000008d", QString(QChar(0x8D))}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(AnsiCodec, EveryByteSurvivesDecodingAndEncoding)
{
    QByteArray All;
    for (int Byte = 0; Byte < 256; ++Byte)
        All.append(static_cast<char>(Byte));
    const QString Text = FromAnsi(All);
    ASSERT_EQ(Text.size(), 256);
    EXPECT_EQ(ToAnsi(Text), All);
    EXPECT_EQ(Text.at(0x80), QChar(0x20AC));
    for (int Undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(Text.at(Undefined).unicode(), Undefined);
}

// Each unit converts on its own, whatever surrounds it: the bytes of a text are those of its units
// one by one. Texts cross the 8-unit steps of the ASCII scan, with one foreign unit at the edges of
// those steps, and the length beyond which strings no longer go out from the stack.
TEST(AnsiCodec, EachUnitConvertsAloneWhereverItStands)
{
    for (const QChar Foreign : {QChar(0xE9), QChar(0x20AC), QChar(0x4E2D), QChar(0xD83D), QChar(0x80)}) {
        for (const int Length : {1, 7, 8, 9, 16, 17, 252, 253, 300}) {
            for (const int At : {-1, 0, 7, 8, Length - 1}) {
                QString Text;
                for (int Index = 0; Index < Length; ++Index)
                    Text.append(QChar(Index == At ? Foreign.unicode() : char16_t('a' + Index % 26)));
                QByteArray Expected;
                for (const QChar Unit : Text)
                    Expected.append(ToAnsi(QString(Unit)));
                SCOPED_TRACE(QStringLiteral("length %1, U+%2 at %3")
                                 .arg(Length)
                                 .arg(Foreign.unicode(), 4, 16, QLatin1Char('0'))
                                 .arg(At)
                                 .toStdString());
                ASSERT_EQ(ToAnsi(Text), Expected);
                QByteArray Direct(Length, '\xAA');
                ToAnsi(Text, Direct.data());
                ASSERT_EQ(Direct, Expected);
                const QByteArray Bytes = Written([&](IQORStream& S) { WriteString(S, Text); });
                ASSERT_EQ(Bytes, Written([&](IQORStream& S) { WriteInteger(S, Length); }) + Expected);
            }
        }
    }
}

TEST(StreamPrimitives, FixedSizeValuesAreLittleEndian)
{
    EXPECT_EQ(Written([](IQORStream& S) { WriteInteger(S, 0x12345678); }).toHex(), "78563412");
    EXPECT_EQ(Written([](IQORStream& S) { WriteInteger(S, -2); }).toHex(), "feffffff");
    EXPECT_EQ(Written([](IQORStream& S) { WriteCardinal(S, 0xFFFFFFFEu); }).toHex(), "feffffff");
    EXPECT_EQ(Written([](IQORStream& S) { WriteBoolean(S, true); }).toHex(), "01");
    EXPECT_EQ(Written([](IQORStream& S) { WriteBoolean(S, false); }).toHex(), "00");
    EXPECT_EQ(Written([](IQORStream& S) { WriteDateTime(S, 45351.75); }).toHex(), "00000000f824e640");

    const TGUID Id = TGUID::Parse("{00112233-4455-6677-8899-AABBCCDDEEFF}");
    const QByteArray GuidBytes = Written([&](IQORStream& S) { WriteGUID(S, Id); });
    EXPECT_EQ(GuidBytes.toHex(), "33221100554477668899aabbccddeeff");
    TMemoryStream Reader(GuidBytes + QByteArray::fromHex("feffffff0200"));
    EXPECT_EQ(ReadGUID(Reader), Id);
    EXPECT_EQ(ReadInteger(Reader), -2);
    EXPECT_TRUE(ReadBoolean(Reader)) << "any non-zero byte reads as true";
    EXPECT_FALSE(ReadBoolean(Reader));
}

TEST(StreamPrimitives, StringListReplacesTheListRead)
{
    const QByteArray Bytes = Written([](IQORStream& S) { WriteStrings(S, {"one", "", "three"}); });
    EXPECT_EQ(Bytes.toHex(),
              "03000000030000006f6e65000000000500000074687265"
              "65");
    TMemoryStream Reader(Bytes);
    QStringList List{"stale"};
    ReadStrings(Reader, List);
    EXPECT_EQ(List, QStringList({"one", "", "three"}));
}

struct TDamagedCase
{
    const char* Name;
    const char* Hex;
    std::function<void(IQORStream&)> Reader;
};

class DamagedInput : public ::testing::TestWithParam<TDamagedCase>
{};

TEST_P(DamagedInput, IsALoadingErrorWithoutTrustingCounts)
{
    const QByteArray Bytes = QByteArray::fromHex(GetParam().Hex);
    TRecordingStream Stream(Bytes);
    EXPECT_EQ(ExpectThrowReport<E_QOR_LoadingError>([&] { GetParam().Reader(Stream); }), "Loading error.");
    EXPECT_LE(Stream.LargestRead, uint32_t(std::max<qsizetype>(Bytes.size(), 16)));
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    DamagedInput,
    ::testing::Values(TDamagedCase{"GuidCut", "00112233445566778899aabbccddee", [](IQORStream& S) { ReadGUID(S); }},
                      TDamagedCase{"IntegerCut", "010203", [](IQORStream& S) { ReadInteger(S); }},
                      TDamagedCase{"BooleanMissing", "", [](IQORStream& S) { ReadBoolean(S); }},
                      TDamagedCase{"StringCountCut", "0300", [](IQORStream& S) { ReadString(S); }},
                      TDamagedCase{"StringTextCut", "0500000061626364", [](IQORStream& S) { ReadString(S); }},
                      TDamagedCase{"StringCountNegative", "ffffffff616263", [](IQORStream& S) { ReadString(S); }},
                      TDamagedCase{"StringCountHuge", "ffffff7f616263", [](IQORStream& S) { ReadString(S); }},
                      TDamagedCase{"ListCountNegative",
                                   "feffffff",
                                   [](IQORStream& S) {
                                       QStringList L;
                                       ReadStrings(S, L);
                                   }},
                      TDamagedCase{"ListCountHuge",
                                   "ffffff7f00000000",
                                   [](IQORStream& S) {
                                       QStringList L;
                                       ReadStrings(S, L);
                                   }}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(StreamPrimitives, StreamsThatCannotTellTheirLengthReadWholeAndRefuseDamageCheaply)
{
    TGUIDItems Items;
    Items.Add(new TGUIDItem(TGUID::Parse("{00112233-4455-6677-8899-AABBCCDDEEFF}"), "one"));
    const QByteArray Bytes = Written([&](IQORStream& S) {
        WriteStrings(S, {"one", "", "three"});
        Items.SaveToStream(S);
    });
    TSequentialStream Reader(Bytes);
    QStringList List;
    ReadStrings(Reader, List);
    EXPECT_EQ(List, QStringList({"one", "", "three"}));
    TGUIDItems Loaded;
    Loaded.LoadFromStream(Reader);
    EXPECT_TRUE(Loaded.Equals(&Items));

    TSequentialStream Damaged(QByteArray::fromHex("ffffff7f616263"));
    ExpectThrowReport<E_QOR_LoadingError>([&] { ReadString(Damaged); });
    EXPECT_LE(Damaged.LargestRead, 64u * 1024);
}

TEST(StreamPrimitives, ShortReadFromAStreamThatClaimsMoreIsALoadingError)
{
    // The length check passes; the read itself comes up short.
    TFailingStream Stream(TFailingStream::Unlimited, QByteArray::fromHex("0400000061626364"), 6);
    EXPECT_EQ(ExpectThrowReport<E_QOR_LoadingError>([&] { ReadString(Stream); }), "Loading error.");
}

TEST(StreamPrimitives, ShortWritesAreSavingErrors)
{
    for (uint64_t Limit : {0, 3, 5}) {
        TFailingStream Stream(Limit);
        ExpectThrowReport<E_QOR_SavingError>([&] { WriteString(Stream, "abcd"); });
    }
    TFailingStream Guid(15);
    ExpectThrowReport<E_QOR_SavingError>(
        [&] { WriteGUID(Guid, TGUID::Parse("{00112233-4455-6677-8899-AABBCCDDEEFF}")); });
}

// A gathered record holds what the primitives write, also past the room it keeps locally; when
// filling it fails, the part gathered reaches the stream before the failure goes on.
TEST(Records, HoldWhatThePrimitivesWriteAndKeepThePartBeforeAFailure)
{
    const TGUID Id = TGUID::Parse("{00112233-4455-6677-8899-AABBCCDDEEFF}");
    auto Fill = [&](auto PutGUID, auto PutInteger, auto PutBoolean) {
        for (int32_t Index = 0; Index < 100; ++Index) {
            PutGUID(Id);
            PutInteger(-Index);
            PutBoolean(Index % 3 == 0);
        }
    };
    const QByteArray Expected = Written([&](IQORStream& S) {
        Fill([&](const TGUID& V) { WriteGUID(S, V); },
             [&](int32_t V) { WriteInteger(S, V); },
             [&](bool V) { WriteBoolean(S, V); });
    });
    ASSERT_GT(Expected.size(), 512);
    EXPECT_EQ(Written([&](IQORStream& S) {
                  WriteRecord(S, [&](TRecordWriter& R) {
                      Fill([&](const TGUID& V) { R.PutGUID(V); },
                           [&](int32_t V) { R.PutInteger(V); },
                           [&](bool V) { R.PutBoolean(V); });
                  });
              }),
              Expected);

    TMemoryStream Partial;
    auto FailAfterOne = [](TRecordWriter& R) {
        R.PutInteger(7);
        throw E_QOR_ObjectPointerIsNil();
    };
    EXPECT_THROW(WriteRecord(Partial, FailAfterOne), E_QOR_ObjectPointerIsNil);
    EXPECT_EQ(Partial.Data().toHex(), "07000000");
    TFailingStream Full(2);
    EXPECT_THROW(WriteRecord(Full, FailAfterOne), E_QOR_SavingError);
    EXPECT_THROW(WriteRecord(Full, [](TRecordWriter& R) { R.PutBoolean(true); }), E_QOR_SavingError);
}

TEST(SizeBlocks, PatchSizesAndCountsAndKeepThePosition)
{
    TMemoryStream Stream;
    WriteBoolean(Stream, true); // not at 0, so positions must be absolute
    const int64_t Outer = BeginSizeBlock(Stream);
    const int64_t Count = BeginCountPlaceholder(Stream);
    const int64_t Inner = BeginSizeBlock(Stream);
    Stream.Write("0123456789", 10, nullptr);
    EndSizeBlock(Stream, Inner);
    EXPECT_EQ(GetStreamPosition(Stream), 23);
    WriteIntegerAt(Stream, 7, Count);
    EXPECT_EQ(GetStreamPosition(Stream), 23);
    EndSizeBlock(Stream, Outer);
    EXPECT_EQ(Stream.Data().toHex(),
              "01"
              "12000000"
              "07000000"
              "0a000000"
              "30313233343536373839");
}

TEST(SizeBlocks, ABlockOfFourGibibytesIsRefused)
{
    TMemoryStream Stream;
    const int64_t Start = BeginSizeBlock(Stream);
    SetStreamPosition(Stream, Start + 4 + 0x100000000LL);
    EXPECT_EQ(ExpectThrowReport<E_QOR_SavingError>([&] { EndSizeBlock(Stream, Start); }),
              "Saving error. Size block of 4 GiB or more.");
    EXPECT_EQ(Stream.Data(), QByteArray(4, '\0'));
}

TEST(EmbeddedStream, WritesSizeThenEverySourceByteFromTheStart)
{
    TMemoryStream Source(QByteArray("hello world"));
    SetStreamPosition(Source, 6);
    const QByteArray Bytes = Written([&](IQORStream& S) { WriteStreamWithSize(S, Source); });
    EXPECT_EQ(Bytes, QByteArray::fromHex("0b000000") + "hello world");
}

TEST(EmbeddedStream, IncompleteCopiesAndOversizedSourcesAreSavingErrors)
{
    TMemoryStream Source(QByteArray(100, 'x'));
    TFailingStream Full(50);
    ExpectThrowReport<E_QOR_SavingError>([&] { WriteStreamWithSize(Full, Source); });

    TFailingStream ShortSource(TFailingStream::Unlimited, QByteArray(100, 'x'), 60);
    TMemoryStream Target;
    ExpectThrowReport<E_QOR_SavingError>([&] { WriteStreamWithSize(Target, ShortSource); });

    TClaimedSizeStream Huge(0x100000000ULL);
    TMemoryStream Untouched;
    EXPECT_EQ(ExpectThrowReport<E_QOR_SavingError>([&] { WriteStreamWithSize(Untouched, Huge); }),
              "Saving error. Streams of 4 GiB or more cannot be embedded.");
    EXPECT_TRUE(Untouched.Data().isEmpty()) << "no wrapped size may be written";
}

struct TDateCase
{
    QDateTime Utc;
    TDateTime Value;
};

class DateTimeConversion : public ::testing::TestWithParam<TDateCase>
{};

TEST_P(DateTimeConversion, CountsDaysFromTheBaseDayInUtc)
{
    EXPECT_DOUBLE_EQ(DateTimeFromQDateTime(GetParam().Utc), GetParam().Value);
    EXPECT_EQ(QDateTimeFromDateTime(GetParam().Value), GetParam().Utc);
    EXPECT_DOUBLE_EQ(DateTimeFromQDateTime(GetParam().Utc.toOffsetFromUtc(3600)), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         DateTimeConversion,
                         ::testing::Values(TDateCase{QDateTime({1899, 12, 30}, {0, 0}, Qt::UTC), 0.0},
                                           TDateCase{QDateTime({1900, 1, 1}, {12, 0}, Qt::UTC), 2.5},
                                           TDateCase{QDateTime({1899, 12, 29}, {6, 0}, Qt::UTC), -1.25},
                                           TDateCase{QDateTime({2024, 2, 29}, {18, 0}, Qt::UTC), 45351.75}),
                         [](const ::testing::TestParamInfo<TDateCase>& Info) {
                             return SanitisedTestName(Info.param.Utc.toString(QStringLiteral("yyyy_MM_dd_hhmm")));
                         });

} // namespace
