#include "cli/Commands.h"
#include "foundation/QORExceptions.h"
#include "model/Data.h"
#include "model/DefinitionJson.h"

namespace {

class TDumpCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("dump"); }
    QString Summary() const override { return QStringLiteral("write a definition as JSON text"); }
    QString Usage() const override { return QStringLiteral("dump DEF.cpd [-o FILE.json]"); }
    QString Help() const override
    {
        return QStringLiteral(
            "Writes every field of the definition as JSON, expansion flags included, to standard output\n"
            "or to FILE.json. References carry the position, ID and name of what they point to.\n"
            "'build' turns the text back into the same definition file. docs/definition-json.schema.json\n"
            "describes the format.\n");
    }
    QStringList KnownOptions() const override { return {QStringLiteral("-o")}; }
    int MinimumPositional() const override { return 1; }
    int MaximumPositional() const override { return 1; }

    int Run(const TParsedArguments& Arguments, TCliIO& IO) const override
    {
        TData Data;
        Data.LoadFromFile(Arguments.Positional[0]);
        // Written as it is made: the text of a large definition runs to tens of megabytes.
        const QString Target = Arguments.Option("-o");
        if (Target.isEmpty()) {
            if (!WriteDefinitionJson(Data, IO.Out))
                throw E_QOR_SavingError(QStringLiteral("Standard output: %1").arg(IO.Out.errorString()));
            return ceSuccess;
        }
        WriteResultFile(Target, [&Data](QIODevice& File) { return WriteDefinitionJson(Data, File); });
        return ceSuccess;
    }
};

class TBuildCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("build"); }
    QString Summary() const override { return QStringLiteral("write a definition file from JSON text"); }
    QString Usage() const override { return QStringLiteral("build FILE.json -o DEF.cpd"); }
    QString Help() const override
    {
        return QStringLiteral(
            "Reads JSON text as 'dump' writes it and writes the definition file the program itself would\n"
            "save. A text that is not valid is reported with its line and column (or the path of the\n"
            "value at fault) and what was expected there; so is text the definition file's code page\n"
            "cannot store, with the characters concerned. Nothing is written then.\n");
    }
    QStringList KnownOptions() const override { return {QStringLiteral("-o")}; }
    int MinimumPositional() const override { return 1; }
    int MaximumPositional() const override { return 1; }

    int Run(const TParsedArguments& Arguments, TCliIO& IO) const override
    {
        const QString Target = Arguments.Option("-o");
        if (Target.isEmpty()) {
            Print(IO.Err, QStringLiteral("Option -o is required.\nUsage: quillon-cli ") + Usage() + QLatin1Char('\n'));
            return ceFailure;
        }
        const QString Source = Arguments.Positional[0];
        const std::unique_ptr<TData> Data = ReadDefinitionJsonFile(Source);
        // Such text would be written as "?": refused before anything is written.
        if (const QString Report = UnstorableTextReport(*Data, Source); !Report.isEmpty())
            throw E_QOR_SavingError(Report);
        Data->SaveToFile(Target);
        return ceSuccess;
    }
};

} // namespace

std::unique_ptr<TCommand> MakeDumpCommand()
{
    return std::make_unique<TDumpCommand>();
}

std::unique_ptr<TCommand> MakeBuildCommand()
{
    return std::make_unique<TBuildCommand>();
}
