#include "app/CommandLineMode.h"

#include "app/CommandLine.h"
#include "foundation/QORExceptions.h"
#include "foundation/UserSeam.h"

namespace {

TCommandLineModeResult Run(const QStringList& Arguments, const TUnattendedExportFunction& Export)
{
    TCommandLine CommandLine(Arguments, false);
    if (!CommandLine.Commands().Contains(QStringLiteral("c")))
        return TCommandLineModeResult::Interactive;

    QString DefinitionFile;
    if (!CommandLine.Values().GetValue(QStringLiteral("fd"), DefinitionFile))
        throw E_QOR_InvalidCommandLineParameters();
    QString PackageFile;
    if (!CommandLine.Values().GetValue(QStringLiteral("fp"), PackageFile))
        throw E_QOR_InvalidCommandLineParameters();
    // Either sign means quiet.
    bool QuietState = false;
    const bool Quiet = CommandLine.Switches().GetSwitch(QStringLiteral("q"), QuietState);
    CommandLine.CheckAllUsed();

    Export(DefinitionFile, PackageFile, Quiet);
    return TCommandLineModeResult::Exported;
}

} // namespace

void ShowFailure(const QString& Report)
{
    UserSeam().ShowMessage(nullptr, Report, QString(), TMessageButtons::OK, TMessageIcon::Warning);
}

TCommandLineModeResult RunCommandLineMode(const QStringList& Arguments, const TUnattendedExportFunction& Export)
{
    try {
        return Run(Arguments, Export);
    } catch (...) {
        ShowFailure(GetExceptionReport());
        return TCommandLineModeResult::Failed;
    }
}
