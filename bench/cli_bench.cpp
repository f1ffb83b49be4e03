// quillon-cli speed against its baselines, measured in the same run:
//   check           against loading plus the export check alone (target: within 2x)
//   dump, build     of the large definition, in MB/s of definition file (target: 50 MB/s each);
//                   dump both as one text in memory and streamed out as the command writes it; and
//                   both as commands in fresh processes against the check command's process
//   verify          of a 1 GiB package without --against (target: under a second)
//   inspect         with hashes, against sha256sum over the same file (target: within 1.5x); the
//                   command runs as a child process, as sha256sum does
// The 1 GiB package lives in a temporary folder and is removed at the end; its one embedded file is
// a hole in a sparse file, so making it costs no disk writes.

#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "model/CheckFindings.h"
#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "model/PackageExport.h"
#include "model/PackageReader.h"
#include "samples/LargeDefinition.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const QByteArray& LargeDefinitionBytes()
{
    static const QByteArray Bytes = [] {
        TData Data;
        SampleDefinitions::BuildLarge(Data);
        TMemoryStream Stream;
        Data.SaveToStream(Stream);
        return Stream.Data();
    }();
    return Bytes;
}

void Load(TData& Data)
{
    TMemoryStream Stream(LargeDefinitionBytes());
    Data.LoadFromStream(Stream);
}

void BM_LoadAndExportCheck(benchmark::State& State)
{
    for (auto _ : State) {
        TData Data;
        Load(Data);
        try {
            Data.ExportErrorCheck();
        } catch (const E_QOR&) {
        }
    }
}

void BM_LoadAndCheckEveryFinding(benchmark::State& State)
{
    for (auto _ : State) {
        TData Data;
        Load(Data);
        benchmark::DoNotOptimize(CollectCheckFindings(Data).size());
    }
}

// The baseline the dump and build figures compare with: what loading alone costs.
void BM_Load(benchmark::State& State)
{
    for (auto _ : State) {
        TData Data;
        Load(Data);
    }
    State.SetBytesProcessed(State.iterations() * LargeDefinitionBytes().size());
}

// The loaded package to JSON text.
void BM_Dump(benchmark::State& State)
{
    TData Data;
    Load(Data);
    for (auto _ : State)
        benchmark::DoNotOptimize(DefinitionToJson(Data).size());
    State.SetBytesProcessed(State.iterations() * LargeDefinitionBytes().size());
}

// What the dump command does: the text goes out a part at a time, here to a device that drops it.
class TDiscardDevice : public QIODevice
{
public:
    TDiscardDevice() { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 Size) override { return Size; }
};

void BM_DumpStreamed(benchmark::State& State)
{
    TData Data;
    Load(Data);
    TDiscardDevice Device;
    for (auto _ : State)
        benchmark::DoNotOptimize(WriteDefinitionJson(Data, Device));
    State.SetBytesProcessed(State.iterations() * LargeDefinitionBytes().size());
}

// Reads Json into a package and saves it as a definition, as build does.
void BuildFromText(benchmark::State& State, const QByteArray& Json)
{
    for (auto _ : State) {
        const std::unique_ptr<TData> Data = PackageForSavingFromJson(Json);
        TMemoryStream Stream;
        Data->SaveToStream(Stream);
        benchmark::DoNotOptimize(Stream.Data().size());
    }
    State.SetBytesProcessed(State.iterations() * LargeDefinitionBytes().size());
}

void BM_Build(benchmark::State& State)
{
    TData Source;
    Load(Source);
    BuildFromText(State, DefinitionToJson(Source));
}

// The same text with every object's members in alphabetical order, as a hand edit or another tool
// may leave it: each member is then looked up by name.
void BM_BuildMembersReordered(benchmark::State& State)
{
    TData Source;
    Load(Source);
    BuildFromText(State, QJsonDocument::fromJson(DefinitionToJson(Source)).toJson());
}

// The commands as a user runs them, file to file, in fresh processes: start-up, reading, and the
// system's cost of handing a new process its memory all count.
struct TLargeFiles
{
    QTemporaryDir Folder;
    QString Definition = Folder.filePath(QStringLiteral("large.cpd"));
    QString Json = Folder.filePath(QStringLiteral("large.json"));

    TLargeFiles()
    {
        QFile File(Definition);
        File.open(QIODevice::WriteOnly);
        File.write(LargeDefinitionBytes());
        File.close();
        QFile Text(Json);
        Text.open(QIODevice::WriteOnly);
        TData Data;
        Load(Data);
        WriteDefinitionJson(Data, Text);
    }
};

TLargeFiles& LargeFiles()
{
    static TLargeFiles Files;
    return Files;
}

QString CliProgram()
{
    const QString Program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(Program).absolutePath() + QStringLiteral("/../quillon-cli");
}

void RunCliCommand(benchmark::State& State, const QStringList& Arguments, int ExitCode = 0)
{
    for (auto _ : State) {
        QProcess Process;
        Process.start(CliProgram(), Arguments);
        Process.waitForFinished(-1);
        if (Process.exitCode() != ExitCode)
            State.SkipWithError("the command failed");
    }
    State.SetBytesProcessed(State.iterations() * LargeDefinitionBytes().size());
}

// The baseline for the two below: a process that loads the definition and checks it (finding the
// files it names missing).
void BM_CheckCommand(benchmark::State& State)
{
    RunCliCommand(State, {QStringLiteral("check"), LargeFiles().Definition}, 2);
}

void BM_DumpCommand(benchmark::State& State)
{
    const QString Target = LargeFiles().Folder.filePath(QStringLiteral("dumped.json"));
    RunCliCommand(State, {QStringLiteral("dump"), LargeFiles().Definition, QStringLiteral("-o"), Target});
}

void BM_BuildCommand(benchmark::State& State)
{
    const QString Target = LargeFiles().Folder.filePath(QStringLiteral("built.cpd"));
    RunCliCommand(State, {QStringLiteral("build"), LargeFiles().Json, QStringLiteral("-o"), Target});
}

// A package of 1 GiB: one driver whose content is a hole of the right size.
struct TLargePackage
{
    QTemporaryDir Folder;
    QString FileName;

    TLargePackage()
    {
        const QString Driver = Folder.filePath(QStringLiteral("driver.bin"));
        QFile Content(Driver);
        Content.open(QIODevice::WriteOnly);
        Content.resize(int64_t(1) << 30);
        Content.close();
        TData Data;
        Data.ID = TGUID::Parse("{5A000001-1234-5678-9ABC-DEF011223301}");
        Data.Name = QStringLiteral("Large");
        auto* Item = new TDriver();
        Data.Drivers.Add(Item);
        Item->Name = QStringLiteral("Driver");
        Item->FilePath = Folder.path();
        Item->FileName = QStringLiteral("driver.bin");
        FileName = Folder.filePath(QStringLiteral("large.cpk"));
        Data.ExportToFile(FileName);
        QFile::remove(Driver);
    }
};

TLargePackage& LargePackage()
{
    static TLargePackage Package;
    return Package;
}

void BM_VerifyOneGiB(benchmark::State& State)
{
    const QString FileName = LargePackage().FileName;
    for (auto _ : State)
        benchmark::DoNotOptimize(ReadPackageFile(FileName).Files.size());
}

void BM_InspectOneGiBWithHashes(benchmark::State& State)
{
    const QString FileName = LargePackage().FileName;
    for (auto _ : State)
        benchmark::DoNotOptimize(ReadPackageFile(FileName, {true, {}}).Files.size());
    State.SetBytesProcessed(State.iterations() * (int64_t(1) << 30));
}

// The program as a user runs it: quillon-cli beside the benchmark's folder.
void BM_InspectCommandOneGiB(benchmark::State& State)
{
    const QString Cli = CliProgram();
    const QString FileName = LargePackage().FileName;
    for (auto _ : State) {
        QProcess Process;
        Process.start(Cli, {QStringLiteral("inspect"), FileName});
        Process.waitForFinished(-1);
        benchmark::DoNotOptimize(Process.readAllStandardOutput().size());
    }
    State.SetBytesProcessed(State.iterations() * (int64_t(1) << 30));
}

void BM_Sha256sumOneGiB(benchmark::State& State)
{
    const QString FileName = LargePackage().FileName;
    for (auto _ : State) {
        QProcess Process;
        Process.start(QStringLiteral("sha256sum"), {FileName});
        Process.waitForFinished(-1);
        benchmark::DoNotOptimize(Process.readAllStandardOutput().size());
    }
    State.SetBytesProcessed(State.iterations() * (int64_t(1) << 30));
}

} // namespace

BENCHMARK(BM_LoadAndExportCheck)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadAndCheckEveryFinding)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Dump)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DumpStreamed)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Build)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BuildMembersReordered)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckCommand)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DumpCommand)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BuildCommand)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VerifyOneGiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InspectOneGiBWithHashes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_InspectCommandOneGiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Sha256sumOneGiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

BENCHMARK_MAIN();
