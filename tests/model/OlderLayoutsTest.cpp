#include "model/Data.h"
#include "model/FormatTags.h"
#include "samples/SampleDefinitions.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace SampleDefinitions;

namespace {

const TTaskModuleObject& OnlyObject(const TData& Data)
{
    return *Data.CodeModules.Items(0)->TaskModuleObjects.Items(0);
}

TTaskModuleType LoadedTaskModuleType(const TGUID& Tag, int32_t StoredType)
{
    TData Data;
    LoadFromBytes(
        Data,
        Definition(FormatTag::Data,
                   {},
                   {CodeModuleRecord({TaskModuleObjectRecord(ovCurrent, 0, {TaskModuleRecord(Tag, StoredType)})})}));
    return OnlyObject(Data).TaskModules.Items(0)->Type;
}

} // namespace

TEST(OlderDefinitionTag, LoadsWithoutBetaSoftwareAndSavesInTheCurrentLayout)
{
    TData Data;
    LoadFromBytes(Data, Definition(FormatTag::DataWithoutBeta, {}, {}));
    EXPECT_FALSE(Data.BetaSoftware);
    EXPECT_TRUE(Data.AllowExportFromLMS);
    EXPECT_EQ(Data.SubCreator, QStringLiteral("Text 4"));
    EXPECT_TRUE(Data.DataTypesExpanded);
    const QByteArray Saved = SaveToBytes(Data);
    EXPECT_EQ(Saved.size(), Definition(FormatTag::Data, {}, {}).size());
}

TEST(OlderTaskResultItemFormat, SkipsRetiredValues)
{
    TData Data;
    LoadFromBytes(Data, Definition(FormatTag::Data, {TaskResultItemFormatV1Record()}, {}));
    const TTaskResultItemFormat* Format = Data.TaskResultItemFormats.Items(0);
    EXPECT_EQ(Format->Name, QStringLiteral("Score"));
    EXPECT_EQ(Format->Description, QStringLiteral("Score description"));
    EXPECT_EQ(Format->Creator, QStringLiteral("Format creator"));
    EXPECT_EQ(Format->Notes, QStringLiteral("Format notes"));
    EXPECT_TRUE(Format->Expanded());
}

struct TTypeMapping
{
    int32_t Stored;
    TTaskModuleType Loaded;
};

static std::string StoredTypeName(const testing::TestParamInfo<TTypeMapping>& Info)
{
    return "Type" + std::to_string(Info.param.Stored);
}

class FirstTaskModuleVersion : public testing::TestWithParam<TTypeMapping>
{};

TEST_P(FirstTaskModuleVersion, MapsTypesToTodaysNumbering)
{
    EXPECT_EQ(LoadedTaskModuleType(FormatTag::TaskModuleV1, GetParam().Stored), GetParam().Loaded);
}

INSTANTIATE_TEST_SUITE_P(Types,
                         FirstTaskModuleVersion,
                         testing::Values(TTypeMapping{0, tmtNone},
                                         TTypeMapping{4, tmtTaskResultItemViewer},
                                         TTypeMapping{5, tmtTaskRecordingPlayer},
                                         TTypeMapping{6, tmtTaskRecordingEditor},
                                         TTypeMapping{7, tmtTaskModuleConfigurator},
                                         TTypeMapping{8, tmtTool}),
                         StoredTypeName);

class SecondTaskModuleVersion : public testing::TestWithParam<TTypeMapping>
{};

TEST_P(SecondTaskModuleVersion, SwapsToolAndCommandEditor)
{
    EXPECT_EQ(LoadedTaskModuleType(FormatTag::TaskModuleV2, GetParam().Stored), GetParam().Loaded);
}

INSTANTIATE_TEST_SUITE_P(Types,
                         SecondTaskModuleVersion,
                         testing::Values(TTypeMapping{8, tmtTaskModuleConfigurator},
                                         TTypeMapping{9, tmtTool},
                                         TTypeMapping{10, tmtTaskModuleCommandEditor},
                                         TTypeMapping{11, tmtTaskRecordingAnalyzer}),
                         StoredTypeName);

struct TAccessCase
{
    int32_t Level;
    bool ServiceEngineers, SystemAdministrators, Trainers, Students;
};

class FirstVersionAccessLevel : public testing::TestWithParam<TAccessCase>
{};

TEST_P(FirstVersionAccessLevel, GrantsPermissionsCumulatively)
{
    const TAccessCase& Case = GetParam();
    TData Data;
    LoadFromBytes(Data,
                  Definition(FormatTag::Data,
                             {},
                             {CodeModuleRecord({TaskModuleObjectRecord(ovAccessLevel, Case.Level, {}, {-1, -1, -1})},
                                               {CommandLineToolRecord(1, Case.Level)})}));
    const TTaskModuleObject& Object = OnlyObject(Data);
    const TCommandLineTool& Tool = *Data.CodeModules.Items(0)->CommandLineTools.Items(0);
    EXPECT_EQ(Object.AccessibleByServiceEngineers, Case.ServiceEngineers);
    EXPECT_EQ(Object.AccessibleBySystemAdministrators, Case.SystemAdministrators);
    EXPECT_EQ(Object.AccessibleByTrainers, Case.Trainers);
    EXPECT_EQ(Object.AccessibleByStudents, Case.Students);
    EXPECT_EQ(Tool.AccessibleByServiceEngineers, Case.ServiceEngineers);
    EXPECT_EQ(Tool.AccessibleBySystemAdministrators, Case.SystemAdministrators);
    EXPECT_EQ(Tool.AccessibleByTrainers, Case.Trainers);
    EXPECT_EQ(Tool.AccessibleByStudents, Case.Students);
    EXPECT_TRUE(Tool.RunAsAdministrator);
    EXPECT_EQ(Tool.Notes, QStringLiteral("Tool notes"));
}

INSTANTIATE_TEST_SUITE_P(Levels,
                         FirstVersionAccessLevel,
                         testing::Values(TAccessCase{0, false, false, false, false},
                                         TAccessCase{1, true, false, false, false},
                                         TAccessCase{2, true, true, false, false},
                                         TAccessCase{3, true, true, true, false},
                                         TAccessCase{4, true, true, true, true},
                                         TAccessCase{7, false, false, false, false},
                                         TAccessCase{-1, false, false, false, false}),
                         [](const testing::TestParamInfo<TAccessCase>& Info) {
                             return "Level" + SanitisedTestName(QString::number(Info.param.Level));
                         });

class OlderTaskModuleObjectVersion : public testing::TestWithParam<TObjectVersion>
{};

TEST_P(OlderTaskModuleObjectVersion, ReadsItsFieldsAndDefaultsTheMissingOnes)
{
    const TObjectVersion Version = GetParam();
    TData Data;
    LoadFromBytes(Data,
                  Definition(FormatTag::Data,
                             {},
                             {CodeModuleRecord(
                                 {TaskModuleObjectRecord(Version, 4, {TaskModuleRecord(FormatTag::TaskModule, 3)})})}));
    const TTaskModuleObject& Object = OnlyObject(Data);
    EXPECT_EQ(Object.Name, QStringLiteral("Object"));
    EXPECT_TRUE(Object.RunOutOfProcess);
    EXPECT_EQ(Object.DelayBeforeReturningToHost, Version >= ovNoCommandEditor);
    EXPECT_EQ(Object.Configurator, Object.TaskModules.Items(0));
    EXPECT_EQ(Object.CommandEditor, Version >= ovNoToolCategories ? Object.TaskModules.Items(0) : nullptr);
    EXPECT_TRUE(Object.LMSNotesSupported);
    EXPECT_EQ(Object.PreferredWidth, 640);
    EXPECT_EQ(Object.PreferredHeight, 480);
    EXPECT_EQ(Object.ToolCategories.size(), Version >= ovCurrent ? 1 : 0);
    EXPECT_TRUE(Object.AccessibleByStudents);
    EXPECT_EQ(Object.Notes, QStringLiteral("Object notes"));
    EXPECT_TRUE(Object.Expanded());
}

INSTANTIATE_TEST_SUITE_P(Versions,
                         OlderTaskModuleObjectVersion,
                         testing::Values(ovAccessLevel, ovNoDelay, ovNoCommandEditor, ovNoToolCategories, ovCurrent),
                         [](const testing::TestParamInfo<TObjectVersion>& Info) {
                             return "Version" + std::to_string(Info.param);
                         });

TEST(SecondCommandLineToolVersion, LoadsWithoutToolCategories)
{
    TData Data;
    LoadFromBytes(Data, Definition(FormatTag::Data, {}, {CodeModuleRecord({}, {CommandLineToolRecord(2, 0)})}));
    const TCommandLineTool& Tool = *Data.CodeModules.Items(0)->CommandLineTools.Items(0);
    EXPECT_TRUE(Tool.ToolCategories.isEmpty());
    EXPECT_TRUE(Tool.AccessibleByStudents);
    EXPECT_EQ(Tool.CommandLineArguments, QStringLiteral("/run"));
}

TEST(OlderLayoutSamples, ResaveInTheCurrentLayoutAndThenRoundTrip)
{
    for (const TNamedDefinition& Sample : OlderLayoutDefinitions()) {
        TData Data;
        ASSERT_NO_THROW(LoadFromBytes(Data, Sample.Bytes)) << Sample.Name.toStdString();
        const QByteArray Current = SaveToBytes(Data);
        EXPECT_NE(Current, Sample.Bytes) << Sample.Name.toStdString();
        TData Reloaded;
        LoadFromBytes(Reloaded, Current);
        EXPECT_EQ(SaveToBytes(Reloaded), Current) << Sample.Name.toStdString();
    }
}
