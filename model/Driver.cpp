#include "model/Driver.h"

#include "foundation/StreamPrimitives.h"
#include "model/FormatTags.h"

QOR_IMPLEMENT_CLASS(TDriver, TQORObject, "{C1CD8889-6F46-4F7B-90C6-FB4E3C845FF9}", &QORCreate<TDriver>)

void TDriver::Assign(const TQORObject* Source, bool KeepReferences)
{
    const auto& From = AssignSource<TDriver>(*this, Source);
    ID = From.ID;
    Name = From.Name;
    FileName = From.FileName;
    FilePath = From.FilePath;
    Location = From.Location;
    ObjectServerType = From.ObjectServerType;
    Register = From.Register;
    Creator = From.Creator;
    SubCreator = From.SubCreator;
    Notes = From.Notes;
    SetExpanded(From.Expanded());
}

void TDriver::Clear()
{
    ID = TGUID();
    Name.clear();
    FileName.clear();
    FilePath.clear();
    Location = dlNone;
    ObjectServerType = ostNone;
    Register = false;
    Creator.clear();
    SubCreator.clear();
    Notes.clear();
    SetExpanded(false);
}

void TDriver::LoadFromStream(IQORStream& Stream)
{
    Clear();
    CheckFormatTag(ReadGUID(Stream), FormatTag::Driver);
    ID = ReadGUID(Stream);
    Name = ReadString(Stream);
    FileName = ReadString(Stream);
    FilePath = ReadString(Stream);
    Location = static_cast<TDriverLocation>(ReadInteger(Stream));
    ObjectServerType = static_cast<TObjectServerType>(ReadInteger(Stream));
    Register = ReadBoolean(Stream);
    Creator = ReadString(Stream);
    SubCreator = ReadString(Stream);
    Notes = ReadString(Stream);
    SetExpanded(ReadBoolean(Stream));
}

void TDriver::SaveToStream(IQORStream& Stream) const
{
    WriteGUID(Stream, FormatTag::Driver);
    WriteGUID(Stream, ID);
    WriteString(Stream, Name);
    WriteString(Stream, FileName);
    WriteString(Stream, FilePath);
    WriteInteger(Stream, Location);
    WriteInteger(Stream, ObjectServerType);
    WriteBoolean(Stream, Register);
    WriteString(Stream, Creator);
    WriteString(Stream, SubCreator);
    WriteString(Stream, Notes);
    WriteBoolean(Stream, Expanded());
}

QOR_IMPLEMENT_CLASS(TDrivers, TModelList, "{11CC875A-2B73-47B7-8F56-0C3E8E7829D2}", &QORCreate<TDrivers>)

TDrivers::TDrivers() : TModelList(&TDriver::StaticClass(), true) {}

const TGUID& TDrivers::FormatTag() const
{
    return FormatTag::Drivers;
}

TQORList* TDrivers::CreateList(bool OwnsItems) const
{
    return new TDrivers();
}

int TDrivers::Compare(const TQORObject* A, const TQORObject* B) const
{
    return CompareText(static_cast<const TDriver*>(A)->Name, static_cast<const TDriver*>(B)->Name);
}
