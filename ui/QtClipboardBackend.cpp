#include "ui/QtClipboardBackend.h"

#include "foundation/QORExceptions.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

QClipboard* SystemClipboard()
{
    // Without a GUI application (a console run) there is no clipboard to reach.
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

} // namespace

QString TQtClipboardBackend::MimeType(const QString& FormatName)
{
#ifdef Q_OS_WIN
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(FormatName);
#else
    // "Corvane Quillon" becomes application/x-corvane-quillon.
    return QStringLiteral("application/x-") + FormatName.toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
#endif
}

void TQtClipboardBackend::SetContent(const QString& FormatName, const QString& Text, const QByteArray& Payload)
{
    QClipboard* Clipboard = SystemClipboard();
    if (!Clipboard)
        throw E_QOR_InvalidCall(QStringLiteral("There is no system clipboard"));
    auto* Data = new QMimeData;
    Data->setText(Text);
    Data->setData(MimeType(FormatName), Payload);
    // The clipboard owns the data from here on, and serves it to other programs while we run.
    Clipboard->setMimeData(Data);
}

bool TQtClipboardBackend::HasFormat(const QString& FormatName) const
{
    // Asks only for the list of formats: a large foreign clipboard is never fetched or converted.
    const QClipboard* Clipboard = SystemClipboard();
    const QMimeData* Data = Clipboard ? Clipboard->mimeData() : nullptr;
    return Data && Data->hasFormat(MimeType(FormatName));
}

QByteArray TQtClipboardBackend::Content(const QString& FormatName) const
{
    const QClipboard* Clipboard = SystemClipboard();
    const QMimeData* Data = Clipboard ? Clipboard->mimeData() : nullptr;
    return Data ? Data->data(MimeType(FormatName)) : QByteArray();
}
