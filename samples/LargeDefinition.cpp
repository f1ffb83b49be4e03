#include "samples/LargeDefinition.h"

#include <QString>
#include <QStringList>

#include <iterator>

namespace SampleDefinitions {

namespace {

QString Numbered(const char* Prefix, int32_t Number)
{
    return QString::fromLatin1(Prefix) + QString::number(Number).rightJustified(4, QLatin1Char('0'));
}

// Spreads references over a whole list without clustering on its first items.
int32_t Spread(uint32_t Seed, int32_t Count)
{
    uint32_t Value = Seed * 2654435761u;
    Value ^= Value >> 15;
    return static_cast<int32_t>(Value % static_cast<uint32_t>(Count));
}

// Adds Count references to items of Source, picked from Seed.
void AddReferences(TQORList& Target, const TQORList& Source, uint32_t Seed, int32_t Count)
{
    if (Source.Count() == 0)
        return;
    for (int32_t I = 0; I < Count; ++I)
        Target.Add(Source.Items(Spread(Seed * 7u + static_cast<uint32_t>(I), Source.Count())));
}

template <class T> void FillDataTypes(TQORList& List, int32_t Count, const char* Prefix, uint32_t& Next)
{
    List.SetCapacity(Count);
    for (int32_t I = 0; I < Count; ++I) {
        auto* Type = AddElement<T>(List);
        Type->ID = SampleGUID(Next++);
        Type->Name = Numbered(Prefix, I);
        Type->Creator = QStringLiteral("Large sample creator");
        Type->SubCreator = QStringLiteral("Large sample sub creator");
        Type->Notes = QStringLiteral("Generated for scale tests");
    }
}

} // namespace

void BuildLarge(TData& Data, const TLargeShape& Shape)
{
    Data.Clear();
    Data.ID = SampleGUID(2);
    Data.Name = QStringLiteral("Large sample package");
    Data.Description = QStringLiteral("Generated package for load, save and copy measurements");
    Data.AboutInformation = QStringLiteral("Large sample package\r\nGenerated, not for export");
    Data.Creator = QStringLiteral("Large sample creator");
    Data.SubCreator = QStringLiteral("Large sample sub creator");
    Data.AllowExportFromLMS = true;
    Data.DataTypesExpanded = true;

    uint32_t Next = 1000;
    FillDataTypes<TTaskType>(Data.TaskTypes, Shape.DataTypesPerKind, "Task type ", Next);
    for (int32_t I = 0; I < Data.TaskTypes.Count(); ++I)
        Data.TaskTypes.Items(I)->FileNameExtension = Numbered(".t", I);
    FillDataTypes<TTaskRecordingType>(Data.TaskRecordingTypes, Shape.DataTypesPerKind, "Recording type ", Next);
    for (int32_t I = 0; I < Data.TaskRecordingTypes.Count(); ++I)
        Data.TaskRecordingTypes.Items(I)->FileNameExtension = Numbered(".r", I);
    FillDataTypes<TTaskResultItemFormat>(Data.TaskResultItemFormats, Shape.DataTypesPerKind, "Result format ", Next);
    for (int32_t I = 0; I < Data.TaskResultItemFormats.Count(); ++I)
        Data.TaskResultItemFormats.Items(I)->Description = Numbered("Result item format number ", I);
    FillDataTypes<TMediaItemFormat>(Data.MediaItemFormats, Shape.DataTypesPerKind, "Media format ", Next);
    for (int32_t I = 0; I < Data.MediaItemFormats.Count(); ++I) {
        Data.MediaItemFormats.Items(I)->MediaItemType = static_cast<TMediaItemType>(1 + I % 3);
        Data.MediaItemFormats.Items(I)->FileNameExtension = Numbered(".m", I);
    }

    Data.InterfaceTypes.SetCapacity(Shape.InterfaceTypes);
    for (int32_t I = 0; I < Shape.InterfaceTypes; ++I) {
        auto* Type = AddElement<TInterfaceType>(Data.InterfaceTypes);
        Type->ID = SampleGUID(Next++);
        Type->Name = Numbered("IInterface", I);
        Type->Creator = QStringLiteral("Large sample creator");
        Type->Notes = QStringLiteral("Generated interface");
    }

    Data.Drivers.SetCapacity(Shape.Drivers);
    for (int32_t I = 0; I < Shape.Drivers; ++I) {
        auto* Driver = AddElement<TDriver>(Data.Drivers);
        Driver->ID = SampleGUID(Next++);
        Driver->Name = Numbered("Driver ", I);
        Driver->FileName = Numbered("driver", I) + QStringLiteral(".dll");
        Driver->FilePath = QStringLiteral("C:\\Drivers\\Large");
        Driver->Location = I % 2 ? dlLMS : dlSystem32;
        Driver->ObjectServerType = I % 2 ? ostDotNet : ostCOM;
        Driver->Register = I % 2 == 0;
        Driver->Creator = QStringLiteral("Large sample creator");
    }

    static const TTaskModuleType Kinds[] = {tmtTaskCreator,
                                            tmtTaskEditor,
                                            tmtTaskRunner,
                                            tmtTaskResultItemViewer,
                                            tmtTaskResultItemExporter,
                                            tmtTaskRecordingPlayer,
                                            tmtTaskRecordingEditor,
                                            tmtTool,
                                            tmtTaskRecordingAnalyzer};
    uint32_t Seed = 1;
    Data.CodeModules.SetCapacity(Shape.CodeModules);
    for (int32_t C = 0; C < Shape.CodeModules; ++C) {
        auto* Module = AddElement<TCodeModule>(Data.CodeModules);
        Module->ID = SampleGUID(Next++);
        Module->Name = Numbered("Module ", C);
        Module->FilePath = QStringLiteral("C:\\Modules\\Large");
        Module->FileName = Numbered("module", C) + QStringLiteral(".dll");
        Module->Location = C % 3 ? cmlEmbedded : cmlLinked;
        Module->ObjectServerType = C % 2 ? ostDotNet : ostCOM;
        Module->Register = C % 2 == 0;
        Module->Creator = QStringLiteral("Large sample creator");
        Module->Notes = QStringLiteral("Generated code module");
        AddReferences(Module->HostInterfaces, Data.InterfaceTypes, Seed++, 2);
        AddReferences(Module->ModuleInterfaces, Data.InterfaceTypes, Seed++, 1);
        for (int32_t S = 0; S < 2; ++S) {
            auto* File = AddElement<TSupportFile>(Module->SupportFiles);
            File->SourceFilePath = QStringLiteral("data");
            File->SourceFileName = Numbered("support", S) + QStringLiteral("*.dat");
            File->TargetRelativePath = QStringLiteral("data");
        }
        auto* Tool = AddElement<TCommandLineTool>(Module->CommandLineTools);
        Tool->ID = SampleGUID(Next++);
        Tool->Name = Numbered("Tool ", C);
        Tool->CommandLineArguments = QStringLiteral("/run");
        Tool->ToolCategories = QStringList{QStringLiteral("Maintenance")};
        Tool->AccessibleByServiceEngineers = true;

        Module->TaskModuleObjects.SetCapacity(Shape.ObjectsPerCodeModule);
        for (int32_t O = 0; O < Shape.ObjectsPerCodeModule; ++O) {
            auto* Object = AddElement<TTaskModuleObject>(Module->TaskModuleObjects);
            Object->ID = SampleGUID(Next++);
            Object->Name = Numbered("Object ", O);
            Object->FullTypeName = Numbered("Large.Module", C) + Numbered(".Object", O);
            Object->LMSNotesSupported = O % 2 == 0;
            Object->ToolCategories = QStringList{QStringLiteral("Training")};
            Object->AccessibleByTrainers = true;
            Object->AccessibleByStudents = O % 2 == 1;
            Object->TaskModules.SetCapacity(Shape.TaskModulesPerObject);
            for (int32_t M = 0; M < Shape.TaskModulesPerObject; ++M) {
                auto* TaskModule = AddElement<TTaskModule>(Object->TaskModules);
                TaskModule->ID = SampleGUID(Next++);
                // The last task module of each object is the one other objects configure with.
                TaskModule->Type = M == Shape.TaskModulesPerObject - 1
                                       ? tmtTaskModuleConfigurator
                                       : Kinds[(static_cast<uint32_t>(C + O + M)) % std::size(Kinds)];
                TaskModule->SupportsMultipleItems = M % 2 == 1;
                AddReferences(TaskModule->InputTaskTypes, Data.TaskTypes, Seed++, 2);
                AddReferences(TaskModule->OutputTaskTypes, Data.TaskTypes, Seed++, 1);
                AddReferences(TaskModule->InputTaskRecordingTypes, Data.TaskRecordingTypes, Seed++, 1);
                AddReferences(TaskModule->OutputTaskRecordingTypes, Data.TaskRecordingTypes, Seed++, 1);
                AddReferences(TaskModule->InputTaskResultItemFormats, Data.TaskResultItemFormats, Seed++, 1);
                AddReferences(TaskModule->OutputTaskResultItemFormats, Data.TaskResultItemFormats, Seed++, 2);
                AddReferences(TaskModule->OutputMediaItemFormats, Data.MediaItemFormats, Seed++, 1);
            }
        }
    }

    // Only once every code module exists: the references run both ways round the package.
    const int32_t Modules = Data.CodeModules.Count();
    if (Shape.TaskModulesPerObject == 0)
        return;
    for (int32_t C = 0; C < Modules; ++C) {
        const TCodeModule* NextModule = Data.CodeModules.Items((C + 1) % Modules);
        const TCodeModule* PreviousModule = Data.CodeModules.Items((C + Modules - 1) % Modules);
        const TTaskModuleObjects& Objects = Data.CodeModules.Items(C)->TaskModuleObjects;
        for (int32_t O = 0; O < Objects.Count(); ++O) {
            TTaskModuleObject* Object = Objects.Items(O);
            Object->Configurator =
                NextModule->TaskModuleObjects.Items(O)->TaskModules.Items(Shape.TaskModulesPerObject - 1);
            Object->CommandEditor = PreviousModule->TaskModuleObjects.Items(O)->TaskModules.Items(0);
        }
    }
}

} // namespace SampleDefinitions
