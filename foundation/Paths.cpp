#include "foundation/Paths.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Only Windows reads "C:name" as a name on drive C's current folder; elsewhere a colon inside a
// name is an ordinary character, and only a leading drive still comes from Windows.
bool IsFolderEnd(QChar Character)
{
#ifdef Q_OS_WIN
    return IsPathDelimiter(Character) || Character == QLatin1Char(':');
#else
    return IsPathDelimiter(Character);
#endif
}

} // namespace

bool IsPathDelimiter(QChar Character)
{
    return Character == QLatin1Char('/') || Character == QLatin1Char('\\');
}

bool StartsWithDriveLetter(const QString& FileName)
{
    if (FileName.size() < 2 || FileName.at(1) != QLatin1Char(':'))
        return false;
    const char16_t Code = FileName.at(0).unicode();
    return (Code >= u'a' && Code <= u'z') || (Code >= u'A' && Code <= u'Z');
}

QString CombinePath(const QString& Directory, const QString& Name)
{
    if (Directory.isEmpty())
        return Name;
    const bool HasTrailingDelimiter = IsPathDelimiter(Directory.back());
    if (Name.isEmpty()) {
        // A lone root keeps its delimiter: "/" without it would name the current directory.
        if (HasTrailingDelimiter && Directory.size() > 1)
            return Directory.chopped(1);
        return Directory;
    }
    return HasTrailingDelimiter ? Directory + Name : Directory + QDir::separator() + Name;
}

QString FolderPart(const QString& FileName)
{
    for (qsizetype Index = FileName.size() - 1; Index >= 0; --Index)
        if (IsFolderEnd(FileName.at(Index)))
            return FileName.left(Index + 1);
    if (StartsWithDriveLetter(FileName))
        return FileName.left(2);
    return {};
}

QString ExtractDirectory(const QString& FileName)
{
    const QString Folder = FolderPart(FileName);
    if (Folder.size() < 2 || !IsPathDelimiter(Folder.back()))
        return Folder;
    const QChar Before = Folder.at(Folder.size() - 2);
    if (Before == QLatin1Char(':') || IsPathDelimiter(Before))
        return Folder;
    return Folder.chopped(1);
}

bool HasDrive(const QString& FileName)
{
    if (StartsWithDriveLetter(FileName) || FileName.startsWith(QLatin1String("\\\\")))
        return true;
#ifdef Q_OS_WIN
    return FileName.startsWith(QLatin1String("//"));
#else
    return FileName.startsWith(QLatin1Char('/'));
#endif
}

QString LocalFilePath(const QString& FileName)
{
#ifdef Q_OS_WIN
    return FileName;
#else
    if (!FileName.contains(QLatin1Char('\\')) || QFileInfo::exists(FileName))
        return FileName;
    return QString(FileName).replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
}
