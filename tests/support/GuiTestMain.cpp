// The main of the GUI suites: the program's application object on the offscreen platform before any
// test runs, so that exceptions escaping event handlers reach the exception event list as they do in
// the program.

#include "forms/QORApplication.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    TQORApplication Application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
