#include "model/Data.h"
#include "samples/SampleDefinitions.h"

#include <gtest/gtest.h>

using namespace SampleDefinitions;

namespace {

// A package with one task type used as input by three task modules and as output by one, spread
// over two task module objects of two code modules, and a second task type left alone.
struct TTaskTypeFixture
{
    TData Data;
    TTaskType* Used = AddElement<TTaskType>(Data.TaskTypes);
    TTaskType* Other = AddElement<TTaskType>(Data.TaskTypes);
    std::vector<TTaskModule*> Modules;

    TTaskTypeFixture()
    {
        for (int C = 0; C < 2; ++C) {
            auto* Object = AddElement<TTaskModuleObject>(AddElement<TCodeModule>(Data.CodeModules)->TaskModuleObjects);
            for (int M = 0; M < 2; ++M)
                Modules.push_back(AddElement<TTaskModule>(Object->TaskModules));
        }
        for (int M = 0; M < 3; ++M) {
            Modules[M]->InputTaskTypes.Add(Used);
            Modules[M]->InputTaskTypes.Add(Other);
        }
        Modules[3]->OutputTaskTypes.Add(Used);
    }
};

} // namespace

TEST(DeletedTaskType, DisappearsFromEveryInputAndOutputList)
{
    TTaskTypeFixture Fixture;
    Fixture.Data.TaskTypes.Delete(0);
    for (int M = 0; M < 3; ++M) {
        ASSERT_EQ(Fixture.Modules[M]->InputTaskTypes.Count(), 1);
        EXPECT_EQ(Fixture.Modules[M]->InputTaskTypes.Items(0), Fixture.Other);
    }
    EXPECT_EQ(Fixture.Modules[3]->OutputTaskTypes.Count(), 0);
    EXPECT_EQ(Fixture.Data.CodeModules.Items(1)->TaskModuleObjects.Items(0)->TaskModules.Count(), 2);
}

TEST(DeletedInterfaceType, DisappearsFromHostAndModuleInterfacesOnly)
{
    TData Data;
    BuildRich(Data);
    TInterfaceType* Plugin = Data.InterfaceTypes.Items(1);
    TCodeModule* Engine = Data.CodeModules.Items(0);
    TCodeModule* Tools = Data.CodeModules.Items(1);
    TInterfaceTypes Elsewhere(false);
    Elsewhere.Add(Plugin);
    Elsewhere.Add(Plugin);

    Data.InterfaceTypes.Remove(Plugin);
    EXPECT_EQ(Engine->ModuleInterfaces.Count(), 0);
    EXPECT_EQ(Engine->HostInterfaces.Count(), 2);
    EXPECT_EQ(Tools->HostInterfaces.Count(), 0);
    // A list the package does not know keeps its entries (now stale): only the package's are kept.
    EXPECT_EQ(Elsewhere.Count(), 2);
}

// Deleting the configurator's task module, its object, its code module or emptying its list: each
// deletes the module one at a time, so the reference to it is dropped.
class DeletedConfigurator : public testing::TestWithParam<int>
{};

TEST_P(DeletedConfigurator, LeavesNoDanglingConfigurator)
{
    TData Data;
    BuildRich(Data);
    TTaskModuleObject* Runner = Data.CodeModules.Items(0)->TaskModuleObjects.Items(0);
    TCodeModule* Tools = Data.CodeModules.Items(1);
    TTaskModuleObject* Settings = Tools->TaskModuleObjects.Items(0);
    ASSERT_EQ(Runner->Configurator, Settings->TaskModules.Items(0));
    switch (GetParam()) {
    case 0:
        Settings->TaskModules.Delete(0);
        EXPECT_EQ(Runner->CommandEditor, Settings->TaskModules.Items(0));
        break;
    case 1:
        Tools->TaskModuleObjects.Delete(0);
        EXPECT_EQ(Runner->CommandEditor, nullptr);
        break;
    case 2:
        Data.CodeModules.Delete(1);
        EXPECT_EQ(Runner->CommandEditor, nullptr);
        break;
    case 3:
        Settings->TaskModules.ClearNotifying();
        EXPECT_EQ(Runner->CommandEditor, nullptr);
        break;
    }
    EXPECT_EQ(Runner->Configurator, nullptr);
    TData Reloaded;
    LoadFromBytes(Reloaded, SaveToBytes(Data));
    EXPECT_TRUE(Reloaded.Equals(Data));
}

static std::string DeletionName(const testing::TestParamInfo<int>& Info)
{
    const char* Names[] = {"TaskModuleDeleted", "ObjectDeleted", "CodeModuleDeleted", "TaskModulesCleared"};
    return Names[Info.param];
}

INSTANTIATE_TEST_SUITE_P(Ways, DeletedConfigurator, testing::Values(0, 1, 2, 3), DeletionName);

// Whatever single element goes, the package is left without dangling references: it still saves,
// and what it saves reloads to the same package.
TEST(DeletedElement, LeavesAPackageThatSavesAndReloads)
{
    TData Probe;
    BuildRich(Probe);
    std::vector<std::function<TQORList*(TData&)>> Lists{
        [](TData& D) { return &D.TaskTypes; },
        [](TData& D) { return &D.TaskRecordingTypes; },
        [](TData& D) { return &D.TaskResultItemFormats; },
        [](TData& D) { return &D.MediaItemFormats; },
        [](TData& D) { return &D.InterfaceTypes; },
        [](TData& D) { return &D.Drivers; },
        [](TData& D) { return &D.CodeModules; },
        [](TData& D) { return &D.CodeModules.Items(0)->TaskModuleObjects; },
        [](TData& D) { return &D.CodeModules.Items(0)->TaskModuleObjects.Items(0)->TaskModules; },
        [](TData& D) { return &D.CodeModules.Items(1)->TaskModuleObjects.Items(0)->TaskModules; },
        [](TData& D) { return &D.CodeModules.Items(0)->CommandLineTools; },
        [](TData& D) { return &D.CodeModules.Items(0)->SupportFiles; }};
    for (size_t L = 0; L < Lists.size(); ++L) {
        for (int32_t I = 0; I < Lists[L](Probe)->Count(); ++I) {
            TData Data;
            BuildRich(Data);
            Lists[L](Data)->Delete(I);
            TData Reloaded;
            ASSERT_NO_THROW(LoadFromBytes(Reloaded, SaveToBytes(Data))) << "list " << L << " item " << I;
            EXPECT_TRUE(Reloaded.Equals(Data)) << "list " << L << " item " << I;
        }
    }
}

TEST(ClearedPackage, IsAFreshPackage)
{
    TData Data;
    BuildRich(Data);
    Data.BetaSoftware = true;
    Data.DataTypesExpanded = true;
    Data.Clear();
    EXPECT_TRUE(Data.Equals(TData()));
}

TEST(ConfiguratorInLaterCodeModule, IsSetAfterLoading)
{
    // The first code module's object points at task module 1 of object 0 of code module 1.
    const auto Pointing = TaskModuleObjectRecord(ovCurrent, 0, {}, {1, 0, 1}, {-1, -1, -1});
    const auto Target =
        TaskModuleObjectRecord(ovCurrent,
                               0,
                               {TaskModuleRecord(FormatTag::TaskModule, 1), TaskModuleRecord(FormatTag::TaskModule, 8)},
                               {-1, -1, -1},
                               {-1, -1, -1});
    TData Data;
    LoadFromBytes(Data, Definition(FormatTag::Data, {}, {CodeModuleRecord({Pointing}), CodeModuleRecord({Target})}));
    const TTaskModuleObject* First = Data.CodeModules.Items(0)->TaskModuleObjects.Items(0);
    const TTaskModuleObject* Second = Data.CodeModules.Items(1)->TaskModuleObjects.Items(0);
    EXPECT_EQ(First->Configurator, Second->TaskModules.Items(1));
    EXPECT_EQ(First->CommandEditor, nullptr);
}

TEST(ListReloadedInPlace, DropsReferencesToItsOldItems)
{
    TData Data;
    BuildRich(Data);
    TMemoryStream Stream(SaveToBytes(TTaskTypes(true)));
    Data.TaskTypes.LoadFromStream(Stream);
    const TTaskModule* Runner = Data.CodeModules.Items(0)->TaskModuleObjects.Items(0)->TaskModules.Items(0);
    EXPECT_EQ(Runner->InputTaskTypes.Count(), 0);
    EXPECT_EQ(Runner->OutputTaskTypes.Count(), 0);
    EXPECT_NO_THROW(SaveToBytes(Data));
}
