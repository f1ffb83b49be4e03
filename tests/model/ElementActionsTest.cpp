#include "model/ElementActions.h"

#include "model/CodeModule.h"
#include "model/CommandLineTool.h"
#include "model/DataTypes.h"
#include "model/Driver.h"
#include "model/InterfaceType.h"
#include "model/PackageMarkers.h"
#include "model/SupportFile.h"
#include "model/TaskModule.h"
#include "model/TaskModuleObject.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

// Letters in menu order: Create, Edit, cUt, cOpy, Paste, cLear, Delete.
std::string Letters(const TElementActions& Actions)
{
    std::string Text;
    for (int I = 0; I < ElementActionCount; ++I)
        if (Actions.Shown[I])
            Text += "CEUOPLD"[I];
    return Text;
}

template <class T, class... A> std::function<std::unique_ptr<TQORObject>()> Make(A... Arguments)
{
    return [=] { return std::make_unique<T>(Arguments...); };
}

TGUID ID(const TQORClass& Class)
{
    return Class.GetClassID();
}

} // namespace

TEST(ElementActions, EveryNodeClassOffersItsItemsAndPastesOnlyItsOwnClass)
{
    const TGUID Other = ID(TInterfaceType::StaticClass());
    const struct
    {
        const char* Name;
        std::function<std::unique_ptr<TQORObject>()> Create;
        const char* Items;
        std::vector<TGUID> Fits;
    } Cases[] = {
        {"data types marker", Make<TDataTypesID>(), "", {}},
        {"package ID", Make<TCodePackageIDID>(), "E", {}},
        {"package info", Make<TCodePackageInfoID>(), "E", {}},
        {"allow export", Make<TAllowExportFromLMSID>(), "E", {}},
        {"beta", Make<TBetaSoftwareID>(), "E", {}},
        {"task types", Make<TTaskTypes>(true), "CPL", {ID(TTaskType::StaticClass())}},
        {"task type", Make<TTaskType>(), "EUOPD", {ID(TTaskType::StaticClass())}},
        {"recording types", Make<TTaskRecordingTypes>(true), "CPL", {ID(TTaskRecordingType::StaticClass())}},
        {"recording type", Make<TTaskRecordingType>(), "EUOPD", {ID(TTaskRecordingType::StaticClass())}},
        {"result formats", Make<TTaskResultItemFormats>(true), "CPL", {ID(TTaskResultItemFormat::StaticClass())}},
        {"result format", Make<TTaskResultItemFormat>(), "EUOPD", {ID(TTaskResultItemFormat::StaticClass())}},
        {"media formats", Make<TMediaItemFormats>(true), "CPL", {ID(TMediaItemFormat::StaticClass())}},
        {"media format", Make<TMediaItemFormat>(), "EUOPD", {ID(TMediaItemFormat::StaticClass())}},
        {"interface types", Make<TInterfaceTypes>(true), "CPL", {ID(TInterfaceType::StaticClass())}},
        {"interface type", Make<TInterfaceType>(), "EUOPD", {ID(TInterfaceType::StaticClass())}},
        {"drivers", Make<TDrivers>(), "COPL", {ID(TDrivers::StaticClass()), ID(TDriver::StaticClass())}},
        {"driver", Make<TDriver>(), "EUOPD", {ID(TDriver::StaticClass())}},
        {"code modules", Make<TCodeModules>(), "CPL", {ID(TCodeModule::StaticClass())}},
        {"code module", Make<TCodeModule>(), "EUOPD", {ID(TCodeModule::StaticClass())}},
        {"support files", Make<TSupportFiles>(), "CPL", {ID(TSupportFile::StaticClass())}},
        {"support file", Make<TSupportFile>(), "EUOPD", {ID(TSupportFile::StaticClass())}},
        {"module objects",
         Make<TTaskModuleObjects>(true, static_cast<TCodeModule*>(nullptr)),
         "CPL",
         {ID(TTaskModuleObject::StaticClass())}},
        {"module object", Make<TTaskModuleObject>(), "EUOPD", {ID(TTaskModuleObject::StaticClass())}},
        {"task modules", Make<TTaskModules>(true, static_cast<TTaskModuleObject*>(nullptr)), "CL", {}},
        {"task module", Make<TTaskModule>(), "ED", {}},
        {"tools",
         Make<TCommandLineTools>(true, static_cast<TCodeModule*>(nullptr)),
         "CPL",
         {ID(TCommandLineTool::StaticClass())}},
        {"tool", Make<TCommandLineTool>(), "EUOPD", {ID(TCommandLineTool::StaticClass())}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const auto Object = Case.Create();
        EXPECT_EQ(Letters(OfferedActions(Object.get())), Case.Items);
        EXPECT_EQ(PasteClassIDs(Object.get()), Case.Fits);
        for (const TGUID& Fit : Case.Fits)
            EXPECT_TRUE(PasteFits(Object.get(), Fit));
        // Another element's class, and an empty clipboard, fit nowhere but where they are named.
        EXPECT_EQ(PasteFits(Object.get(), Other), Case.Fits == std::vector<TGUID>{Other});
        EXPECT_FALSE(PasteFits(Object.get(), TGUID{}));
        EXPECT_EQ(IsPackageElement(Object.get()), std::string(Case.Items).find('D') != std::string::npos);
    }
    EXPECT_EQ(Letters(OfferedActions(nullptr)), "");
    EXPECT_FALSE(PasteFits(nullptr, Other));
    // A plain object of no package class is offered nothing.
    const TQORObject Plain;
    EXPECT_EQ(Letters(OfferedActions(&Plain)), "");
}
