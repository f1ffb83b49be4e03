#include "model/TaskModuleObject.h"

#include "foundation/RecordWriter.h"
#include "foundation/StreamPrimitives.h"
#include "model/CodeModule.h"
#include "model/FormatTags.h"

namespace {

enum TObjectLayout
{
    LayoutWithAccessLevel,
    LayoutWithPermissions,
    LayoutWithDelay,
    LayoutWithCommandEditor,
    LayoutWithToolCategories,
};

TTaskModulePosition ReadPosition(IQORStream& Stream)
{
    TTaskModulePosition Result;
    Result.CodeModule = ReadInteger(Stream);
    Result.Object = ReadInteger(Stream);
    Result.TaskModule = ReadInteger(Stream);
    return Result;
}

void PutPosition(TRecordWriter& Record, const TTaskModulePosition& Position)
{
    Record.PutInteger(Position.CodeModule);
    Record.PutInteger(Position.Object);
    Record.PutInteger(Position.TaskModule);
}

} // namespace

TTaskModulePosition PositionOfTaskModule(const TTaskModule& Module)
{
    const TTaskModuleObject* Object = Module.Owner();
    if (!Object)
        throw E_QOR_ListItemHasNoParent();
    const TCodeModule* CodeModule = Object->Owner();
    if (!CodeModule)
        throw E_QOR_ListItemHasNoParent();
    return TTaskModulePosition{CodeModule->GetIndex(), Object->GetIndex(), Module.GetIndex()};
}

TTaskModule* TaskModuleAtPosition(const TCodeModules& CodeModules, const TTaskModulePosition& Position)
{
    if (Position.CodeModule == -1)
        return nullptr;
    const TCodeModule* CodeModule = CodeModules.Items(Position.CodeModule);
    const TTaskModuleObject* Object = CodeModule->TaskModuleObjects.Items(Position.Object);
    if (Position.TaskModule == -1)
        return nullptr;
    return Object->TaskModules.Items(Position.TaskModule);
}

// --- TTaskModuleObject ------------------------------------------------------------------------------

QOR_IMPLEMENT_CLASS(TTaskModuleObject,
                    TQORObject,
                    "{8D4D4768-0315-4D05-973B-8638CDDE9545}",
                    &QORCreate<TTaskModuleObject>)

TTaskModuleObject::TTaskModuleObject()
{
    // A deleted task module is reported up the tree, so that the package can drop references to it.
    TaskModules.OnTaskModuleDeleted = [this](TQORObject* Item) {
        auto* List = dynamic_cast<TTaskModuleObjects*>(Parent());
        if (List && List->OnTaskModuleDeleted)
            List->OnTaskModuleDeleted(Item);
    };
}

void TTaskModuleObject::Assign(const TQORObject* Source, bool KeepReferences)
{
    const auto& From = AssignSource<TTaskModuleObject>(*this, Source);
    ID = From.ID;
    Name = From.Name;
    FullTypeName = From.FullTypeName;
    RunOutOfProcess = From.RunOutOfProcess;
    DelayBeforeReturningToHost = From.DelayBeforeReturningToHost;
    TaskModules.Assign(&From.TaskModules, KeepReferences);
    Configurator = From.Configurator;
    CommandEditor = From.CommandEditor;
    FPendingConfigurator = {};
    FPendingCommandEditor = {};
    LMSNotesSupported = From.LMSNotesSupported;
    PreferredWidth = From.PreferredWidth;
    PreferredHeight = From.PreferredHeight;
    ToolCategories = From.ToolCategories;
    AccessibleByServiceEngineers = From.AccessibleByServiceEngineers;
    AccessibleBySystemAdministrators = From.AccessibleBySystemAdministrators;
    AccessibleByTrainers = From.AccessibleByTrainers;
    AccessibleByStudents = From.AccessibleByStudents;
    Notes = From.Notes;
    SetExpanded(From.Expanded());
}

void TTaskModuleObject::Clear()
{
    ID = TGUID();
    Name.clear();
    FullTypeName.clear();
    RunOutOfProcess = false;
    DelayBeforeReturningToHost = false;
    TaskModules.ClearNotifying();
    TaskModules.SetExpanded(false);
    Configurator = nullptr;
    CommandEditor = nullptr;
    FPendingConfigurator = {};
    FPendingCommandEditor = {};
    LMSNotesSupported = false;
    PreferredWidth = DefaultPreferredWidth;
    PreferredHeight = DefaultPreferredHeight;
    ToolCategories.clear();
    AccessibleByServiceEngineers = false;
    AccessibleBySystemAdministrators = false;
    AccessibleByTrainers = false;
    AccessibleByStudents = false;
    Notes.clear();
    SetExpanded(false);
}

void TTaskModuleObject::ReleaseReferences()
{
    for (int32_t I = 0; I < TaskModules.Count(); ++I)
        if (TTaskModule* Module = TaskModules.Items(I))
            Module->ReleaseReferences();
    Configurator = nullptr;
    CommandEditor = nullptr;
    FPendingConfigurator = {};
    FPendingCommandEditor = {};
}

void TTaskModuleObject::ResolveReferences(const TCodeModules& CodeModules)
{
    if (!Configurator)
        Configurator = TaskModuleAtPosition(CodeModules, FPendingConfigurator);
    if (!CommandEditor)
        CommandEditor = TaskModuleAtPosition(CodeModules, FPendingCommandEditor);
    FPendingConfigurator = {};
    FPendingCommandEditor = {};
}

TCodeModule* TTaskModuleObject::Owner() const
{
    const TQORList* List = Parent();
    return List && List->InheritsFrom(TTaskModuleObjects::StaticClass())
               ? static_cast<const TTaskModuleObjects*>(List)->Owner()
               : nullptr;
}

void TTaskModuleObject::LoadFromStream(IQORStream& Stream)
{
    Clear();
    const TObjectLayout Layout = LayoutOfTag<TObjectLayout>(ReadGUID(Stream),
                                                            {{FormatTag::TaskModuleObjectV1, LayoutWithAccessLevel},
                                                             {FormatTag::TaskModuleObjectV2, LayoutWithPermissions},
                                                             {FormatTag::TaskModuleObjectV3, LayoutWithDelay},
                                                             {FormatTag::TaskModuleObjectV4, LayoutWithCommandEditor},
                                                             {FormatTag::TaskModuleObject, LayoutWithToolCategories}});
    ID = ReadGUID(Stream);
    Name = ReadString(Stream);
    FullTypeName = ReadString(Stream);
    RunOutOfProcess = ReadBoolean(Stream);
    if (Layout >= LayoutWithDelay)
        DelayBeforeReturningToHost = ReadBoolean(Stream);
    TaskModules.LoadFromStream(Stream);
    FPendingConfigurator = ReadPosition(Stream);
    if (Layout >= LayoutWithCommandEditor)
        FPendingCommandEditor = ReadPosition(Stream);
    LMSNotesSupported = ReadBoolean(Stream);
    PreferredWidth = ReadInteger(Stream);
    PreferredHeight = ReadInteger(Stream);
    if (Layout >= LayoutWithToolCategories)
        ReadStrings(Stream, ToolCategories);
    if (Layout >= LayoutWithPermissions) {
        AccessibleByServiceEngineers = ReadBoolean(Stream);
        AccessibleBySystemAdministrators = ReadBoolean(Stream);
        AccessibleByTrainers = ReadBoolean(Stream);
        AccessibleByStudents = ReadBoolean(Stream);
    } else {
        const TAccessPermissions Permissions = PermissionsFromAccessLevel(ReadInteger(Stream));
        AccessibleByServiceEngineers = Permissions.ServiceEngineers;
        AccessibleBySystemAdministrators = Permissions.SystemAdministrators;
        AccessibleByTrainers = Permissions.Trainers;
        AccessibleByStudents = Permissions.Students;
    }
    Notes = ReadString(Stream);
    SetExpanded(ReadBoolean(Stream));
}

void TTaskModuleObject::SaveToStream(IQORStream& Stream) const
{
    WriteRecord(Stream, [this](TRecordWriter& Record) {
        Record.PutGUID(FormatTag::TaskModuleObject);
        Record.PutGUID(ID);
        Record.PutString(Name);
        Record.PutString(FullTypeName);
        Record.PutBoolean(RunOutOfProcess);
        Record.PutBoolean(DelayBeforeReturningToHost);
    });
    TaskModules.SaveToStream(Stream);
    WriteRecord(Stream, [this](TRecordWriter& Record) {
        PutPosition(Record, Configurator ? PositionOfTaskModule(*Configurator) : FPendingConfigurator);
        PutPosition(Record, CommandEditor ? PositionOfTaskModule(*CommandEditor) : FPendingCommandEditor);
        Record.PutBoolean(LMSNotesSupported);
        Record.PutInteger(PreferredWidth);
        Record.PutInteger(PreferredHeight);
        Record.PutStrings(ToolCategories);
        Record.PutBoolean(AccessibleByServiceEngineers);
        Record.PutBoolean(AccessibleBySystemAdministrators);
        Record.PutBoolean(AccessibleByTrainers);
        Record.PutBoolean(AccessibleByStudents);
        Record.PutString(Notes);
        Record.PutBoolean(Expanded());
    });
}

// --- TTaskModuleObjects -----------------------------------------------------------------------------

QOR_IMPLEMENT_CLASS(TTaskModuleObjects, TModelList, nullptr, nullptr)

TTaskModuleObjects::TTaskModuleObjects(bool OwnsItems, TCodeModule* Owner)
    : TModelList(&TTaskModuleObject::StaticClass(), OwnsItems), FOwner(Owner)
{}

const TGUID& TTaskModuleObjects::FormatTag() const
{
    return FormatTag::TaskModuleObjects;
}

TQORList* TTaskModuleObjects::CreateList(bool OwnsItems) const
{
    return new TTaskModuleObjects(OwnsItems, nullptr);
}

int TTaskModuleObjects::Compare(const TQORObject* A, const TQORObject* B) const
{
    return CompareText(static_cast<const TTaskModuleObject*>(A)->Name, static_cast<const TTaskModuleObject*>(B)->Name);
}

void TTaskModuleObjects::Notify(TQORObject* Item, TQORListNotification Action)
{
    TModelList::Notify(Item, Action);
    if (Action == qlnDeleting && Item && OwnsItems())
        static_cast<TTaskModuleObject*>(Item)->ReleaseReferences();
}
