#include "ui/GuiStartup.h"

#include "forms/QORApplication.h"
#include "ui/MainWindow.h"

#include <QApplication>

TGuiStartup::~TGuiStartup()
{
    if (FBusyCursorInstalled)
        SetBusyCursorBackend(nullptr);
}

std::unique_ptr<QCoreApplication> TGuiStartup::CreateApplication(int& argc, char** argv)
{
    auto Application = std::make_unique<TQORApplication>(argc, argv);
    SetBusyCursorBackend(&FBusyCursor);
    FBusyCursorInstalled = true;
    return Application;
}

int TGuiStartup::RunInteractive()
{
    TMain Window;
    // A failed creation has been reported already; the window is never used.
    if (!Window.CreationCompleted())
        return 1;
    Window.show();
    return QApplication::exec();
}
