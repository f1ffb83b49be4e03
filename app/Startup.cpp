#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/CommandLineMode.h"
#include "app/ConsoleUserSeam.h"
#include "foundation/General.h"
#include "foundation/QORExceptions.h"
#include "foundation/UserSeam.h"
#include "model/ElementRegistry.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

bool MessageProviderRegistered = false;

int Run(int& argc, char** argv, IGuiStartup* Gui)
{
    if (!MessageProviderRegistered) {
        RegisterMessageProvider(ApplicationMessageProvider);
        MessageProviderRegistered = true;
    }
    RegisterElementClasses();
    QCoreApplication::setApplicationName(ApplicationTitle());
    QCoreApplication::setApplicationVersion(ProgramVersion());
    // Taken before the application object exists: QApplication strips the arguments it knows.
    SetProgramArguments(ArgumentsFromVector(argc, argv));

    const std::unique_ptr<QCoreApplication> Application =
        Gui ? Gui->CreateApplication(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    const bool Display = Gui && Gui->HasDisplay();

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
