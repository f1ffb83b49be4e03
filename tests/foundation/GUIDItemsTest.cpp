#include "foundation/GUIDItems.h"

#include "foundation/QORExceptions.h"
#include "foundation/Streams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const TGUID First = TGUID::Parse("{00112233-4455-6677-8899-AABBCCDDEEFF}");
const TGUID Second = TGUID::Parse("{10112233-4455-6677-8899-AABBCCDDEEFF}");

QByteArray Saved()
{
    TGUIDItems Items;
    Items.Add(new TGUIDItem(First, "first"));
    Items.Add(new TGUIDItem(Second, QString::fromUtf8("zweite \u00e9")));
    TMemoryStream Stream;
    Items.SaveToStream(Stream);
    return Stream.Data();
}

// Remembers the most room the list had reserved when it took an item.
class TCapacityWatch : public TGUIDItems
{
public:
    int32_t LargestCapacity = 0;

    void Notify(TQORObject* Item, TQORListNotification Action) override
    {
        if (Action == qlnTaken)
            LargestCapacity = std::max(LargestCapacity, Capacity());
    }
};

// Loads into a list that already holds an item, as a reused document would.
void LoadInto(const QByteArray& Bytes, TGUIDItems& Target)
{
    Target.Add(new TGUIDItem(Second, "stale"));
    TMemoryStream Stream(Bytes);
    Target.LoadFromStream(Stream);
}

TEST(GUIDItemsPersistence, RoundTripsWithTheTaggedLayout)
{
    const QByteArray Bytes = Saved();
    const auto Tag = GUIDItemsFormatTag.ToBytes();
    EXPECT_EQ(Bytes.left(20), QByteArray(reinterpret_cast<const char*>(Tag.data()), 16) + QByteArray("\2\0\0\0", 4));
    EXPECT_EQ(Bytes.size(), 20 + (16 + 4 + 5) + (16 + 4 + 8));

    TGUIDItems Loaded;
    LoadInto(Bytes, Loaded);
    ASSERT_EQ(Loaded.Count(), 2);
    EXPECT_EQ(Loaded.Items(1)->Name(), QString::fromUtf8("zweite \u00e9"));
    TGUIDItem* Found = nullptr;
    EXPECT_TRUE(Loaded.Find(Second, Found) && Found == Loaded.Items(1));

    // The items a load creates belong to the list, whichever kind of list was asked for.
    std::unique_ptr<TQORList> Copy(Loaded.CreateList(false));
    EXPECT_TRUE(Copy->OwnsItems());
}

struct TDamage
{
    const char* Name;
    int Offset;
    QByteArray Bytes; // replaces the bytes at Offset; an Offset of -1 cuts the stream there instead
    bool IndexError;
};

void PrintTo(const TDamage& Case, std::ostream* Stream)
{
    *Stream << Case.Name;
}

class GUIDItemsDamagedStream : public ::testing::TestWithParam<TDamage>
{};

TEST_P(GUIDItemsDamagedStream, FailsAndLeavesTheListEmpty)
{
    QByteArray Bytes = Saved();
    if (GetParam().Offset < 0)
        Bytes.chop(GetParam().Bytes.toInt());
    else
        Bytes.replace(GetParam().Offset, GetParam().Bytes.size(), GetParam().Bytes);
    TCapacityWatch Target;
    const QString Report = ReportOf([&] { LoadInto(Bytes, Target); });
    EXPECT_EQ(Report,
              GetParam().Offset == 0  ? "Unrecognised data format."
              : GetParam().IndexError ? "Invalid list item index."
                                      : "Loading error.");
    EXPECT_EQ(Target.Count(), 0);
    // A count the stream cannot hold must not reserve room for it first: no more items than the
    // stream's bytes could hold, the one already in the list aside.
    EXPECT_LE(Target.LargestCapacity, std::max<int32_t>(4, Bytes.size() / 20));
}

INSTANTIATE_TEST_SUITE_P(Damage,
                         GUIDItemsDamagedStream,
                         ::testing::Values(TDamage{"OtherTag", 0, "\1", false},
                                           TDamage{"NegativeCount", 16, QByteArray("\xff\xff\xff\xff", 4), true},
                                           TDamage{"CountAtLimit", 16, QByteArray("\0\0\0\x08", 4), true},
                                           TDamage{"CountBelowLimit", 16, QByteArray("\xff\xff\xff\x07", 4), false},
                                           TDamage{"CutInsideAName", -1, "3", false}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace
