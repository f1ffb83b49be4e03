// Decodes arbitrary bytes into a definition, as the agreement test does with seeded bytes, and holds
// quillon-cli check to the export: the export fails exactly when the check finds an error, with the
// report of the first one, and no finding is given twice.

#include "FuzzSupport.h"
#include "samples/RandomDefinition.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

// The files the definitions name, made once.
struct TFiles
{
    QTemporaryDir Directory;
    QString Root = Directory.filePath(QStringLiteral("files"));
    QString Package = Directory.filePath(QStringLiteral("out.cpk"));

    TFiles()
    {
        RegisterMessageProvider(ApplicationMessageProvider);
        RandomDefinition::PrepareFiles(Root, QStringLiteral(QUILLON_TEST_DATA "/typelib"));
    }
};

// Relative names in the definitions start at the files; the fuzzer's own, between runs, do not.
struct TCurrentFolder
{
    QString Previous = QDir::currentPath();

    explicit TCurrentFolder(const QString& Folder)
    {
        if (!QDir::setCurrent(Folder))
            FuzzSupport::Fail("Cannot enter the folder of the files:", Folder);
    }
    ~TCurrentFolder() { QDir::setCurrent(Previous); }
};

TFiles& Files()
{
    static TFiles Instance;
    return Instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Bytes, size_t Size)
{
    TFiles& Into = Files();
    const TCurrentFolder Current(Into.Root);
    TData Data;
    RandomDefinition::Build(Data, QByteArrayView(Bytes, qsizetype(Size)), Into.Root);
    const RandomDefinition::TAgreement Agreement = RandomDefinition::CheckAgainstExport(Data, Into.Package);
    if (!Agreement.Agrees())
        FuzzSupport::Fail("The check and the export disagree:",
                          QStringLiteral("check \"") + Agreement.CheckReport + QStringLiteral("\", export \"") +
                              Agreement.ExportReport + QLatin1Char('"'));
    if (!Agreement.RepeatedFinding.isEmpty())
        FuzzSupport::Fail("A finding is given twice:", Agreement.RepeatedFinding);
    return 0;
}
