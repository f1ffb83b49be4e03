#include "model/PackagePaths.h"

namespace {

const QChar PackageSeparator = QLatin1Char('\\');

bool EndsInSeparator(const QString& Folder)
{
    return Folder.endsWith(PackageSeparator) || Folder.endsWith(QLatin1Char('/'));
}

} // namespace

QString CombinePackagePath(const QString& Folder, const QString& Name)
{
    if (Folder.isEmpty())
        return Name;
    if (Name.isEmpty())
        return EndsInSeparator(Folder) ? Folder.chopped(1) : Folder;
    return EndsInSeparator(Folder) ? Folder + Name : Folder + PackageSeparator + Name;
}

QString ModuleSourcePath(const QString& FilePath, const QString& FileName)
{
    return FilePath + PackageSeparator + FileName;
}
