#include "app/CommandLine.h"
#include "app/Settings.h"
#include "forms/ObjectTreeView.h"
#include "foundation/ObjectClipboard.h"
#include "foundation/Streams.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "model/ElementRegistry.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"
#include "support/TestSupport.h"
#include "ui/MainWindow.h"
#include "ui/QtClipboardBackend.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace SampleDefinitions;

namespace {

const QString Format = QStringLiteral("Corvane Quillon");

class ClipboardCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The offscreen platform keeps its clipboard inside this process: the user's is never touched.
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        RegisterElementClasses();
        SetSettingsFileForTesting(Dir.filePath(QStringLiteral("settings.ini")));
        const QString FileName = Dir.filePath(QStringLiteral("rich.cpd"));
        TData Rich;
        BuildRich(Rich);
        WriteBytesToFile(FileName, SaveToBytes(Rich));
        SetProgramArguments({FileName});
        Window = std::make_unique<TMain>();
        ASSERT_TRUE(Window->CreationCompleted());
        QGuiApplication::clipboard()->clear();
    }
    void TearDown() override
    {
        Window.reset();
        SetSettingsFileForTesting(QString());
        SetProgramArguments({});
    }

    TData& Doc() const { return Window->Document(); }
    TCodeModule& Engine() const { return *Doc().CodeModules.Items(0); }

    // Selects the node of Object, as a click would, and runs Handler on it.
    void Run(const TQORObject& Object, void (TMain::*Handler)())
    {
        TQORTreeNode* Node = ObjectNode(Doc(), Window->Markers(), &Object);
        ASSERT_NE(Node, nullptr);
        Window->TreeControl->setCurrentItem(Node);
        (Window.get()->*Handler)();
    }
    const TQORObject* SelectedObject() const
    {
        const TQORTreeNode* Node = Window->TreeControl->Selected();
        return Node ? Node->Object() : nullptr;
    }

    QTemporaryDir Dir;
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard{&Seam};
    std::unique_ptr<TMain> Window;
};

TEST_F(ClipboardCommands, CopyPutsTheFormatNameAsTextAndThePayloadUnderItsOwnType)
{
    EXPECT_TRUE(Window->Clipboard().PeekClassID().IsNull());
    Run(*Doc().Drivers.Items(0), &TMain::PopupMenu_CopyClick);
    const QMimeData* Data = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(Data->text(), Format);
    EXPECT_EQ(TQtClipboardBackend::MimeType(Format), QStringLiteral("application/x-corvane-quillon"));
    TMemoryStream Expected;
    TQORObjectClipboard::CopyToStream(*Doc().Drivers.Items(0), Expected);
    EXPECT_EQ(Data->data(TQtClipboardBackend::MimeType(Format)), Expected.Data());
    EXPECT_EQ(Window->Clipboard().PeekClassID(), TDriver::StaticClass().GetClassID());
    EXPECT_FALSE(Window->Modified());
}

TEST_F(ClipboardCommands, DataTypeTwiceStillPassesTheCheckButACommandLineToolTwiceFails)
{
    TData& Data = Doc();
    Window->NewDocument();
    Data.ID = SampleGUID(7);
    Data.Name = QStringLiteral("Exportable");
    AddElement<TTaskType>(Data.TaskTypes)->ID = SampleGUID(8);
    Data.TaskTypes.Items(0)->Name = QStringLiteral("Quiz");
    auto* Module = AddElement<TCodeModule>(Data.CodeModules);
    Module->ID = SampleGUID(9);
    Module->Name = QStringLiteral("Tools");
    Module->Location = cmlLinked;
    auto* Tool = AddElement<TCommandLineTool>(Module->CommandLineTools);
    Tool->ID = SampleGUID(10);
    Tool->Name = QStringLiteral("Calibrate");
    Window->UpdateView();
    Data.ExportErrorCheck();

    Run(*Data.TaskTypes.Items(0), &TMain::PopupMenu_CopyClick);
    Run(Data.TaskTypes, &TMain::PopupMenu_PasteClick);
    ASSERT_EQ(Data.TaskTypes.Count(), 2);
    EXPECT_EQ(Data.TaskTypes.Items(0)->ID, Data.TaskTypes.Items(1)->ID);
    EXPECT_EQ(Data.TaskTypes.Items(0)->Name, Data.TaskTypes.Items(1)->Name);
    EXPECT_NE(SelectedObject(), nullptr);
    EXPECT_EQ(SelectedObject()->Parent(), &Data.TaskTypes);
    EXPECT_TRUE(Window->Modified());
    Data.ExportErrorCheck();

    Run(*Tool, &TMain::PopupMenu_CopyClick);
    Run(Module->CommandLineTools, &TMain::PopupMenu_PasteClick);
    ASSERT_EQ(Module->CommandLineTools.Count(), 2);
    const QString Report = ReportOf([&] { Data.ExportErrorCheck(); });
    EXPECT_TRUE(Report.contains(QStringLiteral("have the same ID"))) << Report.toStdString();
}

TEST_F(ClipboardCommands, PastedCodeModuleKeepsItsElementsButNoReferences)
{
    const TCodeModule& Original = Engine();
    Run(Original, &TMain::PopupMenu_CopyClick);
    Run(Doc().CodeModules, &TMain::PopupMenu_PasteClick);
    ASSERT_EQ(Doc().CodeModules.Count(), 3);
    const auto* Pasted = static_cast<const TCodeModule*>(SelectedObject());
    ASSERT_NE(Pasted, nullptr);
    ASSERT_NE(Pasted, &Original);
    EXPECT_EQ(Pasted->ID, Original.ID);
    EXPECT_EQ(Pasted->HostInterfaces.Count() + Pasted->ModuleInterfaces.Count(), 0);
    EXPECT_EQ(Pasted->SupportFiles.Count(), Original.SupportFiles.Count());
    EXPECT_EQ(Pasted->CommandLineTools.Count(), Original.CommandLineTools.Count());
    ASSERT_EQ(Pasted->TaskModuleObjects.Count(), Original.TaskModuleObjects.Count());
    const TTaskModuleObject* Object = Pasted->TaskModuleObjects.Items(0);
    ASSERT_EQ(Object->TaskModules.Count(), 2);
    for (int32_t I = 0; I < Object->TaskModules.Count(); ++I) {
        const TTaskModule* Module = Object->TaskModules.Items(I);
        EXPECT_EQ(Module->ID, Original.TaskModuleObjects.Items(0)->TaskModules.Items(I)->ID);
        for (const TQORList* List : {(const TQORList*)&Module->InputTaskTypes,
                                     (const TQORList*)&Module->OutputTaskTypes,
                                     (const TQORList*)&Module->InputTaskRecordingTypes,
                                     (const TQORList*)&Module->OutputTaskRecordingTypes,
                                     (const TQORList*)&Module->InputTaskResultItemFormats,
                                     (const TQORList*)&Module->OutputTaskResultItemFormats,
                                     (const TQORList*)&Module->OutputMediaItemFormats})
            EXPECT_EQ(List->Count(), 0);
    }
    // The original keeps its own.
    EXPECT_EQ(Original.HostInterfaces.Count(), 2);
}

TEST_F(ClipboardCommands, CutAndPasteBackKeepsTheIdButLosesTheReferences)
{
    TTaskType* Assessment = Doc().TaskTypes.Items(0);
    const TGUID ID = Assessment->ID;
    const TTaskModule* Runner = Engine().TaskModuleObjects.Items(0)->TaskModules.Items(0);
    ASSERT_TRUE(Runner->InputTaskTypes.Contains(Assessment));
    Run(*Assessment, &TMain::PopupMenu_CutClick);
    EXPECT_EQ(Doc().TaskTypes.Count(), 2);
    EXPECT_TRUE(Window->Modified());
    Run(Doc().TaskTypes, &TMain::PopupMenu_PasteClick);
    ASSERT_EQ(Doc().TaskTypes.Count(), 3);
    EXPECT_EQ(Doc().TaskTypes.Items(0)->ID, ID);
    EXPECT_EQ(Runner->InputTaskTypes.Count(), 1);
    EXPECT_FALSE(Runner->InputTaskTypes.Contains(Doc().TaskTypes.Items(0)));
}

TEST_F(ClipboardCommands, PasteOntoAnElementTakesOverItsContentsAndReselectsIt)
{
    TMediaItemFormat* Audio = Doc().MediaItemFormats.Items(0);
    const TMediaItemFormat* Video = Doc().MediaItemFormats.Items(2);
    const TGUID VideoID = Video->ID;
    Run(*Video, &TMain::PopupMenu_CopyClick);
    Run(*Audio, &TMain::PopupMenu_PasteClick);
    EXPECT_EQ(Audio->ID, VideoID);
    EXPECT_EQ(Audio->Name, QStringLiteral("Video clip"));
    EXPECT_NE(Doc().MediaItemFormats.Items(0), Audio) << "sorted to its new name's place";
    EXPECT_EQ(SelectedObject(), Audio);
}

TEST_F(ClipboardCommands, ClearOnTaskModulesDropsTheConfiguratorThatPointedIntoThem)
{
    TTaskModuleObject* Runner = Engine().TaskModuleObjects.Items(0);
    Runner->Configurator = Runner->TaskModules.Items(1);
    Runner->CommandEditor = Runner->TaskModules.Items(0);
    Window->UpdateView();
    Run(Runner->TaskModules, &TMain::PopupMenu_ClearClick);
    EXPECT_EQ(Runner->TaskModules.Count(), 0);
    EXPECT_EQ(Runner->Configurator, nullptr);
    EXPECT_EQ(Runner->CommandEditor, nullptr);
    EXPECT_TRUE(Window->Modified());
}

TEST_F(ClipboardCommands, DriversListTakesADriverOrAWholeListSorted)
{
    TDrivers& Drivers = Doc().Drivers;
    Drivers.Items(1)->Name = QStringLiteral("Alpha driver");
    Window->UpdateView();
    Run(*Drivers.Items(1), &TMain::PopupMenu_CopyClick);
    Run(Drivers, &TMain::PopupMenu_PasteClick);
    ASSERT_EQ(Drivers.Count(), 3);
    EXPECT_EQ(SelectedObject()->Parent(), &Drivers);
    EXPECT_EQ(Drivers.Items(2)->Name, QStringLiteral("Cockpit driver"));

    Run(Drivers, &TMain::PopupMenu_CopyClick);
    EXPECT_EQ(Window->Clipboard().PeekClassID(), TDrivers::StaticClass().GetClassID());
    Run(Drivers, &TMain::PopupMenu_PasteClick);
    ASSERT_EQ(Drivers.Count(), 6);
    QStringList Names;
    for (int32_t I = 0; I < Drivers.Count(); ++I) {
        Names << Drivers.Items(I)->Name;
        EXPECT_EQ(Drivers.Items(I)->Parent(), &Drivers);
    }
    EXPECT_EQ(Names.join(','),
              QStringLiteral("Alpha driver,Alpha driver,Alpha driver,Alpha driver,"
                             "Cockpit driver,Cockpit driver"));
    // A whole list has no one node: the group stays selected.
    EXPECT_EQ(SelectedObject(), &Drivers);
}

TEST_F(ClipboardCommands, ForeignDamagedOrMisplacedContentLeavesTheDocumentAlone)
{
    const QByteArray Before = SaveToBytes(Doc());
    const auto Offer = [](const QByteArray& Payload) {
        auto* Data = new QMimeData;
        Data->setData(TQtClipboardBackend::MimeType(Format), Payload);
        QGuiApplication::clipboard()->setMimeData(Data);
    };
    TMemoryStream Whole;
    TQORObjectClipboard::CopyToStream(Engine(), Whole);
    const QByteArray Unregistered = SaveToBytes(Doc().TaskTypes);
    const struct
    {
        std::function<void()> Prepare;
        const TQORObject* Target;
        QString Report;
    } Cases[] = {
        {[] { QGuiApplication::clipboard()->setText(QStringLiteral("foreign text")); },
         &Doc().Drivers,
         QStringLiteral("Unrecognised data format.")},
        {[&] { Offer(Unregistered); }, &Doc().Drivers, QStringLiteral("Unrecognised data format.")},
        {[&] { Offer(Whole.Data().left(Whole.Data().size() / 2)); },
         &Doc().CodeModules,
         QStringLiteral("Loading error.")},
        {[&] { Offer(Whole.Data()); }, &Doc().Drivers, ReportOf([] { throw E_QOR_EnumerationOutOfRange(); })},
        {[&] { Offer(Whole.Data()); }, &Doc().TaskTypes, QString()},
        {[&] { Offer(Whole.Data()); }, &Engine().TaskModuleObjects, QString()},
        {[&] { Offer(Whole.Data()); }, Doc().Drivers.Items(0), QString()},
    };
    for (const auto& Case : Cases) {
        Case.Prepare();
        const QString Report = ReportOf([&] { Run(*Case.Target, &TMain::PopupMenu_PasteClick); });
        if (!Case.Report.isEmpty()) {
            EXPECT_EQ(Report, Case.Report);
        }
        EXPECT_EQ(SaveToBytes(Doc()), Before) << Report.toStdString();
        EXPECT_FALSE(Window->Modified());
    }
    QGuiApplication::clipboard()->clear();
    Window->TreeControl->setCurrentItem(Window->TreeControl->topLevelItem(0));
    EXPECT_TRUE(ReportOf([&] { Window->PopupMenu_PasteClick(); }).endsWith(QStringLiteral("Unhandled paste case.")));
    EXPECT_EQ(ReportOf([&] { Window->PopupMenu_ClearClick(); }), ReportOf([] { throw E_QOR_EnumerationOutOfRange(); }));
}

} // namespace
