#pragma once

// A named GUID and a persistable owning list of them.

#include "foundation/QORList.h"

class TGUIDItem : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TGUIDItem() = default;
    TGUIDItem(const TGUID& GUID, const QString& Name) : FGUID(GUID), FName(Name) {}

    const TGUID& GUID() const { return FGUID; }
    void SetGUID(const TGUID& Value) { FGUID = Value; }
    const QString& Name() const { return FName; }
    void SetName(const QString& Value) { FName = Value; }

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    bool Equals(const TQORObject* Other) const override;
    void Clear() override;
    // The GUID, then the name as a String.
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;

private:
    TGUID FGUID;
    QString FName;
};

class TGUIDItems : public TQORList
{
    QOR_DECLARE_CLASS
public:
    TGUIDItems();

    TQORObject* CreateItem() override;
    // Always an owning list: loading creates the items, and only an owner frees them.
    TQORList* CreateList(bool OwnsItems) const override;
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;

    TGUIDItem* Items(int32_t I) const { return ItemAs<TGUIDItem>(I); }
    // The first item with this GUID.
    bool Find(const TGUID& GUID, TGUIDItem*& Item) const;
};

// The format tag a saved TGUIDItems begins with.
extern const TGUID GUIDItemsFormatTag;
