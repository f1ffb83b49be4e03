#include "model/CheckFindings.h"

#include "cli/CliTestSupport.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// Elements of one name with one fault: the position tells them apart where the name repeats in its
// list, and only there.
TEST(CheckCommand, TellsElementsOfTheSameNameApartByTheirPosition)
{
    QTemporaryDir Folder;
    TData Data;
    Data.ID = SampleGUID(1);
    Data.Name = QStringLiteral("Package");
    uint32_t Next = 10;
    for (const char* Name : {"Demo", "Other", "Demo"}) {
        auto* Module = AddElement<TCodeModule>(Data.CodeModules);
        Module->ID = SampleGUID(Next++);
        Module->Name = QLatin1String(Name);
        Module->Location = cmlLinked;
        Module->Register = true;
    }
    for (int I = 0; I < 2; ++I) {
        auto* Object = AddElement<TTaskModuleObject>(Data.CodeModules.Items(2)->TaskModuleObjects);
        Object->ID = SampleGUID(Next++);
        Object->Name = QStringLiteral("Viewer");
        AddElement<TTaskModule>(Object->TaskModules)->ID = SampleGUID(Next++);
    }
    const QString File = Folder.filePath(QStringLiteral("same.cpd"));
    Data.SaveToFile(File);

    const TCliRun Text = RunCliWith({QStringLiteral("check"), File});
    EXPECT_EQ(Text.ExitCode, 2);
    const QString Registered = QStringLiteral(" is linked and so must not request to be registered. [linked-register]");
    for (const QString& Line : {QStringLiteral("error: Code modules/Demo #1: Code module 'Demo'") + Registered,
                                QStringLiteral("error: Code modules/Other: Code module 'Other'") + Registered,
                                QStringLiteral("error: Code modules/Demo #3: Code module 'Demo'") + Registered,
                                QStringLiteral("error: Code modules/Demo #3/Task module objects/Viewer #2/Task "
                                               "modules/1: Task module in task module object 'Viewer' has an "
                                               "invalid type. [task-module-type]")})
        EXPECT_TRUE(Text.Out.contains(Line + QLatin1Char('\n'))) << Line.toStdString();

    const TCliRun Json = RunCliWith({QStringLiteral("check"), File, QStringLiteral("--json")});
    QStringList Paths;
    for (const QJsonValue Finding : QJsonDocument::fromJson(Json.Out.toUtf8())[QStringLiteral("Findings")].toArray()) {
        if (Finding[QStringLiteral("Rule")] != QStringLiteral("task-module-type"))
            continue;
        QStringList Steps;
        for (const QJsonValue Step : Finding[QStringLiteral("Path")].toArray())
            Steps << Step[QStringLiteral("List")].toString() + QLatin1Char(':') +
                         Step[QStringLiteral("Name")].toString() + QLatin1Char(':') +
                         QString::number(Step[QStringLiteral("Position")].toInt());
        Paths << Steps.join(QLatin1Char(' '));
    }
    EXPECT_EQ(Paths,
              QStringList({QStringLiteral("Code modules:Demo:3 Task module objects:Viewer:1 Task modules:1:1"),
                           QStringLiteral("Code modules:Demo:3 Task module objects:Viewer:2 Task modules:1:1")}));
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
    EXPECT_TRUE(Warnings.Out.startsWith(QStringLiteral("warning: Data types/Task types/#2: ")));

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
