#include "foundation/DiskFileStream.h"
#include "foundation/FileStream.h"
#include "foundation/MemoryStream.h"
#include "foundation/StreamPrimitives.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray Numbered(int Size)
{
    QByteArray Bytes(Size, Qt::Uninitialized);
    for (int I = 0; I < Size; ++I)
        Bytes[I] = char((I * 7 + I / 251) & 0xFF);
    return Bytes;
}

class StreamCopy : public ::testing::TestWithParam<bool>
{
protected:
    QTemporaryDir Directory;

    void TearDown() override { TDiskFileStream::SetKernelCopyEnabled(true); }

    QString Path(const QString& Name) const { return Directory.filePath(Name); }

    QByteArray Get(const QString& Name) const
    {
        QFile File(Path(Name));
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("<missing>");
    }
};

// Bytes copied between buffered writes, from the middle of the source, inside a size block that is
// filled in afterwards: position and size of both streams must stay right whoever copies.
TEST_P(StreamCopy, CopiesBetweenBufferedWritesAndKeepsPositionsAndSizes)
{
    TDiskFileStream::SetKernelCopyEnabled(GetParam());
    const QByteArray Content = Numbered(300 * 1024 + 17);
    {
        QFile File(Path(QStringLiteral("source.bin")));
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        ASSERT_EQ(File.write(Content), Content.size());
    }
    TOleFileStream Source;
    Source.Open(Path(QStringLiteral("source.bin")), QOR_OPEN_EXISTING, QOR_GENERIC_READ, 0);
    TOleFileStream Target;
    Target.Open(Path(QStringLiteral("target.bin")), QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);

    WriteCardinal(Target, 0xAABBCCDD);
    const int64_t Block = BeginSizeBlock(Target);
    WriteInteger(Target, 42);
    // A small read first leaves the source's read window filled and its position mid-file.
    uint8_t First[10] = {};
    uint32_t Got = 0;
    ASSERT_FALSE(Failed(Source.Read(First, sizeof First, &Got)));
    ASSERT_EQ(Got, 10u);
    EXPECT_EQ(CopyStreamBytes(Target, Source, 200 * 1024), 200u * 1024);
    EXPECT_EQ(GetStreamPosition(Source), 10 + 200 * 1024);
    EXPECT_EQ(GetStreamPosition(Target), 12 + 200 * 1024);
    WriteInteger(Target, 43);
    // Past the end of the source: only what is there.
    EXPECT_EQ(CopyStreamBytes(Target, Source, 1024 * 1024), uint64_t(Content.size() - 10 - 200 * 1024));
    EndSizeBlock(Target, Block);
    uint64_t Size = 0;
    ASSERT_FALSE(Failed(Target.Seek(0, STREAM_SEEK_END_, &Size)));
    CommitStream(Target);
    Target.Close();

    QByteArray Expected;
    TMemoryStream Memory;
    WriteCardinal(Memory, 0xAABBCCDD);
    WriteCardinal(Memory, uint32_t(4 + 200 * 1024 + 4 + Content.size() - 10 - 200 * 1024));
    WriteInteger(Memory, 42);
    Expected = Memory.Data() + Content.mid(10, 200 * 1024);
    TMemoryStream Tail;
    WriteInteger(Tail, 43);
    Expected += Tail.Data() + Content.mid(10 + 200 * 1024);
    EXPECT_EQ(Size, uint64_t(Expected.size()));
    EXPECT_TRUE(Get(QStringLiteral("target.bin")) == Expected);
}

INSTANTIATE_TEST_SUITE_P(KernelAndPlain, StreamCopy, ::testing::Bool());

} // namespace
