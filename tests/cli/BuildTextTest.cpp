#include "cli/CliTestSupport.h"
#include "model/Data.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using SampleDefinitions::WriteBytesToFile;

namespace {

QByteArray ReadBytes(const QString& FileName)
{
    QFile File(FileName);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

class BuildText : public ::testing::Test
{
protected:
    TCliRun Build(const QByteArray& Json)
    {
        WriteBytesToFile(Source, Json);
        return RunCliWith({QStringLiteral("build"), Source, QStringLiteral("-o"), Target});
    }

    QTemporaryDir Folder;
    const QString Source = Folder.filePath(QStringLiteral("in.json"));
    const QString Target = Folder.filePath(QStringLiteral("out.cpd"));
};

// Text the code page lacks would come back as "?": build names every such field with its characters
// and writes nothing, neither a new file nor over an old one.
TEST_F(BuildText, RefusesTextTheDefinitionFileCannotStore)
{
    const QByteArray Json = R"({"Format": "quillon-definition",
        "Name": "\u4f60\u597d\u4f60",
        "CodeModules": {"Items": [
            {"Name": "Plain"},
            {"Name": "Caf\u00e9 \u4f60\u597d",
             "CommandLineTools": {"Items": [{"ToolCategories": ["Fine", "\ud83d\ude00\u200b\ud83d\ude00"]}]}}]}})";
    for (bool TargetExists : {false, true}) {
        if (TargetExists)
            WriteBytesToFile(Target, "earlier");
        const TCliRun Run = Build(Json);
        EXPECT_EQ(Run.ExitCode, 1);
        const QString Prefix = Source + QStringLiteral(": ");
        const QString Cannot = QStringLiteral(": characters the definition file cannot store: ");
        for (const QString& Line :
             {Prefix + QStringLiteral("Name") + Cannot + QStringLiteral(u"'你', '好'"),
              Prefix + QStringLiteral("CodeModules.Items[1].Name") + Cannot + QStringLiteral(u"'你', '好'"),
              Prefix +
                  QStringLiteral("CodeModules.Items[1].CommandLineTools.Items[0]."
                                 "ToolCategories[1]") +
                  Cannot + QStringLiteral(u"'😀', U+200B")})
            EXPECT_TRUE(Run.Err.contains(Line)) << Run.Err.toStdString() << "\nwants: " << Line.toStdString();
        EXPECT_FALSE(Run.Err.contains(QStringLiteral("Items[0].Name"))) << Run.Err.toStdString();
        EXPECT_EQ(Run.Err.count(Cannot), 3) << Run.Err.toStdString();
        EXPECT_EQ(QFile::exists(Target), TargetExists);
        if (TargetExists) {
            EXPECT_EQ(ReadBytes(Target), "earlier");
        }
    }
}

// The commands that read a definition from its text (check, diff, verify) refuse such text as build
// does, rather than work on a package with "?" in its place.
TEST_F(BuildText, EveryCommandReadingTheTextRefusesWhatCannotBeStored)
{
    WriteBytesToFile(Source, R"({"Format": "quillon-definition", "Name": "Caf\u00e9 \u4f60"})");
    const QString Stored = Folder.filePath(QStringLiteral("plain.json"));
    WriteBytesToFile(Stored, R"({"Format": "quillon-definition", "Name": "Caf\u00e9"})");
    const QString Refused = Source + QStringLiteral(": Name: characters the definition file cannot store: '") +
                            QString(QChar(0x4F60)) + QLatin1Char('\'');
    const TCliRun Check = RunCliWith({QStringLiteral("check"), Source});
    EXPECT_EQ(Check.ExitCode, 1);
    EXPECT_TRUE(Check.Err.contains(Refused)) << Check.Err.toStdString();
    const TCliRun Diff = RunCliWith({QStringLiteral("diff"), Stored, Source});
    EXPECT_EQ(Diff.ExitCode, 1);
    EXPECT_TRUE(Diff.Err.contains(Refused)) << Diff.Err.toStdString();
    EXPECT_EQ(RunCliWith({QStringLiteral("diff"), Stored, Stored}).ExitCode, 0);
}

// The code page's own characters beyond ASCII go through unchanged.
TEST_F(BuildText, KeepsTheCodePagesOwnCharacters)
{
    const TCliRun Run = Build(R"({"Format": "quillon-definition", "Name": "Caf\u00e9 \u2013 5 \u20ac",
        "Description": "\u00bfQu\u00e9?"})");
    ASSERT_EQ(Run.ExitCode, 0) << Run.Err.toStdString();
    TData Built;
    Built.LoadFromFile(Target);
    EXPECT_EQ(Built.Name, QStringLiteral(u"Café – 5 €"));
    EXPECT_EQ(Built.Description, QStringLiteral(u"¿Qué?"));
}

} // namespace
