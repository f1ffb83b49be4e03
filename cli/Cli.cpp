#include "cli/Cli.h"

#include "cli/BuildInfo.h"
#include "cli/CheckedOutput.h"
#include "cli/Commands.h"
#include "foundation/QORExceptions.h"

namespace {

const TCommand* FindCommand(const QString& Name)
{
    for (const auto& Command : CliCommands())
        if (Command->Name() == Name)
            return Command.get();
    return nullptr;
}

QString Overview()
{
    QString Text = QStringLiteral("Usage: quillon-cli COMMAND [ARGUMENTS]\n"
                                  "       quillon-cli help COMMAND | --help | --version\n\nCommands:\n");
    for (const auto& Command : CliCommands())
        Text += QStringLiteral("  %1%2\n").arg(Command->Name(), -10).arg(Command->Summary());
    Text += QStringLiteral("\nExit codes: 0 success or nothing found, 2 findings or differences, 1 bad usage, an "
                           "unreadable file or results that cannot be written.\n");
    return Text;
}

QString CommandHelp(const TCommand& Command)
{
    return QStringLiteral("Usage: quillon-cli ") + Command.Usage() + QStringLiteral("\n\n") + Command.Help();
}

} // namespace

const std::vector<std::unique_ptr<TCommand>>& CliCommands()
{
    static const std::vector<std::unique_ptr<TCommand>> Commands = [] {
        std::vector<std::unique_ptr<TCommand>> List;
        List.push_back(MakeCheckCommand());
        List.push_back(MakeDumpCommand());
        List.push_back(MakeBuildCommand());
        List.push_back(MakeInspectCommand());
        List.push_back(MakeExtractCommand());
        List.push_back(MakeVerifyCommand());
        List.push_back(MakeDiffCommand());
        List.push_back(MakeExportCommand());
        return List;
    }();
    return Commands;
}

namespace {

int Dispatch(const QStringList& Arguments, TCliIO& IO)
{
    if (Arguments.isEmpty()) {
        Print(IO.Err, Overview());
        return ceFailure;
    }
    const QString& First = Arguments.first();
    if (First == QLatin1String("--help") || First == QLatin1String("-h")) {
        Print(IO.Out, Overview());
        return ceSuccess;
    }
    if (First == QLatin1String("--version")) {
        Print(IO.Out, QStringLiteral("quillon-cli ") + ProgramVersionLong() + QLatin1Char('\n'));
        return ceSuccess;
    }
    if (First == QLatin1String("help")) {
        if (Arguments.size() == 1) {
            Print(IO.Out, Overview());
            return ceSuccess;
        }
        const TCommand* Command = FindCommand(Arguments[1]);
        if (!Command || Arguments.size() > 2) {
            Print(IO.Err, QStringLiteral("Unknown command '%1'.\n\n").arg(Arguments[1]) + Overview());
            return ceFailure;
        }
        Print(IO.Out, CommandHelp(*Command));
        return ceSuccess;
    }
    const TCommand* Command = FindCommand(First);
    if (!Command) {
        Print(IO.Err, QStringLiteral("Unknown command '%1'.\n\n").arg(First) + Overview());
        return ceFailure;
    }
    const QStringList Rest = Arguments.mid(1);
    if (Rest.contains(QLatin1String("--help"))) {
        Print(IO.Out, CommandHelp(*Command));
        return ceSuccess;
    }
    QString Problem;
    const auto Parsed = Command->Parse(Rest, Problem);
    if (!Parsed) {
        Print(IO.Err, Problem + QStringLiteral("\nUsage: quillon-cli ") + Command->Usage() + QLatin1Char('\n'));
        return ceFailure;
    }
    // One reporter for every command: the report text of whatever went wrong, and exit code 1.
    try {
        return Command->Run(*Parsed, IO);
    } catch (...) {
        Print(IO.Err, GetExceptionReport() + QLatin1Char('\n'));
        return ceFailure;
    }
}

} // namespace

int RunCli(const QStringList& Arguments, TCliIO& IO)
{
    // Results that could not be written are a failure, whatever the command found: one line says
    // so, unless the command failed already and has said why.
    TCheckedOutput Out(IO.Out);
    TCliIO Checked{Out, IO.Err, IO.SourceDateEpoch};
    int Code = Dispatch(Arguments, Checked);
    if (!Out.Finish() && Code != ceFailure) {
        const QString Problem = Out.Problem().isEmpty() ? QStringLiteral("Standard output")
                                                        : QStringLiteral("Standard output: ") + Out.Problem();
        Print(IO.Err, GetExceptionReport(std::make_exception_ptr(E_QOR_SavingError(Problem))) + QLatin1Char('\n'));
        Code = ceFailure;
    }
    return Code;
}
