// "Package contents": what the window lists is what a real export embeds, wildcards included;
// missing files are marked and the total counts the files that are there.

#include "EditingFixture.h"
#include "model/PackageExport.h"
#include "model/PackagePlan.h"
#include "model/PackageReader.h"
#include "ui/PackageContentsDialog.h"

#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

#include <tuple>

namespace {

class PackageContents : public EditingFixture
{
protected:
    QString Write(const QString& Name, int Size)
    {
        const QString Path = Dir.filePath(Name);
        QDir().mkpath(QFileInfo(Path).path());
        QFile File(Path);
        EXPECT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(QByteArray(Size, 'x'));
        return Path;
    }

    // A driver, an embedded module with two wildcard support files (one relative to the module,
    // one absolute) and a linked module, whose file never travels.
    void Build(TData& Data)
    {
        Write(QStringLiteral("drv/motion.sys"), 100);
        Write(QStringLiteral("mod/engine.dll"), 200);
        Write(QStringLiteral("mod/lib/helper1.dll"), 10);
        Write(QStringLiteral("mod/lib/helper2.dll"), 20);
        Write(QStringLiteral("mod/lib/other.txt"), 30);
        Write(QStringLiteral("data/a.dat"), 5);
        Write(QStringLiteral("data/b.dat"), 7);
        auto* Driver = new TDriver;
        Driver->Name = QStringLiteral("Motion");
        Driver->FilePath = Dir.filePath(QStringLiteral("drv"));
        Driver->FileName = QStringLiteral("motion.sys");
        Data.Drivers.Add(Driver);
        auto* Engine = new TCodeModule;
        Engine->Name = QStringLiteral("Engine");
        Engine->FilePath = Dir.filePath(QStringLiteral("mod"));
        Engine->FileName = QStringLiteral("engine.dll");
        Engine->Location = cmlEmbedded;
        Data.CodeModules.Add(Engine);
        auto* Helpers = new TSupportFile;
        Helpers->SourceFilePath = QStringLiteral("lib");
        Helpers->SourceFileName = QStringLiteral("helper?.dll");
        Helpers->TargetRelativePath = QStringLiteral("bin");
        Engine->SupportFiles.Add(Helpers);
        auto* DataFiles = new TSupportFile;
        DataFiles->SourceFilePath = Dir.filePath(QStringLiteral("data"));
        DataFiles->SourceFileName = QStringLiteral("*.dat");
        DataFiles->TargetRelativePath = QStringLiteral("data\\sub");
        Engine->SupportFiles.Add(DataFiles);
        auto* Linked = new TCodeModule;
        Linked->Name = QStringLiteral("Linked");
        Linked->FilePath = QStringLiteral("C:\\Elsewhere");
        Linked->FileName = QStringLiteral("linked.dll");
        Linked->Location = cmlLinked;
        Data.CodeModules.Add(Linked);
    }

    TPackageContentsDialog* OpenContents()
    {
        Window->show();
        TPackageContentsDialog* Dialog = Window->MenuItem_PackageContentsClick();
        [Dialog] { QTRY_VERIFY_WITH_TIMEOUT(Dialog->Ready(), 20000); }();
        return Dialog;
    }
};

using TEmbedded = std::tuple<QString, QString, int64_t>;

TEST_F(PackageContents, ListsExactlyWhatARealExportEmbedsWithWildcardsAndTheTotal)
{
    TData Data;
    Build(Data);
    const QString Package = Dir.filePath(QStringLiteral("out.cpk"));
    ExportPackageFile(Data, Package, TExportStamp());
    std::vector<TEmbedded> Embedded;
    for (const TPackageEmbeddedFile& File : ReadPackageFile(Package).Files)
        Embedded.emplace_back(File.Kind, File.Target, File.Size);
    ASSERT_EQ(Embedded.size(), 6u);

    std::vector<TEmbedded> Planned;
    for (const TPlannedFile& File : PlanPackageFiles(Data)) {
        EXPECT_FALSE(File.Missing) << File.Source.toStdString();
        EXPECT_TRUE(File.LastWritten.isValid());
        Planned.emplace_back(File.Kind, File.Target, File.Size);
    }
    EXPECT_EQ(Planned, Embedded);

    // The window shows the same files, read off the UI thread from the open definition.
    Open(Data);
    TPackageContentsDialog* Dialog = OpenContents();
    QSortFilterProxyModel& Rows = *Dialog->Proxy();
    ASSERT_EQ(Rows.rowCount(), 6);
    QStringList Targets;
    for (int Row = 0; Row < Rows.rowCount(); ++Row)
        Targets << Rows.index(Row, TPackageContentsDialog::cTarget).data().toString();
    EXPECT_EQ(Targets,
              QStringList({"motion.sys",
                           "engine.dll",
                           "bin\\helper1.dll",
                           "bin\\helper2.dll",
                           "data\\sub\\a.dat",
                           "data\\sub\\b.dat"}));
    EXPECT_EQ(Rows.index(2, TPackageContentsDialog::cPattern).data().toString().replace('\\', '/'),
              Dir.filePath(QStringLiteral("mod/lib/helper?.dll")));
    EXPECT_EQ(Dialog->Total()->text(), QStringLiteral("6 files, total 342 bytes."));

    // Sizes sort as numbers, and the filter narrows the rows.
    Dialog->View()->sortByColumn(TPackageContentsDialog::cSize, Qt::DescendingOrder);
    EXPECT_EQ(Rows.index(0, TPackageContentsDialog::cTarget).data().toString(), QStringLiteral("engine.dll"));
    EXPECT_EQ(Rows.index(5, TPackageContentsDialog::cTarget).data().toString(), QStringLiteral("data\\sub\\a.dat"));
    Dialog->Filter()->setText(QStringLiteral("HELPER"));
    EXPECT_EQ(Rows.rowCount(), 2);

    QAccessibleInterface* Table = QAccessible::queryAccessibleInterface(Dialog->View());
    ASSERT_NE(Table, nullptr);
    EXPECT_EQ(Table->text(QAccessible::Name), QStringLiteral("Files the package will hold"));
    Dialog->close();
}

TEST_F(PackageContents, MissingFilesAreMarkedAndLeftOutOfTheTotal)
{
    TData Data;
    Build(Data);
    auto* Nothing = new TSupportFile;
    Nothing->SourceFilePath = QStringLiteral("lib");
    Nothing->SourceFileName = QStringLiteral("*.none");
    Nothing->TargetRelativePath = QStringLiteral("bin");
    Data.CodeModules.Items(0)->SupportFiles.Add(Nothing);
    Data.Drivers.Items(0)->FileName = QStringLiteral("gone.sys");
    // A folder in the place of a file is no file to embed.
    QDir().mkpath(Dir.filePath(QStringLiteral("mod/folder.dll")));
    Data.CodeModules.Items(0)->FileName = QStringLiteral("folder.dll");
    Open(Data);

    TPackageContentsDialog* Dialog = OpenContents();
    std::vector<QString> Missing;
    for (const TPlannedFile& File : Dialog->Files())
        if (File.Missing)
            Missing.push_back(File.Target);
    EXPECT_EQ(Missing, std::vector<QString>({"gone.sys", "folder.dll", "bin\\*.none"}));
    QSortFilterProxyModel& Rows = *Dialog->Proxy();
    ASSERT_EQ(Rows.rowCount(), 7);
    EXPECT_EQ(Rows.index(0, TPackageContentsDialog::cSize).data().toString(), QStringLiteral("Missing"));
    EXPECT_FALSE(Rows.index(0, TPackageContentsDialog::cSize).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(Rows.index(0, TPackageContentsDialog::cTarget).data(Qt::AccessibleDescriptionRole).toString(),
              QStringLiteral("Missing: gone.sys"));
    EXPECT_EQ(Dialog->Total()->text(),
              QStringLiteral("4 files, total 42 bytes; 3 missing: the export would refuse the definition."));
    Dialog->close();
}

} // namespace
