#pragma once

// The undo history of the main window's document. A step holds the definition as a save writes it,
// before and after one command, so undoing and redoing bring back exactly what was there: IDs,
// references between elements and every Expanded flag. A step also knows which tree node was
// selected on either side, as row positions from the root, which stay valid because the tree is
// built from the restored bytes alone.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUndoStack>

#include <cstdint>
#include <exception>
#include <functional>

class TData;

// Rows from the root down to a tree node; empty for no node.
using TTreePath = QList<int>;

class TDocumentHistory : public QObject
{
public:
    static constexpr int MaxSteps = 100;
    static constexpr int64_t MaxBytes = int64_t(256) * 1024 * 1024;

    explicit TDocumentHistory(TData& Document, QObject* Parent = nullptr);
    ~TDocumentHistory() override;

    QUndoStack& Stack() { return FStack; }
    const QUndoStack& Stack() const { return FStack; }

    // The document as a save writes it now.
    QByteArray Snapshot() const;
    // Records one command that took the document from Before to After. The oldest steps go while
    // the steps hold more than the byte limit; the newest one always stays.
    void Push(const QString& Text, QByteArray Before, QByteArray After, TTreePath SelectBefore, TTreePath SelectAfter);
    // Forgets every step; the document as it is now counts as saved.
    void Clear();
    // The document as it is now is the saved one.
    void SetSaved();
    // Replaces the document by Bytes (a snapshot of it); nothing changes when that fails.
    void Restore(const QByteArray& Bytes);

    // Each raises what restoring raised, and then leaves the document and the position as they were.
    void Undo();
    void Redo();

    // Bytes held by the steps, each distinct snapshot counted once.
    int64_t HeldBytes() const;
    int64_t ByteLimit() const { return FByteLimit; }
    // MaxBytes unless set; applies from the next step on.
    void SetByteLimit(int64_t Limit) { FByteLimit = Limit; }

    // Called after an undo or redo restored the document, with the node to select.
    std::function<void(const TTreePath&)> OnRestored;

private:
    class TStep;
    friend class TStep;

    void Step(bool Forward);
    void DropOldest(int Count);

    TData& FDocument;
    QUndoStack FStack;
    // Set while the stack moves without the document following: a push of a step already taken,
    // rebuilding the stack, taking back a failed restore.
    bool FReplaying = false;
    int64_t FByteLimit = MaxBytes;
    std::exception_ptr FFailure;
};
