#include "app/ConsoleUserSeam.h"

#include <QIODevice>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <string>

namespace {

bool IsQuestion(TMessageButtons Buttons)
{
    return Buttons != TMessageButtons::OK;
}

bool GoesToErrorStream(TMessageButtons Buttons, TMessageIcon Icon)
{
    return IsQuestion(Buttons) || Icon == TMessageIcon::Warning || Icon == TMessageIcon::Error;
}

TMessageResult CautiousAnswer(TMessageButtons Buttons)
{
    switch (Buttons) {
    case TMessageButtons::YesNo:
    case TMessageButtons::YesNoCancel:
        return TMessageResult::No;
    case TMessageButtons::OKCancel:
        return TMessageResult::Cancel;
    case TMessageButtons::OK:
        break;
    }
    return TMessageResult::OK;
}

QString Prompt(TMessageButtons Buttons)
{
    switch (Buttons) {
    case TMessageButtons::YesNo:
        return QStringLiteral("Yes or No? ");
    case TMessageButtons::YesNoCancel:
        return QStringLiteral("Yes, No or Cancel? ");
    case TMessageButtons::OKCancel:
    case TMessageButtons::OK:
        break;
    }
    return QStringLiteral("OK or Cancel? ");
}

std::optional<TMessageResult> ParseAnswer(const QString& Line, TMessageButtons Buttons)
{
    const QString Answer = Line.trimmed().toLower();
    const auto Is = [&Answer](const char* Word, const char* Short) {
        return Answer == QLatin1String(Word) || Answer == QLatin1String(Short);
    };
    const bool HasYesNo = Buttons == TMessageButtons::YesNo || Buttons == TMessageButtons::YesNoCancel;
    const bool HasCancel = Buttons == TMessageButtons::YesNoCancel || Buttons == TMessageButtons::OKCancel;
    if (HasYesNo && Is("yes", "y"))
        return TMessageResult::Yes;
    if (HasYesNo && Is("no", "n"))
        return TMessageResult::No;
    if (HasCancel && Is("cancel", "c"))
        return TMessageResult::Cancel;
    if (Buttons == TMessageButtons::OKCancel && Is("ok", "o"))
        return TMessageResult::OK;
    return std::nullopt;
}

std::optional<QString> ReadStandardInputLine()
{
    std::string Line;
    char Buffer[256];
    while (std::fgets(Buffer, sizeof Buffer, stdin)) {
        Line += Buffer;
        if (!Line.empty() && Line.back() == '\n')
            break;
    }
    if (Line.empty())
        return std::nullopt;
    while (!Line.empty() && (Line.back() == '\n' || Line.back() == '\r'))
        Line.pop_back();
    return QString::fromLocal8Bit(Line.data(), static_cast<qsizetype>(Line.size()));
}

// A standard stream keeps a buffer of its own under the QFile; push every text through at once so
// that stdout and stderr lines stay in order.
void Flush(QIODevice* Device)
{
    if (auto* File = qobject_cast<QFileDevice*>(Device))
        File->flush();
}

std::unique_ptr<QFile> OpenStandardStream(std::FILE* Stream)
{
    auto File = std::make_unique<QFile>();
    if (!File->open(Stream, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
        return nullptr;
    return File;
}

} // namespace

bool StandardInputIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

TConsoleUserSeam::TConsoleUserSeam()
    : FOwnedOutput(OpenStandardStream(stdout)), FOwnedError(OpenStandardStream(stderr)), FOutput(FOwnedOutput.get()),
      FError(FOwnedError.get())
{
    if (StandardInputIsTerminal())
        FReadLine = ReadStandardInputLine;
}

TConsoleUserSeam::TConsoleUserSeam(QIODevice* Output, QIODevice* Error, TLineReader ReadLine)
    : FOutput(Output), FError(Error), FReadLine(std::move(ReadLine))
{}

TConsoleUserSeam::~TConsoleUserSeam() = default;

void TConsoleUserSeam::WriteLine(QIODevice* Device, const QString& Text)
{
    if (!Device)
        return;
    // One line per text, whatever line breaks a report carries.
    QString Line = Text;
    Line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    Line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    Line.append(QLatin1Char('\n'));
    Device->write(Line.toLocal8Bit());
    Flush(Device);
}

void TConsoleUserSeam::Echo(const QString& Text, TMessageButtons Buttons, TMessageIcon Icon)
{
    WriteLine(GoesToErrorStream(Buttons, Icon) ? FError : FOutput, Text);
}

TMessageResult TConsoleUserSeam::ShowMessage(
    QWidget* Parent, const QString& Text, const QString& Caption, TMessageButtons Buttons, TMessageIcon Icon)
{
    Echo(Text, Buttons, Icon);
    if (!IsQuestion(Buttons))
        return TMessageResult::OK;
    if (!FReadLine)
        return CautiousAnswer(Buttons);
    return Ask(Buttons);
}

TMessageResult TConsoleUserSeam::Ask(TMessageButtons Buttons)
{
    for (;;) {
        if (FError) {
            FError->write(Prompt(Buttons).toLocal8Bit());
            Flush(FError);
        }
        const std::optional<QString> Line = FReadLine();
        if (!Line)
            return CautiousAnswer(Buttons);
        if (const std::optional<TMessageResult> Answer = ParseAnswer(*Line, Buttons))
            return *Answer;
    }
}

QString TConsoleUserSeam::GetOpenFileName(const TFileDialogRequest& Request)
{
    return {};
}

QString TConsoleUserSeam::GetSaveFileName(const TFileDialogRequest& Request)
{
    return {};
}

TMessageResult TCommandLineUserSeam::ShowMessage(
    QWidget* Parent, const QString& Text, const QString& Caption, TMessageButtons Buttons, TMessageIcon Icon)
{
    if (!FDialogs)
        return FConsole.ShowMessage(Parent, Text, Caption, Buttons, Icon);
    FConsole.Echo(Text, Buttons, Icon);
    return FDialogs->ShowMessage(Parent, Text, Caption, Buttons, Icon);
}

QString TCommandLineUserSeam::GetOpenFileName(const TFileDialogRequest& Request)
{
    return FDialogs ? FDialogs->GetOpenFileName(Request) : FConsole.GetOpenFileName(Request);
}

QString TCommandLineUserSeam::GetSaveFileName(const TFileDialogRequest& Request)
{
    return FDialogs ? FDialogs->GetSaveFileName(Request) : FConsole.GetSaveFileName(Request);
}

QString TCommandLineUserSeam::GetExistingDirectory(const TFileDialogRequest& Request)
{
    return FDialogs ? FDialogs->GetExistingDirectory(Request) : FConsole.GetExistingDirectory(Request);
}
