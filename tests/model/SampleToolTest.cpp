#include "foundation/ObjectClipboard.h"
#include "model/Data.h"
#include "samples/LargeDefinition.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace SampleDefinitions;

namespace {

QByteArray FileBytes(const QString& FileName)
{
    QFile File(FileName);
    EXPECT_TRUE(File.open(QIODevice::ReadOnly)) << FileName.toStdString();
    return File.readAll();
}

// Small enough for a unit test, large enough that every cross-module reference has somewhere to go.
const TLargeShape SmallShape{5, 3, 4, 20, 10, 4};

} // namespace

TEST(SampleDefinitionFiles, AsWrittenLoadFromDiskAndCurrentLayoutsRoundTrip)
{
    QTemporaryDir Folder;
    ASSERT_TRUE(Folder.isValid());
    const QString Target = Folder.filePath(QStringLiteral("made/by/tool"));
    const std::vector<TNamedDefinition> Files = SampleDefinitionFiles();
    const QStringList Written = WriteNamedFiles(Target, Files, DefinitionExtension);
    ASSERT_EQ(Written.size(), static_cast<qsizetype>(Files.size()));
    EXPECT_EQ(QDir(Target).entryList(QDir::Files).size(), Written.size());

    for (size_t I = 0; I < Files.size(); ++I) {
        SCOPED_TRACE(Written[qsizetype(I)].toStdString());
        EXPECT_EQ(QFileInfo(Written[qsizetype(I)]).fileName(), Files[I].Name + QStringLiteral(".cpd"));
        const QByteArray OnDisk = FileBytes(Written[qsizetype(I)]);
        EXPECT_EQ(OnDisk, Files[I].Bytes);
        TData Loaded;
        Loaded.LoadFromFile(Written[qsizetype(I)]);
        const QByteArray Saved = SaveToBytes(Loaded);
        if (Files[I].Name.startsWith(QStringLiteral("older-"))) {
            EXPECT_NE(Saved, OnDisk) << "an older layout is saved in the current one";
            TData Again;
            LoadFromBytes(Again, Saved);
            EXPECT_EQ(SaveToBytes(Again), Saved);
        } else {
            EXPECT_EQ(Saved, OnDisk);
        }
    }
    EXPECT_EQ(FileBytes(QDir(Target).filePath(QStringLiteral("empty.cpd"))).size(), 202);
}

TEST(SamplePayloads, CoverEveryRegisteredClassAndPasteBackToTheSamePayload)
{
    std::vector<TNamedDefinition> Payloads = SamplePayloads();
    EXPECT_EQ(Payloads.size(), 11u);
    QStringList Classes;
    for (const TNamedDefinition& Payload : Payloads) {
        SCOPED_TRACE(Payload.Name.toStdString());
        TMemoryStream Stream(Payload.Bytes);
        const std::unique_ptr<TQORObject> Pasted = TQORObjectClipboard::PasteFromStream(Stream);
        EXPECT_EQ(Pasted->ClassName(), Payload.Name);
        EXPECT_EQ(Stream.Position(), Payload.Bytes.size()) << "the payload is exactly one record";
        TMemoryStream Copy;
        TQORObjectClipboard::CopyToStream(*Pasted, Copy);
        EXPECT_EQ(Copy.Data(), Payload.Bytes);
        Classes.append(Payload.Name);
    }
    Classes.removeDuplicates();
    EXPECT_EQ(Classes.size(), 11);
}

TEST(LargeDefinition, HasTheShapeAskedFor)
{
    TData Data;
    BuildLarge(Data, SmallShape);
    EXPECT_EQ(Data.TaskTypes.Count(), 20);
    EXPECT_EQ(Data.TaskRecordingTypes.Count(), 20);
    EXPECT_EQ(Data.TaskResultItemFormats.Count(), 20);
    EXPECT_EQ(Data.MediaItemFormats.Count(), 20);
    EXPECT_EQ(Data.InterfaceTypes.Count(), 10);
    EXPECT_EQ(Data.Drivers.Count(), 4);
    ASSERT_EQ(Data.CodeModules.Count(), 5);
    for (int32_t C = 0; C < 5; ++C) {
        const TCodeModule* Module = Data.CodeModules.Items(C);
        EXPECT_FALSE(Module->HostInterfaces.Count() == 0);
        ASSERT_EQ(Module->TaskModuleObjects.Count(), 3);
        for (int32_t O = 0; O < 3; ++O) {
            const TTaskModuleObject* Object = Module->TaskModuleObjects.Items(O);
            ASSERT_EQ(Object->TaskModules.Count(), 4);
            for (int32_t M = 0; M < 4; ++M) {
                const TTaskModule* TaskModule = Object->TaskModules.Items(M);
                EXPECT_GT(TaskModule->InputTaskTypes.Count(), 0);
                EXPECT_GT(TaskModule->OutputTaskRecordingTypes.Count(), 0);
                EXPECT_GT(TaskModule->OutputTaskResultItemFormats.Count(), 0);
                EXPECT_GT(TaskModule->OutputMediaItemFormats.Count(), 0);
            }
            // The configurator lies in the next code module, the command editor in the previous one.
            ASSERT_NE(Object->Configurator, nullptr);
            ASSERT_NE(Object->CommandEditor, nullptr);
            EXPECT_EQ(PositionOfTaskModule(*Object->Configurator), (TTaskModulePosition{(C + 1) % 5, O, 3}));
            EXPECT_EQ(PositionOfTaskModule(*Object->CommandEditor), (TTaskModulePosition{(C + 4) % 5, O, 0}));
            EXPECT_EQ(Object->Configurator->Type, tmtTaskModuleConfigurator);
        }
    }
}

TEST(LargeDefinition, RoundTripsByteForByteAndSurvivesDeletingACodeModule)
{
    TData Data;
    BuildLarge(Data, SmallShape);
    const QByteArray Saved = SaveToBytes(Data);
    TData Loaded;
    LoadFromBytes(Loaded, Saved);
    EXPECT_TRUE(Loaded.Equals(Data));
    EXPECT_EQ(SaveToBytes(Loaded), Saved);

    // Every other module points into the deleted one or is pointed at by it.
    Loaded.CodeModules.Delete(2);
    int32_t Dropped = 0;
    for (int32_t C = 0; C < Loaded.CodeModules.Count(); ++C) {
        for (int32_t O = 0; O < 3; ++O) {
            const TTaskModuleObject* Object = Loaded.CodeModules.Items(C)->TaskModuleObjects.Items(O);
            for (const TTaskModule* Reference : {Object->Configurator, Object->CommandEditor}) {
                if (Reference)
                    EXPECT_NE(PositionOfTaskModule(*Reference).CodeModule, -1);
                else
                    ++Dropped;
            }
        }
    }
    // Module 1's configurators and module 3's command editors pointed into module 2.
    EXPECT_EQ(Dropped, 6);
    TData Reloaded;
    LoadFromBytes(Reloaded, SaveToBytes(Loaded));
    EXPECT_TRUE(Reloaded.Equals(Loaded));
}
