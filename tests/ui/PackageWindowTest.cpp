// A package opened for reading in its own window: what it shows, read through the accessibility
// interface, extraction through the seam, the comparison with a definition, and damaged packages.

#include "ui/PackageWindow.h"

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "model/PackageReader.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"
#include "support/TestSupport.h"
#include "ui/MainWindow.h"

#include <QAccessible>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace SampleDefinitions;

namespace {

// The text of a table cell as a screen reader gets it.
QString CellText(QTableWidget* Table, int Row, int Column)
{
    QAccessibleInterface* Interface = QAccessible::queryAccessibleInterface(Table);
    if (!Interface || !Interface->tableInterface())
        return QStringLiteral("<no table interface>");
    QAccessibleInterface* Cell = Interface->tableInterface()->cellAt(Row, Column);
    return Cell ? Cell->text(QAccessible::Name) : QStringLiteral("<no cell>");
}

QStringList ColumnTexts(QTableWidget* Table, int Column)
{
    QStringList Texts;
    for (int Row = 0; Row < Table->rowCount(); ++Row)
        Texts << CellText(Table, Row, Column);
    return Texts;
}

class PackageWindowTest : public testing::Test
{
protected:
    QTemporaryDir Folder;
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard{&Seam};
    QString Definition;
    QString Package;

    QString PathOf(const QString& Name) const { return Folder.filePath(Name); }

    void SetUp() override
    {
        ASSERT_TRUE(Folder.isValid());
        QDir().mkpath(PathOf(QStringLiteral("src/data")));
        WriteBytesToFile(PathOf(QStringLiteral("src/driver.dll")), "driver bytes");
        WriteBytesToFile(PathOf(QStringLiteral("src/module.dll")), QByteArray(3 << 20, 'm'));
        WriteBytesToFile(PathOf(QStringLiteral("src/data/a.txt")), "first");
        WriteBytesToFile(PathOf(QStringLiteral("src/data/b.txt")), "second");
        TData Data;
        Data.ID = SampleGUID(1);
        Data.Name = QStringLiteral("Package");
        auto* Driver = AddElement<TDriver>(Data.Drivers);
        Driver->ID = SampleGUID(3);
        Driver->Name = QStringLiteral("Driver");
        Driver->FilePath = PathOf(QStringLiteral("src"));
        Driver->FileName = QStringLiteral("driver.dll");
        auto* Module = AddElement<TCodeModule>(Data.CodeModules);
        Module->ID = SampleGUID(2);
        Module->Name = QStringLiteral("Module");
        Module->Location = cmlEmbedded;
        Module->FilePath = PathOf(QStringLiteral("src"));
        Module->FileName = QStringLiteral("module.dll");
        auto* Support = AddElement<TSupportFile>(Module->SupportFiles);
        Support->SourceFilePath = QStringLiteral("data");
        Support->SourceFileName = QStringLiteral("*.txt");
        Support->TargetRelativePath = QStringLiteral("data");
        Definition = PathOf(QStringLiteral("package.cpd"));
        Package = PathOf(QStringLiteral("package.cpk"));
        Data.SaveToFile(Definition);
        Data.ExportToFile(Package);
    }

    std::unique_ptr<TPackageWindow> OpenWindow()
    {
        TPackageWindow* Window = TPackageWindow::Open(Package);
        EXPECT_NE(Window, nullptr);
        if (!Window)
            return {};
        Window->setAttribute(Qt::WA_DeleteOnClose, false);
        QDeadlineTimer Deadline(20000);
        while (!Window->HashesComplete() && !Deadline.hasExpired())
            QTest::qWait(10);
        EXPECT_TRUE(Window->HashesComplete());
        return std::unique_ptr<TPackageWindow>(Window);
    }

    QString LastMessage() const { return Seam.Messages.empty() ? QString() : Seam.Messages.back().Text; }
};

TEST_F(PackageWindowTest, ShowsEveryElementAndFileWithTheHashesTheReaderComputes)
{
    TPackageReadOptions Options;
    Options.HashFiles = true;
    const TPackageContents Expected = ReadPackageFile(Package, Options);
    ASSERT_EQ(Expected.Files.size(), 4u);

    const auto Window = OpenWindow();
    ASSERT_TRUE(Window);
    EXPECT_TRUE(Window->isVisible());
    EXPECT_FALSE(Window->isModal());
    EXPECT_TRUE(Seam.Messages.empty());

    ASSERT_EQ(Window->ElementTable->rowCount(), int(Expected.Elements.size()));
    for (size_t I = 0; I < Expected.Elements.size(); ++I) {
        EXPECT_EQ(CellText(Window->ElementTable, int(I), 0), Expected.Elements[I].ID.ToString());
        EXPECT_EQ(CellText(Window->ElementTable, int(I), 1), Expected.Elements[I].Name);
    }
    EXPECT_TRUE(ColumnTexts(Window->ElementTable, 1).contains(QStringLiteral("Module")));
    EXPECT_TRUE(ColumnTexts(Window->HeaderTable, 1).contains(SampleGUID(1).ToString()));
    EXPECT_FALSE(ColumnTexts(Window->SectionTable, 0).isEmpty());

    // The hashes agree with the reader's and with the bytes of the files the package was made from.
    const QStringList Sources{QStringLiteral("src/driver.dll"),
                              QStringLiteral("src/module.dll"),
                              QStringLiteral("src/data/a.txt"),
                              QStringLiteral("src/data/b.txt")};
    const int Hash = Window->FileTable->columnCount() - 1;
    ASSERT_EQ(Window->FileTable->rowCount(), 4);
    for (int Row = 0; Row < 4; ++Row) {
        const TPackageEmbeddedFile& File = Expected.Files[size_t(Row)];
        EXPECT_EQ(CellText(Window->FileTable, Row, 0), File.Target);
        EXPECT_EQ(CellText(Window->FileTable, Row, 3), QString::number(File.Size));
        EXPECT_EQ(CellText(Window->FileTable, Row, Hash), QString::fromLatin1(File.SHA256.toHex()));
        QFile Source(PathOf(Sources[Row]));
        ASSERT_TRUE(Source.open(QIODevice::ReadOnly));
        EXPECT_EQ(CellText(Window->FileTable, Row, Hash),
                  QString::fromLatin1(QCryptographicHash::hash(Source.readAll(), QCryptographicHash::Sha256).toHex()));
    }
}

TEST_F(PackageWindowTest, DamagedPackagesGiveTheReadersReportAndNoWindow)
{
    const QByteArray Good = [this] {
        QFile File(Package);
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
    }();
    ASSERT_FALSE(Good.isEmpty());
    QByteArray Garbage(4096, Qt::Uninitialized);
    QRandomGenerator Random(7);
    for (char& Byte : Garbage)
        Byte = char(Random.bounded(256));
    for (const QByteArray& Bytes : {Good.left(Good.size() / 2), Good.left(40), Garbage, QByteArray()}) {
        WriteBytesToFile(Package, Bytes);
        const QString Report = ReportOf([this] { ReadPackageFile(Package); });
        Seam.Messages.clear();
        EXPECT_EQ(TPackageWindow::Open(Package), nullptr);
        ASSERT_EQ(Seam.Messages.size(), 1u);
        EXPECT_EQ(Seam.Messages[0].Text, Report);
        EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::Error);
    }
}

TEST_F(PackageWindowTest, TheViewMenuOpensAPackageAndReportsADamagedOne)
{
    QTemporaryDir Settings;
    SetSettingsFileForTesting(Settings.filePath(QStringLiteral("settings.ini")));
    SetProgramArguments({});
    {
        TMain Main;
        ASSERT_TRUE(Main.CreationCompleted());
        ASSERT_NE(Main.MenuItem_InspectPackage, nullptr);
        auto* View = Main.findChild<QMenu*>(QStringLiteral("MenuItem_View"));
        ASSERT_NE(View, nullptr);
        EXPECT_TRUE(View->actions().contains(Main.MenuItem_InspectPackage));

        Seam.OpenFileNames.push_back(Package);
        Main.MenuItem_InspectPackage->trigger();
        auto* Window = Main.findChild<TPackageWindow*>();
        ASSERT_NE(Window, nullptr);
        EXPECT_EQ(Window->FileName(), Package);
        EXPECT_TRUE(Seam.Messages.empty());
        delete Window;

        WriteBytesToFile(Package, "not a package");
        Seam.OpenFileNames.push_back(Package);
        Main.MenuItem_InspectPackage->trigger();
        EXPECT_EQ(Main.findChild<TPackageWindow*>(), nullptr);
        EXPECT_EQ(Seam.Messages.size(), 1u);
    }
    SetSettingsFileForTesting(QString());
}

TEST_F(PackageWindowTest, ExtractWritesEveryFileAndRefusesAClashWithNothingWritten)
{
    const auto Window = OpenWindow();
    ASSERT_TRUE(Window);
    const QString Out = PathOf(QStringLiteral("out"));
    Seam.Directories.push_back(Out);
    Window->ExtractClick();
    ASSERT_EQ(Seam.Messages.size(), 1u) << LastMessage().toStdString();
    EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::Information) << LastMessage().toStdString();
    for (const auto& [Written, Source] : {std::pair{"driver.dll", "src/driver.dll"},
                                          std::pair{"module.dll", "src/module.dll"},
                                          std::pair{"data/a.txt", "src/data/a.txt"},
                                          std::pair{"data/b.txt", "src/data/b.txt"}}) {
        QFile A(QDir(Out).filePath(QLatin1String(Written)));
        QFile B(PathOf(QLatin1String(Source)));
        ASSERT_TRUE(A.open(QIODevice::ReadOnly)) << Written;
        ASSERT_TRUE(B.open(QIODevice::ReadOnly));
        EXPECT_TRUE(A.readAll() == B.readAll()) << Written;
    }

    // A folder where one file already stands: refused in the command line's words, nothing written.
    const QString Clash = PathOf(QStringLiteral("clash"));
    QDir().mkpath(Clash + QStringLiteral("/data"));
    WriteBytesToFile(Clash + QStringLiteral("/data/b.txt"), "mine");
    Seam.Directories.push_back(Clash);
    Window->ExtractClick();
    ASSERT_EQ(Seam.Messages.size(), 2u);
    EXPECT_TRUE(LastMessage().contains(QStringLiteral("b.txt"))) << LastMessage().toStdString();
    EXPECT_TRUE(LastMessage().endsWith(QStringLiteral("\nNothing was written."))) << LastMessage().toStdString();
    EXPECT_EQ(QDir(Clash).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("data")});
    EXPECT_EQ(QDir(Clash + QStringLiteral("/data")).entryList(QDir::Files), QStringList{QStringLiteral("b.txt")});
    QFile Kept(Clash + QStringLiteral("/data/b.txt"));
    ASSERT_TRUE(Kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(Kept.readAll(), QByteArray("mine"));

    // Cancelled: nothing asked, nothing shown.
    Window->ExtractClick();
    EXPECT_EQ(Seam.Messages.size(), 2u);
}

TEST_F(PackageWindowTest, ABoxListsAtMostThirtyRefusals)
{
    for (int I = 0; I < 38; ++I)
        WriteBytesToFile(PathOf(QStringLiteral("src/data/more%1.txt").arg(I)), "more");
    TData Data;
    Data.LoadFromFile(Definition);
    Data.ExportToFile(Package);
    const auto Window = OpenWindow();
    ASSERT_TRUE(Window);
    const QString Out = PathOf(QStringLiteral("out"));
    Seam.Directories = {Out, Out};
    Window->ExtractClick();
    Window->ExtractClick();
    ASSERT_EQ(Seam.Messages.size(), 2u);
    const QStringList Lines = LastMessage().split(QLatin1Char('\n'));
    ASSERT_EQ(Lines.size(), 32) << LastMessage().toStdString();
    EXPECT_EQ(Lines[30], QStringLiteral("… and 12 more."));
    EXPECT_EQ(Lines[31], QStringLiteral("Nothing was written."));
}

TEST_F(PackageWindowTest, CompareListsTheFileThatChangedOnDisk)
{
    const auto Window = OpenWindow();
    ASSERT_TRUE(Window);
    Seam.OpenFileNames.push_back(Definition);
    Window->CompareClick();
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::Information) << LastMessage().toStdString();

    WriteBytesToFile(PathOf(QStringLiteral("src/data/a.txt")), "FIRST");
    Seam.OpenFileNames.push_back(Definition);
    Window->CompareClick();
    ASSERT_EQ(Seam.Messages.size(), 2u);
    EXPECT_EQ(Seam.Messages[1].Icon, TMessageIcon::Warning);
    EXPECT_EQ(LastMessage(),
              QStringLiteral("'data\\a.txt' (support file of Code modules/Module): differs from '%1'.")
                  .arg(PathOf(QStringLiteral("src/data/a.txt"))))
        << LastMessage().toStdString();
}

} // namespace
