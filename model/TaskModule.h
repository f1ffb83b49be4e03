#pragma once

// Task modules: what a task module object can act as (a task creator, a task runner, a tool, ...),
// with the data types it takes and produces. The data types are references into the package's lists.

#include "model/DataTypes.h"
#include "model/Enumerations.h"
#include "model/ModelList.h"

class TTaskModuleObject;

class TTaskModule : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TTaskModule();

    TGUID ID;
    TTaskModuleType Type = tmtNone;
    // Meaningful for task result item viewers only.
    bool SupportsMultipleItems = false;
    TTaskTypes InputTaskTypes{false};
    TTaskTypes OutputTaskTypes{false};
    TTaskRecordingTypes InputTaskRecordingTypes{false};
    TTaskRecordingTypes OutputTaskRecordingTypes{false};
    TTaskResultItemFormats InputTaskResultItemFormats{false};
    TTaskResultItemFormats OutputTaskResultItemFormats{false};
    TMediaItemFormats OutputMediaItemFormats{false};

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    void Clear() override;
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;

    // Empties the seven data-type reference lists; the data types themselves stay.
    void ReleaseReferences();
    // The task module object whose TaskModules hold this module; none when it is not in one.
    TTaskModuleObject* Owner() const;
};

class TTaskModules : public TModelList
{
    QOR_DECLARE_CLASS
public:
    TTaskModules(bool OwnsItems, TTaskModuleObject* Owner);
    const TGUID& FormatTag() const override;
    TQORList* CreateList(bool OwnsItems) const override;
    // By Type, ascending.
    int Compare(const TQORObject* A, const TQORObject* B) const override;
    void Notify(TQORObject* Item, TQORListNotification Action) override;
    TTaskModule* Items(int32_t I) const { return ItemAs<TTaskModule>(I); }

    TTaskModuleObject* Owner() const { return FOwner; }
    // Told about each task module this list is about to delete.
    TItemEvent OnTaskModuleDeleted;

private:
    TTaskModuleObject* FOwner;
};

// The stored type of a first-version task module in today's numbering.
TTaskModuleType TaskModuleTypeFromV1(int32_t Stored);
// The stored type of a second-version task module in today's numbering.
TTaskModuleType TaskModuleTypeFromV2(int32_t Stored);
