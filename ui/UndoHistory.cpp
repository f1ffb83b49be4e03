#include "ui/UndoHistory.h"

#include "foundation/MemoryStream.h"
#include "model/Data.h"

#include <QUndoCommand>

#include <exception>
#include <unordered_set>
#include <utility>
#include <vector>

class TDocumentHistory::TStep : public QUndoCommand
{
public:
    TStep(TDocumentHistory& History,
          const QString& Text,
          QByteArray Before,
          QByteArray After,
          TTreePath SelectBefore,
          TTreePath SelectAfter)
        : QUndoCommand(Text), FBefore(std::move(Before)), FAfter(std::move(After)), FHistory(History),
          FSelectBefore(std::move(SelectBefore)), FSelectAfter(std::move(SelectAfter))
    {}

    void undo() override { Apply(FBefore, FSelectBefore); }
    void redo() override { Apply(FAfter, FSelectAfter); }

    TStep* Copy() const { return new TStep(FHistory, text(), FBefore, FAfter, FSelectBefore, FSelectAfter); }

    QByteArray FBefore;
    QByteArray FAfter;

private:
    // QUndoStack is not built for exceptions: a failure is kept and raised once the stack returns.
    void Apply(const QByteArray& Bytes, const TTreePath& Select)
    {
        if (FHistory.FReplaying)
            return;
        try {
            FHistory.Restore(Bytes);
            if (FHistory.OnRestored)
                FHistory.OnRestored(Select);
        } catch (...) {
            FHistory.FFailure = std::current_exception();
        }
    }

    TDocumentHistory& FHistory;
    TTreePath FSelectBefore;
    TTreePath FSelectAfter;
};

namespace {

struct TReplaying
{
    bool& Flag;
    const bool Old;
    explicit TReplaying(bool& Value) : Flag(Value), Old(Value) { Flag = true; }
    ~TReplaying() { Flag = Old; }
};

} // namespace

TDocumentHistory::TDocumentHistory(TData& Document, QObject* Parent) : QObject(Parent), FDocument(Document)
{
    FStack.setUndoLimit(MaxSteps);
}

TDocumentHistory::~TDocumentHistory()
{
    const TReplaying Replaying(FReplaying);
    FStack.clear();
}

QByteArray TDocumentHistory::Snapshot() const
{
    TMemoryStream Stream;
    FDocument.SaveToStream(Stream);
    return Stream.Data();
}

void TDocumentHistory::Push(
    const QString& Text, QByteArray Before, QByteArray After, TTreePath SelectBefore, TTreePath SelectAfter)
{
    // Most steps start where the last one ended: the two share one buffer.
    if (FStack.index() > 0) {
        const auto* Last = static_cast<const TStep*>(FStack.command(FStack.index() - 1));
        if (Last->FAfter == Before)
            Before = Last->FAfter;
    }
    {
        const TReplaying Replaying(FReplaying);
        FStack.push(new TStep(*this, Text, std::move(Before), std::move(After), SelectBefore, SelectAfter));
    }
    int64_t Held = 0;
    int Keep = 0;
    std::unordered_set<const char*> Counted;
    for (int I = FStack.count() - 1; I >= 0; --I) {
        const auto* Step = static_cast<const TStep*>(FStack.command(I));
        for (const QByteArray* Bytes : {&Step->FAfter, &Step->FBefore})
            if (Counted.insert(Bytes->constData()).second)
                Held += Bytes->size();
        if (Keep > 0 && Held > FByteLimit)
            break;
        ++Keep;
    }
    if (Keep < FStack.count())
        DropOldest(FStack.count() - Keep);
}

// QUndoStack drops its oldest steps only by count, and its limit is fixed once it holds steps:
// the stack is rebuilt from the steps that stay, with the same position and saved point.
void TDocumentHistory::DropOldest(int Count)
{
    const int Index = FStack.index();
    const int Clean = FStack.cleanIndex();
    std::vector<TStep*> Kept;
    for (int I = Count; I < FStack.count(); ++I)
        Kept.push_back(static_cast<const TStep*>(FStack.command(I))->Copy());
    const TReplaying Replaying(FReplaying);
    FStack.clear();
    for (TStep* Step : Kept)
        FStack.push(Step);
    if (Clean >= Count) {
        FStack.setIndex(Clean - Count);
        FStack.setClean();
    } else {
        FStack.resetClean();
    }
    FStack.setIndex(Index - Count);
}

void TDocumentHistory::Clear()
{
    const TReplaying Replaying(FReplaying);
    FStack.clear();
}

void TDocumentHistory::SetSaved()
{
    FStack.setClean();
}

void TDocumentHistory::Restore(const QByteArray& Bytes)
{
    TMemoryStream Stream(Bytes);
    FDocument.LoadFromStream(Stream);
}

void TDocumentHistory::Undo()
{
    Step(false);
}

void TDocumentHistory::Redo()
{
    Step(true);
}

void TDocumentHistory::Step(bool Forward)
{
    FFailure = nullptr;
    Forward ? FStack.redo() : FStack.undo();
    if (!FFailure)
        return;
    // Restoring reads into a scratch package first, so the document is still the one before the
    // move: the position goes back to it.
    {
        const TReplaying Replaying(FReplaying);
        Forward ? FStack.undo() : FStack.redo();
    }
    std::exception_ptr Failure = std::exchange(FFailure, nullptr);
    std::rethrow_exception(Failure);
}

int64_t TDocumentHistory::HeldBytes() const
{
    int64_t Held = 0;
    std::unordered_set<const char*> Counted;
    for (int I = 0; I < FStack.count(); ++I) {
        const auto* Step = static_cast<const TStep*>(FStack.command(I));
        for (const QByteArray* Bytes : {&Step->FBefore, &Step->FAfter})
            if (Counted.insert(Bytes->constData()).second)
                Held += Bytes->size();
    }
    return Held;
}
