#include "ui/BusyCursorBackend.h"

#include <QCursor>
#include <QGuiApplication>

void TOverrideCursorBackend::SetBusy(bool Busy)
{
    // The application may already be gone when the last busy bracket closes at shut-down.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (Busy && !FCursorSet) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        FCursorSet = true;
    } else if (!Busy && FCursorSet) {
        QGuiApplication::restoreOverrideCursor();
        FCursorSet = false;
    }
}
