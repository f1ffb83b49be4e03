#include "model/ModelList.h"

#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <memory>

namespace {

int Sign(int Value)
{
    return (Value > 0) - (Value < 0);
}

// Building a collator is costly and sorting compares often, so one is kept per locale.
const QCollator& CaseInsensitiveCollator()
{
    thread_local std::unique_ptr<QCollator> Collator;
    thread_local QLocale CollatorLocale;
    const QLocale Current;
    if (!Collator || CollatorLocale != Current) {
        Collator = std::make_unique<QCollator>(Current);
        Collator->setCaseSensitivity(Qt::CaseInsensitive);
        CollatorLocale = Current;
    }
    return *Collator;
}

} // namespace

int CompareText(const QString& A, const QString& B)
{
    return Sign(CaseInsensitiveCollator().compare(A, B));
}

int CompareOrdinal(const QString& A, const QString& B)
{
    return Sign(A.compare(B, Qt::CaseSensitive));
}

int CompareIntegers(int32_t A, int32_t B)
{
    return (A > B) - (A < B);
}

void CheckFormatTag(const TGUID& Tag, const TGUID& Expected)
{
    if (Tag != Expected)
        throw E_QOR_UnrecognisedDataFormat();
}

int32_t ReferencePosition(const TQORList& List, int32_t I)
{
    if (List.IsPending(I))
        return List.PendingIndex(I);
    const TQORObject* Item = List.Items(I);
    if (!Item)
        throw E_QOR_ObjectPointerIsNil();
    return Item->GetIndex();
}

int32_t ReadListCount(IQORStream& Stream, TQORList& List, int32_t MinimumItemSize)
{
    const int32_t Count = ReadInteger(Stream);
    if (Count < 0 || Count >= MaxListSize)
        throw E_QOR_InvalidListItemIndex();
    // A count beyond the data is not refused here: reading the items fails where they run out, with
    // the report the damaged item itself gives (often a wrong tag rather than a short read). Only
    // the room reserved up front is bounded by what the rest of the stream can hold.
    const int64_t Fits = Count > 0 ? GetRemainingBytes(Stream) / MinimumItemSize : 0;
    List.SetCapacity(static_cast<int32_t>(std::min<int64_t>(Count, Fits)));
    return Count;
}

TAccessPermissions PermissionsFromAccessLevel(int32_t Level)
{
    TAccessPermissions Result;
    if (Level < 1 || Level > 4)
        return Result;
    Result.ServiceEngineers = true;
    Result.SystemAdministrators = Level >= 2;
    Result.Trainers = Level >= 3;
    Result.Students = Level >= 4;
    return Result;
}

QOR_IMPLEMENT_CLASS(TModelList, TQORList, nullptr, nullptr)

void TModelList::LoadFromStream(IQORStream& Stream)
{
    // Emptied with notifications: reading into a list of a live package must not leave references
    // to its old items behind. Lists being read are normally empty, and then this costs nothing.
    ClearNotifying();
    CheckFormatTag(ReadGUID(Stream), FormatTag());
    const int32_t Count = ReadListCount(Stream, *this, OwnsItems() ? MinimumElementRecordSize : ReferenceEntrySize);
    for (int32_t I = 0; I < Count; ++I) {
        if (OwnsItems()) {
            std::unique_ptr<TQORObject> Item(CreateItem());
            Add(Item.get());
            TQORObject* Added = Item.release();
            Added->LoadFromStream(Stream);
        } else {
            AddPending(ReadInteger(Stream));
        }
    }
    SetExpanded(ReadBoolean(Stream));
}

void TModelList::SaveToStream(IQORStream& Stream) const
{
    if (!OwnsItems()) {
        WriteRecord(Stream, [this](TRecordWriter& Record) { PutReferences(Record); });
        return;
    }
    WriteGUID(Stream, FormatTag());
    WriteInteger(Stream, Count());
    for (int32_t I = 0; I < Count(); ++I) {
        if (OwnsItems()) {
            const TQORObject* Item = Items(I);
            if (!Item)
                throw E_QOR_ObjectPointerIsNil();
            Item->SaveToStream(Stream);
        } else {
            WriteInteger(Stream, ReferencePosition(*this, I));
        }
    }
    WriteBoolean(Stream, Expanded());
}

void TModelList::PutReferences(TRecordWriter& Record) const
{
    Record.PutGUID(FormatTag());
    Record.PutInteger(Count());
    for (int32_t I = 0; I < Count(); ++I)
        Record.PutInteger(ReferencePosition(*this, I));
    Record.PutBoolean(Expanded());
}

QOR_IMPLEMENT_CLASS(TNotifyingList, TModelList, nullptr, nullptr)

void TNotifyingList::Notify(TQORObject* Item, TQORListNotification Action)
{
    TModelList::Notify(Item, Action);
    if (Action == qlnDeleting && Item && OnDeleted)
        OnDeleted(Item);
}
