#pragma once

// What quillon-sample writes: the sample definitions as files, and one clipboard payload per
// element class. Tests use the same functions, so what they check is what the tool hands out.

#include "foundation/ObjectClipboard.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "model/Data.h"
#include "model/ElementRegistry.h"
#include "tests/support/SampleDefinitions.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

#include <vector>

namespace SampleDefinitions {

constexpr const char* DefinitionExtension = ".cpd";
constexpr const char* PayloadExtension = ".clip";

// The empty package, the rich one and one per older record layout, by file name without extension.
inline std::vector<TNamedDefinition> SampleDefinitionFiles()
{
    std::vector<TNamedDefinition> Result;
    TData Empty;
    Result.push_back({QStringLiteral("empty"), SaveToBytes(Empty)});
    TData Rich;
    BuildRich(Rich);
    Result.push_back({QStringLiteral("rich"), SaveToBytes(Rich)});
    for (TNamedDefinition& Older : OlderLayoutDefinitions())
        Result.push_back(std::move(Older));
    return Result;
}

// One clipboard payload for each class the element registry lets travel, taken from the rich
// package and named after the class.
inline std::vector<TNamedDefinition> SamplePayloads()
{
    RegisterElementClasses();
    TData Rich;
    BuildRich(Rich);
    const TCodeModule* Engine = Rich.CodeModules.Items(0);
    const TQORObject* Elements[] = {Rich.TaskTypes.Items(0),
                                    Rich.TaskRecordingTypes.Items(0),
                                    Rich.TaskResultItemFormats.Items(0),
                                    Rich.MediaItemFormats.Items(0),
                                    Rich.InterfaceTypes.Items(0),
                                    &Rich.Drivers,
                                    Rich.Drivers.Items(0),
                                    Engine,
                                    Engine->TaskModuleObjects.Items(0),
                                    Engine->SupportFiles.Items(0),
                                    Engine->CommandLineTools.Items(0)};
    std::vector<TNamedDefinition> Result;
    for (const TQORObject* Element : Elements) {
        TMemoryStream Stream;
        TQORObjectClipboard::CopyToStream(*Element, Stream);
        Result.push_back({Element->ClassName(), Stream.Data()});
    }
    return Result;
}

// Replaces FileName only once every byte is written.
inline void WriteBytesToFile(const QString& FileName, const QByteArray& Bytes)
{
    TOleFileStream Stream;
    Stream.Open(FileName, QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
    uint32_t Written = 0;
    const auto Size = static_cast<uint32_t>(Bytes.size());
    if (Failed(Stream.Write(Bytes.constData(), Size, &Written)) || Written != Size)
        throw E_QOR_SavingError(QStringLiteral("File name='%1'").arg(FileName));
    CommitStream(Stream);
}

// Writes each named file into Folder (created when missing); answers the paths written.
inline QStringList
WriteNamedFiles(const QString& Folder, const std::vector<TNamedDefinition>& Files, const char* Extension)
{
    if (!QDir().mkpath(Folder))
        throw E_QOR_ErrorCreatingFile(QStringLiteral("Folder='%1'").arg(Folder));
    QStringList Written;
    for (const TNamedDefinition& File : Files) {
        const QString FileName = QDir(Folder).filePath(File.Name + QString::fromLatin1(Extension));
        WriteBytesToFile(FileName, File.Bytes);
        Written.append(FileName);
    }
    return Written;
}

} // namespace SampleDefinitions
