#include "cli/Commands.h"
#include "model/CheckFindings.h"
#include "model/Data.h"
#include "model/JsonWriter.h"

namespace {

class TCheckCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("check"); }
    QString Summary() const override { return QStringLiteral("report every problem the export would meet"); }
    QString Usage() const override { return QStringLiteral("check DEF.cpd [--json]"); }
    QString Help() const override
    {
        return QStringLiteral(
            "Runs the export error check over a definition (or its JSON dump) and reports every finding,\n"
            "not only the first. Errors are what the export rejects, worded as the export words them; the\n"
            "first error is the one the export would stop at. Warnings are what the export lets pass:\n"
            "a COM file whose type library could not be read, and duplicate IDs among data types,\n"
            "interface types or drivers.\n\n"
            "Each finding says where it is, as the tree shows it (\"Drivers/Demo driver\"). A name that\n"
            "repeats in its list is followed by its position there (\"Code modules/Demo #2\"); with --json,\n"
            "Path gives each step's list, name and position, counted from 1.\n\n"
            "  --json   write the findings as JSON\n\n"
            "Exit code 2 when there is an error, 0 when there are only warnings or nothing.\n");
    }
    QStringList KnownSwitches() const override { return {QStringLiteral("--json")}; }
    int MinimumPositional() const override { return 1; }
    int MaximumPositional() const override { return 1; }

    int Run(const TParsedArguments& Arguments, TCliIO& IO) const override
    {
        TData Data;
        LoadDefinitionOrJson(Data, Arguments.Positional[0]);
        const std::vector<TCheckFinding> Findings = CollectCheckFindings(Data);
        int Errors = 0;
        for (const TCheckFinding& Finding : Findings)
            Errors += Finding.Severity == TFindingSeverity::Error;
        if (Arguments.Has("--json"))
            WriteJson(Findings, Errors, IO);
        else
            WriteText(Findings, Errors, IO);
        return Errors > 0 ? ceFound : ceSuccess;
    }

private:
    static void WriteText(const std::vector<TCheckFinding>& Findings, int Errors, TCliIO& IO)
    {
        QString Text;
        for (const TCheckFinding& Finding : Findings)
            Text += QStringLiteral("%1: %2: %3 [%4]\n")
                        .arg(FindingSeverityText(Finding.Severity),
                             TerminalSafe(Finding.Location),
                             TerminalSafe(Finding.Message),
                             Finding.Rule);
        Print(IO.Out, Text);
        Print(IO.Err,
              QStringLiteral("%1 error(s), %2 warning(s).\n")
                  .arg(Errors)
                  .arg(static_cast<qsizetype>(Findings.size()) - Errors));
    }

    static void WriteJson(const std::vector<TCheckFinding>& Findings, int Errors, TCliIO& IO)
    {
        TJsonWriter Out;
        Out.BeginObject();
        Out.Field("Errors", Errors);
        Out.Field("Warnings", static_cast<int32_t>(Findings.size()) - Errors);
        Out.Key("Findings");
        Out.BeginArray();
        for (const TCheckFinding& Finding : Findings) {
            Out.BeginObject();
            Out.Field("Severity", FindingSeverityText(Finding.Severity));
            Out.Field("Rule", Finding.Rule);
            Out.Field("Message", Finding.Message);
            Out.Field("Location", Finding.Location);
            // The same place step by step; the position tells apart elements of the same name.
            Out.Key("Path");
            Out.BeginArray();
            for (const TFindingStep& Step : Finding.Path) {
                Out.BeginInlineObject();
                Out.Field("List", Step.List);
                Out.Field("Name", Step.Name);
                Out.Field("Position", Step.Position);
                Out.EndObject();
            }
            Out.EndArray();
            Out.EndObject();
        }
        Out.EndArray();
        Out.EndObject();
        IO.Out.write(Out.TakeText());
    }
};

} // namespace

std::unique_ptr<TCommand> MakeCheckCommand()
{
    return std::make_unique<TCheckCommand>();
}
