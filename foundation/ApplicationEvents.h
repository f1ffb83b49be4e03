#pragma once

// The application-wide event lists through which forms receive the application's exception,
// activation, deactivation and idle events. An event goes to the handler of the last item of its
// list only; with an empty list it is dropped.

#include "foundation/QORList.h"

#include <exception>
#include <functional>

using TExceptionHandler = std::function<void(void* Sender, const std::exception_ptr& Error)>;
using TNotifyHandler = std::function<void(void* Sender)>;
using TIdleHandler = std::function<void(void* Sender, bool& Done)>;

class TExceptionEventListItem : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TExceptionEventListItem() = default;
    TExceptionEventListItem(const void* Owner, TExceptionHandler Handler);
    const void* Owner = nullptr;
    TExceptionHandler Handler;
};

class TNotifyEventListItem : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TNotifyEventListItem() = default;
    TNotifyEventListItem(const void* Owner, TNotifyHandler Handler);
    const void* Owner = nullptr;
    TNotifyHandler Handler;
};

class TIdleEventListItem : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TIdleEventListItem() = default;
    TIdleEventListItem(const void* Owner, TIdleHandler Handler);
    const void* Owner = nullptr;
    TIdleHandler Handler;
};

// Common to the four lists: an owning list of items that each carry an owner.
class TEventList : public TQORList
{
    QOR_DECLARE_CLASS
public:
    using TQORList::TQORList;
    // Deletes every item whose owner is Owner, last first. Raises E_QOR_ProgramError with
    // "Not present in event list." when Owner has no item.
    void RemoveOwner(const void* Owner);

protected:
    virtual const void* OwnerOf(const TQORObject* Item) const = 0;
};

class TExceptionEventList : public TEventList
{
    QOR_DECLARE_CLASS
public:
    TExceptionEventList();
    using TQORList::Add;
    void Add(const void* Owner, TExceptionHandler Handler);
    // Passes the exception to the last item's handler; false when the list is empty.
    bool Dispatch(void* Sender, const std::exception_ptr& Error);

protected:
    const void* OwnerOf(const TQORObject* Item) const override;
};

class TNotifyEventList : public TEventList
{
    QOR_DECLARE_CLASS
public:
    TNotifyEventList();
    using TQORList::Add;
    void Add(const void* Owner, TNotifyHandler Handler);
    bool Dispatch(void* Sender);

protected:
    const void* OwnerOf(const TQORObject* Item) const override;
};

class TIdleEventList : public TEventList
{
    QOR_DECLARE_CLASS
public:
    TIdleEventList();
    using TQORList::Add;
    void Add(const void* Owner, TIdleHandler Handler);
    bool Dispatch(void* Sender, bool& Done);

protected:
    const void* OwnerOf(const TQORObject* Item) const override;
};

class TApplicationEvents
{
public:
    TApplicationEvents() = default;

    TExceptionEventList& OnException() { return FOnException; }
    TNotifyEventList& OnActivate() { return FOnActivate; }
    TNotifyEventList& OnDeactivate() { return FOnDeactivate; }
    TIdleEventList& OnIdle() { return FOnIdle; }

private:
    TExceptionEventList FOnException;
    TNotifyEventList FOnActivate;
    TNotifyEventList FOnDeactivate;
    TIdleEventList FOnIdle;
};

// The one global instance, created on first use and alive until the program ends.
TApplicationEvents& ApplicationEvents();
