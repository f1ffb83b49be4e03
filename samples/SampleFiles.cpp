#include "samples/SampleFiles.h"

#include "foundation/ObjectClipboard.h"
#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "model/ElementRegistry.h"

#include <QDir>

namespace SampleDefinitions {

std::vector<TNamedDefinition> SampleDefinitionFiles()
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

std::vector<const TQORObject*> PayloadElements(const TData& Rich)
{
    const TCodeModule* Engine = Rich.CodeModules.Items(0);
    return {Rich.TaskTypes.Items(0),
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
}

std::vector<TNamedDefinition> SamplePayloads()
{
    RegisterElementClasses();
    TData Rich;
    BuildRich(Rich);
    std::vector<TNamedDefinition> Result;
    for (const TQORObject* Element : PayloadElements(Rich)) {
        TMemoryStream Stream;
        TQORObjectClipboard::CopyToStream(*Element, Stream);
        Result.push_back({Element->ClassName(), Stream.Data()});
    }
    return Result;
}

void WriteBytesToFile(const QString& FileName, const QByteArray& Bytes)
{
    TOleFileStream Stream;
    Stream.Open(FileName, QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
    uint32_t Written = 0;
    const auto Size = static_cast<uint32_t>(Bytes.size());
    if (Failed(Stream.Write(Bytes.constData(), Size, &Written)) || Written != Size)
        throw E_QOR_SavingError(QStringLiteral("File name='%1'").arg(FileName));
    CommitStream(Stream);
}

QStringList WriteNamedFiles(const QString& Folder, const std::vector<TNamedDefinition>& Files, const char* Extension)
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
