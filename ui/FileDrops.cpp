// Files dropped from a file manager: onto "Code modules" a code module per file, onto a code
// module's "Support files" a support file per file, onto "Drivers" a driver per file, each made as
// Create makes it with the file's folder and name filled in, the whole drop one undo step. A single
// definition file dropped anywhere on the window is opened, after the save question.

#include "forms/ObjectTreeView.h"
#include "forms/QORApplication.h"
#include "foundation/BusyCursor.h"
#include "model/CodeModule.h"
#include "model/Driver.h"
#include "model/SupportFile.h"
#include "ui/ElementCreation.h"
#include "ui/MainWindow.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

// The local files of a drop; empty when anything else comes along.
QStringList DroppedFiles(const QMimeData* Data)
{
    QStringList Files;
    if (!Data || !Data->hasUrls())
        return Files;
    for (const QUrl& Url : Data->urls()) {
        if (!Url.isLocalFile() || Url.toLocalFile().isEmpty())
            return {};
        Files << Url.toLocalFile();
    }
    return Files;
}

bool IsDefinitionFile(const QStringList& Files)
{
    return Files.size() == 1 &&
           QFileInfo(Files.front()).suffix().compare(QLatin1String("cpd"), Qt::CaseInsensitive) == 0;
}

// The list a drop of files onto Node fills; none for any other node.
TQORList* DropList(QTreeWidgetItem* Node)
{
    const TQORTreeNode* ObjectNode = TQORObjectTreeView::NodeOf(Node);
    TQORObject* Object = ObjectNode ? ObjectNode->Object() : nullptr;
    if (dynamic_cast<TCodeModules*>(Object) || dynamic_cast<TDrivers*>(Object) || dynamic_cast<TSupportFiles*>(Object))
        return static_cast<TQORList*>(Object);
    return nullptr;
}

void FillFromFile(TQORObject& Element, const QString& File)
{
    const QFileInfo Info(File);
    const QString Folder = QDir::toNativeSeparators(Info.absolutePath());
    const QString Name = Info.fileName();
    if (auto* Module = dynamic_cast<TCodeModule*>(&Element)) {
        Module->FilePath = Folder;
        Module->FileName = Name;
    } else if (auto* Driver = dynamic_cast<TDriver*>(&Element)) {
        Driver->FilePath = Folder;
        Driver->FileName = Name;
    } else if (auto* Support = dynamic_cast<TSupportFile*>(&Element)) {
        Support->SourceFilePath = Folder;
        Support->SourceFileName = Name;
        // Support files are kept in order of their path: the filled-in one moves to its place.
        TQORList* List = Support->Parent();
        List->Extract(Support->GetIndex());
        List->AddSorted(Support);
    }
}

// Watches the tree's viewport and the window for drags of files.
class TFileDropFilter : public QObject
{
public:
    TFileDropFilter(TMain& Window, QWidget* Viewport) : QObject(&Window), FWindow(Window), FViewport(Viewport) {}

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        const QEvent::Type Type = Event->type();
        if (Type != QEvent::DragEnter && Type != QEvent::DragMove && Type != QEvent::Drop)
            return QObject::eventFilter(Watched, Event);
        auto* Drop = static_cast<QDropEvent*>(Event);
        // Nodes dragged inside the tree are the tree's own business.
        if (!Drop->mimeData() || !Drop->mimeData()->hasUrls())
            return QObject::eventFilter(Watched, Event);
        const bool OnTree = Watched == FViewport;
        QTreeWidgetItem* Target = OnTree ? FWindow.TreeControl->itemAt(Drop->position().toPoint()) : nullptr;
        // Entering the tree takes any files: whether they may be dropped depends on the node they
        // are moved over, and only a drag that was taken on entering hears of the moves.
        const bool AnyTarget = OnTree && Type == QEvent::DragEnter;
        bool Taken = false;
        GuardedEvent(
            [&] {
                if (!FWindow.CanDropFiles(Drop->mimeData(), Target, AnyTarget))
                    return;
                Drop->setDropAction(Qt::CopyAction);
                Drop->accept();
                Taken = true;
                if (Type == QEvent::Drop)
                    FWindow.DropFiles(Drop->mimeData(), Target);
            },
            &FWindow);
        if (!Taken)
            Drop->ignore();
        return true;
    }

private:
    TMain& FWindow;
    QWidget* FViewport;
};

} // namespace

void TMain::ConnectFileDrops()
{
    setAcceptDrops(true);
    auto* Filter = new TFileDropFilter(*this, TreeControl->viewport());
    TreeControl->viewport()->installEventFilter(Filter);
    installEventFilter(Filter);
}

bool TMain::CanDropFiles(const QMimeData* Data, QTreeWidgetItem* Target, bool AnyTarget) const
{
    const QStringList Files = DroppedFiles(Data);
    return !Files.isEmpty() && (AnyTarget || IsDefinitionFile(Files) || DropList(Target));
}

bool TMain::DropFiles(const QMimeData* Data, QTreeWidgetItem* Target)
{
    const QStringList Files = DroppedFiles(Data);
    if (Files.isEmpty())
        return false;
    if (IsDefinitionFile(Files)) {
        if (!FormCloseQuery())
            return true;
        {
            TBusyCursor Busy;
            LoadDocument(Files.front());
        }
        UpdateView();
        return true;
    }
    TQORList* List = DropList(Target);
    if (!List)
        return false;
    RunCommand(QStringLiteral("Drop"), [this, List, &Files] {
        TCommandOutcome Outcome;
        // Each new element is sorted in ahead of the named ones, as Create does: made last to first,
        // they stand in the order dropped. The first file's element is selected.
        for (auto File = Files.crbegin(); File != Files.crend(); ++File) {
            TQORObject* Element = CreateElement(this, List);
            FillFromFile(*Element, *File);
            Outcome.Select = Element;
        }
        Outcome.Changed = true;
        Outcome.Subject = List->TreeNode() ? List->TreeNode()->text(0) : QString();
        return Outcome;
    });
    return true;
}
