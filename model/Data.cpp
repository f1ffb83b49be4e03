#include "model/Data.h"

#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "model/FormatTags.h"

#include <initializer_list>
#include <memory>
#include <vector>

namespace {

template <class F> void ForEachTaskModuleObject(const TCodeModules& CodeModules, F&& Visit)
{
    for (int32_t C = 0; C < CodeModules.Count(); ++C) {
        const TCodeModule* Module = CodeModules.Items(C);
        if (!Module)
            continue;
        for (int32_t O = 0; O < Module->TaskModuleObjects.Count(); ++O)
            if (TTaskModuleObject* Object = Module->TaskModuleObjects.Items(O))
                Visit(*Object);
    }
}

template <class F> void ForEachTaskModule(const TCodeModules& CodeModules, F&& Visit)
{
    ForEachTaskModuleObject(CodeModules, [&](TTaskModuleObject& Object) {
        for (int32_t M = 0; M < Object.TaskModules.Count(); ++M)
            if (TTaskModule* Module = Object.TaskModules.Items(M))
                Visit(*Module);
    });
}

// Moves every item of From to the end of To; the items stay the same objects.
void MoveItems(TQORList& From, TQORList& To)
{
    std::vector<TQORObject*> Items(static_cast<size_t>(From.Count()));
    for (int32_t I = From.Count() - 1; I >= 0; --I)
        Items[static_cast<size_t>(I)] = From.Extract(I);
    To.SetCapacity(To.Count() + static_cast<int32_t>(Items.size()));
    for (TQORObject* Item : Items)
        To.Add(Item);
    To.SetExpanded(From.Expanded());
}

} // namespace

TData::TData()
{
    const auto DataTypeHandler = [this](TQORObject* Item) { DataTypeDeleted(Item); };
    TaskTypes.OnDeleted = DataTypeHandler;
    TaskRecordingTypes.OnDeleted = DataTypeHandler;
    TaskResultItemFormats.OnDeleted = DataTypeHandler;
    MediaItemFormats.OnDeleted = DataTypeHandler;
    InterfaceTypes.OnDeleted = [this](TQORObject* Item) { InterfaceTypeDeleted(Item); };
    // Nothing refers to code modules as a whole; their task modules report themselves.
    CodeModules.OnDeleted = [](TQORObject*) {};
    CodeModules.OnTaskModuleDeleted = [this](TQORObject* Item) { TaskModuleDeleted(Item); };
}

TData::~TData()
{
    Clear();
}

void TData::Clear()
{
    ID = TGUID();
    Name.clear();
    Description.clear();
    AboutInformation.clear();
    Creator.clear();
    SubCreator.clear();
    AllowExportFromLMS = false;
    BetaSoftware = false;

    // Everything goes, so every reference is dropped once up front instead of being searched for
    // after each single deletion; the deletions are still notified one by one.
    struct TClearingScope
    {
        bool& Flag;
        explicit TClearingScope(bool& Value) : Flag(Value) { Flag = true; }
        ~TClearingScope() { Flag = false; }
    } Scope(FClearing);
    for (int32_t I = 0; I < CodeModules.Count(); ++I)
        if (TCodeModule* Module = CodeModules.Items(I))
            Module->ReleaseReferences();
    TaskTypes.ClearNotifying();
    TaskRecordingTypes.ClearNotifying();
    TaskResultItemFormats.ClearNotifying();
    MediaItemFormats.ClearNotifying();
    InterfaceTypes.ClearNotifying();
    Drivers.ClearNotifying();
    CodeModules.ClearNotifying();
    // The lists' own flags are saved too: a new document must not inherit the old one's tree.
    for (TQORList* List : std::initializer_list<TQORList*>{&TaskTypes,
                                                           &TaskRecordingTypes,
                                                           &TaskResultItemFormats,
                                                           &MediaItemFormats,
                                                           &InterfaceTypes,
                                                           &Drivers,
                                                           &CodeModules})
        List->SetExpanded(false);
    DataTypesExpanded = false;
}

void TData::DataTypeDeleted(TQORObject* Item)
{
    if (FClearing)
        return;
    if (dynamic_cast<TTaskType*>(Item)) {
        ForEachTaskModule(CodeModules, [Item](TTaskModule& Module) {
            Module.InputTaskTypes.Remove(Item);
            Module.OutputTaskTypes.Remove(Item);
        });
    } else if (dynamic_cast<TTaskRecordingType*>(Item)) {
        ForEachTaskModule(CodeModules, [Item](TTaskModule& Module) {
            Module.InputTaskRecordingTypes.Remove(Item);
            Module.OutputTaskRecordingTypes.Remove(Item);
        });
    } else if (dynamic_cast<TTaskResultItemFormat*>(Item)) {
        ForEachTaskModule(CodeModules, [Item](TTaskModule& Module) {
            Module.InputTaskResultItemFormats.Remove(Item);
            Module.OutputTaskResultItemFormats.Remove(Item);
        });
    } else if (dynamic_cast<TMediaItemFormat*>(Item)) {
        ForEachTaskModule(CodeModules, [Item](TTaskModule& Module) { Module.OutputMediaItemFormats.Remove(Item); });
    }
}

void TData::InterfaceTypeDeleted(TQORObject* Item)
{
    if (FClearing)
        return;
    for (int32_t I = 0; I < CodeModules.Count(); ++I) {
        if (TCodeModule* Module = CodeModules.Items(I)) {
            Module->HostInterfaces.Remove(Item);
            Module->ModuleInterfaces.Remove(Item);
        }
    }
}

void TData::TaskModuleDeleted(TQORObject* Item)
{
    if (FClearing)
        return;
    ForEachTaskModuleObject(CodeModules, [Item](TTaskModuleObject& Object) {
        if (Object.Configurator == Item)
            Object.Configurator = nullptr;
        if (Object.CommandEditor == Item)
            Object.CommandEditor = nullptr;
    });
}

void TData::ResolveReferences()
{
    for (int32_t C = 0; C < CodeModules.Count(); ++C) {
        TCodeModule* Module = CodeModules.Items(C);
        Module->HostInterfaces.ResolveReferences(InterfaceTypes);
        Module->ModuleInterfaces.ResolveReferences(InterfaceTypes);
        for (int32_t O = 0; O < Module->TaskModuleObjects.Count(); ++O) {
            TTaskModuleObject* Object = Module->TaskModuleObjects.Items(O);
            for (int32_t M = 0; M < Object->TaskModules.Count(); ++M) {
                TTaskModule* TaskModule = Object->TaskModules.Items(M);
                TaskModule->InputTaskTypes.ResolveReferences(TaskTypes);
                TaskModule->OutputTaskTypes.ResolveReferences(TaskTypes);
                TaskModule->InputTaskRecordingTypes.ResolveReferences(TaskRecordingTypes);
                TaskModule->OutputTaskRecordingTypes.ResolveReferences(TaskRecordingTypes);
                TaskModule->InputTaskResultItemFormats.ResolveReferences(TaskResultItemFormats);
                TaskModule->OutputTaskResultItemFormats.ResolveReferences(TaskResultItemFormats);
                TaskModule->OutputMediaItemFormats.ResolveReferences(MediaItemFormats);
            }
            Object->ResolveReferences(CodeModules);
        }
    }
}

void TData::ReadDefinition(IQORStream& Stream)
{
    enum TDataLayout
    {
        LayoutOriginal,
        LayoutWithBetaSoftware,
    };
    const TDataLayout Layout = LayoutOfTag<TDataLayout>(
        ReadGUID(Stream), {{FormatTag::DataWithoutBeta, LayoutOriginal}, {FormatTag::Data, LayoutWithBetaSoftware}});
    ID = ReadGUID(Stream);
    Name = ReadString(Stream);
    Description = ReadString(Stream);
    AboutInformation = ReadString(Stream);
    Creator = ReadString(Stream);
    SubCreator = ReadString(Stream);
    AllowExportFromLMS = ReadBoolean(Stream);
    if (Layout >= LayoutWithBetaSoftware)
        BetaSoftware = ReadBoolean(Stream);
    TaskTypes.LoadFromStream(Stream);
    TaskRecordingTypes.LoadFromStream(Stream);
    TaskResultItemFormats.LoadFromStream(Stream);
    MediaItemFormats.LoadFromStream(Stream);
    InterfaceTypes.LoadFromStream(Stream);
    Drivers.LoadFromStream(Stream);
    CodeModules.LoadFromStream(Stream);
    // Only now: a configurator may lie in a code module that comes later in the file.
    ResolveReferences();
    DataTypesExpanded = ReadBoolean(Stream);
}

void TData::TakeOver(TData& Source)
{
    ID = Source.ID;
    Name = Source.Name;
    Description = Source.Description;
    AboutInformation = Source.AboutInformation;
    Creator = Source.Creator;
    SubCreator = Source.SubCreator;
    AllowExportFromLMS = Source.AllowExportFromLMS;
    BetaSoftware = Source.BetaSoftware;
    MoveItems(Source.TaskTypes, TaskTypes);
    MoveItems(Source.TaskRecordingTypes, TaskRecordingTypes);
    MoveItems(Source.TaskResultItemFormats, TaskResultItemFormats);
    MoveItems(Source.MediaItemFormats, MediaItemFormats);
    MoveItems(Source.InterfaceTypes, InterfaceTypes);
    MoveItems(Source.Drivers, Drivers);
    MoveItems(Source.CodeModules, CodeModules);
    DataTypesExpanded = Source.DataTypesExpanded;
}

void TData::LoadFromStream(IQORStream& Stream)
{
    auto Scratch = std::make_unique<TData>();
    Scratch->ReadDefinition(Stream);
    Clear();
    TakeOver(*Scratch);
}

void TData::SaveToStream(IQORStream& Stream) const
{
    WriteGUID(Stream, FormatTag::Data);
    WriteGUID(Stream, ID);
    WriteString(Stream, Name);
    WriteString(Stream, Description);
    WriteString(Stream, AboutInformation);
    WriteString(Stream, Creator);
    WriteString(Stream, SubCreator);
    WriteBoolean(Stream, AllowExportFromLMS);
    WriteBoolean(Stream, BetaSoftware);
    TaskTypes.SaveToStream(Stream);
    TaskRecordingTypes.SaveToStream(Stream);
    TaskResultItemFormats.SaveToStream(Stream);
    MediaItemFormats.SaveToStream(Stream);
    InterfaceTypes.SaveToStream(Stream);
    Drivers.SaveToStream(Stream);
    CodeModules.SaveToStream(Stream);
    WriteBoolean(Stream, DataTypesExpanded);
}

void TData::LoadFromFile(const QString& FileName)
{
    // Share mode 1: other readers are welcome, writers are not.
    LoadFromFileWith(FileName, 1, [this](IQORStream& Stream) { LoadFromStream(Stream); });
}

void TData::SaveToFile(const QString& FileName) const
{
    TOleFileStream Stream;
    Stream.Open(FileName, QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
    SaveToStream(Stream);
    if (Failed(Stream.Commit(0)))
        throw E_QOR_SavingError(FileNameText(FileName));
}

bool TData::Equals(const TData& Other) const
{
    if (&Other == this)
        return true;
    // Element classes have no equality of their own: two packages are the same when they write the
    // same definition file.
    try {
        TMemoryStream Mine;
        TMemoryStream Theirs;
        SaveToStream(Mine);
        Other.SaveToStream(Theirs);
        return Mine.Data() == Theirs.Data();
    } catch (const E_QOR&) {
        return false;
    }
}
