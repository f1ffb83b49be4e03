// Export throughput and memory against tar and against the floor of a durable copy (cat of the same
// files into one file, then sync of that file), and the command-line run on a large definition.
//
//   export_bench [--quick] [--program <path to quillon>] [--rounds N] [--copy-rounds N]
//
// Everything it makes lives in a temporary folder under /tmp and is removed at the end. The export
// runs as the real program (quillon /c /fd … /fp … -q) in a child process, so that its peak
// resident memory can be read from the child's resource usage.

#include "model/Data.h"
#include "samples/LargeDefinition.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using TClock = std::chrono::steady_clock;

struct TChildRun
{
    int ExitCode = -1;
    double Seconds = 0;
    double CpuSeconds = 0;
    double PeakMiB = 0;
};

// Runs Arguments[0] with the rest, waits, and reads its time and peak resident memory.
TChildRun RunChild(const std::vector<std::string>& Arguments)
{
    std::vector<char*> Argv;
    for (const std::string& Argument : Arguments)
        Argv.push_back(const_cast<char*>(Argument.c_str()));
    Argv.push_back(nullptr);
    TChildRun Result;
    const auto Start = TClock::now();
    pid_t Child = 0;
    if (posix_spawn(&Child, Argv[0], nullptr, nullptr, Argv.data(), environ) != 0)
        return Result;
    int Status = 0;
    rusage Usage = {};
    if (wait4(Child, &Status, 0, &Usage) != Child)
        return Result;
    Result.Seconds = std::chrono::duration<double>(TClock::now() - Start).count();
    Result.ExitCode = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    Result.PeakMiB = double(Usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB on Linux
    // User and system time of the child and of every child it waited for (cat and sync of a shell).
    const auto SecondsOf = [](const timeval& Time) { return double(Time.tv_sec) + double(Time.tv_usec) / 1e6; };
    Result.CpuSeconds = SecondsOf(Usage.ru_utime) + SecondsOf(Usage.ru_stime);
    return Result;
}

bool WriteFile(const QString& Name, const QByteArray& Content)
{
    QFile File(Name);
    return File.open(QIODevice::WriteOnly) && File.write(Content) == Content.size();
}

// Count files of Size bytes each, in Folder, with content that differs from file to file.
bool MakeFiles(const QString& Folder, int Count, qint64 Size)
{
    if (!QDir().mkpath(Folder))
        return false;
    QByteArray Block(1 << 20, Qt::Uninitialized);
    uint64_t State = 0x9E3779B97F4A7C15ull;
    for (char& Byte : Block) {
        State ^= State << 13;
        State ^= State >> 7;
        State ^= State << 17;
        Byte = static_cast<char>(State);
    }
    for (int I = 0; I < Count; ++I) {
        QFile File(QStringLiteral("%1/file%2.bin").arg(Folder).arg(I, 3, 10, QLatin1Char('0')));
        if (!File.open(QIODevice::WriteOnly))
            return false;
        Block[0] = static_cast<char>(I);
        for (qint64 Left = Size; Left > 0;) {
            const qint64 Part = std::min<qint64>(Left, Block.size());
            if (File.write(Block.constData(), Part) != Part)
                return false;
            Left -= Part;
        }
    }
    return true;
}

// Reads every file once so that both contestants start from a warm page cache.
void Warm(const QString& Folder)
{
    QByteArray Buffer(1 << 20, Qt::Uninitialized);
    for (const QFileInfo& Info : QDir(Folder).entryInfoList(QDir::Files)) {
        QFile File(Info.filePath());
        if (File.open(QIODevice::ReadOnly))
            while (File.read(Buffer.data(), Buffer.size()) > 0) {
            }
    }
}

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

// The export against cat of the same files into one file followed by sync of that file, both from a
// warm page cache, alternating which goes first. Goal: at most 1.05 times the wall time and 1.1 times
// the CPU time of the copy, medians of Rounds.
int AgainstDurableCopy(
    const QString& Program, const QString& Definition, const QString& Folder, const QString& Work, int Rounds)
{
    const QString Package = Work + QStringLiteral("/copy-contest.cpk");
    const QString Copy = Work + QStringLiteral("/copy-contest.bin");
    std::vector<double> ExportWall, ExportCpu, CopyWall, CopyCpu;
    for (int Round = 0; Round < Rounds; ++Round) {
        QFile::remove(Package);
        QFile::remove(Copy);
        Warm(Folder);
        const auto RunExport = [&] {
            return RunChild(
                {Program.toStdString(), "/c", "/fd", Definition.toStdString(), "/fp", Package.toStdString(), "-q"});
        };
        const auto RunCopy = [&] {
            return RunChild({"/bin/sh",
                             "-c",
                             "cat \"$0\"/*.bin > \"$1\" && sync \"$1\"",
                             Folder.toStdString(),
                             Copy.toStdString()});
        };
        TChildRun Export;
        TChildRun Cat;
        if (Round % 2 == 0) {
            Export = RunExport();
            Cat = RunCopy();
        } else {
            Cat = RunCopy();
            Export = RunExport();
        }
        if (Export.ExitCode != 0 || Cat.ExitCode != 0) {
            std::printf("export exit %d, cat+sync exit %d\n", Export.ExitCode, Cat.ExitCode);
            return 1;
        }
        ExportWall.push_back(Export.Seconds);
        ExportCpu.push_back(Export.CpuSeconds);
        CopyWall.push_back(Cat.Seconds);
        CopyCpu.push_back(Cat.CpuSeconds);
        std::printf("  round %d: export %.3f s (cpu %.3f s), cat+sync %.3f s (cpu %.3f s)\n",
                    Round + 1,
                    Export.Seconds,
                    Export.CpuSeconds,
                    Cat.Seconds,
                    Cat.CpuSeconds);
    }
    const double WallRatio = Median(ExportWall) / Median(CopyWall);
    const double CpuRatio = Median(ExportCpu) / Median(CopyCpu);
    std::printf("Against cat + sync, median of %d rounds: export %.3f s wall %.3f s cpu, cat+sync %.3f s wall %.3f s "
                "cpu\n",
                Rounds,
                Median(ExportWall),
                Median(ExportCpu),
                Median(CopyWall),
                Median(CopyCpu));
    std::printf("  wall ratio %.3f (goal <= 1.05), cpu ratio %.3f (goal <= 1.10)\n", WallRatio, CpuRatio);
    QFile::remove(Package);
    QFile::remove(Copy);
    return WallRatio <= 1.05 && CpuRatio <= 1.10 ? 0 : 2;
}

int Throughput(const QString& Program, const QString& Work, int Files, qint64 FileSize, int Rounds, int CopyRounds)
{
    const QString Module = Work + QStringLiteral("/module");
    std::printf("Making %d files of %.2f MiB in %s ...\n", Files, double(FileSize) / 1048576.0, qPrintable(Work));
    if (!MakeFiles(Module + QStringLiteral("/data"), Files, FileSize) ||
        !WriteFile(Module + QStringLiteral("/module.dll"), QByteArray(4096, 'M')))
        return 1;

    TData Data;
    Data.ID = SampleDefinitions::SampleGUID(1);
    Data.Name = QStringLiteral("Throughput");
    auto* Code = new TCodeModule();
    Data.CodeModules.Add(Code);
    Code->ID = SampleDefinitions::SampleGUID(2);
    Code->Name = QStringLiteral("Module");
    Code->FilePath = Module;
    Code->FileName = QStringLiteral("module.dll");
    Code->Location = cmlEmbedded;
    auto* Support = new TSupportFile();
    Code->SupportFiles.Add(Support);
    Support->SourceFilePath = QStringLiteral("data");
    Support->SourceFileName = QStringLiteral("*.bin");
    Support->TargetRelativePath = QStringLiteral("data");
    const QString Definition = Work + QStringLiteral("/throughput.cpd");
    Data.SaveToFile(Definition);

    const QString Package = Work + QStringLiteral("/throughput.cpk");
    const QString Archive = Work + QStringLiteral("/throughput.tar");
    const double MiB = double(Files) * double(FileSize) / 1048576.0;
    std::vector<double> ExportSeconds;
    std::vector<double> TarSeconds;
    double ExportPeak = 0;
    double TarPeak = 0;
    Warm(Module + QStringLiteral("/data"));
    for (int Round = 0; Round < Rounds; ++Round) {
        QFile::remove(Package);
        QFile::remove(Archive);
        // Each goes first in every other round: the one that follows pays for the other's write-back.
        const auto RunExport = [&] {
            return RunChild(
                {Program.toStdString(), "/c", "/fd", Definition.toStdString(), "/fp", Package.toStdString(), "-q"});
        };
        const auto RunTar = [&] {
            return RunChild({"/usr/bin/tar", "-cf", Archive.toStdString(), "-C", Module.toStdString(), "data"});
        };
        TChildRun Export;
        TChildRun Tar;
        if (Round % 2 == 0) {
            Export = RunExport();
            Tar = RunTar();
        } else {
            Tar = RunTar();
            Export = RunExport();
        }
        if (Export.ExitCode != 0 || Tar.ExitCode != 0) {
            std::printf("export exit %d, tar exit %d\n", Export.ExitCode, Tar.ExitCode);
            return 1;
        }
        ExportSeconds.push_back(Export.Seconds);
        TarSeconds.push_back(Tar.Seconds);
        ExportPeak = std::max(ExportPeak, Export.PeakMiB);
        TarPeak = std::max(TarPeak, Tar.PeakMiB);
        std::printf("  round %d: export %.3f s, tar %.3f s\n", Round + 1, Export.Seconds, Tar.Seconds);
    }
    const double ExportRate = MiB / Median(ExportSeconds);
    const double TarRate = MiB / Median(TarSeconds);
    const qint64 PackageSize = QFileInfo(Package).size();
    std::printf("Embedding %.0f MiB in %d files (package %.1f MiB), median of %d rounds:\n",
                MiB,
                Files,
                double(PackageSize) / 1048576.0,
                Rounds);
    std::printf("  export   %8.1f MiB/s   peak resident %6.1f MiB\n", ExportRate, ExportPeak);
    std::printf("  tar -cf  %8.1f MiB/s   peak resident %6.1f MiB\n", TarRate, TarPeak);
    std::printf("  ratio export/tar %.2f (must be >= 0.80); peak memory %s 64 MiB\n",
                ExportRate / TarRate,
                ExportPeak <= 64.0 ? "within" : "OVER");
    QFile::remove(Package);
    QFile::remove(Archive);
    const int Floor = AgainstDurableCopy(Program, Definition, Module + QStringLiteral("/data"), Work, CopyRounds);
    if (Floor == 1)
        return 1;
    return ExportRate / TarRate >= 0.8 && ExportPeak <= 64.0 && Floor == 0 ? 0 : 2;
}

// The shared large package (200 code modules x 20 task module objects x 4 task modules with
// data-type references, 2,000 of each data-type kind, 500 interface types, 100 drivers), made to
// pass the export error check: its files are created small under Folder, every module is embedded
// and can create its objects, and task module types that forbid the references they carry become
// task runners, which accept all of them.
void MakeExportable(TData& Data, const QString& Folder)
{
    for (int32_t D = 0; D < Data.Drivers.Count(); ++D) {
        TDriver& Driver = *Data.Drivers.Items(D);
        Driver.FilePath = Folder + QStringLiteral("/drivers");
        WriteFile(Driver.FilePath + QLatin1Char('/') + Driver.FileName, QByteArray(8192, 'D'));
    }
    for (int32_t C = 0; C < Data.CodeModules.Count(); ++C) {
        TCodeModule& Module = *Data.CodeModules.Items(C);
        Module.FilePath = Folder + QStringLiteral("/modules");
        Module.Location = cmlEmbedded;
        Module.UseDirectActivation = Module.ObjectServerType == ostDotNet;
        Module.Register = !Module.UseDirectActivation;
        WriteFile(Module.FilePath + QLatin1Char('/') + Module.FileName, QByteArray(16384, 'M'));
        for (int32_t S = 0; S < Module.SupportFiles.Count(); ++S) {
            const QString Name = QString(Module.SupportFiles.Items(S)->SourceFileName).remove(QLatin1Char('*'));
            WriteFile(Module.FilePath + QStringLiteral("/data/") + Name, QByteArray(1024, 'S'));
        }
        for (int32_t O = 0; O < Module.TaskModuleObjects.Count(); ++O) {
            const TTaskModules& Modules = Module.TaskModuleObjects.Items(O)->TaskModules;
            for (int32_t M = 0; M < Modules.Count(); ++M) {
                TTaskModule& TaskModule = *Modules.Items(M);
                if (TaskModule.Type != tmtTaskEditor && TaskModule.Type != tmtTaskRecordingPlayer &&
                    TaskModule.Type != tmtTaskRecordingEditor)
                    TaskModule.Type = tmtTaskRunner;
            }
        }
    }
}

int LargeDefinition(const QString& Program, const QString& Work, int Rounds)
{
    const QString Folder = Work + QStringLiteral("/large");
    if (!QDir().mkpath(Folder + QStringLiteral("/drivers")) || !QDir().mkpath(Folder + QStringLiteral("/modules/data")))
        return 1;
    TData Data;
    SampleDefinitions::BuildLarge(Data);
    MakeExportable(Data, Folder);
    const QString Definition = Work + QStringLiteral("/large.cpd");
    const QString Package = Work + QStringLiteral("/large.cpk");
    Data.SaveToFile(Definition);

    std::vector<double> Seconds;
    double Peak = 0;
    for (int Round = 0; Round < Rounds; ++Round) {
        const TChildRun Run = RunChild(
            {Program.toStdString(), "/c", "/fd", Definition.toStdString(), "/fp", Package.toStdString(), "-q"});
        if (Run.ExitCode != 0) {
            std::printf("large export exit %d\n", Run.ExitCode);
            return 1;
        }
        Seconds.push_back(Run.Seconds);
        Peak = std::max(Peak, Run.PeakMiB);
    }
    std::printf("Large definition (%.1f MiB definition, %.1f MiB package): 200 code modules x 20 objects x 4 "
                "task modules,\n  2,000 of each data type, 500 interface types, 100 drivers\n",
                double(QFileInfo(Definition).size()) / 1048576.0,
                double(QFileInfo(Package).size()) / 1048576.0);
    std::printf("  command line load + check + export: median %.3f s of %d runs, peak resident %.1f MiB\n",
                Median(Seconds),
                Rounds,
                Peak);

    // The same three steps in this process, to show where the time goes.
    TData Loaded;
    const auto T0 = TClock::now();
    Loaded.LoadFromFile(Definition);
    const auto T1 = TClock::now();
    Loaded.ExportErrorCheck();
    const auto T2 = TClock::now();
    Loaded.ExportToFile(Package);
    const auto T3 = TClock::now();
    const auto Seconds3 = [](TClock::time_point A, TClock::time_point B) {
        return std::chrono::duration<double>(B - A).count();
    };
    std::printf("  in process: load %.3f s, check %.3f s, export %.3f s\n",
                Seconds3(T0, T1),
                Seconds3(T1, T2),
                Seconds3(T2, T3));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication Application(argc, argv);
    const QStringList Arguments = Application.arguments();
    const bool Quick = Arguments.contains(QStringLiteral("--quick"));
    QString Program = QDir(Application.applicationDirPath()).absoluteFilePath(QStringLiteral("../quillon"));
    int Rounds = Quick ? 1 : 3;
    int CopyRounds = Quick ? 1 : 5;
    for (qsizetype I = 1; I + 1 < Arguments.size(); ++I) {
        if (Arguments[I] == QStringLiteral("--copy-rounds"))
            CopyRounds = std::max(1, Arguments[I + 1].toInt());
        if (Arguments[I] == QStringLiteral("--program"))
            Program = Arguments[I + 1];
        if (Arguments[I] == QStringLiteral("--rounds"))
            Rounds = std::max(1, Arguments[I + 1].toInt());
    }
    if (!QFileInfo(Program).isExecutable()) {
        std::printf("quillon not found at %s (use --program)\n", qPrintable(Program));
        return 1;
    }
    QTemporaryDir Work(QStringLiteral("/tmp/quillon-export-bench-XXXXXX"));
    if (!Work.isValid())
        return 1;
    // About 1 GiB in 200 files; --quick makes it 200 files of 256 KiB.
    const qint64 FileSize = Quick ? 256 * 1024 : 1073741824 / 200;
    int Result = Throughput(Program, Work.path(), 200, FileSize, Rounds, CopyRounds);
    const int Large = LargeDefinition(Program, Work.path(), Rounds);
    return Result != 0 ? Result : Large;
}
