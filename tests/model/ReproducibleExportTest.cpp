// A reproducible export stamps every time in the package with the export time, so that a fresh
// checkout or a touched file gives the same bytes; an ordinary export keeps each file's own times.

#include "foundation/General.h"
#include "model/Data.h"
#include "model/PackageExport.h"
#include "model/PackageReader.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using SampleDefinitions::AddElement;
using SampleDefinitions::SampleGUID;
using SampleDefinitions::WriteBytesToFile;

const QDateTime Now(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC);
// 2000-01-01 00:00 UTC.
const TDateTime Epoch = 36526.0;

class ReproducibleExport : public ::testing::Test
{
protected:
    QTemporaryDir Directory;
    TData Data;
    const QStringList Sources{"src/driver.dll", "src/module.dll", "src/data/a.txt", "src/data/b.txt"};

    QString Path(const QString& Name) const { return Directory.filePath(Name); }

    void SetUp() override
    {
        SetClockForTesting([] { return Now; });
        SetGUIDGeneratorForTesting([] { return std::optional<TGUID>(SampleGUID(99)); });
        ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("src/data"))));
        for (const QString& Name : Sources)
            WriteBytesToFile(Path(Name), Name.toLatin1());
        Data.ID = SampleGUID(1);
        Data.Name = QStringLiteral("Package");
        auto* Driver = AddElement<TDriver>(Data.Drivers);
        Driver->FilePath = Path(QStringLiteral("src"));
        Driver->FileName = QStringLiteral("driver.dll");
        auto* Module = AddElement<TCodeModule>(Data.CodeModules);
        Module->Location = cmlEmbedded;
        Module->FilePath = Path(QStringLiteral("src"));
        Module->FileName = QStringLiteral("module.dll");
        auto* Support = AddElement<TSupportFile>(Module->SupportFiles);
        Support->SourceFilePath = QStringLiteral("data");
        Support->SourceFileName = QStringLiteral("*.txt");
    }

    void TearDown() override
    {
        SetClockForTesting(nullptr);
        SetGUIDGeneratorForTesting(nullptr);
    }

    // Every source made anew with the same bytes (a fresh checkout) and last written on another day.
    void GiveEverySourceOtherTimes(int Day)
    {
        for (int I = 0; I < Sources.size(); ++I) {
            const QString Name = Path(Sources[I]);
            ASSERT_TRUE(QFile::remove(Name));
            WriteBytesToFile(Name, Sources[I].toLatin1());
            QFile File(Name);
            ASSERT_TRUE(File.open(QIODevice::ReadWrite));
            ASSERT_TRUE(File.setFileTime(Written(Day, I), QFileDevice::FileModificationTime));
        }
    }

    static QDateTime Written(int Day, int Index) { return QDateTime(QDate(2010, 1, Day), QTime(Index, 0), Qt::UTC); }

    QByteArray Export(const TExportStamp& Stamp)
    {
        const QString Target = Path(QStringLiteral("package.cpk"));
        ExportPackageFile(Data, Target, Stamp);
        QFile File(Target);
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
    }

    static TPackageContents Read(const QByteArray& Bytes)
    {
        QByteArray Copy = Bytes;
        QBuffer Buffer(&Copy);
        Buffer.open(QIODevice::ReadOnly);
        return ReadPackage(Buffer);
    }
};

TEST_F(ReproducibleExport, GivesTheSameBytesWhateverTimesTheFilesHave)
{
    const TExportStamp Stamp{true, Epoch};
    GiveEverySourceOtherTimes(1);
    const QByteArray First = Export(Stamp);
    GiveEverySourceOtherTimes(2);
    const QByteArray Second = Export(Stamp);
    EXPECT_TRUE(First == Second) << "the package follows the files' times";

    const TPackageContents Contents = Read(Second);
    EXPECT_EQ(Contents.Header.ExportTime, Epoch);
    EXPECT_NE(Contents.Header.ExportID, SampleGUID(99)) << "the export ID comes from the content";
    ASSERT_EQ(Contents.Files.size(), 4u);
    for (const TPackageEmbeddedFile& File : Contents.Files) {
        SCOPED_TRACE(File.Target.toStdString());
        EXPECT_EQ(File.Created, Epoch);
        EXPECT_EQ(File.LastWritten, Epoch);
    }
}

TEST_F(ReproducibleExport, WithoutTheOptionEveryFileKeepsItsOwnTimes)
{
    GiveEverySourceOtherTimes(1);
    const QByteArray First = Export({});
    GiveEverySourceOtherTimes(2);
    const QByteArray Second = Export({});
    EXPECT_FALSE(First == Second);

    const TPackageContents Contents = Read(Second);
    EXPECT_EQ(Contents.Header.ExportTime, DateTimeFromQDateTime(Now));
    EXPECT_EQ(Contents.Header.ExportID, SampleGUID(99));
    ASSERT_EQ(Contents.Files.size(), 4u);
    for (int I = 0; I < Sources.size(); ++I) {
        SCOPED_TRACE(Sources[I].toStdString());
        EXPECT_EQ(Contents.Files[size_t(I)].LastWritten, DateTimeFromQDateTime(Written(2, I)));
    }
}

} // namespace
