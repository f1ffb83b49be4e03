#pragma once

// Support files: files installed with a code module, matched by a file name or wildcard pattern in
// a source folder. Support files have no ID, and their tree expansion is neither stored nor copied.

#include "model/ModelList.h"

#include <QString>

class TSupportFile : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    // Absolute when it starts with a drive or share, else relative to the code module's FilePath.
    QString SourceFilePath;
    // A file name or a pattern with * and ?; never a folder part.
    QString SourceFileName;
    // Folder under the installed module that receives the files; empty means the module's own.
    QString TargetRelativePath;
    bool InstallIntoGAC = false;

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    void Clear() override;
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;
};

// Always owns its files; sorted by source path joined with source file name, case-sensitively.
class TSupportFiles : public TModelList
{
    QOR_DECLARE_CLASS
public:
    TSupportFiles();
    const TGUID& FormatTag() const override;
    TQORList* CreateList(bool OwnsItems) const override;
    int Compare(const TQORObject* A, const TQORObject* B) const override;
    TSupportFile* Items(int32_t I) const { return ItemAs<TSupportFile>(I); }
};
