#pragma once

// The system clipboard for the clipboard holder, through Qt. The payload travels under the holder's
// format name: on Windows as the registered clipboard format of exactly that name, elsewhere as a
// MIME type of our own, next to the format name as plain text.

#include "foundation/ObjectClipboard.h"

class TQtClipboardBackend : public IClipboardBackend
{
public:
    // The MIME type Qt uses for the holder's format on this platform.
    static QString MimeType(const QString& FormatName);

    void SetContent(const QString& FormatName, const QString& Text, const QByteArray& Payload) override;
    bool HasFormat(const QString& FormatName) const override;
    QByteArray Content(const QString& FormatName) const override;
};
