#pragma once

// One code package definition in memory: the package's own properties and the seven package-level
// lists. The lists live as long as the TData and are only ever emptied and refilled, so views may
// keep pointers to them. TData's deletion handlers keep every reference between elements valid.

#include "model/CodeModule.h"
#include "model/DataTypes.h"
#include "model/Driver.h"
#include "model/InterfaceType.h"

#include <QString>

class IQORStream;

class TData
{
public:
    TData();
    ~TData();
    TData(const TData&) = delete;
    TData& operator=(const TData&) = delete;

    TGUID ID;
    QString Name;
    QString Description;
    QString AboutInformation;
    QString Creator;
    QString SubCreator;
    bool AllowExportFromLMS = false;
    bool BetaSoftware = false;
    TTaskTypes TaskTypes{true};
    TTaskRecordingTypes TaskRecordingTypes{true};
    TTaskResultItemFormats TaskResultItemFormats{true};
    TMediaItemFormats MediaItemFormats{true};
    TInterfaceTypes InterfaceTypes{true};
    TDrivers Drivers;
    TCodeModules CodeModules;
    // Whether the "Data types" node of the package tree is expanded.
    bool DataTypesExpanded = false;

    // Resets the properties and deletes every element, each deletion notified.
    void Clear();

    // Replaces the content with the definition read from Stream. The definition is read into a
    // scratch package first: when reading fails, this package is left exactly as it was.
    void LoadFromStream(IQORStream& Stream);
    void SaveToStream(IQORStream& Stream) const;
    // Reads a definition file (others may read it meanwhile); errors name the file.
    void LoadFromFile(const QString& FileName);
    // Writes a definition file; an existing file is replaced only when writing succeeded.
    void SaveToFile(const QString& FileName) const;

    // Stops at the first rule the definition breaks: E_APP_ExportError, E_QOR for two equal IDs,
    // E_QOR_EnumerationOutOfRange for an unknown task module type. Then refuses what the export
    // would fail to write: an unknown code module location, a driver or module file it could not
    // open. Reads the disk, changes nothing.
    void ExportErrorCheck() const;
    // For beta software, asks whether to go on; any answer but Yes raises E_QOR_OperationCancelled.
    void ConfirmBetaExport() const;
    // Writes the code package file. FileName is replaced only by a complete package.
    void ExportToFile(const QString& FileName) const;

    // Turns the positions read from a definition into references, in the file's order: per code
    // module its interfaces, then per task module object the data types of each task module, then
    // Configurator and CommandEditor.
    void ResolveReferences();

    // Same properties and elements, references pointing at the same positions: the same definition
    // file. A package that cannot be saved equals only itself.
    bool Equals(const TData& Other) const;

private:
    void ReadDefinition(IQORStream& Stream);
    // Moves Source's content into this empty package; the elements keep their identity.
    void TakeOver(TData& Source);

    void DataTypeDeleted(TQORObject* Item);
    void InterfaceTypeDeleted(TQORObject* Item);
    void TaskModuleDeleted(TQORObject* Item);

    // Set while Clear deletes everything: references were dropped beforehand.
    bool FClearing = false;
};
