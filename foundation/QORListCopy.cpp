// Comparing and copying whole lists: item by item, or matched up by name.

#include "foundation/QORExceptions.h"
#include "foundation/QORList.h"

#include <algorithm>
#include <memory>
#include <vector>

bool TQORList::Equals(const TQORObject* Other) const
{
    auto* OtherList = dynamic_cast<const TQORList*>(Other);
    if (!OtherList)
        throw E_QOR_InvalidObjectType();
    if (OtherList == this)
        throw E_QOR_InvalidArg();
    if (FCount != OtherList->FCount)
        return false;
    for (int32_t I = 0; I < FCount; ++I) {
        const TEntry& A = FItems[static_cast<size_t>(I)];
        const TEntry& B = OtherList->FItems[static_cast<size_t>(I)];
        if (A.IsPending || B.IsPending) {
            if (!(A.IsPending && B.IsPending && A.Pending == B.Pending))
                return false;
            continue;
        }
        // Two reference lists naming the same object agree without asking it to compare with itself.
        if (A.Object == B.Object)
            continue;
        if (!A.Object || !B.Object || !A.Object->Equals(B.Object))
            return false;
    }
    return true;
}

void TQORList::Assign(const TQORObject* Source, bool KeepReferences)
{
    auto* SourceList = dynamic_cast<const TQORList*>(Source);
    if (!SourceList)
        throw E_QOR_InvalidObjectType();
    if (SourceList == this)
        throw E_QOR_InvalidArg();
    const int32_t N = SourceList->FCount;

    if (!FOwnsItems) {
        // Positions are worked out before anything changes: an item without a parent list fails here.
        std::vector<TEntry> Entries(static_cast<size_t>(N));
        for (int32_t I = 0; I < N; ++I) {
            const TEntry& From = SourceList->FItems[static_cast<size_t>(I)];
            if (KeepReferences || From.IsPending || !From.Object)
                Entries[static_cast<size_t>(I)] = From;
            else
                Entries[static_cast<size_t>(I)] = TEntry{nullptr, IndexOfObject(From.Object), true};
        }
        SetCount(N);
        std::copy(Entries.begin(), Entries.end(), FItems.begin());
        SetExpanded(SourceList->Expanded());
        return;
    }

    SetCount(N);
    for (int32_t I = 0; I < N; ++I) {
        const TQORObject* From = SourceList->FItems[static_cast<size_t>(I)].Object;
        TQORObject* Own = FItems[static_cast<size_t>(I)].Object;
        if (!From) {
            if (Own)
                SetItem(I, nullptr);
            continue;
        }
        if (!Own) {
            std::unique_ptr<TQORObject> Item(From->Class().Create());
            SetItem(I, Item.get());
            Own = Item.release();
        }
        Own->Assign(From, KeepReferences);
    }
    SetExpanded(SourceList->Expanded());
}

void TQORList::AssignByName(const TQORObject* Source, bool KeepReferences)
{
    auto* SourceList = dynamic_cast<const TQORList*>(Source);
    if (!SourceList)
        throw E_QOR_InvalidObjectType();
    if (SourceList == this)
        throw E_QOR_InvalidArg();
    // Matching by name would reach into the objects a reference list merely points at.
    if (!FOwnsItems) {
        Assign(Source, KeepReferences);
        return;
    }

    for (int32_t I = FCount - 1; I >= 0; --I) {
        TQORObject* Item = FItems[static_cast<size_t>(I)].Object;
        if (!Item || !SourceList->FindByName(Item->GetName(), false))
            Delete(I);
    }
    // Slots before Position are final; a kept item of the right name is moved up to Position.
    const int32_t N = SourceList->FCount;
    int32_t Position = 0;
    for (int32_t K = 0; K < N; ++K) {
        const TQORObject* From = SourceList->FItems[static_cast<size_t>(K)].Object;
        if (!From)
            continue;
        const QString Name = From->GetName();
        int32_t Found = -1;
        for (int32_t J = Position; J < FCount && Found < 0; ++J)
            if (FItems[static_cast<size_t>(J)].Object->GetName().compare(Name, Qt::CaseInsensitive) == 0)
                Found = J;
        if (Found >= 0) {
            std::rotate(FItems.begin() + Position, FItems.begin() + Found, FItems.begin() + Found + 1);
            InvalidateIndexCache();
        } else {
            std::unique_ptr<TQORObject> Item(CreateItem());
            Insert(Position, Item.get());
            Item.release();
        }
        FItems[static_cast<size_t>(Position)].Object->AssignByName(From, KeepReferences);
        ++Position;
    }
    // Left over: kept items whose name the source held fewer times than this list.
    while (FCount > Position)
        Delete(FCount - 1);
    SetExpanded(SourceList->Expanded());
}
