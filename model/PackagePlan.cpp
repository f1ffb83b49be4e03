#include "model/PackagePlan.h"

#include "foundation/Paths.h"
#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"
#include "model/Data.h"
#include "model/PackageExport.h"

#include <QFileInfo>

namespace {

// Fills in what the disk says about Planned.Source; a name that is not a regular file is missing,
// as the export could not embed it.
void Measure(TPlannedFile& Planned)
{
    const QString Local = LocalFilePath(Planned.Source);
    const QFileInfo Info(Local);
    if (!Info.isFile()) {
        Planned.Missing = true;
        return;
    }
    Planned.Size = Info.size();
    try {
        Planned.LastWritten = QDateTimeFromDateTime(GetFileTimes(Local).LastWritten);
    } catch (const E_QOR&) {
        Planned.LastWritten = QDateTime();
    }
}

QString OwnerPath(const char* List, const QString& Name)
{
    return QLatin1String(List) + QLatin1Char('/') + Name;
}

} // namespace

std::vector<TPlannedFile> PlanPackageFiles(const TData& Data)
{
    std::vector<TPlannedFile> Files;
    for (int32_t D = 0; D < Data.Drivers.Count(); ++D) {
        const TDriver& Driver = *Data.Drivers.Items(D);
        TPlannedFile Planned;
        Planned.Kind = QStringLiteral("driver");
        Planned.Owner = OwnerPath("Drivers", Driver.Name);
        Planned.Target = Driver.FileName;
        Planned.Source = ModuleSourcePath(Driver.FilePath, Driver.FileName);
        Measure(Planned);
        Files.push_back(std::move(Planned));
    }
    for (int32_t C = 0; C < Data.CodeModules.Count(); ++C) {
        const TCodeModule& Module = *Data.CodeModules.Items(C);
        const QString Owner = OwnerPath("Code modules", Module.Name);
        // A linked module's file stays where it is; only an embedded one travels in the package.
        if (Module.Location == cmlEmbedded) {
            TPlannedFile Planned;
            Planned.Kind = QStringLiteral("code module");
            Planned.Owner = Owner;
            Planned.Target = Module.FileName;
            Planned.Source = ModuleSourcePath(Module.FilePath, Module.FileName);
            Measure(Planned);
            Files.push_back(std::move(Planned));
        }
        for (int32_t S = 0; S < Module.SupportFiles.Count(); ++S) {
            const TSupportFile& File = *Module.SupportFiles.Items(S);
            const QString Pattern = SupportFilePattern(Module, File);
            const std::vector<TSupportFileMatch> Matches = MatchSupportFile(Module, File);
            if (Matches.empty()) {
                TPlannedFile Planned;
                Planned.Kind = QStringLiteral("support file");
                Planned.Owner = Owner;
                Planned.Target = CombinePackagePath(File.TargetRelativePath, File.SourceFileName);
                Planned.Source = Pattern;
                Planned.Pattern = Pattern;
                Planned.Missing = true;
                Files.push_back(std::move(Planned));
                continue;
            }
            for (const TSupportFileMatch& Match : Matches) {
                TPlannedFile Planned;
                Planned.Kind = QStringLiteral("support file");
                Planned.Owner = Owner;
                Planned.Target = Match.Target;
                Planned.Source = Match.Source;
                Planned.Pattern = Pattern;
                Measure(Planned);
                Files.push_back(std::move(Planned));
            }
        }
    }
    return Files;
}

int64_t PlannedSize(const std::vector<TPlannedFile>& Files)
{
    int64_t Total = 0;
    for (const TPlannedFile& File : Files)
        if (!File.Missing)
            Total += File.Size;
    return Total;
}
