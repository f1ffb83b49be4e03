#include "foundation/QORList.h"

#include "foundation/QORExceptions.h"

#include <algorithm>
#include <memory>
#include <utility>

void TNotificationSubscribers::NotifyAll(TQORObject* Object) const
{
    // By position, so that a method adding another one does not invalidate the walk.
    for (size_t I = 0; I < FMethods.size(); ++I)
        if (FMethods[I])
            FMethods[I](Object);
}

int32_t TBooleanList::Add(bool Value)
{
    FItems.push_back(Value ? 1 : 0);
    return Count() - 1;
}

bool TBooleanList::Items(int32_t I) const
{
    if (I < 0 || I >= Count())
        throw E_QOR_InvalidListItemIndex();
    return FItems[static_cast<size_t>(I)] != 0;
}

QOR_IMPLEMENT_CLASS(TQORList, TQORObject, nullptr, nullptr)

TQORList::TQORList(const TQORClass* ItemClass, bool OwnsItems) : FItemClass(ItemClass), FOwnsItems(OwnsItems) {}

TQORList::~TQORList()
{
    TQORList::Clear();
}

void TQORList::InvalidateIndexCache()
{
    FIndexCacheValid = false;
}

void TQORList::CheckIndex(int32_t I) const
{
    if (I < 0 || I >= FCount)
        throw E_QOR_InvalidListItemIndex();
}

void TQORList::CheckItemClass(const TQORObject* Item) const
{
    if (Item && FItemClass && !Item->InheritsFrom(*FItemClass))
        throw E_QOR_InvalidObjectType(QStringLiteral("An object of type '%1' cannot be an item of a list of '%2'")
                                          .arg(Item->ClassName(), FItemClass->ClassName()));
}

// Run before anything changes, so that a refused item leaves the list exactly as it was.
void TQORList::CheckNotOwned(const TQORObject* Item) const
{
    if (!FOwnsItems || !Item)
        return;
    if (Item == this)
        throw E_QOR_InvalidArg(QStringLiteral("A list cannot own itself"));
    if (Item->FParent)
        throw E_QOR_ListItemIsAlreadyOwned();
}

void TQORList::TakeItem(TQORObject* Item)
{
    if (FOwnsItems) {
        InvalidateIndexCache();
        if (Item->FParent)
            throw E_QOR_ListItemIsAlreadyOwned();
        Item->FParent = this;
    }
    try {
        Notify(Item, qlnTaken);
    } catch (...) {
        // The item is not stored; the caller still owns it and must be able to destroy it.
        if (FOwnsItems)
            Item->FParent = nullptr;
        throw;
    }
}

// Leaves slot I empty. The item stays in its slot until it is destroyed, so that the deleting
// notification sees an intact list; the slot never holds a destroyed item.
void TQORList::ReleaseSlot(int32_t I)
{
    TQORObject* Item = FItems[static_cast<size_t>(I)].Object;
    if (FOwnsItems)
        InvalidateIndexCache();
    Notify(Item, qlnDeleting);
    if (FOwnsItems) {
        Item->ClearNotifying();
        FSubscribers.NotifyAll(Item);
        FItems[static_cast<size_t>(I)].Object = nullptr;
        Item->FParent = nullptr;
        delete Item;
    } else {
        FItems[static_cast<size_t>(I)].Object = nullptr;
    }
    Notify(nullptr, qlnDeleted);
}

void TQORList::RemoveSlot(int32_t I)
{
    std::move(FItems.begin() + I + 1, FItems.begin() + FCount, FItems.begin() + I);
    --FCount;
    FItems[static_cast<size_t>(FCount)] = TEntry{};
}

void TQORList::Grow()
{
    int32_t Delta;
    if (FCapacity > 64)
        Delta = FCapacity / 4;
    else if (FCapacity > 8)
        Delta = 16;
    else
        Delta = 4;
    SetCapacity(FCapacity + Delta);
}

TQORObject* TQORList::CreateItem()
{
    if (!FItemClass)
        throw E_QOR_InvalidCall(QStringLiteral("The list has no item class to create"));
    return FItemClass->Create();
}

void TQORList::SetCapacity(int32_t N)
{
    if (N < FCount || N >= MaxListSize)
        throw E_QOR_InvalidListItemIndex();
    if (N == FCapacity)
        return;
    std::vector<TEntry> Slots(static_cast<size_t>(N));
    std::move(FItems.begin(), FItems.begin() + FCount, Slots.begin());
    FItems.swap(Slots);
    FCapacity = N;
}

void TQORList::SetCount(int32_t N)
{
    if (N < 0 || N >= MaxListSize)
        throw E_QOR_InvalidListItemIndex();
    if (N > FCapacity)
        SetCapacity(N);
    while (FCount > N)
        Delete(FCount - 1);
    while (FCount < N) {
        if (FOwnsItems) {
            std::unique_ptr<TQORObject> Item(CreateItem());
            Add(Item.get());
            Item.release();
        } else {
            Add(nullptr);
        }
    }
}

void TQORList::Notify(TQORObject* Item, TQORListNotification Action) {}

int TQORList::Compare(const TQORObject* A, const TQORObject* B) const
{
    throw E_QOR_NotImplemented();
}

TQORList* TQORList::CreateList(bool OwnsItems) const
{
    return new TQORList(nullptr, OwnsItems);
}

void TQORList::Sort(const TCompareFunction& Function)
{
    if (FCount == 0)
        return;
    bool Sorted = true;
    for (int32_t I = 0; I + 1 < FCount && Sorted; ++I)
        Sorted = Function(FItems[static_cast<size_t>(I)].Object, FItems[static_cast<size_t>(I) + 1].Object) <= 0;
    if (Sorted)
        return;
    try {
        QuickSort(Function, 0, FCount - 1);
    } catch (...) {
        // The slots are a permutation at every step; only the cached indices are stale.
        if (FOwnsItems)
            InvalidateIndexCache();
        throw;
    }
    if (FOwnsItems)
        InvalidateIndexCache();
}

void TQORList::QuickSort(const TCompareFunction& Function, int32_t Low, int32_t High)
{
    // The bounds on the scans never bind for a consistent comparison; they keep an inconsistent
    // one from walking off the slots.
    // Each part is sorted on its own, so the order in which the two are done does not change the
    // result. Recursing into the smaller one keeps the depth logarithmic: an order chosen to make
    // every pivot the largest item would otherwise recurse once per item and exhaust the stack.
    while (Low < High) {
        int32_t I = Low;
        int32_t J = High;
        const TQORObject* Pivot = FItems[static_cast<size_t>((Low + High) / 2)].Object;
        do {
            while (I < High && Function(FItems[static_cast<size_t>(I)].Object, Pivot) < 0)
                ++I;
            while (J > Low && Function(FItems[static_cast<size_t>(J)].Object, Pivot) > 0)
                --J;
            if (I <= J) {
                std::swap(FItems[static_cast<size_t>(I)], FItems[static_cast<size_t>(J)]);
                ++I;
                --J;
            }
        } while (I <= J);
        if (J - Low < High - I) {
            if (Low < J)
                QuickSort(Function, Low, J);
            Low = I;
        } else {
            if (I < High)
                QuickSort(Function, I, High);
            High = J;
        }
    }
}

void TQORList::Sort()
{
    Sort([this](const TQORObject* A, const TQORObject* B) { return Compare(A, B); });
}

int32_t TQORList::Add(TQORObject* Item)
{
    CheckItemClass(Item);
    CheckNotOwned(Item);
    if (FCount == FCapacity)
        Grow();
    if (Item)
        TakeItem(Item);
    FItems[static_cast<size_t>(FCount)] = TEntry{Item};
    return FCount++;
}

void TQORList::Insert(int32_t Index, TQORObject* Item)
{
    CheckItemClass(Item);
    if (Index < 0 || Index > FCount)
        throw E_QOR_InvalidListItemIndex();
    CheckNotOwned(Item);
    if (FCount == FCapacity)
        Grow();
    // Taken before the shift, so that a refusal leaves the slots untouched.
    if (Item)
        TakeItem(Item);
    else if (FOwnsItems)
        InvalidateIndexCache();
    std::move_backward(FItems.begin() + Index, FItems.begin() + FCount, FItems.begin() + FCount + 1);
    FItems[static_cast<size_t>(Index)] = TEntry{Item};
    ++FCount;
}

void TQORList::AddList(const TQORList* Source)
{
    if (!Source)
        throw E_QOR_ObjectPointerIsNil();
    const int32_t N = Source->FCount;
    for (int32_t I = 0; I < N; ++I) {
        const TEntry& Entry = Source->FItems[static_cast<size_t>(I)];
        if (Entry.IsPending) {
            AddPending(Entry.Pending);
            continue;
        }
        if (!Entry.Object || (FItemClass && !Entry.Object->InheritsFrom(*FItemClass)))
            throw E_QOR_InvalidArg();
        Add(Entry.Object);
    }
}

void TQORList::Delete(int32_t Index)
{
    CheckIndex(Index);
    // Every later item moves down, whether or not the slot held one.
    if (FOwnsItems)
        InvalidateIndexCache();
    if (FItems[static_cast<size_t>(Index)].Object) {
        try {
            ReleaseSlot(Index);
        } catch (...) {
            // Once the item is gone its slot must go too; before that, nothing has changed.
            if (!FItems[static_cast<size_t>(Index)].Object)
                RemoveSlot(Index);
            throw;
        }
    }
    RemoveSlot(Index);
}

void TQORList::Remove(const TQORObject* Item)
{
    for (int32_t I = FCount - 1; I >= 0; --I) {
        if (I >= FCount)
            continue;
        const TEntry& Entry = FItems[static_cast<size_t>(I)];
        if (Entry.IsPending || Entry.Object != Item)
            continue;
        Delete(I);
        // An owned item was destroyed and can occupy no other slot.
        if (FOwnsItems && Item)
            break;
    }
}

TQORObject* TQORList::Extract(int32_t Index)
{
    CheckIndex(Index);
    TQORObject* Item = FItems[static_cast<size_t>(Index)].Object;
    FItems[static_cast<size_t>(Index)] = TEntry{};
    Delete(Index);
    if (FOwnsItems) {
        InvalidateIndexCache();
        try {
            Notify(Item, qlnExtracted);
        } catch (...) {
            if (Item)
                Item->FParent = nullptr;
            throw;
        }
        if (Item)
            Item->FParent = nullptr;
    }
    return Item;
}

void TQORList::Exchange(int32_t I, int32_t J)
{
    CheckIndex(I);
    CheckIndex(J);
    std::swap(FItems[static_cast<size_t>(I)], FItems[static_cast<size_t>(J)]);
    if (FOwnsItems)
        InvalidateIndexCache();
}

TQORObject* TQORList::FindByName(const QString& Name, bool SearchChildren) const
{
    for (int32_t I = 0; I < FCount; ++I) {
        TQORObject* Item = FItems[static_cast<size_t>(I)].Object;
        if (!Item)
            continue;
        if (Item->GetName().compare(Name, Qt::CaseInsensitive) == 0)
            return Item;
        if (!SearchChildren)
            continue;
        auto* Child = dynamic_cast<const TQORList*>(Item);
        if (!Child)
            throw E_QOR(QStringLiteral("Cannot search children as the objects contained in the list are not lists."));
        if (TQORObject* Found = Child->FindByName(Name, true))
            return Found;
    }
    return nullptr;
}

TQORObject* TQORList::Items(int32_t I) const
{
    CheckIndex(I);
    return FItems[static_cast<size_t>(I)].Object;
}

void TQORList::SetItem(int32_t I, TQORObject* Item)
{
    CheckItemClass(Item);
    CheckIndex(I);
    CheckNotOwned(Item);
    if (FItems[static_cast<size_t>(I)].Object)
        ReleaseSlot(I);
    FItems[static_cast<size_t>(I)] = TEntry{};
    if (Item)
        TakeItem(Item);
    FItems[static_cast<size_t>(I)].Object = Item;
}

bool TQORList::Contains(const TQORObject* Item) const
{
    for (int32_t I = 0; I < FCount; ++I) {
        const TEntry& Entry = FItems[static_cast<size_t>(I)];
        if (!Entry.IsPending && Entry.Object == Item)
            return true;
    }
    return false;
}

int32_t TQORList::AddSorted(TQORObject* Item)
{
    CheckItemClass(Item);
    int32_t Position = 0;
    while (Position < FCount && Compare(Item, FItems[static_cast<size_t>(Position)].Object) == 1)
        ++Position;
    Insert(Position, Item);
    return Position;
}

void TQORList::Disown()
{
    for (int32_t I = 0; I < FCount; ++I) {
        TQORObject* Item = FItems[static_cast<size_t>(I)].Object;
        // A reference list's items belong to another list; leave their parent alone.
        if (Item && Item->FParent == this)
            Item->FParent = nullptr;
    }
    FOwnsItems = false;
    InvalidateIndexCache();
}

bool TQORList::IsPending(int32_t I) const
{
    CheckIndex(I);
    return FItems[static_cast<size_t>(I)].IsPending;
}

int32_t TQORList::PendingIndex(int32_t I) const
{
    CheckIndex(I);
    const TEntry& Entry = FItems[static_cast<size_t>(I)];
    if (!Entry.IsPending)
        throw E_QOR_InvalidCall(QStringLiteral("The list entry holds a reference, not a position"));
    return Entry.Pending;
}

void TQORList::SetPending(int32_t I, int32_t Index)
{
    CheckIndex(I);
    TEntry& Entry = FItems[static_cast<size_t>(I)];
    if (!Entry.IsPending)
        throw E_QOR_InvalidCall(QStringLiteral("The list entry holds a reference, not a position"));
    Entry.Pending = Index;
}

int32_t TQORList::AddPending(int32_t Index)
{
    if (FOwnsItems)
        throw E_QOR_InvalidCall(QStringLiteral("An owning list cannot hold positions"));
    if (FCount == FCapacity)
        Grow();
    FItems[static_cast<size_t>(FCount)] = TEntry{nullptr, Index, true};
    return FCount++;
}

void TQORList::ResolvePending(const TQORList& Source)
{
    if (FOwnsItems)
        throw E_QOR_InvalidCall();
    // Everything is checked first: a failed resolution leaves every entry as it was.
    for (int32_t I = 0; I < FCount; ++I) {
        const TEntry& Entry = FItems[static_cast<size_t>(I)];
        if (Entry.IsPending)
            CheckItemClass(Source.Items(Entry.Pending));
    }
    for (int32_t I = 0; I < FCount; ++I) {
        TEntry& Entry = FItems[static_cast<size_t>(I)];
        if (Entry.IsPending)
            Entry = TEntry{Source.Items(Entry.Pending)};
    }
}

void TQORList::RebuildIndexCache() const
{
    if (!FOwnsItems)
        throw E_QOR_ListNeedsToOwnItemsForThisOperation();
    for (int32_t I = 0; I < FCount; ++I)
        if (TQORObject* Item = FItems[static_cast<size_t>(I)].Object)
            Item->FIndex = I;
    FIndexCacheValid = true;
}

void TQORList::Clear()
{
    std::vector<TEntry> Slots;
    Slots.swap(FItems);
    const int32_t N = FCount;
    FCount = 0;
    FCapacity = 0;
    InvalidateIndexCache();
    if (!FOwnsItems)
        return;
    for (int32_t I = 0; I < N; ++I) {
        if (TQORObject* Item = Slots[static_cast<size_t>(I)].Object) {
            Item->FParent = nullptr;
            delete Item;
        }
    }
}

void TQORList::ClearNotifying()
{
    while (FCount > 0)
        Delete(FCount - 1);
    SetCapacity(0);
    Clear();
}
