#pragma once

// What the package tree offers for a node: which of the seven element commands apply to the object
// the node carries, and which clipboard content may be pasted onto it. Decided here, away from any
// widget, so that the context menu and the clipboard commands agree.

#include "foundation/GUID.h"

#include <vector>

class TQORObject;

enum class TElementAction
{
    Create,
    Edit,
    Cut,
    Copy,
    Paste,
    Clear,
    Delete,
};

inline constexpr int ElementActionCount = 7;

// One flag per TElementAction, in menu order.
struct TElementActions
{
    bool Shown[ElementActionCount] = {};

    bool Has(TElementAction Action) const { return Shown[static_cast<int>(Action)]; }
    bool operator==(const TElementActions&) const = default;
};

// The items shown for Object; none for no object, the "Data types" marker and unknown classes.
TElementActions OfferedActions(const TQORObject* Object);

// The class IDs of the clipboard contents that may be pasted onto Target; empty when Paste is not
// offered there.
std::vector<TGUID> PasteClassIDs(const TQORObject* Target);

// Whether clipboard content of ClipboardClassID may be pasted onto Target. The null ID (an empty
// clipboard) never fits.
bool PasteFits(const TQORObject* Target, const TGUID& ClipboardClassID);

// Whether Object is one of the eleven element classes that live in a package list.
bool IsPackageElement(const TQORObject* Object);
