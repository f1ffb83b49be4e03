#pragma once

// The four kinds of data type (task types, task recording types, task result item formats, media
// item formats) and their lists. The package owns one list of each kind; task modules refer to
// their items through non-owning lists of the same classes.

#include "model/Enumerations.h"
#include "model/ModelList.h"

#include <QString>

// The part the four data types share. Element properties are plain members because the dialogs
// bind their controls straight to them.
class TBaseDataType : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TGUID ID;
    QString Name;
    QString Creator;
    QString SubCreator;
    // Kept in the definition file, never exported.
    QString Notes;

protected:
    void ClearCommon();
    void AssignCommon(const TBaseDataType& Source);
    // Tag, ID and Name: the start of every data type record.
    void PutHead(TRecordWriter& Record, const TGUID& Tag) const;
    void ReadHead(IQORStream& Stream);
    // Creator, SubCreator, Notes and Expanded: the end of every data type record.
    void PutTail(TRecordWriter& Record) const;
    void ReadTail(IQORStream& Stream);
};

class TTaskType : public TBaseDataType
{
    QOR_DECLARE_CLASS
public:
    // Extension of the files that hold tasks of this type.
    QString FileNameExtension;

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    void Clear() override;
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;
};

class TTaskRecordingType : public TBaseDataType
{
    QOR_DECLARE_CLASS
public:
    // Extension of the files that hold task recordings of this type.
    QString FileNameExtension;

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    void Clear() override;
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;
};

class TTaskResultItemFormat : public TBaseDataType
{
    QOR_DECLARE_CLASS
public:
    QString Description;

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    void Clear() override;
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;
};

class TMediaItemFormat : public TBaseDataType
{
    QOR_DECLARE_CLASS
public:
    TMediaItemType MediaItemType = mitNone;
    QString FileNameExtension;

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    void Clear() override;
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;
};

// Common base of the four data type lists: sorted by name, ignoring case.
class TBaseDataTypes : public TNotifyingList
{
    QOR_DECLARE_CLASS
public:
    using TNotifyingList::TNotifyingList;

    int Compare(const TQORObject* A, const TQORObject* B) const override;
};

class TTaskTypes : public TBaseDataTypes
{
    QOR_DECLARE_CLASS
public:
    explicit TTaskTypes(bool OwnsItems);
    const TGUID& FormatTag() const override;
    TQORList* CreateList(bool OwnsItems) const override;
    TTaskType* Items(int32_t I) const { return ItemAs<TTaskType>(I); }
};

class TTaskRecordingTypes : public TBaseDataTypes
{
    QOR_DECLARE_CLASS
public:
    explicit TTaskRecordingTypes(bool OwnsItems);
    const TGUID& FormatTag() const override;
    TQORList* CreateList(bool OwnsItems) const override;
    TTaskRecordingType* Items(int32_t I) const { return ItemAs<TTaskRecordingType>(I); }
};

class TTaskResultItemFormats : public TBaseDataTypes
{
    QOR_DECLARE_CLASS
public:
    explicit TTaskResultItemFormats(bool OwnsItems);
    const TGUID& FormatTag() const override;
    TQORList* CreateList(bool OwnsItems) const override;
    TTaskResultItemFormat* Items(int32_t I) const { return ItemAs<TTaskResultItemFormat>(I); }
};

class TMediaItemFormats : public TBaseDataTypes
{
    QOR_DECLARE_CLASS
public:
    explicit TMediaItemFormats(bool OwnsItems);
    const TGUID& FormatTag() const override;
    TQORList* CreateList(bool OwnsItems) const override;
    TMediaItemFormat* Items(int32_t I) const { return ItemAs<TMediaItemFormat>(I); }
};
