#pragma once

// A large, deterministic package for benchmarks and scale tests: many code modules full of task
// module objects whose task modules refer to data types, configurators and command editors that lie
// in other code modules, and long data-type lists.

#include "model/Data.h"
#include "samples/SampleDefinitions.h"

#include <cstdint>

namespace SampleDefinitions {

struct TLargeShape
{
    int32_t CodeModules = 200;
    int32_t ObjectsPerCodeModule = 20;
    int32_t TaskModulesPerObject = 4;
    // Of each of the four data-type kinds.
    int32_t DataTypesPerKind = 2000;
    int32_t InterfaceTypes = 500;
    int32_t Drivers = 100;
};

// Builds the large package. Every task module refers to data types of all four kinds; each task
// module object's configurator lies in the next code module and its command editor in the previous
// one (wrapping round), so that references cross code modules in both directions.
void BuildLarge(TData& Data, const TLargeShape& Shape = {});

} // namespace SampleDefinitions
