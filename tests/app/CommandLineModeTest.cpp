#include "app/CommandLineMode.h"

#include "foundation/UserSeam.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct TExportCall
{
    QString DefinitionFile;
    QString PackageFile;
    bool Quiet;
};

class CommandLineModeTest : public ::testing::Test
{
protected:
    TCommandLineModeResult Run(const QStringList& Arguments)
    {
        return RunCommandLineMode(Arguments, [this](const QString& Definition, const QString& Package, bool Quiet) {
            Call = TExportCall{Definition, Package, Quiet};
            if (Failure)
                Failure();
        });
    }

    void ExpectOneFailureBox(const QString& Report)
    {
        ASSERT_EQ(Seam.Messages.size(), 1u);
        EXPECT_EQ(Seam.Messages[0].Text, Report);
        EXPECT_TRUE(Seam.Messages[0].Caption.isEmpty());
        EXPECT_EQ(Seam.Messages[0].Buttons, TMessageButtons::OK);
        EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::Warning);
    }

    TScriptedUserSeam Seam;
    TUserSeamGuard Guard{&Seam};
    std::optional<TExportCall> Call;
    std::function<void()> Failure;
};

class CommandLineModeRejectTest : public CommandLineModeTest, public ::testing::WithParamInterface<QStringList>
{};

TEST_P(CommandLineModeRejectTest, ReportsInvalidParametersWithoutExporting)
{
    EXPECT_EQ(Run(GetParam()), TCommandLineModeResult::Failed);
    ExpectOneFailureBox(QStringLiteral("Invalid command line parameters."));
    EXPECT_FALSE(Call.has_value());
}

INSTANTIATE_TEST_SUITE_P(Table,
                         CommandLineModeRejectTest,
                         ::testing::Values(QStringList{"/c", "/fd", "a.cpd"},
                                           QStringList{"/c", "/fp", "b.cpk"},
                                           QStringList{"a.cpd", "b.cpd"},
                                           QStringList{"/c", "/fd", "a.cpd", "/fp", "b.cpk", "/x"},
                                           QStringList{"/c", "/fd", "a.cpd", "/fp", "b.cpk", "-q", "+v"},
                                           QStringList{"Demo.cpd", "/c", "/fd", "a.cpd", "/fp", "b.cpk"},
                                           // A file name that begins with a minus sign is a switch, so fd is missing.
                                           QStringList{"/c", "/fd", "-a.cpd", "/fp", "b.cpk"},
                                           QStringList{"/c", "/c", "/fd", "a.cpd", "/fp", "b.cpk"}));

class CommandLineModeInteractiveTest : public CommandLineModeTest, public ::testing::WithParamInterface<QStringList>
{};

TEST_P(CommandLineModeInteractiveTest, WithoutCommandCLeavesEverythingToTheWindow)
{
    EXPECT_EQ(Run(GetParam()), TCommandLineModeResult::Interactive);
    EXPECT_TRUE(Seam.Messages.empty());
    EXPECT_FALSE(Call.has_value());
}

INSTANTIATE_TEST_SUITE_P(Table,
                         CommandLineModeInteractiveTest,
                         ::testing::Values(QStringList{},
                                           QStringList{"Demo.cpd"},
                                           QStringList{"/home/me/My Demo.cpd"},
                                           // The window's own check rejects what it does not use.
                                           QStringList{"/fd", "a.cpd"}));

struct TExportCase
{
    QStringList Arguments;
    bool Quiet;
};

class CommandLineModeExportTest : public CommandLineModeTest, public ::testing::WithParamInterface<TExportCase>
{};

TEST_P(CommandLineModeExportTest, PassesFilesAndQuietToTheExport)
{
    EXPECT_EQ(Run(GetParam().Arguments), TCommandLineModeResult::Exported);
    EXPECT_TRUE(Seam.Messages.empty());
    ASSERT_TRUE(Call.has_value());
    EXPECT_EQ(Call->DefinitionFile, QStringLiteral("My Demo.cpd"));
    EXPECT_EQ(Call->PackageFile, QStringLiteral("out/Demo.cpk"));
    EXPECT_EQ(Call->Quiet, GetParam().Quiet);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         CommandLineModeExportTest,
                         ::testing::Values(TExportCase{{"/c", "/fd", "My Demo.cpd", "/fp", "out/Demo.cpk"}, false},
                                           TExportCase{{"/fp", "out/Demo.cpk", "-q", "/fd", "My Demo.cpd", "/c"}, true},
                                           TExportCase{{"/c", "/fd", "My Demo.cpd", "/fp", "out/Demo.cpk", "+q"}, true},
                                           TExportCase{{"/C", "/FD", "My Demo.cpd", "/Fp", "out/Demo.cpk", "+Q"}, true},
                                           TExportCase{{"/c", "/fd", "My Demo.cpd", "/fp", "out/Demo.cpk", "", "/x"},
                                                       false}));

TEST_F(CommandLineModeTest, ExportFailureIsReportedEvenWhenQuiet)
{
    Failure = [] { throw E_QOR_OperationCancelled(); };
    EXPECT_EQ(Run({"/c", "/fd", "a.cpd", "/fp", "b.cpk", "-q"}), TCommandLineModeResult::Failed);
    ExpectOneFailureBox(QStringLiteral("Operation cancelled."));

    Seam.Messages.clear();
    Failure = [] { throw E_QOR_ErrorOpeningFile(QStringLiteral("File name='a.cpd'")); };
    EXPECT_EQ(Run({"/c", "/fd", "a.cpd", "/fp", "b.cpk"}), TCommandLineModeResult::Failed);
    ExpectOneFailureBox(QStringLiteral("Error opening file. File name='a.cpd'."));
}

TEST_F(CommandLineModeTest, UnattendedExportIsHonestlyNotImplementedYet)
{
    EXPECT_EQ(RunCommandLineMode({"/c", "/fd", "a.cpd", "/fp", "b.cpk"}), TCommandLineModeResult::Failed);
    ExpectOneFailureBox(QStringLiteral("Not implemented."));
}

TEST_F(CommandLineModeTest, SuccessMessageKeepsItsWording)
{
    ShowExportSucceeded();
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Text, QStringLiteral("Code package exported successully."));
    EXPECT_EQ(Seam.Messages[0].Caption, QStringLiteral("Success"));
    EXPECT_EQ(Seam.Messages[0].Buttons, TMessageButtons::OK);
}

} // namespace
