#include "model/DefinitionJsonLinks.h"

#include "model/Data.h"
#include "model/DefinitionJsonFields.h"
#include "model/DefinitionJsonPath.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace {

// The package-level elements of a reference list, for reports.
QString SourceWanted(const TQORList& Source)
{
    return QStringLiteral("the position or ID of one of the package's ") + QString::number(Source.Count()) +
           QStringLiteral(" elements of this kind");
}

using TTrail = std::vector<std::pair<std::string_view, qsizetype>>;

bool FindPath(const TJsonTable& Table, void* Current, const void* Wanted, TTrail& Trail)
{
    if (Current == Wanted)
        return true;
    for (const TJsonField& Field : Table.Fields) {
        if (Field.Kind != TJsonFieldKind::Owned)
            continue;
        const TQORList& List = *static_cast<const TQORList*>(Field.Member(Current));
        for (int32_t I = 0; I < List.Count(); ++I) {
            Trail.emplace_back(Field.Name, I);
            if (FindPath(*Field.Items, Field.Item(List, I), Wanted, Trail))
                return true;
            Trail.pop_back();
        }
    }
    return false;
}

// Where an element stands, for the reports that come after the text is read: the members and
// positions leading to it, held in Segments, which Path's links point into.
struct TPathText
{
    std::vector<TPath> Segments;
    TPath Path;
};

TPathText PathOf(TData& Data, const void* Wanted)
{
    TPathText Result;
    TTrail Trail;
    FindPath(PackageJsonTable(), &Data, Wanted, Trail);
    // Three links per step (member, Items, position); reserved so that none of them moves.
    Result.Segments.reserve(Trail.size() * 3);
    const TPath* Parent = nullptr;
    for (const auto& [Name, Index] : Trail) {
        Result.Segments.push_back({Parent, Name, -1});
        Result.Segments.push_back(Member(Result.Segments.back(), "Items"));
        Result.Segments.push_back(Element(Result.Segments.back(), Index));
        Parent = &Result.Segments.back();
    }
    Result.Path = Parent ? *Parent : TPath{};
    return Result;
}

void CheckReferences(const TData& Data, const TJsonTable& Table, void* Current, const TPath& Path)
{
    for (const TJsonField& Field : Table.Fields) {
        if (Field.Kind == TJsonFieldKind::References) {
            const TQORList& List = *static_cast<const TQORList*>(Field.Member(Current));
            const TQORList& Source = Field.Source(Data);
            for (int32_t I = 0; I < List.Count(); ++I) {
                const int32_t Index = List.IsPending(I) ? List.PendingIndex(I) : 0;
                if (Index < 0 || Index >= Source.Count()) {
                    const TPath ListPath = Member(Path, Field.Name);
                    Fail(Element(Member(ListPath, "Items"), I), SourceWanted(Source));
                }
            }
        } else if (Field.Kind == TJsonFieldKind::Owned) {
            const TQORList& List = *static_cast<const TQORList*>(Field.Member(Current));
            const TPath ListPath = Member(Path, Field.Name);
            const TPath Items = Member(ListPath, "Items");
            for (int32_t I = 0; I < List.Count(); ++I)
                CheckReferences(Data, *Field.Items, Field.Item(List, I), Element(Items, I));
        }
    }
}

} // namespace

QString TDefinitionJsonLinks::Resolve(const TReference& Reference, const TQORList& Source)
{
    int32_t Index = Reference.Index;
    if (Reference.ByID) {
        const auto Found = PositionsByID(*Reference.Field, Source).value(Reference.ID, -1);
        if (Found == -2)
            return QStringLiteral("an \"Index\": more than one element has this ID");
        Index = Found;
    }
    if (Index < 0 || Index >= Source.Count())
        return SourceWanted(Source);
    if (Reference.ByID)
        static_cast<TQORList*>(Reference.Field->Member(Reference.Element))->SetPending(Reference.Slot, Index);
    return {};
}

// The position of each ID in a package-level list, -2 for an ID more than one element has.
const QHash<TGUID, int32_t>& TDefinitionJsonLinks::PositionsByID(const TJsonField& Field, const TQORList& Source)
{
    QHash<TGUID, int32_t>& Positions = FPositionsByID[&Source];
    if (Positions.isEmpty()) {
        for (int32_t S = 0; S < Source.Count(); ++S) {
            const auto At = Positions.find(Field.SourceID(Source, S));
            if (At == Positions.end())
                Positions.insert(Field.SourceID(Source, S), S);
            else
                *At = -2;
        }
    }
    return Positions;
}

void TDefinitionJsonLinks::Forget(const void* Element, const TJsonField& Field)
{
    std::erase_if(FDeferred,
                  [&](const TReference& Entry) { return Entry.Element == Element && Entry.Field == &Field; });
    std::erase_if(FTaskModules,
                  [&](const TTaskModuleLink& Entry) { return Entry.Element == Element && Entry.Field == &Field; });
}

void TDefinitionJsonLinks::ForgetIn(const TJsonTable& Items, const TJsonField& Field, const TQORList& List)
{
    if (FDeferred.empty() && FTaskModules.empty())
        return;
    std::unordered_set<const void*> Gone;
    const auto Collect = [&Gone](auto& Self, const TJsonTable& Table, void* Element) -> void {
        Gone.insert(Element);
        for (const TJsonField& Inner : Table.Fields) {
            if (Inner.Kind != TJsonFieldKind::Owned)
                continue;
            const TQORList& Owned = *static_cast<const TQORList*>(Inner.Member(Element));
            for (int32_t I = 0; I < Owned.Count(); ++I)
                Self(Self, *Inner.Items, Inner.Item(Owned, I));
        }
    };
    for (int32_t I = 0; I < List.Count(); ++I)
        Collect(Collect, Items, Field.Item(List, I));
    std::erase_if(FDeferred, [&](const TReference& Entry) { return Gone.contains(Entry.Element); });
    std::erase_if(FTaskModules, [&](const TTaskModuleLink& Entry) { return Gone.contains(Entry.Element); });
}

void TDefinitionJsonLinks::Settle(bool CheckEveryReference)
{
    for (const TReference& Reference : FDeferred) {
        const QString Why = Resolve(Reference, Reference.Field->Source(FData));
        if (Why.isEmpty())
            continue;
        // Where it stands is worked out only for the report.
        const TPathText At = PathOf(FData, Reference.Element);
        const TPath List = Member(At.Path, Reference.Field->Name);
        const TPath Items = Member(List, "Items");
        Fail(Element(Items, Reference.Slot), Why);
    }
    const auto Within = [](int32_t Index, int32_t Count) { return Index >= 0 && Index < Count; };
    const TCodeModules& Modules = FData.CodeModules;
    for (const TTaskModuleLink& Link : FTaskModules) {
        const TTaskModulePosition& At = Link.Position;
        if (!Within(At.CodeModule, Modules.Count()) ||
            !Within(At.Object, Modules.Items(At.CodeModule)->TaskModuleObjects.Count()) ||
            !Within(At.TaskModule,
                    Modules.Items(At.CodeModule)->TaskModuleObjects.Items(At.Object)->TaskModules.Count()))
            TaskModuleOutside(Link);
        *static_cast<TTaskModule**>(Link.Field->Member(Link.Element)) = TaskModuleAtPosition(Modules, At);
    }
    // A package-level list given twice may have left references checked against its first,
    // forgotten, items.
    if (CheckEveryReference)
        CheckReferences(FData, PackageJsonTable(), &FData, TPath{});
}

void TDefinitionJsonLinks::TaskModuleOutside(const TTaskModuleLink& Link) const
{
    const TPathText Owner = PathOf(FData, Link.Element);
    const TPath Path = Member(Owner.Path, Link.Field->Name);
    const TTaskModulePosition& At = Link.Position;
    const TCodeModules& Modules = FData.CodeModules;
    if (At.CodeModule < 0 || At.CodeModule >= Modules.Count())
        Fail(Member(Path, "CodeModule"), QStringLiteral("the position of a code module"));
    const TTaskModuleObjects& Objects = Modules.Items(At.CodeModule)->TaskModuleObjects;
    if (At.Object < 0 || At.Object >= Objects.Count())
        Fail(Member(Path, "Object"), QStringLiteral("the position of a task module object in that code module"));
    Fail(Member(Path, "TaskModule"), QStringLiteral("the position of a task module in that object"));
}
