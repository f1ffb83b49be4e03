#pragma once

// The program's per-user settings. On Windows they live in the registry under
// HKEY_CURRENT_USER\Software\Corvane\Sorvik\Quillon; elsewhere in the file QSettings keeps for the
// organisation "Corvane" and the application path "Sorvik/Quillon" (on Linux
// ~/.config/Corvane/Sorvik/Quillon.conf). Tests point the store at a file of their own.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class QSettings;

class TUserSettings
{
public:
    // Opens the store; nothing is created until something is written.
    TUserSettings();
    ~TUserSettings();
    TUserSettings(const TUserSettings&) = delete;
    TUserSettings& operator=(const TUserSettings&) = delete;

    // Each read answers false and leaves Value alone when the value is absent or is not of the
    // asked type.
    bool ReadString(const QString& Name, QString& Value) const;
    bool ReadInteger(const QString& Name, int32_t& Value) const;
    // A list of strings; a single string reads as a list of one. At most MaxCount entries are taken.
    bool ReadStringList(const QString& Name, QStringList& Value, qsizetype MaxCount) const;
    void WriteString(const QString& Name, const QString& Value);
    void WriteInteger(const QString& Name, int32_t Value);
    void WriteStringList(const QString& Name, const QStringList& Value);
    // Writes what is pending; raises E_QOR_SavingError naming the store when that fails.
    void Flush();

    // Where the values are kept: the registry key or the file.
    QString Location() const;

private:
    std::unique_ptr<QSettings> FStore;
};

// Test seam: keeps the settings in FileName (an INI file) instead of the user's store; an empty
// name restores the user's store.
void SetSettingsFileForTesting(const QString& FileName);
