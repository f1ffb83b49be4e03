#include "app/PackageComparison.h"
#include "app/TargetChecks.h"
#include "cli/Commands.h"
#include "cli/TerminalText.h"
#include "foundation/QORExceptions.h"
#include "model/Data.h"
#include "model/PackageReader.h"

#include <QFile>

namespace {

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
            const QStringList Differences = ComparePackage(Package, Contents, PackageSources(Data), TerminalSafe);
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
};

} // namespace

std::unique_ptr<TCommand> MakeVerifyCommand()
{
    return std::make_unique<TVerifyCommand>();
}
