#pragma once

// A package compared with the definition it was made from: each embedded file against the file on
// disk that the definition names now.

#include <QString>
#include <QStringList>

#include <functional>

class QFile;
class TData;
struct TPackageContents;

// The files on disk the package of Data embeds, in the order the export writes them.
QStringList PackageSources(const TData& Data);

// One line for each difference between the embedded files of Contents, read from Package, and
// Sources; empty when every file is equal. Quote makes the package's own texts (target, kind and
// owner) fit for where the lines are shown; they are left as they are without one.
QStringList ComparePackage(QFile& Package,
                           const TPackageContents& Contents,
                           const QStringList& Sources,
                           const std::function<QString(const QString&)>& Quote = {});
