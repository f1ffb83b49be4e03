#include "foundation/FileSystem.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

struct TWildcardCase
{
    const char* Pattern;
    const char* Name;
    bool Matches;
};

void PrintTo(const TWildcardCase& Case, std::ostream* Stream)
{
    *Stream << '"' << Case.Pattern << "\" vs \"" << Case.Name << '"';
}

class Wildcard : public ::testing::TestWithParam<TWildcardCase>
{};

TEST_P(Wildcard, MatchesAsTheSearchDoes)
{
    EXPECT_EQ(MatchesWildcard(QString::fromUtf8(GetParam().Pattern), QString::fromUtf8(GetParam().Name)),
              GetParam().Matches);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         Wildcard,
                         ::testing::Values(TWildcardCase{"*.txt", "notes.txt", true},
                                           TWildcardCase{"*.txt", "NOTES.TXT", true},
                                           TWildcardCase{"Notes.TXT", "notes.txt", true},
                                           TWildcardCase{"*.txt", "notes.txt.bak", false},
                                           TWildcardCase{"*.*", "README", true},
                                           TWildcardCase{"*.*", "a.b.c", true},
                                           TWildcardCase{"read*.*", "readme", true},
                                           TWildcardCase{"*.", "README", true},
                                           TWildcardCase{"*.", "read.me", false},
                                           TWildcardCase{"helper?.dll", "helper1.dll", true},
                                           TWildcardCase{"helper?.dll", "helper12.dll", false},
                                           TWildcardCase{"helper?.dll", "helper.dll", false},
                                           TWildcardCase{"a*b*c", "aXbYbZc", true},
                                           TWildcardCase{"a*b*c", "aXbYbZ", false},
                                           TWildcardCase{"*", "anything", true},
                                           TWildcardCase{"ÄBC*", "äbc.txt", true},
                                           // Many stars against a long name must not take exponential time.
                                           TWildcardCase{"*a*a*a*a*a*a*a*a*a*a*a*b",
                                                         "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
                                                         false}),
                         [](const ::testing::TestParamInfo<TWildcardCase>& Info) {
                             // The wildcards spelt out, or "*." and "*.*" would name alike.
                             QString Pattern = QString::fromUtf8(Info.param.Pattern);
                             Pattern.replace(u'*', QStringLiteral(" Star "))
                                 .replace(u'?', QStringLiteral(" Any "))
                                 .replace(u'.', QStringLiteral(" Dot "));
                             return SanitisedTestName(Pattern) + "_vs_" +
                                    SanitisedTestName(QString::fromUtf8(Info.param.Name));
                         });

class FileSearch : public ::testing::Test
{
protected:
    QTemporaryDir Directory;

    QString Path(const QString& Name) const { return Directory.filePath(Name); }

    void Put(const QString& Name) const
    {
        QFile File(Path(Name));
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write("x");
    }

    void SetUp() override
    {
        ASSERT_TRUE(Directory.isValid());
        for (const char* Name : {"b.txt", "A.txt", "c.TXT", "a.txt", "README", ".hidden.txt", "sub/inner.txt"}) {
            if (QString::fromUtf8(Name).contains(QLatin1Char('/')))
                ASSERT_TRUE(QDir(Directory.path()).mkpath(QStringLiteral("sub")));
            Put(QString::fromUtf8(Name));
        }
        // Neither a folder, a pipe nor a link to nothing is a file; a link to a file is one.
        ASSERT_TRUE(QDir(Directory.path()).mkdir(QStringLiteral("folder.txt")));
        ASSERT_EQ(mkfifo(Path(QStringLiteral("pipe.txt")).toLocal8Bit().constData(), 0600), 0);
        ASSERT_TRUE(QFile::link(Path(QStringLiteral("gone")), Path(QStringLiteral("broken.txt"))));
        ASSERT_TRUE(QFile::link(Path(QStringLiteral("b.txt")), Path(QStringLiteral("linked.txt"))));
    }
};

TEST_F(FileSearch, MatchesOnlyVisibleFilesInFileNameOrder)
{
    EXPECT_EQ(FindMatchingFiles(Path(QStringLiteral("*.txt"))),
              QStringList({"A.txt", "a.txt", "b.txt", "c.TXT", "linked.txt"}));
    EXPECT_EQ(FindMatchingFiles(Path(QStringLiteral("*.*"))),
              QStringList({"A.txt", "a.txt", "b.txt", "c.TXT", "linked.txt", "README"}));
    EXPECT_EQ(FindMatchingFiles(Path(QStringLiteral("readme"))), QStringList({"README"}));
    EXPECT_EQ(FindMatchingFiles(Path(QStringLiteral("sub/*"))), QStringList({"inner.txt"}));
}

TEST_F(FileSearch, AcceptsBackslashesAndFindsNothingWhereNothingIs)
{
    EXPECT_EQ(FindMatchingFiles(Directory.path() + QStringLiteral("\\sub\\*.TXT")), QStringList({"inner.txt"}));
    EXPECT_TRUE(FindMatchingFiles(Path(QStringLiteral("*.dat"))).isEmpty());
    EXPECT_TRUE(FindMatchingFiles(Path(QStringLiteral("missing/*.*"))).isEmpty());
    EXPECT_TRUE(FindMatchingFiles(Path(QStringLiteral("folder.txt"))).isEmpty());
    EXPECT_TRUE(FindMatchingFiles(Path(QStringLiteral("sub/"))).isEmpty());
}

TEST_F(FileSearch, ExistenceIsForFilesOnly)
{
    EXPECT_TRUE(FileExists(Path(QStringLiteral("b.txt"))));
    EXPECT_TRUE(FileExists(Path(QStringLiteral(".hidden.txt"))));
    EXPECT_TRUE(FileExists(Directory.path() + QStringLiteral("\\sub\\inner.txt")));
    EXPECT_FALSE(FileExists(Path(QStringLiteral("folder.txt"))));
    EXPECT_FALSE(FileExists(Path(QStringLiteral("missing.txt"))));
    EXPECT_FALSE(FileExists(QString()));
}

} // namespace
