#pragma once

// The persistent object every element, list and command-line item is built on. It knows the owning
// list it lives in (Parent), its cached position there (Index), the tree node showing it and whether
// that node is expanded. Subclasses fulfil the virtual contract: class ID, assign, equality, clear,
// load and save.

#include "foundation/GUID.h"

#include <QString>

#include <atomic>
#include <cstdint>

class IQORStream;
class TQORList;
class TQORObject;
class TQORTreeNode;

// What a class reference is elsewhere: the class's name, parent, ID and virtual constructor.
struct TQORClass
{
    const char* Name;
    const TQORClass* Parent;
    // The class's format GUID; null when the class has none (GetClassID then raises).
    TGUID ClassID;
    // The virtual constructor; null for classes that cannot be created without arguments.
    TQORObject* (*Factory)();

    bool InheritsFrom(const TQORClass& Other) const;
    TGUID GetClassID() const;
    TQORObject* Create() const;
    QString ClassName() const { return QString::fromLatin1(Name); }
};

// The class ID of a class reference: the parsed literal, or the null GUID for nullptr.
inline TGUID QORClassID(const char* Text)
{
    return Text ? TGUID::Parse(Text) : TGUID{};
}

// Declares the class reference of a TQORObject subclass. Pair with QOR_IMPLEMENT_CLASS in the source.
#define QOR_DECLARE_CLASS                                                                                              \
public:                                                                                                                \
    static const TQORClass& StaticClass();                                                                             \
    const TQORClass& Class() const override;                                                                           \
                                                                                                                       \
private:

// ID is a string literal GUID or nullptr; Factory is an expression of type TQORObject*(*)() or nullptr.
#define QOR_IMPLEMENT_CLASS(ClassName, ParentName, ID, Factory)                                                        \
    const TQORClass& ClassName::StaticClass()                                                                          \
    {                                                                                                                  \
        static const TQORClass Info{#ClassName, &ParentName::StaticClass(), QORClassID(ID), Factory};                  \
        return Info;                                                                                                   \
    }                                                                                                                  \
    const TQORClass& ClassName::Class() const                                                                          \
    {                                                                                                                  \
        return StaticClass();                                                                                          \
    }

// The usual virtual constructor: a default-constructed instance.
template <class T> TQORObject* QORCreate()
{
    return new T();
}

// Set by the object tree view: told of every object being destroyed, so that the nodes still
// carrying it (its own node and any that only show one of its properties) forget it instead of
// keeping a dangling pointer.
using TObjectReleaseHook = void (*)(const TQORObject* Object);
inline TObjectReleaseHook ObjectReleaseHook = nullptr;

class TQORObject
{
public:
    TQORObject();
    TQORObject(const TQORObject&) = delete;
    TQORObject& operator=(const TQORObject&) = delete;
    // Destroying an object that a list still owns, or that someone has referenced with AddReference,
    // is a program fault and ends the process with a diagnostic instead of leaving a dangling pointer.
    virtual ~TQORObject();

    static const TQORClass& StaticClass();
    virtual const TQORClass& Class() const;
    bool InheritsFrom(const TQORClass& Other) const { return Class().InheritsFrom(Other); }
    QString ClassName() const { return Class().ClassName(); }

    virtual QString GetName() const;
    TGUID GetClassID() const { return Class().GetClassID(); }
    virtual void Assign(const TQORObject* Source, bool KeepReferences);
    virtual void AssignByName(const TQORObject* Source, bool KeepReferences);
    virtual bool Equals(const TQORObject* Other) const;
    virtual void Clear();
    virtual void ClearNotifying();
    virtual void LoadFromStream(IQORStream& Stream);
    virtual void SaveToStream(IQORStream& Stream) const;

    // Position in the owning list; raises E_QOR_ObjectPointerIsNil or E_QOR_ListItemHasNoParent.
    int32_t GetIndex() const;
    // Passes when Source is of this object's class (or a subclass) and is not this object.
    void CheckAssignable(const TQORObject* Source) const;

    TQORList* Parent() const { return FParent; }
    TQORTreeNode* TreeNode() const { return FTreeNode; }
    void SetTreeNode(TQORTreeNode* Node) { FTreeNode = Node; }
    bool Expanded() const { return FExpanded; }
    void SetExpanded(bool Value) { FExpanded = Value; }

    // Counted references from holders that must outlive the object (dialogs editing it, for
    // example). Such holders release before the object may be destroyed.
    void AddReference() const { ++FReferenceCount; }
    void ReleaseReference() const;
    int32_t ReferenceCount() const { return FReferenceCount; }

private:
    friend class TQORList;

    mutable int32_t FIndex = 0;
    TQORList* FParent = nullptr;
    mutable std::atomic<int32_t> FReferenceCount{0};
    TQORTreeNode* FTreeNode = nullptr;
    bool FExpanded = false;
};

// -1 for no object, otherwise the object's GetIndex.
int32_t IndexOfObject(const TQORObject* Object);
// None when List is none or Index is -1, otherwise List->Items(Index).
TQORObject* ObjectAtIndex(int32_t Index, const TQORList* List);
