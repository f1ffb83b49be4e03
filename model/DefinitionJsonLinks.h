#pragma once

// What the reader of a definition's JSON text settles only once the whole text is read: references
// into package-level lists the text gives later or that name their element by ID, configurators
// and command editors, which may point into later code modules, and a second look at every
// reference when a package-level list was given twice. Reports name the path of the value.

#include "foundation/GUID.h"
#include "model/TaskModuleObject.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <unordered_map>
#include <vector>

class TData;
class TQORList;
struct TJsonField;
struct TJsonTable;

class TDefinitionJsonLinks
{
public:
    explicit TDefinitionJsonLinks(TData& Data) : FData(Data) {}

    // An entry of a reference list: Field of Element, at Slot of its list, by position or by ID.
    struct TReference
    {
        void* Element;
        const TJsonField* Field;
        int32_t Slot;
        bool ByID;
        int32_t Index;
        TGUID ID;
    };

    // Checks Reference against Source, settling the position of one given by ID: what it should
    // have been when it leads nowhere, or nothing.
    QString Resolve(const TReference& Reference, const TQORList& Source);
    void Defer(const TReference& Reference) { FDeferred.push_back(Reference); }
    // A configurator or command editor: Field of the task module object Element.
    void AddTaskModule(void* Element, const TJsonField& Field, const TTaskModulePosition& Position)
    {
        FTaskModules.push_back({Element, &Field, Position});
    }

    // Field of Element is given again: what its first value left here goes.
    void Forget(const void* Element, const TJsonField& Field);
    // List (Field's, of items described by Items) is about to be emptied: what its elements left
    // here goes with them.
    void ForgetIn(const TJsonTable& Items, const TJsonField& Field, const TQORList& List);

    // Settles everything left, raising TValueFault for the first that leads nowhere. With
    // CheckEveryReference, a package-level list was given twice and every reference is checked
    // again against what it holds in the end.
    void Settle(bool CheckEveryReference);

private:
    struct TTaskModuleLink
    {
        void* Element;
        const TJsonField* Field;
        TTaskModulePosition Position;
    };

    const QHash<TGUID, int32_t>& PositionsByID(const TJsonField& Field, const TQORList& Source);
    [[noreturn]] void TaskModuleOutside(const TTaskModuleLink& Link) const;

    TData& FData;
    std::vector<TReference> FDeferred;
    std::vector<TTaskModuleLink> FTaskModules;
    std::unordered_map<const TQORList*, QHash<TGUID, int32_t>> FPositionsByID;
};
