#pragma once

// The safety net under the main window's document: a copy of unsaved work in the recovery folder
// (offered again after a crash), a lock beside the open definition file against a second Quillon,
// and a check that the file on disk is still what the window loaded or saved. The window calls it
// at open, save, new, close and after every change; it watches the window's activation itself.
//
// The net is off unless switched on for the process: the interactive program switches it on, the
// unattended export and windows made by tests without asking for it never lock, copy or ask.

#include "app/DiskSnapshot.h"
#include "app/RecoveryStore.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class TDefinitionLock;
class TMain;

struct TSafetyNet
{
    bool Enabled = false;
    QString RecoveryFolder;
    // How long after a change its copy is written, in milliseconds.
    int RecoveryDelay = 2000;
};

// Switches the net on or off for the windows made afterwards and restores the previous setting.
class TSafetyNetScope
{
public:
    explicit TSafetyNetScope(const TSafetyNet& Net);
    ~TSafetyNetScope();
    TSafetyNetScope(const TSafetyNetScope&) = delete;
    TSafetyNetScope& operator=(const TSafetyNetScope&) = delete;

private:
    TSafetyNet FPrevious;
};

class TDocumentGuard : public QObject
{
    Q_OBJECT
public:
    explicit TDocumentGuard(TMain& Window);
    // A document still modified that was not given up through the close query keeps its copy.
    ~TDocumentGuard() override;

    bool Enabled() const { return FNet.Enabled; }

    // Before FileName is loaded: takes its lock, or asks whether to open it anyway when another
    // Quillon holds it. Cancelling raises the silent abort, before the document is touched.
    void OpeningDocument(const QString& FileName);
    void DocumentOpened(const QString& FileName);
    // The document was emptied: its copy and its lock go.
    void DocumentCleared();
    // Before the document is written to FileName: false when the user would rather not overwrite
    // a file another program changed, or one that another Quillon has open.
    bool MayWrite(const QString& FileName);
    void DocumentSaved(const QString& FileName);
    // The tree was rebuilt, as after every change: a modified document gets a copy soon.
    void ViewUpdated();
    // The window closed through its close query: the user saved or gave the changes up.
    void WindowClosed();

    // Offers the copies of Quillons that no longer run, newest first, until one is restored.
    void OfferRecovery();
    // Compares the file on disk with what was loaded or saved, as when the window becomes active.
    void CheckDisk();
    // Writes the copy of a modified document now instead of after the delay.
    void WriteRecovery();
    TRecoveryStore* Store() const { return FStore.get(); }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // Stops the pending copy and removes the one written, if any.
    void DropCopy();
    bool Restore(const TRecoveryStore::TOrphan& Orphan);
    void Reload(const QString& FileName);

    TMain& FWindow;
    TSafetyNet FNet;
    std::unique_ptr<TRecoveryStore> FStore;
    std::unique_ptr<TDefinitionLock> FLock;
    // The lock taken for a file that is being opened, until it has loaded.
    std::unique_ptr<TDefinitionLock> FOpeningLock;
    bool FOpening = false;
    TDiskSnapshot FDisk;
    // The disk's state the user was last told about, so that each change is told once.
    TDiskSnapshot FToldDisk;
    QTimer FRecoveryTimer;
    QDateTime FLastChange;
    QByteArray FWrittenBytes;
    QString FWrittenName;
    bool FHasCopy = false;
    bool FClosed = false;
    bool FChecking = false;
    bool FCheckPosted = false;
};
