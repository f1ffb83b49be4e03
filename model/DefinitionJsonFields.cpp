#include "model/DefinitionJsonFields.h"

#include "model/Data.h"

#include <array>
#include <memory>
#include <type_traits>

namespace {

// The accessors of class T's tables, made from member pointers.
template <class T> struct TFieldsOf
{
    template <auto M> static void* Member(void* Element) { return &(static_cast<T*>(Element)->*M); }
    template <auto M> static void* List(void* Element)
    {
        return static_cast<TQORList*>(&(static_cast<T*>(Element)->*M));
    }

    template <auto M> static constexpr TJsonField Text(const char* Name, TJsonShown Shown = TJsonShown::InPlace)
    {
        return {.Name = Name, .Kind = TJsonFieldKind::Text, .Member = &Member<M>, .Shown = Shown};
    }
    template <auto M> static constexpr TJsonField Flag(const char* Name)
    {
        return {.Name = Name, .Kind = TJsonFieldKind::Flag, .Member = &Member<M>};
    }
    template <auto M> static constexpr TJsonField Integer(const char* Name)
    {
        return {.Name = Name, .Kind = TJsonFieldKind::Integer, .Member = &Member<M>};
    }
    template <auto M> static constexpr TJsonField GUID(const char* Name)
    {
        return {.Name = Name, .Kind = TJsonFieldKind::GUID, .Member = &Member<M>};
    }
    template <auto M> static constexpr TJsonField Strings(const char* Name)
    {
        return {.Name = Name, .Kind = TJsonFieldKind::Strings, .Member = &Member<M>};
    }
    template <auto M> static constexpr TJsonField Enumeration(const char* Name, const TJsonEnumeration& Values)
    {
        using TEnum = std::remove_reference_t<decltype(std::declval<T&>().*M)>;
        return {
            .Name = Name,
            .Kind = TJsonFieldKind::Enumeration,
            .Enumeration = &Values,
            .GetNumber = [](const void* Element) { return static_cast<int32_t>(static_cast<const T*>(Element)->*M); },
            .SetNumber = [](void* Element,
                            int32_t Value) { static_cast<T*>(Element)->*M = static_cast<TEnum>(Value); }};
    }
    static constexpr TJsonField Expanded() { return {.Name = "Expanded", .Kind = TJsonFieldKind::Expanded}; }
    template <auto M, class TItem> static constexpr TJsonField Owned(const char* Name, const TJsonTable& Items)
    {
        return {.Name = Name,
                .Kind = TJsonFieldKind::Owned,
                .Member = &List<M>,
                .Items = &Items,
                .Item = [](const TQORList& Owner, int32_t I) -> void* { return Owner.ItemAs<TItem>(I); },
                .AddItem = [](TQORList& Owner) -> void* {
                    auto Item = std::make_unique<TItem>();
                    Owner.Add(Item.get());
                    return Item.release();
                }};
    }
    template <auto M, auto SourceList> static constexpr TJsonField References(const char* Name)
    {
        using TSource = std::remove_cvref_t<decltype(std::declval<const TData&>().*SourceList)>;
        using TItem = std::remove_pointer_t<decltype(std::declval<const TSource&>().Items(0))>;
        return {
            .Name = Name,
            .Kind = TJsonFieldKind::References,
            .Member = &List<M>,
            .Source = [](const TData& Data) -> const TQORList& { return Data.*SourceList; },
            .SourceID = [](const TQORList& Source, int32_t I) -> const TGUID& { return Source.ItemAs<TItem>(I)->ID; },
            .SourceName = [](const TQORList& Source, int32_t I) -> const QString& {
                return Source.ItemAs<TItem>(I)->Name;
            }};
    }
    template <auto M> static constexpr TJsonField TaskModule(const char* Name)
    {
        return {.Name = Name, .Kind = TJsonFieldKind::TaskModule, .Member = &Member<M>};
    }

    static TQORObject* Object(void* Element) { return static_cast<T*>(Element); }
    template <size_t N> static constexpr TJsonTable Table(const char* Class, const TJsonField (&Fields)[N])
    {
        return {Class, std::span<const TJsonField>(Fields, N), &Object};
    }
};

constexpr TJsonEnumeration MediaItemTypes{IsValidMediaItemType, MediaItemTypeText, MediaItemTypeTexts};
constexpr TJsonEnumeration DriverLocations{IsValidDriverLocation, DriverLocationText, DriverLocationTexts};
constexpr TJsonEnumeration CodeModuleLocations{
    IsValidCodeModuleLocation, CodeModuleLocationText, CodeModuleLocationTexts};
constexpr TJsonEnumeration ObjectServerTypes{IsValidObjectServerType, ObjectServerTypeText, ObjectServerTypeTexts};
constexpr TJsonEnumeration TaskModuleTypes{IsValidTaskModuleType, TaskModuleTypeText, TaskModuleTypeTexts};

// Data types: ID and Name, what the class adds, then Creator, SubCreator, Notes and Expanded.
template <class T, class... TMiddle>
constexpr std::array<TJsonField, 6 + sizeof...(TMiddle)> DataTypeFields(TMiddle... Middle)
{
    using F = TFieldsOf<T>;
    return {F::template GUID<&T::ID>("ID"),
            F::template Text<&T::Name>("Name"),
            Middle...,
            F::template Text<&T::Creator>("Creator"),
            F::template Text<&T::SubCreator>("SubCreator"),
            F::template Text<&T::Notes>("Notes"),
            F::Expanded()};
}

using FTaskType = TFieldsOf<TTaskType>;
constexpr auto TaskTypeFields =
    DataTypeFields<TTaskType>(FTaskType::Text<&TTaskType::FileNameExtension>("FileNameExtension"));
constexpr TJsonTable TaskTypeTable{"TTaskType", TaskTypeFields, &FTaskType::Object};

using FRecording = TFieldsOf<TTaskRecordingType>;
constexpr auto TaskRecordingTypeFields =
    DataTypeFields<TTaskRecordingType>(FRecording::Text<&TTaskRecordingType::FileNameExtension>("FileNameExtension"));
constexpr TJsonTable TaskRecordingTypeTable{"TTaskRecordingType", TaskRecordingTypeFields, &FRecording::Object};

using FResult = TFieldsOf<TTaskResultItemFormat>;
constexpr auto TaskResultItemFormatFields =
    DataTypeFields<TTaskResultItemFormat>(FResult::Text<&TTaskResultItemFormat::Description>("Description"));
constexpr TJsonTable TaskResultItemFormatTable{"TTaskResultItemFormat", TaskResultItemFormatFields, &FResult::Object};

using FMedia = TFieldsOf<TMediaItemFormat>;
constexpr auto MediaItemFormatFields = DataTypeFields<TMediaItemFormat>(
    FMedia::Enumeration<&TMediaItemFormat::MediaItemType>("MediaItemType", MediaItemTypes),
    FMedia::Text<&TMediaItemFormat::FileNameExtension>("FileNameExtension"));
constexpr TJsonTable MediaItemFormatTable{"TMediaItemFormat", MediaItemFormatFields, &FMedia::Object};

using FInterface = TFieldsOf<TInterfaceType>;
constexpr TJsonField InterfaceTypeFields[] = {
    FInterface::GUID<&TInterfaceType::ID>("ID"),
    FInterface::Text<&TInterfaceType::Name>("Name"),
    FInterface::Text<&TInterfaceType::Creator>("Creator"),
    FInterface::Text<&TInterfaceType::SubCreator>("SubCreator"),
    FInterface::Text<&TInterfaceType::Notes>("Notes"),
    FInterface::Expanded(),
};
constexpr TJsonTable InterfaceTypeTable = FInterface::Table("TInterfaceType", InterfaceTypeFields);

using FDriver = TFieldsOf<TDriver>;
constexpr TJsonField DriverFields[] = {
    FDriver::GUID<&TDriver::ID>("ID"),
    FDriver::Text<&TDriver::Name>("Name"),
    FDriver::Text<&TDriver::FileName>("FileName"),
    FDriver::Text<&TDriver::FilePath>("FilePath"),
    FDriver::Enumeration<&TDriver::Location>("Location", DriverLocations),
    FDriver::Enumeration<&TDriver::ObjectServerType>("ObjectServerType", ObjectServerTypes),
    FDriver::Flag<&TDriver::Register>("Register"),
    FDriver::Text<&TDriver::Creator>("Creator"),
    FDriver::Text<&TDriver::SubCreator>("SubCreator"),
    FDriver::Text<&TDriver::Notes>("Notes"),
    FDriver::Expanded(),
};
constexpr TJsonTable DriverTable = FDriver::Table("TDriver", DriverFields);

using FSupportFile = TFieldsOf<TSupportFile>;
constexpr TJsonField SupportFileFields[] = {
    FSupportFile::Text<&TSupportFile::SourceFilePath>("SourceFilePath"),
    FSupportFile::Text<&TSupportFile::SourceFileName>("SourceFileName"),
    FSupportFile::Text<&TSupportFile::TargetRelativePath>("TargetRelativePath"),
    FSupportFile::Flag<&TSupportFile::InstallIntoGAC>("InstallIntoGAC"),
};
constexpr TJsonTable SupportFileTable = FSupportFile::Table("TSupportFile", SupportFileFields);

using FTaskModule = TFieldsOf<TTaskModule>;
constexpr TJsonField TaskModuleFields[] = {
    FTaskModule::GUID<&TTaskModule::ID>("ID"),
    FTaskModule::Enumeration<&TTaskModule::Type>("Type", TaskModuleTypes),
    FTaskModule::Flag<&TTaskModule::SupportsMultipleItems>("SupportsMultipleItems"),
    FTaskModule::References<&TTaskModule::InputTaskTypes, &TData::TaskTypes>("InputTaskTypes"),
    FTaskModule::References<&TTaskModule::OutputTaskTypes, &TData::TaskTypes>("OutputTaskTypes"),
    FTaskModule::References<&TTaskModule::InputTaskRecordingTypes, &TData::TaskRecordingTypes>(
        "InputTaskRecordingTypes"),
    FTaskModule::References<&TTaskModule::OutputTaskRecordingTypes, &TData::TaskRecordingTypes>(
        "OutputTaskRecordingTypes"),
    FTaskModule::References<&TTaskModule::InputTaskResultItemFormats, &TData::TaskResultItemFormats>(
        "InputTaskResultItemFormats"),
    FTaskModule::References<&TTaskModule::OutputTaskResultItemFormats, &TData::TaskResultItemFormats>(
        "OutputTaskResultItemFormats"),
    FTaskModule::References<&TTaskModule::OutputMediaItemFormats, &TData::MediaItemFormats>("OutputMediaItemFormats"),
    FTaskModule::Expanded(),
};
constexpr TJsonTable TaskModuleTable = FTaskModule::Table("TTaskModule", TaskModuleFields);

using FObject = TFieldsOf<TTaskModuleObject>;
constexpr TJsonField TaskModuleObjectFields[] = {
    FObject::GUID<&TTaskModuleObject::ID>("ID"),
    FObject::Text<&TTaskModuleObject::Name>("Name"),
    FObject::Text<&TTaskModuleObject::FullTypeName>("FullTypeName"),
    FObject::Flag<&TTaskModuleObject::RunOutOfProcess>("RunOutOfProcess"),
    FObject::Flag<&TTaskModuleObject::DelayBeforeReturningToHost>("DelayBeforeReturningToHost"),
    FObject::Owned<&TTaskModuleObject::TaskModules, TTaskModule>("TaskModules", TaskModuleTable),
    FObject::TaskModule<&TTaskModuleObject::Configurator>("Configurator"),
    FObject::TaskModule<&TTaskModuleObject::CommandEditor>("CommandEditor"),
    FObject::Flag<&TTaskModuleObject::LMSNotesSupported>("LMSNotesSupported"),
    FObject::Integer<&TTaskModuleObject::PreferredWidth>("PreferredWidth"),
    FObject::Integer<&TTaskModuleObject::PreferredHeight>("PreferredHeight"),
    FObject::Strings<&TTaskModuleObject::ToolCategories>("ToolCategories"),
    FObject::Flag<&TTaskModuleObject::AccessibleByServiceEngineers>("AccessibleByServiceEngineers"),
    FObject::Flag<&TTaskModuleObject::AccessibleBySystemAdministrators>("AccessibleBySystemAdministrators"),
    FObject::Flag<&TTaskModuleObject::AccessibleByTrainers>("AccessibleByTrainers"),
    FObject::Flag<&TTaskModuleObject::AccessibleByStudents>("AccessibleByStudents"),
    FObject::Text<&TTaskModuleObject::Notes>("Notes"),
    FObject::Expanded(),
};
constexpr TJsonTable TaskModuleObjectTable = FObject::Table("TTaskModuleObject", TaskModuleObjectFields);

using FTool = TFieldsOf<TCommandLineTool>;
constexpr TJsonField CommandLineToolFields[] = {
    FTool::GUID<&TCommandLineTool::ID>("ID"),
    FTool::Text<&TCommandLineTool::Name>("Name"),
    FTool::Text<&TCommandLineTool::CommandLineArguments>("CommandLineArguments"),
    FTool::Strings<&TCommandLineTool::ToolCategories>("ToolCategories"),
    FTool::Flag<&TCommandLineTool::AccessibleByServiceEngineers>("AccessibleByServiceEngineers"),
    FTool::Flag<&TCommandLineTool::AccessibleBySystemAdministrators>("AccessibleBySystemAdministrators"),
    FTool::Flag<&TCommandLineTool::AccessibleByTrainers>("AccessibleByTrainers"),
    FTool::Flag<&TCommandLineTool::AccessibleByStudents>("AccessibleByStudents"),
    FTool::Flag<&TCommandLineTool::RunAsAdministrator>("RunAsAdministrator"),
    FTool::Text<&TCommandLineTool::Notes>("Notes"),
    FTool::Expanded(),
};
constexpr TJsonTable CommandLineToolTable = FTool::Table("TCommandLineTool", CommandLineToolFields);

using FModule = TFieldsOf<TCodeModule>;
constexpr TJsonField CodeModuleFields[] = {
    FModule::GUID<&TCodeModule::ID>("ID"),
    FModule::Text<&TCodeModule::Name>("Name"),
    // A difference in the file shows its name before its folder, as for drivers.
    FModule::Text<&TCodeModule::FilePath>("FilePath", TJsonShown::AfterNext),
    FModule::Text<&TCodeModule::FileName>("FileName"),
    FModule::Enumeration<&TCodeModule::Location>("Location", CodeModuleLocations),
    FModule::Enumeration<&TCodeModule::ObjectServerType>("ObjectServerType", ObjectServerTypes),
    FModule::Flag<&TCodeModule::Register>("Register"),
    FModule::Flag<&TCodeModule::UseDirectActivation>("UseDirectActivation"),
    FModule::Flag<&TCodeModule::RunFromSourceLocation>("RunFromSourceLocation"),
    FModule::References<&TCodeModule::HostInterfaces, &TData::InterfaceTypes>("HostInterfaces"),
    FModule::References<&TCodeModule::ModuleInterfaces, &TData::InterfaceTypes>("ModuleInterfaces"),
    FModule::Owned<&TCodeModule::SupportFiles, TSupportFile>("SupportFiles", SupportFileTable),
    FModule::Owned<&TCodeModule::TaskModuleObjects, TTaskModuleObject>("TaskModuleObjects", TaskModuleObjectTable),
    FModule::Owned<&TCodeModule::CommandLineTools, TCommandLineTool>("CommandLineTools", CommandLineToolTable),
    FModule::Text<&TCodeModule::Creator>("Creator"),
    FModule::Text<&TCodeModule::SubCreator>("SubCreator"),
    FModule::Text<&TCodeModule::Notes>("Notes"),
    FModule::Expanded(),
};
constexpr TJsonTable CodeModuleTable = FModule::Table("TCodeModule", CodeModuleFields);

using FData = TFieldsOf<TData>;
constexpr TJsonField PackageFields[] = {
    {.Name = "Format", .Kind = TJsonFieldKind::FormatMark},
    {.Name = "Version", .Kind = TJsonFieldKind::VersionMark},
    FData::GUID<&TData::ID>("ID"),
    FData::Text<&TData::Name>("Name"),
    FData::Text<&TData::Description>("Description"),
    FData::Text<&TData::AboutInformation>("AboutInformation"),
    // A difference in authorship shows after the package's contents.
    FData::Text<&TData::Creator>("Creator", TJsonShown::AtEnd),
    FData::Text<&TData::SubCreator>("SubCreator", TJsonShown::AtEnd),
    FData::Flag<&TData::AllowExportFromLMS>("AllowExportFromLMS"),
    FData::Flag<&TData::BetaSoftware>("BetaSoftware"),
    FData::Flag<&TData::DataTypesExpanded>("DataTypesExpanded"),
    FData::Owned<&TData::TaskTypes, TTaskType>("TaskTypes", TaskTypeTable),
    FData::Owned<&TData::TaskRecordingTypes, TTaskRecordingType>("TaskRecordingTypes", TaskRecordingTypeTable),
    FData::Owned<&TData::TaskResultItemFormats, TTaskResultItemFormat>("TaskResultItemFormats",
                                                                       TaskResultItemFormatTable),
    FData::Owned<&TData::MediaItemFormats, TMediaItemFormat>("MediaItemFormats", MediaItemFormatTable),
    FData::Owned<&TData::InterfaceTypes, TInterfaceType>("InterfaceTypes", InterfaceTypeTable),
    FData::Owned<&TData::Drivers, TDriver>("Drivers", DriverTable),
    FData::Owned<&TData::CodeModules, TCodeModule>("CodeModules", CodeModuleTable),
};
constexpr TJsonTable PackageTable{"TData", PackageFields, nullptr};

constexpr const TJsonTable* Tables[] = {&PackageTable,
                                        &TaskTypeTable,
                                        &TaskRecordingTypeTable,
                                        &TaskResultItemFormatTable,
                                        &MediaItemFormatTable,
                                        &InterfaceTypeTable,
                                        &DriverTable,
                                        &CodeModuleTable,
                                        &SupportFileTable,
                                        &TaskModuleObjectTable,
                                        &TaskModuleTable,
                                        &CommandLineToolTable};

} // namespace

const TJsonTable& PackageJsonTable()
{
    return PackageTable;
}

std::span<const TJsonTable* const> AllJsonTables()
{
    return Tables;
}
