#pragma once

// A main window for the undo, Edit menu, selection and drop suites: scripted boxes, its own settings
// file and an in-memory clipboard, a definition opened from a file, and helpers that find and select
// nodes by their texts and run commands as the user does.

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "forms/ObjectTreeView.h"
#include "foundation/ObjectClipboard.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"
#include "model/ElementRegistry.h"
#include "samples/SampleDefinitions.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

class TMemoryClipboard : public IClipboardBackend
{
public:
    void SetContent(const QString& FormatName, const QString&, const QByteArray& Payload) override
    {
        FContent = {{FormatName, Payload}};
    }
    bool HasFormat(const QString& FormatName) const override { return FContent.contains(FormatName); }
    QByteArray Content(const QString& FormatName) const override { return FContent.value(FormatName); }

private:
    QMap<QString, QByteArray> FContent;
};

class EditingFixture : public ::testing::Test
{
protected:
    EditingFixture() : Guard(&Seam)
    {
        RegisterElementClasses();
        SetSettingsFileForTesting(Dir.filePath(QStringLiteral("settings.ini")));
        SetProgramArguments({});
        QGuiApplication::setQuitOnLastWindowClosed(false);
        Window = std::make_unique<TMain>();
        Window->Clipboard().SetBackend(&Clipboard);
    }
    ~EditingFixture() override
    {
        Window.reset();
        QGuiApplication::setQuitOnLastWindowClosed(true);
        SetSettingsFileForTesting(QString());
    }

    TData& Document() { return Window->Document(); }
    QByteArray Bytes() { return SampleDefinitions::SaveToBytes(Document()); }

    // Saves Data as a file and opens it in the window, as Open does; answers the file's bytes.
    QByteArray Open(const TData& Data, const QString& Name = QStringLiteral("open.cpd"))
    {
        FileName = Dir.filePath(Name);
        Data.SaveToFile(FileName);
        Window->LoadDocument(FileName);
        Window->UpdateView();
        QFile File(FileName);
        File.open(QIODevice::ReadOnly);
        return File.readAll();
    }

    QByteArray OpenRich()
    {
        TData Rich;
        SampleDefinitions::BuildRich(Rich);
        return Open(Rich);
    }

    // The node reached by following texts from the root, each the start of a node's text.
    QTreeWidgetItem* Node(const QStringList& Path)
    {
        QTreeWidgetItem* Current = Window->TreeControl->invisibleRootItem();
        for (const QString& Text : Path) {
            // As a user opening the way there: unbuilt children are made.
            if (TQORTreeNode* Unbuilt = TQORObjectTreeView::NodeOf(Current))
                Unbuilt->BuildChildren();
            QTreeWidgetItem* Next = nullptr;
            for (int I = 0; I < Current->childCount() && !Next; ++I)
                if (Current->child(I)->text(0).startsWith(Text))
                    Next = Current->child(I);
            if (!Next)
                return nullptr;
            Current = Next;
        }
        return Current;
    }

    void Select(const QStringList& Path)
    {
        QTreeWidgetItem* Item = Node(Path);
        ASSERT_NE(Item, nullptr) << Path.join('/').toStdString();
        Window->TreeControl->setCurrentItem(Item);
    }

    QString SelectedText()
    {
        const QTreeWidgetItem* Item = Window->TreeControl->currentItem();
        return Item && Item->isSelected() ? Item->text(0) : QStringLiteral("<none>");
    }

    // The next modal dialog is answered with Accept or Cancel, after Change ran on it.
    void AnswerNextDialog(bool Accept, std::function<void(QDialog&)> Change = {})
    {
        QTimer::singleShot(0, [Accept, Change] {
            auto* Dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!Dialog)
                return;
            if (Change)
                Change(*Dialog);
            Accept ? Dialog->accept() : Dialog->reject();
        });
    }

    // As the user does: the menu opens for the selected node, then the item is clicked.
    void Run(QAction* Item)
    {
        Window->PopupMenuPopup();
        ASSERT_TRUE(Item->isVisible() && Item->isEnabled()) << Item->text().toStdString();
        Item->trigger();
    }

    QTemporaryDir Dir;
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard;
    TMemoryClipboard Clipboard;
    std::unique_ptr<TMain> Window;
    QString FileName;
};
