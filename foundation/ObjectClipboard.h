#pragma once

// The clipboard holder: puts one TQORObject on the system clipboard and recreates it from there.
// Only registered classes travel. The payload is the class GUID followed by exactly what the
// object's SaveToStream writes, with no length, version or checksum.

#include "foundation/QORObject.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class IQORStream;

// The system clipboard as the holder needs it. The GUI layer implements it over the platform
// clipboard; the core itself never touches the platform.
class IClipboardBackend
{
public:
    virtual ~IClipboardBackend() = default;
    // Replaces the clipboard's whole content: Text as plain text, Payload under the named format.
    virtual void SetContent(const QString& FormatName, const QString& Text, const QByteArray& Payload) = 0;
    virtual bool HasFormat(const QString& FormatName) const = 0;
    // The bytes held under the named format; empty when there are none.
    virtual QByteArray Content(const QString& FormatName) const = 0;
};

class TQORObjectClipboard : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    // Backend is not owned and must outlive the holder. Without one there is no system clipboard:
    // Copy and Paste raise and PeekClassID answers the null GUID.
    explicit TQORObjectClipboard(const QString& FormatName, IClipboardBackend* Backend = nullptr);

    const QString& FormatName() const { return FFormatName; }
    IClipboardBackend* Backend() const { return FBackend; }
    void SetBackend(IClipboardBackend* Backend) { FBackend = Backend; }

    // The registry of classes allowed to travel, shared by every holder, in registration order.
    // A class needs a class ID and a virtual constructor to be registered (else E_QOR_InvalidArg).
    static void RegisterClass(const TQORClass& Class);
    static bool IsClassRegistered(const TQORClass& Class);
    // The first registered class with this class ID; raises E_QOR_UnrecognisedDataFormat.
    static const TQORClass& FindClass(const TGUID& ClassID);
    static void UnregisterAllClasses();
    // In registration order.
    static const std::vector<const TQORClass*>& RegisteredClasses();

    // The payload on any stream, from its current position.
    static void CopyToStream(const TQORObject& Object, IQORStream& Stream);
    static std::unique_ptr<TQORObject> PasteFromStream(IQORStream& Stream);

    // The system clipboard, through the backend, each under the busy cursor.
    void Copy(const TQORObject& Object);
    // The class ID at the head of the clipboard's payload; null when the clipboard holds none.
    TGUID PeekClassID() const;
    // Raises E_QOR_UnrecognisedDataFormat when the clipboard holds no payload of this holder.
    std::unique_ptr<TQORObject> Paste();

private:
    QString FFormatName;
    IClipboardBackend* FBackend = nullptr;
};
