#pragma once

// Command-line mode: /c /fd <definition file> /fp <package file> [-q|+q] runs the unattended export
// without a window. Any failure, a malformed command line included, is reported through the user
// seam as its report text and ends the run.

#include "app/UnattendedExport.h"

#include <QString>
#include <QStringList>

#include <functional>

enum class TCommandLineModeResult
{
    // No /c: the interactive program starts.
    Interactive,
    Exported,
    // The report text has been shown; the process ends with exit code 1.
    Failed,
};

using TUnattendedExportFunction =
    std::function<void(const QString& DefinitionFile, const QString& PackageFile, bool Quiet)>;

TCommandLineModeResult RunCommandLineMode(const QStringList& Arguments,
                                          const TUnattendedExportFunction& Export = UnattendedExport);

// The failure box: the report text, the default caption, the warning icon and OK.
void ShowFailure(const QString& Report);
