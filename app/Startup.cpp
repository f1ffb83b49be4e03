#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/CommandLineMode.h"
#include "app/ConsoleUserSeam.h"
#include "foundation/General.h"
#include "foundation/QORExceptions.h"
#include "foundation/UserSeam.h"

#include <QCoreApplication>

#include <cstdio>

#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
// Whether a server accepts connections on the local socket Path (in Linux's abstract namespace when
// Abstract is set). A variable naming a server that has gone would make the platform plugin abort
// the process, so it is asked before any application object is made.
bool LocalServerListens(const QByteArray& Path, bool Abstract)
{
    sockaddr_un Address = {};
    Address.sun_family = AF_UNIX;
    const size_t Offset = Abstract ? 1 : 0;
    if (Path.isEmpty() || Offset + size_t(Path.size()) >= sizeof Address.sun_path)
        return false;
    std::memcpy(Address.sun_path + Offset, Path.constData(), size_t(Path.size()));
    const auto Length = socklen_t(offsetof(sockaddr_un, sun_path) + Offset + size_t(Path.size()) + (Abstract ? 0 : 1));
    const int Socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (Socket < 0)
        return false;
    const bool Listens = ::connect(Socket, reinterpret_cast<const sockaddr*>(&Address), Length) == 0;
    ::close(Socket);
    return Listens;
}

// DISPLAY is [host]:number[.screen]. A display on another host is not asked: that would take the
// network.
bool X11DisplayReachable()
{
    const QByteArray Display = qgetenv("DISPLAY");
    const qsizetype Colon = Display.lastIndexOf(':');
    if (Colon < 0)
        return false;
    const QByteArray Host = Display.left(Colon);
    if (!Host.isEmpty() && Host != "unix")
        return true;
    const QByteArray Number = Display.mid(Colon + 1).split('.').first();
    bool IsNumber = false;
    Number.toUInt(&IsNumber);
    if (!IsNumber)
        return false;
    const QByteArray Socket = "/tmp/.X11-unix/X" + Number;
#ifdef Q_OS_LINUX
    if (LocalServerListens(Socket, true))
        return true;
#endif
    return LocalServerListens(Socket, false);
}

bool WaylandDisplayReachable()
{
    const QByteArray Name = qgetenv("WAYLAND_DISPLAY");
    if (Name.isEmpty())
        return false;
    if (Name.startsWith('/'))
        return LocalServerListens(Name, false);
    const QByteArray RuntimeDirectory = qgetenv("XDG_RUNTIME_DIR");
    return !RuntimeDirectory.isEmpty() && LocalServerListens(RuntimeDirectory + '/' + Name, false);
}
#endif

bool MessageProviderRegistered = false;

int Run(int& argc, char** argv, IGuiStartup* Gui)
{
    if (!MessageProviderRegistered) {
        RegisterMessageProvider(ApplicationMessageProvider);
        MessageProviderRegistered = true;
    }
    QCoreApplication::setApplicationName(ApplicationTitle());
    QCoreApplication::setApplicationVersion(ProgramVersion());
    // Taken before the application object exists: QApplication strips the arguments it knows.
    SetProgramArguments(ArgumentsFromVector(argc, argv));

    const bool Display = Gui && IsDisplayAvailable();
    const std::unique_ptr<QCoreApplication> Application =
        Display ? Gui->CreateApplication(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);

    TConsoleUserSeam Console;
    TCommandLineUserSeam CommandLineSeam(Console, Display ? &Gui->DialogSeam() : nullptr);
    {
        TUserSeamGuard Guard(&CommandLineSeam);
        switch (RunCommandLineMode(ProgramArguments())) {
        case TCommandLineModeResult::Exported:
            return 0;
        case TCommandLineModeResult::Failed:
            return 1;
        case TCommandLineModeResult::Interactive:
            break;
        }
    }

    if (!Display) {
        std::fputs("Quillon cannot show its main window: no display is available. For an unattended export "
                   "use /c /fd <definition file> /fp <package file>.\n",
                   stderr);
        return 1;
    }
    TUserSeamGuard Guard(&Gui->DialogSeam());
    return Gui->RunInteractive();
}

} // namespace

bool IsDisplayAvailable()
{
    const QByteArray Platform = qgetenv("QT_QPA_PLATFORM");
    if (Platform.startsWith("offscreen") || Platform.startsWith("minimal"))
        return false;
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    return X11DisplayReachable() || WaylandDisplayReachable();
#endif
}

int QuillonMain(int& argc, char** argv, IGuiStartup* Gui)
{
    try {
        return Run(argc, argv, Gui);
    } catch (...) {
        // Nothing may be left to show a box with; the terminal still takes the report.
        std::fprintf(stderr, "%s\n", qPrintable(GetExceptionReport()));
        return 1;
    }
}
