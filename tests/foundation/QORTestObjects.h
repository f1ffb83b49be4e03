#pragma once

// Small TQORObject subclasses for the foundation tests. Notifications, ClearNotifying, subscribers
// and destruction all go to one event log, so that their order can be checked.

#include "foundation/QORList.h"

#include <string>
#include <vector>

std::vector<std::string>& EventLog();

class TNamed : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TNamed() = default;
    explicit TNamed(const QString& Name, int32_t Value = 0) : Name(Name), Value(Value) {}
    ~TNamed() override { EventLog().push_back("destroyed " + Name.toStdString()); }

    QString Name;
    int32_t Value = 0;

    QString GetName() const override { return Name; }
    void Assign(const TQORObject* Source, bool KeepReferences) override;
    bool Equals(const TQORObject* Other) const override;
    void ClearNotifying() override { EventLog().push_back("clear " + Name.toStdString()); }
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;
};

class TNamedChild : public TNamed
{
    QOR_DECLARE_CLASS
public:
    using TNamed::TNamed;
};

class TUnrelated : public TQORObject
{
    QOR_DECLARE_CLASS
};

// A list of TNamed that logs its notifications and orders by Value.
class TNamedList : public TQORList
{
    QOR_DECLARE_CLASS
public:
    explicit TNamedList(bool OwnsItems = true) : TQORList(&TNamed::StaticClass(), OwnsItems) {}
    QString Name;
    QString GetName() const override { return Name; }
    void Notify(TQORObject* Item, TQORListNotification Action) override;
    int Compare(const TQORObject* A, const TQORObject* B) const override;
};

// Appends N items called "A", "B", … with the values 0, 1, ….
void Fill(TQORList& List, int N);
// The items' names in slot order; "-" for an empty slot, "#i" for a pending entry i.
std::string Names(const TQORList& List);
