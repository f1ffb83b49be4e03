#include "foundation/GUIDItems.h"

#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"

#include <algorithm>
#include <memory>

const TGUID GUIDItemsFormatTag = TGUID::Parse("{4E8CBC44-930F-451F-B47A-42B63A5E3B15}");

namespace {
// A GUID and an empty string: the least an item can occupy on a stream.
constexpr int64_t MinimumItemBytes = 16 + 4;
} // namespace

QOR_IMPLEMENT_CLASS(TGUIDItem, TQORObject, nullptr, &QORCreate<TGUIDItem>)
QOR_IMPLEMENT_CLASS(TGUIDItems, TQORList, nullptr, &QORCreate<TGUIDItems>)

void TGUIDItem::Assign(const TQORObject* Source, bool KeepReferences)
{
    CheckAssignable(Source);
    auto* Item = static_cast<const TGUIDItem*>(Source);
    FGUID = Item->FGUID;
    FName = Item->FName;
}

bool TGUIDItem::Equals(const TQORObject* Other) const
{
    auto* Item = dynamic_cast<const TGUIDItem*>(Other);
    if (!Item)
        throw E_QOR_InvalidObjectType();
    return FGUID == Item->FGUID && FName == Item->FName;
}

void TGUIDItem::Clear()
{
    FGUID = TGUID{};
    FName.clear();
}

void TGUIDItem::LoadFromStream(IQORStream& Stream)
{
    FGUID = ReadGUID(Stream);
    FName = ReadString(Stream);
}

void TGUIDItem::SaveToStream(IQORStream& Stream) const
{
    WriteGUID(Stream, FGUID);
    WriteString(Stream, FName);
}

TGUIDItems::TGUIDItems() : TQORList(&TGUIDItem::StaticClass(), true) {}

TQORObject* TGUIDItems::CreateItem()
{
    return new TGUIDItem();
}

TQORList* TGUIDItems::CreateList(bool OwnsItems) const
{
    return new TGUIDItems();
}

void TGUIDItems::LoadFromStream(IQORStream& Stream)
{
    Clear();
    try {
        if (ReadGUID(Stream) != GUIDItemsFormatTag)
            throw E_QOR_UnrecognisedDataFormat();
        const int32_t N = ReadInteger(Stream);
        if (N < 0 || N >= MaxListSize) {
            SetCapacity(N);
        } else {
            // A damaged count must not reserve more than the stream could possibly hold; the reads
            // below then fail on the missing bytes.
            const int64_t Fits = std::max<int64_t>(0, KnownRemainingBytes(Stream).value_or(0) / MinimumItemBytes);
            SetCapacity(static_cast<int32_t>(std::min<int64_t>(N, Fits)));
        }
        for (int32_t I = 0; I < N; ++I) {
            auto Item = std::make_unique<TGUIDItem>();
            Item->LoadFromStream(Stream);
            Add(Item.get());
            Item.release();
        }
    } catch (...) {
        Clear();
        throw;
    }
}

void TGUIDItems::SaveToStream(IQORStream& Stream) const
{
    WriteGUID(Stream, GUIDItemsFormatTag);
    WriteInteger(Stream, Count());
    for (int32_t I = 0; I < Count(); ++I) {
        const TGUIDItem* Item = Items(I);
        if (!Item)
            throw E_QOR_ObjectPointerIsNil();
        Item->SaveToStream(Stream);
    }
}

bool TGUIDItems::Find(const TGUID& GUID, TGUIDItem*& Item) const
{
    for (int32_t I = 0; I < Count(); ++I) {
        TGUIDItem* Candidate = Items(I);
        if (Candidate && Candidate->GUID() == GUID) {
            Item = Candidate;
            return true;
        }
    }
    Item = nullptr;
    return false;
}
