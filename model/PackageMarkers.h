#pragma once

// Stand-ins for the package's own properties: the tree nodes that show them carry one of these, so
// that the commands can tell which property a node stands for.

#include "foundation/QORObject.h"

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
