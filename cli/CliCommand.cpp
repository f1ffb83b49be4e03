#include "cli/CliCommand.h"

#include "cli/InputText.h"
#include "cli/TerminalText.h"
#include "foundation/AnsiCodec.h"
#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "model/StorableText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

void Print(QIODevice& Device, const QString& Text)
{
    Device.write(TerminalLines(Text).toUtf8());
}

void TTextOut::Flush()
{
    if (FText.isEmpty())
        return;
    Print(FDevice, FText);
    // Keeps its room for the next piece.
    FText.truncate(0);
}

QString TParsedArguments::Option(const char* Name) const
{
    for (const auto& [Key, Value] : Options)
        if (Key == QLatin1String(Name))
            return Value;
    return {};
}

std::optional<TParsedArguments> TCommand::Parse(const QStringList& Arguments, QString& Problem) const
{
    TParsedArguments Result;
    const QStringList Switches = KnownSwitches();
    const QStringList Options = KnownOptions();
    bool OnlyPositional = false;
    for (qsizetype I = 0; I < Arguments.size(); ++I) {
        const QString& Argument = Arguments[I];
        if (OnlyPositional || !Argument.startsWith(QLatin1Char('-')) || Argument == QLatin1String("-")) {
            Result.Positional.append(Argument);
        } else if (Argument == QLatin1String("--")) {
            OnlyPositional = true;
        } else if (Switches.contains(Argument)) {
            Result.Switches.append(Argument);
        } else if (Options.contains(Argument)) {
            if (I + 1 >= Arguments.size()) {
                Problem = QStringLiteral("Option %1 needs a value.").arg(Argument);
                return std::nullopt;
            }
            Result.Options.append({Argument, Arguments[++I]});
        } else {
            Problem = QStringLiteral("Unknown option %1.").arg(Argument);
            return std::nullopt;
        }
    }
    if (Result.Positional.size() < MinimumPositional() || Result.Positional.size() > MaximumPositional()) {
        Problem = QStringLiteral("Wrong number of arguments.");
        return std::nullopt;
    }
    return Result;
}

void WriteResultFile(const QString& FileName, const std::function<bool(QIODevice&)>& Write)
{
    const auto Fail = [&FileName](const QFileDevice& File) {
        throw E_QOR_SavingError(QStringLiteral("File name='%1': %2").arg(FileName, File.errorString()));
    };
    const QFileInfo Target(FileName);
    if (Target.exists() && !Target.isFile() && !Target.isDir()) {
        // Renaming a new file over a device or pipe would replace it rather than write to it.
        QFile File(FileName);
        if (!File.open(QIODevice::WriteOnly) || !Write(File) || !File.flush())
            Fail(File);
        return;
    }
    QSaveFile File(FileName);
    if (!File.open(QIODevice::WriteOnly))
        Fail(File);
    if (!Write(File)) {
        const QString Problem = File.errorString();
        File.cancelWriting();
        throw E_QOR_SavingError(QStringLiteral("File name='%1': %2").arg(FileName, Problem));
    }
    if (!File.commit())
        Fail(File);
}

void WriteWholeFile(const QString& FileName, const QByteArray& Bytes)
{
    WriteResultFile(FileName, [&Bytes](QIODevice& File) { return File.write(Bytes) == Bytes.size(); });
}

std::unique_ptr<TData> ReadDefinitionJsonFile(const QString& FileName)
{
    try {
        return PackageForSavingFromJson(TInputText(FileName).Bytes());
    } catch (E_QOR& Error) {
        Error.SetMessage(FileName + QStringLiteral(": ") + Error.Message());
        throw;
    }
}

QString UnstorableTextReport(const TData& Data, const QString& Source)
{
    constexpr size_t MaxReported = 20;
    const std::vector<TUnstorableText> Found = FindUnstorableText(Data);
    QStringList Lines;
    for (size_t I = 0; I < Found.size() && I < MaxReported; ++I)
        Lines.append(Source + QStringLiteral(": ") + Found[I].Path +
                     QStringLiteral(": characters the definition file cannot store: ") +
                     DescribeCharacters(Found[I].Characters));
    if (Found.size() > MaxReported)
        Lines.append(Source + QStringLiteral(": and %1 more such fields").arg(Found.size() - MaxReported));
    return Lines.join(QLatin1Char('\n'));
}

void LoadDefinitionOrJson(TData& Data, const QString& FileName)
{
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly) || !LooksLikeJson(File.peek(64))) {
        Data.LoadFromFile(FileName);
        return;
    }
    File.close();
    const std::unique_ptr<TData> Package = ReadDefinitionJsonFile(FileName);
    if (const QString Report = UnstorableTextReport(*Package, FileName); !Report.isEmpty())
        throw E_QOR_LoadingError(Report);
    // Through the definition file, so that the package is exactly what the program would load.
    TMemoryStream Stream;
    Package->SaveToStream(Stream);
    SeekToStart(Stream);
    Data.LoadFromStream(Stream);
}
