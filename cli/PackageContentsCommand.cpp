#include "app/Sha256.h"
#include "cli/Commands.h"
#include "model/JsonWriter.h"
#include "model/PackageReader.h"

namespace {

QString TimeText(TDateTime Value)
{
    const QDateTime Time = QDateTimeFromDateTime(Value);
    return Time.isValid() ? Time.toString(Qt::ISODateWithMs) : QString::number(Value);
}

QString YesNo(bool Value)
{
    return Value ? QStringLiteral("yes") : QStringLiteral("no");
}

class TInspectCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("inspect"); }
    QString Summary() const override { return QStringLiteral("list what a package file holds"); }
    QString Usage() const override { return QStringLiteral("inspect PKG.cpk [--json]"); }
    QString Help() const override
    {
        return QStringLiteral(
            "Lists the header, every section with its offset and count, the elements with IDs and names,\n"
            "and each embedded file with its target, size, creation and last-write times (UTC) and\n"
            "SHA-256. Embedded files are read through once for their hashes, never held in memory.\n\n"
            "  --json   write the listing as JSON\n");
    }
    QStringList KnownSwitches() const override { return {QStringLiteral("--json")}; }
    int MinimumPositional() const override { return 1; }
    int MaximumPositional() const override { return 1; }

    int Run(const TParsedArguments& Arguments, TCliIO& IO) const override
    {
        TPackageReadOptions Options;
        Options.HashFiles = true;
        Options.Hasher = Sha256Hasher();
        const TPackageContents Package = ReadPackageFile(Arguments.Positional[0], Options);
        if (Arguments.Has("--json"))
            WriteJson(Package, IO.Out);
        else
            WriteText(Package, IO.Out);
        return ceSuccess;
    }

private:
    // Every text taken from the package goes through TerminalSafe.
    static void WriteText(const TPackageContents& Package, QIODevice& Device)
    {
        const TPackageHeader& H = Package.Header;
        TTextOut Out(Device);
        Out << QStringLiteral("File size: %1 bytes\nHeader: %2 bytes\n").arg(Package.FileSize).arg(Package.HeaderSize);
        Out << QStringLiteral("  ID: %1\n  Export ID: %2\n").arg(H.ID.ToString(), H.ExportID.ToString());
        Out << QStringLiteral("  Name: %1\n  Description: %2\n  About information: %3\n")
                   .arg(TerminalSafe(H.Name), TerminalSafe(H.Description), TerminalSafe(H.AboutInformation));
        Out << QStringLiteral("  Creator: %1\n  Sub creator: %2\n")
                   .arg(TerminalSafe(H.Creator), TerminalSafe(H.SubCreator));
        Out << QStringLiteral("  Export time: %1\n  Allow export from LMS: %2\n  Beta software: %3\n")
                   .arg(TimeText(H.ExportTime), YesNo(H.AllowExportFromLMS), YesNo(H.BetaSoftware));
        Out << QStringLiteral("  Task module objects: %1\n").arg(H.TaskModuleObjectIDs.size());
        for (const TGUID& ID : H.TaskModuleObjectIDs)
            Out << QStringLiteral("    %1\n").arg(ID.ToString());
        Out << QStringLiteral("Body: %1 bytes\nSections:\n").arg(Package.BodySize);
        for (const TPackageSection& Section : Package.Sections) {
            const QString Owner = TerminalSafe(Package.PathOf(Section.Owner));
            Out << QStringLiteral("  %1%2: %3 at offset %4\n")
                       .arg(Owner.isEmpty() ? QString() : Owner + QLatin1Char('/'), Section.Name())
                       .arg(Section.Count)
                       .arg(Section.Offset);
        }
        Out << QStringLiteral("Elements:\n");
        for (size_t I = 0; I < Package.Elements.size(); ++I)
            Out << QStringLiteral("  %1 %2\n")
                       .arg(Package.Elements[I].ID.ToString(), TerminalSafe(Package.PathOf(int32_t(I))));
        Out << QStringLiteral("Embedded files:\n");
        for (const TPackageEmbeddedFile& File : Package.Files)
            Out << QStringLiteral("  %1\n    %2 of %3\n    size %4 at offset %5\n    created %6, last written %7\n"
                                  "    SHA-256 %8\n")
                       .arg(TerminalSafe(File.Target), File.Kind, TerminalSafe(File.Owner))
                       .arg(File.Size)
                       .arg(File.Offset)
                       .arg(TimeText(File.Created),
                            TimeText(File.LastWritten),
                            QString::fromLatin1(File.SHA256.toHex()));
    }

    // JSON escapes what a terminal would act on by itself.
    static void WriteJson(const TPackageContents& Package, QIODevice& Device)
    {
        const TPackageHeader& H = Package.Header;
        TJsonWriter Out;
        Out.StreamTo(Device, 64 * 1024);
        Out.BeginObject();
        Out.Key("FileSize");
        Out.Integer(Package.FileSize);
        Out.Key("Header");
        Out.BeginObject();
        Out.Key("Size");
        Out.Integer(Package.HeaderSize);
        Out.Field("ID", H.ID.ToString());
        Out.Field("ExportID", H.ExportID.ToString());
        Out.Field("Name", H.Name);
        Out.Field("Description", H.Description);
        Out.Field("AboutInformation", H.AboutInformation);
        Out.Field("Creator", H.Creator);
        Out.Field("SubCreator", H.SubCreator);
        Out.Field("ExportTime", TimeText(H.ExportTime));
        Out.Field("AllowExportFromLMS", H.AllowExportFromLMS);
        Out.Field("BetaSoftware", H.BetaSoftware);
        Out.Key("TaskModuleObjectIDs");
        Out.BeginArray();
        for (const TGUID& ID : H.TaskModuleObjectIDs)
            Out.String(ID.ToString());
        Out.EndArray();
        Out.EndObject();
        Out.Key("BodySize");
        Out.Integer(Package.BodySize);
        Out.Key("Sections");
        Out.BeginArray();
        for (const TPackageSection& Section : Package.Sections) {
            Out.BeginObject();
            Out.Field("Name", Section.Name());
            Out.Field("Owner", Package.PathOf(Section.Owner));
            Out.Key("Offset");
            Out.Integer(Section.Offset);
            Out.Field("Count", Section.Count);
            Out.EndObject();
        }
        Out.EndArray();
        Out.Key("Elements");
        Out.BeginArray();
        for (size_t I = 0; I < Package.Elements.size(); ++I) {
            const TPackageElement& Element = Package.Elements[I];
            Out.BeginObject();
            Out.Field("Path", Package.PathOf(int32_t(I)));
            Out.Field("ID", Element.ID.ToString());
            Out.Field("Name", Element.Name);
            Out.EndObject();
        }
        Out.EndArray();
        Out.Key("Files");
        Out.BeginArray();
        for (const TPackageEmbeddedFile& File : Package.Files) {
            Out.BeginObject();
            Out.Field("Target", File.Target);
            Out.Field("Kind", File.Kind);
            Out.Field("Owner", File.Owner);
            Out.Key("Size");
            Out.Integer(File.Size);
            Out.Key("Offset");
            Out.Integer(File.Offset);
            Out.Field("Created", TimeText(File.Created));
            Out.Field("LastWritten", TimeText(File.LastWritten));
            Out.Field("SHA256", QString::fromLatin1(File.SHA256.toHex()));
            Out.EndObject();
        }
        Out.EndArray();
        Out.EndObject();
        // A failed write is seen and reported where the command's results leave.
        Out.Finish();
    }
};

} // namespace

std::unique_ptr<TCommand> MakeInspectCommand()
{
    return std::make_unique<TInspectCommand>();
}
