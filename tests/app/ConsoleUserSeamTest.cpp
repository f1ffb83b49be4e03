#include "app/ConsoleUserSeam.h"

#include "support/TestSupport.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

const QString BetaQuestion = QStringLiteral("This code package is marked 'Beta software'. Do you want to continue?");

class ConsoleUserSeamTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Output.open(QIODevice::WriteOnly);
        Error.open(QIODevice::WriteOnly);
    }

    // A terminal on which the user types Lines, then ends the input.
    TConsoleUserSeam::TLineReader Terminal(QStringList Lines)
    {
        return [this, Lines]() mutable -> std::optional<QString> {
            ++LinesRead;
            if (Lines.isEmpty())
                return std::nullopt;
            return Lines.takeFirst();
        };
    }

    QString OutputText() const { return QString::fromLocal8Bit(Output.data()); }
    QString ErrorText() const { return QString::fromLocal8Bit(Error.data()); }

    QBuffer Output;
    QBuffer Error;
    int LinesRead = 0;
};

TEST_F(ConsoleUserSeamTest, FailuresGoToErrorAsOneLineAndSuccessToOutput)
{
    TConsoleUserSeam Console(&Output, &Error, nullptr);
    EXPECT_EQ(Console.ShowMessage(nullptr,
                                  QStringLiteral("Export error.\r\nLine two\nLine three."),
                                  QString(),
                                  TMessageButtons::OK,
                                  TMessageIcon::Warning),
              TMessageResult::OK);
    Console.ShowMessage(nullptr,
                        QStringLiteral("Code package exported successully."),
                        QStringLiteral("Success"),
                        TMessageButtons::OK,
                        TMessageIcon::None);
    EXPECT_EQ(ErrorText(), QStringLiteral("Export error. Line two Line three.\n"));
    EXPECT_EQ(OutputText(), QStringLiteral("Code package exported successully.\n"));
}

TEST_F(ConsoleUserSeamTest, WithoutTerminalQuestionsGetTheCautiousAnswer)
{
    TConsoleUserSeam Console(&Output, &Error, nullptr);
    EXPECT_EQ(Console.ShowMessage(nullptr, BetaQuestion, {}, TMessageButtons::YesNoCancel, TMessageIcon::Question),
              TMessageResult::No);
    EXPECT_EQ(Console.ShowMessage(nullptr, BetaQuestion, {}, TMessageButtons::YesNo, TMessageIcon::Question),
              TMessageResult::No);
    EXPECT_EQ(Console.ShowMessage(nullptr, BetaQuestion, {}, TMessageButtons::OKCancel, TMessageIcon::Question),
              TMessageResult::Cancel);
    EXPECT_EQ(ErrorText(), (BetaQuestion + QLatin1Char('\n')).repeated(3));
    EXPECT_TRUE(OutputText().isEmpty());
}

struct TAnswerCase
{
    TMessageButtons Buttons;
    QStringList Typed;
    TMessageResult Expected;
    int LinesRead;
};

class ConsoleAnswerTest : public ConsoleUserSeamTest, public ::testing::WithParamInterface<TAnswerCase>
{};

TEST_P(ConsoleAnswerTest, ReadsTheAnswerAndAsksAgainUntilItFits)
{
    TConsoleUserSeam Console(&Output, &Error, Terminal(GetParam().Typed));
    EXPECT_EQ(Console.ShowMessage(nullptr, BetaQuestion, {}, GetParam().Buttons, TMessageIcon::Question),
              GetParam().Expected);
    EXPECT_EQ(LinesRead, GetParam().LinesRead);
    EXPECT_TRUE((ErrorText() + OutputText()).startsWith(BetaQuestion + QLatin1Char('\n')));
}

INSTANTIATE_TEST_SUITE_P(Table,
                         ConsoleAnswerTest,
                         ::testing::Values(TAnswerCase{TMessageButtons::YesNoCancel, {" Yes "}, TMessageResult::Yes, 1},
                                           TAnswerCase{TMessageButtons::YesNoCancel, {"c"}, TMessageResult::Cancel, 1},
                                           TAnswerCase{
                                               TMessageButtons::YesNoCancel, {"maybe", "", "N"}, TMessageResult::No, 3},
                                           // Cancel is no answer to a yes/no question.
                                           TAnswerCase{TMessageButtons::YesNo, {"cancel", "y"}, TMessageResult::Yes, 2},
                                           TAnswerCase{TMessageButtons::OKCancel, {"ok"}, TMessageResult::OK, 1},
                                           // End of input is a No, never a Yes.
                                           TAnswerCase{TMessageButtons::YesNoCancel, {"?"}, TMessageResult::No, 2},
                                           TAnswerCase{TMessageButtons::OK, {"y"}, TMessageResult::OK, 0}));

TEST_F(ConsoleUserSeamTest, WithDialogsTheConsoleEchoesAndTheDialogAnswers)
{
    TConsoleUserSeam Console(&Output, &Error, Terminal({"y"}));
    TScriptedUserSeam Dialogs;
    Dialogs.Answers.push_back(TMessageResult::Cancel);
    TCommandLineUserSeam Seam(Console, &Dialogs);

    EXPECT_EQ(Seam.ShowMessage(nullptr, BetaQuestion, {}, TMessageButtons::YesNoCancel, TMessageIcon::Question),
              TMessageResult::Cancel);
    Seam.ShowMessage(nullptr, QStringLiteral("Not implemented."), {}, TMessageButtons::OK, TMessageIcon::Warning);

    EXPECT_EQ(LinesRead, 0);
    EXPECT_EQ(ErrorText(), BetaQuestion + QStringLiteral("\nNot implemented.\n"));
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Dialogs.Messages[1].Text, QStringLiteral("Not implemented."));
    EXPECT_EQ(Dialogs.Messages[1].Icon, TMessageIcon::Warning);
}

TEST_F(ConsoleUserSeamTest, WithoutDialogsTheConsoleAsks)
{
    TConsoleUserSeam Console(&Output, &Error, Terminal({"yes"}));
    TCommandLineUserSeam Seam(Console, nullptr);
    EXPECT_EQ(Seam.ShowMessage(nullptr, BetaQuestion, {}, TMessageButtons::YesNoCancel, TMessageIcon::Question),
              TMessageResult::Yes);
    EXPECT_TRUE(Seam.GetSaveFileName({}).isEmpty());
}

} // namespace
