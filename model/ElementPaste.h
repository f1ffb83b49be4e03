#pragma once

// What the element clipboard does to a definition, without the window: where a pasted element goes
// and what emptying a list means. The window reads the clipboard, calls these and rebuilds its tree.

#include "foundation/QORObject.h"

#include <memory>

// Puts Pasted into or onto Target: added to a list (and the list sorted), every driver of a pasted
// drivers list taken over by the drivers list, or copied into an element, which keeps its place.
// Pasted code modules and task module objects first lose their references into their old package.
// Returns the element to select afterwards, none after a whole drivers list. Nothing changes when it
// raises: E_QOR_ProgramError "Unhandled paste case." for a target that takes nothing,
// E_QOR_EnumerationOutOfRange for the drivers list offered anything but drivers, and the list's or
// Assign's class check for an element of the wrong class.
// Whether PasteElement serves Target at all: a list or an element of the kinds that travel.
bool IsPasteTarget(const TQORObject& Target);

TQORObject* PasteElement(TQORObject& Target, std::unique_ptr<TQORObject> Pasted);

// Deletes every element of a package list one at a time, with the deletion notifications, so that
// nothing else in the definition keeps pointing at them. E_QOR_EnumerationOutOfRange for any other
// object.
void ClearElementList(TQORObject& Target);
