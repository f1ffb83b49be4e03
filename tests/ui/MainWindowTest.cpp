#include "ui/MainWindow.h"

#include "QuillonVersion.h"
#include "app/CommandLine.h"
#include "app/Settings.h"
#include "forms/ObjectTreeView.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"
#include "ui/GuiStartup.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace SampleDefinitions;

namespace {

QByteArray ReadFile(const QString& FileName)
{
    QFile File(FileName);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

// A package that passes the export error check.
void MakeExportable(TData& Data)
{
    Data.ID = SampleGUID(7);
    Data.Name = QStringLiteral("Exportable");
}

// Every test gets its own settings file, scripted boxes and dialogs, and a command line.
class MainWindow : public ::testing::Test
{
protected:
    MainWindow() : Guard(&Seam)
    {
        SetSettingsFileForTesting(SettingsFile());
        SetProgramArguments({});
        // Closing a test's window must not end the application the other tests run in.
        QGuiApplication::setQuitOnLastWindowClosed(false);
    }
    ~MainWindow() override
    {
        QGuiApplication::setQuitOnLastWindowClosed(true);
        SetSettingsFileForTesting(QString());
        SetProgramArguments({});
    }

    QString SettingsFile() const { return Dir.filePath(QStringLiteral("settings.ini")); }
    QString Path(const QString& Name) const { return Dir.filePath(Name); }

    QString WriteSample(const QString& Name, const QByteArray& Bytes)
    {
        WriteBytesToFile(Path(Name), Bytes);
        return Path(Name);
    }

    QString WriteDocument(const QString& Name, const std::function<void(TData&)>& Fill)
    {
        TData Data;
        Fill(Data);
        return WriteSample(Name, SaveToBytes(Data));
    }

    std::unique_ptr<TMain> Start(const QStringList& Arguments = {})
    {
        SetProgramArguments(Arguments);
        return std::make_unique<TMain>();
    }

    QStringList MessageTexts() const
    {
        QStringList Texts;
        for (const auto& Message : Seam.Messages)
            Texts << Message.Text;
        return Texts;
    }

    QTemporaryDir Dir;
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard;
};

TEST_F(MainWindow, StartsEmptyWithoutArgumentsAndWithTheNamedFileWithOne)
{
    {
        auto Window = Start();
        EXPECT_TRUE(Window->CreationCompleted());
        EXPECT_EQ(Window->windowTitle(), QStringLiteral("Quillon"));
        EXPECT_FALSE(Window->Modified());
        EXPECT_EQ(Window->TreeControl->topLevelItemCount(), 11);
        EXPECT_TRUE(Window->windowState() & Qt::WindowMaximized);
        EXPECT_TRUE(Window->windowFlags() & Qt::WindowMaximizeButtonHint);
    }
    const QString FileName = WriteDocument(QStringLiteral("rich.cpd"), BuildRich);
    auto Window = Start({FileName});
    ASSERT_TRUE(Window->CreationCompleted());
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Quillon [%1]").arg(FileName));
    EXPECT_EQ(Window->TreeControl->topLevelItem(1)->text(0), QStringLiteral("Code package name: Sample package"));
    EXPECT_GT(Window->TreeControl->topLevelItem(10)->childCount(), 0);
    EXPECT_EQ(Window->FilePath(), Dir.path());
    EXPECT_FALSE(Window->Modified());
    EXPECT_TRUE(Seam.Messages.empty());
}

TEST_F(MainWindow, FailedStartShowsTheErrorAndEndsWithoutTheEventLoop)
{
    const QString Damaged = WriteSample(QStringLiteral("damaged.cpd"), QByteArray("not a definition"));
    const struct
    {
        QStringList Arguments;
        const char* ReportStart;
    } Cases[] = {
        {{Path(QStringLiteral("missing.cpd"))}, "Error opening file"},
        {{Damaged}, ""},
        {{Damaged, QStringLiteral("/x")}, "Invalid command line parameters."},
    };
    for (const auto& Case : Cases) {
        Seam.Messages.clear();
        SetProgramArguments(Case.Arguments);
        // Returns at once: with an event loop running the test would never get here.
        EXPECT_EQ(TGuiStartup().RunInteractive(), 1) << Case.Arguments.join(' ').toStdString();
        ASSERT_EQ(Seam.Messages.size(), 1u);
        EXPECT_TRUE(Seam.Messages[0].Text.startsWith(QLatin1String(Case.ReportStart)))
            << Seam.Messages[0].Text.toStdString();
        EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::Warning);
    }
}

TEST_F(MainWindow, NewOpenAndExitAskBeforeDroppingChanges)
{
    enum TCommand
    {
        New,
        Open,
        Exit
    };
    const struct
    {
        TCommand Command;
        TMessageResult Answer;
        bool Proceeds;
        bool Saves;
    } Cases[] = {
        {New, TMessageResult::Yes, true, true},
        {New, TMessageResult::No, true, false},
        {New, TMessageResult::Cancel, false, false},
        {Open, TMessageResult::Yes, true, true},
        {Open, TMessageResult::No, true, false},
        {Open, TMessageResult::Cancel, false, false},
        {Exit, TMessageResult::Yes, true, true},
        {Exit, TMessageResult::No, true, false},
        {Exit, TMessageResult::Cancel, false, false},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(testing::Message() << "command " << Case.Command << " answer " << int(Case.Answer));
        const QString FileName = WriteDocument(QStringLiteral("query.cpd"), BuildRich);
        auto Window = Start({FileName});
        Window->show();
        Window->Document().Name = QStringLiteral("Changed");
        Window->SetModified(true);
        Seam.Messages.clear();
        Seam.FileRequests.clear();
        Seam.Answers = {Case.Answer};

        bool Closed = false;
        switch (Case.Command) {
        case New:
            Window->MenuItem_New->trigger();
            break;
        case Open:
            Window->MenuItem_Open->trigger();
            break;
        case Exit:
            Closed = Window->close();
            break;
        }
        ASSERT_EQ(Seam.Messages.size(), 1u);
        EXPECT_EQ(Seam.Messages[0].Text, QStringLiteral("File has changed. Do you wish to save?"));
        EXPECT_EQ(Seam.Messages[0].Caption, QStringLiteral("Query"));
        EXPECT_EQ(Seam.Messages[0].Buttons, TMessageButtons::YesNoCancel);
        EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::None);
        TData Saved;
        Saved.LoadFromFile(FileName);
        EXPECT_EQ(Saved.Name == QStringLiteral("Changed"), Case.Saves);
        switch (Case.Command) {
        case New:
            EXPECT_EQ(Window->DocumentFileName().isEmpty(), Case.Proceeds);
            break;
        case Open:
            // The open dialog comes only when the document may go; cancelling it keeps the document.
            EXPECT_EQ(Seam.FileRequests.size(), Case.Proceeds ? 1u : 0u);
            EXPECT_EQ(Window->DocumentFileName(), FileName);
            break;
        case Exit:
            EXPECT_EQ(Closed, Case.Proceeds);
            EXPECT_EQ(Window->isVisible(), !Case.Proceeds);
            break;
        }
    }
}

TEST_F(MainWindow, YesOnANeverSavedDocumentSavesAsAndCancellingTheDialogCancelsNew)
{
    auto Window = Start();
    Window->Document().Name = QStringLiteral("Unsaved");
    Window->SetModified(true);
    Seam.Answers = {TMessageResult::Yes};
    Window->MenuItem_New->trigger();
    ASSERT_EQ(Seam.FileRequests.size(), 1u);
    EXPECT_EQ(Seam.FileRequests[0].Filter, QStringLiteral("Code Package Definition File (*.cpd)"));
    EXPECT_EQ(Seam.FileRequests[0].DefaultSuffix, QStringLiteral("cpd"));
    EXPECT_EQ(Window->Document().Name, QStringLiteral("Unsaved"));
    EXPECT_TRUE(Window->Modified());
}

TEST_F(MainWindow, FailedSaveAsKeepsTheCaptionButTheNextSaveUsesTheNewName)
{
    const QString FileName = WriteDocument(QStringLiteral("old.cpd"), BuildRich);
    auto Window = Start({FileName});
    Window->SetModified(true);
    const QString Unwritable = Path(QStringLiteral("no-such-folder/new.cpd"));
    Seam.SaveFileNames = {Unwritable};
    EXPECT_FALSE(Window->SaveAs());
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::Warning);
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Quillon [%1]").arg(FileName));
    EXPECT_EQ(Window->DocumentFileName(), Unwritable);
    EXPECT_TRUE(Window->Modified());

    ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("no-such-folder")));
    EXPECT_TRUE(Window->Save());
    EXPECT_FALSE(Window->Modified());
    EXPECT_EQ(ReadFile(Unwritable), ReadFile(FileName));
}

TEST_F(MainWindow, SaveWritesEverySampleDefinitionAsTheCoreDoes)
{
    for (const TNamedDefinition& Sample : SampleDefinitionFiles()) {
        SCOPED_TRACE(Sample.Name.toStdString());
        const QString FileName = WriteSample(Sample.Name + QStringLiteral(".cpd"), Sample.Bytes);
        TData Loaded;
        Loaded.LoadFromFile(FileName);
        auto Window = Start({FileName});
        ASSERT_TRUE(Window->CreationCompleted());
        // Expanding and collapsing nodes leaves the file as it was read.
        Window->TreeControl->topLevelItem(9)->setExpanded(true);
        Window->TreeControl->topLevelItem(9)->setExpanded(Loaded.Drivers.Expanded());
        Window->MenuItem_Save->trigger();
        EXPECT_TRUE(Seam.Messages.empty());
        EXPECT_EQ(ReadFile(FileName), SaveToBytes(Loaded));
        // Older layouts are written in the current one; the current layout comes back byte for byte.
        if (!Sample.Name.startsWith(QLatin1String("older-"))) {
            EXPECT_EQ(ReadFile(FileName), Sample.Bytes);
        }
    }
}

TEST_F(MainWindow, ExpandingDataTypesSurvivesSaveAndReopenWithoutMarkingAChange)
{
    const QString FileName = WriteDocument(QStringLiteral("plain.cpd"), [](TData&) {});
    {
        auto Window = Start({FileName});
        QTreeWidgetItem* DataTypes = Window->TreeControl->topLevelItem(7);
        ASSERT_EQ(DataTypes->text(0), QStringLiteral("Data types"));
        DataTypes->setExpanded(true);
        EXPECT_TRUE(Window->Document().DataTypesExpanded);
        EXPECT_FALSE(Window->Modified());
        Window->MenuItem_Save->trigger();
    }
    auto Window = Start({FileName});
    EXPECT_TRUE(Window->Document().DataTypesExpanded);
    EXPECT_TRUE(Window->TreeControl->topLevelItem(7)->isExpanded());
    Window->TreeControl->topLevelItem(7)->setExpanded(false);
    EXPECT_FALSE(Window->Document().DataTypesExpanded);
}

TEST_F(MainWindow, ExportBeforeAnySaveAsksForTheFileThenRefusesAndKeepsTheChoice)
{
    auto Window = Start();
    MakeExportable(Window->Document());
    const QString Package = Path(QStringLiteral("out.cpk"));
    Seam.SaveFileNames = {Package};
    Window->MenuItem_Export->trigger();
    ASSERT_EQ(Seam.FileRequests.size(), 1u);
    const TFileDialogRequest& Request = Seam.FileRequests[0];
    EXPECT_EQ(Request.Caption, QStringLiteral("Export"));
    EXPECT_EQ(Request.Filter, QStringLiteral("Code Package File (*.cpk)"));
    EXPECT_EQ(Request.DefaultSuffix, QStringLiteral("cpk"));
    EXPECT_EQ(Request.FilterIndex, 1);
    // Escaped from the handler, the error reaches the window's exception handler: a warning box.
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Text, QStringLiteral("Saving error. Code package definition file must be saved first."));
    EXPECT_EQ(Seam.Messages[0].Caption, QString());
    EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::Warning);
    EXPECT_FALSE(QFile::exists(Package));
    EXPECT_EQ(Window->ExportFileName(), Package);
    EXPECT_EQ(Window->ExportFilePath(), Dir.path() + QLatin1Char('/'));
    EXPECT_EQ(Window->ExportType(), 1);

    // The window stays usable: the next export starts where this one ended, and writes once the
    // definition has a file.
    Seam.Messages.clear();
    Seam.SaveFileNames = {Path(QStringLiteral("definition.cpd")), Package};
    Window->MenuItem_SaveAs->trigger();
    Window->MenuItem_Export->trigger();
    ASSERT_EQ(Seam.FileRequests.size(), 3u);
    EXPECT_EQ(Seam.FileRequests[2].Directory, Dir.path() + QLatin1Char('/'));
    EXPECT_EQ(Seam.FileRequests[2].FileName, Package);
    EXPECT_TRUE(Seam.Messages.empty()) << MessageTexts().join('\n').toStdString();
    EXPECT_TRUE(QFile::exists(Package));
    EXPECT_FALSE(Window->Modified());
}

TEST_F(MainWindow, ExportStopsBeforeItsDialogWhenTheCheckOrTheBetaQuestionSaysNo)
{
    const QString FileName = WriteDocument(QStringLiteral("beta.cpd"), [](TData& Data) {
        MakeExportable(Data);
        Data.BetaSoftware = true;
    });
    auto Window = Start({FileName});
    Seam.Answers = {TMessageResult::No};
    Window->MenuItem_Export->trigger();
    EXPECT_TRUE(Seam.FileRequests.empty());
    ASSERT_EQ(Seam.Messages.size(), 2u);
    EXPECT_EQ(Seam.Messages[1].Text, QStringLiteral("Operation cancelled."));

    Seam.Messages.clear();
    Window->Document().Name.clear();
    Window->MenuItem_Export->trigger();
    Window->MenuItem_ExportErrorCheck->trigger();
    EXPECT_TRUE(Seam.FileRequests.empty());
    ASSERT_EQ(Seam.Messages.size(), 2u);
    for (const QString& Text : MessageTexts())
        EXPECT_TRUE(Text.endsWith(QLatin1String("Code package name is invalid."))) << Text.toStdString();
    EXPECT_TRUE(QDir(Dir.path()).entryList({QStringLiteral("*.cpk")}).isEmpty());

    Seam.Messages.clear();
    Window->Document().Name = QStringLiteral("Named");
    Window->MenuItem_ExportErrorCheck->trigger();
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Text, QStringLiteral("No errors."));
    EXPECT_EQ(Seam.Messages[0].Caption, QStringLiteral("Export Error Check"));
}

TEST_F(MainWindow, SettingsAreReadTolerantlyAndWrittenWhenTheWindowGoes)
{
    {
        auto Window = Start();
        EXPECT_FALSE(QFile::exists(SettingsFile()));
    }
    {
        QSettings Written(SettingsFile(), QSettings::IniFormat);
        EXPECT_EQ(Written.value(QStringLiteral("FilePath")).toString(), QString());
        EXPECT_EQ(Written.value(QStringLiteral("ExportFileName")).toString(), QString());
        EXPECT_EQ(Written.value(QStringLiteral("ExportType")).toInt(), 0);
        Written.setValue(QStringLiteral("FilePath"), QStringLiteral("/packages"));
        Written.setValue(QStringLiteral("ExportType"), QStringLiteral("not a number"));
    }
    {
        auto Window = Start();
        EXPECT_EQ(Window->FilePath(), QStringLiteral("/packages"));
        EXPECT_EQ(Window->ExportType(), 0);
        Window->MenuItem_Open->trigger();
        ASSERT_EQ(Seam.FileRequests.size(), 1u);
        EXPECT_EQ(Seam.FileRequests[0].Directory, QStringLiteral("/packages"));
    }
    // An export type the dialog has no filter for reads as absent too, and is not written back.
    for (const int Stored : {7, -1}) {
        {
            QSettings Written(SettingsFile(), QSettings::IniFormat);
            Written.setValue(QStringLiteral("ExportType"), Stored);
        }
        {
            auto Window = Start();
            EXPECT_EQ(Window->ExportType(), 0);
            MakeExportable(Window->Document());
            Seam.FileRequests.clear();
            Seam.Messages.clear();
            Window->MenuItem_Export->trigger();
            ASSERT_EQ(Seam.FileRequests.size(), 1u) << "the export dialog opens";
            EXPECT_EQ(Seam.FileRequests[0].FilterIndex, 1);
            EXPECT_TRUE(Seam.Messages.empty());
        }
        QSettings Written(SettingsFile(), QSettings::IniFormat);
        EXPECT_EQ(Written.value(QStringLiteral("ExportType")).toInt(), 0);
    }
}

TEST_F(MainWindow, AboutShowsTheVersionAndThePopupMenuWaitsForItsCommands)
{
    auto Window = Start();
    QString Caption, Text;
    int MinimumWidth = 0;
    QTimer::singleShot(0, [&] {
        auto* Box = qobject_cast<TQORAutoForm*>(QApplication::activeModalWidget());
        ASSERT_NE(Box, nullptr);
        Caption = Box->windowTitle();
        MinimumWidth = Box->frameGeometry().width(); // the minimum is the outer size
        if (auto* Label = Box->findChild<QLabel*>())
            Text = Label->text();
        Box->reject();
    });
    Window->MenuItem_About->trigger();
    EXPECT_EQ(Caption, QStringLiteral("About"));
    EXPECT_EQ(Text, QStringLiteral("Quillon V" QUILLON_VERSION_STRING));
    EXPECT_GE(MinimumWidth, 400);

    QStringList Items;
    for (const QAction* Item : Window->PopupMenu->actions()) {
        Items << Item->text();
        EXPECT_FALSE(Item->isVisible() || Item->isEnabled()) << Item->text().toStdString();
    }
    EXPECT_EQ(Items, QStringList({"Create", "Edit", "Cut", "Copy", "Paste", "Clear", "Delete"}));
}

} // namespace
