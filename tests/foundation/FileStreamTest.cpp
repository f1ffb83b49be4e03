#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "support/FailingStream.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileStream : public ::testing::Test
{
protected:
    QTemporaryDir Directory;

    QString Path(const QString& Name) const { return Directory.filePath(Name); }

    void Put(const QString& Name, const QByteArray& Data) const
    {
        QFile File(Path(Name));
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Data);
    }

    QByteArray Get(const QString& Name) const
    {
        QFile File(Path(Name));
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("<missing>");
    }

    QStringList Entries() const
    {
        return QDir(Directory.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }
};

struct TOpenCase
{
    const char* Name;
    const char* File; // relative to the temporary directory
    uint32_t Disposition;
    uint32_t Access;
    uint32_t ShareMode;
    const char* Report; // %1 stands for the full path
};

class FileStreamOpen : public FileStream, public ::testing::WithParamInterface<TOpenCase>
{};

TEST_P(FileStreamOpen, RefusesWithTheExactReport)
{
    Put("existing.cpd", "data");
    ASSERT_TRUE(QDir(Directory.path()).mkdir("folder"));
    const TOpenCase& Case = GetParam();
    const QString FileName = Path(Case.File);
    TOleFileStream Stream;
    Stream.Open(Path("existing.cpd"), QOR_OPEN_EXISTING, QOR_GENERIC_READ, 1);
    EXPECT_EQ(ReportOf([&] { Stream.Open(FileName, Case.Disposition, Case.Access, Case.ShareMode); }),
              QString::fromUtf8(Case.Report).replace(QStringLiteral("%1"), FileName));
    EXPECT_FALSE(Stream.IsOpen()) << "a failed open leaves the stream empty";
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    FileStreamOpen,
    ::testing::Values(
        TOpenCase{"UnknownDisposition", "existing.cpd", 1, QOR_GENERIC_READ, 0, "Invalid argument."},
        TOpenCase{"NoAccess", "existing.cpd", QOR_OPEN_EXISTING, 0, 0, "Invalid argument."},
        TOpenCase{"ShareModeOutOfRange",
                  "existing.cpd",
                  QOR_OPEN_EXISTING,
                  QOR_GENERIC_READ,
                  3,
                  "Enumeration out of range. FileShareMode."},
        TOpenCase{
            "Missing", "missing.cpd", QOR_OPEN_EXISTING, QOR_GENERIC_READ, 1, "Error opening file. File name='%1'."},
        TOpenCase{"MissingForWriting",
                  "missing.cpd",
                  QOR_OPEN_EXISTING,
                  QOR_GENERIC_WRITE,
                  0,
                  "Error opening file. File name='%1'."},
        TOpenCase{"Folder", "folder", QOR_OPEN_EXISTING, QOR_GENERIC_READ, 0, "Error opening file. File name='%1'."},
        TOpenCase{"CreateInMissingFolder",
                  "nowhere/new.cpk",
                  QOR_CREATE_ALWAYS,
                  QOR_GENERIC_WRITE,
                  0,
                  "Error creating file. File name='%1'."}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(FileStream, CreatingReplacesTheTargetOnlyAtCommit)
{
    Put("doc.cpd", "old contents");
    {
        TOleFileStream Stream;
        Stream.Open(Path("doc.cpd"), QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
        WriteString(Stream, "abandoned");
    }
    EXPECT_EQ(Get("doc.cpd"), "old contents");
    {
        TOleFileStream Stream;
        Stream.Open(Path("new.cpd"), QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
        WriteString(Stream, "abandoned");
        Stream.Close();
    }
    EXPECT_EQ(Entries(), QStringList{"doc.cpd"}) << "no partial or temporary file is left behind";

    TOleFileStream Stream;
    Stream.Open(Path("doc.cpd"), QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
    WriteString(Stream, "new");
    CommitStream(Stream);
    EXPECT_EQ(Get("doc.cpd"), QByteArray::fromHex("03000000") + "new");
    EXPECT_EQ(Entries(), QStringList{"doc.cpd"});
    uint32_t Count = 1;
    EXPECT_TRUE(Failed(Stream.Write("x", 1, &Count))) << "writing ends with the commit";
    EXPECT_EQ(Count, 0u);
}

TEST_F(FileStream, CreatingAPipeWritesIntoIt)
{
    const QString Pipe = Path("pipe");
    ASSERT_EQ(mkfifo(Pipe.toLocal8Bit().constData(), 0600), 0);
    // Opened for reading first, without waiting, so that opening the writing end does not block.
    const int Reader = ::open(Pipe.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(Reader, 0);
    {
        TOleFileStream Stream;
        Stream.Open(Pipe, QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
        WriteString(Stream, "piped");
        CommitStream(Stream);
    }
    char Buffer[64];
    const ssize_t Got = ::read(Reader, Buffer, sizeof Buffer);
    ::close(Reader);
    EXPECT_EQ(QByteArray(Buffer, int(std::max<ssize_t>(Got, 0))), QByteArray::fromHex("05000000") + "piped");
    EXPECT_EQ(Entries(), QStringList{"pipe"});
    EXPECT_FALSE(QFileInfo(Pipe).isFile()) << "the pipe is not replaced by a file";
}

TEST_F(FileStream, CreatingAWritableFileInAReadOnlyFolderWritesInPlace)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may create files in a read-only folder, so the in-place write is never needed";
    ASSERT_TRUE(QDir(Directory.path()).mkdir("locked"));
    Put("locked/doc.cpd", "old contents");
    const QString Folder = Path("locked");
    ASSERT_EQ(chmod(Folder.toLocal8Bit().constData(), 0555), 0);
    {
        TOleFileStream Stream;
        Stream.Open(Path("locked/doc.cpd"), QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
        WriteString(Stream, "new");
        CommitStream(Stream);
    }
    EXPECT_EQ(Get("locked/doc.cpd"), QByteArray::fromHex("03000000") + "new");
    EXPECT_EQ(
        ReportOf([&] { TOleFileStream().Open(Path("locked/other.cpd"), QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0); }),
        QStringLiteral("Error creating file. File name='%1'.").arg(Path("locked/other.cpd")));
    chmod(Folder.toLocal8Bit().constData(), 0755);
}

TEST_F(FileStream, WritersCanBackPatchAndReadersSeeTheSameBytes)
{
    TOleFileStream Writer;
    Writer.Open(Path("p.cpk"), QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
    const int64_t Block = BeginSizeBlock(Writer);
    const int64_t Count = BeginCountPlaceholder(Writer);
    QStringList Names;
    for (int Index = 0; Index < 3000; ++Index) {
        Names.append(QStringLiteral("name %1").arg(Index));
        WriteString(Writer, Names.last());
    }
    WriteIntegerAt(Writer, int32_t(Names.size()), Count);
    EndSizeBlock(Writer, Block);
    CommitStream(Writer);
    Writer.Close();

    LoadFromFileWith(Path("p.cpk"), 1, [&](IQORStream& Reader) {
        TStreamStat Statistics;
        ASSERT_EQ(Reader.Stat(&Statistics, 0), QOR_S_OK);
        EXPECT_EQ(uint32_t(ReadInteger(Reader)), Statistics.Size - 4);
        ASSERT_EQ(ReadInteger(Reader), Names.size());
        for (const QString& Name : Names)
            ASSERT_EQ(ReadString(Reader), Name);
        EXPECT_EQ(GetRemainingBytes(Reader), 0);
        SetStreamPosition(Reader, 8);
        EXPECT_EQ(ReadString(Reader), "name 0") << "seeking back re-reads through the buffer";
    });
}

TEST_F(FileStream, OpeningExistingForWritingChangesInPlace)
{
    Put("f.bin", "0123456789");
    {
        TOleFileStream Stream;
        Stream.Open(Path("f.bin"), QOR_OPEN_EXISTING, QOR_GENERIC_WRITE, 0);
        SetStreamPosition(Stream, 8);
        Stream.Write("AB", 2, nullptr);
        SetStreamPosition(Stream, 2);
        Stream.Write("xy", 2, nullptr);
    }
    EXPECT_EQ(Get("f.bin"), "01xy4567AB");

    TOleFileStream Stream;
    Stream.Open(Path("f.bin"), QOR_OPEN_EXISTING, QOR_GENERIC_WRITE, 0);
    SetStreamPosition(Stream, std::numeric_limits<int64_t>::max());
    uint32_t Count = 1;
    EXPECT_TRUE(Failed(Stream.Write("z", 1, &Count))) << "a position at the limit cannot take a byte";
    EXPECT_EQ(Count, 0u);
}

TEST_F(FileStream, ALostBufferedWriteFailsTheCommit)
{
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "needs a device that is always full";
    TOleFileStream Stream;
    Stream.Open("/dev/full", QOR_OPEN_EXISTING, QOR_GENERIC_WRITE, 0);
    WriteString(Stream, "held in the buffer until the commit");
    ExpectThrowReport<E_QOR_SavingError>([&] { CommitStream(Stream); });
}

TEST_F(FileStream, EmbeddingAFileCopiesItInChunks)
{
    QByteArray Contents(700 * 1024 + 3, '\0');
    for (int Index = 0; Index < Contents.size(); ++Index)
        Contents[Index] = char(Index * 7 + Index / 251);
    Put("big.dll", Contents);
    TOleFileStream Source;
    Source.Open(Path("big.dll"), QOR_OPEN_EXISTING, QOR_GENERIC_READ, 0);
    TMemoryStream Target;
    WriteStreamWithSize(Target, Source);
    EXPECT_EQ(Target.Data().left(4), QByteArray::fromHex("03f00a00"));
    EXPECT_TRUE(Target.Data().mid(4) == Contents);

    TFailingStream Full(100000);
    EXPECT_EQ(ReportOf([&] { WriteStreamWithSize(Full, Source); }), QStringLiteral("Saving error."));
}

TEST_F(FileStream, LoadFromFileWithNamesTheFileInLoaderErrors)
{
    Put("x.cpd", "");
    const QString Name = Path("x.cpd");
    EXPECT_EQ(ReportOf([&] { LoadFromFileWith(Name, 1, [](IQORStream& S) { ReadInteger(S); }); }),
              QStringLiteral("Loading error. File name='%1'.").arg(Name));
    const QString Missing = Path("missing.cpd");
    EXPECT_EQ(ReportOf([&] { LoadFromFileWith(Missing, 1, [](IQORStream&) {}); }),
              QStringLiteral("Error opening file. File name='%1'.").arg(Missing))
        << "an opening failure is not extended";
}

TEST_F(FileStream, FileTimesOfAFreshFileAreNowInUtc)
{
    Put("fresh.txt", "x");
    const TDateTime Now = DateTimeFromQDateTime(QDateTime::currentDateTimeUtc());
    const TFileTimes Times = GetFileTimes(Path("fresh.txt"));
    const double Minute = 1.0 / (24 * 60);
    EXPECT_NEAR(Times.Created, Now, Minute);
    EXPECT_NEAR(Times.LastAccessed, Now, Minute);
    EXPECT_NEAR(Times.LastWritten, Now, Minute);

    // The creation time is the birth time where the file system keeps one, else the last-write time.
    const QDateTime Written({2020, 1, 2}, {3, 4, 5}, Qt::UTC);
    {
        QFile File(Path("fresh.txt"));
        ASSERT_TRUE(File.open(QIODevice::ReadWrite));
        ASSERT_TRUE(File.setFileTime(Written, QFileDevice::FileModificationTime));
    }
    const TFileTimes Later = GetFileTimes(Path("fresh.txt"));
    EXPECT_NEAR(Later.LastWritten, DateTimeFromQDateTime(Written), 1e-8);
    EXPECT_TRUE(std::fabs(Later.Created - Now) < Minute || Later.Created == Later.LastWritten);

    const QString Missing = Path("missing.txt");
    EXPECT_EQ(ReportOf([&] { GetFileTimes(Missing); }), QStringLiteral("Failed to open file: '%1'.").arg(Missing));
}

} // namespace
