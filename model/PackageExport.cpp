#include "model/PackageExport.h"

#include "foundation/FileStream.h"
#include "foundation/FileSystem.h"
#include "foundation/General.h"
#include "foundation/Paths.h"
#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <limits>
#include <optional>
#include <system_error>

namespace {

constexpr uint64_t MaxBlockSize = std::numeric_limits<uint32_t>::max();
// How much of a file is copied between two looks at the cancel flag and two progress reports.
constexpr uint64_t EmbedChunkSize = 8 * 1024 * 1024;

std::function<void(const QString&)>& FileEmbeddedHook()
{
    static std::function<void(const QString&)> Hook;
    return Hook;
}

// Whether the open file still has the size it had before the copy, and the file at LocalName still
// the last-write time read for the package. A file that cannot be asked any more has changed.
bool Unchanged(IQORStream& Source, uint64_t Size, const QString& LocalName, const TFileTimes& Times)
{
    uint64_t SizeNow = 0;
    if (Failed(Source.Seek(0, STREAM_SEEK_END_, &SizeNow)) || SizeNow != Size)
        return false;
    try {
        return GetFileTimes(LocalName).LastWritten == Times.LastWritten;
    } catch (const E_QOR&) {
        return false;
    }
}

// What the support files of one code module stand for. Found before the package file is created,
// so that a pattern never matches the package's own half-written temporary file; a pattern without
// a match is reported where the module's support files are written.
struct TExpansion
{
    std::vector<TSupportFileMatch> Matches;
    QString MissingPattern;
    bool Missing = false;
};

TExpansion Expand(const TCodeModule& Module)
{
    TExpansion Result;
    for (int32_t S = 0; S < Module.SupportFiles.Count(); ++S) {
        const TSupportFile& File = *Module.SupportFiles.Items(S);
        std::vector<TSupportFileMatch> Matches = MatchSupportFile(Module, File);
        if (Matches.empty()) {
            Result.Missing = true;
            Result.MissingPattern = SupportFilePattern(Module, File);
            Result.Matches.clear();
            return Result;
        }
        for (TSupportFileMatch& Match : Matches)
            Result.Matches.push_back(std::move(Match));
    }
    return Result;
}

class TPackageWriter
{
public:
    TPackageWriter(const TData& Data,
                   IQORStream& Stream,
                   std::vector<TExpansion> Expansions,
                   const TExportStamp& Stamp,
                   const TExportProgress* Progress,
                   uint64_t Total)
        : FData(Data), FStream(Stream), FExpansions(std::move(Expansions)), FStamp(Stamp), FProgress(Progress),
          FTotal(Total)
    {}

    void CheckCancelled() const
    {
        if (FProgress && FProgress->Cancel && FProgress->Cancel->load())
            throw E_APP_ExportCancelled();
    }

    void Finished()
    {
        FDone = FTotal;
        Report(QString());
    }

    void Report(const QString& File) const
    {
        if (FProgress && FProgress->Report)
            FProgress->Report(std::min(FDone, FTotal), FTotal, File);
    }

    // Where the export ID stands: a reproducible export fills it in once everything else is written.
    int64_t ExportIDPosition() const { return FExportIDAt; }

    void Write()
    {
        WriteGUID(FStream, PackageTag::File);
        const int64_t Header = BeginSizeBlock(FStream);
        WriteHeader();
        EndBlock(Header);
        FBodyStart = BeginSizeBlock(FStream);
        WriteBody();
        EndBlock(FBodyStart);
    }

private:
    // Only a block that really outgrew its 32-bit size is reported as too large; a stream that
    // fails to go back and fill the size in reports its own failure.
    void EndBlock(int64_t Start)
    {
        if (uint64_t(GetStreamPosition(FStream) - Start - 4) > MaxBlockSize)
            throw E_QOR_SavingError(QStringLiteral("The code package cannot hold 4 GiB or more"));
        EndSizeBlock(FStream, Start);
    }

    void WriteHeader()
    {
        WriteGUID(FStream, PackageTag::Header);
        WriteGUID(FStream, FData.ID);
        FExportIDAt = GetStreamPosition(FStream);
        WriteGUID(FStream, FStamp.Reproducible ? TGUID{} : CreateGUID());
        for (const QString* Text :
             {&FData.Name, &FData.Description, &FData.AboutInformation, &FData.Creator, &FData.SubCreator})
            WriteString(FStream, *Text);
        WriteDateTime(FStream, FStamp.Reproducible ? FStamp.Time : NowUTC());
        WriteBoolean(FStream, FData.AllowExportFromLMS);
        WriteBoolean(FStream, FData.BetaSoftware);
        const int64_t CountAt = BeginCountPlaceholder(FStream);
        int32_t Count = 0;
        for (int32_t C = 0; C < FData.CodeModules.Count(); ++C) {
            const TTaskModuleObjects& Objects = FData.CodeModules.Items(C)->TaskModuleObjects;
            for (int32_t O = 0; O < Objects.Count(); ++O, ++Count)
                WriteGUID(FStream, Objects.Items(O)->ID);
        }
        WriteIntegerAt(FStream, Count, CountAt);
    }

    void BeginSection(const TGUID& Tag, int32_t Count)
    {
        WriteGUID(FStream, Tag);
        WriteInteger(FStream, Count);
    }

    template <class TList> void WriteIDs(const TList& List)
    {
        WriteInteger(FStream, List.Count());
        for (int32_t I = 0; I < List.Count(); ++I)
            WriteGUID(FStream, List.Items(I)->ID);
    }

    // The times a file carries into the package: its own, or the export time in a reproducible
    // export, where a fresh checkout or a touched file must not change the bytes. Returns the
    // file's own times either way: they tell whether it changed while it was embedded.
    TFileTimes WriteTimes(const QString& LocalName)
    {
        const TFileTimes Times = GetFileTimes(LocalName);
        WriteDateTime(FStream, FStamp.Reproducible ? FStamp.Time : Times.Created);
        WriteDateTime(FStream, FStamp.Reproducible ? FStamp.Time : Times.LastWritten);
        return Times;
    }

    // The size and bytes of a file, copied in chunks. Sizes are 32-bit: a file that does not fit,
    // or that would push the body past 4 GiB, is refused before any of its bytes are written. A file
    // that changes while it is copied, or since Times were read for the package, is refused too:
    // the package would hold a torn copy, or stamps that do not belong to its bytes.
    void EmbedFile(const QString& LocalName, uint32_t ShareMode, const TFileTimes& Times)
    {
        TOleFileStream Source;
        Source.Open(LocalName, QOR_OPEN_EXISTING, QOR_GENERIC_READ, ShareMode);
        uint64_t Size = 0;
        if (Failed(Source.Seek(0, STREAM_SEEK_END_, &Size)))
            throw E_QOR_SavingError(FileNameText(LocalName));
        if (Size > MaxBlockSize)
            throw E_QOR_SavingError(FileNameText(LocalName) +
                                    QStringLiteral(". Files of 4 GiB or more cannot be embedded"));
        const uint64_t BodySoFar = uint64_t(GetStreamPosition(FStream) - FBodyStart - 4);
        if (BodySoFar + 4 + Size > MaxBlockSize)
            throw E_QOR_SavingError(FileNameText(LocalName) +
                                    QStringLiteral(". Embedding it would make the code package 4 GiB or more"));
        const auto Changed = [&LocalName] {
            return E_QOR_SavingError(FileNameText(LocalName) +
                                     QStringLiteral(". The file changed while it was being embedded"));
        };
        try {
            CopyBytes(Source, Size, LocalName);
            if (FileEmbeddedHook())
                FileEmbeddedHook()(LocalName);
        } catch (const E_QOR_SavingError&) {
            // A short copy is a full disk under the package unless the source itself changed.
            if (!Unchanged(Source, Size, LocalName, Times))
                throw Changed();
            throw;
        }
        if (!Unchanged(Source, Size, LocalName, Times))
            throw Changed();
    }

    // The size and then the bytes, chunk by chunk, reporting progress and stopping on request between
    // two chunks. A short copy is a saving error, as for any short write.
    void CopyBytes(IQORStream& Source, uint64_t Size, const QString& LocalName)
    {
        if (Failed(Source.Seek(0, STREAM_SEEK_SET_, nullptr)))
            throw E_QOR_SavingError();
        WriteCardinal(FStream, static_cast<uint32_t>(Size));
        Report(LocalName);
        for (uint64_t Copied = 0; Copied < Size;) {
            CheckCancelled();
            const uint64_t Part = std::min(Size - Copied, EmbedChunkSize);
            const uint64_t Got = CopyStreamBytes(FStream, Source, Part);
            Copied += Got;
            FDone += Got;
            Report(LocalName);
            if (Got != Part)
                throw E_QOR_SavingError();
        }
    }

    void WriteBody()
    {
        WriteGUID(FStream, PackageTag::Body);

        BeginSection(PackageTag::TaskTypes, FData.TaskTypes.Count());
        for (int32_t I = 0; I < FData.TaskTypes.Count(); ++I) {
            const TTaskType& Type = *FData.TaskTypes.Items(I);
            WriteGUID(FStream, Type.ID);
            for (const QString* Text : {&Type.Name, &Type.FileNameExtension, &Type.Creator, &Type.SubCreator})
                WriteString(FStream, *Text);
        }
        BeginSection(PackageTag::TaskRecordingTypes, FData.TaskRecordingTypes.Count());
        for (int32_t I = 0; I < FData.TaskRecordingTypes.Count(); ++I) {
            const TTaskRecordingType& Type = *FData.TaskRecordingTypes.Items(I);
            WriteGUID(FStream, Type.ID);
            for (const QString* Text : {&Type.Name, &Type.FileNameExtension, &Type.Creator, &Type.SubCreator})
                WriteString(FStream, *Text);
        }
        BeginSection(PackageTag::TaskResultItemFormats, FData.TaskResultItemFormats.Count());
        for (int32_t I = 0; I < FData.TaskResultItemFormats.Count(); ++I) {
            const TTaskResultItemFormat& Format = *FData.TaskResultItemFormats.Items(I);
            WriteGUID(FStream, Format.ID);
            for (const QString* Text : {&Format.Name, &Format.Description, &Format.Creator, &Format.SubCreator})
                WriteString(FStream, *Text);
        }
        BeginSection(PackageTag::MediaItemFormats, FData.MediaItemFormats.Count());
        for (int32_t I = 0; I < FData.MediaItemFormats.Count(); ++I) {
            const TMediaItemFormat& Format = *FData.MediaItemFormats.Items(I);
            WriteGUID(FStream, Format.ID);
            WriteString(FStream, Format.Name);
            WriteInteger(FStream, Format.MediaItemType);
            for (const QString* Text : {&Format.FileNameExtension, &Format.Creator, &Format.SubCreator})
                WriteString(FStream, *Text);
        }
        BeginSection(PackageTag::InterfaceTypes, FData.InterfaceTypes.Count());
        for (int32_t I = 0; I < FData.InterfaceTypes.Count(); ++I) {
            const TInterfaceType& Type = *FData.InterfaceTypes.Items(I);
            WriteGUID(FStream, Type.ID);
            for (const QString* Text : {&Type.Name, &Type.Creator, &Type.SubCreator})
                WriteString(FStream, *Text);
        }
        BeginSection(PackageTag::Drivers, FData.Drivers.Count());
        for (int32_t I = 0; I < FData.Drivers.Count(); ++I)
            WriteDriver(*FData.Drivers.Items(I));
        BeginSection(PackageTag::CodeModules, FData.CodeModules.Count());
        for (int32_t I = 0; I < FData.CodeModules.Count(); ++I)
            WriteCodeModule(*FData.CodeModules.Items(I), FExpansions[size_t(I)]);
    }

    void WriteDriver(const TDriver& Driver)
    {
        WriteGUID(FStream, Driver.ID);
        WriteString(FStream, Driver.Name);
        WriteString(FStream, Driver.FileName);
        WriteInteger(FStream, Driver.Location);
        WriteInteger(FStream, Driver.ObjectServerType);
        WriteBoolean(FStream, Driver.Register);
        WriteString(FStream, Driver.Creator);
        WriteString(FStream, Driver.SubCreator);
        const QString File = LocalFilePath(ModuleSourcePath(Driver.FilePath, Driver.FileName));
        const TFileTimes Times = WriteTimes(File);
        // Drivers may be in use by others while the package is made.
        EmbedFile(File, 1, Times);
    }

    void WriteCodeModule(const TCodeModule& Module, const TExpansion& Expansion)
    {
        const bool Embedded = Module.Location == cmlEmbedded;
        if (!Embedded && Module.Location != cmlLinked)
            throw E_QOR_EnumerationOutOfRange();
        const QString Source = ModuleSourcePath(Module.FilePath, Module.FileName);
        // A linked module's file is never looked for.
        const QString LocalSource = Embedded ? LocalFilePath(Source) : QString();

        WriteGUID(FStream, Module.ID);
        WriteString(FStream, Module.Name);
        WriteString(FStream, Embedded ? Module.FileName : CombinePackagePath(Module.FilePath, Module.FileName));
        WriteInteger(FStream, Module.Location);
        WriteInteger(FStream, Module.ObjectServerType);
        WriteBoolean(FStream, Module.Register);
        WriteBoolean(FStream, Module.UseDirectActivation);
        WriteBoolean(FStream, Module.RunFromSourceLocation);
        WriteString(FStream, Source);
        WriteString(FStream, Module.Creator);
        WriteString(FStream, Module.SubCreator);
        TFileTimes Times;
        if (Embedded) {
            Times = WriteTimes(LocalSource);
        } else {
            WriteDateTime(FStream, 0.0);
            WriteDateTime(FStream, 0.0);
        }
        WriteIDs(Module.HostInterfaces);
        WriteIDs(Module.ModuleInterfaces);
        WriteIDs(FData.Drivers);
        if (Embedded)
            EmbedFile(LocalSource, 0, Times);
        else
            WriteCardinal(FStream, 0);

        BeginSection(PackageTag::TaskModuleObjects, Module.TaskModuleObjects.Count());
        for (int32_t O = 0; O < Module.TaskModuleObjects.Count(); ++O)
            WriteTaskModuleObject(*Module.TaskModuleObjects.Items(O));

        BeginSection(PackageTag::CommandLineTools, Module.CommandLineTools.Count());
        for (int32_t T = 0; T < Module.CommandLineTools.Count(); ++T) {
            const TCommandLineTool& Tool = *Module.CommandLineTools.Items(T);
            WriteGUID(FStream, Tool.ID);
            WriteString(FStream, Tool.Name);
            WriteString(FStream, Tool.CommandLineArguments);
            WriteStrings(FStream, Tool.ToolCategories);
            WriteBoolean(FStream, Tool.AccessibleByServiceEngineers);
            WriteBoolean(FStream, Tool.AccessibleBySystemAdministrators);
            WriteBoolean(FStream, Tool.AccessibleByTrainers);
            WriteBoolean(FStream, Tool.AccessibleByStudents);
            WriteBoolean(FStream, Tool.RunAsAdministrator);
        }

        if (Expansion.Missing)
            throw E_APP_ExportError(SupportFileNotFoundMessage(Expansion.MissingPattern));
        BeginSection(PackageTag::SupportFiles, static_cast<int32_t>(Expansion.Matches.size()));
        for (const TSupportFileMatch& Match : Expansion.Matches) {
            const QString LocalMatch = LocalFilePath(Match.Source);
            WriteString(FStream, Match.Target);
            WriteBoolean(FStream, Match.InstallIntoGAC);
            const TFileTimes Times = WriteTimes(LocalMatch);
            EmbedFile(LocalMatch, 0, Times);
        }
    }

    void WriteTaskModuleObject(const TTaskModuleObject& Object)
    {
        WriteGUID(FStream, Object.ID);
        WriteString(FStream, Object.Name);
        WriteString(FStream, Object.FullTypeName);
        WriteBoolean(FStream, Object.RunOutOfProcess);
        WriteBoolean(FStream, Object.DelayBeforeReturningToHost);
        WriteGUID(FStream, Object.Configurator ? Object.Configurator->ID : TGUID{});
        WriteGUID(FStream, Object.CommandEditor ? Object.CommandEditor->ID : TGUID{});
        WriteBoolean(FStream, Object.LMSNotesSupported);
        WriteInteger(FStream, Object.PreferredWidth);
        WriteInteger(FStream, Object.PreferredHeight);
        WriteStrings(FStream, Object.ToolCategories);
        WriteBoolean(FStream, Object.AccessibleByServiceEngineers);
        WriteBoolean(FStream, Object.AccessibleBySystemAdministrators);
        WriteBoolean(FStream, Object.AccessibleByTrainers);
        WriteBoolean(FStream, Object.AccessibleByStudents);

        BeginSection(PackageTag::TaskModules, Object.TaskModules.Count());
        for (int32_t T = 0; T < Object.TaskModules.Count(); ++T) {
            const TTaskModule& Module = *Object.TaskModules.Items(T);
            WriteGUID(FStream, Module.ID);
            WriteInteger(FStream, Module.Type);
            WriteBoolean(FStream, Module.SupportsMultipleItems);
            WriteIDs(Module.InputTaskTypes);
            WriteIDs(Module.OutputTaskTypes);
            WriteIDs(Module.InputTaskRecordingTypes);
            WriteIDs(Module.OutputTaskRecordingTypes);
            WriteIDs(Module.InputTaskResultItemFormats);
            WriteIDs(Module.OutputTaskResultItemFormats);
            WriteIDs(Module.OutputMediaItemFormats);
        }
    }

    const TData& FData;
    IQORStream& FStream;
    std::vector<TExpansion> FExpansions;
    const TExportStamp& FStamp;
    const TExportProgress* FProgress = nullptr;
    uint64_t FTotal = 0;
    uint64_t FDone = 0;
    int64_t FBodyStart = 0;
    int64_t FExportIDAt = 0;
};

// Passes everything on and hashes what is written, in the order written.
class THashingStream : public TStreamWrapper
{
public:
    explicit THashingStream(IQORStream& Inner) : TStreamWrapper(IQORStreamPtr(&Inner, [](IQORStream*) {})) {}

    HResult Write(const void* Source, uint32_t Count, uint32_t* CountWritten) override
    {
        FHash.addData(QByteArrayView(static_cast<const char*>(Source), Count));
        return TStreamWrapper::Write(Source, Count, CountWritten);
    }

    // A name-based GUID (version 5 layout) from the hash of everything written.
    TGUID DerivedGUID() const
    {
        QByteArray Digest = FHash.result().left(16);
        Digest[7] = char((Digest[7] & 0x0F) | 0x50);
        Digest[8] = char((Digest[8] & 0x3F) | 0x80);
        return TGUID::FromBytes(reinterpret_cast<const uint8_t*>(Digest.constData()));
    }

private:
    QCryptographicHash FHash{QCryptographicHash::Sha256};
};

} // namespace

QString FileExtension(const QString& FileName)
{
    const QString Name = FileName.mid(FolderPart(FileName).size());
    const qsizetype Dot = Name.lastIndexOf(QLatin1Char('.'));
    return Dot < 0 ? QString() : Name.mid(Dot);
}

QString SupportFilePattern(const TCodeModule& Module, const TSupportFile& File)
{
    if (HasDrive(File.SourceFilePath))
        return CombinePath(File.SourceFilePath, File.SourceFileName);
    return CombinePath(CombinePath(Module.FilePath, File.SourceFilePath), File.SourceFileName);
}

QString SupportFileNotFoundMessage(const QString& Pattern)
{
    return QStringLiteral("Support file not found at '") + Pattern + QStringLiteral("'.");
}

std::vector<TSupportFileMatch> MatchSupportFile(const TCodeModule& Module, const TSupportFile& File)
{
    const QString Pattern = SupportFilePattern(Module, File);
    const QString Folder = FolderPart(Pattern);
    std::vector<TSupportFileMatch> Matches;
    for (const QString& Name : FindMatchingFiles(Pattern))
        Matches.push_back(
            {CombinePath(Folder, Name), CombinePackagePath(File.TargetRelativePath, Name), File.InstallIntoGAC});
    return Matches;
}

std::vector<TSupportFileMatch> ExpandSupportFiles(const TCodeModule& Module)
{
    TExpansion Expansion = Expand(Module);
    if (Expansion.Missing)
        throw E_APP_ExportError(SupportFileNotFoundMessage(Expansion.MissingPattern));
    return std::move(Expansion.Matches);
}

QString BetaExportQuestionText()
{
    return QStringLiteral("This code package is marked 'Beta software'. Do you want to continue?");
}

void TData::ConfirmBetaExport() const
{
    if (!BetaSoftware)
        return;
    const TMessageResult Answer = UserSeam().ShowMessage(
        nullptr, BetaExportQuestionText(), ApplicationTitle(), TMessageButtons::YesNoCancel, TMessageIcon::Question);
    if (Answer != TMessageResult::Yes)
        throw E_QOR_OperationCancelled();
}

void TData::ExportToFile(const QString& FileName) const
{
    ExportPackageFile(*this, FileName, TExportStamp());
}

namespace {

uint64_t SizeOfFile(const QString& LocalName)
{
    const QFileInfo Info(LocalName);
    return Info.isFile() ? uint64_t(Info.size()) : 0;
}

// The bytes of every file the package embeds, as the files are now: the whole of the progress.
uint64_t EmbeddedBytes(const TData& Data, const std::vector<TExpansion>& Expansions)
{
    uint64_t Total = 0;
    for (int32_t D = 0; D < Data.Drivers.Count(); ++D) {
        const TDriver& Driver = *Data.Drivers.Items(D);
        Total += SizeOfFile(LocalFilePath(ModuleSourcePath(Driver.FilePath, Driver.FileName)));
    }
    for (int32_t C = 0; C < Data.CodeModules.Count(); ++C) {
        const TCodeModule& Module = *Data.CodeModules.Items(C);
        if (Module.Location == cmlEmbedded)
            Total += SizeOfFile(LocalFilePath(ModuleSourcePath(Module.FilePath, Module.FileName)));
        for (const TSupportFileMatch& Match : Expansions[size_t(C)].Matches)
            Total += SizeOfFile(LocalFilePath(Match.Source));
    }
    return Total;
}

} // namespace

void ExportPackageFile(const TData& Data,
                       const QString& FileName,
                       const TExportStamp& Stamp,
                       const TExportProgress* Progress)
{
    std::vector<TExpansion> Expansions;
    Expansions.reserve(size_t(Data.CodeModules.Count()));
    for (int32_t C = 0; C < Data.CodeModules.Count(); ++C)
        Expansions.push_back(Expand(*Data.CodeModules.Items(C)));
    const uint64_t Total = Progress ? EmbeddedBytes(Data, Expansions) : 0;

    // The target is replaced at the commit only: a failure or a cancel on the way leaves it as it was.
    TOleFileStream Stream;
    Stream.Open(FileName, QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
    std::optional<TPackageWriter> Writer;
    if (!Stamp.Reproducible) {
        Writer.emplace(Data, Stream, std::move(Expansions), Stamp, Progress, Total);
        Writer->Write();
    } else {
        THashingStream Hashing(Stream);
        Writer.emplace(Data, Hashing, std::move(Expansions), Stamp, Progress, Total);
        Writer->Write();
        const int64_t End = GetStreamPosition(Stream);
        SetStreamPosition(Stream, Writer->ExportIDPosition());
        WriteGUID(Stream, Hashing.DerivedGUID());
        SetStreamPosition(Stream, End);
    }
    // The last chance to keep the previous package.
    Writer->CheckCancelled();
    // A pipe receives the package only here, and its reader may be gone.
    try {
        CommitStream(Stream);
    } catch (const E_QOR_SavingError&) {
        AddSentenceAndRethrow(FileNameText(FileName));
    }
    Writer->Finished();
}

void RefuseExportOverDefinition(const QString& DefinitionFile, const QString& PackageFile)
{
    std::error_code Error;
    const bool Same = std::filesystem::equivalent(std::filesystem::path(LocalFilePath(DefinitionFile).toStdU16String()),
                                                  std::filesystem::path(LocalFilePath(PackageFile).toStdU16String()),
                                                  Error);
    if (!Error && Same)
        throw E_QOR_SavingError(QStringLiteral("The code package file would replace its own definition file '") +
                                LocalFilePath(DefinitionFile) + QStringLiteral("'"));
}

void SetFileEmbeddedHookForTesting(std::function<void(const QString& LocalName)> Hook)
{
    FileEmbeddedHook() = std::move(Hook);
}
