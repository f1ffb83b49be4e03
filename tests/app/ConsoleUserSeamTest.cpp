#include "app/ConsoleUserSeam.h"

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
            return Lines.isEmpty() ? std::nullopt : std::optional<QString>(Lines.takeFirst());
        };
    }

    TMessageResult Ask(IUserSeam& Seam, TMessageButtons Buttons = TMessageButtons::YesNoCancel)
    {
        return Seam.ShowMessage(nullptr, BetaQuestion, {}, Buttons, TMessageIcon::Question);
    }

    QString OutputText() const { return QString::fromLocal8Bit(Output.data()); }
    QString ErrorText() const { return QString::fromLocal8Bit(Error.data()); }

    QBuffer Output;
    QBuffer Error;
    int LinesRead = 0;
};

TEST_F(ConsoleUserSeamTest, WithoutTerminalTextsAreLinesAndQuestionsNeverYes)
{
    TConsoleUserSeam Console(&Output, &Error, nullptr);
    Console.ShowMessage(nullptr,
                        QStringLiteral("Export error.\r\nLine two\nLine three."),
                        {},
                        TMessageButtons::OK,
                        TMessageIcon::Warning);
    EXPECT_EQ(Ask(Console), TMessageResult::No);
    EXPECT_EQ(Ask(Console, TMessageButtons::OKCancel), TMessageResult::Cancel);
    Console.ShowMessage(nullptr,
                        QStringLiteral("Code package exported successully."),
                        QStringLiteral("Success"),
                        TMessageButtons::OK,
                        TMessageIcon::None);
    EXPECT_EQ(ErrorText(),
              QStringLiteral("Export error. Line two Line three.\n") + (BetaQuestion + QLatin1Char('\n')).repeated(2));
    EXPECT_EQ(OutputText(), QStringLiteral("Code package exported successully.\n"));
}

TEST_F(ConsoleUserSeamTest, TerminalAnswersAreReadUntilOneFits)
{
    const struct
    {
        TMessageButtons Buttons;
        QStringList Typed;
        TMessageResult Expected;
        int LinesRead;
    } Cases[] = {{TMessageButtons::YesNoCancel, {" Yes "}, TMessageResult::Yes, 1},
                 {TMessageButtons::YesNoCancel, {"maybe", "", "c"}, TMessageResult::Cancel, 3},
                 // Cancel is no answer to a yes/no question.
                 {TMessageButtons::YesNo, {"cancel", "N"}, TMessageResult::No, 2},
                 // End of input is a No, never a Yes.
                 {TMessageButtons::YesNoCancel, {"?"}, TMessageResult::No, 2}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Typed.join(QLatin1Char('|')).toStdString());
        LinesRead = 0;
        TConsoleUserSeam Console(&Output, &Error, Terminal(Case.Typed));
        EXPECT_EQ(Ask(Console, Case.Buttons), Case.Expected);
        EXPECT_EQ(LinesRead, Case.LinesRead);
    }
}

TEST_F(ConsoleUserSeamTest, WithDialogsTheConsoleOnlyEchoes)
{
    TConsoleUserSeam Console(&Output, &Error, Terminal({"y"}));
    TScriptedUserSeam Dialogs;
    Dialogs.Answers.push_back(TMessageResult::Cancel);
    TCommandLineUserSeam Seam(Console, &Dialogs);

    EXPECT_EQ(Ask(Seam), TMessageResult::Cancel);
    Seam.ShowMessage(nullptr, QStringLiteral("Not implemented."), {}, TMessageButtons::OK, TMessageIcon::Warning);
    EXPECT_EQ(LinesRead, 0);
    EXPECT_EQ(ErrorText(), BetaQuestion + QStringLiteral("\nNot implemented.\n"));
    EXPECT_EQ(Dialogs.Messages.size(), 2u);

    TCommandLineUserSeam ConsoleOnly(Console, nullptr);
    EXPECT_EQ(Ask(ConsoleOnly), TMessageResult::Yes);
}

} // namespace
