// Feeds arbitrary bytes to the clipboard holder as a payload of the element classes. A damaged
// payload must fail with a clean report; a pasted element must copy to a payload that pastes back
// and copies identically.

#include "FuzzSupport.h"
#include "foundation/ObjectClipboard.h"
#include "foundation/Streams.h"
#include "model/ElementRegistry.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

QByteArray Copied(const TQORObject& Object)
{
    TMemoryStream Stream;
    TQORObjectClipboard::CopyToStream(Object, Stream);
    return Stream.Data();
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
    return 0;
}
