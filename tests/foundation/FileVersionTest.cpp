#include "foundation/FileVersion.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString FixturePath(const char* Name)
{
    return QStringLiteral(QUILLON_TEST_DATA "/typelib/") + QLatin1String(Name);
}

QByteArray ReadFixture(const char* Name)
{
    QFile File(FixturePath(Name));
    EXPECT_TRUE(File.open(QIODevice::ReadOnly)) << Name;
    return File.readAll();
}

struct TVersionCase
{
    const char* File;
    const char* Expected;
};

} // namespace

class FileVersionRead : public testing::TestWithParam<TVersionCase>
{};

TEST_P(FileVersionRead, ReadsFixedFileVersion)
{
    uint16_t Major = 0, Minor = 0, Release = 0, Build = 0;
    ASSERT_TRUE(GetFileVersion(FixturePath(GetParam().File), Major, Minor, Release, Build));
    EXPECT_EQ(QStringLiteral("%1.%2.%3.%4").arg(Major).arg(Minor).arg(Release).arg(Build),
              QLatin1String(GetParam().Expected));
    EXPECT_EQ(GetFileVersionString(FixturePath(GetParam().File)), QLatin1String(GetParam().Expected));
}

// The modules' product version is 9.8.7.6 and must not be taken for the file version.
INSTANTIATE_TEST_SUITE_P(Modules,
                         FileVersionRead,
                         testing::Values(TVersionCase{"fixture32.dll", "1.2.3.4"},
                                         TVersionCase{"fixture64.dll", "1.2.3.4"},
                                         TVersionCase{"fixture64.exe", "1.2.3.4"},
                                         TVersionCase{"versiononly.dll", "65535.0.300.40000"}),
                         [](const testing::TestParamInfo<TVersionCase>& Info) {
                             return SanitisedTestName(QString::fromLatin1(Info.param.File));
                         });

TEST(FileVersionUnknown, FilesWithoutVersionResource)
{
    QTemporaryDir Temp;
    ASSERT_TRUE(Temp.isValid());
    const QString Text = Temp.filePath(QStringLiteral("readme.dll"));
    {
        QFile File(Text);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write("not a module\n");
    }
    const QString Files[] = {
        FixturePath("plain.dll"),
        FixturePath("othertypelib.dll"),
        FixturePath("fixture.tlb"),
        Text,
        Temp.filePath(QStringLiteral("missing.dll")),
        Temp.path(),
    };
    for (const QString& File : Files) {
        uint16_t Major = 7, Minor = 7, Release = 7, Build = 7;
        EXPECT_FALSE(GetFileVersion(File, Major, Minor, Release, Build)) << File.toStdString();
        EXPECT_EQ(Major + Minor + Release + Build, 28) << "outputs changed for " << File.toStdString();
        EXPECT_EQ(GetFileVersionString(File), QStringLiteral("Unknown"));
    }
}

TEST(FileVersionUnknown, DamagedVersionResource)
{
    const QByteArray Module = ReadFixture("fixture64.dll");
    const qsizetype Signature = Module.indexOf(QByteArray::fromHex("bd04effe"));
    ASSERT_GT(Signature, 0);
    const qsizetype Key = Module.indexOf(QByteArray("V\0S\0_\0V", 7));
    ASSERT_GT(Key, 0);

    QByteArray WrongSignature = Module;
    WrongSignature[Signature] = 0;
    QByteArray WrongKey = Module;
    WrongKey[Key] = 'W';
    QByteArray NoFixedInfo = Module;
    NoFixedInfo[Key - 4] = 0; // value length 0: the block carries no fixed file info
    NoFixedInfo[Key - 3] = 0;

    for (const QByteArray& Bytes : {WrongSignature, WrongKey, NoFixedInfo, Module.left(Signature + 20)}) {
        uint16_t Major = 0, Minor = 0, Release = 0, Build = 0;
        EXPECT_FALSE(GetFileVersionFromData(Bytes, Major, Minor, Release, Build));
    }
}
