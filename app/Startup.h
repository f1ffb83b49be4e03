#pragma once

// The program's entry sequence: the unattended export when the command line carries /c, otherwise
// the interactive main window. Whether a display exists is decided before any Qt application object
// is made, so command-line mode never needs one.

#include <QString>

#include <memory>

class IUserSeam;
class QCoreApplication;

// The GUI half of start-up, supplied by main from the GUI library.
class IGuiStartup
{
public:
    virtual ~IGuiStartup() = default;
    // The GUI application object; made at most once, before anything is shown.
    virtual std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv) = 0;
    // Message boxes and file dialogs on screen.
    virtual IUserSeam& DialogSeam() = 0;
    // Shows the main window and runs the event loop; answers the exit code.
    virtual int RunInteractive() = 0;
};

// False when neither DISPLAY nor WAYLAND_DISPLAY names a display server that is there (X11 and
// Wayland systems), or when Qt is told to draw off screen.
bool IsDisplayAvailable();

// Gui may be null: then the program has no display whatever the environment says.
int QuillonMain(int& argc, char** argv, IGuiStartup* Gui);
