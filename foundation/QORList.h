#pragma once

// A typed list of TQORObject that may own its items. An owning list sets its items' Parent,
// destroys them on removal and keeps their cached indices. A non-owning list holds references; its
// entries may also be pending indices (a position in some other list, waiting to be resolved) while
// a document loads or after a copy that did not keep references.

#include "foundation/QORObject.h"

#include <functional>
#include <vector>

enum TQORListNotification : int32_t
{
    qlnTaken = 1,
    qlnDeleting = 2,
    qlnDeleted = 3,
    qlnExtracted = 4,
};

// Methods told when an owned item is about to be destroyed.
class TNotificationSubscribers
{
public:
    using TMethod = std::function<void(TQORObject*)>;
    void Add(TMethod Method) { FMethods.push_back(std::move(Method)); }
    void Clear() { FMethods.clear(); }
    int Count() const { return static_cast<int>(FMethods.size()); }
    void NotifyAll(TQORObject* Object) const;

private:
    std::vector<TMethod> FMethods;
};

// Booleans kept as list entries of 0 or 1.
class TBooleanList
{
public:
    int32_t Add(bool Value);
    // Raises E_QOR_InvalidListItemIndex outside 0 … Count − 1.
    bool Items(int32_t I) const;
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    void Clear() { FItems.clear(); }

private:
    std::vector<uint8_t> FItems;
};

// Upper bound (exclusive) of a list's count and capacity.
constexpr int32_t MaxListSize = 0x8000000;

class TQORList : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    using TCompareFunction = std::function<int(const TQORObject* A, const TQORObject* B)>;

    TQORList(const TQORClass* ItemClass, bool OwnsItems);
    explicit TQORList(bool OwnsItems) : TQORList(nullptr, OwnsItems) {}
    ~TQORList() override;

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    void AssignByName(const TQORObject* Source, bool KeepReferences) override;
    bool Equals(const TQORObject* Other) const override;
    void Clear() override;
    void ClearNotifying() override;

    virtual void Grow();
    virtual TQORObject* CreateItem();
    virtual void SetCount(int32_t N);
    virtual void Notify(TQORObject* Item, TQORListNotification Action);
    // 1 when A comes after B, -1 before, 0 equal. Raises unless a sorted list overrides it.
    virtual int Compare(const TQORObject* A, const TQORObject* B) const;
    // The list's virtual constructor: an empty list of the same kind.
    virtual TQORList* CreateList(bool OwnsItems) const;
    virtual void Sort(const TCompareFunction& Function);
    virtual void Sort();
    // An owning list takes ownership of Item on success; when Add raises, the caller still owns it.
    virtual int32_t Add(TQORObject* Item);
    virtual void Insert(int32_t Index, TQORObject* Item);
    // Every entry of Source must be an item of this list's class, and an empty slot is none: anything
    // else raises E_QOR_InvalidArg, the entries before it having been added.
    virtual void AddList(const TQORList* Source);
    virtual void Delete(int32_t Index);
    virtual void Remove(const TQORObject* Item);
    // Hands the item back without destroying it; the caller owns it when this list owned it.
    virtual TQORObject* Extract(int32_t Index);
    virtual void Exchange(int32_t I, int32_t J);
    virtual TQORObject* FindByName(const QString& Name, bool SearchChildren) const;

    // The item at I; none for an empty or pending slot. Raises E_QOR_InvalidListItemIndex.
    TQORObject* Items(int32_t I) const;
    template <class T> T* ItemAs(int32_t I) const { return static_cast<T*>(Items(I)); }
    void SetItem(int32_t I, TQORObject* Item);
    int32_t Count() const { return FCount; }
    int32_t Capacity() const { return FCapacity; }
    void SetCapacity(int32_t N);
    bool Contains(const TQORObject* Item) const;
    int32_t AddSorted(TQORObject* Item);
    // Clears every item's parent and makes the list non-owning.
    void Disown();
    bool OwnsItems() const { return FOwnsItems; }
    const TQORClass* ItemClass() const { return FItemClass; }
    TNotificationSubscribers& Subscribers() { return FSubscribers; }

    // Pending entries of a reference list: positions waiting to be turned into references.
    bool IsPending(int32_t I) const;
    int32_t PendingIndex(int32_t I) const;
    int32_t AddPending(int32_t Index);
    // Gives pending entry I another position, for readers that learn it only later.
    void SetPending(int32_t I, int32_t Index);
    // Replaces every pending entry i by Source->Items(i). Raises E_QOR_InvalidCall on an owning
    // list, E_QOR_InvalidListItemIndex for an index outside Source.
    void ResolvePending(const TQORList& Source);

    // Writes 0, 1, 2, … into the items' index fields when the cache is stale. Raises
    // E_QOR_ListNeedsToOwnItemsForThisOperation for a list that does not own its items.
    void RefreshIndexCache() const
    {
        // Only an owning list's cache is ever valid: Disown drops it.
        if (!FIndexCacheValid)
            RebuildIndexCache();
    }

protected:
    void CheckItemClass(const TQORObject* Item) const;
    void CheckIndex(int32_t I) const;

private:
    struct TEntry
    {
        TQORObject* Object = nullptr;
        int32_t Pending = -1;
        bool IsPending = false;
    };

    void TakeItem(TQORObject* Item);
    void ReleaseSlot(int32_t I);
    void RemoveSlot(int32_t I);
    void CheckNotOwned(const TQORObject* Item) const;
    void InvalidateIndexCache();
    void RebuildIndexCache() const;
    void QuickSort(const TCompareFunction& Function, int32_t Low, int32_t High);

    mutable bool FIndexCacheValid = false;
    std::vector<TEntry> FItems;
    int32_t FCount = 0;
    int32_t FCapacity = 0;
    TNotificationSubscribers FSubscribers;
    const TQORClass* FItemClass = nullptr;
    bool FOwnsItems = false;
};
