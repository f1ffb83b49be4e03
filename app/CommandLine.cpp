#include "app/CommandLine.h"

#include "foundation/QORExceptions.h"

#include <QCoreApplication>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include <memory>
#include <optional>

QOR_IMPLEMENT_CLASS(TCommand, TQORObject, nullptr, &QORCreate<TCommand>)
QOR_IMPLEMENT_CLASS(TValue, TQORObject, nullptr, &QORCreate<TValue>)
QOR_IMPLEMENT_CLASS(TSwitch, TQORObject, nullptr, &QORCreate<TSwitch>)
QOR_IMPLEMENT_CLASS(TCommands, TQORList, nullptr, nullptr)
QOR_IMPLEMENT_CLASS(TValues, TQORList, nullptr, nullptr)
QOR_IMPLEMENT_CLASS(TSwitches, TQORList, nullptr, nullptr)

namespace {

bool BeginsSwitch(const QString& Argument)
{
    return Argument.startsWith(QLatin1Char('-')) || Argument.startsWith(QLatin1Char('+'));
}

// On POSIX an absolute path begins with "/" too. The element names the program knows never hold a
// further "/" or a ".", so such an argument is taken as a path.
bool BeginsElementName(const QString& Argument)
{
    if (!Argument.startsWith(QLatin1Char('/')))
        return false;
#ifdef Q_OS_WIN
    return true;
#else
    const QStringView Rest = QStringView(Argument).mid(1);
    return !Rest.contains(QLatin1Char('/')) && !Rest.contains(QLatin1Char('.'));
#endif
}

bool CanBeValue(const QString& Argument)
{
    return !BeginsSwitch(Argument) && !BeginsElementName(Argument);
}

void CheckLookupName(const QString& Name)
{
    if (Name.isEmpty())
        throw E_QOR_InvalidArg();
}

template <class TItem> TItem* FindIn(const TQORList& List, const TCommandLine& CommandLine, const QString& Name)
{
    for (int32_t Index = 0; Index < List.Count(); ++Index) {
        auto* Item = List.ItemAs<TItem>(Index);
        if (CommandLine.SameName(Item->Name(), Name))
            return Item;
    }
    return nullptr;
}

template <class TItem> bool AllUsed(const TQORList& List)
{
    for (int32_t Index = 0; Index < List.Count(); ++Index) {
        if (!List.ItemAs<TItem>(Index)->Used())
            return false;
    }
    return true;
}

template <class TItem> void Append(TQORList& List, std::unique_ptr<TItem> Item)
{
    List.Add(Item.get());
    Item.release();
}

std::optional<QStringList>& ProgramArgumentsOverride()
{
    static std::optional<QStringList> Arguments;
    return Arguments;
}

} // namespace

TCommands::TCommands(const TCommandLine& CommandLine)
    : TQORList(&TCommand::StaticClass(), true), FCommandLine(CommandLine)
{}

TCommand* TCommands::Find(const QString& Name) const
{
    return FindIn<TCommand>(*this, FCommandLine, Name);
}

bool TCommands::Contains(const QString& Name)
{
    CheckLookupName(Name);
    TCommand* Command = Find(Name);
    if (!Command)
        return false;
    Command->SetUsed(true);
    return true;
}

TValues::TValues(const TCommandLine& CommandLine) : TQORList(&TValue::StaticClass(), true), FCommandLine(CommandLine) {}

TValue* TValues::Find(const QString& Name) const
{
    return FindIn<TValue>(*this, FCommandLine, Name);
}

bool TValues::GetValue(const QString& Name, QString& Value)
{
    CheckLookupName(Name);
    TValue* Item = Find(Name);
    if (!Item)
        return false;
    Item->SetUsed(true);
    Value = Item->Value();
    return true;
}

TSwitches::TSwitches(const TCommandLine& CommandLine)
    : TQORList(&TSwitch::StaticClass(), true), FCommandLine(CommandLine)
{}

TSwitch* TSwitches::Find(const QString& Name) const
{
    return FindIn<TSwitch>(*this, FCommandLine, Name);
}

bool TSwitches::GetSwitch(const QString& Name, bool& State)
{
    CheckLookupName(Name);
    if (BeginsSwitch(Name))
        throw E_QOR_InvalidArg();
    TSwitch* Item = Find(Name);
    if (!Item)
        return false;
    Item->SetUsed(true);
    State = Item->State();
    return true;
}

TCommandLine::TCommandLine(bool CaseSensitive) : TCommandLine(ProgramArguments(), CaseSensitive) {}

TCommandLine::TCommandLine(const QStringList& Arguments, bool CaseSensitive)
    : FCaseSensitive(CaseSensitive), FCommands(*this), FValues(*this), FSwitches(*this)
{
    FCollator.setCaseSensitivity(Qt::CaseInsensitive);
    Parse(Arguments);
}

bool TCommandLine::SameName(const QString& A, const QString& B) const
{
    if (FCaseSensitive)
        return A == B;
    return FCollator.compare(A, B) == 0;
}

void TCommandLine::Parse(const QStringList& AllArguments)
{
    FCommands.Clear();
    FValues.Clear();
    FSwitches.Clear();
    FFirstArgumentUsed = false;
    FFirstArgument.clear();

    QStringList Arguments;
    for (const QString& Argument : AllArguments) {
        if (Argument.isEmpty())
            break;
        Arguments.append(Argument);
    }

    for (qsizetype Index = 0; Index < Arguments.size(); ++Index) {
        const QString& Argument = Arguments.at(Index);
        if (BeginsElementName(Argument)) {
            const QString Name = Argument.mid(1);
            if (Index + 1 < Arguments.size() && CanBeValue(Arguments.at(Index + 1))) {
                ++Index;
                Append(FValues, std::make_unique<TValue>(Name, Arguments.at(Index)));
            } else {
                Append(FCommands, std::make_unique<TCommand>(Name));
            }
        } else if (BeginsSwitch(Argument)) {
            const QString Name = Argument.mid(1);
            const bool State = Argument.startsWith(QLatin1Char('+'));
            if (TSwitch* Existing = FSwitches.Find(Name))
                Existing->SetState(State);
            else
                Append(FSwitches, std::make_unique<TSwitch>(Name, State));
        } else if (Index == 0) {
            FFirstArgument = Argument;
        } else {
            throw E_QOR_InvalidCommandLineParameters();
        }
    }
}

bool TCommandLine::GetFirstArgument(QString& Text)
{
    Text = FFirstArgument;
    FFirstArgumentUsed = true;
    return !Text.isEmpty();
}

void TCommandLine::CheckAllUsed() const
{
    if (!FFirstArgument.isEmpty() && !FFirstArgumentUsed)
        throw E_QOR_InvalidCommandLineParameters();
    if (!AllUsed<TCommand>(FCommands) || !AllUsed<TValue>(FValues) || !AllUsed<TSwitch>(FSwitches))
        throw E_QOR_InvalidCommandLineParameters();
}

void SetProgramArguments(const QStringList& Arguments)
{
    ProgramArgumentsOverride() = Arguments;
}

QStringList ProgramArguments()
{
    if (ProgramArgumentsOverride())
        return *ProgramArgumentsOverride();
    if (QCoreApplication::instance())
        return QCoreApplication::arguments().mid(1);
    return {};
}

QStringList ArgumentsFromVector(int argc, char** argv)
{
#ifdef Q_OS_WIN
    // The ANSI argv loses characters outside the code page; the wide command line keeps them.
    return SplitCommandLine(QString::fromWCharArray(::GetCommandLineW())).mid(1);
#else
    QStringList Arguments;
    for (int Index = 1; Index < argc; ++Index)
        Arguments.append(QString::fromLocal8Bit(argv[Index]));
    return Arguments;
#endif
}

QStringList SplitCommandLine(const QString& CommandLine)
{
    QStringList Arguments;
    qsizetype Index = 0;
    const qsizetype Length = CommandLine.size();
    while (Index < Length) {
        while (Index < Length && CommandLine.at(Index).unicode() <= u' ')
            ++Index;
        if (Index >= Length)
            break;
        QString Argument;
        bool Quoted = false;
        while (Index < Length && (Quoted || CommandLine.at(Index).unicode() > u' ')) {
            const QChar Character = CommandLine.at(Index++);
            if (Character == QLatin1Char('"'))
                Quoted = !Quoted;
            else
                Argument.append(Character);
        }
        Arguments.append(Argument);
    }
    return Arguments;
}
