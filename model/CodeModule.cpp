#include "model/CodeModule.h"

#include "foundation/StreamPrimitives.h"
#include "model/FormatTags.h"

QOR_IMPLEMENT_CLASS(TCodeModule, TQORObject, "{4FFAEE1A-D1FF-4565-AA45-13AF100A1B1D}", &QORCreate<TCodeModule>)

TCodeModule::TCodeModule()
{
    TaskModuleObjects.OnTaskModuleDeleted = [this](TQORObject* Item) {
        auto* List = dynamic_cast<TCodeModules*>(Parent());
        if (List && List->OnTaskModuleDeleted)
            List->OnTaskModuleDeleted(Item);
    };
}

void TCodeModule::Assign(const TQORObject* Source, bool KeepReferences)
{
    const auto& From = AssignSource<TCodeModule>(*this, Source);
    ID = From.ID;
    Name = From.Name;
    FilePath = From.FilePath;
    FileName = From.FileName;
    Location = From.Location;
    ObjectServerType = From.ObjectServerType;
    Register = From.Register;
    UseDirectActivation = From.UseDirectActivation;
    RunFromSourceLocation = From.RunFromSourceLocation;
    HostInterfaces.Assign(&From.HostInterfaces, KeepReferences);
    ModuleInterfaces.Assign(&From.ModuleInterfaces, KeepReferences);
    SupportFiles.Assign(&From.SupportFiles, KeepReferences);
    TaskModuleObjects.Assign(&From.TaskModuleObjects, KeepReferences);
    CommandLineTools.Assign(&From.CommandLineTools, KeepReferences);
    Creator = From.Creator;
    SubCreator = From.SubCreator;
    Notes = From.Notes;
    SetExpanded(From.Expanded());
}

void TCodeModule::Clear()
{
    ID = TGUID();
    Name.clear();
    FilePath.clear();
    FileName.clear();
    Location = cmlNone;
    ObjectServerType = ostNone;
    Register = false;
    UseDirectActivation = false;
    RunFromSourceLocation = false;
    HostInterfaces.Clear();
    ModuleInterfaces.Clear();
    SupportFiles.Clear();
    // Deleting one at a time tells the package about every task module that goes.
    TaskModuleObjects.ClearNotifying();
    CommandLineTools.ClearNotifying();
    for (TQORList* List : {static_cast<TQORList*>(&HostInterfaces),
                           static_cast<TQORList*>(&ModuleInterfaces),
                           static_cast<TQORList*>(&SupportFiles),
                           static_cast<TQORList*>(&TaskModuleObjects),
                           static_cast<TQORList*>(&CommandLineTools)})
        List->SetExpanded(false);
    Creator.clear();
    SubCreator.clear();
    Notes.clear();
    SetExpanded(false);
}

void TCodeModule::ReleaseReferences()
{
    HostInterfaces.Clear();
    ModuleInterfaces.Clear();
    for (int32_t I = 0; I < TaskModuleObjects.Count(); ++I)
        if (TTaskModuleObject* Object = TaskModuleObjects.Items(I))
            Object->ReleaseReferences();
}

void TCodeModule::LoadFromStream(IQORStream& Stream)
{
    Clear();
    CheckFormatTag(ReadGUID(Stream), FormatTag::CodeModule);
    ID = ReadGUID(Stream);
    Name = ReadString(Stream);
    FilePath = ReadString(Stream);
    FileName = ReadString(Stream);
    Location = static_cast<TCodeModuleLocation>(ReadInteger(Stream));
    ObjectServerType = static_cast<TObjectServerType>(ReadInteger(Stream));
    Register = ReadBoolean(Stream);
    UseDirectActivation = ReadBoolean(Stream);
    RunFromSourceLocation = ReadBoolean(Stream);
    HostInterfaces.LoadFromStream(Stream);
    ModuleInterfaces.LoadFromStream(Stream);
    SupportFiles.LoadFromStream(Stream);
    TaskModuleObjects.LoadFromStream(Stream);
    CommandLineTools.LoadFromStream(Stream);
    Creator = ReadString(Stream);
    SubCreator = ReadString(Stream);
    Notes = ReadString(Stream);
    SetExpanded(ReadBoolean(Stream));
}

void TCodeModule::SaveToStream(IQORStream& Stream) const
{
    WriteGUID(Stream, FormatTag::CodeModule);
    WriteGUID(Stream, ID);
    WriteString(Stream, Name);
    WriteString(Stream, FilePath);
    WriteString(Stream, FileName);
    WriteInteger(Stream, Location);
    WriteInteger(Stream, ObjectServerType);
    WriteBoolean(Stream, Register);
    WriteBoolean(Stream, UseDirectActivation);
    WriteBoolean(Stream, RunFromSourceLocation);
    HostInterfaces.SaveToStream(Stream);
    ModuleInterfaces.SaveToStream(Stream);
    SupportFiles.SaveToStream(Stream);
    TaskModuleObjects.SaveToStream(Stream);
    CommandLineTools.SaveToStream(Stream);
    WriteString(Stream, Creator);
    WriteString(Stream, SubCreator);
    WriteString(Stream, Notes);
    WriteBoolean(Stream, Expanded());
}

QOR_IMPLEMENT_CLASS(TCodeModules, TNotifyingList, nullptr, nullptr)

TCodeModules::TCodeModules() : TNotifyingList(&TCodeModule::StaticClass(), true) {}

const TGUID& TCodeModules::FormatTag() const
{
    return FormatTag::CodeModules;
}

TQORList* TCodeModules::CreateList(bool OwnsItems) const
{
    return new TCodeModules();
}

int TCodeModules::Compare(const TQORObject* A, const TQORObject* B) const
{
    return CompareText(static_cast<const TCodeModule*>(A)->Name, static_cast<const TCodeModule*>(B)->Name);
}
