#include "app/Settings.h"

#include "foundation/QORExceptions.h"

#include <QSettings>
#include <QVariant>

#include <limits>

namespace {

QString& TestingFile()
{
    static QString FileName;
    return FileName;
}

std::unique_ptr<QSettings> OpenStore()
{
    if (!TestingFile().isEmpty())
        return std::make_unique<QSettings>(TestingFile(), QSettings::IniFormat);
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\Corvane\\Sorvik\\Quillon"),
                                       QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Corvane"), QStringLiteral("Sorvik/Quillon"));
#endif
}

} // namespace

void SetSettingsFileForTesting(const QString& FileName)
{
    TestingFile() = FileName;
}

TUserSettings::TUserSettings() : FStore(OpenStore()) {}

TUserSettings::~TUserSettings() = default;

bool TUserSettings::ReadString(const QString& Name, QString& Value) const
{
    const QVariant Stored = FStore->value(Name);
    if (!Stored.isValid() || !Stored.canConvert<QString>())
        return false;
    Value = Stored.toString();
    return true;
}

bool TUserSettings::ReadInteger(const QString& Name, int32_t& Value) const
{
    const QVariant Stored = FStore->value(Name);
    if (!Stored.isValid())
        return false;
    bool IsNumber = false;
    const qlonglong Number = Stored.toLongLong(&IsNumber);
    if (!IsNumber || Number < std::numeric_limits<int32_t>::min() || Number > std::numeric_limits<int32_t>::max())
        return false;
    Value = static_cast<int32_t>(Number);
    return true;
}

bool TUserSettings::ReadStringList(const QString& Name, QStringList& Value, qsizetype MaxCount) const
{
    const QVariant Stored = FStore->value(Name);
    if (!Stored.isValid())
        return false;
    QStringList Result;
    if (Stored.typeId() == QMetaType::QString) {
        Result << Stored.toString();
    } else if (Stored.canConvert<QVariantList>()) {
        // Only the entries that are text count; a hand-edited store may hold anything.
        for (const QVariant& Entry : Stored.toList()) {
            if (Result.size() >= MaxCount)
                break;
            if (Entry.typeId() == QMetaType::QString || Entry.typeId() == QMetaType::QByteArray)
                Result << Entry.toString();
        }
    } else {
        return false;
    }
    Value = Result.mid(0, MaxCount);
    return true;
}

void TUserSettings::WriteString(const QString& Name, const QString& Value)
{
    FStore->setValue(Name, Value);
}

void TUserSettings::WriteInteger(const QString& Name, int32_t Value)
{
    FStore->setValue(Name, Value);
}

void TUserSettings::WriteStringList(const QString& Name, const QStringList& Value)
{
    FStore->setValue(Name, Value);
}

void TUserSettings::Flush()
{
    FStore->sync();
    if (FStore->status() != QSettings::NoError)
        throw E_QOR_SavingError(QStringLiteral("Settings='%1'").arg(Location()));
}

QString TUserSettings::Location() const
{
    return FStore->fileName();
}
