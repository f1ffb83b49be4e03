#pragma once

// Create on a package list, shared by the Create command and files dropped onto the tree.

class QWidget;
class TQORObject;

// Adds a new element to the list Object as Create does (defaults, default name, placement, the list
// and the element expanded) and answers it; none when the task module choice was cancelled.
// E_QOR_EnumerationOutOfRange for anything but a package list.
TQORObject* CreateElement(QWidget* Owner, TQORObject* Object);
