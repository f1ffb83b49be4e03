// The Problems panel on the large sample package, whose check finds some 26,000 problems: how long
// the UI thread is held while the panel shows them, against the check itself (on its own thread) in
// the same run. x_check is the ratio of the two; the panel shown and laid out off screen.

#include "forms/QORApplication.h"
#include "model/CheckFindings.h"
#include "model/Data.h"
#include "samples/LargeDefinition.h"
#include "ui/ProblemsPanel.h"

#include <QApplication>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point Start)
{
    return std::chrono::duration<double>(TClock::now() - Start).count();
}

struct TSetting
{
    TData Data;
    std::vector<TCheckFinding> Findings;
    double CheckSeconds = 1e9;
};

TSetting& Setting()
{
    static TSetting* Shared = [] {
        auto* Result = new TSetting;
        SampleDefinitions::BuildLarge(Result->Data);
        for (int Run = 0; Run < 3; ++Run) {
            const auto Start = TClock::now();
            Result->Findings = CollectCheckFindings(Result->Data);
            Result->CheckSeconds = std::min(Result->CheckSeconds, SecondsSince(Start));
        }
        return Result;
    }();
    return *Shared;
}

void BM_ShowFindings(benchmark::State& State)
{
    TProblemsPanel Panel([] { return QByteArray(); });
    Panel.resize(900, 300);
    Panel.show();
    QApplication::processEvents();
    double Seconds = 0;
    for (auto _ : State) {
        // Each round shows the findings as the result of a new request, as after an edit; the
        // panel's own check for it never starts, its result being there first.
        Panel.DocumentChanged();
        std::vector<TCheckFinding> Findings = Setting().Findings;
        const auto Start = TClock::now();
        Panel.DeliverForTesting(Panel.Generation(), std::move(Findings));
        Panel.View()->doItemsLayout();
        QApplication::processEvents();
        Seconds = SecondsSince(Start);
        State.SetIterationTime(Seconds);
    }
    State.counters["findings"] = double(Setting().Findings.size());
    State.counters["check_ms"] = Setting().CheckSeconds * 1000;
    State.counters["x_check"] = Seconds / Setting().CheckSeconds;
}

BENCHMARK(BM_ShowFindings)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TQORApplication Application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
