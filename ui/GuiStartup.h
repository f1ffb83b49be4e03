#pragma once

// The GUI half of start-up: the QApplication, the on-screen dialogs and the busy cursor, and the
// window of an interactive run.

#include "app/Startup.h"
#include "ui/BusyCursorBackend.h"
#include "ui/QtUserSeam.h"

class TGuiStartup : public IGuiStartup
{
public:
    TGuiStartup() = default;
    ~TGuiStartup() override;

    std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv) override;
    bool HasDisplay() const override;
    IUserSeam& DialogSeam() override { return FDialogs; }
    int RunInteractive() override;

private:
    TQtUserSeam FDialogs;
    TOverrideCursorBackend FBusyCursor;
    bool FBusyCursorInstalled = false;
};
