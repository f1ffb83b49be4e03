#include "app/UnattendedExport.h"

#include "foundation/QORExceptions.h"
#include "foundation/UserSeam.h"

void UnattendedExport(const QString& DefinitionFile, const QString& PackageFile, bool Quiet)
{
    // Loading, the export error check, the beta question and the package writer live in the
    // package model, which does not exist yet. Until it does, say so rather than pretend.
    throw E_QOR_NotImplemented();
}

QString ExportSucceededText()
{
    return QStringLiteral("Code package exported successully.");
}

void ShowExportSucceeded()
{
    UserSeam().ShowMessage(
        nullptr, ExportSucceededText(), QStringLiteral("Success"), TMessageButtons::OK, TMessageIcon::None);
}
