#include "QORTestObjects.h"
#include "foundation/QORExceptions.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(ListAssign, AnOwningListCopiesItemsReusingItsOwn)
{
    TNamedList Source, Target;
    Fill(Source, 3);
    Source.SetExpanded(true);
    Fill(Target, 5);
    TQORObject* Kept = Target.Items(0);
    Target.Assign(&Source, true);
    EXPECT_TRUE(Target.Equals(&Source));
    EXPECT_EQ(Target.Items(0), Kept);
    EXPECT_EQ(Target.Items(2)->Parent(), &Target);
    EXPECT_TRUE(Target.Expanded());
    ExpectThrowReport<E_QOR_InvalidArg>([&] { Target.Assign(&Target, true); });
    ExpectThrowReport<E_QOR_InvalidObjectType>([&] { Target.Assign(Kept, true); });
}

TEST(ListAssign, AssignByNameKeepsObjectsByNameInTheSourceOrder)
{
    TNamedList Source, Target;
    Fill(Source, 3);
    for (const char* Name : {"c", "gone", "a"})
        Target.Add(new TNamed(Name, -1));
    TQORObject* A = Target.Items(2);
    TQORObject* C = Target.Items(0);
    Target.AssignByName(&Source, true);
    EXPECT_EQ(Names(Target), "A,B,C");
    EXPECT_EQ(Target.Items(0), A);
    EXPECT_EQ(Target.Items(2), C);
    EXPECT_EQ(C->GetIndex(), 2);
}

class ReferenceEntries : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Fill(Owner, 4);
        References.Add(Owner.Items(2));
        References.Add(Owner.Items(0));
        References.AddPending(3);
    }
    TNamedList Owner;
    TNamedList References{false};
    TNamedList Copy{false};
};

TEST_F(ReferenceEntries, KeepingReferencesCopiesPointersAndPendingPositions)
{
    Copy.Assign(&References, true);
    EXPECT_EQ(Copy.Items(0), Owner.Items(2));
    EXPECT_EQ(Names(Copy), "C,A,#3");
    EXPECT_EQ(Copy.Items(2), nullptr) << "a pending entry is never handed out as a pointer";
}

TEST_F(ReferenceEntries, OtherwisePositionsAreStoredAndResolveBack)
{
    Copy.Assign(&References, false);
    EXPECT_EQ(Names(Copy), "#2,#0,#3");
    Copy.ResolvePending(Owner);
    EXPECT_EQ(Names(Copy), "C,A,D");
    EXPECT_EQ(Copy.Items(2), Owner.Items(3));
}

TEST_F(ReferenceEntries, FailuresChangeNothing)
{
    TNamed Loose("Loose");
    TNamedList Unowned(false);
    Unowned.Add(&Loose);
    Copy.AddPending(1);
    ExpectThrowReport<E_QOR_ListItemHasNoParent>([&] { Copy.Assign(&Unowned, false); });
    Copy.AddPending(4);
    ExpectThrowReport<E_QOR_InvalidListItemIndex>([&] { Copy.ResolvePending(Owner); });
    EXPECT_EQ(Names(Copy), "#1,#4");
    ExpectThrowReport<E_QOR_InvalidCall>([&] { Owner.ResolvePending(Owner); });
    ExpectThrowReport<E_QOR_InvalidCall>([&] { Owner.AddPending(0); });
}

} // namespace
