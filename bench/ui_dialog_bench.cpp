// Opening element dialogs and a picker on the large sample package, off screen: creating the dialog,
// copying the element in, building, filling and laying out its rows and showing it. Each figure
// comes with x_small: how many times the time of opening the same dialog on an element of the rich
// (small) sample it takes, measured in the same run.

#include "forms/Pickers.h"
#include "forms/QORApplication.h"
#include "forms/dialogs/CodeModuleDialog.h"
#include "forms/dialogs/TaskModuleDialog.h"
#include "forms/dialogs/TaskModuleObjectDialog.h"
#include "model/Data.h"
#include "samples/LargeDefinition.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>

namespace {

using TClock = std::chrono::steady_clock;

TData& Large()
{
    static TData Package;
    if (Package.CodeModules.Count() == 0)
        SampleDefinitions::BuildLarge(Package);
    return Package;
}

TData& Small()
{
    static TData Package;
    if (Package.CodeModules.Count() == 0)
        SampleDefinitions::BuildRich(Package);
    return Package;
}

// Creates the dialog for one package, with the element it edits (none for a picker).
using TOpen = std::function<std::unique_ptr<TQORAutoForm>(TData& Package, TQORObject*& Element)>;

// Seconds from creating the dialog until it shows, as Execute does it before waiting for the user.
double OpenSeconds(const TOpen& Open, TData& Package)
{
    const TClock::time_point Start = TClock::now();
    TQORObject* Element = nullptr;
    std::unique_ptr<TQORAutoForm> Dialog = Open(Package, Element);
    if (Element) {
        Dialog->SetValueReference(Element);
        Dialog->Value()->Assign(Element, true);
    }
    Dialog->CreateItems();
    Dialog->LoadValues();
    Dialog->Arrange();
    Dialog->show();
    QApplication::processEvents();
    const double Seconds = std::chrono::duration<double>(TClock::now() - Start).count();
    Dialog->hide();
    Dialog->SetValueReference(nullptr);
    return Seconds;
}

void Measure(benchmark::State& State, const TOpen& Open)
{
    double SmallSeconds = 1e9;
    for (int I = 0; I < 3; ++I)
        SmallSeconds = std::min(SmallSeconds, OpenSeconds(Open, Small()));
    double Total = 0;
    for (auto _ : State) {
        const double Seconds = OpenSeconds(Open, Large());
        Total += Seconds;
        State.SetIterationTime(Seconds);
    }
    const double Mean = Total / double(State.iterations());
    State.counters["ms"] = Mean * 1000;
    State.counters["x_small"] = Mean / SmallSeconds;
}

TTaskModuleObject* MiddleObject(TData& Package)
{
    TCodeModule* Module = Package.CodeModules.Items(Package.CodeModules.Count() / 2);
    return Module->TaskModuleObjects.Items(0);
}

void BM_OpenCodeModuleDialog(benchmark::State& State)
{
    Measure(State, [](TData& Package, TQORObject*& Element) {
        Element = Package.CodeModules.Items(Package.CodeModules.Count() / 2);
        return std::make_unique<TCodeModuleDialog>(nullptr, &Package);
    });
}

void BM_OpenTaskModuleDialog(benchmark::State& State)
{
    Measure(State, [](TData& Package, TQORObject*& Element) {
        Element = MiddleObject(Package)->TaskModules.Items(0);
        return std::make_unique<TTaskModuleDialog>(nullptr, &Package);
    });
}

// Walks every task module of the package for its two choice lists.
void BM_OpenTaskModuleObjectDialog(benchmark::State& State)
{
    Measure(State, [](TData& Package, TQORObject*& Element) {
        Element = MiddleObject(Package);
        return std::make_unique<TTaskModuleObjectDialog>(nullptr, &Package);
    });
}

// Sorts and offers every task type of the package.
void BM_OpenDataTypePicker(benchmark::State& State)
{
    Measure(State, [](TData& Package, TQORObject*&) {
        auto Picker = std::make_unique<TSelectDataTypeDialog>();
        Picker->SetCandidates(&Package.TaskTypes);
        Picker->SetValue(Package.TaskTypes.Items(Package.TaskTypes.Count() - 1));
        return Picker;
    });
}

BENCHMARK(BM_OpenCodeModuleDialog)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenTaskModuleDialog)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenTaskModuleObjectDialog)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenDataTypePicker)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TQORApplication Application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
