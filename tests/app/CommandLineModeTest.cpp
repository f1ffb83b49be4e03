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

TEST_F(CommandLineModeTest, MalformedOrIncompleteCommandLinesFailWithoutExporting)
{
    for (const QStringList& Arguments : {QStringList{"/c", "/fd", "a.cpd"},
                                         QStringList{"a.cpd", "b.cpd"},
                                         QStringList{"/c", "/fd", "a.cpd", "/fp", "b.cpk", "/x"},
                                         QStringList{"Demo.cpd", "/c", "/fd", "a.cpd", "/fp", "b.cpk"},
                                         // A file name that begins with a minus sign is a switch.
                                         QStringList{"/c", "/fd", "-a.cpd", "/fp", "b.cpk"}}) {
        SCOPED_TRACE(Arguments.join(QLatin1Char(' ')).toStdString());
        Seam.Messages.clear();
        EXPECT_EQ(Run(Arguments), TCommandLineModeResult::Failed);
        ExpectOneFailureBox(QStringLiteral("Invalid command line parameters."));
        EXPECT_FALSE(Call.has_value());
    }
}

TEST_F(CommandLineModeTest, WithoutCommandCTheWindowStarts)
{
    for (const QStringList& Arguments : {QStringList{}, QStringList{"Demo.cpd"}, QStringList{"/fd", "a.cpd"}})
        EXPECT_EQ(Run(Arguments), TCommandLineModeResult::Interactive);
    EXPECT_TRUE(Seam.Messages.empty());
    EXPECT_FALSE(Call.has_value());
}

TEST_F(CommandLineModeTest, PassesFilesAndQuietToTheExport)
{
    const struct
    {
        QStringList Arguments;
        bool Quiet;
    } Cases[] = {{{"/c", "/fd", "My Demo.cpd", "/fp", "out/Demo.cpk"}, false},
                 {{"/fp", "out/Demo.cpk", "-q", "/fd", "My Demo.cpd", "/c"}, true},
                 {{"/C", "/FD", "My Demo.cpd", "/Fp", "out/Demo.cpk", "+Q", "", "/x"}, true}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Arguments.join(QLatin1Char(' ')).toStdString());
        Call.reset();
        EXPECT_EQ(Run(Case.Arguments), TCommandLineModeResult::Exported);
        ASSERT_TRUE(Call.has_value());
        EXPECT_EQ(Call->DefinitionFile, QStringLiteral("My Demo.cpd"));
        EXPECT_EQ(Call->PackageFile, QStringLiteral("out/Demo.cpk"));
        EXPECT_EQ(Call->Quiet, Case.Quiet);
    }
    EXPECT_TRUE(Seam.Messages.empty());
}

TEST_F(CommandLineModeTest, ExportFailureIsReportedEvenWhenQuiet)
{
    Failure = [] { throw E_QOR_ErrorOpeningFile(QStringLiteral("File name='a.cpd'")); };
    EXPECT_EQ(Run({"/c", "/fd", "a.cpd", "/fp", "b.cpk", "-q"}), TCommandLineModeResult::Failed);
    ExpectOneFailureBox(QStringLiteral("Error opening file. File name='a.cpd'."));
}

} // namespace
