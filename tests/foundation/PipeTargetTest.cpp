// A file stream created on a pipe: writers that go back to fill in sizes still work, the reader
// gets the whole file or nothing, and a reader that goes away is a saving error.

#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX

// Two size blocks filled in afterwards, the second holding a write large enough to bypass the
// stream's buffer and more than a pipe holds at once.
void WriteBlocks(IQORStream& Stream)
{
    const int64_t Outer = BeginSizeBlock(Stream);
    WriteString(Stream, "header");
    const int64_t Inner = BeginSizeBlock(Stream);
    const QByteArray Large(300 * 1024, 'x');
    uint32_t Written = 0;
    OleCheck(Stream.Write(Large.constData(), uint32_t(Large.size()), &Written));
    EndSizeBlock(Stream, Inner);
    WriteString(Stream, "trailer");
    EndSizeBlock(Stream, Outer);
}

class PipeTarget : public ::testing::Test
{
protected:
    QTemporaryDir Directory;
    QString Pipe;
    int Reader = -1;

    void SetUp() override
    {
        Pipe = Directory.filePath(QStringLiteral("pipe"));
        ASSERT_EQ(mkfifo(QFile::encodeName(Pipe).constData(), 0600), 0);
        // Opened without waiting, so that the stream's opening of the writing end does not block.
        Reader = ::open(QFile::encodeName(Pipe).constData(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(Reader, 0);
    }

    void TearDown() override
    {
        if (Reader >= 0)
            ::close(Reader);
    }

    // Everything the pipe delivers until its writer closes; call once the writer is open.
    std::thread ReadAll(QByteArray& Into)
    {
        ::fcntl(Reader, F_SETFL, ::fcntl(Reader, F_GETFL) & ~O_NONBLOCK);
        return std::thread([this, &Into] {
            char Buffer[16 * 1024];
            ssize_t Got = 0;
            while ((Got = ::read(Reader, Buffer, sizeof Buffer)) > 0)
                Into.append(Buffer, qsizetype(Got));
        });
    }
};

TEST_F(PipeTarget, ReceivesWhatAFileWouldHoldOnlyAtTheCommit)
{
    const QString Plain = Directory.filePath(QStringLiteral("plain.bin"));
    {
        TOleFileStream Stream;
        Stream.Open(Plain, QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
        WriteBlocks(Stream);
        CommitStream(Stream);
    }
    QFile File(Plain);
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    const QByteArray Expected = File.readAll();

    QByteArray Received;
    TOleFileStream Stream;
    Stream.Open(Pipe, QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
    std::thread Thread = ReadAll(Received);
    try {
        WriteBlocks(Stream);
        CommitStream(Stream);
    } catch (...) {
        ADD_FAILURE() << GetExceptionReport().toStdString();
    }
    Stream.Close();
    Thread.join();
    EXPECT_EQ(Received.size(), Expected.size());
    EXPECT_TRUE(Received == Expected);
    EXPECT_EQ(QDir(Directory.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
              (QStringList{QStringLiteral("pipe"), QStringLiteral("plain.bin")}));
}

TEST_F(PipeTarget, GetsNothingWithoutACommit)
{
    QByteArray Received;
    {
        TOleFileStream Stream;
        Stream.Open(Pipe, QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
        std::thread Thread = ReadAll(Received);
        try {
            WriteBlocks(Stream);
        } catch (...) {
            ADD_FAILURE() << GetExceptionReport().toStdString();
        }
        Stream.Close();
        Thread.join();
    }
    EXPECT_TRUE(Received.isEmpty()) << Received.size() << " bytes of an unfinished file reached the pipe";
}

TEST_F(PipeTarget, AReaderThatWentAwayFailsTheCommit)
{
    TOleFileStream Stream;
    Stream.Open(Pipe, QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
    ::close(Reader);
    Reader = -1;
    WriteBlocks(Stream);
    // Without the pipe's signal held off, the process would end here.
    ExpectThrowReport<E_QOR_SavingError>([&] { CommitStream(Stream); });
}

#endif

} // namespace
