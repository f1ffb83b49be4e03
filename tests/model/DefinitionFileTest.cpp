#include "foundation/ObjectClipboard.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "model/Data.h"
#include "model/ElementRegistry.h"
#include "model/FormatTags.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"
#include "support/FailingStream.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace SampleDefinitions;

namespace {

QByteArray Bytes(std::initializer_list<int> Values)
{
    QByteArray Result;
    for (int Value : Values)
        Result.append(static_cast<char>(Value));
    return Result;
}

QByteArray TagBytes(const TGUID& Tag)
{
    const auto Raw = Tag.ToBytes();
    return QByteArray(reinterpret_cast<const char*>(Raw.data()), 16);
}

QByteArray IntegerBytes(int32_t Value)
{
    return Bytes({Value & 0xFF, (Value >> 8) & 0xFF, (Value >> 16) & 0xFF, (Value >> 24) & 0xFF});
}

} // namespace

TEST(EmptyDefinition, Is202BytesOfTagsEmptyStringsAndEmptyLists)
{
    TData Data;
    const QByteArray Saved = SaveToBytes(Data);
    QByteArray Expected = TagBytes(FormatTag::Data) + QByteArray(16, '\0') + QByteArray(5 * 4, '\0') + Bytes({0, 0});
    for (const TGUID* Tag : {&FormatTag::TaskTypes,
                             &FormatTag::TaskRecordingTypes,
                             &FormatTag::TaskResultItemFormats,
                             &FormatTag::MediaItemFormats,
                             &FormatTag::InterfaceTypes,
                             &FormatTag::Drivers,
                             &FormatTag::CodeModules})
        Expected += TagBytes(*Tag) + IntegerBytes(0) + Bytes({0});
    Expected += Bytes({0});
    EXPECT_EQ(Saved.size(), 202);
    EXPECT_EQ(Saved, Expected);
}

TEST(RichDefinitionRoundTrip, LoadThenSaveGivesIdenticalBytes)
{
    TData Original;
    BuildRich(Original);
    const QByteArray Saved = SaveToBytes(Original);

    TData Loaded;
    LoadFromBytes(Loaded, Saved);
    EXPECT_EQ(SaveToBytes(Loaded), Saved);
    EXPECT_TRUE(Loaded.Equals(Original));

    // References come back as references into the loaded package's own lists.
    const TCodeModule* Engine = Loaded.CodeModules.Items(0);
    const TTaskModuleObject* Runner = Engine->TaskModuleObjects.Items(0);
    const TTaskModuleObject* Settings = Loaded.CodeModules.Items(1)->TaskModuleObjects.Items(0);
    EXPECT_EQ(Engine->HostInterfaces.Items(1), Loaded.InterfaceTypes.Items(2));
    EXPECT_EQ(Runner->TaskModules.Items(0)->OutputMediaItemFormats.Items(0), Loaded.MediaItemFormats.Items(2));
    EXPECT_EQ(Runner->Configurator, Settings->TaskModules.Items(0));
    EXPECT_EQ(Settings->CommandEditor, Runner->TaskModules.Items(1));
    EXPECT_TRUE(Loaded.BetaSoftware);
    EXPECT_TRUE(Loaded.CodeModules.Expanded());
}

TEST(RichDefinitionRoundTrip, FileSaveAndLoadKeepTheBytes)
{
    QTemporaryDir Directory;
    const QString FileName = Directory.filePath(QStringLiteral("Rich.cpd"));
    TData Original;
    BuildRich(Original);
    Original.SaveToFile(FileName);
    TData Loaded;
    Loaded.LoadFromFile(FileName);
    EXPECT_EQ(SaveToBytes(Loaded), SaveToBytes(Original));
}

TEST(RichDefinitionRoundTrip, EveryClipboardClassRoundTripsAsPayload)
{
    RegisterElementClasses();
    TData Data;
    BuildRich(Data);
    for (const TQORObject* Element : PayloadElements(Data)) {
        TMemoryStream Stream;
        TQORObjectClipboard::CopyToStream(*Element, Stream);
        SeekToStart(Stream);
        const std::unique_ptr<TQORObject> Pasted = TQORObjectClipboard::PasteFromStream(Stream);
        ASSERT_EQ(&Pasted->Class(), &Element->Class()) << Element->ClassName().toStdString();
        EXPECT_EQ(SaveToBytes(*Pasted), SaveToBytes(*Element)) << Element->ClassName().toStdString();
    }
}

TEST(RecordLayout, DriverWritesFileNameBeforeFilePathAndCodeModuleTheOtherWay)
{
    TDriver Driver;
    Driver.FileName = QStringLiteral("n");
    Driver.FilePath = QStringLiteral("p");
    const QByteArray DriverBytes = SaveToBytes(Driver);
    // Tag, ID, empty Name, then FileName "n" and FilePath "p".
    EXPECT_EQ(DriverBytes.mid(36, 10), IntegerBytes(1) + "n" + IntegerBytes(1) + "p");

    TCodeModule Module;
    Module.FileName = QStringLiteral("n");
    Module.FilePath = QStringLiteral("p");
    EXPECT_EQ(SaveToBytes(Module).mid(36, 10), IntegerBytes(1) + "p" + IntegerBytes(1) + "n");
}

TEST(RecordLayout, TaskModuleReferenceIsThreeIndicesAndNoneIsMinusOnes)
{
    TData Data;
    BuildRich(Data);
    TTaskModuleObject* Runner = Data.CodeModules.Items(0)->TaskModuleObjects.Items(0);
    const QByteArray Saved = SaveToBytes(*Runner);
    const QByteArray Modules = SaveToBytes(Runner->TaskModules);
    const int After = Saved.indexOf(Modules) + Modules.size();
    // Configurator: task module 0 of object 0 of code module 1; command editor: module 1 there.
    EXPECT_EQ(Saved.mid(After, 24),
              IntegerBytes(1) + IntegerBytes(0) + IntegerBytes(0) + IntegerBytes(1) + IntegerBytes(0) +
                  IntegerBytes(1));

    Runner->Configurator = nullptr;
    Runner->CommandEditor = nullptr;
    EXPECT_EQ(SaveToBytes(*Runner).mid(After, 24), QByteArray(24, '\xFF'));
}

TEST(RecordLayout, ReferenceListWritesPositionsInThePackageList)
{
    TData Data;
    BuildRich(Data);
    const TTaskModule* Module = Data.CodeModules.Items(0)->TaskModuleObjects.Items(0)->TaskModules.Items(0);
    EXPECT_EQ(SaveToBytes(Module->OutputMediaItemFormats),
              TagBytes(FormatTag::MediaItemFormats) + IntegerBytes(2) + IntegerBytes(2) + IntegerBytes(0) + Bytes({0}));
}

TEST(UnplaceableReference, SavingRefusesAnEntryWithoutParentOrObject)
{
    TTaskType Loose;
    TTaskTypes References(false);
    References.Add(&Loose);
    ExpectThrowReport<E_QOR_ListItemHasNoParent>([&] { SaveToBytes(References); });

    TTaskTypes Empty(false);
    Empty.Add(nullptr);
    ExpectThrowReport<E_QOR_ObjectPointerIsNil>([&] { SaveToBytes(Empty); });

    TTaskModule Orphan;
    TTaskModuleObject Object;
    Object.Configurator = &Orphan;
    ExpectThrowReport<E_QOR_ListItemHasNoParent>([&] { SaveToBytes(Object); });
}

TEST(StringsOutsideCodePage, SaveAsSubstituteCharacter)
{
    TData Data;
    Data.Name = QStringLiteral("Tokyo 東京");
    TData Loaded;
    LoadFromBytes(Loaded, SaveToBytes(Data));
    EXPECT_EQ(Loaded.Name, QStringLiteral("Tokyo ??"));
}

TEST(SupportFileExpanded, IsNeitherStoredNorCopied)
{
    TSupportFile File;
    File.SetExpanded(true);
    TSupportFile Loaded;
    TMemoryStream Stream(SaveToBytes(File));
    Loaded.LoadFromStream(Stream);
    EXPECT_FALSE(Loaded.Expanded());
    TSupportFile Copy;
    Copy.Assign(&File, true);
    EXPECT_FALSE(Copy.Expanded());
}

TEST(DefinitionFileErrors, NameTheFileAndKeepTheOldFile)
{
    QTemporaryDir Directory;
    const QString FileName = Directory.filePath(QStringLiteral("Damaged.cpd"));
    TData Data;
    BuildRich(Data);
    Data.SaveToFile(FileName);
    QFile File(FileName);
    ASSERT_TRUE(File.resize(100));

    TData Target;
    EXPECT_EQ(ExpectThrowReport<E_QOR_LoadingError>([&] { Target.LoadFromFile(FileName); }),
              QStringLiteral("Loading error. File name='%1'.").arg(FileName));
    EXPECT_EQ(Target.CodeModules.Count(), 0);

    // A save that fails half-way leaves the previous file as it was.
    TTaskType Loose;
    Data.CodeModules.Items(1)->TaskModuleObjects.Items(0)->TaskModules.Items(2)->InputTaskTypes.Add(&Loose);
    ExpectThrowReport<E_QOR_ListItemHasNoParent>([&] { Data.SaveToFile(FileName); });
    EXPECT_EQ(QFile(FileName).size(), 100);
    Data.CodeModules.Items(1)->TaskModuleObjects.Items(0)->TaskModules.Items(2)->InputTaskTypes.Remove(&Loose);

    TFailingStream Short(50);
    ExpectThrowReport<E_QOR_SavingError>([&] { Data.SaveToStream(Short); });
}
