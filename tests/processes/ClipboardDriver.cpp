// A main window driven line by line through standard input, so that a test can run two of them
// against one real clipboard. Each command is answered with one line, "ok" or "error <report>":
//   open FILE | select NODE TEXT | copy | cut | paste | clear | save FILE | quit
// The window stays in the event loop between commands, so it serves its clipboard to others.

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "forms/ObjectTreeView.h"
#include "forms/QORApplication.h"
#include "foundation/QORExceptions.h"
#include "foundation/UserSeam.h"
#include "model/ElementRegistry.h"
#include "ui/MainWindow.h"

#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTreeWidgetItem>

#include <cstdio>
#include <functional>
#include <map>
#include <unistd.h>

namespace {

void Answer(const QString& Line)
{
    std::fprintf(stdout, "%s\n", qPrintable(Line));
    std::fflush(stdout);
}

bool SelectByText(TMain& Window, const QString& Text)
{
    Window.TreeControl->BuildAllNodes();
    const QList<QTreeWidgetItem*> Found = Window.TreeControl->findItems(Text, Qt::MatchExactly | Qt::MatchRecursive);
    if (Found.isEmpty())
        return false;
    Window.TreeControl->setCurrentItem(Found.first());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    TQORApplication Application(argc, argv);
    QTemporaryDir Dir;
    SetSettingsFileForTesting(Dir.filePath(QStringLiteral("settings.ini")));
    SetProgramArguments({});
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard(&Seam);
    RegisterElementClasses();
    TMain Window;
    if (!Window.CreationCompleted())
        return 1;

    const std::map<QString, std::function<void(const QString&)>> Commands = {
        {QStringLiteral("open"), [&](const QString& File) { Window.LoadDocument(File), Window.UpdateView(); }},
        {QStringLiteral("select"),
         [&](const QString& Text) {
             if (!SelectByText(Window, Text))
                 throw E_QOR(QStringLiteral("No node shows '%1'").arg(Text));
         }},
        {QStringLiteral("copy"), [&](const QString&) { Window.PopupMenu_CopyClick(); }},
        {QStringLiteral("cut"), [&](const QString&) { Window.PopupMenu_CutClick(); }},
        {QStringLiteral("paste"), [&](const QString&) { Window.PopupMenu_PasteClick(); }},
        {QStringLiteral("clear"), [&](const QString&) { Window.PopupMenu_ClearClick(); }},
        {QStringLiteral("save"), [&](const QString& File) { Window.WriteDocument(File); }},
        {QStringLiteral("quit"), [&](const QString&) { QCoreApplication::quit(); }},
    };

    QByteArray Pending;
    QSocketNotifier Input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&Input, &QSocketNotifier::activated, [&] {
        char Buffer[4096];
        const ssize_t Got = ::read(STDIN_FILENO, Buffer, sizeof Buffer);
        if (Got <= 0) {
            // The test has gone: nothing more will come.
            QCoreApplication::quit();
            return;
        }
        Pending.append(Buffer, Got);
        qsizetype End;
        while ((End = Pending.indexOf('\n')) >= 0) {
            const QString Line = QString::fromUtf8(Pending.left(End)).trimmed();
            Pending.remove(0, End + 1);
            const QString Name = Line.section(QLatin1Char(' '), 0, 0);
            const QString Argument = Line.section(QLatin1Char(' '), 1);
            const auto Command = Commands.find(Name);
            try {
                if (Command == Commands.end())
                    throw E_QOR(QStringLiteral("Unknown command '%1'").arg(Name));
                Command->second(Argument);
                Answer(QStringLiteral("ok"));
            } catch (...) {
                Answer(QStringLiteral("error ") + GetExceptionReport());
            }
        }
    });
    return QCoreApplication::exec();
}
