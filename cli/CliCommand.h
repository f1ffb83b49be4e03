#pragma once

// The frame every quillon-cli command fills in: its name, a one-line summary, its usage and help
// text, and Run, which reads its arguments and writes results to Out and messages to Err.

#include "cli/TerminalText.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>
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

// Writes Text as UTF-8. What was not made TerminalSafe still cannot reach a terminal raw: it goes
// through TerminalLines.
void Print(QIODevice& Device, const QString& Text);

// Gathers text and prints it in pieces of some tens of kilobytes, so that a long listing is never
// held whole. What is left is printed by Flush or at the end.
class TTextOut
{
public:
    explicit TTextOut(QIODevice& Device) : FDevice(Device) {}
    ~TTextOut() { Flush(); }
    TTextOut(const TTextOut&) = delete;
    TTextOut& operator=(const TTextOut&) = delete;

    TTextOut& operator<<(const QString& Text)
    {
        FText += Text;
        if (FText.size() >= PieceSize)
            Flush();
        return *this;
    }
    void Flush();

private:
    static constexpr qsizetype PieceSize = 32 * 1024;
    QIODevice& FDevice;
    QString FText;
};

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

// Loads a definition file, or JSON text written by dump (recognised by its first character). JSON
// text the definition file could not store is refused as build refuses it, so that no command
// works on a package other than the text says.
void LoadDefinitionOrJson(TData& Data, const QString& FileName);
// The fields of Data holding text the definition file cannot store, one line each with the field
// and its characters, each line starting with Source; empty when there are none.
QString UnstorableTextReport(const TData& Data, const QString& Source);
// A package read from the JSON text in FileName, not yet through a definition file; a report that
// fails names the file.
std::unique_ptr<TData> ReadDefinitionJsonFile(const QString& FileName);
// Writes a result file through Write, which answers whether every write succeeded. A file is
// replaced only once everything is written; a device or pipe (/dev/stdout, a named pipe) is
// written in place, never replaced. Any failure raises E_QOR_SavingError naming the file and why.
void WriteResultFile(const QString& FileName, const std::function<bool(QIODevice&)>& Write);
// Writes Bytes to FileName as WriteResultFile does.
void WriteWholeFile(const QString& FileName, const QByteArray& Bytes);
