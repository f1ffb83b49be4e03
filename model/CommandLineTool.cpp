#include "model/CommandLineTool.h"

#include "foundation/StreamPrimitives.h"
#include "model/FormatTags.h"

QOR_IMPLEMENT_CLASS(TCommandLineTool,
                    TQORObject,
                    "{ECA32EA8-5936-40E9-AB58-71CC99D66FBD}",
                    &QORCreate<TCommandLineTool>)

void TCommandLineTool::Assign(const TQORObject* Source, bool KeepReferences)
{
    const auto& From = AssignSource<TCommandLineTool>(*this, Source);
    ID = From.ID;
    Name = From.Name;
    CommandLineArguments = From.CommandLineArguments;
    ToolCategories = From.ToolCategories;
    AccessibleByServiceEngineers = From.AccessibleByServiceEngineers;
    AccessibleBySystemAdministrators = From.AccessibleBySystemAdministrators;
    AccessibleByTrainers = From.AccessibleByTrainers;
    AccessibleByStudents = From.AccessibleByStudents;
    RunAsAdministrator = From.RunAsAdministrator;
    Notes = From.Notes;
    SetExpanded(From.Expanded());
}

void TCommandLineTool::Clear()
{
    ID = TGUID();
    Name.clear();
    CommandLineArguments.clear();
    ToolCategories.clear();
    AccessibleByServiceEngineers = false;
    AccessibleBySystemAdministrators = false;
    AccessibleByTrainers = false;
    AccessibleByStudents = false;
    RunAsAdministrator = false;
    Notes.clear();
    SetExpanded(false);
}

void TCommandLineTool::LoadFromStream(IQORStream& Stream)
{
    Clear();
    enum TToolLayout
    {
        LayoutWithAccessLevel,
        LayoutWithPermissions,
        LayoutWithToolCategories,
    };
    const TToolLayout Layout = LayoutOfTag<TToolLayout>(ReadGUID(Stream),
                                                        {{FormatTag::CommandLineToolV1, LayoutWithAccessLevel},
                                                         {FormatTag::CommandLineToolV2, LayoutWithPermissions},
                                                         {FormatTag::CommandLineTool, LayoutWithToolCategories}});
    ID = ReadGUID(Stream);
    Name = ReadString(Stream);
    CommandLineArguments = ReadString(Stream);
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
    RunAsAdministrator = ReadBoolean(Stream);
    Notes = ReadString(Stream);
    SetExpanded(ReadBoolean(Stream));
}

void TCommandLineTool::SaveToStream(IQORStream& Stream) const
{
    WriteGUID(Stream, FormatTag::CommandLineTool);
    WriteGUID(Stream, ID);
    WriteString(Stream, Name);
    WriteString(Stream, CommandLineArguments);
    WriteStrings(Stream, ToolCategories);
    WriteBoolean(Stream, AccessibleByServiceEngineers);
    WriteBoolean(Stream, AccessibleBySystemAdministrators);
    WriteBoolean(Stream, AccessibleByTrainers);
    WriteBoolean(Stream, AccessibleByStudents);
    WriteBoolean(Stream, RunAsAdministrator);
    WriteString(Stream, Notes);
    WriteBoolean(Stream, Expanded());
}

QOR_IMPLEMENT_CLASS(TCommandLineTools, TModelList, nullptr, nullptr)

TCommandLineTools::TCommandLineTools(bool OwnsItems, TCodeModule* Owner)
    : TModelList(&TCommandLineTool::StaticClass(), OwnsItems), FOwner(Owner)
{}

const TGUID& TCommandLineTools::FormatTag() const
{
    return FormatTag::CommandLineTools;
}

TQORList* TCommandLineTools::CreateList(bool OwnsItems) const
{
    return new TCommandLineTools(OwnsItems, nullptr);
}

int TCommandLineTools::Compare(const TQORObject* A, const TQORObject* B) const
{
    return CompareText(static_cast<const TCommandLineTool*>(A)->Name, static_cast<const TCommandLineTool*>(B)->Name);
}
