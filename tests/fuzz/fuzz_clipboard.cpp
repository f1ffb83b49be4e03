// Feeds arbitrary bytes to the clipboard holder as a payload of the element classes. A damaged
// payload must fail with a clean report; a pasted element must copy to a payload that pastes back
// and copies identically, and pasting it into a live package, on every list and element that the
// paste command serves, either refuses without changing the package or leaves a package that saves
// and loads again.

#include "FuzzSupport.h"
#include "foundation/ObjectClipboard.h"
#include "foundation/Streams.h"
#include "model/Data.h"
#include "model/ElementPaste.h"
#include "model/ElementRegistry.h"
#include "samples/SampleDefinitions.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

QByteArray Copied(const TQORObject& Object)
{
    TMemoryStream Stream;
    TQORObjectClipboard::CopyToStream(Object, Stream);
    return Stream.Data();
}

std::unique_ptr<TQORObject> PasteCopy(const QByteArray& Payload)
{
    TMemoryStream Stream(Payload);
    return TQORObjectClipboard::PasteFromStream(Stream);
}

// Every list the paste command takes and one element of each class, in the rich sample.
std::vector<TQORObject*> PasteTargets(TData& Data)
{
    TCodeModule& Module = *Data.CodeModules.Items(0);
    TTaskModuleObject& Object = *Module.TaskModuleObjects.Items(0);
    return {&Data.TaskTypes,
            &Data.TaskRecordingTypes,
            &Data.TaskResultItemFormats,
            &Data.MediaItemFormats,
            &Data.InterfaceTypes,
            &Data.Drivers,
            &Data.CodeModules,
            &Module.SupportFiles,
            &Module.TaskModuleObjects,
            &Module.CommandLineTools,
            Data.TaskTypes.Items(0),
            Data.TaskRecordingTypes.Items(0),
            Data.TaskResultItemFormats.Items(0),
            Data.MediaItemFormats.Items(0),
            Data.InterfaceTypes.Items(0),
            Data.Drivers.Items(0),
            &Module,
            Module.SupportFiles.Items(0),
            &Object,
            Module.CommandLineTools.Items(0),
            &Object.TaskModules};
}

void PasteIntoPackage(const QByteArray& Payload)
{
    using namespace SampleDefinitions;
    TData Data;
    BuildRich(Data);
    const std::vector<TQORObject*> Targets = PasteTargets(Data);
    for (size_t I = 0; I < Targets.size(); ++I) {
        const QByteArray Before = SaveToBytes(Data);
        try {
            // The targets are found afresh: a paste onto an element may move it within its list.
            PasteElement(*PasteTargets(Data)[I], PasteCopy(Payload));
        } catch (const E_QOR&) {
            if (SaveToBytes(Data) != Before)
                FuzzSupport::Fail("A refused paste changed the package:", GetExceptionReport());
            continue;
        }
        TData Reloaded;
        try {
            LoadFromBytes(Reloaded, SaveToBytes(Data));
        } catch (const E_QOR&) {
            FuzzSupport::Fail("A package with a pasted element does not load again:", GetExceptionReport());
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    RegisterElementClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Bytes, size_t Size)
{
    using namespace FuzzSupport;
    TMemoryStream Stream(QByteArray(reinterpret_cast<const char*>(Bytes), qsizetype(Size)));
    std::unique_ptr<TQORObject> Pasted;
    {
        THeapWatch Watch;
        try {
            Pasted = TQORObjectClipboard::PasteFromStream(Stream);
        } catch (const E_QOR&) {
            CheckCleanReport();
        }
    }
    CheckHeapPeak(Size);
    if (!Pasted)
        return 0;

    const QByteArray Payload = Copied(*Pasted);
    TMemoryStream Again(Payload);
    const std::unique_ptr<TQORObject> Repasted = TQORObjectClipboard::PasteFromStream(Again);
    if (Copied(*Repasted) != Payload)
        Fail("A copied element does not paste back to the same payload");
    PasteIntoPackage(Payload);
    return 0;
}
