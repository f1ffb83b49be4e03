#include "cli/Commands.h"
#include "foundation/StreamPrimitives.h"
#include "model/Data.h"
#include "model/PackageExport.h"

namespace {

// 2000-01-01T00:00:00Z: the export time of a reproducible export when SOURCE_DATE_EPOCH is not set.
constexpr qint64 DefaultReproducibleEpoch = 946684800;
// Days from 1899-12-30 to 1970-01-01.
constexpr double UnixEpochDays = 25569.0;

class TExportCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("export"); }
    QString Summary() const override { return QStringLiteral("export a package, optionally reproducibly"); }
    QString Usage() const override { return QStringLiteral("export DEF.cpd PKG.cpk [--reproducible]"); }
    QString Help() const override
    {
        return QStringLiteral(
            "Loads the definition, runs the export error check and writes the package: what\n"
            "'quillon /c /fd DEF.cpd /fp PKG.cpk -q' does. Beta software is exported without asking.\n\n"
            "  --reproducible   write the export time from SOURCE_DATE_EPOCH (seconds since\n"
            "                   1970-01-01 UTC; 946684800, that is 2000-01-01, when it is not set) as\n"
            "                   every time in the package, the embedded files' times included, and\n"
            "                   derive the export ID from a hash of the package content, so that\n"
            "                   unchanged inputs give byte-identical packages.\n\n"
            "SOURCE_DATE_EPOCH set in the environment makes every export reproducible.\n"
            "PKG.cpk may name a pipe, such as /dev/stdout.\n");
    }
    QStringList KnownSwitches() const override { return {QStringLiteral("--reproducible")}; }
    int MinimumPositional() const override { return 2; }
    int MaximumPositional() const override { return 2; }

    int Run(const TParsedArguments& Arguments, TCliIO& IO) const override
    {
        const QString& Definition = Arguments.Positional[0];
        const QString& Package = Arguments.Positional[1];
        TExportStamp Stamp;
        Stamp.Reproducible = Arguments.Has("--reproducible") || IO.SourceDateEpoch.has_value();
        if (Stamp.Reproducible) {
            qint64 Seconds = DefaultReproducibleEpoch;
            if (IO.SourceDateEpoch) {
                bool Valid = false;
                Seconds = IO.SourceDateEpoch->trimmed().toLongLong(&Valid);
                if (!Valid || Seconds < 0) {
                    Print(IO.Err, QStringLiteral("SOURCE_DATE_EPOCH must be a whole number of seconds since 1970.\n"));
                    return ceFailure;
                }
            }
            Stamp.Time = UnixEpochDays + double(Seconds) / 86400.0;
        }
        RefuseExportOverDefinition(Definition, Package);
        TData Data;
        Data.LoadFromFile(Definition);
        Data.ExportErrorCheck();
        ExportPackageFile(Data, Package, Stamp);
        Print(IO.Err, QStringLiteral("Exported '%1'.\n").arg(Package));
        return ceSuccess;
    }
};

} // namespace

std::unique_ptr<TCommand> MakeExportCommand()
{
    return std::make_unique<TExportCommand>();
}
