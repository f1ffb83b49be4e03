#pragma once

// The frame every quillon-cli command fills in: its name, a one-line summary, its usage and help
// text, and Run, which reads its arguments and writes results to Out and messages to Err.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class TData;

enum TCliExitCode
{
    // Done, or nothing found.
    ceSuccess = 0,
    // Bad usage, or a file that cannot be read or written.
    ceFailure = 1,
    // Findings or differences.
    ceFound = 2,
};

struct TCliIO
{
    QIODevice& Out;
    QIODevice& Err;
    // The environment lookups commands make (SOURCE_DATE_EPOCH); tests set their own.
    std::optional<QByteArray> SourceDateEpoch;
};

void Print(QIODevice& Device, const QString& Text);

// The arguments of one command: positional ones in order, switches and options by name.
struct TParsedArguments
{
    QStringList Positional;
    QStringList Switches;
    // Option name followed by its value, e.g. "-o" "out.json".
    QList<std::pair<QString, QString>> Options;

    bool Has(const char* Switch) const { return Switches.contains(QLatin1String(Switch)); }
    QString Option(const char* Name) const;
};

class TCommand
{
public:
    virtual ~TCommand() = default;
    virtual QString Name() const = 0;
    virtual QString Summary() const = 0;
    // The synopsis after "quillon-cli", e.g. "check DEF.cpd [--json]".
    virtual QString Usage() const = 0;
    // What help COMMAND prints after the synopsis.
    virtual QString Help() const = 0;
    virtual QStringList KnownSwitches() const { return {}; }
    virtual QStringList KnownOptions() const { return {}; }
    virtual int MinimumPositional() const = 0;
    virtual int MaximumPositional() const = 0;
    virtual int Run(const TParsedArguments& Arguments, TCliIO& IO) const = 0;

    // Parses Arguments against this command's switches and options; a usage report on failure.
    std::optional<TParsedArguments> Parse(const QStringList& Arguments, QString& Problem) const;
};

// The commands in the order --help lists them.
const std::vector<std::unique_ptr<TCommand>>& CliCommands();

// Loads a definition file, or JSON text written by dump (recognised by its first character).
void LoadDefinitionOrJson(TData& Data, const QString& FileName);
// Writes Bytes to FileName, replacing it only once everything is written.
void WriteWholeFile(const QString& FileName, const QByteArray& Bytes);
