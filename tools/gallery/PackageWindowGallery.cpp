#include "tools/gallery/PackageWindowGallery.h"

#include "foundation/QORExceptions.h"
#include "model/Data.h"
#include "model/PackageExport.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"
#include "ui/PackageWindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace {

// Points every file the rich sample embeds at a small file written under Scratch.
void StandInFiles(TData& Data, const QDir& Scratch)
{
    Scratch.mkpath(QStringLiteral("data"));
    const auto Write = [&Scratch](const QString& Name, const QByteArray& Bytes) {
        SampleDefinitions::WriteBytesToFile(Scratch.filePath(Name), Bytes);
    };
    Write(QStringLiteral("data/readme.txt"), "Read me first.\n");
    Write(QStringLiteral("data/scores.txt"), "1 2 3\n");
    for (int32_t D = 0; D < Data.Drivers.Count(); ++D) {
        TDriver& Driver = *Data.Drivers.Items(D);
        Driver.FilePath = Scratch.path();
        Write(Driver.FileName, QByteArray(4096 * (D + 1), char('d' + D)));
    }
    for (int32_t C = 0; C < Data.CodeModules.Count(); ++C) {
        TCodeModule& Module = *Data.CodeModules.Items(C);
        Module.FilePath = Scratch.path();
        if (Module.Location != cmlLinked)
            Write(Module.FileName, QByteArray(65536 + 512 * C, char('m' + C)));
        for (int32_t S = 0; S < Module.SupportFiles.Count(); ++S) {
            TSupportFile& Support = *Module.SupportFiles.Items(S);
            Support.SourceFilePath = QStringLiteral("data");
            Support.SourceFileName = QStringLiteral("*.txt");
        }
    }
}

} // namespace

void RenderPackageWindow(const QDir& Out)
{
    QTemporaryDir Scratch;
    TData Rich;
    SampleDefinitions::BuildRich(Rich);
    StandInFiles(Rich, QDir(Scratch.path()));
    const QString Package = Scratch.filePath(QStringLiteral("rich.cpk"));
    ExportPackageFile(Rich, Package, TExportStamp{true, 46000.5});

    const auto Window = std::make_unique<TPackageWindow>(Package, ReadPackageFile(Package));
    Window->show();
    QDeadlineTimer Deadline(30000);
    while (!Window->HashesComplete() && !Deadline.hasExpired()) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    QCoreApplication::processEvents();
    const QString FileName = Out.filePath(QStringLiteral("package-window.png"));
    if (!Window->grab().save(FileName))
        throw E_QOR_ErrorCreatingFile(QStringLiteral("File name='%1'").arg(FileName));
}
