#pragma once

// Interface types: defined once in the package, referred to by code modules as the interfaces they
// need from their host and the interfaces they offer.

#include "model/ModelList.h"

#include <QString>

class TInterfaceType : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TGUID ID;
    QString Name;
    QString Creator;
    QString SubCreator;
    QString Notes;

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    void Clear() override;
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;
};

class TInterfaceTypes : public TNotifyingList
{
    QOR_DECLARE_CLASS
public:
    explicit TInterfaceTypes(bool OwnsItems);
    const TGUID& FormatTag() const override;
    TQORList* CreateList(bool OwnsItems) const override;
    int Compare(const TQORObject* A, const TQORObject* B) const override;
    TInterfaceType* Items(int32_t I) const { return ItemAs<TInterfaceType>(I); }
};
