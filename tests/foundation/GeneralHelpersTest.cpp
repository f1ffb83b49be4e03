#include "foundation/BusyCursor.h"
#include "foundation/General.h"
#include "support/TestSupport.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Capitalise, TouchesOnlyAToZAtWordStarts)
{
    EXPECT_EQ(CapitaliseFirst(QStringLiteral("driver 'x'")), QStringLiteral("Driver 'x'"));
    EXPECT_EQ(CapitaliseFirst(QStringLiteral("élan")), QStringLiteral("élan"));
    EXPECT_EQ(CapitaliseWords(QStringLiteral("task  result item-format 9x élan")),
              QStringLiteral("Task  Result Item-format 9x élan"));
}

TEST(GeneralSeams, ClockAndGUIDGeneratorCanBeFixed)
{
    SetClockForTesting([] { return QDateTime(QDate(2000, 1, 1), QTime(14, 0), QTimeZone(7200)); });
    EXPECT_DOUBLE_EQ(NowUTC(), 36526.5);
    SetClockForTesting(nullptr);
    EXPECT_NEAR(NowUTC(), 25569.0 + QDateTime::currentMSecsSinceEpoch() / 86400000.0, 1.0 / 86400);

    const TGUID Fixed = TGUID::Parse("{0B3E1C6A-2F4D-4E5B-9A7C-1D2E3F405162}");
    SetGUIDGeneratorForTesting([&Fixed] { return Fixed; });
    EXPECT_EQ(CreateGUID(), Fixed);
    SetGUIDGeneratorForTesting([]() -> std::optional<TGUID> { return std::nullopt; });
    EXPECT_EQ(ExpectThrowReport<E_QOR_UnknownError>([] { CreateGUID(); }), QStringLiteral("Unknown error."));
    SetGUIDGeneratorForTesting(nullptr);
    const TGUID First = CreateGUID();
    EXPECT_FALSE(IsNullGUID(First));
    EXPECT_NE(First, CreateGUID());
}

TEST(GUIDText, RegistryFormInAndOut)
{
    const TGUID Value = TGUID::Parse("{0b3e1c6a-2f4d-4e5b-9a7c-1d2e3f405162}");
    EXPECT_EQ(Value.ToString(), "{0B3E1C6A-2F4D-4E5B-9A7C-1D2E3F405162}");
    EXPECT_EQ(TGUID::FromString("0B3E1C6A-2F4D-4E5B-9A7C-1D2E3F405162"), Value);
    EXPECT_EQ(TGUID{}.ToString(), "{00000000-0000-0000-0000-000000000000}");
    for (const char16_t* Bad : {u"{0B3E1C6A-2F4D-4E5B-9A7C-1D2E3F40516}",
                                u"{0B3E1C6A-2F4D-4E5B-9A7C+1D2E3F405162}",
                                u"(0B3E1C6A-2F4D-4E5B-9A7C-1D2E3F405162)",
                                u"{0B3E1C6A-2F4D-4E5B-9A7C-1D2E3F40516\u00E9}",
                                u"{0B3E1C6A-2F4D-4E5B-9A7C-1D2E3F40516\u00FF}"})
        EXPECT_FALSE(TGUID::FromString(QString::fromUtf16(Bad))) << QString::fromUtf16(Bad).toStdString();
}

class TRecordingBackend : public IBusyCursorBackend
{
public:
    void SetBusy(bool Busy) override { Calls.push_back(Busy); }
    std::vector<bool> Calls;
};

TEST(BusyCursor, NestedPairsKeepBusyUntilTheOutermostEnds)
{
    TRecordingBackend Backend;
    SetBusyCursorBackend(&Backend);
    IncBusyCursor();
    {
        TBusyCursor Inner;
        // A backend installed mid-way takes over the busy state.
        TRecordingBackend Other;
        SetBusyCursorBackend(&Other);
        SetBusyCursorBackend(&Backend);
        EXPECT_EQ(Other.Calls, (std::vector<bool>{true, false}));
    }
    EXPECT_EQ(Backend.Calls, (std::vector<bool>{true, false, true}));
    DecBusyCursor();
    EXPECT_EQ(Backend.Calls, (std::vector<bool>{true, false, true, false}));
    SetBusyCursorBackend(nullptr);
}

TEST(BusyCursor, UnpairedDecRaisesAndLeavesTheCountAtZero)
{
    EXPECT_EQ(ReportOf([] { DecBusyCursor(); }), QStringLiteral("Invalid call to DecBusyCursor."));
    EXPECT_EQ(BusyCursorCount(), 0);
    EXPECT_THROW(
        {
            TBusyCursor Busy;
            throw E_QOR_Failed();
        },
        E_QOR_Failed);
    EXPECT_EQ(BusyCursorCount(), 0);
}

} // namespace
