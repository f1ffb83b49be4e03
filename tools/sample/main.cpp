// Writes sample code package definitions for trying the program, for tests and for benchmarks.

#include "foundation/QORExceptions.h"
#include "samples/LargeDefinition.h"
#include "samples/SampleFiles.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace {

const char* const Usage =
    "Usage:\n"
    "  quillon-sample OUTDIR             empty.cpd, rich.cpd and one definition per older layout\n"
    "  quillon-sample --large OUT.cpd    the large definition the benchmarks load\n"
    "  quillon-sample --payloads OUTDIR  one clipboard payload per element class (.clip)\n";

QStringList Run(const QStringList& Arguments)
{
    using namespace SampleDefinitions;
    if (Arguments.size() == 2 && Arguments[0] == QStringLiteral("--large")) {
        TData Data;
        BuildLarge(Data);
        Data.SaveToFile(Arguments[1]);
        return {Arguments[1]};
    }
    if (Arguments.size() == 2 && Arguments[0] == QStringLiteral("--payloads"))
        return WriteNamedFiles(Arguments[1], SamplePayloads(), PayloadExtension);
    return WriteNamedFiles(Arguments[0], SampleDefinitionFiles(), DefinitionExtension);
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList Arguments;
    for (int I = 1; I < argc; ++I)
        Arguments.append(QString::fromLocal8Bit(argv[I]));
    QTextStream Out(stdout);
    QTextStream Error(stderr);
    const bool Known = (Arguments.size() == 1 && !Arguments[0].startsWith(QLatin1Char('-'))) ||
                       (Arguments.size() == 2 &&
                        (Arguments[0] == QStringLiteral("--large") || Arguments[0] == QStringLiteral("--payloads")));
    if (!Known) {
        Error << Usage;
        return 2;
    }
    try {
        for (const QString& FileName : Run(Arguments))
            Out << FileName << '\n';
    } catch (...) {
        Error << GetExceptionReport() << '\n';
        return 1;
    }
    return 0;
}
