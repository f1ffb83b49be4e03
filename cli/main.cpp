// quillon-cli: checks, converts, inspects, compares and exports code packages without a window.

#include "cli/Cli.h"
#include "foundation/QORExceptions.h"

#include <QCoreApplication>
#include <QFile>

int main(int argc, char* argv[])
{
    QCoreApplication Application(argc, argv);
    RegisterMessageProvider(ApplicationMessageProvider);
    QFile Out;
    QFile Err;
    Out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    Err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    TCliIO IO{Out, Err, std::nullopt};
    // Set but empty counts as not set, as build tools treat it.
    if (!qEnvironmentVariableIsEmpty("SOURCE_DATE_EPOCH"))
        IO.SourceDateEpoch = qgetenv("SOURCE_DATE_EPOCH");
    QStringList Arguments = Application.arguments();
    Arguments.removeFirst();
    return RunCli(Arguments, IO);
}
