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
    for (int32_t Index = 0; Index < CommandLine.Values().Count(); ++Index)
        Parts << QStringLiteral("val:%1=%2")
                     .arg(CommandLine.Values().Value(Index)->Name(), CommandLine.Values().Value(Index)->Value());
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

class CommandLineParseTest : public ::testing::TestWithParam<TParseCase>
{};

TEST_P(CommandLineParseTest, SplitsIntoElements)
{
    EXPECT_EQ(Describe(TCommandLine(GetParam().Arguments, false)), GetParam().Expected)
        << GetParam().Arguments.join(QLatin1Char(' ')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table,
                         CommandLineParseTest,
                         ::testing::Values(TParseCase{{}, ""},
                                           TParseCase{{"Demo.cpd"}, "first=Demo.cpd"},
                                           TParseCase{{"/c", "/fd", "C:\\My Files\\a b.cpd", "-q"},
                                                      "cmd:c val:fd=C:\\My Files\\a b.cpd sw:q-"},
                                           TParseCase{{"/c", "/fd"}, "cmd:c cmd:fd"},
                                           // A later sign wins, whatever the case; the first spelling stays.
                                           TParseCase{{"+Q", "-q"}, "sw:Q-"},
                                           // A value can never begin with -, + or /.
                                           TParseCase{{"/fd", "-a.cpd", "/fp", "/c"}, "cmd:fd cmd:fp cmd:c sw:a.cpd-"},
                                           TParseCase{{"-", "/"}, "cmd: sw:-"},
                                           // An empty argument ends the list.
                                           TParseCase{{"/c", "", "b.cpd", "c.cpd"}, "cmd:c"}
#ifndef Q_OS_WIN
                                           ,
                                           // POSIX absolute paths are arguments, never element names.
                                           TParseCase{{"/c", "/fd", "/home/me/Demo.cpd", "/fp", "/tmp/Demo.cpk"},
                                                      "cmd:c val:fd=/home/me/Demo.cpd val:fp=/tmp/Demo.cpk"},
                                           TParseCase{{"/Demo.cpd", "-q"}, "first=/Demo.cpd sw:q-"}
#endif
                                           ),
                         [](const ::testing::TestParamInfo<TParseCase>& Info) {
                             return ArgumentsTestName(Info.param.Arguments);
                         });

TEST(CommandLineParse, PlainArgumentAfterTheFirstRaises)
{
    for (const QStringList& Arguments :
         {QStringList{"Demo.cpd", "Other.cpd"}, QStringList{"-q", "Demo.cpd"}, QStringList{"/fd", "a.cpd", "b.cpd"}})
        EXPECT_EQ(ExpectThrowReport<E_QOR_InvalidCommandLineParameters>([&] { TCommandLine(Arguments, false); }),
                  QStringLiteral("Invalid command line parameters."));
}

class CommandLineLookupTest : public ::testing::Test
{
protected:
    static void ExpectUnusedRejected(const TCommandLine& CommandLine)
    {
        EXPECT_THROW(CommandLine.CheckAllUsed(), E_QOR_InvalidCommandLineParameters);
    }
    QString Value;
    bool State = false;
};

TEST_F(CommandLineLookupTest, CheckPassesOnlyOnceEverythingIsLookedUp)
{
    TCommandLine CommandLine(QStringList{"Demo.cpd", "/c", "/fd", "a.cpd", "+q"}, false);
    ExpectUnusedRejected(CommandLine);
    EXPECT_TRUE(CommandLine.GetFirstArgument(Value));
    EXPECT_EQ(Value, QStringLiteral("Demo.cpd"));
    EXPECT_TRUE(CommandLine.Commands().Contains(QStringLiteral("c")));
    EXPECT_TRUE(CommandLine.Values().GetValue(QStringLiteral("fd"), Value));
    EXPECT_EQ(Value, QStringLiteral("a.cpd"));
    ExpectUnusedRejected(CommandLine);
    // Looking up the wrong kind finds nothing and marks nothing.
    EXPECT_FALSE(CommandLine.Commands().Contains(QStringLiteral("q")));
    ExpectUnusedRejected(CommandLine);
    EXPECT_TRUE(CommandLine.Switches().GetSwitch(QStringLiteral("q"), State));
    EXPECT_TRUE(State);
    EXPECT_NO_THROW(CommandLine.CheckAllUsed());
}

TEST_F(CommandLineLookupTest, DuplicatesLeaveTheSecondUnused)
{
    TCommandLine CommandLine(QStringList{"/x", "/X", "/fd", "a.cpd", "/fd", "b.cpd"}, false);
    for (int Twice = 0; Twice < 2; ++Twice) {
        EXPECT_TRUE(CommandLine.Commands().Contains(QStringLiteral("x")));
        EXPECT_TRUE(CommandLine.Values().GetValue(QStringLiteral("fd"), Value));
        EXPECT_EQ(Value, QStringLiteral("a.cpd"));
    }
    ExpectUnusedRejected(CommandLine);
}

TEST_F(CommandLineLookupTest, CaseSensitivityFollowsCreation)
{
    TCommandLine Insensitive(QStringList{"/C", "/Äx"}, false);
    EXPECT_TRUE(Insensitive.Commands().Contains(QStringLiteral("c")));
    EXPECT_TRUE(Insensitive.Commands().Contains(QStringLiteral("äX")));
    EXPECT_FALSE(Insensitive.Commands().Contains(QStringLiteral("ax")));

    TCommandLine Sensitive(QStringList{"/C"}, true);
    EXPECT_FALSE(Sensitive.Commands().Contains(QStringLiteral("c")));
    EXPECT_TRUE(Sensitive.Commands().Contains(QStringLiteral("C")));
}

TEST_F(CommandLineLookupTest, BadlyFormedNamesRaiseInvalidArg)
{
    TCommandLine CommandLine(QStringList{"-"}, false);
    EXPECT_THROW(CommandLine.Commands().Contains(QString()), E_QOR_InvalidArg);
    EXPECT_THROW(CommandLine.Values().GetValue(QString(), Value), E_QOR_InvalidArg);
    for (const char* Name : {"", "-q", "+q"})
        EXPECT_THROW(CommandLine.Switches().GetSwitch(QString::fromUtf8(Name), State), E_QOR_InvalidArg) << Name;
    // The switch with an empty name can never be looked up.
    ExpectUnusedRejected(CommandLine);
}

TEST(SplitCommandLine, QuotesGroupAndVanishWithoutEscapes)
{
    EXPECT_EQ(
        SplitCommandLine(QStringLiteral("\"C:\\Program Files\\q.exe\"\t /fd \"C:\\My Files\\a b.cpd\" a\"b c\"d")),
        (QStringList{"C:\\Program Files\\q.exe", "/fd", "C:\\My Files\\a b.cpd", "ab cd"}));
    EXPECT_EQ(SplitCommandLine(QStringLiteral("q.exe \"a\\\" \"\" x")), (QStringList{"q.exe", "a\\", "", "x"}));
}

} // namespace
