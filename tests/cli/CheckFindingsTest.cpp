#include "model/CheckFindings.h"

#include "cli/CliTestSupport.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

using namespace SampleDefinitions;

namespace {

QString ReportOfExportCheck(const TData& Data)
{
    try {
        Data.ExportErrorCheck();
    } catch (...) {
        return GetExceptionReport();
    }
    return {};
}

// The first error found is exactly what the export check raises: same class, same report.
TEST(CheckFindings, FirstErrorIsWhatTheExportCheckRaises)
{
    int Checked = 0;
    for (const TNamedDefinition& File : AllDefinitionFiles()) {
        TData Data;
        try {
            LoadFromBytes(Data, File.Bytes);
        } catch (const E_QOR&) {
            continue;
        }
        ++Checked;
        QString FirstError;
        for (const TCheckFinding& Finding : CollectCheckFindings(Data)) {
            if (Finding.Severity == TFindingSeverity::Error) {
                FirstError = ReportOf([&] { RaiseFinding(Finding); });
                break;
            }
        }
        EXPECT_EQ(FirstError, ReportOfExportCheck(Data)) << File.Name.toStdString();
    }
    EXPECT_GE(Checked, 13);
}

TEST(CheckFindings, ReportsEveryErrorWithItsPlaceAndWarnsOfWhatTheExportLetsPass)
{
    QTemporaryDir Folder;
    const QString NotALibrary = Folder.filePath(QStringLiteral("driver.dll"));
    WriteBytesToFile(NotALibrary, "not a module");
    TData Data;
    Data.ID = SampleGUID(1);
    Data.Name = QStringLiteral("Package");
    auto* Driver = AddElement<TDriver>(Data.Drivers);
    Driver->Name = QStringLiteral("Driver");
    Driver->FilePath = Folder.path();
    Driver->FileName = QStringLiteral("driver.dll");
    Driver->ObjectServerType = ostCOM;
    for (int I = 0; I < 2; ++I)
        AddElement<TTaskType>(Data.TaskTypes)->Name = QStringLiteral("Type %1").arg(I);
    auto* Module = AddElement<TCodeModule>(Data.CodeModules);
    Module->Name = QStringLiteral("Trainer");
    Module->Location = cmlLinked;
    auto* Object = AddElement<TTaskModuleObject>(Module->TaskModuleObjects);
    Object->Name = QStringLiteral("Viewer");
    AddElement<TTaskModule>(Object->TaskModules)->Type = tmtTaskRunner;

    QStringList Found;
    for (const TCheckFinding& Finding : CollectCheckFindings(Data))
        Found << FindingSeverityText(Finding.Severity) + QLatin1Char(' ') + Finding.Rule + QLatin1Char(' ') +
                     Finding.Location;
    EXPECT_EQ(Found,
              QStringList({
                  QStringLiteral("warning type-library-unreadable Drivers/Driver"),
                  QStringLiteral("error duplicate-id Code modules/Trainer/Task module objects/Viewer"),
                  QStringLiteral("error duplicate-id Code modules/Trainer/Task module objects/Viewer/Task modules/1"),
                  QStringLiteral("error objects-not-creatable Code modules/Trainer"),
                  QStringLiteral("error objects-without-server-type Code modules/Trainer"),
                  QStringLiteral("error task-module-data-types Code modules/Trainer/Task module objects/Viewer/Task "
                                 "modules/1"),
                  QStringLiteral("warning duplicate-data-type-id Data types/Task types/Type 1"),
              }));
}

TEST(CheckCommand, ExitsTwoOnErrorsZeroOnWarningsOnlyAndOneOnAnUnreadableFile)
{
    QTemporaryDir Folder;
    const QString Broken = Folder.filePath(QStringLiteral("broken.cpd"));
    TData Empty;
    Empty.SaveToFile(Broken);
    const TCliRun Errors = RunCliWith({QStringLiteral("check"), Broken, QStringLiteral("--json")});
    EXPECT_EQ(Errors.ExitCode, 2);
    EXPECT_TRUE(Errors.Out.contains(QStringLiteral("\"Message\": \"Code package ID is invalid.\"")));
    EXPECT_TRUE(Errors.Out.contains(QStringLiteral("\"Message\": \"Code package name is invalid.\"")));

    Empty.ID = SampleGUID(1);
    Empty.Name = QStringLiteral("Fine");
    AddElement<TTaskType>(Empty.TaskTypes);
    AddElement<TTaskType>(Empty.TaskTypes);
    const QString Fine = Folder.filePath(QStringLiteral("fine.cpd"));
    Empty.SaveToFile(Fine);
    const TCliRun Warnings = RunCliWith({QStringLiteral("check"), Fine});
    EXPECT_EQ(Warnings.ExitCode, 0);
    EXPECT_TRUE(Warnings.Out.startsWith(QStringLiteral("warning: Data types/Task types/: ")));

    EXPECT_EQ(RunCliWith({QStringLiteral("check"), Folder.filePath(QStringLiteral("missing.cpd"))}).ExitCode, 1);
    EXPECT_EQ(RunCliWith({QStringLiteral("check")}).ExitCode, 1);
    EXPECT_EQ(RunCliWith({QStringLiteral("check"), Fine, QStringLiteral("--bogus")}).ExitCode, 1);
}

} // namespace

namespace {

TEST(CliUsage, HelpVersionAndUnknownCommands)
{
    const TCliRun Help = RunCliWith({QStringLiteral("--help")});
    EXPECT_EQ(Help.ExitCode, 0);
    for (const auto& Command : CliCommands())
        EXPECT_TRUE(Help.Out.contains(QStringLiteral("  ") + Command->Name())) << Command->Name().toStdString();
    const TCliRun One = RunCliWith({QStringLiteral("help"), QStringLiteral("extract")});
    EXPECT_EQ(One.ExitCode, 0);
    EXPECT_TRUE(One.Out.startsWith(QStringLiteral("Usage: quillon-cli extract PKG.cpk DIR")));
    EXPECT_TRUE(RunCliWith({QStringLiteral("--version")}).Out.startsWith(QStringLiteral("quillon-cli ")));
    const TCliRun Unknown = RunCliWith({QStringLiteral("frobnicate")});
    EXPECT_EQ(Unknown.ExitCode, 1);
    EXPECT_TRUE(Unknown.Out.isEmpty());
    EXPECT_EQ(RunCliWith({}).ExitCode, 1);
}

} // namespace
