#pragma once

// The common ground of the package's list classes: the list record of the definition file (tag,
// count, items or reference indices, Expanded), reference resolution, the deletion event and the
// comparison helpers the sort orders use.

#include "foundation/QORExceptions.h"
#include "foundation/QORList.h"
#include "foundation/RecordWriter.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <utility>

// An element or list event; may be unset.
using TItemEvent = std::function<void(TQORObject* Item)>;

// Locale-aware comparison with case ignored: -1, 0 or 1.
int CompareText(const QString& A, const QString& B);
// Ordinal (case-sensitive) comparison: -1, 0 or 1.
int CompareOrdinal(const QString& A, const QString& B);
int CompareIntegers(int32_t A, int32_t B);

// Raises E_QOR_UnrecognisedDataFormat unless Tag equals Expected.
void CheckFormatTag(const TGUID& Tag, const TGUID& Expected);

// The layout a record's tag names, from the tags its reader accepts, each paired with its layout.
// A reader names its layouts oldest first by what each one added, so that "Layout >=
// LayoutWithX" reads "the record holds X". Any other tag raises E_QOR_UnrecognisedDataFormat.
template <class TLayout>
TLayout LayoutOfTag(const TGUID& Tag, std::initializer_list<std::pair<const TGUID&, TLayout>> Layouts)
{
    for (const auto& [Known, Layout] : Layouts)
        if (Known == Tag)
            return Layout;
    throw E_QOR_UnrecognisedDataFormat();
}

// The position a reference entry stands for: its pending index, or the referenced item's index in
// its own (package-level) list. Raises E_QOR_ObjectPointerIsNil for an empty entry and
// E_QOR_ListItemHasNoParent for an item that no list owns.
int32_t ReferencePosition(const TQORList& List, int32_t I);

// Reads a list count and reserves room for it: a count below 0 or at or above 2^27 raises
// E_QOR_InvalidListItemIndex. The room reserved is never more than the rest of the stream can hold
// at MinimumItemSize bytes an item, so a damaged count cannot make the reader allocate beyond its
// input; the items then fail as they would with the full room reserved.
int32_t ReadListCount(IQORStream& Stream, TQORList& List, int32_t MinimumItemSize);

// A list of package elements with its list record. Owning lists write element records; reference
// lists write the position of each entry in its own package-level list.
class TModelList : public TQORList
{
    QOR_DECLARE_CLASS
public:
    TModelList(const TQORClass* ItemClass, bool OwnsItems) : TQORList(ItemClass, OwnsItems) {}

    // The list record's tag, shared by the owning and the reference lists of one class.
    virtual const TGUID& FormatTag() const = 0;

    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;
    // The whole list record of a reference list, as SaveToStream writes it.
    void PutReferences(TRecordWriter& Record) const;

    // Turns pending positions into references to Source's items. Raises E_QOR_InvalidCall on an
    // owning list and E_QOR_InvalidListItemIndex for a position outside Source.
    void ResolveReferences(const TQORList& Source) { ResolvePending(Source); }
};

// A list that tells OnDeleted about each item it is about to delete.
class TNotifyingList : public TModelList
{
    QOR_DECLARE_CLASS
public:
    using TModelList::TModelList;

    TItemEvent OnDeleted;

    void Notify(TQORObject* Item, TQORListNotification Action) override;
};

// The source of an element's Assign, checked: not none, of the target's class, not the target.
template <class T> const T& AssignSource(const TQORObject& Target, const TQORObject* Source)
{
    if (!Source)
        throw E_QOR_ObjectPointerIsNil();
    Target.CheckAssignable(Source);
    return static_cast<const T&>(*Source);
}

// The permission flags an access level of the first layouts stands for: 1 allows service engineers,
// 2 also system administrators, 3 also trainers, 4 everyone; any other level allows no one.
struct TAccessPermissions
{
    bool ServiceEngineers = false;
    bool SystemAdministrators = false;
    bool Trainers = false;
    bool Students = false;
};
TAccessPermissions PermissionsFromAccessLevel(int32_t Level);

// Smallest records, used to refuse counts a damaged stream cannot hold.
constexpr int32_t MinimumElementRecordSize = 16;
constexpr int32_t ReferenceEntrySize = 4;
