#include "foundation/General.h"

#include "QuillonVersion.h"
#include "foundation/QORExceptions.h"

#include <QUuid>

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

bool IsLowerAToZ(QChar Character)
{
    return Character.unicode() >= u'a' && Character.unicode() <= u'z';
}

QChar UpperAToZ(QChar Character)
{
    return IsLowerAToZ(Character) ? QChar(Character.unicode() - u'a' + u'A') : Character;
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
