#pragma once

// The "Open recent" submenu of the File menu: the definition files last opened or saved, most
// recent first, at most eight, remembered in the user's settings under "RecentFiles". Entries read
// "&1 Demo.cpd" with the full name as their tip; "Clear list" ends the menu.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QMenu;
class TUserSettings;

class TRecentFiles : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype MaxCount = 8;

    // Fills Menu, which it keeps up to date with the list; choosing an entry runs OnOpen with its
    // file name. OnOpen may change the list: the entry it came from goes only afterwards.
    TRecentFiles(QMenu* Menu, std::function<void(const QString&)> OnOpen);

    const QStringList& Files() const { return FFiles; }
    QMenu* Menu() const { return FMenu; }
    QAction* ClearAction() const { return FClearAction; }

    // Puts FileName first; an earlier entry for the same file goes, and so does a ninth.
    void Add(const QString& FileName);
    void Remove(const QString& FileName);
    void Clear();

    // Takes the stored list; empty and repeated entries are dropped.
    void Read(const TUserSettings& Settings);
    void Write(TUserSettings& Settings) const;

private:
    void SetFiles(const QStringList& Files);
    void UpdateMenu();

    QMenu* FMenu;
    std::function<void(const QString&)> FOnOpen;
    QStringList FFiles;
    QList<QAction*> FEntries;
    QAction* FSeparator;
    QAction* FClearAction;
};

// The menu text of the entry at Index (from 0): "&1 Demo.cpd", an "&" of the name doubled.
QString RecentFileText(qsizetype Index, const QString& FileName);
