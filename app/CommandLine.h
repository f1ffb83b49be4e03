#pragma once

// The program's command line as named elements: commands (/name), values (/name argument) and
// switches (-name, +name), plus at most one leading plain argument. Every element the program looks
// up is marked used, and CheckAllUsed rejects whatever was not, so a misspelt or surplus argument
// fails instead of being ignored.

#include "foundation/QORList.h"

#include <QCollator>
#include <QString>
#include <QStringList>

class TCommandLine;

class TCommand : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TCommand() = default;
    explicit TCommand(const QString& Name) : FName(Name) {}

    QString GetName() const override { return FName; }
    const QString& Name() const { return FName; }
    bool Used() const { return FUsed; }
    void SetUsed(bool Value) { FUsed = Value; }

private:
    QString FName;
    bool FUsed = false;
};

class TValue : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TValue() = default;
    TValue(const QString& Name, const QString& Value) : FName(Name), FValue(Value) {}

    QString GetName() const override { return FName; }
    const QString& Name() const { return FName; }
    const QString& Value() const { return FValue; }
    bool Used() const { return FUsed; }
    void SetUsed(bool Value) { FUsed = Value; }

private:
    QString FName;
    QString FValue;
    bool FUsed = false;
};

class TSwitch : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TSwitch() = default;
    TSwitch(const QString& Name, bool State) : FName(Name), FState(State) {}

    QString GetName() const override { return FName; }
    const QString& Name() const { return FName; }
    bool State() const { return FState; }
    void SetState(bool Value) { FState = Value; }
    bool Used() const { return FUsed; }
    void SetUsed(bool Value) { FUsed = Value; }

private:
    QString FName;
    bool FState = false;
    bool FUsed = false;
};

// The three element lists own their items and compare names the way their command line says.
class TCommands : public TQORList
{
    QOR_DECLARE_CLASS
public:
    explicit TCommands(const TCommandLine& CommandLine);

    TCommand* Command(int32_t Index) const { return ItemAs<TCommand>(Index); }
    TCommand* Find(const QString& Name) const;
    // True when a command of that name exists; marks the first one used. Raises E_QOR_InvalidArg
    // for an empty name.
    using TQORList::Contains;
    bool Contains(const QString& Name);

private:
    const TCommandLine& FCommandLine;
};

class TValues : public TQORList
{
    QOR_DECLARE_CLASS
public:
    explicit TValues(const TCommandLine& CommandLine);

    TValue* Value(int32_t Index) const { return ItemAs<TValue>(Index); }
    TValue* Find(const QString& Name) const;
    // The value of the first element of that name, marked used. Raises E_QOR_InvalidArg for an
    // empty name.
    bool GetValue(const QString& Name, QString& Value);

private:
    const TCommandLine& FCommandLine;
};

class TSwitches : public TQORList
{
    QOR_DECLARE_CLASS
public:
    explicit TSwitches(const TCommandLine& CommandLine);

    TSwitch* Switch(int32_t Index) const { return ItemAs<TSwitch>(Index); }
    TSwitch* Find(const QString& Name) const;
    // The state of the switch of that name, marked used. Raises E_QOR_InvalidArg for an empty name
    // or one that begins with - or +.
    bool GetSwitch(const QString& Name, bool& State);

private:
    const TCommandLine& FCommandLine;
};

class TCommandLine
{
public:
    // Parses the program's arguments (ProgramArguments). Raises E_QOR_InvalidCommandLineParameters
    // for a plain argument anywhere but first.
    explicit TCommandLine(bool CaseSensitive);
    // Parses Arguments, which exclude the program's own path.
    TCommandLine(const QStringList& Arguments, bool CaseSensitive);
    TCommandLine(const TCommandLine&) = delete;
    TCommandLine& operator=(const TCommandLine&) = delete;

    // The leading plain argument (empty when there is none), marked used; true when not empty.
    bool GetFirstArgument(QString& Text);
    // Raises E_QOR_InvalidCommandLineParameters for an unfetched first argument or any element
    // not marked used.
    void CheckAllUsed() const;

    TCommands& Commands() { return FCommands; }
    TValues& Values() { return FValues; }
    TSwitches& Switches() { return FSwitches; }
    const TCommands& Commands() const { return FCommands; }
    const TValues& Values() const { return FValues; }
    const TSwitches& Switches() const { return FSwitches; }
    bool CaseSensitive() const { return FCaseSensitive; }
    const QString& FirstArgument() const { return FFirstArgument; }

    // Exact when case sensitive; otherwise the locale's comparison with case ignored.
    bool SameName(const QString& A, const QString& B) const;

private:
    void Parse(const QStringList& Arguments);

    bool FCaseSensitive;
    bool FFirstArgumentUsed = false;
    QString FFirstArgument;
    TCommands FCommands;
    TValues FValues;
    TSwitches FSwitches;
    QCollator FCollator;
};

// The program's arguments without its own path, as TCommandLine(CaseSensitive) parses them. Set at
// start-up; until then the running application's arguments.
void SetProgramArguments(const QStringList& Arguments);
QStringList ProgramArguments();

// The argument vector of main without the program path.
QStringList ArgumentsFromVector(int argc, char** argv);
// Splits a raw command line the way Windows programs of this lineage do: blanks and control
// characters separate, double quotes toggle a stretch in which blanks are ordinary and are removed,
// and there is no escape character. The program path is the first element.
QStringList SplitCommandLine(const QString& CommandLine);
