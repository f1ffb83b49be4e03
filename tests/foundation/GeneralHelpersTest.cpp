#include "foundation/General.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Paths are written with "/" for the platform separator; Windows-written forms keep their "\".
QString Native(const char* Text)
{
    return QString::fromUtf8(Text).replace(QLatin1Char('/'), QDir::separator());
}

struct TCombineCase
{
    const char* Directory;
    const char* Name;
    const char* Expected;
};

class CombinePathTest : public ::testing::TestWithParam<TCombineCase>
{};

TEST_P(CombinePathTest, JoinsWithExactlyOneDelimiter)
{
    const TCombineCase& Case = GetParam();
    EXPECT_EQ(CombinePath(QString::fromUtf8(Case.Directory), QString::fromUtf8(Case.Name)), Native(Case.Expected));
}

INSTANTIATE_TEST_SUITE_P(Table,
                         CombinePathTest,
                         ::testing::Values(TCombineCase{"", "a.txt", "a.txt"},
                                           TCombineCase{"", "", ""},
                                           TCombineCase{"dir", "a.txt", "dir/a.txt"},
                                           TCombineCase{"dir/", "a.txt", "dir/a.txt"},
                                           TCombineCase{"dir/", "", "dir"},
                                           TCombineCase{"dir", "", "dir"},
                                           TCombineCase{"/", "", "/"},
                                           // Definitions written on Windows keep their backslashes.
                                           TCombineCase{"C:\\dir\\", "a.txt", "C:\\dir\\a.txt"},
                                           TCombineCase{"C:\\dir\\", "", "C:\\dir"}));

struct TDirectoryCase
{
    const char* FileName;
    const char* Expected;
};

class ExtractDirectoryTest : public ::testing::TestWithParam<TDirectoryCase>
{};

TEST_P(ExtractDirectoryTest, DropsNameAndTrailingDelimiterButKeepsRoot)
{
    const TDirectoryCase& Case = GetParam();
    EXPECT_EQ(ExtractDirectory(Native(Case.FileName)), Native(Case.Expected));
}

INSTANTIATE_TEST_SUITE_P(Table,
                         ExtractDirectoryTest,
                         ::testing::Values(TDirectoryCase{"/home/me/Demo.cpd", "/home/me"},
                                           TDirectoryCase{"/Demo.cpd", "/"},
                                           TDirectoryCase{"Demo.cpd", ""},
                                           TDirectoryCase{"dir/", "dir"},
                                           TDirectoryCase{"", ""}));

struct TDriveCase
{
    const char* FileName;
    bool Expected;
};

class HasDriveTest : public ::testing::TestWithParam<TDriveCase>
{};

TEST_P(HasDriveTest, RecognisesDrivesAndShares)
{
    EXPECT_EQ(HasDrive(QString::fromUtf8(GetParam().FileName)), GetParam().Expected) << GetParam().FileName;
}

INSTANTIATE_TEST_SUITE_P(Table,
                         HasDriveTest,
                         ::testing::Values(TDriveCase{"C:\\dir\\a.dll", true},
                                           TDriveCase{"c:a.dll", true},
                                           TDriveCase{"\\\\server\\share\\a.dll", true},
                                           TDriveCase{"dir\\a.dll", false},
                                           TDriveCase{"1:\\a.dll", false},
                                           TDriveCase{"", false},
                                           TDriveCase{"a", false},
#ifdef Q_OS_WIN
                                           TDriveCase{"/usr/lib/a.so", false}
#else
                                           TDriveCase{"/usr/lib/a.so", true}
#endif
                                           ));

TEST(Capitalise, TouchesOnlyAToZAtWordStarts)
{
    EXPECT_EQ(CapitaliseFirst(QStringLiteral("driver 'x'")), QStringLiteral("Driver 'x'"));
    EXPECT_EQ(CapitaliseFirst(QStringLiteral("élan")), QStringLiteral("élan"));
    EXPECT_EQ(CapitaliseFirst(QString()), QString());
    EXPECT_EQ(CapitaliseWords(QStringLiteral("task  result item-format 9x élan")),
              QStringLiteral("Task  Result Item-format 9x élan"));
}

class GeneralSeamsTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SetClockForTesting(nullptr);
        SetGUIDGeneratorForTesting(nullptr);
    }
};

TEST_F(GeneralSeamsTest, NowUTCCountsDaysFrom1899InUTC)
{
    SetClockForTesting([] { return QDateTime(QDate(2000, 1, 1), QTime(12, 0), Qt::UTC); });
    EXPECT_DOUBLE_EQ(NowUTC(), 36526.5);
    // A clock in another zone still yields UTC.
    SetClockForTesting([] { return QDateTime(QDate(2000, 1, 1), QTime(14, 0), QTimeZone(7200)); });
    EXPECT_DOUBLE_EQ(NowUTC(), 36526.5);

    SetClockForTesting(nullptr);
    const double Expected = 25569.0 + QDateTime::currentMSecsSinceEpoch() / 86400000.0;
    EXPECT_NEAR(NowUTC(), Expected, 1.0 / 86400);
}

TEST_F(GeneralSeamsTest, CreateGUIDUsesGeneratorAndReportsFailure)
{
    const TGUID Fixed = TGUID::Parse("{0B3E1C6A-2F4D-4E5B-9A7C-1D2E3F405162}");
    SetGUIDGeneratorForTesting([&Fixed] { return Fixed; });
    EXPECT_EQ(CreateGUID(), Fixed);

    SetGUIDGeneratorForTesting([]() -> std::optional<TGUID> { return std::nullopt; });
    EXPECT_EQ(ExpectThrowReport<E_QOR_UnknownError>([] { CreateGUID(); }), QStringLiteral("Unknown error."));

    SetGUIDGeneratorForTesting(nullptr);
    const TGUID First = CreateGUID();
    EXPECT_FALSE(IsNullGUID(First));
    EXPECT_NE(First, CreateGUID());
    EXPECT_EQ(First.ToString().size(), 38);
    EXPECT_EQ(First.ToString(), First.ToString().toUpper());
}

class TRecordingBackend : public IBusyCursorBackend
{
public:
    void SetBusy(bool Busy) override { Calls.push_back(Busy); }
    std::vector<bool> Calls;
};

class BusyCursorTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(BusyCursorCount(), 0); }
    void TearDown() override
    {
        SetBusyCursorBackend(nullptr);
        while (BusyCursorCount() > 0)
            DecBusyCursor();
    }
    TRecordingBackend Backend;
};

TEST_F(BusyCursorTest, NestedPairsKeepBusyUntilOutermostEnds)
{
    SetBusyCursorBackend(&Backend);
    IncBusyCursor();
    IncBusyCursor();
    DecBusyCursor();
    EXPECT_EQ(Backend.Calls, std::vector<bool>{true});
    DecBusyCursor();
    EXPECT_EQ(Backend.Calls, (std::vector<bool>{true, false}));
    EXPECT_EQ(BusyCursorCount(), 0);
}

TEST_F(BusyCursorTest, UnpairedDecRaisesAndLeavesCountAtZero)
{
    EXPECT_EQ(ReportOf([] { DecBusyCursor(); }), QStringLiteral("Invalid call to DecBusyCursor."));
    EXPECT_EQ(BusyCursorCount(), 0);
    IncBusyCursor();
    DecBusyCursor();
    EXPECT_EQ(BusyCursorCount(), 0);
}

TEST_F(BusyCursorTest, WorksWithoutBackendAndHandsOverBusyStateOnInstall)
{
    {
        TBusyCursor Busy;
        EXPECT_EQ(BusyCursorCount(), 1);
        SetBusyCursorBackend(&Backend);
        EXPECT_EQ(Backend.Calls, std::vector<bool>{true});
        TRecordingBackend Other;
        SetBusyCursorBackend(&Other);
        EXPECT_EQ(Backend.Calls, (std::vector<bool>{true, false}));
        EXPECT_EQ(Other.Calls, std::vector<bool>{true});
        SetBusyCursorBackend(&Backend);
    }
    EXPECT_EQ(BusyCursorCount(), 0);
    EXPECT_EQ(Backend.Calls, (std::vector<bool>{true, false, true, false}));
}

TEST_F(BusyCursorTest, ScopeReleasesWhenAnExceptionPasses)
{
    EXPECT_THROW(
        {
            TBusyCursor Busy;
            throw E_QOR_Failed();
        },
        E_QOR_Failed);
    EXPECT_EQ(BusyCursorCount(), 0);
}

} // namespace
