#include "ui/RecentFiles.h"

#include "app/Settings.h"
#include "foundation/Paths.h"

#include <QAction>
#include <QDir>
#include <QMenu>

#include <utility>

namespace {

const QString SettingName = QStringLiteral("RecentFiles");

bool SameFile(const QString& Left, const QString& Right)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity Case = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity Case = Qt::CaseSensitive;
#endif
    return QDir::cleanPath(QDir::fromNativeSeparators(Left))
               .compare(QDir::cleanPath(QDir::fromNativeSeparators(Right)), Case) == 0;
}

qsizetype IndexOfFile(const QStringList& Files, const QString& FileName)
{
    for (qsizetype Index = 0; Index < Files.size(); ++Index)
        if (SameFile(Files.at(Index), FileName))
            return Index;
    return -1;
}

} // namespace

QString RecentFileText(qsizetype Index, const QString& FileName)
{
    // Either separator ends the folder, as everywhere in the program.
    QString Name = FileName.mid(FolderPart(FileName).size());
    Name.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QStringLiteral("&%1 %2").arg(Index + 1).arg(Name);
}

TRecentFiles::TRecentFiles(QMenu* Menu, std::function<void(const QString&)> OnOpen)
    : QObject(Menu), FMenu(Menu), FOnOpen(std::move(OnOpen))
{
    FMenu->setToolTipsVisible(true);
    FSeparator = FMenu->addSeparator();
    FClearAction = FMenu->addAction(QStringLiteral("Clear list"));
    connect(FClearAction, &QAction::triggered, this, &TRecentFiles::Clear);
    UpdateMenu();
}

void TRecentFiles::Add(const QString& FileName)
{
    if (FileName.isEmpty())
        return;
    QStringList Files = FFiles;
    const qsizetype Earlier = IndexOfFile(Files, FileName);
    if (Earlier >= 0)
        Files.removeAt(Earlier);
    Files.prepend(FileName);
    SetFiles(Files);
}

void TRecentFiles::Remove(const QString& FileName)
{
    QStringList Files = FFiles;
    const qsizetype Index = IndexOfFile(Files, FileName);
    if (Index < 0)
        return;
    Files.removeAt(Index);
    SetFiles(Files);
}

void TRecentFiles::Clear()
{
    SetFiles({});
}

void TRecentFiles::Read(const TUserSettings& Settings)
{
    QStringList Stored;
    // Room for a few empty or repeated entries, which go.
    if (!Settings.ReadStringList(SettingName, Stored, 4 * MaxCount))
        return;
    QStringList Files;
    for (const QString& FileName : Stored)
        if (!FileName.isEmpty() && IndexOfFile(Files, FileName) < 0)
            Files << FileName;
    SetFiles(Files);
}

void TRecentFiles::Write(TUserSettings& Settings) const
{
    Settings.WriteStringList(SettingName, FFiles);
}

void TRecentFiles::SetFiles(const QStringList& Files)
{
    FFiles = Files.mid(0, MaxCount);
    UpdateMenu();
}

void TRecentFiles::UpdateMenu()
{
    // An entry may be the one whose signal is running: it goes once that has returned.
    for (QAction* Entry : std::as_const(FEntries)) {
        FMenu->removeAction(Entry);
        Entry->deleteLater();
    }
    FEntries.clear();
    for (qsizetype Index = 0; Index < FFiles.size(); ++Index) {
        const QString FileName = FFiles.at(Index);
        auto* Entry = new QAction(RecentFileText(Index, FileName), this);
        const QString Shown = QDir::toNativeSeparators(FileName);
        Entry->setToolTip(Shown);
        Entry->setStatusTip(Shown);
        Entry->setWhatsThis(Shown);
        connect(Entry, &QAction::triggered, this, [this, FileName] { FOnOpen(FileName); });
        FMenu->insertAction(FSeparator, Entry);
        FEntries << Entry;
    }
    FSeparator->setVisible(!FFiles.isEmpty());
    FClearAction->setEnabled(!FFiles.isEmpty());
    FMenu->menuAction()->setEnabled(!FFiles.isEmpty());
}
