// Load, save and deep copy of the large sample package. Each figure comes with the time `cat` takes
// to read the same definition file (x_cat: how many times slower than that) and loading with the
// heap the loaded package holds against the file's size (memory_ratio). Loading through the stream
// buffer also reports x_memory: how many times slower than loading the same bytes from memory.

#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "model/Data.h"
#include "samples/LargeDefinition.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using TClock = std::chrono::steady_clock;

struct TLargeFile
{
    QTemporaryDir Folder;
    QString FileName;
    QString SavedName;
    int64_t Size = 0;
    // Seconds `cat` takes to copy the file to /dev/null, best of several runs.
    double CatSeconds = 0;
};

double SecondsOfCat(const QString& FileName)
{
    const QByteArray Path = FileName.toLocal8Bit();
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addopen(&Actions, 1, "/dev/null", O_WRONLY, 0);
    double Best = 1e9;
    for (int Run = 0; Run < 20; ++Run) {
        char* Arguments[] = {const_cast<char*>("cat"), const_cast<char*>(Path.constData()), nullptr};
        const auto Start = TClock::now();
        pid_t Child = 0;
        if (posix_spawnp(&Child, "cat", &Actions, nullptr, Arguments, environ) != 0)
            break;
        int Status = 0;
        waitpid(Child, &Status, 0);
        Best = std::min(Best, std::chrono::duration<double>(TClock::now() - Start).count());
    }
    posix_spawn_file_actions_destroy(&Actions);
    return Best;
}

const TLargeFile& LargeFile()
{
    static const std::unique_ptr<TLargeFile> File = [] {
        auto Result = std::make_unique<TLargeFile>();
        Result->FileName = Result->Folder.filePath(QStringLiteral("large.cpd"));
        Result->SavedName = Result->Folder.filePath(QStringLiteral("saved.cpd"));
        TData Data;
        SampleDefinitions::BuildLarge(Data);
        Data.SaveToFile(Result->FileName);
        Result->Size = QFileInfo(Result->FileName).size();
        Result->CatSeconds = SecondsOfCat(Result->FileName);
        std::printf("Large definition: %.2f MB; cat reads it in %.3f ms\n",
                    double(Result->Size) / 1e6,
                    Result->CatSeconds * 1e3);
        return Result;
    }();
    return *File;
}

// Reports throughput of the definition file and the time against cat's.
void Report(benchmark::State& State, double Seconds)
{
    const TLargeFile& File = LargeFile();
    const auto Iterations = static_cast<double>(State.iterations());
    State.SetBytesProcessed(State.iterations() * File.Size);
    State.counters["x_cat"] = Seconds / Iterations / File.CatSeconds;
}

// Small blocks and the large ones malloc maps on their own.
size_t HeapInUse()
{
    const struct mallinfo2 Info = mallinfo2();
    return Info.uordblks + Info.hblkhd;
}

void BM_LoadFromFile(benchmark::State& State)
{
    const TLargeFile& File = LargeFile();
    double Seconds = 0;
    double Ratio = 0;
    for (auto _ : State) {
        State.PauseTiming();
        const size_t Before = HeapInUse();
        auto Data = std::make_unique<TData>();
        State.ResumeTiming();
        const auto Start = TClock::now();
        Data->LoadFromFile(File.FileName);
        Seconds += std::chrono::duration<double>(TClock::now() - Start).count();
        State.PauseTiming();
        Ratio = double(HeapInUse() - Before) / double(File.Size);
        Data.reset();
        State.ResumeTiming();
    }
    Report(State, Seconds);
    State.counters["memory_ratio"] = Ratio;
}

// The same bytes from memory: the model's own cost without the file layer.
void BM_LoadFromMemory(benchmark::State& State)
{
    const TLargeFile& File = LargeFile();
    TData Source;
    Source.LoadFromFile(File.FileName);
    TMemoryStream Bytes;
    Source.SaveToStream(Bytes);
    double Seconds = 0;
    for (auto _ : State) {
        State.PauseTiming();
        TMemoryStream Stream(Bytes.Data());
        auto Data = std::make_unique<TData>();
        State.ResumeTiming();
        const auto Start = TClock::now();
        Data->LoadFromStream(Stream);
        Seconds += std::chrono::duration<double>(TClock::now() - Start).count();
        State.PauseTiming();
        Data.reset();
        State.ResumeTiming();
    }
    Report(State, Seconds);
}

// The same bytes through the stream buffer the clipboard uses, its 1 MiB window in front of memory.
// Each iteration also loads straight from memory, so x_memory compares the two in the same run.
void BM_LoadThroughBuffer(benchmark::State& State)
{
    const TLargeFile& File = LargeFile();
    TData Source;
    Source.LoadFromFile(File.FileName);
    TMemoryStream Bytes;
    Source.SaveToStream(Bytes);
    double Seconds = 0;
    double MemorySeconds = 0;
    for (auto _ : State) {
        State.PauseTiming();
        auto Direct = std::make_unique<TData>();
        TMemoryStream Plain(Bytes.Data());
        auto Start = TClock::now();
        Direct->LoadFromStream(Plain);
        MemorySeconds += std::chrono::duration<double>(TClock::now() - Start).count();
        Direct.reset();
        TOleStreamBuffer Buffer(std::make_shared<TMemoryStream>(Bytes.Data()), 0x100000);
        auto Data = std::make_unique<TData>();
        State.ResumeTiming();
        Start = TClock::now();
        Data->LoadFromStream(Buffer);
        Seconds += std::chrono::duration<double>(TClock::now() - Start).count();
        State.PauseTiming();
        Data.reset();
        State.ResumeTiming();
    }
    Report(State, Seconds);
    State.counters["x_memory"] = Seconds / MemorySeconds;
}

void BM_SaveToFile(benchmark::State& State)
{
    const TLargeFile& File = LargeFile();
    TData Data;
    Data.LoadFromFile(File.FileName);
    double Seconds = 0;
    for (auto _ : State) {
        const auto Start = TClock::now();
        Data.SaveToFile(File.SavedName);
        Seconds += std::chrono::duration<double>(TClock::now() - Start).count();
    }
    Report(State, Seconds);
}

void BM_SaveToMemory(benchmark::State& State)
{
    const TLargeFile& File = LargeFile();
    TData Data;
    Data.LoadFromFile(File.FileName);
    double Seconds = 0;
    for (auto _ : State) {
        TMemoryStream Stream;
        const auto Start = TClock::now();
        Data.SaveToStream(Stream);
        Seconds += std::chrono::duration<double>(TClock::now() - Start).count();
        benchmark::DoNotOptimize(Stream.Data().constData());
    }
    Report(State, Seconds);
}

// Every property and list of Source into the empty Target, references as positions turned back
// into references to Target's own data types and interface types.
void AssignPackage(TData& Target, const TData& Source)
{
    Target.ID = Source.ID;
    Target.Name = Source.Name;
    Target.Description = Source.Description;
    Target.AboutInformation = Source.AboutInformation;
    Target.Creator = Source.Creator;
    Target.SubCreator = Source.SubCreator;
    Target.AllowExportFromLMS = Source.AllowExportFromLMS;
    Target.BetaSoftware = Source.BetaSoftware;
    Target.TaskTypes.Assign(&Source.TaskTypes, false);
    Target.TaskRecordingTypes.Assign(&Source.TaskRecordingTypes, false);
    Target.TaskResultItemFormats.Assign(&Source.TaskResultItemFormats, false);
    Target.MediaItemFormats.Assign(&Source.MediaItemFormats, false);
    Target.InterfaceTypes.Assign(&Source.InterfaceTypes, false);
    Target.Drivers.Assign(&Source.Drivers, false);
    Target.CodeModules.Assign(&Source.CodeModules, false);
    Target.ResolveReferences();
    Target.DataTypesExpanded = Source.DataTypesExpanded;
}

void BM_DeepAssign(benchmark::State& State)
{
    const TLargeFile& File = LargeFile();
    TData Source;
    Source.LoadFromFile(File.FileName);
    {
        TData Copy;
        AssignPackage(Copy, Source);
        TMemoryStream Original;
        Source.SaveToStream(Original);
        TMemoryStream Copied;
        Copy.SaveToStream(Copied);
        if (Copied.Data() != Original.Data()) {
            State.SkipWithError("The copy does not save as its source does");
            return;
        }
    }
    double Seconds = 0;
    for (auto _ : State) {
        State.PauseTiming();
        auto Target = std::make_unique<TData>();
        State.ResumeTiming();
        const auto Start = TClock::now();
        AssignPackage(*Target, Source);
        Seconds += std::chrono::duration<double>(TClock::now() - Start).count();
        State.PauseTiming();
        Target.reset();
        State.ResumeTiming();
    }
    Report(State, Seconds);
}

} // namespace

BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadThroughBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveToMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DeepAssign)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
