#include "cli/Commands.h"
#include "model/PackageReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Whether the folders of Path stay inside Root: a folder that exists already may be a link that leads
// elsewhere, so the deepest existing one is followed before anything is created below it.
bool StaysInside(const QString& Root, const QString& Path)
{
    QString Folder = QFileInfo(Path).absolutePath();
    while (!QFileInfo::exists(Folder) && Folder.size() > Root.size())
        Folder = QFileInfo(Folder).absolutePath();
    const QString Canonical = QFileInfo(Folder).canonicalFilePath();
    return !Canonical.isEmpty() && (Canonical == Root || Canonical.startsWith(Root + QLatin1Char('/')));
}

class TExtractCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("extract"); }
    QString Summary() const override { return QStringLiteral("write the embedded files of a package"); }
    QString Usage() const override { return QStringLiteral("extract PKG.cpk DIR [--force]"); }
    QString Help() const override
    {
        return QStringLiteral(
            "Writes every embedded file under DIR at its target path, \"\\\" separating folders: drivers and\n"
            "code modules by their file names, support files by their target paths. Before anything is\n"
            "written every target is checked: one that is absolute, has a drive or climbs out of DIR is\n"
            "refused, and so is an existing file unless --force is given; then nothing is written.\n"
            "The files get their last-write times from the package.\n\n"
            "  --force   replace existing files\n");
    }
    QStringList KnownSwitches() const override { return {QStringLiteral("--force")}; }
    int MinimumPositional() const override { return 2; }
    int MaximumPositional() const override { return 2; }

    int Run(const TParsedArguments& Arguments, TCliIO& IO) const override
    {
        const QString PackageName = Arguments.Positional[0];
        const TPackageContents Package = ReadPackageFile(PackageName);
        if (!QDir().mkpath(Arguments.Positional[1])) {
            Print(IO.Err, QStringLiteral("Cannot create the folder '%1'.\n").arg(Arguments.Positional[1]));
            return ceFailure;
        }
        const QString Root = QFileInfo(Arguments.Positional[1]).canonicalFilePath();
        const bool Force = Arguments.Has("--force");

        QStringList Problems;
        QStringList Targets;
        for (const TPackageEmbeddedFile& File : Package.Files) {
            const QString Relative = SafeRelativeTarget(File.Target);
            const QString Path = Root + QLatin1Char('/') + Relative;
            if (Relative.isEmpty())
                Problems << QStringLiteral("Refused target '%1' (%2 of %3): it would lie outside the folder.")
                                .arg(File.Target, File.Kind, File.Owner);
            else if (Targets.contains(Path))
                Problems << QStringLiteral("Refused target '%1' (%2 of %3): an earlier file has the same target.")
                                .arg(File.Target, File.Kind, File.Owner);
            else if (!Force && QFileInfo::exists(Path))
                Problems << QStringLiteral("'%1' exists; use --force to replace it.").arg(Path);
            Targets << Path;
        }
        if (!Problems.isEmpty()) {
            Print(IO.Err, Problems.join(QLatin1Char('\n')) + QStringLiteral("\nNothing was written.\n"));
            return ceFailure;
        }

        QFile Source(PackageName);
        if (!Source.open(QIODevice::ReadOnly)) {
            Print(IO.Err, QStringLiteral("Cannot read '%1'.\n").arg(PackageName));
            return ceFailure;
        }
        for (size_t I = 0; I < Package.Files.size(); ++I) {
            const TPackageEmbeddedFile& File = Package.Files[I];
            const QString& Path = Targets[qsizetype(I)];
            if (!StaysInside(Root, Path) || !QDir().mkpath(QFileInfo(Path).absolutePath())) {
                Print(IO.Err, QStringLiteral("Refused '%1': its folder leads outside '%2'.\n").arg(Path, Root));
                return ceFailure;
            }
            // Written beside and renamed into place: a link at the target is replaced, never followed.
            QSaveFile Target(Path);
            if (!Target.open(QIODevice::WriteOnly) || !CopyDeviceRange(Source, File.Offset, File.Size, Target) ||
                !Target.commit()) {
                Print(IO.Err, QStringLiteral("Cannot write '%1'.\n").arg(Path));
                return ceFailure;
            }
            QFile Written(Path);
            const QDateTime Time = QDateTimeFromDateTime(File.LastWritten);
            if (Time.isValid() && Written.open(QIODevice::Append))
                Written.setFileTime(Time, QFileDevice::FileModificationTime);
            Print(IO.Out, Path + QLatin1Char('\n'));
        }
        return ceSuccess;
    }
};

} // namespace

std::unique_ptr<TCommand> MakeExtractCommand()
{
    return std::make_unique<TExtractCommand>();
}
