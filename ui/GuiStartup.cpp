#include "ui/GuiStartup.h"

#include "forms/QORApplication.h"
#include "ui/PlaceholderWindow.h"

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
    TPlaceholderWindow Window;
    Window.show();
    return QApplication::exec();
}
