#include "model/SupportFile.h"

#include "foundation/Paths.h"
#include "foundation/StreamPrimitives.h"
#include "model/FormatTags.h"
#include "model/PackagePaths.h"

QOR_IMPLEMENT_CLASS(TSupportFile, TQORObject, "{DF027A53-E56B-49A5-8F3A-78747C854FA5}", &QORCreate<TSupportFile>)

void TSupportFile::Assign(const TQORObject* Source, bool KeepReferences)
{
    const auto& From = AssignSource<TSupportFile>(*this, Source);
    SourceFilePath = From.SourceFilePath;
    SourceFileName = From.SourceFileName;
    TargetRelativePath = From.TargetRelativePath;
    InstallIntoGAC = From.InstallIntoGAC;
}

void TSupportFile::Clear()
{
    SourceFilePath.clear();
    SourceFileName.clear();
    TargetRelativePath.clear();
    InstallIntoGAC = false;
}

void TSupportFile::LoadFromStream(IQORStream& Stream)
{
    Clear();
    CheckFormatTag(ReadGUID(Stream), FormatTag::SupportFile);
    SourceFilePath = ReadString(Stream);
    SourceFileName = ReadString(Stream);
    TargetRelativePath = ReadString(Stream);
    InstallIntoGAC = ReadBoolean(Stream);
}

void TSupportFile::SaveToStream(IQORStream& Stream) const
{
    WriteGUID(Stream, FormatTag::SupportFile);
    WriteString(Stream, SourceFilePath);
    WriteString(Stream, SourceFileName);
    WriteString(Stream, TargetRelativePath);
    WriteBoolean(Stream, InstallIntoGAC);
}

QOR_IMPLEMENT_CLASS(TSupportFiles, TModelList, nullptr, nullptr)

TSupportFiles::TSupportFiles() : TModelList(&TSupportFile::StaticClass(), true) {}

const TGUID& TSupportFiles::FormatTag() const
{
    return FormatTag::SupportFiles;
}

TQORList* TSupportFiles::CreateList(bool OwnsItems) const
{
    return new TSupportFiles();
}

int TSupportFiles::Compare(const TQORObject* A, const TQORObject* B) const
{
    const auto* FileA = static_cast<const TSupportFile*>(A);
    const auto* FileB = static_cast<const TSupportFile*>(B);
    // Joined as on Windows, so that a list sorts as it does in a definition made there.
    return CompareOrdinal(CombinePackagePath(FileA->SourceFilePath, FileA->SourceFileName),
                          CombinePackagePath(FileB->SourceFilePath, FileB->SourceFileName));
}
