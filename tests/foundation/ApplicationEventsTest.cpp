#include "foundation/ApplicationEvents.h"

#include "foundation/QORExceptions.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EventDispatch, OnlyTheLastHandlerRunsAndEarlierOnesReturnAfterRemoval)
{
    TNotifyEventList List;
    std::string Calls;
    int FormA = 0, FormB = 0;
    EXPECT_FALSE(List.Dispatch(nullptr));
    List.Add(&FormA, [&](void*) { Calls += "A"; });
    List.Add(&FormB, [&](void*) { Calls += "B"; });
    List.Add(&FormB, [&](void*) { Calls += "b"; });
    EXPECT_TRUE(List.Dispatch(nullptr));
    List.RemoveOwner(&FormB);
    List.Dispatch(nullptr);
    EXPECT_EQ(Calls, "bA");
    EXPECT_EQ(ExpectThrowReport<E_QOR_ProgramError>([&] { List.RemoveOwner(&FormB); }),
              "Program error. Not present in event list.");
    EXPECT_EQ(List.Count(), 1);
}

TEST(EventDispatch, AHandlerMayRemoveItsOwnItem)
{
    TIdleEventList List;
    int Owner = 0;
    bool Done = false;
    List.Add(&Owner, [&List, &Owner, Text = std::string("captured")](void*, bool& D) {
        List.RemoveOwner(&Owner);
        D = Text == "captured";
    });
    List.Dispatch(nullptr, Done);
    EXPECT_TRUE(Done);
    EXPECT_EQ(List.Count(), 0);
}

} // namespace
