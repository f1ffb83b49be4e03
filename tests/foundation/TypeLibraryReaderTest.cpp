#include "foundation/TypeLibraryReader.h"

#include "foundation/PEFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <chrono>
#include <random>

namespace {

// The GUIDs written in tools/typelib-fixtures/fixture.idl.
const TGUID FixtureLibrary = TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A01}");
const TGUID FixtureTypes[] = {
    TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A02}"), // enum
    TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A03}"), // record
    TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A04}"), // interface
    TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A05}"), // dispinterface
    TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A06}"), // coclass
};
// All of these stand in the fixture's GUID table, yet none is a type of the library.
const TGUID NotFixtureTypes[] = {
    FixtureLibrary,
    TGUID::Parse("{00000000-0000-0000-C000-000000000046}"), // IUnknown, imported
    TGUID::Parse("{00020400-0000-0000-C000-000000000046}"), // IDispatch, imported
    TGUID::Parse("{00020430-0000-0000-C000-000000000046}"), // the imported library
    TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4AFF}"), // custom data
    TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A07}"), // nowhere at all
    TGUID{},
};

QString FixturePath(const char* Name)
{
    return QStringLiteral(QUILLON_TEST_DATA "/typelib/") + QLatin1String(Name);
}

QByteArray ReadFixture(const char* Name)
{
    QFile File(FixturePath(Name));
    EXPECT_TRUE(File.open(QIODevice::ReadOnly)) << Name;
    return File.readAll();
}

uint32_t U32At(const QByteArray& Bytes, qsizetype Offset)
{
    return qFromLittleEndian<uint32_t>(Bytes.constData() + Offset);
}

void PutU32(QByteArray& Bytes, qsizetype Offset, uint32_t Value)
{
    qToLittleEndian(Value, Bytes.data() + Offset);
}

void ExpectFixtureLibrary(const TTypeLibraryReader& Reader)
{
    ASSERT_TRUE(Reader.IsLoaded());
    EXPECT_EQ(Reader.LibraryGUID(), FixtureLibrary);
    for (const TGUID& GUID : FixtureTypes)
        EXPECT_TRUE(Reader.ContainsType(GUID)) << GUID.ToString().toStdString();
    for (const TGUID& GUID : NotFixtureTypes)
        EXPECT_FALSE(Reader.ContainsType(GUID)) << GUID.ToString().toStdString();
}

void ExpectNotLoaded(const TTypeLibraryReader& Reader)
{
    EXPECT_FALSE(Reader.IsLoaded());
    EXPECT_TRUE(Reader.LibraryGUID().IsNull());
    EXPECT_FALSE(Reader.ContainsType(FixtureTypes[0]));
}

} // namespace

// The same library, standalone and embedded in modules of both image formats.
class TypeLibraryReaderFixtures : public testing::TestWithParam<const char*>
{};

TEST_P(TypeLibraryReaderFixtures, ReadsOwnTypesOnly)
{
    TTypeLibraryReader Reader;
    ASSERT_TRUE(Reader.Load(FixturePath(GetParam())));
    ExpectFixtureLibrary(Reader);
}

INSTANTIATE_TEST_SUITE_P(Files,
                         TypeLibraryReaderFixtures,
                         testing::Values("fixture.tlb", "fixture32.dll", "fixture64.dll", "fixture64.exe"),
                         PrintedTestName());

TEST(TypeLibraryReaderFormats, TellsImageFormatsApart)
{
    const QByteArray Image32 = ReadFixture("fixture32.dll");
    const QByteArray Image64 = ReadFixture("fixture64.dll");
    const TPEFile Module32(Image32);
    const TPEFile Module64(Image64);
    ASSERT_TRUE(Module32.IsValid());
    ASSERT_TRUE(Module64.IsValid());
    EXPECT_FALSE(Module32.IsPE32Plus());
    EXPECT_TRUE(Module64.IsPE32Plus());
    // The resource is found by name whatever case the caller uses.
    EXPECT_EQ(Module64.FindResource(QStringLiteral("typelib"), 1), ReadFixture("fixture.tlb"));
}

TEST(TypeLibraryReaderFormats, HonoursHelpStringDllShift)
{
    TTypeLibraryReader Reader;
    ASSERT_TRUE(Reader.Load(FixturePath("helpdll.tlb")));
    EXPECT_EQ(Reader.LibraryGUID(), TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4B01}"));
    EXPECT_TRUE(Reader.ContainsType(TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4B02}")));
    EXPECT_TRUE(Reader.ContainsType(TGUID::Parse("{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4B03}")));
}

TEST(TypeLibraryReaderFormats, ReadsLibraryGUIDPositionFromHeader)
{
    QByteArray Bytes = ReadFixture("fixture.tlb");
    PutU32(Bytes, 0x08, 5 * 24); // the sixth GUID table entry, the enum's GUID
    TTypeLibraryReader Reader;
    ASSERT_TRUE(Reader.LoadFromData(Bytes));
    EXPECT_EQ(Reader.LibraryGUID(), FixtureTypes[0]);
}

#ifndef Q_OS_WIN
TEST(TypeLibraryReaderFormats, AcceptsWindowsStylePaths)
{
    TTypeLibraryReader Reader;
    EXPECT_TRUE(Reader.Load(QStringLiteral(QUILLON_TEST_DATA "/typelib\\fixture64.dll")));
    EXPECT_TRUE(Reader.Load(QStringLiteral(QUILLON_TEST_DATA "/typelib\\\\fixture.tlb")));
}
#endif

TEST(TypeLibraryReaderUnreadable, FilesWithoutUsableLibrary)
{
    QTemporaryDir Temp;
    ASSERT_TRUE(Temp.isValid());
    const QString Text = Temp.filePath(QStringLiteral("notes.dll"));
    const QString Empty = Temp.filePath(QStringLiteral("empty.tlb"));
    {
        QFile File(Text);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write("MZ is not enough to make a module.\n");
        QFile EmptyFile(Empty);
        ASSERT_TRUE(EmptyFile.open(QIODevice::WriteOnly));
    }

    const QString Files[] = {
        Temp.filePath(QStringLiteral("missing.dll")),
        Text,
        Empty,
        Temp.path(),                     // a folder
        FixturePath("plain.dll"),        // no resources at all
        FixturePath("versiononly.dll"),  // resources, but no type library
        FixturePath("othertypelib.dll"), // libraries under id 2 and under a name only
        QString(),
    };
    TTypeLibraryReader Reader;
    for (const QString& File : Files) {
        ASSERT_TRUE(Reader.Load(FixturePath("fixture.tlb")));
        EXPECT_FALSE(Reader.Load(File)) << File.toStdString();
        ExpectNotLoaded(Reader);
    }
}

TEST(TypeLibraryReaderUnreadable, TruncatedCopies)
{
    const QByteArray Library = ReadFixture("fixture.tlb");
    const QByteArray Module = ReadFixture("fixture64.dll");
    TTypeLibraryReader Reader;
    // The library's last segment ends past 2300 bytes, so each of these cuts loses part of one.
    for (qsizetype Length = 0; Length < 2300; ++Length)
        EXPECT_FALSE(Reader.LoadFromData(Library.left(Length))) << Length;
    for (qsizetype Length = 0; Length < Module.size(); Length += 7) {
        const bool Loaded = Reader.LoadFromData(Module.left(Length));
        if (Length < Module.indexOf("MSFT") + 2300) {
            EXPECT_FALSE(Loaded) << Length;
        }
    }
}

// Where a patch is written: from the start of the file, of the (embedded) library, of the library's
// segment directory, or of its first type info record.
enum class TPatchBase
{
    File,
    Library,
    SegmentDirectory,
    FirstTypeInfo,
};

struct TPatch
{
    const char* Name;
    const char* File;
    TPatchBase Base;
    qsizetype Offset;
    uint32_t Value;
};

qsizetype PatchBase(const QByteArray& Bytes, TPatchBase Base)
{
    if (Base == TPatchBase::File)
        return 0;
    const qsizetype Library = Bytes.indexOf("MSFT");
    if (Base == TPatchBase::Library)
        return Library;
    const qsizetype SegmentDirectory = Library + 0x54 + 4 * qsizetype(U32At(Bytes, Library + 0x20));
    if (Base == TPatchBase::SegmentDirectory)
        return SegmentDirectory;
    return Library + U32At(Bytes, SegmentDirectory) + U32At(Bytes, Library + 0x54);
}

class TypeLibraryReaderDamaged : public testing::TestWithParam<TPatch>
{};

TEST_P(TypeLibraryReaderDamaged, IsNotLoaded)
{
    const TPatch& Patch = GetParam();
    QByteArray Bytes = ReadFixture(Patch.File);
    PutU32(Bytes, PatchBase(Bytes, Patch.Base) + Patch.Offset, Patch.Value);
    TTypeLibraryReader Reader;
    EXPECT_FALSE(Reader.LoadFromData(Bytes));
    ExpectNotLoaded(Reader);
}

// Several values wrap a 32-bit offset + size sum to something that would look valid.
constexpr qsizetype GUIDTableEntry = 5 * 16;
INSTANTIATE_TEST_SUITE_P(
    Patches,
    TypeLibraryReaderDamaged,
    testing::Values(
        TPatch{"OldFormatSignature", "fixture.tlb", TPatchBase::Library, 0x00, 0x474C5453}, // "SLTG"
        TPatch{"HugeTypeCount", "fixture.tlb", TPatchBase::Library, 0x20, 0xFFFFFFFF},
        TPatch{"WrappingTypeCount", "fixture.tlb", TPatchBase::Library, 0x20, 0x40000000},
        TPatch{"LibraryGUIDOutside", "fixture.tlb", TPatchBase::Library, 0x08, 0xFFFFFFF0},
        TPatch{"GUIDTableOutside", "fixture.tlb", TPatchBase::SegmentDirectory, GUIDTableEntry, 0xFFFFFF00},
        TPatch{"GUIDTableTooLong", "fixture.tlb", TPatchBase::SegmentDirectory, GUIDTableEntry + 4, 0xFFFFFFF0},
        TPatch{"NamesOutside", "fixture.tlb", TPatchBase::SegmentDirectory, 7 * 16, 0x7FFFFFFF},
        TPatch{"TypeInfoRecordOutside", "fixture.tlb", TPatchBase::Library, 0x54, 0xFFFFFFF0},
        TPatch{"TypeGUIDOutside", "fixture.tlb", TPatchBase::FirstTypeInfo, 0x2C, 0x7FFFFFF0},
        TPatch{"UnknownTypeKind", "fixture.tlb", TPatchBase::FirstTypeInfo, 0x00, 0x0F},
        TPatch{"NotPEHeader", "fixture64.dll", TPatchBase::File, 0x3C, 0x10},
        TPatch{"HeaderOffsetOutside", "fixture64.dll", TPatchBase::File, 0x3C, 0xFFFFFFFC},
        TPatch{"EmbeddedTypeCountWraps", "fixture64.dll", TPatchBase::Library, 0x20, 0x40000000},
        TPatch{"EmbeddedGUIDTableOutside", "fixture32.dll", TPatchBase::SegmentDirectory, GUIDTableEntry, 0xFFFFFFF0}),
    [](const testing::TestParamInfo<TPatch>& Info) { return std::string(Info.param.Name); });

TEST(TypeLibraryReaderUnreadable, SurvivesRandomByteFlips)
{
    const QByteArray Sources[] = {
        ReadFixture("fixture.tlb"), ReadFixture("fixture32.dll"), ReadFixture("fixture64.dll")};
    std::mt19937 Random(20240611);
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    TTypeLibraryReader Reader;
    int Loaded = 0;
    for (int Round = 0; Round < 4000 && std::chrono::steady_clock::now() < Deadline; ++Round) {
        QByteArray Bytes = Sources[Round % 3];
        const int Flips = 1 + int(Random() % 8);
        for (int I = 0; I < Flips; ++I)
            Bytes[qsizetype(Random() % uint32_t(Bytes.size()))] = char(Random());
        if (Round % 5 == 0)
            Bytes.truncate(qsizetype(Random() % uint32_t(Bytes.size())));
        if (Reader.LoadFromData(Bytes)) {
            ++Loaded;
            Reader.ContainsType(FixtureTypes[Round % 5]);
        }
    }
    // Most flips land on bytes that do not matter; the reader must still read those copies.
    EXPECT_GT(Loaded, 0);
}
