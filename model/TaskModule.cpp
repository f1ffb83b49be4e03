#include "model/TaskModule.h"

#include "foundation/StreamPrimitives.h"
#include "model/FormatTags.h"

TTaskModuleType TaskModuleTypeFromV1(int32_t Stored)
{
    // Version 1 lacked "Task recording player" (now 6) and "Task module command editor" (now 9).
    int32_t Value = Stored;
    if (Value > 4)
        ++Value;
    if (Value == 9)
        Value = 10;
    return static_cast<TTaskModuleType>(Value);
}

TTaskModuleType TaskModuleTypeFromV2(int32_t Stored)
{
    if (Stored == 9)
        return tmtTool;
    if (Stored == 10)
        return tmtTaskModuleCommandEditor;
    return static_cast<TTaskModuleType>(Stored);
}

QOR_IMPLEMENT_CLASS(TTaskModule, TQORObject, nullptr, &QORCreate<TTaskModule>)

TTaskModule::TTaskModule() = default;

void TTaskModule::Assign(const TQORObject* Source, bool KeepReferences)
{
    const auto& From = AssignSource<TTaskModule>(*this, Source);
    ID = From.ID;
    Type = From.Type;
    SupportsMultipleItems = From.SupportsMultipleItems;
    InputTaskTypes.Assign(&From.InputTaskTypes, KeepReferences);
    OutputTaskTypes.Assign(&From.OutputTaskTypes, KeepReferences);
    InputTaskRecordingTypes.Assign(&From.InputTaskRecordingTypes, KeepReferences);
    OutputTaskRecordingTypes.Assign(&From.OutputTaskRecordingTypes, KeepReferences);
    InputTaskResultItemFormats.Assign(&From.InputTaskResultItemFormats, KeepReferences);
    OutputTaskResultItemFormats.Assign(&From.OutputTaskResultItemFormats, KeepReferences);
    OutputMediaItemFormats.Assign(&From.OutputMediaItemFormats, KeepReferences);
    SetExpanded(From.Expanded());
}

void TTaskModule::Clear()
{
    ID = TGUID();
    Type = tmtNone;
    SupportsMultipleItems = false;
    ReleaseReferences();
    for (TQORList* List : {static_cast<TQORList*>(&InputTaskTypes),
                           static_cast<TQORList*>(&OutputTaskTypes),
                           static_cast<TQORList*>(&InputTaskRecordingTypes),
                           static_cast<TQORList*>(&OutputTaskRecordingTypes),
                           static_cast<TQORList*>(&InputTaskResultItemFormats),
                           static_cast<TQORList*>(&OutputTaskResultItemFormats),
                           static_cast<TQORList*>(&OutputMediaItemFormats)})
        List->SetExpanded(false);
    SetExpanded(false);
}

void TTaskModule::ReleaseReferences()
{
    InputTaskTypes.Clear();
    OutputTaskTypes.Clear();
    InputTaskRecordingTypes.Clear();
    OutputTaskRecordingTypes.Clear();
    InputTaskResultItemFormats.Clear();
    OutputTaskResultItemFormats.Clear();
    OutputMediaItemFormats.Clear();
}

TTaskModuleObject* TTaskModule::Owner() const
{
    // Asked for every configurator and command editor a save writes; the class check is cheaper
    // than a dynamic_cast and answers the same for every list class.
    const TQORList* List = Parent();
    return List && List->InheritsFrom(TTaskModules::StaticClass()) ? static_cast<const TTaskModules*>(List)->Owner()
                                                                   : nullptr;
}

void TTaskModule::LoadFromStream(IQORStream& Stream)
{
    Clear();
    // The layouts differ only in how Type is numbered.
    enum TModuleLayout
    {
        LayoutOriginal,
        LayoutWithPlayerAndCommandEditor,
        LayoutWithToolAfterCommandEditor,
    };
    const TModuleLayout Layout =
        LayoutOfTag<TModuleLayout>(ReadGUID(Stream),
                                   {{FormatTag::TaskModuleV1, LayoutOriginal},
                                    {FormatTag::TaskModuleV2, LayoutWithPlayerAndCommandEditor},
                                    {FormatTag::TaskModule, LayoutWithToolAfterCommandEditor}});
    ID = ReadGUID(Stream);
    const int32_t StoredType = ReadInteger(Stream);
    switch (Layout) {
    case LayoutOriginal:
        Type = TaskModuleTypeFromV1(StoredType);
        break;
    case LayoutWithPlayerAndCommandEditor:
        Type = TaskModuleTypeFromV2(StoredType);
        break;
    case LayoutWithToolAfterCommandEditor:
        Type = static_cast<TTaskModuleType>(StoredType);
        break;
    }
    SupportsMultipleItems = ReadBoolean(Stream);
    InputTaskTypes.LoadFromStream(Stream);
    OutputTaskTypes.LoadFromStream(Stream);
    InputTaskRecordingTypes.LoadFromStream(Stream);
    OutputTaskRecordingTypes.LoadFromStream(Stream);
    InputTaskResultItemFormats.LoadFromStream(Stream);
    OutputTaskResultItemFormats.LoadFromStream(Stream);
    OutputMediaItemFormats.LoadFromStream(Stream);
    SetExpanded(ReadBoolean(Stream));
}

void TTaskModule::SaveToStream(IQORStream& Stream) const
{
    // A package holds many task modules, each a short record of references: one write apiece.
    WriteRecord(Stream, [this](TRecordWriter& Record) {
        Record.PutGUID(FormatTag::TaskModule);
        Record.PutGUID(ID);
        Record.PutInteger(Type);
        Record.PutBoolean(SupportsMultipleItems);
        InputTaskTypes.PutReferences(Record);
        OutputTaskTypes.PutReferences(Record);
        InputTaskRecordingTypes.PutReferences(Record);
        OutputTaskRecordingTypes.PutReferences(Record);
        InputTaskResultItemFormats.PutReferences(Record);
        OutputTaskResultItemFormats.PutReferences(Record);
        OutputMediaItemFormats.PutReferences(Record);
        Record.PutBoolean(Expanded());
    });
}

QOR_IMPLEMENT_CLASS(TTaskModules, TModelList, nullptr, nullptr)

TTaskModules::TTaskModules(bool OwnsItems, TTaskModuleObject* Owner)
    : TModelList(&TTaskModule::StaticClass(), OwnsItems), FOwner(Owner)
{}

const TGUID& TTaskModules::FormatTag() const
{
    return FormatTag::TaskModules;
}

TQORList* TTaskModules::CreateList(bool OwnsItems) const
{
    return new TTaskModules(OwnsItems, nullptr);
}

int TTaskModules::Compare(const TQORObject* A, const TQORObject* B) const
{
    return CompareIntegers(static_cast<const TTaskModule*>(A)->Type, static_cast<const TTaskModule*>(B)->Type);
}

void TTaskModules::Notify(TQORObject* Item, TQORListNotification Action)
{
    TModelList::Notify(Item, Action);
    if (Action == qlnDeleting && Item && OnTaskModuleDeleted)
        OnTaskModuleDeleted(Item);
}
