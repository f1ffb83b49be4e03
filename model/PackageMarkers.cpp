#include "model/PackageMarkers.h"

QOR_IMPLEMENT_CLASS(TCodePackageInfoID, TQORObject, nullptr, nullptr)
QOR_IMPLEMENT_CLASS(TCodePackageIDID, TQORObject, nullptr, nullptr)
QOR_IMPLEMENT_CLASS(TAllowExportFromLMSID, TQORObject, nullptr, nullptr)
QOR_IMPLEMENT_CLASS(TBetaSoftwareID, TQORObject, nullptr, nullptr)
QOR_IMPLEMENT_CLASS(TDataTypesID, TQORObject, nullptr, nullptr)
