#include "foundation/ObjectClipboard.h"

#include "foundation/BusyCursor.h"
#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"

#include <vector>

namespace {

std::vector<const TQORClass*>& Registry()
{
    static std::vector<const TQORClass*> Classes;
    return Classes;
}

} // namespace

QOR_IMPLEMENT_CLASS(TQORObjectClipboard, TQORObject, nullptr, nullptr)

TQORObjectClipboard::TQORObjectClipboard(const QString& FormatName, IClipboardBackend* Backend)
    : FFormatName(FormatName), FBackend(Backend)
{}

void TQORObjectClipboard::RegisterClass(const TQORClass& Class)
{
    // Checked here rather than at paste time, where the failure would look like bad data.
    if (Class.ClassID.IsNull() || !Class.Factory)
        throw E_QOR_InvalidArg(
            QStringLiteral("Class '%1' needs a class ID and a virtual constructor to travel through the clipboard")
                .arg(Class.ClassName()));
    if (!IsClassRegistered(Class))
        Registry().push_back(&Class);
}

bool TQORObjectClipboard::IsClassRegistered(const TQORClass& Class)
{
    for (const TQORClass* Registered : Registry())
        if (Registered == &Class)
            return true;
    return false;
}

const TQORClass& TQORObjectClipboard::FindClass(const TGUID& ClassID)
{
    for (const TQORClass* Registered : Registry())
        if (Registered->ClassID == ClassID)
            return *Registered;
    throw E_QOR_UnrecognisedDataFormat();
}

const std::vector<const TQORClass*>& TQORObjectClipboard::RegisteredClasses()
{
    return Registry();
}

void TQORObjectClipboard::UnregisterAllClasses()
{
    Registry().clear();
}

void TQORObjectClipboard::CopyToStream(const TQORObject& Object, IQORStream& Stream)
{
    WriteGUID(Stream, Object.Class().GetClassID());
    Object.SaveToStream(Stream);
}

std::unique_ptr<TQORObject> TQORObjectClipboard::PasteFromStream(IQORStream& Stream)
{
    const TQORClass& Class = FindClass(ReadGUID(Stream));
    std::unique_ptr<TQORObject> Object(Class.Create());
    Object->LoadFromStream(Stream);
    return Object;
}

void TQORObjectClipboard::Copy(const TQORObject& Object)
{
    TBusyCursor Busy;
    if (!FBackend)
        throw E_QOR_InvalidCall(QStringLiteral("There is no system clipboard"));
    TMemoryStream Stream;
    CopyToStream(Object, Stream);
    FBackend->SetContent(FFormatName, FFormatName, Stream.Data());
}

TGUID TQORObjectClipboard::PeekClassID() const
{
    if (!FBackend || !FBackend->HasFormat(FFormatName))
        return TGUID{};
    const QByteArray Payload = FBackend->Content(FFormatName);
    if (Payload.size() < 16)
        return TGUID{};
    return TGUID::FromBytes(reinterpret_cast<const uint8_t*>(Payload.constData()));
}

std::unique_ptr<TQORObject> TQORObjectClipboard::Paste()
{
    TBusyCursor Busy;
    if (!FBackend || !FBackend->HasFormat(FFormatName))
        throw E_QOR_UnrecognisedDataFormat();
    TMemoryStream Stream(FBackend->Content(FFormatName));
    SeekToStart(Stream);
    return PasteFromStream(Stream);
}
