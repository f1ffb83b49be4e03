#pragma once

// The targets a package names, judged as a Windows machine would install them. extract refuses a
// target that fails these checks and verify warns about it.

#include <QHash>
#include <QString>

// Why Windows cannot create a file or folder called Name, or empty when it can: a device name
// ("CON", "NUL", "COM1", also with an extension such as "nul.txt"), a character Windows forbids
// (< > : " / \ | ? * and control characters), or a trailing dot or space, which Windows strips.
QString WindowsNameProblem(const QString& Name);

struct TTargetCheck
{
    // The target under the folder, "/" separating folders (empty components and "." left out);
    // empty when the target lies outside the folder.
    QString Relative;
    // Why the target is refused, or empty.
    QString Problem;
};

// Checks the targets of one package in order. Windows ignores letter case, so two targets that differ
// only in case are one file there; a target is also refused when it is a folder of an earlier
// target, or an earlier target is one of its folders. Each target costs time in proportion to its
// own length, however many came before.
class TTargetChecker
{
public:
    TTargetCheck Add(const QString& Target);

private:
    // Case-folded path of every accepted target, to the target as the package names it.
    QHash<QString, QString> FFiles;
    // Case-folded path of every folder the accepted targets need, to the first target needing it.
    QHash<QString, QString> FFolders;
};
