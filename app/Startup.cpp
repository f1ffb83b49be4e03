#include "app/Startup.h"

#include <QCoreApplication>

#include <cstdio>

int QuillonMain(int argc, char** argv)
{
    QCoreApplication Application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quillon"));
    std::fputs("Quillon\n", stdout);
    return 0;
}
