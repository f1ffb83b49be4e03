#include "QORTestObjects.h"
#include "foundation/QORExceptions.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// The events logged since the last call, joined by "; ".
std::string TakeLog()
{
    std::string Joined;
    for (const std::string& Line : std::exchange(EventLog(), {}))
        Joined += (Joined.empty() ? "" : "; ") + Line;
    return Joined;
}

TEST(ListOwnership, AnItemOwnedElsewhereIsRefusedAndNothingChanges)
{
    TNamedList First, Second;
    Fill(First, 1);
    Fill(Second, 4);
    TQORObject* Item = First.Items(0);
    ExpectThrowReport<E_QOR_ListItemIsAlreadyOwned>([&] { Second.Add(Item); });
    ExpectThrowReport<E_QOR_ListItemIsAlreadyOwned>([&] { Second.Insert(0, Item); });
    // Over itself, the item would be destroyed and its dangling pointer stored again.
    ExpectThrowReport<E_QOR_ListItemIsAlreadyOwned>([&] { First.SetItem(0, Item); });
    EXPECT_EQ(Names(First) + "|" + Names(Second), "A|A,B,C,D");
    EXPECT_EQ(Second.Capacity(), 4);
    EXPECT_EQ(Item->Parent(), &First);

    TUnrelated Stranger;
    ExpectThrowReport<E_QOR_InvalidObjectType>([&] { Second.Add(&Stranger); });
    TQORList Mixed(false);
    Mixed.Add(Item);
    Mixed.Add(&Stranger);
    TNamedList Target(false);
    EXPECT_EQ(ExpectThrowReport<E_QOR_InvalidArg>([&] { Target.AddList(&Mixed); }), "Invalid argument.");
    EXPECT_EQ(Names(Target), "A");
    TQORList Gap(false);
    Gap.Add(nullptr);
    ExpectThrowReport<E_QOR_InvalidArg>([&] { Target.AddList(&Gap); });
    EXPECT_EQ(Target.Count(), 1) << "an empty slot is not an item";
}

TEST(ListOwnership, DisownLeavesReferencedItemsToTheirOwner)
{
    auto Owner = std::make_unique<TNamedList>();
    Fill(*Owner, 2);
    TNamedList References(false);
    References.Add(Owner->Items(0));
    References.Disown();
    EXPECT_EQ(Owner->Items(0)->Parent(), Owner.get());

    std::unique_ptr<TQORObject> A(Owner->Items(0)), B(Owner->Items(1));
    Owner->Disown();
    EXPECT_EQ(A->Parent(), nullptr);
    TakeLog();
    Owner.reset();
    EXPECT_EQ(TakeLog(), "");
}

struct TFailingCall
{
    const char* Name;
    void (*Call)(TQORList&);
};

void PrintTo(const TFailingCall& Case, std::ostream* Stream)
{
    *Stream << Case.Name;
}

class ListIndexChecks : public ::testing::TestWithParam<TFailingCall>
{};

TEST_P(ListIndexChecks, ComeBeforeAnyChange)
{
    TNamedList List;
    Fill(List, 3);
    TakeLog();
    ExpectThrowReport<E_QOR_InvalidListItemIndex>([&] { GetParam().Call(List); });
    EXPECT_EQ(Names(List), "A,B,C");
    EXPECT_EQ(List.Capacity(), 4);
    EXPECT_EQ(TakeLog(), "");
}

INSTANTIATE_TEST_SUITE_P(Calls,
                         ListIndexChecks,
                         ::testing::Values(TFailingCall{"Delete", [](TQORList& L) { L.Delete(3); }},
                                           TFailingCall{"Insert", [](TQORList& L) { L.Insert(4, nullptr); }},
                                           TFailingCall{"Exchange", [](TQORList& L) { L.Exchange(0, -1); }},
                                           TFailingCall{"SetItem", [](TQORList& L) { L.SetItem(3, nullptr); }},
                                           TFailingCall{"Extract", [](TQORList& L) { L.Extract(-1); }},
                                           TFailingCall{"CapacityBelowCount", [](TQORList& L) { L.SetCapacity(2); }},
                                           TFailingCall{"CapacityAtLimit",
                                                        [](TQORList& L) { L.SetCapacity(MaxListSize); }},
                                           TFailingCall{"CountNegative", [](TQORList& L) { L.SetCount(-1); }}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(ListNotification, ShrinkingDestroysLastFirstWithTheWholeSequence)
{
    TNamedList List;
    TakeLog();
    Fill(List, 2);
    List.Subscribers().Add([](TQORObject* I) { EventLog().push_back("told " + I->GetName().toStdString()); });
    EXPECT_EQ(TakeLog(), "notify 1 A; notify 1 B");
    List.SetCount(0);
    EXPECT_EQ(TakeLog(),
              "notify 2 B; clear B; told B; destroyed B; notify 3 none; "
              "notify 2 A; clear A; told A; destroyed A; notify 3 none");
}

TEST(ListNotification, OnlyOwnedItemsAreDestroyedAndClearIsSilent)
{
    TNamedList List;
    Fill(List, 3);
    TNamedList References(false);
    References.Add(List.Items(0));
    TakeLog();
    References.Delete(0);
    std::unique_ptr<TQORObject> Extracted(List.Extract(0));
    EXPECT_EQ(Extracted->Parent(), nullptr);
    List.Clear();
    EXPECT_EQ(TakeLog(), "notify 2 A; notify 3 none; notify 4 A; destroyed B; destroyed C");
}

TEST(ListIndexCache, FollowsEveryKindOfChange)
{
    TNamedList List;
    Fill(List, 3);
    TQORObject* A = List.Items(0);
    EXPECT_EQ(List.Items(2)->GetIndex(), 2);
    List.Insert(0, new TNamed("X", 9));
    EXPECT_EQ(A->GetIndex(), 1);
    List.Insert(0, nullptr);
    EXPECT_EQ(A->GetIndex(), 2) << "an empty slot moves the items behind it as well";
    List.Delete(0);
    List.Exchange(1, 3);
    EXPECT_EQ(A->GetIndex(), 3);
    List.Sort();
    EXPECT_EQ(IndexOfObject(A), 0);

    TNamed Loose("Loose");
    TNamedList References(false);
    References.Add(&Loose);
    ExpectThrowReport<E_QOR_ListItemHasNoParent>([&] { Loose.GetIndex(); });
    ExpectThrowReport<E_QOR_ListNeedsToOwnItemsForThisOperation>([&] { References.RefreshIndexCache(); });
}

TEST(ListGrowth, AFullListGrowsAsItTakesTheNextItem)
{
    TQORList List(false);
    for (int I = 0; I < 95; ++I)
        List.Add(nullptr);
    EXPECT_EQ(List.Count(), 95);
    EXPECT_EQ(List.Capacity(), 95);
}

class ListSortOrders : public ::testing::TestWithParam<std::vector<int32_t>>
{};

TEST_P(ListSortOrders, Sorts)
{
    TNamedList List;
    for (int32_t V : GetParam())
        List.Add(new TNamed(QString::number(V), V));
    List.Sort();
    std::vector<int32_t> Expected = GetParam(), Got;
    std::sort(Expected.begin(), Expected.end());
    for (int32_t I = 0; I < List.Count(); ++I)
        Got.push_back(List.ItemAs<TNamed>(I)->Value);
    EXPECT_EQ(Got, Expected);
}

INSTANTIATE_TEST_SUITE_P(Orders,
                         ListSortOrders,
                         ::testing::Values(std::vector<int32_t>{},
                                           std::vector<int32_t>{5, 4, 3, 2, 1, 0},
                                           std::vector<int32_t>{3, 1, 3, 1, 2, 2, 0, 3},
                                           std::vector<int32_t>{9, 0, 8, 1, 7, 2, 6, 3, 5, 4, 10, -1, 11}),
                         PrintedTestName());

TEST(ListSort, AnOrderedListIsLeftAloneAndABadComparisonCannotBreakIt)
{
    TNamedList List;
    List.Add(new TNamed("first", 1));
    List.Add(new TNamed("second", 1));
    List.Add(new TNamed("third", 2));
    int Calls = 0;
    List.Sort([&](const TQORObject* A, const TQORObject* B) { return ++Calls, List.Compare(A, B); });
    EXPECT_EQ(Calls, 2);
    EXPECT_EQ(Names(List), "first,second,third");

    TNamedList Many;
    Fill(Many, 9);
    Many.Exchange(0, 8);
    Many.Sort([](const TQORObject*, const TQORObject*) { return -1; });
    std::string Letters = Names(Many);
    std::sort(Letters.begin(), Letters.end());
    EXPECT_EQ(Letters, ",,,,,,,,ABCDEFGHI");
}

// The sort as first written: recursion into the left part, a loop over the right one.
void ReferenceQuickSort(std::vector<std::pair<int, int>>& Slots, int Low, int High)
{
    int I;
    do {
        I = Low;
        int J = High;
        const int Pivot = Slots[(Low + High) / 2].first;
        do {
            while (Slots[I].first < Pivot)
                ++I;
            while (Slots[J].first > Pivot)
                --J;
            if (I <= J)
                std::swap(Slots[I++], Slots[J--]);
        } while (I <= J);
        if (Low < J)
            ReferenceQuickSort(Slots, Low, J);
        Low = I;
    } while (I < High);
}

TEST(ListSort, EqualItemsEndWhereTheOriginalQuicksortPutsThem)
{
    uint32_t Seed = 12345;
    auto Next = [&Seed] { return (Seed = Seed * 1103515245u + 12345u) >> 16; };
    for (int Round = 0; Round < 200; ++Round) {
        const int N = 2 + int(Next() % 40);
        std::vector<std::pair<int, int>> Reference;
        TNamedList List;
        for (int Id = 0; Id < N; ++Id) {
            const int Value = int(Next() % 4);
            Reference.emplace_back(Value, Id);
            List.Add(new TNamed(QString::number(Id), Value));
        }
        if (!std::is_sorted(Reference.begin(), Reference.end(), [](auto& A, auto& B) { return A.first < B.first; }))
            ReferenceQuickSort(Reference, 0, N - 1);
        List.Sort();
        std::string Expected, Got;
        for (int I = 0; I < N; ++I) {
            Expected += std::to_string(Reference[I].second) + ",";
            Got += List.ItemAs<TNamed>(I)->Name.toStdString() + ",";
        }
        ASSERT_EQ(Got, Expected) << "round " << Round;
    }
}

TEST(ListSort, StackDepthStaysSmallWhateverTheOrder)
{
    // The order is decided only as the sort asks, always so that the pivot comes out the largest
    // item of its part (after McIlroy's adversary for quicksort).
    constexpr int N = 3000;
    TNamedList List;
    for (int Id = 0; Id < N; ++Id)
        List.Add(new TNamed(QString(), Id));
    const int Gas = N;
    std::vector<int> Rank(N, Gas);
    int Solid = 0, Candidate = -1;
    char Top = 0;
    uintptr_t Deepest = reinterpret_cast<uintptr_t>(&Top);
    List.Sort([&](const TQORObject* A, const TQORObject* B) {
        char Here = 0;
        Deepest = std::min(Deepest, reinterpret_cast<uintptr_t>(&Here));
        const int X = static_cast<const TNamed*>(A)->Value, Y = static_cast<const TNamed*>(B)->Value;
        if (Rank[X] == Gas && Rank[Y] == Gas)
            Rank[X == Candidate ? X : Y] = Solid++;
        if (Rank[X] == Gas)
            Candidate = X;
        else if (Rank[Y] == Gas)
            Candidate = Y;
        return Rank[X] > Rank[Y] ? -1 : Rank[X] < Rank[Y] ? 1 : 0;
    });
    EXPECT_LT(reinterpret_cast<uintptr_t>(&Top) - Deepest, 64u * 1024) << "recursion went as deep as the list";
    for (int I = 1; I < N; ++I)
        ASSERT_GE(Rank[List.ItemAs<TNamed>(I - 1)->Value], Rank[List.ItemAs<TNamed>(I)->Value]);
}

TEST(ListSort, AddSortedGoesBeforeTheFirstItemItDoesNotFollow)
{
    TNamedList List;
    EXPECT_EQ(List.AddSorted(new TNamed("C", 3)), 0);
    EXPECT_EQ(List.AddSorted(new TNamed("A", 1)), 0);
    EXPECT_EQ(List.AddSorted(new TNamed("B", 2)), 1);
    EXPECT_EQ(List.AddSorted(new TNamed("b", 2)), 1);
    EXPECT_EQ(Names(List), "A,b,B,C");
}

TEST(ListSearch, FindByNameIgnoresCaseAndDescendsOnlyIntoLists)
{
    TQORList Outer(true);
    auto* Inner = new TNamedList;
    Inner->Name = "inner";
    Fill(*Inner, 2);
    Outer.Add(Inner);
    EXPECT_EQ(Inner->FindByName("b", false), Inner->Items(1));
    EXPECT_EQ(Outer.FindByName("a", false), nullptr);
    EXPECT_EQ(Outer.FindByName("a", true), Inner->Items(0));
    EXPECT_EQ(ExpectThrowReport<E_QOR>([&] { Outer.FindByName("zz", true); }),
              "Cannot search children as the objects contained in the list are not lists.");
    ExpectThrowReport<E_QOR_InvalidArg>([&] { Inner->Equals(Inner); });
}

} // namespace
