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

#include <algorithm>
#include <initializer_list>

namespace {

enum : unsigned
{
    Create = 1u << static_cast<int>(TElementAction::Create),
    Edit = 1u << static_cast<int>(TElementAction::Edit),
    Cut = 1u << static_cast<int>(TElementAction::Cut),
    Copy = 1u << static_cast<int>(TElementAction::Copy),
    Paste = 1u << static_cast<int>(TElementAction::Paste),
    Clear = 1u << static_cast<int>(TElementAction::Clear),
    Delete = 1u << static_cast<int>(TElementAction::Delete),
    // A list of pasteable elements, and one of its elements.
    ListItems = Create | Paste | Clear,
    ElementItems = Edit | Cut | Copy | Paste | Delete,
};

struct TRow
{
    const TQORClass& Class;
    unsigned Items;
    // The clipboard classes Paste accepts.
    std::initializer_list<const TQORClass*> PasteClasses;
};

template <class T> const TQORClass* C()
{
    return &T::StaticClass();
}

const TRow* FindRow(const TQORObject* Object)
{
    static const TRow Rows[] = {
        {TCodePackageIDID::StaticClass(), Edit, {}},
        {TCodePackageInfoID::StaticClass(), Edit, {}},
        {TAllowExportFromLMSID::StaticClass(), Edit, {}},
        {TBetaSoftwareID::StaticClass(), Edit, {}},
        {TTaskTypes::StaticClass(), ListItems, {C<TTaskType>()}},
        {TTaskType::StaticClass(), ElementItems, {C<TTaskType>()}},
        {TTaskRecordingTypes::StaticClass(), ListItems, {C<TTaskRecordingType>()}},
        {TTaskRecordingType::StaticClass(), ElementItems, {C<TTaskRecordingType>()}},
        {TTaskResultItemFormats::StaticClass(), ListItems, {C<TTaskResultItemFormat>()}},
        {TTaskResultItemFormat::StaticClass(), ElementItems, {C<TTaskResultItemFormat>()}},
        {TMediaItemFormats::StaticClass(), ListItems, {C<TMediaItemFormat>()}},
        {TMediaItemFormat::StaticClass(), ElementItems, {C<TMediaItemFormat>()}},
        {TInterfaceTypes::StaticClass(), ListItems, {C<TInterfaceType>()}},
        {TInterfaceType::StaticClass(), ElementItems, {C<TInterfaceType>()}},
        // The only list that travels whole through the clipboard.
        {TDrivers::StaticClass(), ListItems | Copy, {C<TDrivers>(), C<TDriver>()}},
        {TDriver::StaticClass(), ElementItems, {C<TDriver>()}},
        {TCodeModules::StaticClass(), ListItems, {C<TCodeModule>()}},
        {TCodeModule::StaticClass(), ElementItems, {C<TCodeModule>()}},
        {TSupportFiles::StaticClass(), ListItems, {C<TSupportFile>()}},
        {TSupportFile::StaticClass(), ElementItems, {C<TSupportFile>()}},
        {TTaskModuleObjects::StaticClass(), ListItems, {C<TTaskModuleObject>()}},
        {TTaskModuleObject::StaticClass(), ElementItems, {C<TTaskModuleObject>()}},
        // Task modules never travel through the clipboard.
        {TTaskModules::StaticClass(), Create | Clear, {}},
        {TTaskModule::StaticClass(), Edit | Delete, {}},
        {TCommandLineTools::StaticClass(), ListItems, {C<TCommandLineTool>()}},
        {TCommandLineTool::StaticClass(), ElementItems, {C<TCommandLineTool>()}},
    };
    if (!Object)
        return nullptr;
    const TQORClass& Class = Object->Class();
    const auto Row = std::find_if(std::begin(Rows), std::end(Rows), [&](const TRow& R) { return &R.Class == &Class; });
    return Row == std::end(Rows) ? nullptr : Row;
}

} // namespace

TElementActions OfferedActions(const TQORObject* Object)
{
    TElementActions Actions;
    if (const TRow* Row = FindRow(Object))
        for (int I = 0; I < ElementActionCount; ++I)
            Actions.Shown[I] = (Row->Items >> I) & 1u;
    return Actions;
}

std::vector<TGUID> PasteClassIDs(const TQORObject* Target)
{
    std::vector<TGUID> IDs;
    if (const TRow* Row = FindRow(Target))
        for (const TQORClass* Class : Row->PasteClasses)
            IDs.push_back(Class->GetClassID());
    return IDs;
}

bool PasteFits(const TQORObject* Target, const TGUID& ClipboardClassID)
{
    if (ClipboardClassID.IsNull())
        return false;
    const std::vector<TGUID> IDs = PasteClassIDs(Target);
    return std::find(IDs.begin(), IDs.end(), ClipboardClassID) != IDs.end();
}

bool IsPackageElement(const TQORObject* Object)
{
    const TRow* Row = FindRow(Object);
    return Row && (Row->Items & Delete);
}
