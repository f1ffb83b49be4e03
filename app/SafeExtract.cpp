#include "app/SafeExtract.h"

#include "app/TargetChecks.h"
#include "model/PackageReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

// The descriptor-relative calls below exist on every POSIX system; elsewhere the Qt path is used.
#if defined(Q_OS_UNIX) && !defined(QUILLON_EXTRACT_QT_ONLY)
#define QUILLON_EXTRACT_AT
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <filesystem>
#endif

namespace {

// The folders from the first missing one down to Folder itself, outermost first. A link, even a
// dangling one, counts as present: it is never replaced by a folder.
QStringList MissingFolders(const QString& Folder)
{
    QStringList Missing;
    for (QString Step = Folder; !QFileInfo(Step).isSymLink() && !QFileInfo::exists(Step);) {
        Missing.prepend(Step);
        const QString Above = QFileInfo(Step).absolutePath();
        if (Above == Step)
            break;
        Step = Above;
    }
    return Missing;
}

constexpr int64_t ChunkSize = 1 << 20;

QString TemporaryName()
{
    return QStringLiteral(".quillon-%1.tmp").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

#ifdef QUILLON_EXTRACT_AT

QString Described(const QString& What, const QString& Name, int Error)
{
    return QStringLiteral("%1 '%2': %3.").arg(What, Name, QString::fromLocal8Bit(std::strerror(Error)));
}

class TDescriptor
{
public:
    explicit TDescriptor(int Value = -1) : FValue(Value) {}
    ~TDescriptor() { Reset(); }
    TDescriptor(TDescriptor&& Other) noexcept : FValue(std::exchange(Other.FValue, -1)) {}
    TDescriptor& operator=(TDescriptor&& Other) noexcept
    {
        if (this != &Other) {
            Reset();
            FValue = std::exchange(Other.FValue, -1);
        }
        return *this;
    }
    int Get() const { return FValue; }
    bool Valid() const { return FValue >= 0; }
    // Closes it; false when the close reports a failure (a write the system could not finish).
    bool Close()
    {
        const int Value = std::exchange(FValue, -1);
        return Value < 0 || ::close(Value) == 0;
    }

private:
    void Reset()
    {
        if (FValue >= 0)
            ::close(FValue);
        FValue = -1;
    }
    int FValue;
};

QByteArray Native(const QString& Name)
{
    return QFile::encodeName(Name);
}

// The folder Name inside Parent, opened without following a link.
TDescriptor OpenFolderAt(int Parent, const QString& Name)
{
    return TDescriptor(::openat(Parent, Native(Name).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// Walks from Root through every part of Parts but the last, never through a link, creating the
// folders that are missing when Created is given (and noting each there). The folder the last part
// lies in; invalid with errno set and Failed naming the step when a step cannot be entered.
TDescriptor OpenParent(int Root, const QStringList& Parts, QStringList* Created, QString& Failed)
{
    TDescriptor Held(::fcntl(Root, F_DUPFD_CLOEXEC, 0));
    for (qsizetype I = 0; Held.Valid() && I + 1 < Parts.size(); ++I) {
        TDescriptor Next = OpenFolderAt(Held.Get(), Parts[I]);
        if (!Next.Valid() && errno == ENOENT && Created) {
            if (::mkdirat(Held.Get(), Native(Parts[I]).constData(), 0777) == 0)
                Created->append(Parts.mid(0, I + 1).join(QLatin1Char('/')));
            else if (errno != EEXIST)
                break;
            Next = OpenFolderAt(Held.Get(), Parts[I]);
        }
        if (!Next.Valid()) {
            Failed = Parts.mid(0, I + 1).join(QLatin1Char('/'));
            const int Error = errno;
            Held = TDescriptor();
            errno = Error;
            return Held;
        }
        Held = std::move(Next);
    }
    return Held;
}

enum class TCopyResult
{
    Done,
    SourceFailed,
    // errno tells why.
    TargetFailed,
};

TCopyResult WriteRange(QIODevice& Source, int64_t Offset, int64_t Size, int Target)
{
    if (!Source.seek(Offset))
        return TCopyResult::SourceFailed;
    const auto Chunk = std::make_unique<char[]>(size_t(std::min(ChunkSize, std::max<int64_t>(Size, 1))));
    for (int64_t Left = Size; Left > 0;) {
        const int64_t Piece = std::min(Left, ChunkSize);
        if (Source.read(Chunk.get(), Piece) != Piece)
            return TCopyResult::SourceFailed;
        for (int64_t Done = 0; Done < Piece;) {
            const ssize_t Count = ::write(Target, Chunk.get() + Done, size_t(Piece - Done));
            if (Count < 0 && errno == EINTR)
                continue;
            if (Count <= 0)
                return TCopyResult::TargetFailed;
            Done += Count;
        }
        Left -= Piece;
    }
    return TCopyResult::Done;
}

// Sets the last-write time through the open file; the access time is left as it is.
void SetLastWritten(int File, const QDateTime& Time)
{
    if (!Time.isValid())
        return;
    const int64_t MSecs = Time.toMSecsSinceEpoch();
    const int64_t Seconds = MSecs >= 0 ? MSecs / 1000 : -((-MSecs + 999) / 1000);
    timespec Times[2];
    Times[0].tv_sec = 0;
    Times[0].tv_nsec = UTIME_OMIT;
    Times[1].tv_sec = time_t(Seconds);
    Times[1].tv_nsec = long((MSecs - Seconds * 1000) * 1000000);
    // A time the file system cannot hold leaves the time of writing, as it always has.
    ::futimens(File, Times);
}

#endif

} // namespace

QString TSafeExtract::PathOf(const QString& Relative) const
{
    return FFolder + QLatin1Char('/') + Relative;
}

bool TSafeExtract::FolderUsable() const
{
    return FUsable;
}

QStringList TSafeExtract::WriteAll(QIODevice& Source, const std::vector<TExtractFile>& Files, bool& Undone)
{
    Undone = true;
    QStringList Failure;
    QString Problem = CreateFolder();
    for (size_t I = 0; Problem.isEmpty() && I < Files.size(); ++I)
        Problem = WriteOne(Source, Files[I]);
    if (!Problem.isEmpty()) {
        Failure << Problem;
    } else {
        for (size_t I = 0; I < FPending.size(); ++I) {
            Problem = Commit(FPending[I]);
            if (!Problem.isEmpty()) {
                // Renamed over already: those files cannot be brought back.
                for (size_t Done = 0; Done < I; ++Done)
                    Failure << QStringLiteral("'%1' was replaced already.")
                                   .arg(PathOf(FPending[Done].Parts.join(QLatin1Char('/'))));
                Failure.prepend(Problem);
                Undone = I == 0;
                FPending.erase(FPending.begin(), FPending.begin() + qsizetype(I));
                break;
            }
        }
    }
    if (Failure.isEmpty()) {
        FPending.clear();
        FCreated.clear();
        FCreatedFolders.clear();
        return {};
    }
    const QStringList Left = Rollback();
    for (const QString& Name : Left)
        Failure << QStringLiteral("Could not remove '%1'.").arg(Name);
    Undone = Undone && Left.isEmpty();
    return Failure;
}

#ifdef QUILLON_EXTRACT_AT

TSafeExtract::TSafeExtract(const QString& Folder, bool Force)
    : FFolder(QDir::cleanPath(QFileInfo(Folder).absoluteFilePath())), FForce(Force)
{
    // The user's own folder: a link there is followed.
    FRoot = ::open(Native(FFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    FUsable = FRoot >= 0 || errno == ENOENT;
}

TSafeExtract::~TSafeExtract()
{
    if (FRoot >= 0)
        ::close(FRoot);
}

TExtractClash TSafeExtract::Clash(const QString& Relative) const
{
    if (FRoot < 0)
        return {};
    const QStringList Parts = Relative.split(QLatin1Char('/'));
    TDescriptor Held(::fcntl(FRoot, F_DUPFD_CLOEXEC, 0));
    for (qsizetype I = 0; I < Parts.size(); ++I) {
        const auto Step = [&] { return PathOf(Parts.mid(0, I + 1).join(QLatin1Char('/'))); };
        struct stat Status;
        if (!Held.Valid() || ::fstatat(Held.Get(), Native(Parts[I]).constData(), &Status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (Held.Valid() && errno == ENOENT)
                return {};
            return {TExtractClash::Refused, QStringLiteral("'%1' cannot be examined").arg(Step())};
        }
        if (S_ISLNK(Status.st_mode))
            return {TExtractClash::Refused, QStringLiteral("'%1' is a link").arg(Step())};
        if (I + 1 < Parts.size()) {
            if (!S_ISDIR(Status.st_mode))
                return {TExtractClash::Refused, QStringLiteral("'%1' is not a folder").arg(Step())};
            Held = OpenFolderAt(Held.Get(), Parts[I]);
            continue;
        }
        if (S_ISDIR(Status.st_mode))
            return {TExtractClash::Refused, QStringLiteral("'%1' is a folder").arg(Step())};
        if (!S_ISREG(Status.st_mode))
            return {TExtractClash::Refused, QStringLiteral("'%1' is not a regular file").arg(Step())};
        if (!FForce)
            return {TExtractClash::Exists, QStringLiteral("'%1' exists; use --force to replace it.").arg(Step())};
    }
    return {};
}

QString TSafeExtract::CreateFolder()
{
    if (FRoot >= 0)
        return {};
    const QStringList Missing = MissingFolders(FFolder);
    for (const QString& Folder : Missing) {
        if (::mkdir(Native(Folder).constData(), 0777) != 0)
            return Described(QStringLiteral("Cannot create the folder"), Folder, errno);
        FCreatedFolders << Folder;
    }
    FRoot = ::open(Native(FFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return FRoot >= 0 ? QString() : Described(QStringLiteral("Cannot open the folder"), FFolder, errno);
}

QString TSafeExtract::WriteOne(QIODevice& Source, const TExtractFile& File)
{
    const QStringList Parts = File.Relative.split(QLatin1Char('/'));
    QStringList CreatedFolders;
    QString Failed;
    TDescriptor Parent = OpenParent(FRoot, Parts, &CreatedFolders, Failed);
    const int ParentError = errno;
    for (const QString& Folder : CreatedFolders)
        FCreated.push_back({Folder.split(QLatin1Char('/')), true});
    if (!Parent.Valid())
        return Described(QStringLiteral("Cannot enter the folder"), PathOf(Failed), ParentError);

    const QByteArray Name = Native(Parts.last());
    const QString Path = PathOf(File.Relative);
    // O_EXCL: whatever stands there, a link included, is never opened.
    TDescriptor Target(
        ::openat(Parent.Get(), Name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    int Mode = -1;
    if (Target.Valid()) {
        FCreated.push_back({Parts, false});
    } else {
        struct stat Status;
        if (errno != EEXIST || !FForce)
            return Described(QStringLiteral("Cannot write"), Path, errno);
        if (::fstatat(Parent.Get(), Name.constData(), &Status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(Status.st_mode))
            return QStringLiteral("Refused '%1': it is no longer a regular file.").arg(Path);
        Mode = int(Status.st_mode & 07777);
        QString Temporary;
        for (int Attempt = 0; Attempt < 16 && !Target.Valid() && (Attempt == 0 || errno == EEXIST); ++Attempt) {
            Temporary = TemporaryName();
            Target = TDescriptor(::openat(Parent.Get(),
                                          Native(Temporary).constData(),
                                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                          0600));
        }
        if (!Target.Valid())
            return Described(QStringLiteral("Cannot write beside"), Path, errno);
        FPending.push_back({Parts, Temporary});
    }
    switch (WriteRange(Source, File.Offset, File.Size, Target.Get())) {
    case TCopyResult::Done:
        break;
    case TCopyResult::SourceFailed:
        return QStringLiteral("Cannot read the bytes of '%1' from the package.").arg(Path);
    case TCopyResult::TargetFailed:
        return Described(QStringLiteral("Cannot write"), Path, errno);
    }
    // A replacement keeps the permissions of the file it replaces and reaches the disk before it
    // takes the file's place.
    if (Mode >= 0 && (::fchmod(Target.Get(), mode_t(Mode)) != 0 || ::fsync(Target.Get()) != 0))
        return Described(QStringLiteral("Cannot write"), Path, errno);
    SetLastWritten(Target.Get(), File.LastWritten);
    if (!Target.Close())
        return Described(QStringLiteral("Cannot write"), Path, errno);
    return {};
}

QString TSafeExtract::Commit(const TPending& Pending)
{
    QString Failed;
    const QString Path = PathOf(Pending.Parts.join(QLatin1Char('/')));
    const TDescriptor Parent = OpenParent(FRoot, Pending.Parts, nullptr, Failed);
    if (!Parent.Valid())
        return Described(QStringLiteral("Cannot enter the folder"), PathOf(Failed), errno);
    const QByteArray Name = Native(Pending.Parts.last());
    struct stat Status;
    if (::fstatat(Parent.Get(), Name.constData(), &Status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(Status.st_mode))
        return QStringLiteral("Refused '%1': it is no longer a regular file.").arg(Path);
    if (::renameat(Parent.Get(), Native(Pending.Temporary).constData(), Parent.Get(), Name.constData()) != 0)
        return Described(QStringLiteral("Cannot replace"), Path, errno);
    return {};
}

QStringList TSafeExtract::Rollback()
{
    QStringList Left;
    const auto Remove = [&](const QStringList& Parts, const QString& Name, bool Folder) {
        QString Failed;
        const TDescriptor Parent = OpenParent(FRoot, Parts, nullptr, Failed);
        if (!Parent.Valid() ||
            (::unlinkat(Parent.Get(), Native(Name).constData(), Folder ? AT_REMOVEDIR : 0) != 0 && errno != ENOENT))
            Left << PathOf((Parts.mid(0, Parts.size() - 1) << Name).join(QLatin1Char('/')));
    };
    for (const TPending& Pending : FPending)
        Remove(Pending.Parts, Pending.Temporary, false);
    for (auto Created = FCreated.rbegin(); Created != FCreated.rend(); ++Created)
        Remove(Created->Parts, Created->Parts.last(), Created->Folder);
    FPending.clear();
    FCreated.clear();
    if (!FCreatedFolders.isEmpty() && FRoot >= 0) {
        ::close(FRoot);
        FRoot = -1;
    }
    for (auto Folder = FCreatedFolders.crbegin(); Folder != FCreatedFolders.crend(); ++Folder)
        if (::rmdir(Native(*Folder).constData()) != 0)
            Left << *Folder;
    FCreatedFolders.clear();
    return Left;
}

#else

// Without descriptor-relative calls: every step is looked at through QFileInfo just before it is
// used, and a link or junction there is refused.

namespace {

bool IsLink(const QFileInfo& Info)
{
    return Info.isSymLink() || Info.isJunction();
}

} // namespace

TSafeExtract::TSafeExtract(const QString& Folder, bool Force)
    : FFolder(QDir::cleanPath(QFileInfo(Folder).absoluteFilePath())), FForce(Force)
{
    const QFileInfo Info(FFolder);
    FUsable = !Info.exists() || Info.isDir();
}

TSafeExtract::~TSafeExtract() = default;

TExtractClash TSafeExtract::Clash(const QString& Relative) const
{
    const QStringList Parts = Relative.split(QLatin1Char('/'));
    for (qsizetype I = 0; I < Parts.size(); ++I) {
        const QString Step = PathOf(Parts.mid(0, I + 1).join(QLatin1Char('/')));
        const QFileInfo Info(Step);
        if (IsLink(Info))
            return {TExtractClash::Refused, QStringLiteral("'%1' is a link").arg(Step)};
        if (!Info.exists())
            return {};
        if (I + 1 < Parts.size()) {
            if (!Info.isDir())
                return {TExtractClash::Refused, QStringLiteral("'%1' is not a folder").arg(Step)};
            continue;
        }
        if (Info.isDir())
            return {TExtractClash::Refused, QStringLiteral("'%1' is a folder").arg(Step)};
        if (!Info.isFile())
            return {TExtractClash::Refused, QStringLiteral("'%1' is not a regular file").arg(Step)};
        if (!FForce)
            return {TExtractClash::Exists, QStringLiteral("'%1' exists; use --force to replace it.").arg(Step)};
    }
    return {};
}

QString TSafeExtract::CreateFolder()
{
    const QStringList Missing = MissingFolders(FFolder);
    for (const QString& Folder : Missing) {
        if (!QDir().mkdir(Folder))
            return QStringLiteral("Cannot create the folder '%1'.").arg(Folder);
        FCreatedFolders << Folder;
    }
    return QFileInfo(FFolder).isDir() ? QString() : QStringLiteral("Cannot create the folder '%1'.").arg(FFolder);
}

QString TSafeExtract::WriteOne(QIODevice& Source, const TExtractFile& File)
{
    const QStringList Parts = File.Relative.split(QLatin1Char('/'));
    for (qsizetype I = 0; I + 1 < Parts.size(); ++I) {
        const QString Step = PathOf(Parts.mid(0, I + 1).join(QLatin1Char('/')));
        if (!IsLink(QFileInfo(Step)) && !QFileInfo::exists(Step)) {
            if (!QDir().mkdir(Step))
                return QStringLiteral("Cannot create the folder '%1'.").arg(Step);
            FCreated.push_back({Parts.mid(0, I + 1), true});
        }
        const QFileInfo Info(Step);
        if (IsLink(Info) || !Info.isDir())
            return QStringLiteral("Cannot enter the folder '%1'.").arg(Step);
    }
    const QString Path = PathOf(File.Relative);
    const QFileInfo Info(Path);
    QString Written = Path;
    bool Replacing = false;
    if (IsLink(Info) || Info.exists()) {
        if (!FForce || IsLink(Info) || !Info.isFile())
            return QStringLiteral("Refused '%1': it is no longer a regular file.").arg(Path);
        const QString Temporary = TemporaryName();
        Written = Info.absolutePath() + QLatin1Char('/') + Temporary;
        FPending.push_back({Parts, Temporary});
        Replacing = true;
    } else {
        FCreated.push_back({Parts, false});
    }
    QFile Target(Written);
    if (!Target.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (Written == Path)
            FCreated.pop_back();
        else
            FPending.pop_back();
        return QStringLiteral("Cannot write '%1'.").arg(Path);
    }
    if (!CopyDeviceRange(Source, File.Offset, File.Size, Target) || !Target.flush() ||
        (Replacing && !Target.setPermissions(Info.permissions())))
        return QStringLiteral("Cannot write '%1'.").arg(Path);
    if (File.LastWritten.isValid())
        Target.setFileTime(File.LastWritten, QFileDevice::FileModificationTime);
    Target.close();
    return Target.error() == QFileDevice::NoError ? QString() : QStringLiteral("Cannot write '%1'.").arg(Path);
}

QString TSafeExtract::Commit(const TPending& Pending)
{
    const QString Path = PathOf(Pending.Parts.join(QLatin1Char('/')));
    const QFileInfo Info(Path);
    if (IsLink(Info) || !Info.isFile())
        return QStringLiteral("Refused '%1': it is no longer a regular file.").arg(Path);
    std::error_code Error;
    std::filesystem::rename(std::filesystem::path(Info.absolutePath().toStdU16String()) /
                                std::filesystem::path(Pending.Temporary.toStdU16String()),
                            std::filesystem::path(Path.toStdU16String()),
                            Error);
    return Error ? QStringLiteral("Cannot replace '%1'.").arg(Path) : QString();
}

QStringList TSafeExtract::Rollback()
{
    QStringList Left;
    for (const TPending& Pending : FPending) {
        const QString Name =
            PathOf((Pending.Parts.mid(0, Pending.Parts.size() - 1) << Pending.Temporary).join(QLatin1Char('/')));
        if (QFileInfo::exists(Name) && !QFile::remove(Name))
            Left << Name;
    }
    for (auto Created = FCreated.rbegin(); Created != FCreated.rend(); ++Created) {
        const QString Name = PathOf(Created->Parts.join(QLatin1Char('/')));
        const QFileInfo Info(Name);
        if (!IsLink(Info) && Info.exists() && !(Created->Folder ? QDir().rmdir(Name) : QFile::remove(Name)))
            Left << Name;
    }
    for (auto Folder = FCreatedFolders.crbegin(); Folder != FCreatedFolders.crend(); ++Folder)
        if (!QDir().rmdir(*Folder))
            Left << *Folder;
    FPending.clear();
    FCreated.clear();
    FCreatedFolders.clear();
    return Left;
}

#endif

TExtractPlan PlanExtract(const TPackageContents& Package, const TSafeExtract& Writer)
{
    TTargetChecker Checker;
    TExtractPlan Plan;
    Plan.Files.reserve(Package.Files.size());
    for (const TPackageEmbeddedFile& File : Package.Files) {
        const TTargetCheck Check = Checker.Add(File.Target);
        const QString Refused =
            QStringLiteral("Refused target '%1' (%2 of %3): ").arg(File.Target, File.Kind, File.Owner);
        if (!Check.Problem.isEmpty()) {
            Plan.Problems << Refused + Check.Problem + QLatin1Char('.');
            continue;
        }
        const TExtractClash Clash = Writer.Clash(Check.Relative);
        if (Clash.Kind == TExtractClash::Exists)
            Plan.Problems << Clash.Reason;
        else if (Clash.Kind == TExtractClash::Refused)
            Plan.Problems << Refused + Clash.Reason + QLatin1Char('.');
        Plan.Files.push_back({Check.Relative, File.Offset, File.Size, QDateTimeFromDateTime(File.LastWritten)});
    }
    return Plan;
}
