#pragma once

// Runs quillon-cli in-process and gathers the definitions the command suites go over.

#include "cli/Cli.h"
#include "samples/SampleDefinitions.h"
#include "samples/SampleFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

struct TCliRun
{
    int ExitCode = -1;
    QString Out;
    QString Err;
};

inline TCliRun RunCliWith(const QStringList& Arguments, std::optional<QByteArray> SourceDateEpoch = std::nullopt)
{
    QBuffer Out;
    QBuffer Err;
    Out.open(QIODevice::WriteOnly);
    Err.open(QIODevice::WriteOnly);
    TCliIO IO{Out, Err, std::move(SourceDateEpoch)};
    TCliRun Result;
    Result.ExitCode = RunCli(Arguments, IO);
    Result.Out = QString::fromUtf8(Out.data());
    Result.Err = QString::fromUtf8(Err.data());
    return Result;
}

// The samples (empty, rich, one per older layout), the example, and every file of the definition
// fuzz corpus, loadable or not.
inline std::vector<SampleDefinitions::TNamedDefinition> AllDefinitionFiles()
{
    using namespace SampleDefinitions;
    std::vector<TNamedDefinition> Result = SampleDefinitionFiles();
    const QString Root = QStringLiteral(QUILLON_TEST_DATA "/..");
    QFile Example(Root + QStringLiteral("/../examples/Demo/Demo.cpd"));
    if (Example.open(QIODevice::ReadOnly))
        Result.push_back({QStringLiteral("example"), Example.readAll()});
    const QDir Corpus(Root + QStringLiteral("/fuzz/corpus/fuzz_definition"));
    for (const QString& Name : Corpus.entryList(QDir::Files, QDir::Name)) {
        QFile File(Corpus.filePath(Name));
        if (File.open(QIODevice::ReadOnly))
            Result.push_back({QStringLiteral("corpus-") + Name, File.readAll()});
    }
    return Result;
}
