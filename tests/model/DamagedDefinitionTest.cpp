#include "foundation/ObjectClipboard.h"
#include "model/Data.h"
#include "model/ElementRegistry.h"
#include "samples/SampleDefinitions.h"
#include "support/TestSupport.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace SampleDefinitions;

namespace {

const QSet<QString>& CleanReports()
{
    static const QSet<QString> Reports{QStringLiteral("Loading error."),
                                       QStringLiteral("Unrecognised data format."),
                                       QStringLiteral("Invalid list item index.")};
    return Reports;
}

// A package that a failed load must leave exactly as it is.
struct TTarget
{
    TData Data;
    QByteArray Before;

    TTarget()
    {
        BuildRich(Data);
        Data.Name = QStringLiteral("Target before loading");
        Before = SaveToBytes(Data);
    }
};

// Loads Bytes into Target; answers the report of a failure, or empty on success.
QString LoadReport(TTarget& Target, const QByteArray& Bytes)
{
    try {
        LoadFromBytes(Target.Data, Bytes);
    } catch (const E_QOR&) {
        return GetExceptionReport();
    }
    return {};
}

QByteArray RichBytes()
{
    TData Data;
    BuildRich(Data);
    return SaveToBytes(Data);
}

QByteArray WithInteger(QByteArray Bytes, int Offset, int32_t Value)
{
    Bytes.replace(Offset, 4, QByteArray(reinterpret_cast<const char*>(&Value), 4));
    return Bytes;
}

} // namespace

TEST(TruncatedDefinition, FailsCleanlyAtEveryLengthAndLeavesTheTargetAsItWas)
{
    const QByteArray Rich = RichBytes();
    TTarget Target;
    for (int Length = 0; Length < Rich.size(); ++Length) {
        ASSERT_EQ(LoadReport(Target, Rich.left(Length)), QStringLiteral("Loading error.")) << "length " << Length;
        ASSERT_EQ(SaveToBytes(Target.Data), Target.Before) << "length " << Length;
    }
    EXPECT_EQ(LoadReport(Target, Rich + QByteArray("trailing")), QString());
    EXPECT_EQ(SaveToBytes(Target.Data), Rich);
}

TEST(CorruptedDefinition, EveryFlippedByteGivesACleanReportOrALoadablePackage)
{
    const QByteArray Rich = RichBytes();
    TTarget Target;
    for (int Offset = 0; Offset < Rich.size(); ++Offset) {
        for (char Pattern : {'\xFF', '\x01'}) {
            QByteArray Damaged = Rich;
            Damaged[Offset] = static_cast<char>(Damaged[Offset] ^ Pattern);
            const QString Report = LoadReport(Target, Damaged);
            if (Report.isEmpty()) {
                // Loaded: whatever it holds must save again, and the target is reset for the next round.
                ASSERT_NO_THROW(SaveToBytes(Target.Data)) << "offset " << Offset;
                LoadFromBytes(Target.Data, Target.Before);
                continue;
            }
            ASSERT_TRUE(CleanReports().contains(Report)) << Report.toStdString() << " at offset " << Offset;
            ASSERT_EQ(SaveToBytes(Target.Data), Target.Before) << "offset " << Offset;
        }
    }
}

struct THostileCount
{
    int32_t Count;
    const char* Report;
};

class HostileListCount : public testing::TestWithParam<THostileCount>
{};

// The task types count of an empty definition sits right after the header and the list tag. A count
// in range but beyond the data fails at the first missing item: there the next list's tag is read
// as a task type's tag.
TEST_P(HostileListCount, FailsWithTheReportOfTheItemsAndReservesOnlyWhatTheDataHolds)
{
    TData Empty;
    const QByteArray Bytes = WithInteger(SaveToBytes(Empty), 16 + 16 + 20 + 2 + 16, GetParam().Count);
    TTarget Target;
    EXPECT_EQ(LoadReport(Target, Bytes), QString::fromLatin1(GetParam().Report));

    TTaskTypes List(true);
    TMemoryStream Stream(Bytes.mid(16 + 16 + 20 + 2));
    EXPECT_ANY_THROW(List.LoadFromStream(Stream));
    EXPECT_LE(List.Capacity(), Bytes.size() / 16);
}

INSTANTIATE_TEST_SUITE_P(Counts,
                         HostileListCount,
                         testing::Values(THostileCount{-1, "Invalid list item index."},
                                         THostileCount{0x8000000, "Invalid list item index."},
                                         THostileCount{0x7FFFFFF, "Unrecognised data format."},
                                         THostileCount{9, "Unrecognised data format."}),
                         [](const testing::TestParamInfo<THostileCount>& Info) {
                             return "Count" + SanitisedTestName(QString::number(Info.param.Count));
                         });

TEST(DanglingReferenceIndex, IsAnInvalidListItemIndex)
{
    // The first task type reference of the first task module, pointing past the task types.
    TData Data;
    BuildRich(Data);
    QByteArray Bytes = SaveToBytes(Data);
    const QByteArray Modules = SaveToBytes(Data.CodeModules.Items(0)->TaskModuleObjects.Items(0)->TaskModules);
    const int Reference = Bytes.indexOf(Modules) + 16 + 4 + 16 + 16 + 4 + 1 + 16 + 4;
    TTarget Target;
    EXPECT_EQ(LoadReport(Target, WithInteger(Bytes, Reference, 3)), QStringLiteral("Invalid list item index."));
    EXPECT_EQ(LoadReport(Target, WithInteger(Bytes, Reference, 2)), QString());
}

TEST(DamagedClipboardPayload, FailsCleanlyAtEveryLength)
{
    RegisterElementClasses();
    TData Data;
    BuildRich(Data);
    TMemoryStream Payload;
    TQORObjectClipboard::CopyToStream(*Data.CodeModules.Items(0), Payload);
    const QByteArray Bytes = Payload.Data();
    for (int Length = 0; Length < Bytes.size(); ++Length) {
        TMemoryStream Stream(Bytes.left(Length));
        EXPECT_EQ(ReportOf([&] { TQORObjectClipboard::PasteFromStream(Stream); }), QStringLiteral("Loading error."))
            << "length " << Length;
    }
}
