#include "model/Data.h"
#include "model/Enumerations.h"
#include "samples/SampleDefinitions.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace SampleDefinitions;

TEST(CaseInsensitiveOrder, IgnoresCaseAndAnswersMinusOneZeroOne)
{
    EXPECT_EQ(CompareText(QStringLiteral("apple"), QStringLiteral("APPLE")), 0);
    EXPECT_EQ(CompareText(QStringLiteral("apple"), QStringLiteral("Banana")), -1);
    EXPECT_EQ(CompareText(QStringLiteral("zebra"), QStringLiteral("Banana")), 1);

    TTaskTypes Types(true);
    for (const char* Name : {"delta", "Alpha", "charlie", "Bravo"})
        AddElement<TTaskType>(Types)->Name = QString::fromLatin1(Name);
    Types.Sort();
    QStringList Names;
    for (int32_t I = 0; I < Types.Count(); ++I)
        Names << Types.Items(I)->Name;
    EXPECT_EQ(Names, QStringList({"Alpha", "Bravo", "charlie", "delta"}));
}

TEST(TaskModuleOrder, FollowsTheTypeValue)
{
    TTaskModules Modules(true, nullptr);
    for (TTaskModuleType Type : {tmtTool, tmtTaskCreator, tmtTaskRecordingAnalyzer, tmtTaskRunner})
        AddElement<TTaskModule>(Modules)->Type = Type;
    Modules.Sort();
    EXPECT_EQ(Modules.Items(0)->Type, tmtTaskCreator);
    EXPECT_EQ(Modules.Items(1)->Type, tmtTaskRunner);
    EXPECT_EQ(Modules.Items(2)->Type, tmtTool);
    EXPECT_EQ(Modules.Items(3)->Type, tmtTaskRecordingAnalyzer);
}

// The path is joined with the name by "\" as on Windows: "libA.dll" sorts before "lib\x.dll", which
// a "/" join would put first.
TEST(SupportFileOrder, IsOrdinalOnPathJoinedWithNameTheWindowsWay)
{
    TSupportFiles Files;
    const auto Add = [&](const char* Path, const char* Name) {
        auto* File = AddElement<TSupportFile>(Files);
        File->SourceFilePath = QString::fromLatin1(Path);
        File->SourceFileName = QString::fromLatin1(Name);
    };
    Add("lib", "x.dll");
    Add("Lib", "z.dll");
    Add("", "libA.dll");
    Add("lib\\", "B.dll");
    Files.Sort();
    QStringList Names;
    for (int32_t I = 0; I < Files.Count(); ++I)
        Names << Files.Items(I)->SourceFilePath + QLatin1Char('|') + Files.Items(I)->SourceFileName;
    EXPECT_EQ(Names, QStringList({"Lib|z.dll", "|libA.dll", "lib\\|B.dll", "lib|x.dll"}));
}

struct TEnumerationCase
{
    QString (*Text)(int32_t);
    int32_t Value;
    const char* Expected;
};

// E.g. "DriverLocation_3": the table without its "Text" and the value looked up.
static std::string EnumerationCaseName(const testing::TestParamInfo<TEnumerationCase>& Info)
{
    const std::pair<QString (*)(int32_t), const char*> Tables[] = {{&CodeModuleLocationText, "CodeModuleLocation"},
                                                                   {&ObjectServerTypeText, "ObjectServerType"},
                                                                   {&DriverLocationText, "DriverLocation"},
                                                                   {&MediaItemTypeText, "MediaItemType"},
                                                                   {&TaskModuleTypeText, "TaskModuleType"}};
    std::string Table = "Table";
    for (const auto& [Text, Name] : Tables)
        if (Text == Info.param.Text)
            Table = Name;
    return Table + '_' + SanitisedTestName(QString::number(Info.param.Value));
}

class EnumerationText : public testing::TestWithParam<TEnumerationCase>
{};

TEST_P(EnumerationText, IsTheDisplayTextOrOutOfRange)
{
    const TEnumerationCase& Case = GetParam();
    if (Case.Expected)
        EXPECT_EQ(Case.Text(Case.Value), QString::fromUtf8(Case.Expected));
    else
        EXPECT_EQ(ExpectThrowReport<E_QOR_EnumerationOutOfRange>([&] { Case.Text(Case.Value); }),
                  QStringLiteral("Enumeration out of range."));
}

INSTANTIATE_TEST_SUITE_P(Tables,
                         EnumerationText,
                         testing::Values(TEnumerationCase{&CodeModuleLocationText, 2, "Linked"},
                                         TEnumerationCase{&CodeModuleLocationText, 3, nullptr},
                                         TEnumerationCase{&CodeModuleLocationText, -1, nullptr},
                                         TEnumerationCase{&ObjectServerTypeText, 3, nullptr},
                                         TEnumerationCase{&DriverLocationText, 3, nullptr},
                                         TEnumerationCase{&MediaItemTypeText, 4, nullptr},
                                         TEnumerationCase{&TaskModuleTypeText, 11, "Task recording analyzer"},
                                         TEnumerationCase{&TaskModuleTypeText, 12, nullptr}),
                         EnumerationCaseName);
