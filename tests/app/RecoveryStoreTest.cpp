#include "app/RecoveryStore.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TRecoveryRecord Record(const QString& Name, int MinutesAgo)
{
    TRecoveryRecord Record;
    Record.OriginalFileName = Name;
    Record.Changed = QDateTime::currentDateTimeUtc().addSecs(-60 * MinutesAgo);
    Record.WriterPid = 4242;
    Record.WriterHost = QStringLiteral("desk");
    Record.Definition = Name.toUtf8() + QByteArray(64, 'x');
    return Record;
}

class RecoveryStore : public ::testing::Test
{
protected:
    QString Folder() const { return Dir.filePath(QStringLiteral("Recovery")); }
    QStringList Files() const { return QDir(Folder()).entryList(QDir::Files | QDir::Hidden); }

    // A copy left by a session that is not running: no lock names it.
    QString WriteOrphan(const QString& Id, const TRecoveryRecord& Orphan)
    {
        QDir().mkpath(Folder());
        const QString FileName = QDir(Folder()).filePath(Id + QStringLiteral(".recovery"));
        QFile File(FileName);
        EXPECT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(TRecoveryStore::Encode(Orphan));
        return FileName;
    }

    QTemporaryDir Dir;
};

TEST_F(RecoveryStore, EncodedRecordsReadBackAndDamagedOnesAreRefused)
{
    TRecoveryRecord Written = Record(QStringLiteral("D:\\Packages\\Demo.cpd"), 3);
    const QByteArray Bytes = TRecoveryStore::Encode(Written);
    TRecoveryRecord Read;
    ASSERT_TRUE(TRecoveryStore::Decode(Bytes, Read));
    EXPECT_EQ(Read.OriginalFileName, Written.OriginalFileName);
    EXPECT_EQ(Read.Changed, Written.Changed);
    EXPECT_EQ(Read.WriterPid, 4242);
    EXPECT_EQ(Read.WriterHost, QStringLiteral("desk"));
    EXPECT_EQ(Read.Definition, Written.Definition);

    // Every cut, a trailing byte, another layout and a claimed length past the end.
    for (qsizetype Length = 0; Length < Bytes.size(); ++Length)
        EXPECT_FALSE(TRecoveryStore::Decode(Bytes.left(Length), Read)) << Length;
    EXPECT_FALSE(TRecoveryStore::Decode(Bytes + '\0', Read));
    QByteArray Layout = Bytes;
    Layout[5] = 2;
    EXPECT_FALSE(TRecoveryStore::Decode(Layout, Read));
    QByteArray Huge = Bytes;
    Huge.replace(Huge.size() - Written.Definition.size() - 4, 4, QByteArray("\x7f\xff\xff\xf0", 4));
    EXPECT_FALSE(TRecoveryStore::Decode(Huge, Read));
    EXPECT_EQ(Read.Definition, Written.Definition);
}

TEST_F(RecoveryStore, NothingIsCreatedUntilAWriteAndTheNewestWriteWins)
{
    {
        TRecoveryStore Store(Folder());
        Store.Remove();
        Store.Flush();
        EXPECT_FALSE(QDir(Folder()).exists());
        EXPECT_TRUE(Store.ClaimOrphans().empty());
    }
    TRecoveryStore Store(Folder());
    for (int I = 0; I < 20; ++I)
        Store.Write(Record(QStringLiteral("take %1").arg(I), 0));
    Store.Flush();
    EXPECT_FALSE(Store.WriteFailed());
    QFile File(Store.FileName());
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    TRecoveryRecord Read;
    ASSERT_TRUE(TRecoveryStore::Decode(File.readAll(), Read));
    EXPECT_EQ(Read.OriginalFileName, QStringLiteral("take 19"));
    // The copy and the session's lock; no temporary file is left behind.
    EXPECT_EQ(Files().size(), 2);
    Store.Remove();
    Store.Flush();
    EXPECT_FALSE(QFile::exists(Store.FileName()));
}

TEST_F(RecoveryStore, OnlyCopiesOfSessionsThatEndedAreClaimedNewestFirstAndOnce)
{
    TRecoveryStore Running(Folder());
    Running.Write(Record(QStringLiteral("running"), 0));
    Running.Flush();
    WriteOrphan(QStringLiteral("old"), Record(QStringLiteral("old"), 30));
    WriteOrphan(QStringLiteral("new"), Record(QStringLiteral("new"), 1));
    QFile::resize(WriteOrphan(QStringLiteral("damaged"), Record(QStringLiteral("damaged"), 2)), 10);

    TRecoveryStore Starting(Folder());
    std::vector<TRecoveryStore::TOrphan> Orphans = Starting.ClaimOrphans();
    ASSERT_EQ(Orphans.size(), 2u);
    EXPECT_EQ(Orphans[0].Record.OriginalFileName, QStringLiteral("new"));
    EXPECT_EQ(Orphans[1].Record.OriginalFileName, QStringLiteral("old"));
    // Claimed: a third Quillon starting meanwhile does not offer them again.
    EXPECT_TRUE(TRecoveryStore(Folder()).ClaimOrphans().empty());

    Starting.Discard(Orphans[0]);
    Starting.SetAside(Orphans[1]);
    Starting.ReleaseClaims();
    EXPECT_FALSE(QFile::exists(Orphans[0].FileName));
    EXPECT_TRUE(QFile::exists(Orphans[1].FileName + QStringLiteral(".damaged")));
    EXPECT_TRUE(QFile::exists(Running.FileName()));
    EXPECT_TRUE(TRecoveryStore(Folder()).ClaimOrphans().empty());
}

TEST_F(RecoveryStore, ASessionThatEndsWithItsCopyLeavesAnOrphanAndItsLockIsTidiedAway)
{
    QString Copy;
    {
        TRecoveryStore Ended(Folder());
        Ended.Write(Record(QStringLiteral("left behind"), 0));
        Copy = Ended.FileName();
    }
    // A crashed session that had nothing unsaved leaves only its lock, which names a process gone.
    QFile Stale(QDir(Folder()).filePath(QStringLiteral("crashed.lock")));
    ASSERT_TRUE(Stale.open(QIODevice::WriteOnly));
    Stale.write("999999999\nquillon\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    Stale.close();

    TRecoveryStore Starting(Folder());
    const std::vector<TRecoveryStore::TOrphan> Orphans = Starting.ClaimOrphans();
    ASSERT_EQ(Orphans.size(), 1u);
    EXPECT_EQ(Orphans[0].FileName, Copy);
    EXPECT_FALSE(Stale.exists());
}

} // namespace
