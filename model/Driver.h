#pragma once

// Drivers: files installed with the package, named by folder and file name. Drivers own nothing.

#include "model/Enumerations.h"
#include "model/ModelList.h"

#include <QString>

class TDriver : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    // For a COM driver: the library GUID of its type library.
    TGUID ID;
    QString Name;
    // The driver file's name without folder.
    QString FileName;
    // The folder of the driver file on the author's machine.
    QString FilePath;
    TDriverLocation Location = dlNone;
    TObjectServerType ObjectServerType = ostNone;
    bool Register = false;
    QString Creator;
    QString SubCreator;
    QString Notes;

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    void Clear() override;
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;
};

// Always owns its drivers. The one list class that travels through the clipboard as a whole.
class TDrivers : public TModelList
{
    QOR_DECLARE_CLASS
public:
    TDrivers();
    const TGUID& FormatTag() const override;
    TQORList* CreateList(bool OwnsItems) const override;
    int Compare(const TQORObject* A, const TQORObject* B) const override;
    TDriver* Items(int32_t I) const { return ItemAs<TDriver>(I); }
};
