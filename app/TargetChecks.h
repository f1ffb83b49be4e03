#pragma once

// The targets a package names, judged as a Windows machine would install them. extract refuses a
// target that fails these checks and verify warns about it.

#include <QHash>
#include <QString>

#include <vector>

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
// target, or an earlier target is one of its folders. The targets seen so far are kept as a tree of
// case-folded names, so each target costs time in proportion to its own length, however many came
// before.
class TTargetChecker
{
public:
    TTargetChecker();
    TTargetCheck Add(const QString& Target);

private:
    struct TNode
    {
        // Case-folded name to the node's index in FNodes.
        QHash<QString, qsizetype> Children;
        // The target as the package names it when this is a file, empty when it is a folder.
        QString File;
        // The first target that needed this folder.
        QString FirstTarget;
    };
    // The folder itself first.
    std::vector<TNode> FNodes;
};
