#include "model/PackageExport.h"

#include "foundation/FileSystem.h"
#include "foundation/General.h"
#include "foundation/Paths.h"
#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "foundation/UserSeam.h"
#include "model/Data.h"

#include <QDir>

#include <filesystem>
#include <limits>
#include <system_error>

namespace {

constexpr uint64_t MaxBlockSize = std::numeric_limits<uint32_t>::max();

QString FileNameText(const QString& FileName)
{
    return QStringLiteral("File name='") + FileName + QStringLiteral("'");
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
        const QString Pattern = SupportFilePattern(Module, File);
        const QStringList Names = FindMatchingFiles(Pattern);
        if (Names.isEmpty()) {
            Result.Missing = true;
            Result.MissingPattern = Pattern;
            Result.Matches.clear();
            return Result;
        }
        const QString Folder = FolderPart(Pattern);
        for (const QString& Name : Names)
            Result.Matches.push_back(
                {CombinePath(Folder, Name), CombinePath(File.TargetRelativePath, Name), File.InstallIntoGAC});
    }
    return Result;
}

class TPackageWriter
{
public:
    TPackageWriter(const TData& Data, IQORStream& Stream, std::vector<TExpansion> Expansions)
        : FData(Data), FStream(Stream), FExpansions(std::move(Expansions))
    {}

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
    void EndBlock(int64_t Start)
    {
        try {
            EndSizeBlock(FStream, Start);
        } catch (...) {
            AddSentenceAndRethrow(QStringLiteral("The code package cannot hold 4 GiB or more."));
        }
    }

    void WriteHeader()
    {
        WriteGUID(FStream, PackageTag::Header);
        WriteGUID(FStream, FData.ID);
        WriteGUID(FStream, CreateGUID());
        for (const QString* Text :
             {&FData.Name, &FData.Description, &FData.AboutInformation, &FData.Creator, &FData.SubCreator})
            WriteString(FStream, *Text);
        WriteDateTime(FStream, NowUTC());
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

    void WriteTimes(const QString& LocalName)
    {
        const TFileTimes Times = GetFileTimes(LocalName);
        WriteDateTime(FStream, Times.Created);
        WriteDateTime(FStream, Times.LastWritten);
    }

    // The size and bytes of a file, copied in chunks. Sizes are 32-bit: a file that does not fit,
    // or that would push the body past 4 GiB, is refused before any of its bytes are written.
    void EmbedFile(const QString& LocalName, uint32_t ShareMode)
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
        // A short copy may as well be a full disk under the package as a source that shrank, so the
        // saving error names no file.
        WriteStreamWithSize(FStream, Source);
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
        WriteTimes(File);
        // Drivers may be in use by others while the package is made.
        EmbedFile(File, 1);
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
        WriteString(FStream, Embedded ? Module.FileName : CombinePath(Module.FilePath, Module.FileName));
        WriteInteger(FStream, Module.Location);
        WriteInteger(FStream, Module.ObjectServerType);
        WriteBoolean(FStream, Module.Register);
        WriteBoolean(FStream, Module.UseDirectActivation);
        WriteBoolean(FStream, Module.RunFromSourceLocation);
        WriteString(FStream, Source);
        WriteString(FStream, Module.Creator);
        WriteString(FStream, Module.SubCreator);
        if (Embedded) {
            WriteTimes(LocalSource);
        } else {
            WriteDateTime(FStream, 0.0);
            WriteDateTime(FStream, 0.0);
        }
        WriteIDs(Module.HostInterfaces);
        WriteIDs(Module.ModuleInterfaces);
        WriteIDs(FData.Drivers);
        if (Embedded)
            EmbedFile(LocalSource, 0);
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
            WriteTimes(LocalMatch);
            EmbedFile(LocalMatch, 0);
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
    int64_t FBodyStart = 0;
};

} // namespace

QString ModuleSourcePath(const QString& FilePath, const QString& FileName)
{
    return FilePath + QDir::separator() + FileName;
}

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
    std::vector<TExpansion> Expansions;
    Expansions.reserve(size_t(CodeModules.Count()));
    for (int32_t C = 0; C < CodeModules.Count(); ++C)
        Expansions.push_back(Expand(*CodeModules.Items(C)));

    // The target is replaced at the commit only: a failure on the way leaves it as it was.
    TOleFileStream Stream;
    Stream.Open(FileName, QOR_CREATE_ALWAYS, QOR_GENERIC_WRITE, 0);
    TPackageWriter(*this, Stream, std::move(Expansions)).Write();
    CommitStream(Stream);
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
