#pragma once

// The package tree: the whole definition shown in the main window's object tree view, rebuilt from
// the model after every command. Each object keeps its own Expanded flag, so a rebuild shows what
// the user had opened.

#include "model/PackageMarkers.h"

class TData;
class TQORObjectTreeView;
class TQORTreeNode;

// Deletes every node of Tree (the selection goes) and shows Document in it.
void RebuildTree(TQORObjectTreeView& Tree, TData& Document, TPackageMarkers& Markers);

// Keeps the document's DataTypesExpanded in step when Node is the "Data types" node.
void RecordDataTypesExpanded(TData& Document, const TQORTreeNode* Node, bool Expanded);
