#include "QORTestObjects.h"
#include "foundation/QORExceptions.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

TEST(ObjectAssignability, AcceptsSubclassesAndNamesTheProblemOtherwise)
{
    TNamed Target("t"), Source("s");
    TNamedChild Child("c");
    TUnrelated Stranger;
    EXPECT_EQ(ExpectThrowReport<E_QOR>([&] { Target.Assign(&Target, true); }), "Attempting to assign object to self.");
    EXPECT_EQ(ExpectThrowReport<E_QOR_InvalidArg>([&] { Target.Assign(&Stranger, true); }),
              "Invalid argument. Unable to assign as objects are of different types. Source object is of type "
              "'TUnrelated' and target object is of type 'TNamed'.");
    ExpectThrowReport<E_QOR_InvalidArg>([&] { Child.Assign(&Source, true); });
    Target.Assign(&Child, true);
    EXPECT_EQ(Target.Name, "c");
    // The base operations raise with the class's default message alone.
    for (const auto& Operation :
         std::vector<std::function<void(TQORObject&)>>{[](TQORObject& O) { O.GetClassID(); },
                                                       [](TQORObject& O) { O.GetName(); },
                                                       [](TQORObject& O) { O.Equals(&O); },
                                                       [](TQORObject& O) { O.Assign(nullptr, false); }}) {
        TUnrelated Object;
        EXPECT_EQ(ExpectThrowReport<E_QOR_NotImplemented>([&] { Operation(Object); }), "Not implemented.");
    }
}

TEST(ObjectLifetimeDeathTest, DestroyingAnObjectStillInUseEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            TNamedList List;
            auto* Item = new TNamed("owned");
            List.Add(Item);
            delete Item;
        },
        "still owned by a list of class TNamedList");
    EXPECT_DEATH(
        {
            auto* Item = new TNamed("held");
            Item->AddReference();
            delete Item;
        },
        "1 outstanding references");
    EXPECT_DEATH(TNamed("free").ReleaseReference(), "without a matching AddReference");
}

} // namespace
