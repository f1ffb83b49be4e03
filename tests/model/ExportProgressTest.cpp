#include "foundation/DiskFileStream.h"
#include "foundation/General.h"
#include "model/Data.h"
#include "model/PackageExport.h"
#include "samples/SampleDefinitions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

using SampleDefinitions::AddElement;
using SampleDefinitions::SampleGUID;

struct TReport
{
    uint64_t Done;
    uint64_t Total;
    QString File;
};

// A package that embeds a driver, a module file and three support files, one of them large enough
// to be copied in several chunks, with a previous package already in the target folder.
class ExportProgress : public ::testing::Test
{
protected:
    QTemporaryDir Directory;
    TData Data;
    const QByteArray Previous = QByteArray("the previous package");
    uint64_t FileBytes = 0;

    QString Path(const QString& Name) const { return Directory.filePath(Name); }
    QString Target() const { return Path(QStringLiteral("out/package.cpk")); }

    void SetUp() override
    {
        SetClockForTesting([] { return QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC); });
        SetGUIDGeneratorForTesting([] { return std::optional<TGUID>(SampleGUID(77)); });
        ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("out"))));
        ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("module/data"))));
        Put(QStringLiteral("driver.sys"), Pattern(3000, 1));
        Put(QStringLiteral("module/module.dll"), Pattern(70000, 2));
        Put(QStringLiteral("module/data/a.bin"), Pattern(20 * 1024 * 1024 + 123, 3));
        Put(QStringLiteral("module/data/b.bin"), QByteArray());
        Put(QStringLiteral("module/data/c.bin"), Pattern(5, 4));
        Put(QStringLiteral("out/package.cpk"), Previous);
        FileBytes -= uint64_t(Previous.size());

        Data.ID = SampleGUID(1);
        Data.Name = QStringLiteral("P");
        auto* Driver = AddElement<TDriver>(Data.Drivers);
        Driver->ID = SampleGUID(2);
        Driver->FilePath = Directory.path();
        Driver->FileName = QStringLiteral("driver.sys");
        auto* Module = AddElement<TCodeModule>(Data.CodeModules);
        Module->ID = SampleGUID(3);
        Module->Location = cmlEmbedded;
        Module->FilePath = Path(QStringLiteral("module"));
        Module->FileName = QStringLiteral("module.dll");
        auto* Support = AddElement<TSupportFile>(Module->SupportFiles);
        Support->SourceFilePath = QStringLiteral("data");
        Support->SourceFileName = QStringLiteral("*.bin");
    }

    void TearDown() override
    {
        TDiskFileStream::SetKernelCopyEnabled(true);
        SetClockForTesting(nullptr);
        SetGUIDGeneratorForTesting(nullptr);
    }

    static QByteArray Pattern(int Size, int Seed)
    {
        QByteArray Bytes(Size, Qt::Uninitialized);
        uint32_t State = 2654435761u * uint32_t(Seed);
        for (char& Byte : Bytes) {
            State = State * 1664525u + 1013904223u;
            Byte = char(State >> 24);
        }
        return Bytes;
    }

    void Put(const QString& Name, const QByteArray& Content)
    {
        QFile File(Path(Name));
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        ASSERT_EQ(File.write(Content), Content.size());
        FileBytes += uint64_t(Content.size());
    }

    QByteArray Read(const QString& Name) const
    {
        QFile File(Name);
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("<missing>");
    }

    QStringList OutFolder() const
    {
        return QDir(Path(QStringLiteral("out"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

TEST_F(ExportProgress, ReportsEveryEmbeddedFileAndEndsAtTheTotal)
{
    std::vector<TReport> Reports;
    TExportProgress Progress;
    Progress.Report = [&](uint64_t Done, uint64_t Total, const QString& File) {
        Reports.push_back({Done, Total, File});
    };
    ExportPackageFile(Data, Target(), TExportStamp(), &Progress);

    ASSERT_FALSE(Reports.empty());
    QStringList Files;
    for (size_t I = 0; I < Reports.size(); ++I) {
        EXPECT_EQ(Reports[I].Total, FileBytes);
        if (I > 0) {
            EXPECT_GE(Reports[I].Done, Reports[I - 1].Done);
        }
        const QString Name = QFileInfo(Reports[I].File).fileName();
        if (!Name.isEmpty() && !Files.contains(Name))
            Files << Name;
    }
    EXPECT_EQ(Files,
              QStringList({QStringLiteral("driver.sys"),
                           QStringLiteral("module.dll"),
                           QStringLiteral("a.bin"),
                           QStringLiteral("b.bin"),
                           QStringLiteral("c.bin")}));
    // The large file is seen while it is copied, not only when it is done.
    EXPECT_GE(std::count_if(Reports.begin(), Reports.end(), [](const TReport& R) { return R.File.endsWith("a.bin"); }),
              3);
    EXPECT_EQ(Reports.back().Done, FileBytes);
    EXPECT_TRUE(Reports.back().File.isEmpty());
    EXPECT_GT(uint64_t(QFileInfo(Target()).size()), FileBytes);
}

TEST_F(ExportProgress, CancelKeepsThePreviousPackageAndLeavesNoTemporaryFile)
{
    const QStringList Before = OutFolder();
    // Cancelled in the middle of the large file.
    std::atomic<bool> Cancel{false};
    uint64_t LastDone = 0;
    TExportProgress Progress;
    Progress.Cancel = &Cancel;
    Progress.Report = [&](uint64_t Done, uint64_t, const QString& File) {
        LastDone = Done;
        if (File.endsWith(QStringLiteral("a.bin")) && Done > 4 * 1024 * 1024)
            Cancel = true;
    };
    EXPECT_THROW(ExportPackageFile(Data, Target(), TExportStamp(), &Progress), E_APP_ExportCancelled);
    EXPECT_LT(LastDone, FileBytes);
    EXPECT_EQ(Read(Target()), Previous);
    EXPECT_EQ(OutFolder(), Before);
}

TEST_F(ExportProgress, KernelCopyWritesTheSameBytesAsReadingAndWriting)
{
    Data.ExportToFile(Target());
    const QByteArray WithKernel = Read(Target());
    TDiskFileStream::SetKernelCopyEnabled(false);
    Data.ExportToFile(Target());
    const QByteArray Plain = Read(Target());
    EXPECT_EQ(WithKernel.size(), Plain.size());
    EXPECT_TRUE(WithKernel == Plain);
    // The large file sits in the package whole.
    EXPECT_TRUE(WithKernel.contains(Pattern(20 * 1024 * 1024 + 123, 3)));
}

} // namespace
