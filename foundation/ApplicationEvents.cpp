#include "foundation/ApplicationEvents.h"

#include "foundation/QORExceptions.h"

#include <memory>

QOR_IMPLEMENT_CLASS(TExceptionEventListItem, TQORObject, nullptr, &QORCreate<TExceptionEventListItem>)
QOR_IMPLEMENT_CLASS(TNotifyEventListItem, TQORObject, nullptr, &QORCreate<TNotifyEventListItem>)
QOR_IMPLEMENT_CLASS(TIdleEventListItem, TQORObject, nullptr, &QORCreate<TIdleEventListItem>)
QOR_IMPLEMENT_CLASS(TEventList, TQORList, nullptr, nullptr)
QOR_IMPLEMENT_CLASS(TExceptionEventList, TEventList, nullptr, &QORCreate<TExceptionEventList>)
QOR_IMPLEMENT_CLASS(TNotifyEventList, TEventList, nullptr, &QORCreate<TNotifyEventList>)
QOR_IMPLEMENT_CLASS(TIdleEventList, TEventList, nullptr, &QORCreate<TIdleEventList>)

TExceptionEventListItem::TExceptionEventListItem(const void* Owner, TExceptionHandler Handler)
    : Owner(Owner), Handler(std::move(Handler))
{}

TNotifyEventListItem::TNotifyEventListItem(const void* Owner, TNotifyHandler Handler)
    : Owner(Owner), Handler(std::move(Handler))
{}

TIdleEventListItem::TIdleEventListItem(const void* Owner, TIdleHandler Handler)
    : Owner(Owner), Handler(std::move(Handler))
{}

void TEventList::RemoveOwner(const void* Owner)
{
    auto Held = [&](int32_t I) { return Items(I) && OwnerOf(Items(I)) == Owner; };
    bool Present = false;
    for (int32_t I = 0; I < Count() && !Present; ++I)
        Present = Held(I);
    if (!Present)
        throw E_QOR_ProgramError(QStringLiteral("Not present in event list."));
    for (int32_t I = Count() - 1; I >= 0; --I)
        if (I < Count() && Held(I))
            Delete(I);
}

namespace {

template <class TItem, class TList, class THandler> void AddHandler(TList& List, const void* Owner, THandler Handler)
{
    auto Item = std::make_unique<TItem>(Owner, std::move(Handler));
    List.TQORList::Add(Item.get());
    Item.release();
}

// The handler is copied first: it may well remove its own item, and with it the original.
template <class TItem> decltype(TItem::Handler) LastHandler(const TQORList& List)
{
    const TItem* Item = List.ItemAs<TItem>(List.Count() - 1);
    return Item ? Item->Handler : decltype(TItem::Handler){};
}

} // namespace

TExceptionEventList::TExceptionEventList() : TEventList(&TExceptionEventListItem::StaticClass(), true) {}

void TExceptionEventList::Add(const void* Owner, TExceptionHandler Handler)
{
    AddHandler<TExceptionEventListItem>(*this, Owner, std::move(Handler));
}

bool TExceptionEventList::Dispatch(void* Sender, const std::exception_ptr& Error)
{
    if (Count() == 0)
        return false;
    if (auto Handler = LastHandler<TExceptionEventListItem>(*this))
        Handler(Sender, Error);
    return true;
}

const void* TExceptionEventList::OwnerOf(const TQORObject* Item) const
{
    return static_cast<const TExceptionEventListItem*>(Item)->Owner;
}

TNotifyEventList::TNotifyEventList() : TEventList(&TNotifyEventListItem::StaticClass(), true) {}

void TNotifyEventList::Add(const void* Owner, TNotifyHandler Handler)
{
    AddHandler<TNotifyEventListItem>(*this, Owner, std::move(Handler));
}

bool TNotifyEventList::Dispatch(void* Sender)
{
    if (Count() == 0)
        return false;
    if (auto Handler = LastHandler<TNotifyEventListItem>(*this))
        Handler(Sender);
    return true;
}

const void* TNotifyEventList::OwnerOf(const TQORObject* Item) const
{
    return static_cast<const TNotifyEventListItem*>(Item)->Owner;
}

TIdleEventList::TIdleEventList() : TEventList(&TIdleEventListItem::StaticClass(), true) {}

void TIdleEventList::Add(const void* Owner, TIdleHandler Handler)
{
    AddHandler<TIdleEventListItem>(*this, Owner, std::move(Handler));
}

bool TIdleEventList::Dispatch(void* Sender, bool& Done)
{
    if (Count() == 0)
        return false;
    if (auto Handler = LastHandler<TIdleEventListItem>(*this))
        Handler(Sender, Done);
    return true;
}

const void* TIdleEventList::OwnerOf(const TQORObject* Item) const
{
    return static_cast<const TIdleEventListItem*>(Item)->Owner;
}

TApplicationEvents& ApplicationEvents()
{
    static TApplicationEvents Instance;
    return Instance;
}
