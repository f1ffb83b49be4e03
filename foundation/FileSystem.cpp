#include "foundation/FileSystem.h"

#include "foundation/Paths.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

bool SameCharacter(QChar A, QChar B)
{
    return A == B || A.toCaseFolded() == B.toCaseFolded();
}

// Iterative matching with one backtrack point: the last "*" seen. Linear in practice, never
// exponential whatever the number of stars.
bool MatchPlain(const QString& Pattern, const QString& Name)
{
    qsizetype P = 0;
    qsizetype N = 0;
    qsizetype StarAt = -1;
    qsizetype StarName = 0;
    while (N < Name.size()) {
        if (P < Pattern.size() && Pattern.at(P) == QLatin1Char('*')) {
            StarAt = P++;
            StarName = N;
        } else if (P < Pattern.size() &&
                   (Pattern.at(P) == QLatin1Char('?') || SameCharacter(Pattern.at(P), Name.at(N)))) {
            ++P;
            ++N;
        } else if (StarAt >= 0) {
            P = StarAt + 1;
            N = ++StarName;
        } else {
            return false;
        }
    }
    while (P < Pattern.size() && Pattern.at(P) == QLatin1Char('*'))
        ++P;
    return P == Pattern.size();
}

// File-name order: ignoring case, then exact so that names differing only in case keep one order.
bool FileNameLess(const QString& A, const QString& B)
{
    const int Folded = A.compare(B, Qt::CaseInsensitive);
    return Folded != 0 ? Folded < 0 : A.compare(B, Qt::CaseSensitive) < 0;
}

} // namespace

bool FileExists(const QString& FileName)
{
    if (FileName.isEmpty())
        return false;
    return QFileInfo(LocalFilePath(FileName)).isFile();
}

bool MatchesWildcard(const QString& Pattern, const QString& Name)
{
    if (MatchPlain(Pattern, Name))
        return true;
    if (Pattern.endsWith(QLatin1String(".*")) && MatchPlain(Pattern.chopped(2), Name))
        return true;
    return Pattern.endsWith(QLatin1Char('.')) && !Name.contains(QLatin1Char('.')) &&
           MatchPlain(Pattern.chopped(1), Name);
}

QStringList FindMatchingFiles(const QString& Pattern)
{
    const QString Folder = FolderPart(Pattern);
    const QString NamePattern = Pattern.mid(Folder.size());
    if (NamePattern.isEmpty())
        return {};
    const QDir Directory(Folder.isEmpty() ? QStringLiteral(".") : LocalFilePath(Folder));
    if (!Directory.exists())
        return {};
    // Without QDir::Hidden and QDir::System, dot files, devices, pipes, sockets and broken links
    // are left out; QDir::Files leaves out folders.
    const QStringList Names = Directory.entryList(QDir::Files, QDir::Unsorted);
    QStringList Result;
    for (const QString& Name : Names)
        if (!Name.startsWith(QLatin1Char('.')) && MatchesWildcard(NamePattern, Name))
            Result.append(Name);
    std::sort(Result.begin(), Result.end(), FileNameLess);
    return Result;
}
