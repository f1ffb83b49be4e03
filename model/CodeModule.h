#pragma once

// Code modules: the module files of the package. Each refers to the interface types it needs and
// offers, and owns its support files, task module objects and command line tools.

#include "model/CommandLineTool.h"
#include "model/Enumerations.h"
#include "model/InterfaceType.h"
#include "model/ModelList.h"
#include "model/SupportFile.h"
#include "model/TaskModuleObject.h"

#include <QString>

class TCodeModule : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TCodeModule();

    // For a COM module: the library GUID of its type library.
    TGUID ID;
    QString Name;
    // Folder of the module file on the author's machine; relative support file paths start here.
    QString FilePath;
    QString FileName;
    TCodeModuleLocation Location = cmlNone;
    TObjectServerType ObjectServerType = ostNone;
    bool Register = false;
    bool UseDirectActivation = false;
    bool RunFromSourceLocation = false;
    TInterfaceTypes HostInterfaces{false};
    TInterfaceTypes ModuleInterfaces{false};
    TSupportFiles SupportFiles;
    TTaskModuleObjects TaskModuleObjects{true, this};
    TCommandLineTools CommandLineTools{true, this};
    QString Creator;
    QString SubCreator;
    QString Notes;

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    void Clear() override;
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;

    // Empties the interface references and releases every task module object's references: what a
    // module pasted from elsewhere needs before it joins a package.
    void ReleaseReferences();
};

class TCodeModules : public TNotifyingList
{
    QOR_DECLARE_CLASS
public:
    TCodeModules();
    const TGUID& FormatTag() const override;
    TQORList* CreateList(bool OwnsItems) const override;
    int Compare(const TQORObject* A, const TQORObject* B) const override;
    TCodeModule* Items(int32_t I) const { return ItemAs<TCodeModule>(I); }

    // Told about each task module deleted anywhere below this list.
    TItemEvent OnTaskModuleDeleted;
};
