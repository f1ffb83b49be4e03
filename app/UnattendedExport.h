#pragma once

// The unattended export: load one definition file, check it, ask the beta question unless quiet,
// write the package file, and tell of success unless quiet.

#include <QString>

// Raises on any failure; the caller reports it.
void UnattendedExport(const QString& DefinitionFile, const QString& PackageFile, bool Quiet);

// The success message of an unattended export, through the user seam.
void ShowExportSucceeded();
QString ExportSucceededText();
