#include "ui/PlaceholderWindow.h"

#include "app/Startup.h"

TPlaceholderWindow::TPlaceholderWindow(QWidget* Parent) : QMainWindow(Parent)
{
    setWindowTitle(ApplicationTitle());
    resize(640, 480);
}
