// The real program (its start-up, its on-screen boxes, its safety net), with standard input to drive
// it line by line so that a test can kill it and start it again. Each command is answered with one
// line, "ok", a value, or "error <report>":
//   box | answer Yes|No|OK|Cancel | select NODE TEXT | cut | save | dump FILE | modified | title | quit
// "box" answers "box <text>" for the message box on screen, "nobox" when there is none. A command
// that brings up a box answers only once the box is answered, so commands nest.

#include "app/Startup.h"
#include "forms/ObjectTreeView.h"
#include "foundation/MemoryStream.h"
#include "foundation/QORExceptions.h"
#include "model/Data.h"
#include "ui/GuiStartup.h"
#include "ui/MainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QSocketNotifier>
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

TMain& Window()
{
    for (QWidget* Widget : QApplication::topLevelWidgets())
        if (auto* Main = qobject_cast<TMain*>(Widget))
            return *Main;
    throw E_QOR(QStringLiteral("No main window"));
}

QMessageBox* ShownBox()
{
    for (QWidget* Widget : QApplication::topLevelWidgets())
        if (auto* Box = qobject_cast<QMessageBox*>(Widget); Box && Box->isVisible())
            return Box;
    return nullptr;
}

QString Run(const QString& Name, const QString& Argument)
{
    if (Name == QLatin1String("box")) {
        const QMessageBox* Box = ShownBox();
        return Box ? QStringLiteral("box ") + Box->text() : QStringLiteral("nobox");
    }
    if (Name == QLatin1String("answer")) {
        const std::map<QString, QMessageBox::StandardButton> Buttons = {
            {QStringLiteral("Yes"), QMessageBox::Yes},
            {QStringLiteral("No"), QMessageBox::No},
            {QStringLiteral("OK"), QMessageBox::Ok},
            {QStringLiteral("Cancel"), QMessageBox::Cancel}};
        QMessageBox* Box = ShownBox();
        const auto Button = Buttons.find(Argument);
        if (!Box || Button == Buttons.end() || !Box->button(Button->second))
            throw E_QOR(QStringLiteral("No box with the button '%1'").arg(Argument));
        Box->button(Button->second)->click();
        return QStringLiteral("ok");
    }
    if (Name == QLatin1String("select")) {
        Window().TreeControl->BuildAllNodes();
        const QList<QTreeWidgetItem*> Found =
            Window().TreeControl->findItems(Argument, Qt::MatchExactly | Qt::MatchRecursive);
        if (Found.isEmpty())
            throw E_QOR(QStringLiteral("No node shows '%1'").arg(Argument));
        Window().TreeControl->setCurrentItem(Found.first());
        return QStringLiteral("ok");
    }
    if (Name == QLatin1String("cut"))
        Window().PopupMenu_CutClick();
    else if (Name == QLatin1String("save"))
        Window().MenuItem_Save->trigger();
    else if (Name == QLatin1String("dump")) {
        TMemoryStream Stream;
        Window().Document().SaveToStream(Stream);
        QFile File(Argument);
        if (!File.open(QIODevice::WriteOnly) || File.write(Stream.Data()) != Stream.Data().size())
            throw E_QOR(QStringLiteral("Cannot write '%1'").arg(Argument));
    } else if (Name == QLatin1String("modified"))
        return Window().Modified() ? QStringLiteral("yes") : QStringLiteral("no");
    else if (Name == QLatin1String("title"))
        return Window().windowTitle();
    else if (Name == QLatin1String("quit"))
        QCoreApplication::quit();
    else
        throw E_QOR(QStringLiteral("Unknown command '%1'").arg(Name));
    return QStringLiteral("ok");
}

class TDrivenStartup : public TGuiStartup
{
public:
    std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv) override
    {
        std::unique_ptr<QCoreApplication> Application = TGuiStartup::CreateApplication(argc, argv);
        auto* Input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, Application.get());
        QObject::connect(Input, &QSocketNotifier::activated, [this, Input] { ReadInput(*Input); });
        return Application;
    }

private:
    void ReadInput(QSocketNotifier& Input)
    {
        char Buffer[4096];
        const ssize_t Got = ::read(STDIN_FILENO, Buffer, sizeof Buffer);
        if (Got <= 0) {
            // The test has gone: nothing more will come.
            Input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        FPending.append(Buffer, Got);
        qsizetype End;
        while ((End = FPending.indexOf('\n')) >= 0) {
            const QString Line = QString::fromUtf8(FPending.left(End)).trimmed();
            FPending.remove(0, End + 1);
            try {
                Answer(Run(Line.section(QLatin1Char(' '), 0, 0), Line.section(QLatin1Char(' '), 1)));
            } catch (...) {
                Answer(QStringLiteral("error ") + GetExceptionReport());
            }
        }
    }

    QByteArray FPending;
};

} // namespace

int main(int argc, char** argv)
{
    TDrivenStartup Gui;
    return QuillonMain(argc, argv, &Gui);
}
