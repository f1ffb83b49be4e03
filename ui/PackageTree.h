#pragma once

// The package tree: the whole definition shown in the main window's object tree view, rebuilt from
// the model after every command. Each object keeps its own Expanded flag, so a rebuild shows what
// the user had opened.

#include "model/PackageMarkers.h"

#include <QString>

class QTreeWidgetItem;
class TData;
class TQORObject;
class TQORObjectTreeView;
class TQORTreeNode;

// Deletes every node of Tree (the selection goes) and shows Document in it.
void RebuildTree(TQORObjectTreeView& Tree, TData& Document, TPackageMarkers& Markers);

// The bound node of Object (an element or a group of the tree Document is shown in), building the
// nodes down to it where they are not built yet. None for what the tree shows no node of its own for.
TQORTreeNode* ObjectNode(TData& Document, TPackageMarkers& Markers, const TQORObject* Object);

// Keeps the document's DataTypesExpanded in step when Node is the "Data types" node.
void RecordDataTypesExpanded(TData& Document, const TQORTreeNode* Node, bool Expanded);

// What an undo step names a node by: an element's or group's text, or the label of a package line
// ("Code package name" for "Code package name: Demo").
QString NodeSubject(const QTreeWidgetItem* Node);

// The node to select once Element is gone: the element that takes its place in its list, else the
// list's own group.
const TQORObject* ElementInPlaceOf(const TQORObject& Element);
