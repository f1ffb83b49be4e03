#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "model/CanonicalJsonReader.h"
#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "model/JsonTape.h"

#include <QJsonDocument>

#include <cmath>
#include <memory>
#include <optional>

namespace {

// What the parser wanted where it stopped, in words a reader of the file understands.
QString Expected(QJsonParseError::ParseError Error)
{
    switch (Error) {
    case QJsonParseError::UnterminatedObject:
        return QStringLiteral("',' or '}' after a member of an object");
    case QJsonParseError::MissingNameSeparator:
        return QStringLiteral("':' after a member name");
    case QJsonParseError::UnterminatedArray:
        return QStringLiteral("',' or ']' after an element of an array");
    case QJsonParseError::MissingValueSeparator:
        return QStringLiteral("',' between values");
    case QJsonParseError::IllegalValue:
        return QStringLiteral("a value (object, array, string, number, true, false or null)");
    case QJsonParseError::TerminationByNumber:
        return QStringLiteral("more text after the number");
    case QJsonParseError::IllegalNumber:
        return QStringLiteral("a valid number");
    case QJsonParseError::IllegalEscapeSequence:
        return QStringLiteral("a valid escape sequence");
    case QJsonParseError::IllegalUTF8String:
        return QStringLiteral("valid UTF-8 text");
    case QJsonParseError::UnterminatedString:
        return QStringLiteral("'\"' to close the string");
    case QJsonParseError::MissingObject:
        return QStringLiteral("an object");
    case QJsonParseError::DeepNesting:
        return QStringLiteral("less deeply nested values");
    case QJsonParseError::DocumentTooLarge:
        return QStringLiteral("a smaller document");
    case QJsonParseError::GarbageAtEnd:
        return QStringLiteral("the end of the text");
    case QJsonParseError::NoError:
        break;
    }
    return QStringLiteral("valid JSON");
}

// Where a value stands in the text ("CodeModules.Items[2].Name"), linked from the values around it
// and spelt out only for a report: most values are read without one.
struct TPath
{
    const TPath* Parent = nullptr;
    const char* Name = nullptr;
    qsizetype Index = -1;

    QString Text() const
    {
        QString Head = Parent ? Parent->Text() : QString();
        if (Name)
            return Head.isEmpty() ? QLatin1String(Name) : Head + QLatin1Char('.') + QLatin1String(Name);
        if (Index >= 0)
            return Head + QLatin1Char('[') + QString::number(Index) + QLatin1Char(']');
        return Head;
    }
};

// Reads the JSON tree into a package, keeping the path of the value at hand for reports.
class TDefinitionReader
{
public:
    explicit TDefinitionReader(TData& Data) : FData(Data) {}

    void Read(const TJsonValue& Root);

private:
    [[noreturn]] void Fail(const TPath& Path, const QString& What) const
    {
        throw E_QOR_LoadingError(Path.Text() + QStringLiteral(": expected ") + What);
    }

    static TPath Member(const TPath& Path, const char* Name) { return {&Path, Name, -1}; }
    static TPath Element(const TPath& Path, qsizetype Index) { return {&Path, nullptr, Index}; }

    // Missing members keep the value they have; present ones must be of the right kind.
    void Read(const TJsonValue& Object, const TPath& Path, const char* Name, QString& Value) const;
    void Read(const TJsonValue& Object, const TPath& Path, const char* Name, bool& Value) const;
    void Read(const TJsonValue& Object, const TPath& Path, const char* Name, int32_t& Value) const;
    void Read(const TJsonValue& Object, const TPath& Path, const char* Name, TGUID& Value) const;
    void Read(const TJsonValue& Object, const TPath& Path, const char* Name, QStringList& Value) const;
    void ReadExpanded(const TJsonValue& Object, const TPath& Path, TQORObject& Target) const;
    template <class TEnum>
    void ReadEnum(
        const TJsonValue& Object, const TPath& Path, const char* Name, TEnum& Value, const QStringList& Texts) const;
    int32_t ToInteger(const TJsonValue& Value, const TPath& Path) const;
    TJsonValue ObjectAt(const TJsonValue& Value, const TPath& Path) const;

    // The items of an owning list: for each one an element is created, added and read.
    template <class TItem, class F>
    void ReadOwned(const TJsonValue& Object, const TPath& Path, const char* Name, TQORList& List, F&& ReadItem);
    // A reference list, checked against the package-level list it points into.
    template <class TList>
    void
    ReadReferences(const TJsonValue& Object, const TPath& Path, const char* Name, TList& List, const TList& Source);
    void ReadConfigurators(const TJsonValue& Root);
    TTaskModule* ReadTaskModuleReference(const TJsonValue& Value, const TPath& Path) const;

    void ReadDataType(const TJsonValue& Object, const TPath& Path, TBaseDataType& Type);
    void ReadDriver(const TJsonValue& Object, const TPath& Path, TDriver& Driver);
    void ReadCodeModule(const TJsonValue& Object, const TPath& Path, TCodeModule& Module);
    void ReadObject(const TJsonValue& Object, const TPath& Path, TTaskModuleObject& Target);
    void ReadTaskModule(const TJsonValue& Object, const TPath& Path, TTaskModule& Module);

    TData& FData;
};

void TDefinitionReader::Read(const TJsonValue& Object, const TPath& Path, const char* Name, QString& Value) const
{
    const TJsonValue Found = Object.value(Name);
    if (Found.isUndefined())
        return;
    if (!Found.isString())
        Fail(Member(Path, Name), QStringLiteral("a string"));
    Value = Found.toString();
}

void TDefinitionReader::Read(const TJsonValue& Object, const TPath& Path, const char* Name, bool& Value) const
{
    const TJsonValue Found = Object.value(Name);
    if (Found.isUndefined())
        return;
    if (!Found.isBool())
        Fail(Member(Path, Name), QStringLiteral("true or false"));
    Value = Found.toBool();
}

int32_t TDefinitionReader::ToInteger(const TJsonValue& Value, const TPath& Path) const
{
    const double Number = Value.toDouble(0.5);
    if (!Value.isDouble() || std::trunc(Number) != Number || Number < INT32_MIN || Number > INT32_MAX)
        Fail(Path, QStringLiteral("a whole number from -2147483648 to 2147483647"));
    return static_cast<int32_t>(Number);
}

void TDefinitionReader::Read(const TJsonValue& Object, const TPath& Path, const char* Name, int32_t& Value) const
{
    const TJsonValue Found = Object.value(Name);
    if (!Found.isUndefined())
        Value = ToInteger(Found, Member(Path, Name));
}

void TDefinitionReader::Read(const TJsonValue& Object, const TPath& Path, const char* Name, TGUID& Value) const
{
    const TJsonValue Found = Object.value(Name);
    if (Found.isUndefined())
        return;
    const QByteArrayView Raw = Found.RawText();
    std::optional<TGUID> GUID = TGUID::FromBracedBytes(Raw.data(), Raw.size());
    if (!GUID)
        GUID = TGUID::FromString(Found.toString());
    if (!Found.isString() || !GUID)
        Fail(Member(Path, Name), QStringLiteral("a GUID such as \"{00000000-0000-0000-0000-000000000000}\""));
    Value = *GUID;
}

void TDefinitionReader::Read(const TJsonValue& Object, const TPath& Path, const char* Name, QStringList& Value) const
{
    const TJsonValue Found = Object.value(Name);
    if (Found.isUndefined())
        return;
    if (!Found.isArray())
        Fail(Member(Path, Name), QStringLiteral("an array of strings"));
    Value.clear();
    TJsonValue Item = Found.First();
    for (qsizetype I = 0; I < Found.size(); ++I, Item = Item.Next()) {
        if (!Item.isString())
            Fail(Element(Member(Path, Name), I), QStringLiteral("a string"));
        Value.append(Item.toString());
    }
}

void TDefinitionReader::ReadExpanded(const TJsonValue& Object, const TPath& Path, TQORObject& Target) const
{
    bool Expanded = Target.Expanded();
    Read(Object, Path, "Expanded", Expanded);
    Target.SetExpanded(Expanded);
}

template <class TEnum>
void TDefinitionReader::ReadEnum(
    const TJsonValue& Object, const TPath& Path, const char* Name, TEnum& Value, const QStringList& Texts) const
{
    const TJsonValue Found = Object.value(Name);
    if (Found.isUndefined())
        return;
    if (Found.isString()) {
        const qsizetype Index = Texts.indexOf(Found.toString());
        if (Index < 0)
            Fail(Member(Path, Name),
                 QStringLiteral("one of \"") + Texts.join(QStringLiteral("\", \"")) + QStringLiteral("\" or a number"));
        Value = static_cast<TEnum>(Index);
        return;
    }
    Value = static_cast<TEnum>(ToInteger(Found, Member(Path, Name)));
}

TJsonValue TDefinitionReader::ObjectAt(const TJsonValue& Value, const TPath& Path) const
{
    if (!Value.isObject())
        Fail(Path, QStringLiteral("an object"));
    return Value;
}

template <class TItem, class F>
void TDefinitionReader::ReadOwned(
    const TJsonValue& Object, const TPath& Path, const char* Name, TQORList& List, F&& ReadItem)
{
    const TJsonValue Found = Object.value(Name);
    if (Found.isUndefined())
        return;
    const TPath ListPath = Member(Path, Name);
    const TJsonValue ListObject = ObjectAt(Found, ListPath);
    ReadExpanded(ListObject, ListPath, List);
    const TJsonValue Items = ListObject.value("Items");
    if (Items.isUndefined())
        return;
    const TPath ItemsPath = Member(ListPath, "Items");
    if (!Items.isArray())
        Fail(ItemsPath, QStringLiteral("an array"));
    if (Items.size() >= MaxListSize)
        Fail(ItemsPath, QStringLiteral("fewer items"));
    List.SetCapacity(static_cast<int32_t>(Items.size()));
    TJsonValue Element = Items.First();
    for (qsizetype I = 0; I < Items.size(); ++I, Element = Element.Next()) {
        const TPath ItemPath = TDefinitionReader::Element(ItemsPath, I);
        auto Item = std::make_unique<TItem>();
        TItem* Added = Item.get();
        List.Add(Item.release());
        ReadItem(ObjectAt(Element, ItemPath), ItemPath, *Added);
    }
}

template <class TList>
void TDefinitionReader::ReadReferences(
    const TJsonValue& Object, const TPath& Path, const char* Name, TList& List, const TList& Source)
{
    const TJsonValue Found = Object.value(Name);
    if (Found.isUndefined())
        return;
    const TPath ListPath = Member(Path, Name);
    const TJsonValue ListObject = ObjectAt(Found, ListPath);
    ReadExpanded(ListObject, ListPath, List);
    const TJsonValue Items = ListObject.value("Items");
    if (Items.isUndefined())
        return;
    const TPath ItemsPath = Member(ListPath, "Items");
    if (!Items.isArray())
        Fail(ItemsPath, QStringLiteral("an array"));
    TJsonValue Item = Items.First();
    for (qsizetype I = 0; I < Items.size(); ++I, Item = Item.Next()) {
        const TPath ItemPath = Element(ItemsPath, I);
        const TJsonValue Reference = ObjectAt(Item, ItemPath);
        int32_t Index = -1;
        if (const TJsonValue Position = Reference.value("Index"); !Position.isUndefined()) {
            Index = ToInteger(Position, Member(ItemPath, "Index"));
        } else {
            // Written by hand: the ID alone must name exactly one element.
            TGUID ID;
            Read(Reference, ItemPath, "ID", ID);
            for (int32_t S = 0; S < Source.Count(); ++S) {
                if (Source.Items(S)->ID != ID)
                    continue;
                if (Index >= 0)
                    Fail(ItemPath, QStringLiteral("an \"Index\": more than one element has this ID"));
                Index = S;
            }
        }
        if (Index < 0 || Index >= Source.Count())
            Fail(ItemPath,
                 QStringLiteral("the position or ID of one of the package's ") + QString::number(Source.Count()) +
                     QStringLiteral(" elements of this kind"));
        List.AddPending(Index);
    }
}

TTaskModule* TDefinitionReader::ReadTaskModuleReference(const TJsonValue& Value, const TPath& Path) const
{
    if (Value.isUndefined() || Value.isNull())
        return nullptr;
    const TJsonValue Reference = ObjectAt(Value, Path);
    TTaskModulePosition Position;
    Read(Reference, Path, "CodeModule", Position.CodeModule);
    Read(Reference, Path, "Object", Position.Object);
    Read(Reference, Path, "TaskModule", Position.TaskModule);
    const auto Within = [](int32_t Index, int32_t Count) { return Index >= 0 && Index < Count; };
    const TCodeModules& Modules = FData.CodeModules;
    if (!Within(Position.CodeModule, Modules.Count()))
        Fail(Member(Path, "CodeModule"), QStringLiteral("the position of a code module"));
    const TTaskModuleObjects& Objects = Modules.Items(Position.CodeModule)->TaskModuleObjects;
    if (!Within(Position.Object, Objects.Count()))
        Fail(Member(Path, "Object"), QStringLiteral("the position of a task module object in that code module"));
    if (!Within(Position.TaskModule, Objects.Items(Position.Object)->TaskModules.Count()))
        Fail(Member(Path, "TaskModule"), QStringLiteral("the position of a task module in that object"));
    return TaskModuleAtPosition(Modules, Position);
}

// Configurators and command editors may point into later code modules: read once all exist.
void TDefinitionReader::ReadConfigurators(const TJsonValue& Root)
{
    const auto ItemsOf = [](const TJsonValue& Object, const char* Name) { return Object.value(Name).value("Items"); };
    const TJsonValue Modules = ItemsOf(Root, "CodeModules");
    const TPath ModulesPath{nullptr, "CodeModules", -1};
    const TPath ModuleItems = Member(ModulesPath, "Items");
    TJsonValue ModuleItem = Modules.First();
    for (int32_t C = 0; C < FData.CodeModules.Count(); ++C, ModuleItem = ModuleItem.Next()) {
        const TPath ModulePath = Element(ModuleItems, C);
        const TPath ObjectsPath = Member(ModulePath, "TaskModuleObjects");
        const TPath ObjectItems = Member(ObjectsPath, "Items");
        const TJsonValue Objects = ItemsOf(ModuleItem, "TaskModuleObjects");
        TCodeModule* Module = FData.CodeModules.Items(C);
        TJsonValue Object = Objects.First();
        for (int32_t O = 0; O < Module->TaskModuleObjects.Count(); ++O, Object = Object.Next()) {
            const TPath ObjectPath = Element(ObjectItems, O);
            TTaskModuleObject* Target = Module->TaskModuleObjects.Items(O);
            Target->Configurator =
                ReadTaskModuleReference(Object.value("Configurator"), Member(ObjectPath, "Configurator"));
            Target->CommandEditor =
                ReadTaskModuleReference(Object.value("CommandEditor"), Member(ObjectPath, "CommandEditor"));
        }
    }
}

void TDefinitionReader::ReadDataType(const TJsonValue& Object, const TPath& Path, TBaseDataType& Type)
{
    Read(Object, Path, "ID", Type.ID);
    Read(Object, Path, "Name", Type.Name);
    if (auto* Task = dynamic_cast<TTaskType*>(&Type))
        Read(Object, Path, "FileNameExtension", Task->FileNameExtension);
    if (auto* Recording = dynamic_cast<TTaskRecordingType*>(&Type))
        Read(Object, Path, "FileNameExtension", Recording->FileNameExtension);
    if (auto* Format = dynamic_cast<TTaskResultItemFormat*>(&Type))
        Read(Object, Path, "Description", Format->Description);
    if (auto* Media = dynamic_cast<TMediaItemFormat*>(&Type)) {
        ReadEnum(Object, Path, "MediaItemType", Media->MediaItemType, MediaItemTypeTexts());
        Read(Object, Path, "FileNameExtension", Media->FileNameExtension);
    }
    Read(Object, Path, "Creator", Type.Creator);
    Read(Object, Path, "SubCreator", Type.SubCreator);
    Read(Object, Path, "Notes", Type.Notes);
    ReadExpanded(Object, Path, Type);
}

void TDefinitionReader::ReadDriver(const TJsonValue& Object, const TPath& Path, TDriver& Driver)
{
    Read(Object, Path, "ID", Driver.ID);
    Read(Object, Path, "Name", Driver.Name);
    Read(Object, Path, "FileName", Driver.FileName);
    Read(Object, Path, "FilePath", Driver.FilePath);
    ReadEnum(Object, Path, "Location", Driver.Location, DriverLocationTexts());
    ReadEnum(Object, Path, "ObjectServerType", Driver.ObjectServerType, ObjectServerTypeTexts());
    Read(Object, Path, "Register", Driver.Register);
    Read(Object, Path, "Creator", Driver.Creator);
    Read(Object, Path, "SubCreator", Driver.SubCreator);
    Read(Object, Path, "Notes", Driver.Notes);
    ReadExpanded(Object, Path, Driver);
}

void TDefinitionReader::ReadTaskModule(const TJsonValue& Object, const TPath& Path, TTaskModule& Module)
{
    Read(Object, Path, "ID", Module.ID);
    ReadEnum(Object, Path, "Type", Module.Type, TaskModuleTypeTexts());
    Read(Object, Path, "SupportsMultipleItems", Module.SupportsMultipleItems);
    ReadReferences(Object, Path, "InputTaskTypes", Module.InputTaskTypes, FData.TaskTypes);
    ReadReferences(Object, Path, "OutputTaskTypes", Module.OutputTaskTypes, FData.TaskTypes);
    ReadReferences(Object, Path, "InputTaskRecordingTypes", Module.InputTaskRecordingTypes, FData.TaskRecordingTypes);
    ReadReferences(Object, Path, "OutputTaskRecordingTypes", Module.OutputTaskRecordingTypes, FData.TaskRecordingTypes);
    ReadReferences(
        Object, Path, "InputTaskResultItemFormats", Module.InputTaskResultItemFormats, FData.TaskResultItemFormats);
    ReadReferences(
        Object, Path, "OutputTaskResultItemFormats", Module.OutputTaskResultItemFormats, FData.TaskResultItemFormats);
    ReadReferences(Object, Path, "OutputMediaItemFormats", Module.OutputMediaItemFormats, FData.MediaItemFormats);
    ReadExpanded(Object, Path, Module);
}

void TDefinitionReader::ReadObject(const TJsonValue& Object, const TPath& Path, TTaskModuleObject& Target)
{
    Read(Object, Path, "ID", Target.ID);
    Read(Object, Path, "Name", Target.Name);
    Read(Object, Path, "FullTypeName", Target.FullTypeName);
    Read(Object, Path, "RunOutOfProcess", Target.RunOutOfProcess);
    Read(Object, Path, "DelayBeforeReturningToHost", Target.DelayBeforeReturningToHost);
    ReadOwned<TTaskModule>(Object,
                           Path,
                           "TaskModules",
                           Target.TaskModules,
                           [this](const TJsonValue& Item, const TPath& ItemPath, TTaskModule& Module) {
                               ReadTaskModule(Item, ItemPath, Module);
                           });
    Read(Object, Path, "LMSNotesSupported", Target.LMSNotesSupported);
    Read(Object, Path, "PreferredWidth", Target.PreferredWidth);
    Read(Object, Path, "PreferredHeight", Target.PreferredHeight);
    Read(Object, Path, "ToolCategories", Target.ToolCategories);
    Read(Object, Path, "AccessibleByServiceEngineers", Target.AccessibleByServiceEngineers);
    Read(Object, Path, "AccessibleBySystemAdministrators", Target.AccessibleBySystemAdministrators);
    Read(Object, Path, "AccessibleByTrainers", Target.AccessibleByTrainers);
    Read(Object, Path, "AccessibleByStudents", Target.AccessibleByStudents);
    Read(Object, Path, "Notes", Target.Notes);
    ReadExpanded(Object, Path, Target);
}

void TDefinitionReader::ReadCodeModule(const TJsonValue& Object, const TPath& Path, TCodeModule& Module)
{
    Read(Object, Path, "ID", Module.ID);
    Read(Object, Path, "Name", Module.Name);
    Read(Object, Path, "FilePath", Module.FilePath);
    Read(Object, Path, "FileName", Module.FileName);
    ReadEnum(Object, Path, "Location", Module.Location, CodeModuleLocationTexts());
    ReadEnum(Object, Path, "ObjectServerType", Module.ObjectServerType, ObjectServerTypeTexts());
    Read(Object, Path, "Register", Module.Register);
    Read(Object, Path, "UseDirectActivation", Module.UseDirectActivation);
    Read(Object, Path, "RunFromSourceLocation", Module.RunFromSourceLocation);
    ReadReferences(Object, Path, "HostInterfaces", Module.HostInterfaces, FData.InterfaceTypes);
    ReadReferences(Object, Path, "ModuleInterfaces", Module.ModuleInterfaces, FData.InterfaceTypes);
    ReadOwned<TSupportFile>(Object,
                            Path,
                            "SupportFiles",
                            Module.SupportFiles,
                            [this](const TJsonValue& Item, const TPath& ItemPath, TSupportFile& File) {
                                Read(Item, ItemPath, "SourceFilePath", File.SourceFilePath);
                                Read(Item, ItemPath, "SourceFileName", File.SourceFileName);
                                Read(Item, ItemPath, "TargetRelativePath", File.TargetRelativePath);
                                Read(Item, ItemPath, "InstallIntoGAC", File.InstallIntoGAC);
                            });
    ReadOwned<TTaskModuleObject>(Object,
                                 Path,
                                 "TaskModuleObjects",
                                 Module.TaskModuleObjects,
                                 [this](const TJsonValue& Item, const TPath& ItemPath, TTaskModuleObject& Target) {
                                     ReadObject(Item, ItemPath, Target);
                                 });
    ReadOwned<TCommandLineTool>(
        Object,
        Path,
        "CommandLineTools",
        Module.CommandLineTools,
        [this](const TJsonValue& Item, const TPath& ItemPath, TCommandLineTool& Tool) {
            Read(Item, ItemPath, "ID", Tool.ID);
            Read(Item, ItemPath, "Name", Tool.Name);
            Read(Item, ItemPath, "CommandLineArguments", Tool.CommandLineArguments);
            Read(Item, ItemPath, "ToolCategories", Tool.ToolCategories);
            Read(Item, ItemPath, "AccessibleByServiceEngineers", Tool.AccessibleByServiceEngineers);
            Read(Item, ItemPath, "AccessibleBySystemAdministrators", Tool.AccessibleBySystemAdministrators);
            Read(Item, ItemPath, "AccessibleByTrainers", Tool.AccessibleByTrainers);
            Read(Item, ItemPath, "AccessibleByStudents", Tool.AccessibleByStudents);
            Read(Item, ItemPath, "RunAsAdministrator", Tool.RunAsAdministrator);
            Read(Item, ItemPath, "Notes", Tool.Notes);
            ReadExpanded(Item, ItemPath, Tool);
        });
    Read(Object, Path, "Creator", Module.Creator);
    Read(Object, Path, "SubCreator", Module.SubCreator);
    Read(Object, Path, "Notes", Module.Notes);
    ReadExpanded(Object, Path, Module);
}

void TDefinitionReader::Read(const TJsonValue& Root)
{
    if (!Root.value("Format").IsText(DefinitionJsonFormat))
        Fail(TPath{nullptr, "Format", -1},
             QStringLiteral("\"") + QLatin1String(DefinitionJsonFormat) + QLatin1Char('"'));
    int32_t Version = 1;
    Read(Root, {}, "Version", Version);
    if (Version != 1)
        Fail(TPath{nullptr, "Version", -1}, QStringLiteral("1"));
    Read(Root, {}, "ID", FData.ID);
    Read(Root, {}, "Name", FData.Name);
    Read(Root, {}, "Description", FData.Description);
    Read(Root, {}, "AboutInformation", FData.AboutInformation);
    Read(Root, {}, "Creator", FData.Creator);
    Read(Root, {}, "SubCreator", FData.SubCreator);
    Read(Root, {}, "AllowExportFromLMS", FData.AllowExportFromLMS);
    Read(Root, {}, "BetaSoftware", FData.BetaSoftware);
    Read(Root, {}, "DataTypesExpanded", FData.DataTypesExpanded);
    const auto DataType = [this](const TJsonValue& Item, const TPath& Path, TBaseDataType& Type) {
        ReadDataType(Item, Path, Type);
    };
    ReadOwned<TTaskType>(Root, {}, "TaskTypes", FData.TaskTypes, DataType);
    ReadOwned<TTaskRecordingType>(Root, {}, "TaskRecordingTypes", FData.TaskRecordingTypes, DataType);
    ReadOwned<TTaskResultItemFormat>(Root, {}, "TaskResultItemFormats", FData.TaskResultItemFormats, DataType);
    ReadOwned<TMediaItemFormat>(Root, {}, "MediaItemFormats", FData.MediaItemFormats, DataType);
    ReadOwned<TInterfaceType>(Root,
                              {},
                              "InterfaceTypes",
                              FData.InterfaceTypes,
                              [this](const TJsonValue& Item, const TPath& Path, TInterfaceType& Type) {
                                  Read(Item, Path, "ID", Type.ID);
                                  Read(Item, Path, "Name", Type.Name);
                                  Read(Item, Path, "Creator", Type.Creator);
                                  Read(Item, Path, "SubCreator", Type.SubCreator);
                                  Read(Item, Path, "Notes", Type.Notes);
                                  ReadExpanded(Item, Path, Type);
                              });
    ReadOwned<TDriver>(
        Root, {}, "Drivers", FData.Drivers, [this](const TJsonValue& Item, const TPath& Path, TDriver& Driver) {
            ReadDriver(Item, Path, Driver);
        });
    ReadOwned<TCodeModule>(
        Root,
        {},
        "CodeModules",
        FData.CodeModules,
        [this](const TJsonValue& Item, const TPath& Path, TCodeModule& Module) { ReadCodeModule(Item, Path, Module); });
    ReadConfigurators(Root);
    FData.ResolveReferences();
}

std::unique_ptr<TData> ReadPackageFromTree(const QByteArray& Json)
{
    TJsonTape Tape;
    TJsonTapeError Error;
    if (!Tape.Parse(Json, Error)) {
        // Rare enough to parse twice: the report names the place the platform's parser names, which
        // users of the command have long seen.
        QJsonParseError Described;
        QJsonDocument::fromJson(Json, &Described);
        qsizetype Offset = std::max<qsizetype>(Described.offset - 1, 0);
        if (Described.error == QJsonParseError::NoError) {
            Described.error = Error.Error;
            Offset = Error.Offset;
        }
        const TTextPosition Position = TextPositionOf(Json, Offset);
        throw E_QOR_LoadingError(QStringLiteral("Line %1, column %2: expected %3 (%4)")
                                     .arg(Position.Line)
                                     .arg(Position.Column)
                                     .arg(Expected(Described.error), Described.errorString()));
    }
    if (!Tape.Root().isObject())
        throw E_QOR_LoadingError(QStringLiteral("Line 1, column 1: expected an object"));
    auto Package = std::make_unique<TData>();
    TDefinitionReader(*Package).Read(Tape.Root());
    return Package;
}

std::unique_ptr<TData> ReadPackage(const QByteArray& Json)
{
    auto Package = std::make_unique<TData>();
    if (ReadCanonicalDefinitionJson(*Package, Json))
        return Package;
    return ReadPackageFromTree(Json);
}

} // namespace

void DefinitionFromJson(TData& Data, const QByteArray& Json)
{
    const std::unique_ptr<TData> Scratch = ReadPackage(Json);
    // Through the definition file, so that the package is exactly what the program would load.
    TMemoryStream Stream;
    Scratch->SaveToStream(Stream);
    SeekToStart(Stream);
    Data.LoadFromStream(Stream);
}

std::unique_ptr<TData> PackageForSavingFromJson(const QByteArray& Json)
{
    return ReadPackage(Json);
}

std::unique_ptr<TData> PackageForSavingFromJsonTree(const QByteArray& Json)
{
    return ReadPackageFromTree(Json);
}
