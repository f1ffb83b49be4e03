// What the package reader keeps, held against the package's bytes outside its embedded files. The
// count is exact: every allocation of the process passes through the counting functions below while
// a measurement runs (glibc only, and not under the address sanitizer, which brings its own).

#include "model/PackageExport.h"
#include "model/PackageReader.h"
#include "samples/SampleDefinitions.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLON_NO_ALLOCATION_COUNT
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || !defined(__GLIBC__)
#define QUILLON_NO_ALLOCATION_COUNT
#endif

using namespace SampleDefinitions;

namespace {

std::atomic<bool> Counting{false};
std::atomic<int64_t> InUse{0};
std::atomic<int64_t> Peak{0};

} // namespace

#ifndef QUILLON_NO_ALLOCATION_COUNT
#include <malloc.h>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
}

namespace {

void Count(void* Pointer, int64_t Sign)
{
    if (!Pointer || !Counting.load(std::memory_order_relaxed))
        return;
    const int64_t Now =
        InUse.fetch_add(Sign * int64_t(malloc_usable_size(Pointer))) + Sign * int64_t(malloc_usable_size(Pointer));
    int64_t Before = Peak.load();
    while (Now > Before && !Peak.compare_exchange_weak(Before, Now)) {
    }
}

} // namespace

extern "C" {
void* malloc(size_t Size)
{
    void* Pointer = __libc_malloc(Size);
    Count(Pointer, 1);
    return Pointer;
}
void* calloc(size_t Count_, size_t Size)
{
    void* Pointer = __libc_calloc(Count_, Size);
    Count(Pointer, 1);
    return Pointer;
}
void* realloc(void* Old, size_t Size)
{
    Count(Old, -1);
    void* Pointer = __libc_realloc(Old, Size);
    // A failed reallocation leaves the old block in place.
    Count(Pointer ? Pointer : (Size ? Old : nullptr), 1);
    return Pointer;
}
void free(void* Pointer)
{
    Count(Pointer, -1);
    __libc_free(Pointer);
}
}
#endif

namespace {

// The most the reader may keep per byte of metadata, as documented, and what a read of any size
// may add for its bookkeeping. The packages here embed only empty files, so that the hashing
// buffer, which grows with the largest file up to 1 MiB, never comes into it.
constexpr int64_t BytesPerMetadataByte = 8;
constexpr int64_t FixedAllowance = 64 * 1024;

struct TMeasured
{
    int64_t Peak = 0;
    int64_t Metadata = 0;
};

TMeasured MeasureRead(const QString& FileName)
{
    TMeasured Result;
    QFile File(FileName);
    EXPECT_TRUE(File.open(QIODevice::ReadOnly));
    InUse = 0;
    Peak = 0;
    Counting = true;
    {
        const TPackageContents Contents = ReadPackage(File, {true, {}});
        Result.Metadata = Contents.FileSize;
        for (const TPackageEmbeddedFile& Embedded : Contents.Files)
            Result.Metadata -= Embedded.Size;
    }
    Counting = false;
    Result.Peak = Peak;
    return Result;
}

class PackageReaderMemory : public testing::Test
{
protected:
    QTemporaryDir Folder;

    void SetUp() override
    {
#ifdef QUILLON_NO_ALLOCATION_COUNT
        GTEST_SKIP() << "allocations are counted with glibc only, and not under the address sanitizer";
#endif
    }

    QString Export(const TData& Data)
    {
        const QString FileName = Folder.filePath(QStringLiteral("package.cpk"));
        ExportPackageFile(Data, FileName, TExportStamp());
        return FileName;
    }

    void ExpectWithinBound(const QString& FileName, const char* Shape)
    {
        const TMeasured Measured = MeasureRead(FileName);
        ASSERT_GT(Measured.Metadata, 20000) << Shape;
        EXPECT_LE(Measured.Peak, BytesPerMetadataByte * Measured.Metadata + FixedAllowance)
            << Shape << ": " << Measured.Peak << " bytes at the peak for " << Measured.Metadata << " bytes of metadata";
    }

    // A linked code module: it carries no file, so that none is needed on disk.
    static TCodeModule* LinkedModule(TData& Data, const QString& Name)
    {
        auto* Module = AddElement<TCodeModule>(Data.CodeModules);
        Module->ID = SampleGUID(uint32_t(Data.CodeModules.Count()));
        Module->Name = Name;
        Module->Location = cmlLinked;
        Module->FileName = QStringLiteral("m");
        return Module;
    }
};

// Long names high up were once repeated in the path of every element below them.
TEST_F(PackageReaderMemory, DeepElementsBelowLongNamesCostNoMoreThanTheirRecords)
{
    TData Data;
    for (int C = 0; C < 10; ++C) {
        TCodeModule* Module = LinkedModule(Data, QString(250, QLatin1Char('M')) + QString::number(C));
        for (int O = 0; O < 20; ++O) {
            auto* Object = AddElement<TTaskModuleObject>(Module->TaskModuleObjects);
            Object->Name = QString(250, QLatin1Char('O')) + QString::number(O);
            for (int M = 0; M < 40; ++M)
                AddElement<TTaskModule>(Object->TaskModules)->Type = tmtTaskRunner;
        }
    }
    ExpectWithinBound(Export(Data), "task modules below long names");
}

// The records that cost the reader most against their size: short elements, code modules with
// their three sections, and embedded files with one-letter targets and no content.
TEST_F(PackageReaderMemory, TheCostliestRecordsStayWithinTheBound)
{
    {
        TData Data;
        for (int I = 0; I < 3000; ++I)
            AddElement<TInterfaceType>(Data.InterfaceTypes)->Name = QStringLiteral("i");
        ExpectWithinBound(Export(Data), "one-letter interface types");
    }
    {
        TData Data;
        for (int C = 0; C < 1000; ++C)
            LinkedModule(Data, QStringLiteral("m"));
        ExpectWithinBound(Export(Data), "linked code modules");
    }
    {
        const QString Source = Folder.filePath(QStringLiteral("files"));
        QDir().mkpath(Source);
        for (int I = 0; I < 800; ++I) {
            QFile File(Source + QLatin1Char('/') + QString::number(I, 36));
            ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        }
        TData Data;
        auto* Module = AddElement<TCodeModule>(Data.CodeModules);
        Module->Location = cmlLinked;
        Module->FileName = QStringLiteral("m");
        Module->FilePath = Folder.path();
        auto* Files = AddElement<TSupportFile>(Module->SupportFiles);
        Files->SourceFilePath = QStringLiteral("files");
        Files->SourceFileName = QStringLiteral("*");
        ExpectWithinBound(Export(Data), "empty support files with short targets");
    }
}

// Interface types have one string fewer than the other data types: eleven without any text once
// made the reader refuse a package the export had written.
TEST(PackageReader, ReadsInterfaceTypesWithoutAnyText)
{
    QTemporaryDir Folder;
    TData Data;
    for (int I = 0; I < 12; ++I)
        AddElement<TInterfaceType>(Data.InterfaceTypes)->ID = SampleGUID(uint32_t(100 + I));
    for (int I = 0; I < 12; ++I)
        AddElement<TMediaItemFormat>(Data.MediaItemFormats)->ID = SampleGUID(uint32_t(200 + I));
    const QString FileName = Folder.filePath(QStringLiteral("package.cpk"));
    ExportPackageFile(Data, FileName, TExportStamp());
    const TPackageContents Contents = ReadPackageFile(FileName);
    ASSERT_EQ(Contents.Elements.size(), 24u);
    EXPECT_EQ(Contents.PathOf(0), QStringLiteral("Media item formats/"));
    EXPECT_EQ(Contents.PathOf(23), QStringLiteral("Interface types/"));
}

} // namespace
