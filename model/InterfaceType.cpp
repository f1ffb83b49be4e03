#include "model/InterfaceType.h"

#include "foundation/StreamPrimitives.h"
#include "model/FormatTags.h"

QOR_IMPLEMENT_CLASS(TInterfaceType, TQORObject, "{22D59D4C-CFDC-46CF-AFD7-7100C00136EC}", &QORCreate<TInterfaceType>)

void TInterfaceType::Assign(const TQORObject* Source, bool KeepReferences)
{
    const auto& From = AssignSource<TInterfaceType>(*this, Source);
    ID = From.ID;
    Name = From.Name;
    Creator = From.Creator;
    SubCreator = From.SubCreator;
    Notes = From.Notes;
    SetExpanded(From.Expanded());
}

void TInterfaceType::Clear()
{
    ID = TGUID();
    Name.clear();
    Creator.clear();
    SubCreator.clear();
    Notes.clear();
    SetExpanded(false);
}

void TInterfaceType::LoadFromStream(IQORStream& Stream)
{
    Clear();
    CheckFormatTag(ReadGUID(Stream), FormatTag::InterfaceType);
    ID = ReadGUID(Stream);
    Name = ReadString(Stream);
    Creator = ReadString(Stream);
    SubCreator = ReadString(Stream);
    Notes = ReadString(Stream);
    SetExpanded(ReadBoolean(Stream));
}

void TInterfaceType::SaveToStream(IQORStream& Stream) const
{
    WriteGUID(Stream, FormatTag::InterfaceType);
    WriteGUID(Stream, ID);
    WriteString(Stream, Name);
    WriteString(Stream, Creator);
    WriteString(Stream, SubCreator);
    WriteString(Stream, Notes);
    WriteBoolean(Stream, Expanded());
}

QOR_IMPLEMENT_CLASS(TInterfaceTypes, TNotifyingList, nullptr, nullptr)

TInterfaceTypes::TInterfaceTypes(bool OwnsItems) : TNotifyingList(&TInterfaceType::StaticClass(), OwnsItems) {}

const TGUID& TInterfaceTypes::FormatTag() const
{
    return FormatTag::InterfaceTypes;
}

TQORList* TInterfaceTypes::CreateList(bool OwnsItems) const
{
    return new TInterfaceTypes(OwnsItems);
}

int TInterfaceTypes::Compare(const TQORObject* A, const TQORObject* B) const
{
    return CompareText(static_cast<const TInterfaceType*>(A)->Name, static_cast<const TInterfaceType*>(B)->Name);
}
