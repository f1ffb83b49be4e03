#include "tools/gallery/ProblemsGallery.h"

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "foundation/QORExceptions.h"
#include "model/Data.h"
#include "samples/SampleDefinitions.h"
#include "ui/MainWindow.h"
#include "ui/PackageContentsDialog.h"
#include "ui/ProblemsPanel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>

#include <functional>

namespace {

void Save(QWidget& Widget, const QString& FileName)
{
    QCoreApplication::processEvents();
    if (!Widget.grab().save(FileName))
        throw E_QOR_ErrorCreatingFile(QStringLiteral("File name='%1'").arg(FileName));
}

void WaitFor(const std::function<bool()>& Done)
{
    const QDeadlineTimer Deadline(30000);
    while (!Done() && !Deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    if (!Done())
        throw E_QOR_Failed(QStringLiteral("The background work did not finish."));
}

void WriteFile(const QDir& Folder, const QString& Name, int Size)
{
    QDir().mkpath(QFileInfo(Folder.filePath(Name)).path());
    QFile File(Folder.filePath(Name));
    if (!File.open(QIODevice::WriteOnly))
        throw E_QOR_ErrorCreatingFile(QStringLiteral("File name='%1'").arg(File.fileName()));
    File.write(QByteArray(Size, 'x'));
}

} // namespace

void RenderProblemsAndContents(const QDir& Out)
{
    QTemporaryDir Scratch;
    SetSettingsFileForTesting(Scratch.filePath(QStringLiteral("settings.ini")));
    const QDir Files(Scratch.path());

    // The rich sample names files that are nowhere on this machine: errors and warnings aplenty.
    TData Rich;
    SampleDefinitions::BuildRich(Rich);
    // The module's file and its helpers are here; its data files are not.
    TCodeModule& Engine = *Rich.CodeModules.Items(0);
    Engine.FilePath = Files.filePath(QStringLiteral("Engine"));
    for (const auto& [Name, Size] : {std::pair{"Engine/engine.dll", 183296},
                                     std::pair{"Engine/lib/helper1.dll", 24576},
                                     std::pair{"Engine/lib/helper2.dll", 30208},
                                     std::pair{"Engine/lib/readme.txt", 900}})
        WriteFile(Files, QLatin1String(Name), Size);
    const QString Definition = Scratch.filePath(QStringLiteral("rich.cpd"));
    Rich.SaveToFile(Definition);
    SetProgramArguments({Definition});
    {
        TMain Window;
        if (!Window.CreationCompleted())
            throw E_QOR_Failed(QStringLiteral("The main window did not open the sample."));
        Window.setWindowState(Qt::WindowNoState);
        Window.resize(1000, 640);
        Window.show();
        Window.ShowProblemsPanel();
        WaitFor([&Window] { return Window.ProblemsPanel->Current(); });
        Save(Window, Out.filePath(QStringLiteral("problems-panel.png")));

        TPackageContentsDialog* Contents = Window.MenuItem_PackageContentsClick();
        WaitFor([Contents] { return Contents->Ready(); });
        Save(*Contents, Out.filePath(QStringLiteral("package-contents.png")));
        Contents->close();
    }
    SetProgramArguments({});
    SetSettingsFileForTesting(QString());
}
