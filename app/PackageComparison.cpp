#include "app/PackageComparison.h"

#include "foundation/Paths.h"
#include "model/Data.h"
#include "model/PackageExport.h"
#include "model/PackagePaths.h"
#include "model/PackageReader.h"

#include <QFile>

#include <algorithm>

QStringList PackageSources(const TData& Data)
{
    QStringList Sources;
    for (int32_t D = 0; D < Data.Drivers.Count(); ++D) {
        const TDriver& Driver = *Data.Drivers.Items(D);
        Sources << LocalFilePath(ModuleSourcePath(Driver.FilePath, Driver.FileName));
    }
    for (int32_t C = 0; C < Data.CodeModules.Count(); ++C) {
        const TCodeModule& Module = *Data.CodeModules.Items(C);
        if (Module.Location != cmlLinked)
            Sources << LocalFilePath(ModuleSourcePath(Module.FilePath, Module.FileName));
        for (const TSupportFileMatch& Match : ExpandSupportFiles(Module))
            Sources << LocalFilePath(Match.Source);
    }
    return Sources;
}

QStringList ComparePackage(QFile& Package,
                           const TPackageContents& Contents,
                           const QStringList& Sources,
                           const std::function<QString(const QString&)>& Quote)
{
    QStringList Differences;
    if (Sources.size() != qsizetype(Contents.Files.size()))
        Differences << QStringLiteral("The package embeds %1 files, the definition names %2.")
                           .arg(Contents.Files.size())
                           .arg(Sources.size());
    const qsizetype Both = std::min(Sources.size(), qsizetype(Contents.Files.size()));
    for (qsizetype I = 0; I < Both; ++I) {
        const TPackageEmbeddedFile& File = Contents.Files[size_t(I)];
        QFile Source(Sources[I]);
        QString What = QStringLiteral("'%1' (%2 of %3)").arg(File.Target, File.Kind, File.Owner);
        if (Quote)
            What = Quote(What);
        if (!Source.open(QIODevice::ReadOnly))
            Differences << What + QStringLiteral(": '%1' cannot be read.").arg(Sources[I]);
        else if (Source.size() != File.Size)
            Differences << What + QStringLiteral(": %1 bytes in the package, %2 in '%3'.")
                                      .arg(File.Size)
                                      .arg(Source.size())
                                      .arg(Sources[I]);
        else if (!DeviceRangeEquals(Package, File.Offset, File.Size, Source))
            Differences << What + QStringLiteral(": differs from '%1'.").arg(Sources[I]);
    }
    return Differences;
}
