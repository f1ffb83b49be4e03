#pragma once

// quillon-cli: the companion on the command line. RunCli is the whole program short of main, so
// that tests run it in-process with their own output buffers.

#include "cli/CliCommand.h"

#include <QStringList>

// Arguments without the program name; answers the process exit code.
int RunCli(const QStringList& Arguments, TCliIO& IO);
