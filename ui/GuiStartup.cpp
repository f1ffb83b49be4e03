#include "ui/GuiStartup.h"

#include "QuillonVersion.h"
#include "app/RecoveryStore.h"
#include "forms/QORApplication.h"
#include "ui/DocumentGuard.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QByteArray>
#include <QList>

#include <algorithm>

namespace {

QtMessageHandler PreviousMessageHandler = nullptr;

// While platforms that lead nowhere are tried, what they print is noise: the program reports the
// missing display once itself. Only a fatal message still goes out.
void QuietMessageHandler(QtMsgType Type, const QMessageLogContext& Context, const QString& Message)
{
    if (Type == QtFatalMsg && PreviousMessageHandler)
        PreviousMessageHandler(Type, Context, Message);
}

bool IsHeadless(const QByteArray& Platform)
{
    const QByteArray Name = Platform.split(':').first().trimmed();
    return Name == "offscreen" || Name == "minimal";
}

} // namespace

TGuiStartup::~TGuiStartup()
{
    if (FBusyCursorInstalled)
        SetBusyCursorBackend(nullptr);
}

std::unique_ptr<QCoreApplication> TGuiStartup::CreateApplication(int& argc, char** argv)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // A platform plugin that finds no display server (a DISPLAY left over from a closed session, a
    // Wayland socket while Qt has no Wayland plugin) would abort the process. Qt is offered the
    // offscreen platform last, falls back to it by itself, and the program then runs as it does
    // without a display.
    const bool Chosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    QList<QByteArray> Platforms = qgetenv("QT_QPA_PLATFORM").split(';');
    Platforms.removeAll(QByteArray());
    if (!Chosen) {
        // Then neither X11 nor Wayland has a server to ask for.
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return std::make_unique<QCoreApplication>(argc, argv);
        Platforms = qgetenv("XDG_SESSION_TYPE") == "wayland" ? QList<QByteArray>{"wayland", "xcb"}
                                                             : QList<QByteArray>{"xcb", "wayland"};
    } else if (std::all_of(Platforms.cbegin(), Platforms.cend(), IsHeadless)) {
        return std::make_unique<QCoreApplication>(argc, argv);
    }
    const bool Fallback = std::none_of(Platforms.cbegin(), Platforms.cend(), IsHeadless);
    const QByteArray Before = qgetenv("QT_QPA_PLATFORM");
    if (Fallback) {
        qputenv("QT_QPA_PLATFORM", Platforms.join(';') + ";offscreen");
        // The plugins that fail on the way would say so; the program says it once itself.
        PreviousMessageHandler = qInstallMessageHandler(QuietMessageHandler);
    }
    auto Application = std::make_unique<TQORApplication>(argc, argv);
    if (Fallback) {
        qInstallMessageHandler(PreviousMessageHandler);
        if (Chosen)
            qputenv("QT_QPA_PLATFORM", Before);
        else
            qunsetenv("QT_QPA_PLATFORM");
    }
#else
    auto Application = std::make_unique<TQORApplication>(argc, argv);
#endif
    SetBusyCursorBackend(&FBusyCursor);
    FBusyCursorInstalled = true;
    return Application;
}

bool TGuiStartup::HasDisplay() const
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    return !IsHeadless(QGuiApplication::platformName().toLatin1());
}

int TGuiStartup::RunInteractive()
{
    // Recovery copies, the lock beside the open file and the check of the file on disk are for the
    // user's own window only.
    const TSafetyNetScope Net({.Enabled = true, .RecoveryFolder = TRecoveryStore::DefaultFolder()});
    // Docks and task bars match the window to its installed desktop entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLON_APP_ID));
    TMain Window;
    // A failed creation has been reported already; the window is never used.
    if (!Window.CreationCompleted())
        return 1;
    Window.show();
    return QApplication::exec();
}
