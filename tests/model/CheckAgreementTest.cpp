// The command-line check and the export agree: a definition fails the export exactly when the check
// finds an error, and with the report of the first one. Random definitions go over every field;
// the named cases below are the ones where the two once disagreed.

#include "foundation/Paths.h"
#include "samples/RandomDefinition.h"
#include "samples/SampleDefinitions.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

namespace {

using namespace RandomDefinition;
using SampleDefinitions::AddElement;
using SampleDefinitions::SampleGUID;

// The files random definitions name, made the current folder for relative names.
class CheckAgreement : public ::testing::Test
{
public:
    QTemporaryDir Directory;
    QString Files;
    QString Package;
    QString Previous;

    void SetUp() override
    {
        RegisterMessageProvider(ApplicationMessageProvider);
        ASSERT_TRUE(Directory.isValid());
        Files = Directory.filePath(QStringLiteral("files"));
        Package = Directory.filePath(QStringLiteral("out.cpk"));
        PrepareFiles(Files, QStringLiteral(QUILLON_TEST_DATA "/typelib"));
        Previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(Files));
    }

    void TearDown() override
    {
        QDir::setCurrent(Previous);
        ClearMessageProviders();
    }

    // A package that passes: one embedded module, Folder and Name as given.
    void Minimal(TData& Data, const QString& Folder, const QString& Name) const
    {
        Data.ID = SampleGUID(1);
        Data.Name = QStringLiteral("Package");
        auto* Module = AddElement<TCodeModule>(Data.CodeModules);
        Module->ID = SampleGUID(2);
        Module->Name = QStringLiteral("Module");
        Module->Location = cmlEmbedded;
        Module->FilePath = Folder;
        Module->FileName = Name;
    }

    // Asserts that check and export agree on Data and that both fail with Report.
    void ExpectBothFail(const TData& Data, const QString& Report) const
    {
        const TAgreement Agreement = CheckAgainstExport(Data, Package);
        EXPECT_EQ(Agreement.CheckReport, Report);
        EXPECT_EQ(Agreement.ExportReport, Report);
        // Refused before the package file was made.
        EXPECT_FALSE(QFileInfo::exists(Package));
    }
};

// Also, no finding is given twice: each names its own element, where names repeat too.
TEST_F(CheckAgreement, ExportFailsExactlyWhenTheCheckFindsAnErrorWithTheSameFirstReport)
{
    int Exported = 0;
    int Disagreements = 0;
    int Repeated = 0;
    QSet<QString> Rules;
    for (uint32_t Seed = 0; Seed < 600; ++Seed) {
        TData Data;
        Build(Data, SeededBytes(Seed, 1024), Files);
        const TAgreement Agreement = CheckAgainstExport(Data, Package);
        if (!Agreement.Agrees() && ++Disagreements <= 5)
            ADD_FAILURE() << "seed " << Seed << ": check reports \"" << Agreement.CheckReport.toStdString()
                          << "\", export reports \"" << Agreement.ExportReport.toStdString() << '"';
        if (!Agreement.RepeatedFinding.isEmpty() && ++Repeated <= 5)
            ADD_FAILURE() << "seed " << Seed << ": twice " << Agreement.RepeatedFinding.toStdString();
        if (Agreement.ExportReport.isEmpty())
            ++Exported;
        else
            Rules.insert(Agreement.CheckRule);
    }
    EXPECT_EQ(Disagreements, 0);
    EXPECT_EQ(Repeated, 0);
    // Both sides of the property are exercised, and the rules of every part of the check.
    EXPECT_GE(Exported, 100);
    EXPECT_GE(Rules.size(), 20) << QStringList(Rules.values()).join(QLatin1Char(' ')).toStdString();
}

// The writer accepts only embedded and linked modules; the check rejects every other value, after
// everything the check itself looks at, as the export would.
TEST_F(CheckAgreement, CodeModuleLocationOutsideItsRange)
{
    for (const int32_t Location : {3, -1, 0x7FFFFFFF}) {
        TData Data;
        Minimal(Data, Files, QStringLiteral("module.dll"));
        Data.CodeModules.Items(0)->Location = static_cast<TCodeModuleLocation>(Location);
        ExpectBothFail(Data, QStringLiteral("Enumeration out of range."));

        // A broken rule of the check itself comes first.
        Data.CodeModules.Items(0)->RunFromSourceLocation = true;
        EXPECT_TRUE(CheckAgainstExport(Data, Package).CheckReport.contains(QLatin1String("'Use direct activation'")));
    }
}

// Without a folder, the file is looked for in the current folder but the export reads it from the
// root ("\" and the name): both must name the same file.
TEST_F(CheckAgreement, FilesWithoutAFolder)
{
    const QString Root = LocalFilePath(QStringLiteral("\\driver.dll"));
    ASSERT_FALSE(QFileInfo::exists(Root));
    TData Data;
    Minimal(Data, Files, QStringLiteral("module.dll"));
    auto* Driver = AddElement<TDriver>(Data.Drivers);
    Driver->Name = QStringLiteral("Driver");
    Driver->FileName = QStringLiteral("driver.dll");
    ExpectBothFail(Data, QStringLiteral("Failed to open file: '") + Root + QStringLiteral("'."));

    Data.Drivers.Clear();
    Data.CodeModules.Items(0)->FilePath.clear();
    ExpectBothFail(Data,
                   QStringLiteral("Failed to open file: '") + LocalFilePath(QStringLiteral("\\module.dll")) +
                       QStringLiteral("'."));
}

} // namespace
