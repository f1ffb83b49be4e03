#include "foundation/QORObject.h"

#include "foundation/QORExceptions.h"
#include "foundation/QORList.h"

#include <QtGlobal>

bool TQORClass::InheritsFrom(const TQORClass& Other) const
{
    for (const TQORClass* C = this; C; C = C->Parent)
        if (C == &Other)
            return true;
    return false;
}

TGUID TQORClass::GetClassID() const
{
    if (ClassID.IsNull())
        throw E_QOR_NotImplemented();
    return ClassID;
}

TQORObject* TQORClass::Create() const
{
    if (!Factory)
        throw E_QOR_NotImplemented(QStringLiteral("%1 has no virtual constructor").arg(ClassName()));
    return Factory();
}

TQORObject::TQORObject() = default;

TQORObject::~TQORObject()
{
    // Past this point someone would be left holding a dangling pointer; there is no safe way on.
    if (FParent)
        qFatal("TQORObject destroyed while still owned by a list of class %s; the list must let it go first",
               FParent->Class().Name);
    const int32_t Count = FReferenceCount.load();
    if (Count != 0)
        qFatal("TQORObject destroyed with %d outstanding references", static_cast<int>(Count));
    if (ObjectReleaseHook)
        ObjectReleaseHook(this);
}

const TQORClass& TQORObject::StaticClass()
{
    static const TQORClass Info{"TQORObject", nullptr, TGUID{}, &QORCreate<TQORObject>};
    return Info;
}

const TQORClass& TQORObject::Class() const
{
    return StaticClass();
}

QString TQORObject::GetName() const
{
    throw E_QOR_NotImplemented();
}

void TQORObject::Assign(const TQORObject* Source, bool KeepReferences)
{
    throw E_QOR_NotImplemented();
}

void TQORObject::AssignByName(const TQORObject* Source, bool KeepReferences)
{
    Assign(Source, KeepReferences);
}

bool TQORObject::Equals(const TQORObject* Other) const
{
    throw E_QOR_NotImplemented();
}

void TQORObject::Clear() {}

void TQORObject::ClearNotifying()
{
    Clear();
}

void TQORObject::LoadFromStream(IQORStream& Stream)
{
    throw E_QOR_NotImplemented();
}

void TQORObject::SaveToStream(IQORStream& Stream) const
{
    throw E_QOR_NotImplemented();
}

int32_t TQORObject::GetIndex() const
{
    if (!FParent)
        throw E_QOR_ListItemHasNoParent();
    FParent->RefreshIndexCache();
    return FIndex;
}

void TQORObject::CheckAssignable(const TQORObject* Source) const
{
    if (!Source)
        throw E_QOR_ObjectPointerIsNil();
    if (Source == this)
        throw E_QOR(QStringLiteral("Attempting to assign object to self."));
    if (!Source->InheritsFrom(Class()))
        throw E_QOR_InvalidArg(QStringLiteral("Unable to assign as objects are of different types. Source object is of "
                                              "type '%1' and target object is of type '%2'.")
                                   .arg(Source->ClassName(), ClassName()));
}

void TQORObject::ReleaseReference() const
{
    const int32_t Before = FReferenceCount.fetch_sub(1);
    if (Before <= 0)
        qFatal("TQORObject::ReleaseReference without a matching AddReference (count was %d)", static_cast<int>(Before));
}

int32_t IndexOfObject(const TQORObject* Object)
{
    return Object ? Object->GetIndex() : -1;
}

TQORObject* ObjectAtIndex(int32_t Index, const TQORList* List)
{
    if (!List || Index == -1)
        return nullptr;
    return List->Items(Index);
}
