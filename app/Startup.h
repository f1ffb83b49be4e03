#pragma once

// The program's entry sequence: the unattended export when the command line carries /c, otherwise
// the interactive main window. Command-line mode never needs a display: without one it reports on the
// terminal.

#include <QString>

#include <memory>

class IUserSeam;
class QCoreApplication;

// The GUI half of start-up, supplied by main from the GUI library.
class IGuiStartup
{
public:
    virtual ~IGuiStartup() = default;
    // The GUI application object; made at most once, before anything is shown. It must not end the
    // process when there is no usable display, but come up without one.
    virtual std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv) = 0;
    // Whether the application made above shows its windows on a display.
    virtual bool HasDisplay() const = 0;
    // Message boxes and file dialogs on screen.
    virtual IUserSeam& DialogSeam() = 0;
    // Shows the main window and runs the event loop; answers the exit code.
    virtual int RunInteractive() = 0;
};

// Gui may be null: then the program has no display whatever the environment says. Registers the
// element classes with the clipboard holder before anything else, in either mode.
int QuillonMain(int& argc, char** argv, IGuiStartup* Gui);
