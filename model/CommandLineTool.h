#pragma once

// Command line tools of a code module: programs the LMS offers as tools with given arguments.

#include "model/ModelList.h"

#include <QString>
#include <QStringList>

class TCodeModule;

class TCommandLineTool : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TGUID ID;
    QString Name;
    QString CommandLineArguments;
    QStringList ToolCategories;
    bool AccessibleByServiceEngineers = false;
    bool AccessibleBySystemAdministrators = false;
    bool AccessibleByTrainers = false;
    bool AccessibleByStudents = false;
    bool RunAsAdministrator = false;
    QString Notes;

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    void Clear() override;
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;
};

class TCommandLineTools : public TModelList
{
    QOR_DECLARE_CLASS
public:
    TCommandLineTools(bool OwnsItems, TCodeModule* Owner);
    const TGUID& FormatTag() const override;
    TQORList* CreateList(bool OwnsItems) const override;
    int Compare(const TQORObject* A, const TQORObject* B) const override;
    TCommandLineTool* Items(int32_t I) const { return ItemAs<TCommandLineTool>(I); }

    TCodeModule* Owner() const { return FOwner; }

private:
    TCodeModule* FOwner;
};
