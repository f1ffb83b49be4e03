#pragma once

// The package tree: the whole definition shown in the main window's object tree view, rebuilt from
// the model after every command. Each object keeps its own Expanded flag, so a rebuild shows what
// the user had opened.

#include "foundation/QORObject.h"

class TData;
class TQORObjectTreeView;
class TQORTreeNode;

// Stand-ins for the package's own properties: the nodes that show them carry one of these, so that
// the commands can tell which property a node stands for.
class TCodePackageInfoID : public TQORObject
{
    QOR_DECLARE_CLASS
};

class TCodePackageIDID : public TQORObject
{
    QOR_DECLARE_CLASS
};

class TAllowExportFromLMSID : public TQORObject
{
    QOR_DECLARE_CLASS
};

class TBetaSoftwareID : public TQORObject
{
    QOR_DECLARE_CLASS
};

// Carried by the "Data types" node; its expansion is kept in the document's DataTypesExpanded.
class TDataTypesID : public TQORObject
{
    QOR_DECLARE_CLASS
};

struct TPackageMarkers
{
    TCodePackageInfoID CodePackageInfo;
    TCodePackageIDID CodePackageID;
    TAllowExportFromLMSID AllowExportFromLMS;
    TBetaSoftwareID BetaSoftware;
    TDataTypesID DataTypes;
};

// Deletes every node of Tree (the selection goes) and shows Document in it.
void RebuildTree(TQORObjectTreeView& Tree, TData& Document, TPackageMarkers& Markers);

// Keeps the document's DataTypesExpanded in step when Node is the "Data types" node.
void RecordDataTypesExpanded(TData& Document, const TQORTreeNode* Node, bool Expanded);
