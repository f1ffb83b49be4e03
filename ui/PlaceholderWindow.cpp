#include "ui/PlaceholderWindow.h"

#include "foundation/General.h"

TPlaceholderWindow::TPlaceholderWindow(QWidget* Parent) : QMainWindow(Parent)
{
    setWindowTitle(ApplicationTitle());
    resize(640, 480);
}
