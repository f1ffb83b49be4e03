#pragma once

// The About box: the program's name and the version the build stamped.

#include <QString>

#include <memory>

class QWidget;
class TQORAutoForm;

// "Quillon V" followed by the program's version.
QString AboutText();

// The box, built and ready to run; Owner owns it.
std::unique_ptr<TQORAutoForm> CreateAboutBox(QWidget* Owner);
