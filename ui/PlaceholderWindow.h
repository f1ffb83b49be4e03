#pragma once

// The plain window that stands in for the main window while the editor is being built.

#include <QMainWindow>

class TPlaceholderWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit TPlaceholderWindow(QWidget* Parent = nullptr);
};
