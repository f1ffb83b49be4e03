#include "app/UnattendedExport.h"

#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "model/PackageExport.h"

void UnattendedExport(const QString& DefinitionFile, const QString& PackageFile, bool Quiet)
{
    RefuseExportOverDefinition(DefinitionFile, PackageFile);
    TData Data;
    Data.LoadFromFile(DefinitionFile);
    Data.ExportErrorCheck();
    if (!Quiet)
        Data.ConfirmBetaExport();
    Data.ExportToFile(PackageFile);
    if (!Quiet)
        ShowExportSucceeded();
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
