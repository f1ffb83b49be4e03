#pragma once

// Reads a COM type library without the platform's type library services: the library GUID and
// the GUIDs of the library's own types. It takes standalone libraries ("MSFT" format) and the
// TYPELIB resource 1 of PE modules, 32-bit and 64-bit. Anything it cannot read — a missing file,
// another format, a damaged library — leaves it "not loaded"; it never reads outside the bytes.

#include "foundation/GUID.h"

#include <QByteArray>
#include <QList>
#include <QString>

class TTypeLibraryReader
{
public:
    // Each load replaces what an earlier one read; true when a library was read.
    bool Load(const QString& FileName);
    bool LoadFromData(const QByteArray& Bytes);

    bool IsLoaded() const { return FLoaded; }
    // The null GUID when nothing is loaded.
    TGUID LibraryGUID() const { return FLibraryGUID; }
    // True only for a type the library defines itself; imported types, the library's own GUID and
    // custom-data GUIDs are not its types.
    bool ContainsType(const TGUID& GUID) const;

private:
    bool ReadMSFT(const QByteArray& Bytes);
    void Clear();

    bool FLoaded = false;
    TGUID FLibraryGUID;
    QList<TGUID> FTypeGUIDs;
};
