// The undo history on the large sample package: taking one step (the snapshots before and after a
// command and recording them), undoing and redoing one, and how many steps the byte limit lets a
// full history keep. Each time comes with x_save: how many times a plain save of the same package to
// a file, measured in the same run, it takes, and cpu_ms: this thread's CPU time, which a machine
// shared with other work does not inflate. A step must stay under 50 ms (under_budget is 1 when its
// CPU time does).

#include "forms/QORApplication.h"
#include "model/Data.h"
#include "samples/LargeDefinition.h"
#include "ui/UndoHistory.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>

namespace {

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point Start)
{
    return std::chrono::duration<double>(TClock::now() - Start).count();
}

double ThreadSeconds()
{
    timespec Now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &Now);
    return double(Now.tv_sec) + double(Now.tv_nsec) / 1e9;
}

struct TSetting
{
    QTemporaryDir Folder;
    TData Data;
    // Best of several plain saves to a file.
    double SaveSeconds = 1e9;
};

TSetting& Setting()
{
    static TSetting* Shared = [] {
        auto* Result = new TSetting;
        SampleDefinitions::BuildLarge(Result->Data);
        const QString FileName = Result->Folder.filePath(QStringLiteral("large.cpd"));
        for (int Run = 0; Run < 3; ++Run) {
            const auto Start = TClock::now();
            Result->Data.SaveToFile(FileName);
            Result->SaveSeconds = std::min(Result->SaveSeconds, SecondsSince(Start));
        }
        return Result;
    }();
    return *Shared;
}

// One command's worth of change: the package's description grows by a character.
void TakeStep(TDocumentHistory& History, TData& Data)
{
    const QByteArray Before = History.Snapshot();
    Data.Description += QLatin1Char('x');
    History.Push(QStringLiteral("Edit 'Code package'"), Before, History.Snapshot(), {}, {});
}

void BM_TakeStep(benchmark::State& State)
{
    TData& Data = Setting().Data;
    TDocumentHistory History(Data);
    double Seconds = 0;
    double CPUSeconds = 1e9;
    for (auto _ : State) {
        const auto Start = TClock::now();
        const double CPUStart = ThreadSeconds();
        TakeStep(History, Data);
        CPUSeconds = std::min(CPUSeconds, ThreadSeconds() - CPUStart);
        Seconds = SecondsSince(Start);
        State.SetIterationTime(Seconds);
    }
    State.counters["x_save"] = Seconds / Setting().SaveSeconds;
    State.counters["save_ms"] = Setting().SaveSeconds * 1000;
    State.counters["cpu_ms"] = CPUSeconds * 1000;
    State.counters["under_budget"] = CPUSeconds < 0.050 ? 1 : 0;
}

void BM_UndoRedo(benchmark::State& State)
{
    TData& Data = Setting().Data;
    TDocumentHistory History(Data);
    TakeStep(History, Data);
    double Seconds = 0;
    for (auto _ : State) {
        const auto Start = TClock::now();
        History.Undo();
        History.Redo();
        Seconds = SecondsSince(Start) / 2;
        State.SetIterationTime(Seconds);
    }
    State.counters["x_save"] = Seconds / Setting().SaveSeconds;
}

void BM_FullHistory(benchmark::State& State)
{
    TData& Data = Setting().Data;
    for (auto _ : State) {
        TDocumentHistory History(Data);
        for (int I = 0; I < TDocumentHistory::MaxSteps; ++I)
            TakeStep(History, Data);
        State.counters["steps_kept"] = History.Stack().count();
        State.counters["held_mib"] = double(History.HeldBytes()) / (1024 * 1024);
    }
}

BENCHMARK(BM_TakeStep)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_UndoRedo)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FullHistory)->Unit(benchmark::kMillisecond)->Iterations(1);

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
