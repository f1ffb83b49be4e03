#include "cli/Commands.h"
#include "cli/InputText.h"
#include "foundation/AnsiCodec.h"
#include "foundation/QORExceptions.h"
#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "model/StorableText.h"

namespace {

// Text the definition file cannot store would be written as "?". Refused before anything is written,
// one line per field, each naming the field and its characters.
void RefuseUnstorableText(const TData& Data, const QString& Source)
{
    constexpr size_t MaxReported = 20;
    const std::vector<TUnstorableText> Found = FindUnstorableText(Data);
    if (Found.empty())
        return;
    QStringList Lines;
    for (size_t I = 0; I < Found.size() && I < MaxReported; ++I)
        Lines.append(Source + QStringLiteral(": ") + Found[I].Path +
                     QStringLiteral(": characters the definition file cannot store: ") +
                     DescribeCharacters(Found[I].Characters));
    if (Found.size() > MaxReported)
        Lines.append(Source + QStringLiteral(": and %1 more such fields").arg(Found.size() - MaxReported));
    throw E_QOR_SavingError(Lines.join(QLatin1Char('\n')));
}

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
        std::unique_ptr<TData> Data;
        try {
            Data = PackageForSavingFromJson(TInputText(Source).Bytes());
        } catch (E_QOR& Error) {
            Error.SetMessage(Source + QStringLiteral(": ") + Error.Message());
            throw;
        }
        RefuseUnstorableText(*Data, Source);
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
