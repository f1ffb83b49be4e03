#include "model/StorableText.h"

#include "foundation/AnsiCodec.h"
#include "model/Data.h"

#include <QStringList>

namespace {

// Where a field stands, spelt out only for a field that is reported.
struct TFieldPath
{
    const TFieldPath* Parent = nullptr;
    const char* Name = nullptr;
    qsizetype Index = -1;

    QString Text() const
    {
        const QString Head = Parent ? Parent->Text() : QString();
        if (Name)
            return Head.isEmpty() ? QLatin1String(Name) : Head + QLatin1Char('.') + QLatin1String(Name);
        if (Index >= 0)
            return Head + QLatin1Char('[') + QString::number(Index) + QLatin1Char(']');
        return Head;
    }
};

class TTextWalker
{
public:
    std::vector<TUnstorableText> Found;

    void Walk(const TData& Data);

private:
    void Text(const TFieldPath& Path, const char* Name, const QString& Value)
    {
        if (CanStoreAsAnsi(Value))
            return;
        Found.push_back({TFieldPath{&Path, Name}.Text(), UnstorableCharacters(Value)});
    }
    void Lines(const TFieldPath& Path, const char* Name, const QStringList& Values)
    {
        const TFieldPath List{&Path, Name};
        for (qsizetype I = 0; I < Values.size(); ++I)
            if (!CanStoreAsAnsi(Values[I]))
                Found.push_back({TFieldPath{&List, nullptr, I}.Text(), UnstorableCharacters(Values[I])});
    }
    // Calls Visit with the path and the element of each item of the owning list Name.
    template <class TList, class F> void Items(const TFieldPath& Path, const char* Name, const TList& List, F&& Visit)
    {
        const TFieldPath ListPath{&Path, Name};
        const TFieldPath ItemsPath{&ListPath, "Items"};
        for (int32_t I = 0; I < List.Count(); ++I)
            if (const auto* Element = List.Items(I))
                Visit(TFieldPath{&ItemsPath, nullptr, I}, *Element);
    }

    void DataType(const TFieldPath& Path, const TBaseDataType& Type);
    void CodeModule(const TFieldPath& Path, const TCodeModule& Module);
};

void TTextWalker::DataType(const TFieldPath& Path, const TBaseDataType& Type)
{
    Text(Path, "Name", Type.Name);
    if (const auto* Task = dynamic_cast<const TTaskType*>(&Type))
        Text(Path, "FileNameExtension", Task->FileNameExtension);
    if (const auto* Recording = dynamic_cast<const TTaskRecordingType*>(&Type))
        Text(Path, "FileNameExtension", Recording->FileNameExtension);
    if (const auto* Format = dynamic_cast<const TTaskResultItemFormat*>(&Type))
        Text(Path, "Description", Format->Description);
    if (const auto* Media = dynamic_cast<const TMediaItemFormat*>(&Type))
        Text(Path, "FileNameExtension", Media->FileNameExtension);
    Text(Path, "Creator", Type.Creator);
    Text(Path, "SubCreator", Type.SubCreator);
    Text(Path, "Notes", Type.Notes);
}

void TTextWalker::CodeModule(const TFieldPath& Path, const TCodeModule& Module)
{
    Text(Path, "Name", Module.Name);
    Text(Path, "FilePath", Module.FilePath);
    Text(Path, "FileName", Module.FileName);
    Items(Path, "SupportFiles", Module.SupportFiles, [this](const TFieldPath& Item, const TSupportFile& File) {
        Text(Item, "SourceFilePath", File.SourceFilePath);
        Text(Item, "SourceFileName", File.SourceFileName);
        Text(Item, "TargetRelativePath", File.TargetRelativePath);
    });
    Items(Path,
          "TaskModuleObjects",
          Module.TaskModuleObjects,
          [this](const TFieldPath& Item, const TTaskModuleObject& Object) {
              Text(Item, "Name", Object.Name);
              Text(Item, "FullTypeName", Object.FullTypeName);
              Lines(Item, "ToolCategories", Object.ToolCategories);
              Text(Item, "Notes", Object.Notes);
          });
    Items(Path,
          "CommandLineTools",
          Module.CommandLineTools,
          [this](const TFieldPath& Item, const TCommandLineTool& Tool) {
              Text(Item, "Name", Tool.Name);
              Text(Item, "CommandLineArguments", Tool.CommandLineArguments);
              Lines(Item, "ToolCategories", Tool.ToolCategories);
              Text(Item, "Notes", Tool.Notes);
          });
    Text(Path, "Creator", Module.Creator);
    Text(Path, "SubCreator", Module.SubCreator);
    Text(Path, "Notes", Module.Notes);
}

void TTextWalker::Walk(const TData& Data)
{
    const TFieldPath Root;
    Text(Root, "Name", Data.Name);
    Text(Root, "Description", Data.Description);
    Text(Root, "AboutInformation", Data.AboutInformation);
    Text(Root, "Creator", Data.Creator);
    Text(Root, "SubCreator", Data.SubCreator);
    const auto DataTypeItem = [this](const TFieldPath& Item, const TBaseDataType& Type) { DataType(Item, Type); };
    Items(Root, "TaskTypes", Data.TaskTypes, DataTypeItem);
    Items(Root, "TaskRecordingTypes", Data.TaskRecordingTypes, DataTypeItem);
    Items(Root, "TaskResultItemFormats", Data.TaskResultItemFormats, DataTypeItem);
    Items(Root, "MediaItemFormats", Data.MediaItemFormats, DataTypeItem);
    Items(Root, "InterfaceTypes", Data.InterfaceTypes, [this](const TFieldPath& Item, const TInterfaceType& Type) {
        Text(Item, "Name", Type.Name);
        Text(Item, "Creator", Type.Creator);
        Text(Item, "SubCreator", Type.SubCreator);
        Text(Item, "Notes", Type.Notes);
    });
    Items(Root, "Drivers", Data.Drivers, [this](const TFieldPath& Item, const TDriver& Driver) {
        Text(Item, "Name", Driver.Name);
        Text(Item, "FileName", Driver.FileName);
        Text(Item, "FilePath", Driver.FilePath);
        Text(Item, "Creator", Driver.Creator);
        Text(Item, "SubCreator", Driver.SubCreator);
        Text(Item, "Notes", Driver.Notes);
    });
    Items(Root, "CodeModules", Data.CodeModules, [this](const TFieldPath& Item, const TCodeModule& Module) {
        CodeModule(Item, Module);
    });
}

} // namespace

std::vector<TUnstorableText> FindUnstorableText(const TData& Data)
{
    TTextWalker Walker;
    Walker.Walk(Data);
    return std::move(Walker.Found);
}
