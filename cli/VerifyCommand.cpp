#include "cli/Commands.h"
#include "cli/TargetChecks.h"
#include "cli/TerminalText.h"
#include "foundation/FileSystem.h"
#include "foundation/Paths.h"
#include "foundation/QORExceptions.h"
#include "model/Data.h"
#include "model/PackageExport.h"
#include "model/PackageReader.h"

#include <QFile>

namespace {

// The files on disk the package of Data embeds, in the order the export writes them.
QStringList SourcesOf(const TData& Data)
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

class TVerifyCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("verify"); }
    QString Summary() const override { return QStringLiteral("check a package file's layout and contents"); }
    QString Usage() const override { return QStringLiteral("verify PKG.cpk [--against DEF.cpd]"); }
    QString Help() const override
    {
        return QStringLiteral(
            "Checks every size block, tag, count and string of the package against the file's length, and\n"
            "that nothing trails it. Embedded files are skipped, not read. A warning names each target\n"
            "that extract would refuse: outside the folder, one Windows cannot create (a device name such\n"
            "as CON or NUL, a forbidden character, a trailing dot or space), or clashing with an earlier\n"
            "one (the same ignoring letter case, or a file where a folder is needed).\n\n"
            "  --against DEF.cpd   also check that each embedded file equals the file on disk now that the\n"
            "                      definition names (or its JSON dump)\n\n"
            "Exit code 2 when the package is damaged or differs.\n");
    }
    QStringList KnownOptions() const override { return {QStringLiteral("--against")}; }
    int MinimumPositional() const override { return 1; }
    int MaximumPositional() const override { return 1; }

    int Run(const TParsedArguments& Arguments, TCliIO& IO) const override
    {
        const QString PackageName = Arguments.Positional[0];
        QFile Package(PackageName);
        if (!Package.open(QIODevice::ReadOnly)) {
            Print(IO.Err, QStringLiteral("Cannot read '%1'.\n").arg(PackageName));
            return ceFailure;
        }
        TPackageContents Contents;
        try {
            Contents = ReadPackage(Package);
        } catch (const E_QOR_LoadingError&) {
            Print(IO.Err, PackageName + QStringLiteral(": ") + GetExceptionReport() + QLatin1Char('\n'));
            return ceFound;
        }
        Print(IO.Out, TargetWarnings(Contents));
        const QString Against = Arguments.Option("--against");
        if (!Against.isEmpty()) {
            TData Data;
            LoadDefinitionOrJson(Data, Against);
            const QStringList Differences = Compare(Package, Contents, SourcesOf(Data));
            if (!Differences.isEmpty()) {
                Print(IO.Out, Differences.join(QLatin1Char('\n')) + QLatin1Char('\n'));
                return ceFound;
            }
        }
        Print(IO.Out,
              QStringLiteral("%1: sound, %2 elements, %3 embedded files%4.\n")
                  .arg(PackageName)
                  .arg(Contents.Elements.size())
                  .arg(Contents.Files.size())
                  .arg(Against.isEmpty() ? QString() : QStringLiteral(", all equal to the files on disk")));
        return ceSuccess;
    }

private:
    static QString TargetWarnings(const TPackageContents& Contents)
    {
        TTargetChecker Checker;
        QString Warnings;
        for (const TPackageEmbeddedFile& File : Contents.Files) {
            const TTargetCheck Check = Checker.Add(File.Target);
            if (!Check.Problem.isEmpty())
                Warnings += TerminalSafe(QStringLiteral("warning: target '%1' (%2 of %3): %4.")
                                             .arg(File.Target, File.Kind, File.Owner, Check.Problem)) +
                            QLatin1Char('\n');
        }
        return Warnings;
    }

    static QStringList Compare(QFile& Package, const TPackageContents& Contents, const QStringList& Sources)
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
            const QString What =
                TerminalSafe(QStringLiteral("'%1' (%2 of %3)").arg(File.Target, File.Kind, File.Owner));
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
};

} // namespace

std::unique_ptr<TCommand> MakeVerifyCommand()
{
    return std::make_unique<TVerifyCommand>();
}
