#include "foundation/General.h"

#include "QuillonVersion.h"
#include "foundation/QORExceptions.h"

#include <QDir>
#include <QUuid>

#ifdef Q_OS_WIN
#include <windows.h>
#undef GetLongPathName
#endif

#include <cstring>

namespace {

// Days from 1899-12-30 to 1970-01-01.
constexpr double UnixEpochDays = 25569.0;
constexpr double MillisecondsPerDay = 86400000.0;

TUTCClock& Clock()
{
    static TUTCClock Instance;
    return Instance;
}

TGUIDGenerator& Generator()
{
    static TGUIDGenerator Instance;
    return Instance;
}

std::optional<TGUID> PlatformGUID()
{
    const QUuid Uuid = QUuid::createUuid();
    if (Uuid.isNull())
        return std::nullopt;
    TGUID Result;
    Result.D1 = Uuid.data1;
    Result.D2 = Uuid.data2;
    Result.D3 = Uuid.data3;
    std::memcpy(Result.D4.data(), Uuid.data4, Result.D4.size());
    return Result;
}

bool IsDelimiter(QChar Character)
{
    return Character == QLatin1Char('/') || Character == QLatin1Char('\\');
}

bool IsPlatformDelimiter(QChar Character)
{
#ifdef Q_OS_WIN
    return IsDelimiter(Character) || Character == QLatin1Char(':');
#else
    return Character == QLatin1Char('/');
#endif
}

bool IsDriveLetter(QChar Character)
{
    const char16_t Code = Character.unicode();
    return (Code >= u'a' && Code <= u'z') || (Code >= u'A' && Code <= u'Z');
}

bool IsLowerAToZ(QChar Character)
{
    return Character.unicode() >= u'a' && Character.unicode() <= u'z';
}

QChar UpperAToZ(QChar Character)
{
    return IsLowerAToZ(Character) ? QChar(Character.unicode() - u'a' + u'A') : Character;
}

struct TBusyState
{
    int Count = 0;
    IBusyCursorBackend* Backend = nullptr;
};

TBusyState& BusyState()
{
    static TBusyState State;
    return State;
}

} // namespace

QString ApplicationTitle()
{
    return QStringLiteral("Quillon");
}

QString ProgramVersion()
{
    return QStringLiteral(QUILLON_VERSION_STRING);
}

QString BoolToYesNo(bool Value)
{
    return Value ? QStringLiteral("Yes") : QStringLiteral("No");
}

TGUID CreateGUID()
{
    const std::optional<TGUID> Result = Generator() ? Generator()() : PlatformGUID();
    if (!Result)
        throw E_QOR_UnknownError();
    return *Result;
}

bool IsNullGUID(const TGUID& Value)
{
    return Value.IsNull();
}

TDateTime NowUTC()
{
    const QDateTime Now = Clock() ? Clock()() : QDateTime::currentDateTimeUtc();
    return UnixEpochDays + static_cast<double>(Now.toMSecsSinceEpoch()) / MillisecondsPerDay;
}

QString CombinePath(const QString& Directory, const QString& Name)
{
    if (Directory.isEmpty())
        return Name;
    const bool HasTrailingDelimiter = IsDelimiter(Directory.back());
    if (Name.isEmpty()) {
        // A lone root keeps its delimiter: "/" without it would name the current directory.
        if (HasTrailingDelimiter && Directory.size() > 1)
            return Directory.chopped(1);
        return Directory;
    }
    return HasTrailingDelimiter ? Directory + Name : Directory + QDir::separator() + Name;
}

QString ExtractDirectory(const QString& FileName)
{
    qsizetype Index = FileName.size() - 1;
    while (Index >= 0 && !IsPlatformDelimiter(FileName.at(Index)))
        --Index;
    if (Index < 0)
        return {};
    // The root ("/", "C:\", "C:") keeps its delimiter, as does a doubled one.
    if (Index == 0 || FileName.at(Index) == QLatin1Char(':') || IsPlatformDelimiter(FileName.at(Index - 1)))
        return FileName.left(Index + 1);
    return FileName.left(Index);
}

bool HasDrive(const QString& FileName)
{
    if (FileName.size() >= 2 && IsDriveLetter(FileName.at(0)) && FileName.at(1) == QLatin1Char(':'))
        return true;
    if (FileName.startsWith(QLatin1String("\\\\")))
        return true;
#ifdef Q_OS_WIN
    return FileName.startsWith(QLatin1String("//"));
#else
    return FileName.startsWith(QLatin1Char('/'));
#endif
}

QString GetLongPathName(const QString& FileName)
{
#ifdef Q_OS_WIN
    wchar_t Buffer[MAX_PATH];
    const std::wstring Short = FileName.toStdWString();
    const DWORD Length = ::GetLongPathNameW(Short.c_str(), Buffer, MAX_PATH);
    if (Length == 0 || Length >= MAX_PATH)
        return FileName;
    return QString::fromWCharArray(Buffer, static_cast<qsizetype>(Length));
#else
    return FileName;
#endif
}

QString CapitaliseFirst(const QString& Text)
{
    if (Text.isEmpty())
        return Text;
    QString Result = Text;
    Result[0] = UpperAToZ(Result.at(0));
    return Result;
}

QString CapitaliseWords(const QString& Text)
{
    QString Result = Text;
    for (qsizetype Index = 0; Index < Result.size(); ++Index) {
        if (Index == 0 || Result.at(Index - 1) == QLatin1Char(' '))
            Result[Index] = UpperAToZ(Result.at(Index));
    }
    return Result;
}

void SetClockForTesting(TUTCClock NewClock)
{
    Clock() = std::move(NewClock);
}

void SetGUIDGeneratorForTesting(TGUIDGenerator NewGenerator)
{
    Generator() = std::move(NewGenerator);
}

IBusyCursorBackend* SetBusyCursorBackend(IBusyCursorBackend* Backend)
{
    TBusyState& State = BusyState();
    IBusyCursorBackend* Previous = State.Backend;
    if (State.Count > 0 && Previous)
        Previous->SetBusy(false);
    State.Backend = Backend;
    if (State.Count > 0 && Backend)
        Backend->SetBusy(true);
    return Previous;
}

void IncBusyCursor()
{
    TBusyState& State = BusyState();
    if (++State.Count == 1 && State.Backend)
        State.Backend->SetBusy(true);
}

void DecBusyCursor()
{
    TBusyState& State = BusyState();
    if (State.Count <= 0)
        throw E_QOR(QStringLiteral("Invalid call to DecBusyCursor."));
    if (--State.Count == 0 && State.Backend)
        State.Backend->SetBusy(false);
}

int BusyCursorCount()
{
    return BusyState().Count;
}

TBusyCursor::~TBusyCursor()
{
    // An unpaired DecBusyCursor elsewhere may have emptied the count already; a destructor must not
    // raise.
    if (BusyCursorCount() > 0)
        DecBusyCursor();
}
