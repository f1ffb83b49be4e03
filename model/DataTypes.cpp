#include "model/DataTypes.h"

#include "foundation/StreamPrimitives.h"
#include "model/FormatTags.h"

// --- TBaseDataType ----------------------------------------------------------------------------------

QOR_IMPLEMENT_CLASS(TBaseDataType, TQORObject, nullptr, nullptr)

void TBaseDataType::ClearCommon()
{
    ID = TGUID();
    Name.clear();
    Creator.clear();
    SubCreator.clear();
    Notes.clear();
    SetExpanded(false);
}

void TBaseDataType::AssignCommon(const TBaseDataType& Source)
{
    ID = Source.ID;
    Name = Source.Name;
    Creator = Source.Creator;
    SubCreator = Source.SubCreator;
    Notes = Source.Notes;
    SetExpanded(Source.Expanded());
}

void TBaseDataType::PutHead(TRecordWriter& Record, const TGUID& Tag) const
{
    Record.PutGUID(Tag);
    Record.PutGUID(ID);
    Record.PutString(Name);
}

void TBaseDataType::ReadHead(IQORStream& Stream)
{
    ID = ReadGUID(Stream);
    Name = ReadString(Stream);
}

void TBaseDataType::PutTail(TRecordWriter& Record) const
{
    Record.PutString(Creator);
    Record.PutString(SubCreator);
    Record.PutString(Notes);
    Record.PutBoolean(Expanded());
}

void TBaseDataType::ReadTail(IQORStream& Stream)
{
    Creator = ReadString(Stream);
    SubCreator = ReadString(Stream);
    Notes = ReadString(Stream);
    SetExpanded(ReadBoolean(Stream));
}

// --- TTaskType --------------------------------------------------------------------------------------

QOR_IMPLEMENT_CLASS(TTaskType, TBaseDataType, "{2C406739-3C33-4144-B024-4F3B5ABF5A8B}", &QORCreate<TTaskType>)

void TTaskType::Assign(const TQORObject* Source, bool KeepReferences)
{
    const auto& From = AssignSource<TTaskType>(*this, Source);
    AssignCommon(From);
    FileNameExtension = From.FileNameExtension;
}

void TTaskType::Clear()
{
    ClearCommon();
    FileNameExtension.clear();
}

void TTaskType::LoadFromStream(IQORStream& Stream)
{
    Clear();
    CheckFormatTag(ReadGUID(Stream), FormatTag::TaskType);
    ReadHead(Stream);
    FileNameExtension = ReadString(Stream);
    ReadTail(Stream);
}

void TTaskType::SaveToStream(IQORStream& Stream) const
{
    WriteRecord(Stream, [this](TRecordWriter& Record) {
        PutHead(Record, FormatTag::TaskType);
        Record.PutString(FileNameExtension);
        PutTail(Record);
    });
}

// --- TTaskRecordingType -----------------------------------------------------------------------------

QOR_IMPLEMENT_CLASS(TTaskRecordingType,
                    TBaseDataType,
                    "{BE73A888-9E19-4B93-8DB7-AAFDD0ABCB64}",
                    &QORCreate<TTaskRecordingType>)

void TTaskRecordingType::Assign(const TQORObject* Source, bool KeepReferences)
{
    const auto& From = AssignSource<TTaskRecordingType>(*this, Source);
    AssignCommon(From);
    FileNameExtension = From.FileNameExtension;
}

void TTaskRecordingType::Clear()
{
    ClearCommon();
    FileNameExtension.clear();
}

void TTaskRecordingType::LoadFromStream(IQORStream& Stream)
{
    Clear();
    CheckFormatTag(ReadGUID(Stream), FormatTag::TaskRecordingType);
    ReadHead(Stream);
    FileNameExtension = ReadString(Stream);
    ReadTail(Stream);
}

void TTaskRecordingType::SaveToStream(IQORStream& Stream) const
{
    WriteRecord(Stream, [this](TRecordWriter& Record) {
        PutHead(Record, FormatTag::TaskRecordingType);
        Record.PutString(FileNameExtension);
        PutTail(Record);
    });
}

// --- TTaskResultItemFormat --------------------------------------------------------------------------

QOR_IMPLEMENT_CLASS(TTaskResultItemFormat,
                    TBaseDataType,
                    "{EADED900-B5D3-4646-88B4-74246D00F950}",
                    &QORCreate<TTaskResultItemFormat>)

void TTaskResultItemFormat::Assign(const TQORObject* Source, bool KeepReferences)
{
    const auto& From = AssignSource<TTaskResultItemFormat>(*this, Source);
    AssignCommon(From);
    Description = From.Description;
}

void TTaskResultItemFormat::Clear()
{
    ClearCommon();
    Description.clear();
}

void TTaskResultItemFormat::LoadFromStream(IQORStream& Stream)
{
    Clear();
    enum TFormatLayout
    {
        LayoutWithViewerSettings,
        LayoutWithoutViewerSettings,
    };
    const TFormatLayout Layout =
        LayoutOfTag<TFormatLayout>(ReadGUID(Stream),
                                   {{FormatTag::TaskResultItemFormatV1, LayoutWithViewerSettings},
                                    {FormatTag::TaskResultItemFormat, LayoutWithoutViewerSettings}});
    ReadHead(Stream);
    Description = ReadString(Stream);
    if (Layout == LayoutWithViewerSettings) {
        // Settings of a retired result viewer; nothing uses them any more.
        ReadInteger(Stream);
        ReadInteger(Stream);
        ReadString(Stream);
        ReadInteger(Stream);
        ReadInteger(Stream);
    }
    ReadTail(Stream);
}

void TTaskResultItemFormat::SaveToStream(IQORStream& Stream) const
{
    WriteRecord(Stream, [this](TRecordWriter& Record) {
        PutHead(Record, FormatTag::TaskResultItemFormat);
        Record.PutString(Description);
        PutTail(Record);
    });
}

// --- TMediaItemFormat -------------------------------------------------------------------------------

QOR_IMPLEMENT_CLASS(TMediaItemFormat,
                    TBaseDataType,
                    "{1828A879-A3FA-42C3-A5CE-95D2D42AD990}",
                    &QORCreate<TMediaItemFormat>)

void TMediaItemFormat::Assign(const TQORObject* Source, bool KeepReferences)
{
    const auto& From = AssignSource<TMediaItemFormat>(*this, Source);
    AssignCommon(From);
    MediaItemType = From.MediaItemType;
    FileNameExtension = From.FileNameExtension;
}

void TMediaItemFormat::Clear()
{
    ClearCommon();
    MediaItemType = mitNone;
    FileNameExtension.clear();
}

void TMediaItemFormat::LoadFromStream(IQORStream& Stream)
{
    Clear();
    CheckFormatTag(ReadGUID(Stream), FormatTag::MediaItemFormat);
    ReadHead(Stream);
    MediaItemType = static_cast<TMediaItemType>(ReadInteger(Stream));
    FileNameExtension = ReadString(Stream);
    ReadTail(Stream);
}

void TMediaItemFormat::SaveToStream(IQORStream& Stream) const
{
    WriteRecord(Stream, [this](TRecordWriter& Record) {
        PutHead(Record, FormatTag::MediaItemFormat);
        Record.PutInteger(MediaItemType);
        Record.PutString(FileNameExtension);
        PutTail(Record);
    });
}

// --- Lists ------------------------------------------------------------------------------------------

QOR_IMPLEMENT_CLASS(TBaseDataTypes, TNotifyingList, nullptr, nullptr)

int TBaseDataTypes::Compare(const TQORObject* A, const TQORObject* B) const
{
    return CompareText(static_cast<const TBaseDataType*>(A)->Name, static_cast<const TBaseDataType*>(B)->Name);
}

QOR_IMPLEMENT_CLASS(TTaskTypes, TBaseDataTypes, nullptr, nullptr)

TTaskTypes::TTaskTypes(bool OwnsItems) : TBaseDataTypes(&TTaskType::StaticClass(), OwnsItems) {}

const TGUID& TTaskTypes::FormatTag() const
{
    return FormatTag::TaskTypes;
}

TQORList* TTaskTypes::CreateList(bool OwnsItems) const
{
    return new TTaskTypes(OwnsItems);
}

QOR_IMPLEMENT_CLASS(TTaskRecordingTypes, TBaseDataTypes, nullptr, nullptr)

TTaskRecordingTypes::TTaskRecordingTypes(bool OwnsItems) : TBaseDataTypes(&TTaskRecordingType::StaticClass(), OwnsItems)
{}

const TGUID& TTaskRecordingTypes::FormatTag() const
{
    return FormatTag::TaskRecordingTypes;
}

TQORList* TTaskRecordingTypes::CreateList(bool OwnsItems) const
{
    return new TTaskRecordingTypes(OwnsItems);
}

QOR_IMPLEMENT_CLASS(TTaskResultItemFormats, TBaseDataTypes, nullptr, nullptr)

TTaskResultItemFormats::TTaskResultItemFormats(bool OwnsItems)
    : TBaseDataTypes(&TTaskResultItemFormat::StaticClass(), OwnsItems)
{}

const TGUID& TTaskResultItemFormats::FormatTag() const
{
    return FormatTag::TaskResultItemFormats;
}

TQORList* TTaskResultItemFormats::CreateList(bool OwnsItems) const
{
    return new TTaskResultItemFormats(OwnsItems);
}

QOR_IMPLEMENT_CLASS(TMediaItemFormats, TBaseDataTypes, nullptr, nullptr)

TMediaItemFormats::TMediaItemFormats(bool OwnsItems) : TBaseDataTypes(&TMediaItemFormat::StaticClass(), OwnsItems) {}

const TGUID& TMediaItemFormats::FormatTag() const
{
    return FormatTag::MediaItemFormats;
}

TQORList* TMediaItemFormats::CreateList(bool OwnsItems) const
{
    return new TMediaItemFormats(OwnsItems);
}
