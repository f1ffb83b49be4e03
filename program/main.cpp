#include "app/Startup.h"
#include "ui/GuiStartup.h"

int main(int argc, char** argv)
{
    TGuiStartup Gui;
    return QuillonMain(argc, argv, &Gui);
}
