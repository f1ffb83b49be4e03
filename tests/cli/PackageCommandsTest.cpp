#include "cli/CliTestSupport.h"
#include "model/DefinitionJson.h"
#include "model/PackageExport.h"
#include "model/PackageReader.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

using namespace SampleDefinitions;

namespace {

// A package with a driver, an embedded module and support files whose target is TargetFolder,
// written from files in a temporary folder.
class PackageCommands : public testing::Test
{
protected:
    QTemporaryDir Folder;
    QString Definition;
    QString Package;

    QString PathOf(const char* Name) const { return Folder.filePath(QLatin1String(Name)); }

    void Make(const QString& TargetFolder = QStringLiteral("data"))
    {
        QDir().mkpath(PathOf("src/data"));
        WriteBytesToFile(PathOf("src/driver.dll"), "driver bytes");
        WriteBytesToFile(PathOf("src/module.dll"), QByteArray(3000, 'm'));
        WriteBytesToFile(PathOf("src/data/a.txt"), "first");
        WriteBytesToFile(PathOf("src/data/b.txt"), "second");
        TData Data;
        Data.ID = SampleGUID(1);
        Data.Name = QStringLiteral("Package");
        auto* Driver = AddElement<TDriver>(Data.Drivers);
        Driver->Name = QStringLiteral("Driver");
        Driver->FilePath = PathOf("src");
        Driver->FileName = QStringLiteral("driver.dll");
        auto* Module = AddElement<TCodeModule>(Data.CodeModules);
        Module->ID = SampleGUID(2);
        Module->Name = QStringLiteral("Module");
        Module->Location = cmlEmbedded;
        Module->FilePath = PathOf("src");
        Module->FileName = QStringLiteral("module.dll");
        auto* Support = AddElement<TSupportFile>(Module->SupportFiles);
        Support->SourceFilePath = QStringLiteral("data");
        Support->SourceFileName = QStringLiteral("*.txt");
        Support->TargetRelativePath = TargetFolder;
        Definition = PathOf("package.cpd");
        Package = PathOf("package.cpk");
        Data.SaveToFile(Definition);
        ASSERT_EQ(RunCliWith({QStringLiteral("export"), Definition, Package}).ExitCode, 0);
    }

    QByteArray PackageBytes() const
    {
        QFile File(Package);
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
    }
};

TEST_F(PackageCommands, ReaderListsEveryEmbeddedFileWithItsHashAndPlace)
{
    Make();
    const TPackageContents Contents = ReadPackageFile(Package, {true, {}});
    EXPECT_EQ(Contents.Header.Name, QStringLiteral("Package"));
    EXPECT_EQ(Contents.FileSize, PackageBytes().size());
    QStringList Targets;
    for (const TPackageEmbeddedFile& File : Contents.Files) {
        Targets << File.Target;
        EXPECT_EQ(PackageBytes().mid(File.Offset, File.Size).size(), qsizetype(File.Size));
        EXPECT_EQ(File.SHA256,
                  QCryptographicHash::hash(PackageBytes().mid(File.Offset, File.Size), QCryptographicHash::Sha256));
    }
    EXPECT_EQ(Targets.size(), 4);
    EXPECT_EQ(Targets[0], QStringLiteral("driver.dll"));
    EXPECT_EQ(Contents.Files[1].Size, 3000u);
    EXPECT_EQ(Contents.Elements.size(), 2u);
}

// Every cut-short package, and one with a byte too many, is a clean loading error.
TEST_F(PackageCommands, ReaderRefusesEveryTruncationAndTrailingBytes)
{
    Make();
    const QByteArray Bytes = PackageBytes();
    for (qsizetype Length = 0; Length <= Bytes.size() + 1; ++Length) {
        if (Length == Bytes.size())
            continue;
        QByteArray Cut = Length <= Bytes.size() ? Bytes.left(Length) : Bytes + '\0';
        QBuffer Device(&Cut);
        Device.open(QIODevice::ReadOnly);
        EXPECT_THROW(ReadPackage(Device), E_QOR_LoadingError) << Length;
    }
}

TEST(SafeRelativeTarget, KeepsTargetsInsideTheFolder)
{
    const std::pair<const char*, const char*> Cases[] = {
        {"a\\b.txt", "a/b.txt"},
        {"a\\.\\b", "a/b"},
        {"..\\x", ""},
        {"a\\..\\..\\x", ""},
        {"a\\..\\b", ""},
        {"C:\\x", ""},
        {"\\x", ""},
        {"/etc/x", ""},
        {"\\\\server\\x", ""},
        {"", ""},
        {".", ""},
        {"a//b", "a/b"},
    };
    for (const auto& [Target, Expected] : Cases)
        EXPECT_EQ(SafeRelativeTarget(QString::fromLatin1(Target)), QString::fromLatin1(Expected)) << Target;
}

TEST_F(PackageCommands, ExtractWritesUnderTheFolderAndRefusesOverwritingWithoutForce)
{
    Make();
    const QString Out = PathOf("out");
    ASSERT_EQ(RunCliWith({QStringLiteral("extract"), Package, Out}).ExitCode, 0);
    QFile Extracted(Out + QStringLiteral("/data/b.txt"));
    ASSERT_TRUE(Extracted.open(QIODevice::ReadOnly));
    EXPECT_EQ(Extracted.readAll(), QByteArray("second"));
    EXPECT_EQ(RunCliWith({QStringLiteral("extract"), Package, Out}).ExitCode, 1);
    EXPECT_EQ(RunCliWith({QStringLiteral("extract"), Package, Out, QStringLiteral("--force")}).ExitCode, 0);
}

TEST_F(PackageCommands, ExtractRefusesATargetClimbingOutAndWritesNothing)
{
    Make(QStringLiteral("..\\..\\escaped"));
    const QString Out = PathOf("out/inner");
    const TCliRun Run = RunCliWith({QStringLiteral("extract"), Package, Out});
    EXPECT_EQ(Run.ExitCode, 1);
    EXPECT_TRUE(Run.Err.contains(QStringLiteral("Nothing was written")));
    EXPECT_TRUE(QDir(Out).isEmpty());
    EXPECT_FALSE(QFile::exists(PathOf("escaped/a.txt")));
    EXPECT_FALSE(QFile::exists(PathOf("out/escaped/a.txt")));
}

TEST_F(PackageCommands, ExtractDoesNotFollowALinkOutOfTheFolder)
{
    Make(QStringLiteral("link"));
    const QString Out = PathOf("out");
    QDir().mkpath(Out);
    QDir().mkpath(PathOf("elsewhere"));
    ASSERT_TRUE(QFile::link(PathOf("elsewhere"), Out + QStringLiteral("/link")));
    EXPECT_EQ(RunCliWith({QStringLiteral("extract"), Package, Out}).ExitCode, 1);
    EXPECT_TRUE(QDir(PathOf("elsewhere")).isEmpty());
}

TEST_F(PackageCommands, ReproducibleExportGivesTheSameBytesAndFollowsTheContent)
{
    Make();
    const QString Second = PathOf("second.cpk");
    const auto Export = [&](const QString& Target, std::optional<QByteArray> Epoch, bool Flag) {
        QStringList Arguments{QStringLiteral("export"), Definition, Target};
        if (Flag)
            Arguments << QStringLiteral("--reproducible");
        EXPECT_EQ(RunCliWith(Arguments, std::move(Epoch)).ExitCode, 0);
        QFile File(Target);
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
    };
    const QByteArray First = Export(Package, std::nullopt, true);
    EXPECT_EQ(Export(Second, std::nullopt, true), First);
    const QByteArray FromEpoch = Export(Second, QByteArray("1700000000"), false);
    EXPECT_EQ(Export(Second, QByteArray("1700000000"), false), FromEpoch);
    EXPECT_NE(FromEpoch, First);
    QFile File(Second);
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    EXPECT_EQ(QDateTimeFromDateTime(ReadPackage(File).Header.ExportTime),
              QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC));

    // Other content, another export ID; and without the flag every export differs.
    WriteBytesToFile(PathOf("src/data/a.txt"), "FIRST");
    const QByteArray Changed = Export(Second, std::nullopt, true);
    EXPECT_NE(Changed.mid(52, 16), First.mid(52, 16));
    EXPECT_NE(Export(Package, std::nullopt, false), Export(Second, std::nullopt, false));
}

TEST_F(PackageCommands, VerifyFindsDamageAndFilesChangedSinceTheExport)
{
    Make();
    EXPECT_EQ(RunCliWith({QStringLiteral("verify"), Package, QStringLiteral("--against"), Definition}).ExitCode, 0);
    WriteBytesToFile(PathOf("src/data/b.txt"), "SECOND");
    const TCliRun Changed = RunCliWith({QStringLiteral("verify"), Package, QStringLiteral("--against"), Definition});
    EXPECT_EQ(Changed.ExitCode, 2);
    EXPECT_TRUE(Changed.Out.contains(QStringLiteral("differs from"))) << Changed.Out.toStdString();
    WriteBytesToFile(Package, PackageBytes() + "x");
    EXPECT_EQ(RunCliWith({QStringLiteral("verify"), Package}).ExitCode, 2);
    EXPECT_EQ(RunCliWith({QStringLiteral("verify"), PathOf("missing.cpk")}).ExitCode, 1);
}

TEST(DiffCommand, ListsAddedRemovedAndChangedFieldsInAStableOrder)
{
    QTemporaryDir Folder;
    TData Data;
    BuildRich(Data);
    const QString A = Folder.filePath(QStringLiteral("a.cpd"));
    Data.SaveToFile(A);
    EXPECT_EQ(RunCliWith({QStringLiteral("diff"), A, A}).ExitCode, 0);
    Data.TaskTypes.Items(0)->Notes = QStringLiteral("changed");
    Data.InterfaceTypes.Delete(Data.InterfaceTypes.Count() - 1);
    auto* Added = AddElement<TDriver>(Data.Drivers);
    Added->ID = SampleGUID(900);
    Added->Name = QStringLiteral("Added");
    const QString B = Folder.filePath(QStringLiteral("b.json"));
    WriteBytesToFile(B, DefinitionToJson(Data));
    const TCliRun Run = RunCliWith({QStringLiteral("diff"), A, B});
    EXPECT_EQ(Run.ExitCode, 2);
    const QStringList Lines = Run.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(Lines.size(), 3);
    EXPECT_EQ(Lines.filter(QStringLiteral("+ Drivers/") + SampleGUID(900).ToString() + QStringLiteral(" Added")).size(),
              1);
    EXPECT_EQ(Lines.filter(QStringLiteral("/Notes: \"Notes on Assessment\" -> \"changed\"")).size(), 1);
    EXPECT_EQ(Lines.filter(QRegularExpression(QStringLiteral("^- InterfaceTypes/"))).size(), 1);
    EXPECT_EQ(RunCliWith({QStringLiteral("diff"), A, B}).Out, Run.Out);
}

} // namespace
