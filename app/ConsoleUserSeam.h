#pragma once

// The terminal side of command-line mode. Every text becomes one line: warnings, errors and
// questions on the error stream, anything else (the success text) on the output stream. A question
// is asked on the terminal when there is one and otherwise gets its cautious answer (No, or Cancel
// where there is no No), so an unattended run never waits for input.

#include "foundation/UserSeam.h"

#include <QFile>

#include <functional>
#include <memory>
#include <optional>

class QIODevice;

class TConsoleUserSeam : public IUserSeam
{
public:
    // Reads one line the user typed, without its line break; nothing at end of input.
    using TLineReader = std::function<std::optional<QString>()>;

    // The process's standard output and error; standard input when it is a terminal.
    TConsoleUserSeam();
    // Output and Error receive the texts; ReadLine, when given, is the terminal the user answers on.
    TConsoleUserSeam(QIODevice* Output, QIODevice* Error, TLineReader ReadLine);
    ~TConsoleUserSeam() override;

    TMessageResult ShowMessage(QWidget* Parent,
                               const QString& Text,
                               const QString& Caption,
                               TMessageButtons Buttons,
                               TMessageIcon Icon) override;
    // There are no file dialogs on a terminal: always cancelled.
    QString GetOpenFileName(const TFileDialogRequest& Request) override;
    QString GetSaveFileName(const TFileDialogRequest& Request) override;

    // Writes the text of a message that someone else shows or asks.
    void Echo(const QString& Text, TMessageButtons Buttons, TMessageIcon Icon);

private:
    TMessageResult Ask(TMessageButtons Buttons);
    void WriteLine(QIODevice* Device, const QString& Text);

    std::unique_ptr<QFile> FOwnedOutput;
    std::unique_ptr<QFile> FOwnedError;
    QIODevice* FOutput;
    QIODevice* FError;
    TLineReader FReadLine;
};

// What command-line mode installs: the console always, and the on-screen dialogs as well when
// there is a display. With dialogs, they answer questions and the console only echoes.
class TCommandLineUserSeam : public IUserSeam
{
public:
    TCommandLineUserSeam(TConsoleUserSeam& Console, IUserSeam* Dialogs) : FConsole(Console), FDialogs(Dialogs) {}

    TMessageResult ShowMessage(QWidget* Parent,
                               const QString& Text,
                               const QString& Caption,
                               TMessageButtons Buttons,
                               TMessageIcon Icon) override;
    QString GetOpenFileName(const TFileDialogRequest& Request) override;
    QString GetSaveFileName(const TFileDialogRequest& Request) override;
    QString GetExistingDirectory(const TFileDialogRequest& Request) override;

private:
    TConsoleUserSeam& FConsole;
    IUserSeam* FDialogs;
};

// True when standard input is an interactive terminal.
bool StandardInputIsTerminal();
