#include "app/CommandLine.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// The parsed elements in order, e.g. "first=Demo.cpd cmd:c val:fd=a.cpd sw:q+".
QString Describe(const TCommandLine& CommandLine)
{
    QStringList Parts;
    if (!CommandLine.FirstArgument().isEmpty())
        Parts << QStringLiteral("first=") + CommandLine.FirstArgument();
    for (int32_t Index = 0; Index < CommandLine.Commands().Count(); ++Index)
        Parts << QStringLiteral("cmd:") + CommandLine.Commands().Command(Index)->Name();
    for (int32_t Index = 0; Index < CommandLine.Values().Count(); ++Index) {
        const TValue* Value = CommandLine.Values().Value(Index);
        Parts << QStringLiteral("val:%1=%2").arg(Value->Name(), Value->Value());
    }
    for (int32_t Index = 0; Index < CommandLine.Switches().Count(); ++Index) {
        const TSwitch* Switch = CommandLine.Switches().Switch(Index);
        Parts << QStringLiteral("sw:%1%2").arg(Switch->Name(), Switch->State() ? u"+" : u"-");
    }
    return Parts.join(QLatin1Char(' '));
}

struct TParseCase
{
    QStringList Arguments;
    QString Expected;
};

void PrintTo(const TParseCase& Case, std::ostream* Stream)
{
    *Stream << Case.Arguments.join(QLatin1Char(' ')).toStdString();
}

class CommandLineParseTest : public ::testing::TestWithParam<TParseCase>
{};

TEST_P(CommandLineParseTest, SplitsIntoElements)
{
    const TCommandLine CommandLine(GetParam().Arguments, false);
    EXPECT_EQ(Describe(CommandLine), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         CommandLineParseTest,
                         ::testing::Values(TParseCase{{}, ""},
                                           TParseCase{{"Demo.cpd"}, "first=Demo.cpd"},
                                           TParseCase{{"/c", "/fd", "a.cpd"}, "cmd:c val:fd=a.cpd"},
                                           TParseCase{{"/c", "/fd"}, "cmd:c cmd:fd"},
                                           TParseCase{{"/fd", "C:\\My Files\\a b.cpd", "-q"},
                                                      "val:fd=C:\\My Files\\a b.cpd sw:q-"},
                                           TParseCase{{"-q", "+q"}, "sw:q+"},
                                           // A later sign wins even when the case differs; the first spelling stays.
                                           TParseCase{{"+Q", "-q"}, "sw:Q-"},
                                           TParseCase{{"/x", "/x"}, "cmd:x cmd:x"},
                                           // A value can never begin with -, + or /.
                                           TParseCase{{"/fd", "-a.cpd"}, "cmd:fd sw:a.cpd-"},
                                           TParseCase{{"/fd", "+q", "/fp", "/c"}, "cmd:fd cmd:fp cmd:c sw:q+"},
                                           TParseCase{{"-"}, "sw:-"},
                                           TParseCase{{"/"}, "cmd:"},
                                           // An empty argument ends the list.
                                           TParseCase{{"/c", "", "b.cpd", "c.cpd"}, "cmd:c"},
                                           TParseCase{{"", "/c"}, ""}
#ifndef Q_OS_WIN
                                           ,
                                           // POSIX absolute paths are arguments, not element names.
                                           TParseCase{{"/c", "/fd", "/home/me/Demo.cpd", "/fp", "/tmp/Demo.cpk"},
                                                      "cmd:c val:fd=/home/me/Demo.cpd val:fp=/tmp/Demo.cpk"},
                                           TParseCase{{"/home/me/Demo.cpd"}, "first=/home/me/Demo.cpd"},
                                           TParseCase{{"/Demo.cpd", "-q"}, "first=/Demo.cpd sw:q-"}
#endif
                                           ));

class CommandLineMalformedTest : public ::testing::TestWithParam<QStringList>
{};

TEST_P(CommandLineMalformedTest, PlainArgumentAfterFirstRaises)
{
    EXPECT_EQ(ExpectThrowReport<E_QOR_InvalidCommandLineParameters>([] { TCommandLine(GetParam(), false); }),
              QStringLiteral("Invalid command line parameters."));
}

INSTANTIATE_TEST_SUITE_P(Table,
                         CommandLineMalformedTest,
                         ::testing::Values(QStringList{"Demo.cpd", "Other.cpd"},
                                           QStringList{"-q", "Demo.cpd"},
                                           QStringList{"/c", "a.cpd", "b.cpd"},
                                           QStringList{"/fd", "a.cpd", "b.cpd"}));

class CommandLineLookupTest : public ::testing::Test
{
protected:
    static void ExpectUnusedRejected(const TCommandLine& CommandLine)
    {
        EXPECT_EQ(ExpectThrowReport<E_QOR_InvalidCommandLineParameters>([&] { CommandLine.CheckAllUsed(); }),
                  QStringLiteral("Invalid command line parameters."));
    }
};

TEST_F(CommandLineLookupTest, EverythingLookedUpPasses)
{
    TCommandLine Empty(QStringList{}, false);
    EXPECT_NO_THROW(Empty.CheckAllUsed());

    TCommandLine CommandLine(QStringList{"/c", "/fd", "a.cpd", "+q"}, false);
    ExpectUnusedRejected(CommandLine);
    EXPECT_TRUE(CommandLine.Commands().Contains(QStringLiteral("c")));
    ExpectUnusedRejected(CommandLine);
    QString Value;
    EXPECT_TRUE(CommandLine.Values().GetValue(QStringLiteral("fd"), Value));
    EXPECT_EQ(Value, QStringLiteral("a.cpd"));
    ExpectUnusedRejected(CommandLine);
    bool State = false;
    EXPECT_TRUE(CommandLine.Switches().GetSwitch(QStringLiteral("q"), State));
    EXPECT_TRUE(State);
    EXPECT_NO_THROW(CommandLine.CheckAllUsed());
}

TEST_F(CommandLineLookupTest, FirstArgumentMustBeFetched)
{
    TCommandLine CommandLine(QStringList{"Demo.cpd"}, false);
    ExpectUnusedRejected(CommandLine);
    QString First;
    EXPECT_TRUE(CommandLine.GetFirstArgument(First));
    EXPECT_EQ(First, QStringLiteral("Demo.cpd"));
    EXPECT_NO_THROW(CommandLine.CheckAllUsed());

    TCommandLine NoFirst(QStringList{"-q"}, false);
    EXPECT_FALSE(NoFirst.GetFirstArgument(First));
    EXPECT_TRUE(First.isEmpty());
}

TEST_F(CommandLineLookupTest, MissingNamesAreNotFoundAndMarkNothing)
{
    TCommandLine CommandLine(QStringList{"/fd", "a.cpd"}, false);
    QString Value = QStringLiteral("unchanged");
    bool State = true;
    EXPECT_FALSE(CommandLine.Commands().Contains(QStringLiteral("fd")));
    EXPECT_FALSE(CommandLine.Values().GetValue(QStringLiteral("fp"), Value));
    EXPECT_FALSE(CommandLine.Switches().GetSwitch(QStringLiteral("fd"), State));
    EXPECT_EQ(Value, QStringLiteral("unchanged"));
    ExpectUnusedRejected(CommandLine);
}

TEST_F(CommandLineLookupTest, DuplicateCommandsAndValuesLeaveTheSecondUnused)
{
    TCommandLine Commands(QStringList{"/x", "/X"}, false);
    EXPECT_TRUE(Commands.Commands().Contains(QStringLiteral("x")));
    EXPECT_TRUE(Commands.Commands().Contains(QStringLiteral("x")));
    ExpectUnusedRejected(Commands);

    TCommandLine Values(QStringList{"/fd", "a.cpd", "/fd", "b.cpd"}, false);
    QString Value;
    EXPECT_TRUE(Values.Values().GetValue(QStringLiteral("fd"), Value));
    EXPECT_EQ(Value, QStringLiteral("a.cpd"));
    ExpectUnusedRejected(Values);
}

TEST_F(CommandLineLookupTest, CaseSensitivityFollowsCreation)
{
    TCommandLine Insensitive(QStringList{"/C", "/FD", "a.cpd", "/Äx"}, false);
    QString Value;
    EXPECT_TRUE(Insensitive.Commands().Contains(QStringLiteral("c")));
    EXPECT_TRUE(Insensitive.Values().GetValue(QStringLiteral("fd"), Value));
    EXPECT_TRUE(Insensitive.Commands().Contains(QStringLiteral("äX")));
    // Letters that differ by more than case still differ.
    EXPECT_FALSE(Insensitive.Commands().Contains(QStringLiteral("ax")));
    EXPECT_FALSE(Insensitive.Commands().Contains(QStringLiteral("cc")));

    TCommandLine Sensitive(QStringList{"/C"}, true);
    EXPECT_FALSE(Sensitive.Commands().Contains(QStringLiteral("c")));
    EXPECT_TRUE(Sensitive.Commands().Contains(QStringLiteral("C")));
}

TEST_F(CommandLineLookupTest, BadlyFormedLookupNamesRaiseInvalidArg)
{
    TCommandLine CommandLine(QStringList{"-"}, false);
    QString Value;
    bool State = false;
    const QString Expected = QStringLiteral("Invalid argument.");
    EXPECT_EQ(ExpectThrowReport<E_QOR_InvalidArg>([&] { CommandLine.Commands().Contains(QString()); }), Expected);
    EXPECT_EQ(ExpectThrowReport<E_QOR_InvalidArg>([&] { CommandLine.Values().GetValue(QString(), Value); }), Expected);
    EXPECT_EQ(ExpectThrowReport<E_QOR_InvalidArg>([&] { CommandLine.Switches().GetSwitch(QString(), State); }),
              Expected);
    EXPECT_EQ(
        ExpectThrowReport<E_QOR_InvalidArg>([&] { CommandLine.Switches().GetSwitch(QStringLiteral("-q"), State); }),
        Expected);
    EXPECT_EQ(
        ExpectThrowReport<E_QOR_InvalidArg>([&] { CommandLine.Switches().GetSwitch(QStringLiteral("+q"), State); }),
        Expected);
    // The switch with an empty name can never be looked up, so the check fails.
    ExpectUnusedRejected(CommandLine);
}

TEST(ProgramArguments, CommandLineReadsTheProgramsArguments)
{
    char Program[] = "quillon";
    char Command[] = "/c";
    char Empty[] = "";
    char After[] = "after.cpd";
    char* Vector[] = {Program, Command, Empty, After};
    const QStringList Arguments = ArgumentsFromVector(4, Vector);
#ifndef Q_OS_WIN
    EXPECT_EQ(Arguments, (QStringList{"/c", "", "after.cpd"}));
#endif
    SetProgramArguments({"/c", "", "after.cpd"});
    TCommandLine CommandLine(false);
    EXPECT_EQ(Describe(CommandLine), QStringLiteral("cmd:c"));
    SetProgramArguments({});
}

struct TSplitCase
{
    const char* CommandLine;
    QStringList Expected;
};

class SplitCommandLineTest : public ::testing::TestWithParam<TSplitCase>
{};

TEST_P(SplitCommandLineTest, QuotesGroupAndVanish)
{
    EXPECT_EQ(SplitCommandLine(QString::fromUtf8(GetParam().CommandLine)), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         SplitCommandLineTest,
                         ::testing::Values(TSplitCase{"q.exe /c /fd \"C:\\My Files\\a b.cpd\" -q",
                                                      {"q.exe", "/c", "/fd", "C:\\My Files\\a b.cpd", "-q"}},
                                           TSplitCase{"\"C:\\Program Files\\q.exe\"\t a\"b c\"d",
                                                      {"C:\\Program Files\\q.exe", "ab cd"}},
                                           // No escape character: a backslash before a quote is an ordinary character.
                                           TSplitCase{"q.exe \"a\\\" b", {"q.exe", "a\\", "b"}},
                                           TSplitCase{"q.exe \"\" x", {"q.exe", "", "x"}},
                                           TSplitCase{"  ", {}}));

} // namespace
