// Random sequences of the window's commands over the sample definitions. After each sequence:
// undoing every step gives back the bytes the definition was opened with, redoing every step the
// bytes after the sequence, and at every stage each reference and each tree node points at an
// object that is alive in the document.

#include "EditingFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <random>
#include <unordered_set>

namespace {

using SampleDefinitions::SaveToBytes;

// Every object of the package and its lists, to check pointers against.
std::unordered_set<const TQORObject*> LiveObjects(TData& Data)
{
    std::unordered_set<const TQORObject*> Live;
    std::function<void(TQORList&)> AddList = [&](TQORList& List) {
        Live.insert(&List);
        for (int32_t I = 0; I < List.Count(); ++I) {
            TQORObject* Item = List.Items(I);
            Live.insert(Item);
            if (auto* Module = dynamic_cast<TCodeModule*>(Item)) {
                AddList(Module->SupportFiles);
                AddList(Module->TaskModuleObjects);
                AddList(Module->CommandLineTools);
            } else if (auto* Object = dynamic_cast<TTaskModuleObject*>(Item)) {
                AddList(Object->TaskModules);
            }
        }
    };
    for (TQORList* List : std::initializer_list<TQORList*>{&Data.TaskTypes,
                                                           &Data.TaskRecordingTypes,
                                                           &Data.TaskResultItemFormats,
                                                           &Data.MediaItemFormats,
                                                           &Data.InterfaceTypes,
                                                           &Data.Drivers,
                                                           &Data.CodeModules})
        AddList(*List);
    return Live;
}

void ExpectEntriesIn(const TQORList& References, const TQORList& Package, const char* What)
{
    for (int32_t I = 0; I < References.Count(); ++I)
        EXPECT_TRUE(Package.Contains(References.Items(I))) << What;
}

void ExpectSoundReferences(TMain& Window)
{
    TData& Data = Window.Document();
    const auto Live = LiveObjects(Data);
    for (int32_t C = 0; C < Data.CodeModules.Count(); ++C) {
        TCodeModule* Module = Data.CodeModules.Items(C);
        ExpectEntriesIn(Module->HostInterfaces, Data.InterfaceTypes, "host interface");
        ExpectEntriesIn(Module->ModuleInterfaces, Data.InterfaceTypes, "module interface");
        for (int32_t O = 0; O < Module->TaskModuleObjects.Count(); ++O) {
            TTaskModuleObject* Object = Module->TaskModuleObjects.Items(O);
            for (const TQORObject* Reference : {Object->Configurator, Object->CommandEditor})
                EXPECT_TRUE(!Reference || (Live.count(Reference) && dynamic_cast<const TTaskModule*>(Reference)));
            for (int32_t M = 0; M < Object->TaskModules.Count(); ++M) {
                TTaskModule* Task = Object->TaskModules.Items(M);
                ExpectEntriesIn(Task->InputTaskTypes, Data.TaskTypes, "input task type");
                ExpectEntriesIn(Task->OutputTaskTypes, Data.TaskTypes, "output task type");
                ExpectEntriesIn(Task->InputTaskRecordingTypes, Data.TaskRecordingTypes, "recording type");
                ExpectEntriesIn(Task->OutputTaskRecordingTypes, Data.TaskRecordingTypes, "recording type");
                ExpectEntriesIn(Task->InputTaskResultItemFormats, Data.TaskResultItemFormats, "result format");
                ExpectEntriesIn(Task->OutputTaskResultItemFormats, Data.TaskResultItemFormats, "result format");
                ExpectEntriesIn(Task->OutputMediaItemFormats, Data.MediaItemFormats, "media format");
            }
        }
    }
    const TPackageMarkers& Markers = Window.Markers();
    const std::unordered_set<const TQORObject*> MarkerObjects = {&Markers.CodePackageID,
                                                                 &Markers.CodePackageInfo,
                                                                 &Markers.AllowExportFromLMS,
                                                                 &Markers.BetaSoftware,
                                                                 &Markers.DataTypes};
    std::function<void(QTreeWidgetItem*)> Visit = [&](QTreeWidgetItem* Item) {
        if (const TQORTreeNode* Node = TQORObjectTreeView::NodeOf(Item)) {
            EXPECT_TRUE(Live.count(Node->Object()) || MarkerObjects.count(Node->Object()))
                << Item->text(0).toStdString();
        }
        for (int I = 0; I < Item->childCount(); ++I)
            Visit(Item->child(I));
    };
    Visit(Window.TreeControl->invisibleRootItem());
}

struct TSample
{
    const char* Name;
    std::function<void(TData&)> Build;
};

class UndoProperty : public EditingFixture, public ::testing::WithParamInterface<TSample>
{
protected:
    // The nodes a user sees: selecting one inside a closed node would open it.
    std::vector<QTreeWidgetItem*> ShownNodes()
    {
        std::vector<QTreeWidgetItem*> Nodes;
        std::function<void(QTreeWidgetItem*)> Visit = [&](QTreeWidgetItem* Item) {
            for (int I = 0; I < Item->childCount(); ++I) {
                Nodes.push_back(Item->child(I));
                if (Item->child(I)->isExpanded())
                    Visit(Item->child(I));
            }
        };
        Visit(Window->TreeControl->invisibleRootItem());
        return Nodes;
    }

    // A dialog answered at random: cancelled, or confirmed after a text row got a new value.
    void AnswerDialogAtRandom(std::mt19937& Random)
    {
        const bool Accept = Random() % 3 != 0;
        const unsigned Pick = Random();
        const QString Text = QStringLiteral("Text %1").arg(Random() % 1000);
        AnswerNextDialog(Accept, [Accept, Pick, Text](QDialog& Dialog) {
            if (!Accept)
                return;
            QList<QLineEdit*> Rows;
            for (QLineEdit* Edit : Dialog.findChildren<QLineEdit*>()) {
                bool Number = false;
                Edit->text().toInt(&Number);
                if (Edit->isVisible() && Edit->isEnabled() && !Edit->isReadOnly() && !Number &&
                    !Edit->text().startsWith(QLatin1Char('{')))
                    Rows << Edit;
            }
            if (!Rows.isEmpty())
                Rows[Pick % Rows.size()]->setText(Text);
            for (QComboBox* Box : Dialog.findChildren<QComboBox*>())
                if (Box->currentIndex() < 0 && Box->count() > 0)
                    Box->setCurrentIndex(int(Pick % unsigned(Box->count())));
            for (QCheckBox* Box : Dialog.findChildren<QCheckBox*>())
                if (Pick % 5 == 0)
                    Box->toggle();
            // A row that does not validate keeps the dialog open: it is cancelled then.
            QTimer::singleShot(0, &Dialog, [&Dialog] { Dialog.reject(); });
        });
    }

    void RunRandomCommand(std::mt19937& Random)
    {
        const std::vector<QTreeWidgetItem*> Nodes = ShownNodes();
        Window->TreeControl->setCurrentItem(Nodes[Random() % Nodes.size()]);
        Window->PopupMenuPopup();
        std::vector<QAction*> Offered;
        for (QAction* Item : Window->PopupMenu->actions())
            if (Item->isVisible() && Item->isEnabled())
                Offered.push_back(Item);
        if (Offered.empty())
            return;
        QAction* Item = Offered[Random() % Offered.size()];
        const TQORTreeNode* Node = Window->TreeControl->Selected();
        if (Item == Window->PopupMenu_Edit ||
            (Item == Window->PopupMenu_Create && dynamic_cast<TTaskModules*>(Node->Object())))
            AnswerDialogAtRandom(Random);
        Item->trigger();
        QApplication::processEvents();
    }
};

TEST_P(UndoProperty, UndoAllGivesTheOpenedBytesAndRedoAllTheBytesAfterTheCommands)
{
    TData Sample;
    GetParam().Build(Sample);
    Open(Sample);
    const QByteArray Opened = Bytes();
    for (const unsigned Seed : {1u, 2u, 3u, 4u, 5u}) {
        SCOPED_TRACE(::testing::Message() << "seed " << Seed);
        std::mt19937 Random(Seed);
        for (int I = 0; I < 14; ++I)
            RunRandomCommand(Random);
        ASSERT_TRUE(Seam.Messages.empty()) << Seam.Messages.front().Text.toStdString();
        ExpectSoundReferences(*Window);
        const QByteArray After = Bytes();

        while (Window->MenuItem_Undo->isEnabled())
            Window->MenuItem_Undo->trigger();
        ASSERT_EQ(Bytes(), Opened);
        EXPECT_FALSE(Window->Modified());
        ExpectSoundReferences(*Window);
        while (Window->MenuItem_Redo->isEnabled())
            Window->MenuItem_Redo->trigger();
        ASSERT_EQ(Bytes(), After);
        ExpectSoundReferences(*Window);

        while (Window->MenuItem_Undo->isEnabled())
            Window->MenuItem_Undo->trigger();
    }
}

INSTANTIATE_TEST_SUITE_P(Samples,
                         UndoProperty,
                         ::testing::Values(TSample{"Rich", SampleDefinitions::BuildRich},
                                           TSample{"Demo",
                                                   [](TData& Data) {
                                                       Data.LoadFromFile(QStringLiteral(
                                                           QUILLON_TEST_DATA "/../../examples/Demo/Demo.cpd"));
                                                   }},
                                           TSample{"OlderLayouts",
                                                   [](TData& Data) {
                                                       // Written anew in the current layout when opened.
                                                       for (const auto& Definition :
                                                            SampleDefinitions::OlderLayoutDefinitions())
                                                           if (Definition.Name == "older-task-module-object-v1")
                                                               SampleDefinitions::LoadFromBytes(Data, Definition.Bytes);
                                                   }}),
                         [](const ::testing::TestParamInfo<TSample>& Info) { return std::string(Info.param.Name); });

} // namespace
