#include "app/DefinitionLock.h"

#include "app/DiskSnapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class DefinitionFile : public ::testing::Test
{
protected:
    QString Write(const QByteArray& Bytes)
    {
        QFile File(FileName);
        EXPECT_TRUE(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
        File.write(Bytes);
        return FileName;
    }

    QTemporaryDir Dir;
    const QString FileName = Dir.filePath(QStringLiteral("Demo.cpd"));
};

TEST_F(DefinitionFile, OneHolderAtATimeAndTheOtherLearnsWhoAndSinceWhen)
{
    EXPECT_EQ(TDefinitionLock::LockFileName(FileName), Dir.filePath(QStringLiteral(".Demo.cpd.lock")));
    auto First = std::make_unique<TDefinitionLock>(FileName);
    ASSERT_EQ(First->TryLock(), TDefinitionLock::TResult::Locked);
    TDefinitionLock Second(FileName);
    EXPECT_EQ(Second.TryLock(), TDefinitionLock::TResult::HeldByOther);
    EXPECT_FALSE(Second.Locked());
    const TLockOwner Owner = Second.Owner();
    EXPECT_EQ(Owner.Host, QSysInfo::machineHostName());
    EXPECT_FALSE(Owner.User.isEmpty());
    EXPECT_LE(qAbs(Owner.Since.secsTo(QDateTime::currentDateTime())), 60);

    First.reset();
    EXPECT_FALSE(QFile::exists(TDefinitionLock::LockFileName(FileName)));
    EXPECT_EQ(Second.TryLock(), TDefinitionLock::TResult::Locked);
}

TEST_F(DefinitionFile, ALockTakenHoursAgoOnAnotherMachineIsStillHeld)
{
    QFile Lock(TDefinitionLock::LockFileName(FileName));
    ASSERT_TRUE(Lock.open(QIODevice::WriteOnly));
    Lock.write("4242\nquillon\nother-machine\n");
    Lock.flush();
    ASSERT_TRUE(Lock.setFileTime(QDateTime::currentDateTime().addSecs(-5 * 3600), QFileDevice::FileModificationTime));
    Lock.close();
    TDefinitionLock Here(FileName);
    EXPECT_EQ(Here.TryLock(), TDefinitionLock::TResult::HeldByOther);
    EXPECT_EQ(Here.Owner().Host, QStringLiteral("other-machine"));
}

TEST_F(DefinitionFile, ALockOfAProcessThatIsGoneIsTakenOverAndNoFolderMeansNoLock)
{
    // No process has so high a number.
    QFile Lock(TDefinitionLock::LockFileName(FileName));
    ASSERT_TRUE(Lock.open(QIODevice::WriteOnly));
    Lock.write("999999999\nquillon\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    Lock.close();
    TDefinitionLock Taken(FileName);
    EXPECT_EQ(Taken.TryLock(), TDefinitionLock::TResult::Locked);

    TDefinitionLock Nowhere(Dir.filePath(QStringLiteral("missing/Demo.cpd")));
    EXPECT_EQ(Nowhere.TryLock(), TDefinitionLock::TResult::Unavailable);
}

TEST_F(DefinitionFile, OnlyOtherBytesOnDiskAreAChange)
{
    EXPECT_FALSE(TDiskSnapshot().ChangedOnDisk(FileName));
    Write("first version");
    const TDiskSnapshot Loaded = TDiskSnapshot::Take(FileName);
    ASSERT_TRUE(Loaded.Exists());
    EXPECT_FALSE(Loaded.ChangedOnDisk(FileName));

    // Touched: the time differs, the bytes do not.
    QFile File(FileName);
    ASSERT_TRUE(File.open(QIODevice::ReadWrite));
    ASSERT_TRUE(File.setFileTime(QDateTime::currentDateTime().addSecs(120), QFileDevice::FileModificationTime));
    File.close();
    EXPECT_FALSE(Loaded.ChangedOnDisk(FileName));

    // The same size and time with other bytes would slip through; another size or time does not.
    Write("other version");
    ASSERT_TRUE(File.open(QIODevice::ReadWrite));
    ASSERT_TRUE(File.setFileTime(QDateTime::currentDateTime().addSecs(240), QFileDevice::FileModificationTime));
    File.close();
    EXPECT_TRUE(Loaded.ChangedOnDisk(FileName));
    Write("a longer, third version");
    EXPECT_TRUE(Loaded.ChangedOnDisk(FileName));

    // Gone: saving puts it back, there is nothing to ask.
    ASSERT_TRUE(QFile::remove(FileName));
    EXPECT_FALSE(Loaded.ChangedOnDisk(FileName));
}

} // namespace
