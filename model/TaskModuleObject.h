#pragma once

// Task module objects: the creatable objects of a code module. Each owns the task modules that say
// what it can act as, and may point at a configurator and a command editor, which are task modules
// of any task module object of the package.

#include "model/ModelList.h"
#include "model/TaskModule.h"

#include <QString>
#include <QStringList>

class TCodeModule;
class TCodeModules;

// Where a task module stands in a package: code module, task module object and task module index.
// This is how a Configurator or CommandEditor is stored; -1, -1, -1 stands for none.
struct TTaskModulePosition
{
    int32_t CodeModule = -1;
    int32_t Object = -1;
    int32_t TaskModule = -1;

    friend bool operator==(const TTaskModulePosition&, const TTaskModulePosition&) = default;
};

constexpr int32_t DefaultPreferredWidth = 548;
constexpr int32_t DefaultPreferredHeight = 411;

class TTaskModuleObject : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    TTaskModuleObject();

    // For a COM module: the GUID of a type in the module's type library.
    TGUID ID;
    QString Name;
    // Full type name of the object's class (.Net assemblies only).
    QString FullTypeName;
    bool RunOutOfProcess = false;
    bool DelayBeforeReturningToHost = false;
    TTaskModules TaskModules{true, this};
    TTaskModule* Configurator = nullptr;
    TTaskModule* CommandEditor = nullptr;
    // The object can be embedded into LMS notes, at this preferred size.
    bool LMSNotesSupported = false;
    int32_t PreferredWidth = DefaultPreferredWidth;
    int32_t PreferredHeight = DefaultPreferredHeight;
    QStringList ToolCategories;
    bool AccessibleByServiceEngineers = false;
    bool AccessibleBySystemAdministrators = false;
    bool AccessibleByTrainers = false;
    bool AccessibleByStudents = false;
    QString Notes;

    void Assign(const TQORObject* Source, bool KeepReferences) override;
    void Clear() override;
    void LoadFromStream(IQORStream& Stream) override;
    void SaveToStream(IQORStream& Stream) const override;

    // Empties the data-type references of every task module and drops Configurator and
    // CommandEditor: what deletion and pasting do to an object that leaves its package.
    void ReleaseReferences();
    // Turns the positions read from a definition into Configurator and CommandEditor.
    // E_QOR_InvalidListItemIndex for a position outside CodeModules.
    void ResolveReferences(const TCodeModules& CodeModules);
    // Positions read from a stream and not yet resolved (-1s when none are pending).
    const TTaskModulePosition& PendingConfigurator() const { return FPendingConfigurator; }
    const TTaskModulePosition& PendingCommandEditor() const { return FPendingCommandEditor; }
    // The code module whose TaskModuleObjects hold this object; none when it is not in one.
    TCodeModule* Owner() const;

private:
    TTaskModulePosition FPendingConfigurator;
    TTaskModulePosition FPendingCommandEditor;
};

class TTaskModuleObjects : public TModelList
{
    QOR_DECLARE_CLASS
public:
    TTaskModuleObjects(bool OwnsItems, TCodeModule* Owner);
    const TGUID& FormatTag() const override;
    TQORList* CreateList(bool OwnsItems) const override;
    int Compare(const TQORObject* A, const TQORObject* B) const override;
    // An object about to be deleted lets go of everything it refers to first.
    void Notify(TQORObject* Item, TQORListNotification Action) override;
    TTaskModuleObject* Items(int32_t I) const { return ItemAs<TTaskModuleObject>(I); }

    TCodeModule* Owner() const { return FOwner; }
    // Told about each task module deleted anywhere below this list.
    TItemEvent OnTaskModuleDeleted;

private:
    TCodeModule* FOwner;
};

// Where Module stands in its package. Raises E_QOR_ListItemHasNoParent when it is not placed in a
// task module object of a code module of a package list.
TTaskModulePosition PositionOfTaskModule(const TTaskModule& Module);
// The task module at Position: none for a code module index of -1 or a task module index of -1;
// E_QOR_InvalidListItemIndex for an index outside its list.
TTaskModule* TaskModuleAtPosition(const TCodeModules& CodeModules, const TTaskModulePosition& Position);
