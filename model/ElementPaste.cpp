#include "model/ElementPaste.h"

#include "foundation/QORExceptions.h"
#include "model/CodeModule.h"
#include "model/CommandLineTool.h"
#include "model/DataTypes.h"
#include "model/Driver.h"
#include "model/InterfaceType.h"
#include "model/SupportFile.h"
#include "model/TaskModule.h"
#include "model/TaskModuleObject.h"

namespace {

template <class... T> bool IsOneOf(const TQORObject& Object)
{
    const TQORClass& Class = Object.Class();
    return ((&Class == &T::StaticClass()) || ...);
}

bool IsListTarget(const TQORObject& Target)
{
    return IsOneOf<TTaskTypes,
                   TTaskRecordingTypes,
                   TTaskResultItemFormats,
                   TMediaItemFormats,
                   TInterfaceTypes,
                   TSupportFiles,
                   TCommandLineTools,
                   TCodeModules,
                   TTaskModuleObjects>(Target);
}

bool IsElementTarget(const TQORObject& Target)
{
    return IsOneOf<TTaskType,
                   TTaskRecordingType,
                   TTaskResultItemFormat,
                   TMediaItemFormat,
                   TInterfaceType,
                   TDriver,
                   TSupportFile,
                   TCommandLineTool,
                   TCodeModule,
                   TTaskModuleObject>(Target);
}

// A module or object from elsewhere must not point into the package it came from.
void ReleasePastedReferences(TQORObject& Pasted)
{
    if (auto* Module = dynamic_cast<TCodeModule*>(&Pasted))
        Module->ReleaseReferences();
    else if (auto* Object = dynamic_cast<TTaskModuleObject*>(&Pasted))
        Object->ReleaseReferences();
}

TQORObject* AddToList(TQORList& List, std::unique_ptr<TQORObject> Pasted)
{
    TQORObject* Added = Pasted.get();
    // Add refuses an item of another class and leaves it with us.
    List.Add(Added);
    Pasted.release();
    List.Sort();
    List.SetExpanded(true);
    return Added;
}

void AddDrivers(TDrivers& Drivers, std::unique_ptr<TQORObject> Pasted)
{
    auto* PastedList = dynamic_cast<TDrivers*>(Pasted.get());
    if (!PastedList)
        throw E_QOR_EnumerationOutOfRange();
    for (int32_t I = 0; I < PastedList->Count(); ++I)
        if (!dynamic_cast<TDriver*>(PastedList->Items(I)))
            throw E_QOR_EnumerationOutOfRange();
    // The pasted list's drivers change hands; the emptied list itself is destroyed on return.
    PastedList->Disown();
    try {
        Drivers.AddList(PastedList);
    } catch (...) {
        // Checked above, so only running out of memory gets here: the drivers that did not make it
        // are destroyed with the list.
        for (int32_t I = 0; I < PastedList->Count(); ++I)
            if (!Drivers.Contains(PastedList->Items(I)))
                delete PastedList->Items(I);
        PastedList->Clear();
        throw;
    }
    PastedList->Clear();
    Drivers.Sort();
    Drivers.SetExpanded(true);
}

} // namespace

bool IsPasteTarget(const TQORObject& Target)
{
    return IsListTarget(Target) || IsOneOf<TDrivers>(Target) || IsElementTarget(Target);
}

TQORObject* PasteElement(TQORObject& Target, std::unique_ptr<TQORObject> Pasted)
{
    if (!Pasted)
        throw E_QOR_ObjectPointerIsNil();
    if (IsListTarget(Target)) {
        // An element of the wrong class is refused by Add; it only ever lost its own references.
        ReleasePastedReferences(*Pasted);
        return AddToList(static_cast<TQORList&>(Target), std::move(Pasted));
    }
    if (IsOneOf<TDrivers>(Target)) {
        auto& Drivers = static_cast<TDrivers&>(Target);
        if (IsOneOf<TDriver>(*Pasted))
            return AddToList(Drivers, std::move(Pasted));
        AddDrivers(Drivers, std::move(Pasted));
        return nullptr;
    }
    if (IsElementTarget(Target)) {
        Target.CheckAssignable(Pasted.get());
        ReleasePastedReferences(*Pasted);
        Target.Assign(Pasted.get(), false);
        if (Target.Parent())
            Target.Parent()->Sort();
        return &Target;
    }
    throw E_QOR_ProgramError(QStringLiteral("Unhandled paste case."));
}

void ClearElementList(TQORObject& Target)
{
    if (!IsOneOf<TTaskTypes,
                 TTaskRecordingTypes,
                 TTaskResultItemFormats,
                 TMediaItemFormats,
                 TInterfaceTypes,
                 TCodeModules,
                 TSupportFiles,
                 TTaskModuleObjects,
                 TTaskModules,
                 TCommandLineTools,
                 TDrivers>(Target))
        throw E_QOR_EnumerationOutOfRange();
    Target.ClearNotifying();
}
