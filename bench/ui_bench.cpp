// The main window on the large sample package, off screen: rebuilding the tree, opening the file in
// the window, and New and Open on a window that already holds it. Each figure comes with x_load: how
// many times the time of loading the same file into a bare package (no window) it takes, by the wall
// clock and by this thread's CPU time (x_load_cpu, cpu_ms). The open benchmark also reports the
// process's resident memory with the package shown (rss_mib).

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "forms/ObjectTreeView.h"
#include "forms/QORApplication.h"
#include "model/Data.h"
#include "samples/LargeDefinition.h"
#include "ui/MainWindow.h"
#include "ui/PackageTree.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>

namespace {

using TClock = std::chrono::steady_clock;

// CPU seconds of this thread: on a machine shared with other work the wall clock also counts the
// time the process waited for a core.
double ThreadSeconds()
{
    timespec Now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &Now);
    return double(Now.tv_sec) + double(Now.tv_nsec) / 1e9;
}

// Times the region between construction and Stop, in wall and thread CPU seconds.
struct TRegion
{
    TClock::time_point Start = TClock::now();
    double CPUStart = ThreadSeconds();
    double CPUSeconds = 0;

    double Stop()
    {
        CPUSeconds = ThreadSeconds() - CPUStart;
        return std::chrono::duration<double>(TClock::now() - Start).count();
    }
};

struct TSetting
{
    QTemporaryDir Folder;
    QString FileName;
    // Seconds loading the file into a bare package takes, best of several runs: wall and thread CPU.
    double LoadSeconds = 1e9;
    double LoadCPUSeconds = 1e9;
};

TSetting& Setting()
{
    static TSetting Shared = [] {
        TSetting Result;
        Result.FileName = Result.Folder.filePath(QStringLiteral("large.cpd"));
        TData Data;
        SampleDefinitions::BuildLarge(Data);
        Data.SaveToFile(Result.FileName);
        for (int Run = 0; Run < 3; ++Run) {
            TRegion Region;
            TData Loaded;
            Loaded.LoadFromFile(Result.FileName);
            Result.LoadSeconds = std::min(Result.LoadSeconds, Region.Stop());
            Result.LoadCPUSeconds = std::min(Result.LoadCPUSeconds, Region.CPUSeconds);
        }
        return Result;
    }();
    return Shared;
}

// The window as a user has it: shown, with every layout the tree postponed done.
std::unique_ptr<TMain> ShownWindow(bool WithLargeFile)
{
    SetProgramArguments(WithLargeFile ? QStringList{Setting().FileName} : QStringList{});
    auto Window = std::make_unique<TMain>();
    Window->show();
    QCoreApplication::processEvents();
    return Window;
}

void Settle()
{
    QCoreApplication::processEvents();
}

// The last iteration's figures: wall milliseconds against the bare load, and thread CPU milliseconds.
void Report(benchmark::State& State, double Seconds, const TRegion& Region)
{
    State.counters["x_load"] = Seconds / Setting().LoadSeconds;
    State.counters["cpu_ms"] = Region.CPUSeconds * 1000;
    State.counters["x_load_cpu"] = Region.CPUSeconds / Setting().LoadCPUSeconds;
}

long ResidentKiB()
{
    QFile Status(QStringLiteral("/proc/self/status"));
    if (!Status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& Line : Status.readAll().split('\n'))
        if (Line.startsWith("VmRSS:"))
            return Line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

void BM_LoadBarePackage(benchmark::State& State)
{
    double Seconds = 0;
    TRegion Region;
    for (auto _ : State) {
        Region = TRegion();
        TData Loaded;
        Loaded.LoadFromFile(Setting().FileName);
        Seconds = Region.Stop();
        State.SetIterationTime(Seconds);
    }
    Report(State, Seconds, Region);
}

void BM_RebuildTree(benchmark::State& State)
{
    auto Window = ShownWindow(true);
    int Nodes = 0;
    double Seconds = 0;
    TRegion Region;
    for (auto _ : State) {
        Region = TRegion();
        RebuildTree(*Window->TreeControl, Window->Document(), Window->Markers());
        Settle();
        Seconds = Region.Stop();
        State.SetIterationTime(Seconds);
    }
    for (QTreeWidgetItemIterator It(Window->TreeControl); *It; ++It)
        ++Nodes;
    State.counters["nodes"] = Nodes;
    Report(State, Seconds, Region);
}

// The same rebuild followed by building every node a collapsed node holds unbuilt: what a rebuild
// cost when the whole tree was made at once, as the yardstick for BM_RebuildTree.
void BM_RebuildTreeAllBuilt(benchmark::State& State)
{
    auto Window = ShownWindow(true);
    int Nodes = 0;
    double Seconds = 0;
    TRegion Region;
    for (auto _ : State) {
        Region = TRegion();
        RebuildTree(*Window->TreeControl, Window->Document(), Window->Markers());
        for (int I = 0; I < Window->TreeControl->topLevelItemCount(); ++I)
            TQORObjectTreeView::NodeOf(Window->TreeControl->topLevelItem(I))->BuildSubtree();
        Settle();
        Seconds = Region.Stop();
        State.SetIterationTime(Seconds);
    }
    for (QTreeWidgetItemIterator It(Window->TreeControl); *It; ++It)
        ++Nodes;
    State.counters["nodes"] = Nodes;
    Report(State, Seconds, Region);
}

// Starting the window with the large file named on the command line, until it is shown.
void BM_StartWindowWithLargeFile(benchmark::State& State)
{
    double Seconds = 0;
    TRegion Region;
    for (auto _ : State) {
        Region = TRegion();
        auto Window = ShownWindow(true);
        Seconds = Region.Stop();
        State.SetIterationTime(Seconds);
        State.PauseTiming();
        Window.reset();
        Settle();
        State.ResumeTiming();
    }
    State.counters["rss_mib"] = double(ResidentKiB()) / 1024;
    Report(State, Seconds, Region);
}

void BM_OpenInWindow(benchmark::State& State)
{
    auto Window = ShownWindow(false);
    double Seconds = 0;
    TRegion Region;
    for (auto _ : State) {
        Window->NewDocument();
        Settle();
        Region = TRegion();
        Window->LoadDocument(Setting().FileName);
        Window->UpdateView();
        Settle();
        Seconds = Region.Stop();
        State.SetIterationTime(Seconds);
    }
    State.counters["rss_mib"] = double(ResidentKiB()) / 1024;
    Report(State, Seconds, Region);
}

void BM_NewOnLargeWindow(benchmark::State& State)
{
    auto Window = ShownWindow(false);
    double Seconds = 0;
    TRegion Region;
    for (auto _ : State) {
        Window->LoadDocument(Setting().FileName);
        Window->UpdateView();
        Settle();
        Region = TRegion();
        Window->NewDocument();
        Settle();
        Seconds = Region.Stop();
        State.SetIterationTime(Seconds);
    }
    Report(State, Seconds, Region);
}

void BM_OpenOnLargeWindow(benchmark::State& State)
{
    auto Window = ShownWindow(true);
    double Seconds = 0;
    TRegion Region;
    for (auto _ : State) {
        Region = TRegion();
        Window->LoadDocument(Setting().FileName);
        Window->UpdateView();
        Settle();
        Seconds = Region.Stop();
        State.SetIterationTime(Seconds);
    }
    Report(State, Seconds, Region);
}

BENCHMARK(BM_LoadBarePackage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RebuildTree)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RebuildTreeAllBuilt)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StartWindowWithLargeFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenInWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_NewOnLargeWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenOnLargeWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TQORApplication Application(argc, argv);
    QTemporaryDir SettingsFolder;
    // The window reads and writes settings: never the user's.
    SetSettingsFileForTesting(SettingsFolder.filePath(QStringLiteral("settings.ini")));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SetSettingsFileForTesting(QString());
    return 0;
}
