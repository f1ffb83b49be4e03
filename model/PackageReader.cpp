#include "model/PackageReader.h"

#include "foundation/QORExceptions.h"
#include "model/Enumerations.h"
#include "model/PackageExport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

namespace {

// Strings longer than this are refused before anything is allocated for them; no field of a real
// package comes near it.
constexpr int32_t MaximumStringLength = 16 * 1024 * 1024;
constexpr int64_t ChunkSize = 1 << 20;

const char* const ListNames[] = {"Task types",
                                 "Task recording types",
                                 "Task result item formats",
                                 "Media item formats",
                                 "Interface types",
                                 "Drivers",
                                 "Code modules",
                                 "Task module objects",
                                 "Task modules",
                                 "Command line tools",
                                 "Support files"};

class TQtHasher : public IPackageHasher
{
public:
    void Add(const char* Bytes, int64_t Count) override { FHash.addData(QByteArrayView(Bytes, Count)); }
    QByteArray Result() override { return FHash.result(); }

private:
    QCryptographicHash FHash{QCryptographicHash::Sha256};
};

std::unique_ptr<IPackageHasher> QtHasher()
{
    return std::make_unique<TQtHasher>();
}

class TPackageParser
{
public:
    TPackageParser(QIODevice& Device, const TPackageReadOptions& Options) : FDevice(Device), FOptions(Options) {}

    TPackageContents Read();

private:
    [[noreturn]] void Fail(int64_t Offset, const QString& What) const
    {
        throw E_QOR_LoadingError(QStringLiteral("Offset %1: %2").arg(Offset).arg(What));
    }

    void Need(int64_t Count, const char* What)
    {
        if (Count > FLimit - FPosition)
            Fail(FPosition,
                 QStringLiteral("%1 (%2 bytes) runs past the end of its block at offset %3")
                     .arg(QLatin1String(What))
                     .arg(Count)
                     .arg(FLimit));
    }

    void ReadBytes(void* Target, int64_t Count, const char* What)
    {
        Need(Count, What);
        if (FDevice.read(static_cast<char*>(Target), Count) != Count)
            Fail(FPosition, QStringLiteral("the file could not be read"));
        FPosition += Count;
    }

    TGUID GUID(const char* What)
    {
        uint8_t Bytes[16];
        ReadBytes(Bytes, 16, What);
        return TGUID::FromBytes(Bytes);
    }
    uint32_t Cardinal(const char* What)
    {
        uint8_t B[4];
        ReadBytes(B, 4, What);
        return uint32_t(B[0]) | uint32_t(B[1]) << 8 | uint32_t(B[2]) << 16 | uint32_t(B[3]) << 24;
    }
    int32_t Integer(const char* What) { return static_cast<int32_t>(Cardinal(What)); }
    bool Boolean(const char* What)
    {
        uint8_t Byte = 0;
        ReadBytes(&Byte, 1, What);
        return Byte != 0;
    }
    TDateTime DateTime(const char* What)
    {
        uint8_t B[8];
        ReadBytes(B, 8, What);
        uint64_t Bits = 0;
        for (int I = 7; I >= 0; --I)
            Bits = Bits << 8 | B[I];
        TDateTime Value;
        std::memcpy(&Value, &Bits, sizeof Value);
        return Value;
    }
    // A string's bytes go through one buffer that is kept: only the text itself is allocated.
    QString String(const char* What)
    {
        const int32_t Length = StringLength(What);
        if (Length == 0)
            return {};
        FBytes.resize(Length);
        ReadBytes(FBytes.data(), Length, What);
        return FromAnsi(FBytes);
    }
    // A string that nothing keeps: checked like any other, then passed over.
    void SkipString(const char* What)
    {
        const int32_t Length = StringLength(What);
        FPosition += Length;
        if (!FDevice.seek(FPosition))
            Fail(FPosition, QStringLiteral("the file could not be read"));
    }
    int32_t StringLength(const char* What)
    {
        const int64_t At = FPosition;
        const int32_t Length = Integer(What);
        if (Length < 0 || Length > MaximumStringLength)
            Fail(At, QStringLiteral("%1 has an impossible length %2").arg(QLatin1String(What)).arg(Length));
        Need(Length, What);
        return Length;
    }
    // A count whose items, at MinimumSize bytes each, must fit in what is left of the block.
    int32_t Count(const char* What, int64_t MinimumSize)
    {
        const int64_t At = FPosition;
        const int32_t Value = Integer(What);
        if (Value < 0 || Value * MinimumSize > FLimit - FPosition)
            Fail(At,
                 QStringLiteral("%1 %2 is more than the rest of the block can hold")
                     .arg(QLatin1String(What))
                     .arg(Value));
        return Value;
    }
    void Tag(const TGUID& Expected, const char* What)
    {
        const int64_t At = FPosition;
        if (GUID(What) != Expected)
            Fail(At, QStringLiteral("expected the tag of %1 %2").arg(QLatin1String(What), Expected.ToString()));
    }
    void GUIDList(const char* What)
    {
        const int32_t N = Count(What, 16);
        for (int32_t I = 0; I < N; ++I)
            GUID(What);
    }
    void Strings(const char* What)
    {
        const int32_t N = Count(What, 4);
        for (int32_t I = 0; I < N; ++I)
            SkipString(What);
    }
    // Begins a section: its tag and its count; records are at least MinimumSize bytes.
    int32_t Section(const TGUID& Expected, TPackageList List, int32_t Owner, int64_t MinimumSize)
    {
        const int64_t At = FPosition;
        Tag(Expected, ListNames[int(List)]);
        const int32_t N = Count(ListNames[int(List)], MinimumSize);
        FContents.Sections.push_back({List, Owner, N, At});
        return N;
    }
    // Adds an element and answers its index.
    int32_t Element(TPackageList List, int32_t Owner, const TGUID& ID, const QString& Name)
    {
        FContents.Elements.push_back({Owner, List, ID, Name});
        return int32_t(FContents.Elements.size() - 1);
    }
    void EmbeddedFile(
        const QString& Kind, const QString& Owner, const QString& Target, TDateTime Created, TDateTime LastWritten);

    void ReadHeader();
    void ReadBody();
    void ReadDataTypes(const TGUID& Tag, TPackageList List);
    void ReadDriver();
    void ReadCodeModule();
    void ReadTaskModuleObject(int32_t Module);

    QIODevice& FDevice;
    const TPackageReadOptions& FOptions;
    TPackageContents FContents;
    int64_t FPosition = 0;
    int64_t FLimit = 0;
    std::unique_ptr<char[]> FChunk;
    int64_t FChunkSize = 0;
    QByteArray FBytes;
    // One hash of no bytes serves every empty file.
    QByteArray FEmptyHash;
};

void TPackageParser::EmbeddedFile(
    const QString& Kind, const QString& Owner, const QString& Target, TDateTime Created, TDateTime LastWritten)
{
    TPackageEmbeddedFile File{Kind, Owner, Target, Created, LastWritten, 0, 0, {}};
    File.Size = Cardinal("embedded file size");
    File.Offset = FPosition;
    Need(File.Size, "embedded file");
    if (FOptions.HashFiles && File.Size == 0 && !FEmptyHash.isNull()) {
        File.SHA256 = FEmptyHash;
    } else if (FOptions.HashFiles) {
        // Never more room than the largest file met needs, and never more than one chunk.
        const int64_t Room = std::min<int64_t>(ChunkSize, File.Size);
        if (Room > FChunkSize) {
            FChunk = std::make_unique<char[]>(size_t(Room));
            FChunkSize = Room;
        }
        const std::unique_ptr<IPackageHasher> Hash = FOptions.Hasher ? FOptions.Hasher() : QtHasher();
        for (int64_t Left = File.Size; Left > 0;) {
            const int64_t Piece = std::min(Left, ChunkSize);
            ReadBytes(FChunk.get(), Piece, "embedded file");
            Hash->Add(FChunk.get(), Piece);
            Left -= Piece;
        }
        File.SHA256 = Hash->Result();
        if (File.Size == 0)
            FEmptyHash = File.SHA256;
    } else {
        FPosition += File.Size;
        if (!FDevice.seek(FPosition))
            Fail(FPosition, QStringLiteral("the file could not be read"));
    }
    FContents.Files.push_back(std::move(File));
}

void TPackageParser::ReadHeader()
{
    TPackageHeader& Header = FContents.Header;
    Tag(PackageTag::Header, "header");
    Header.ID = GUID("package ID");
    Header.ExportID = GUID("export ID");
    Header.Name = String("package name");
    Header.Description = String("description");
    Header.AboutInformation = String("About information");
    Header.Creator = String("creator");
    Header.SubCreator = String("sub creator");
    Header.ExportTime = DateTime("export time");
    Header.AllowExportFromLMS = Boolean("allow export from LMS flag");
    Header.BetaSoftware = Boolean("beta software flag");
    const int32_t Objects = Count("task module object count", 16);
    Header.TaskModuleObjectIDs.reserve(size_t(Objects));
    for (int32_t I = 0; I < Objects; ++I)
        Header.TaskModuleObjectIDs.push_back(GUID("task module object ID"));
}

void TPackageParser::ReadDataTypes(const TGUID& Tag, TPackageList List)
{
    const bool Media = List == TPackageList::MediaItemFormats;
    // ID and name; then the media item type; then extension or description, creator and sub
    // creator, where interface types have only the last two.
    const bool ThirdField = List != TPackageList::InterfaceTypes;
    const int32_t N = Section(Tag, List, -1, 16 + 4 + (Media ? 4 : 0) + (ThirdField ? 4 : 0) + 4 + 4);
    for (int32_t I = 0; I < N; ++I) {
        const TGUID ID = GUID("ID");
        const QString ElementName = String("name");
        if (Media)
            Integer("media item type");
        if (ThirdField)
            SkipString("third field");
        SkipString("creator");
        SkipString("sub creator");
        Element(List, -1, ID, ElementName);
    }
}

void TPackageParser::ReadDriver()
{
    const TGUID ID = GUID("driver ID");
    const QString Name = String("driver name");
    const QString FileName = String("driver file name");
    Integer("driver location");
    Integer("driver object server type");
    Boolean("driver register flag");
    SkipString("creator");
    SkipString("sub creator");
    const TDateTime Created = DateTime("creation time");
    const TDateTime Written = DateTime("last-write time");
    const int32_t Driver = Element(TPackageList::Drivers, -1, ID, Name);
    EmbeddedFile(QStringLiteral("driver"), FContents.PathOf(Driver), FileName, Created, Written);
}

void TPackageParser::ReadTaskModuleObject(int32_t Module)
{
    const TGUID ID = GUID("task module object ID");
    const QString Name = String("task module object name");
    const int32_t Object = Element(TPackageList::TaskModuleObjects, Module, ID, Name);
    SkipString("full type name");
    Boolean("run out of process flag");
    Boolean("delay flag");
    GUID("configurator ID");
    GUID("command editor ID");
    Boolean("LMS notes flag");
    Integer("preferred width");
    Integer("preferred height");
    Strings("tool categories");
    for (int I = 0; I < 4; ++I)
        Boolean("access flag");
    const int32_t Modules = Section(PackageTag::TaskModules, TPackageList::TaskModules, Object, 16 + 4 + 1 + 7 * 4);
    for (int32_t M = 0; M < Modules; ++M) {
        const TGUID ModuleID = GUID("task module ID");
        const int32_t Type = Integer("task module type");
        Boolean("supports multiple items flag");
        for (int L = 0; L < 7; ++L)
            GUIDList("data type ID list");
        Element(TPackageList::TaskModules,
                Object,
                ModuleID,
                IsValidTaskModuleType(Type) ? TaskModuleTypeText(Type) : QString::number(Type));
    }
}

void TPackageParser::ReadCodeModule()
{
    const TGUID ID = GUID("code module ID");
    const QString Name = String("code module name");
    const QString Reference = String("module reference");
    const int32_t Location = Integer("code module location");
    Integer("code module object server type");
    for (int I = 0; I < 3; ++I)
        Boolean("code module flag");
    const QString SourcePath = String("source path");
    SkipString("creator");
    SkipString("sub creator");
    const TDateTime Created = DateTime("creation time");
    const TDateTime Written = DateTime("last-write time");
    GUIDList("host interface IDs");
    GUIDList("module interface IDs");
    GUIDList("driver IDs");
    const int32_t Module = Element(TPackageList::CodeModules, -1, ID, Name);
    // One copy of the path, shared by the module's entry and every file it embeds.
    const QString Path = FContents.PathOf(Module);
    FContents.CodeModules.push_back({Path, Reference, Location == cmlLinked, SourcePath});
    // A linked module carries no content, only its zero size.
    const int64_t SizeAt = FPosition;
    if (Location == cmlLinked) {
        if (Cardinal("linked module size") != 0)
            Fail(SizeAt, QStringLiteral("a linked code module with content"));
    } else {
        EmbeddedFile(QStringLiteral("code module"), Path, Reference, Created, Written);
    }
    const int32_t Objects =
        Section(PackageTag::TaskModuleObjects, TPackageList::TaskModuleObjects, Module, 16 * 3 + 4 * 2 + 8);
    for (int32_t O = 0; O < Objects; ++O)
        ReadTaskModuleObject(Module);
    const int32_t Tools = Section(PackageTag::CommandLineTools, TPackageList::CommandLineTools, Module, 16 + 4 * 3 + 5);
    for (int32_t T = 0; T < Tools; ++T) {
        const TGUID ToolID = GUID("command line tool ID");
        const QString ToolName = String("command line tool name");
        SkipString("command line arguments");
        Strings("tool categories");
        for (int I = 0; I < 5; ++I)
            Boolean("command line tool flag");
        Element(TPackageList::CommandLineTools, Module, ToolID, ToolName);
    }
    const int32_t Files = Section(PackageTag::SupportFiles, TPackageList::SupportFiles, Module, 4 + 1 + 16 + 4);
    for (int32_t F = 0; F < Files; ++F) {
        const QString Target = String("support file target");
        Boolean("install into GAC flag");
        const TDateTime FileCreated = DateTime("creation time");
        const TDateTime FileWritten = DateTime("last-write time");
        EmbeddedFile(QStringLiteral("support file"), Path, Target, FileCreated, FileWritten);
    }
}

void TPackageParser::ReadBody()
{
    Tag(PackageTag::Body, "body");
    ReadDataTypes(PackageTag::TaskTypes, TPackageList::TaskTypes);
    ReadDataTypes(PackageTag::TaskRecordingTypes, TPackageList::TaskRecordingTypes);
    ReadDataTypes(PackageTag::TaskResultItemFormats, TPackageList::TaskResultItemFormats);
    ReadDataTypes(PackageTag::MediaItemFormats, TPackageList::MediaItemFormats);
    ReadDataTypes(PackageTag::InterfaceTypes, TPackageList::InterfaceTypes);
    const int32_t Drivers = Section(PackageTag::Drivers, TPackageList::Drivers, -1, 16 + 4 * 6 + 1 + 16 + 4);
    for (int32_t D = 0; D < Drivers; ++D)
        ReadDriver();
    const int32_t Modules =
        Section(PackageTag::CodeModules, TPackageList::CodeModules, -1, 16 + 4 * 7 + 3 + 16 + 4 * 3 + 4);
    for (int32_t C = 0; C < Modules; ++C)
        ReadCodeModule();
}

TPackageContents TPackageParser::Read()
{
    FContents.FileSize = FDevice.size();
    FLimit = FContents.FileSize;
    if (!FDevice.seek(0))
        Fail(0, QStringLiteral("the file could not be read"));
    Tag(PackageTag::File, "code package file");
    // Each block must end exactly where its size says.
    const auto Block = [this](const char* What, uint32_t& Size, void (TPackageParser::*ReadContent)()) {
        Size = Cardinal(What);
        Need(Size, What);
        const int64_t End = FPosition + Size;
        const int64_t Outer = FLimit;
        FLimit = End;
        (this->*ReadContent)();
        if (FPosition != End)
            Fail(FPosition,
                 QStringLiteral("%1 bytes left over at the end of the %2")
                     .arg(End - FPosition)
                     .arg(QLatin1String(What)));
        FLimit = Outer;
    };
    Block("header", FContents.HeaderSize, &TPackageParser::ReadHeader);
    Block("body", FContents.BodySize, &TPackageParser::ReadBody);
    if (FPosition != FContents.FileSize)
        Fail(FPosition, QStringLiteral("%1 bytes trail the package").arg(FContents.FileSize - FPosition));
    return std::move(FContents);
}

} // namespace

QString PackageListName(TPackageList List)
{
    static const QString Names[] = {
        QStringLiteral("Task types"),
        QStringLiteral("Task recording types"),
        QStringLiteral("Task result item formats"),
        QStringLiteral("Media item formats"),
        QStringLiteral("Interface types"),
        QStringLiteral("Drivers"),
        QStringLiteral("Code modules"),
        QStringLiteral("Task module objects"),
        QStringLiteral("Task modules"),
        QStringLiteral("Command line tools"),
        QStringLiteral("Support files"),
    };
    static_assert(std::size(Names) == std::size(ListNames));
    return Names[size_t(List)];
}

QString TPackageContents::PathOf(int32_t Element) const
{
    // A path repeats its owners' names: a name is cut short there, so that one huge name is not
    // printed again in full for every element below it.
    constexpr qsizetype MaximumNameInPath = 256;
    if (Element < 0 || size_t(Element) >= Elements.size())
        return {};
    const TPackageElement& Item = Elements[size_t(Element)];
    // An owner always comes before what it holds.
    QString Path = Item.Owner < Element ? PathOf(Item.Owner) : QString();
    if (!Path.isEmpty())
        Path += QLatin1Char('/');
    Path += PackageListName(Item.List) + QLatin1Char('/');
    if (Item.Name.size() > MaximumNameInPath) {
        Path += QStringView(Item.Name).left(MaximumNameInPath);
        Path += QLatin1String("...");
    } else {
        Path += Item.Name;
    }
    return Path;
}

TPackageContents ReadPackage(QIODevice& Device, const TPackageReadOptions& Options)
{
    return TPackageParser(Device, Options).Read();
}

TPackageContents ReadPackageFile(const QString& FileName, const TPackageReadOptions& Options)
{
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly))
        throw E_QOR_ErrorOpeningFileForReading(FileNameText(FileName));
    return ReadPackage(File, Options);
}

bool CopyDeviceRange(QIODevice& Source, int64_t Offset, int64_t Size, QIODevice& Target)
{
    if (!Source.seek(Offset))
        return false;
    const auto Chunk = std::make_unique<char[]>(ChunkSize);
    for (int64_t Left = Size; Left > 0;) {
        const int64_t Piece = std::min(Left, ChunkSize);
        if (Source.read(Chunk.get(), Piece) != Piece || Target.write(Chunk.get(), Piece) != Piece)
            return false;
        Left -= Piece;
    }
    return true;
}

bool DeviceRangeEquals(QIODevice& Source, int64_t Offset, int64_t Size, QIODevice& Other)
{
    if (Other.size() != Size || !Source.seek(Offset) || !Other.seek(0))
        return false;
    const auto Mine = std::make_unique<char[]>(ChunkSize);
    const auto Theirs = std::make_unique<char[]>(ChunkSize);
    for (int64_t Left = Size; Left > 0;) {
        const int64_t Piece = std::min(Left, ChunkSize);
        if (Source.read(Mine.get(), Piece) != Piece || Other.read(Theirs.get(), Piece) != Piece ||
            std::memcmp(Mine.get(), Theirs.get(), size_t(Piece)) != 0)
            return false;
        Left -= Piece;
    }
    return true;
}

QString SafeRelativeTarget(const QString& Target)
{
    QString Path = Target;
    Path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // Absolute, a drive ("C:"), or a share: never under the folder.
    if (Path.isEmpty() || Path.startsWith(QLatin1Char('/')) || Path.contains(QLatin1Char(':')) ||
        Path.contains(QChar(0)))
        return {};
    QStringList Parts;
    for (const QString& Part : Path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (Part == QLatin1String("."))
            continue;
        if (Part == QLatin1String(".."))
            return {};
        Parts.append(Part);
    }
    return Parts.join(QLatin1Char('/'));
}
