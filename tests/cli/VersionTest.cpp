// One version everywhere: the four numbers the build stamps, and quillon-cli's long form of them.

#include "QuillonVersion.h"
#include "cli/BuildInfo.h"
#include "cli/CliTestSupport.h"
#include "foundation/General.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

TEST(Version, IsFourFileVersionWordsFromTheBuild)
{
    const QStringList Parts = ProgramVersion().split(QLatin1Char('.'));
    ASSERT_EQ(Parts.size(), 4) << ProgramVersion().toStdString();
    const unsigned Stamped[] = {
        QUILLON_VERSION_MAJOR, QUILLON_VERSION_MINOR, QUILLON_VERSION_RELEASE, QUILLON_VERSION_BUILD};
    for (int I = 0; I < 4; ++I) {
        bool Ok = false;
        const unsigned Number = Parts[I].toUInt(&Ok);
        EXPECT_TRUE(Ok && Parts[I] == QString::number(Number)) << Parts[I].toStdString();
        EXPECT_LE(Number, 65535u);
        EXPECT_EQ(Number, Stamped[I]);
    }
}

// The long form adds the commit of a git checkout and leaves the four numbers alone.
TEST(Version, CliPrintsTheFourNumbersAndTheCommitOfACheckout)
{
    const TCliRun Run = RunCliWith({QStringLiteral("--version")});
    EXPECT_EQ(Run.ExitCode, 0);
    EXPECT_TRUE(Run.Err.isEmpty());
    const QRegularExpression Form(
        QStringLiteral(R"(^quillon-cli (\d+\.\d+\.\d+\.\d+)(?: \(git ([0-9a-f]{7,40}(?:, modified)?)\))?\n$)"));
    const auto Match = Form.match(Run.Out);
    ASSERT_TRUE(Match.hasMatch()) << Run.Out.toStdString();
    EXPECT_EQ(Match.captured(1), ProgramVersion());
    EXPECT_EQ(Match.captured(2), BuildCommit());

    if (QFileInfo::exists(QStringLiteral(QUILLON_TEST_DATA "/../../.git"))) {
        EXPECT_FALSE(BuildCommit().isEmpty()) << "a build of a git checkout knows its commit";
    }
}

} // namespace
