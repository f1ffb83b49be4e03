#include "foundation/ObjectClipboard.h"
#include "model/Data.h"
#include "model/ElementRegistry.h"
#include "samples/SampleDefinitions.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace SampleDefinitions;

TEST(NotImplementedOperation, ClassIDOfTaskModuleAndPlainListsNameAndEqualityOfElements)
{
    ExpectThrowReport<E_QOR_NotImplemented>([] { TTaskModule().GetClassID(); });
    ExpectThrowReport<E_QOR_NotImplemented>([] { TTaskTypes(true).GetClassID(); });

    TData Data;
    BuildRich(Data);
    const TCodeModule* Engine = Data.CodeModules.Items(0);
    for (const TQORObject* Element : std::initializer_list<const TQORObject*>{Data.TaskTypes.Items(0),
                                                                              Data.MediaItemFormats.Items(0),
                                                                              Data.InterfaceTypes.Items(0),
                                                                              Data.Drivers.Items(0),
                                                                              Engine,
                                                                              Engine->SupportFiles.Items(0),
                                                                              Engine->TaskModuleObjects.Items(0),
                                                                              Engine->CommandLineTools.Items(0)}) {
        ExpectThrowReport<E_QOR_NotImplemented>([&] { Element->Equals(Element); });
        ExpectThrowReport<E_QOR_NotImplemented>([&] { Element->GetName(); });
    }
    // A list compares its items, so comparing lists of elements is not implemented either.
    TDrivers Copy;
    Copy.Assign(&Data.Drivers, true);
    ExpectThrowReport<E_QOR_NotImplemented>([&] { Data.Drivers.Equals(&Copy); });
}

TEST(ClipboardRegistry, HoldsTheElementClassesInPasteOrder)
{
    TQORObjectClipboard::UnregisterAllClasses();
    RegisterElementClasses();
    RegisterElementClasses();
    const std::vector<const TQORClass*> Expected{&TTaskType::StaticClass(),
                                                 &TTaskRecordingType::StaticClass(),
                                                 &TTaskResultItemFormat::StaticClass(),
                                                 &TMediaItemFormat::StaticClass(),
                                                 &TInterfaceType::StaticClass(),
                                                 &TDrivers::StaticClass(),
                                                 &TDriver::StaticClass(),
                                                 &TCodeModule::StaticClass(),
                                                 &TTaskModuleObject::StaticClass(),
                                                 &TSupportFile::StaticClass(),
                                                 &TCommandLineTool::StaticClass()};
    EXPECT_EQ(TQORObjectClipboard::RegisteredClasses(), Expected) << "in order, each once";
    EXPECT_EQ(&TQORObjectClipboard::FindClass(TDrivers::StaticClass().GetClassID()), &TDrivers::StaticClass());
    EXPECT_FALSE(TQORObjectClipboard::IsClassRegistered(TTaskModule::StaticClass()));
    ExpectThrowReport<E_QOR_UnrecognisedDataFormat>([] { TQORObjectClipboard::FindClass(SampleGUID(77)); });
}

TEST(NewElement, HasDefaultsAndClearRestoresThem)
{
    TData Data;
    BuildRich(Data);
    TTaskModuleObject* Runner = Data.CodeModules.Items(0)->TaskModuleObjects.Items(0);
    Runner->Clear();
    TTaskModuleObject Fresh;
    EXPECT_EQ(Fresh.PreferredWidth, 548);
    EXPECT_EQ(Fresh.PreferredHeight, 411);
    EXPECT_EQ(SaveToBytes(*Runner), SaveToBytes(Fresh));

    TCodeModule* Engine = Data.CodeModules.Items(0);
    Engine->Clear();
    EXPECT_EQ(SaveToBytes(*Engine), SaveToBytes(TCodeModule()));
}

TEST(AssignWithoutReferences, StoresPositionsThatResolveAgainstThePackage)
{
    TData Data;
    BuildRich(Data);
    const TCodeModule* Engine = Data.CodeModules.Items(0);
    TCodeModule Copy;
    Copy.Assign(Engine, false);
    ASSERT_EQ(Copy.HostInterfaces.Count(), 2);
    EXPECT_TRUE(Copy.HostInterfaces.IsPending(1));
    EXPECT_EQ(Copy.HostInterfaces.PendingIndex(1), 2);
    EXPECT_EQ(Copy.HostInterfaces.Items(1), nullptr);
    // Pending positions are saved as they are, so the copy's record is the original's.
    EXPECT_EQ(SaveToBytes(Copy), SaveToBytes(*Engine));
    Copy.HostInterfaces.ResolveReferences(Data.InterfaceTypes);
    EXPECT_EQ(Copy.HostInterfaces.Items(1), Data.InterfaceTypes.Items(2));
}

TEST(AssignWithReferences, CopiesPointersAndEveryField)
{
    TData Data;
    BuildRich(Data);
    const TTaskModuleObject* Runner = Data.CodeModules.Items(0)->TaskModuleObjects.Items(0);
    TTaskModuleObject Copy;
    Copy.Assign(Runner, true);
    EXPECT_EQ(Copy.Configurator, Runner->Configurator);
    EXPECT_EQ(Copy.TaskModules.Items(0)->InputTaskTypes.Items(1), Data.TaskTypes.Items(2));
    EXPECT_EQ(SaveToBytes(Copy), SaveToBytes(*Runner));

    TTaskResultItemFormat Edited;
    Edited.Assign(Data.TaskResultItemFormats.Items(0), true);
    Edited.Description = QStringLiteral("Changed");
    Data.TaskResultItemFormats.Items(0)->Assign(&Edited, true);
    EXPECT_EQ(Data.TaskResultItemFormats.Items(0)->Description, QStringLiteral("Changed"));
}

TEST(AssignAcrossClasses, IsRefused)
{
    TTaskType Task;
    TTaskRecordingType Recording;
    EXPECT_EQ(ReportOf([&] { Task.Assign(&Recording, true); }),
              QStringLiteral("Invalid argument. Unable to assign as objects are of different types. Source object is "
                             "of type 'TTaskRecordingType' and target object is of type 'TTaskType'."));
}

TEST(ReleasedReferences, LeaveElementsButNoReferences)
{
    TData Data;
    BuildRich(Data);
    TCodeModule Pasted;
    Pasted.Assign(Data.CodeModules.Items(0), true);
    Pasted.ReleaseReferences();
    EXPECT_EQ(Pasted.HostInterfaces.Count(), 0);
    const TTaskModuleObject* Runner = Pasted.TaskModuleObjects.Items(0);
    EXPECT_EQ(Runner->Configurator, nullptr);
    EXPECT_EQ(Runner->TaskModules.Count(), 2);
    EXPECT_EQ(Runner->TaskModules.Items(0)->InputTaskTypes.Count(), 0);
    EXPECT_EQ(Pasted.SupportFiles.Count(), 2);
}
