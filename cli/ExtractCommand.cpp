#include "app/SafeExtract.h"
#include "cli/Commands.h"
#include "cli/TerminalText.h"
#include "model/PackageReader.h"

#include <QFile>

namespace {

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
            "written every target is checked, and if one is refused nothing is written: one that is\n"
            "absolute, has a drive or climbs out of DIR; one Windows cannot create (a device name such as\n"
            "CON or NUL, a forbidden character, a trailing dot or space); two targets that differ only in\n"
            "letter case, or a file where another target needs a folder; a link anywhere below DIR, a\n"
            "folder where a file goes, and an existing file unless --force is given. Links below DIR are\n"
            "never followed. If a write fails, what was written is removed again. The files get their\n"
            "last-write times from the package.\n\n"
            "  --force   replace existing regular files (never a folder, link or device)\n");
    }
    QStringList KnownSwitches() const override { return {QStringLiteral("--force")}; }
    int MinimumPositional() const override { return 2; }
    int MaximumPositional() const override { return 2; }

    int Run(const TParsedArguments& Arguments, TCliIO& IO) const override
    {
        const QString PackageName = Arguments.Positional[0];
        const TPackageContents Package = ReadPackageFile(PackageName);
        TSafeExtract Writer(Arguments.Positional[1], Arguments.Has("--force"));
        if (!Writer.FolderUsable()) {
            Print(IO.Err, QStringLiteral("Cannot create the folder '%1'.\n").arg(Arguments.Positional[1]));
            return ceFailure;
        }

        TExtractPlan Plan = PlanExtract(Package, Writer);
        QStringList& Problems = Plan.Problems;
        const std::vector<TExtractFile>& Files = Plan.Files;
        if (!Problems.isEmpty()) {
            for (QString& Problem : Problems)
                Problem = TerminalSafe(Problem);
            Print(IO.Err, Problems.join(QLatin1Char('\n')) + QStringLiteral("\nNothing was written.\n"));
            return ceFailure;
        }

        QFile Source(PackageName);
        if (!Source.open(QIODevice::ReadOnly)) {
            Print(IO.Err, QStringLiteral("Cannot read '%1'.\n").arg(PackageName));
            return ceFailure;
        }
        bool Undone = true;
        const QStringList Failure = Writer.WriteAll(Source, Files, Undone);
        if (!Failure.isEmpty()) {
            Print(IO.Err,
                  Failure.join(QLatin1Char('\n')) +
                      (Undone ? QStringLiteral("\nNothing was written.\n") : QStringLiteral("\n")));
            return ceFailure;
        }
        QString Written;
        for (const TExtractFile& File : Files)
            Written += TerminalSafe(Writer.PathOf(File.Relative)) + QLatin1Char('\n');
        Print(IO.Out, Written);
        return ceSuccess;
    }
};

} // namespace

std::unique_ptr<TCommand> MakeExtractCommand()
{
    return std::make_unique<TExtractCommand>();
}
