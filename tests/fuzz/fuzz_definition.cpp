// Feeds arbitrary bytes to TData::LoadFromStream. A damaged definition must fail with a clean report
// and leave the target package exactly as it was; a loadable one must save to bytes that load back
// and save identically.

#include "FuzzSupport.h"
#include "foundation/Streams.h"
#include "model/Data.h"
#include "samples/SampleDefinitions.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

// A live package to load into, and its bytes before each attempt.
struct TTarget
{
    std::unique_ptr<TData> Data;
    QByteArray Before;

    void Reset()
    {
        Data = std::make_unique<TData>();
        SampleDefinitions::BuildRich(*Data);
        Before = SampleDefinitions::SaveToBytes(*Data);
    }
};

TTarget& Target()
{
    static TTarget Instance;
    if (!Instance.Data)
        Instance.Reset();
    return Instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Bytes, size_t Size)
{
    using namespace FuzzSupport;
    TTarget& Into = Target();
    TMemoryStream Stream(QByteArray(reinterpret_cast<const char*>(Bytes), qsizetype(Size)));
    bool Loaded = false;
    {
        THeapWatch Watch;
        try {
            Into.Data->LoadFromStream(Stream);
            Loaded = true;
        } catch (const E_QOR&) {
            CheckCleanReport();
        }
    }
    CheckHeapPeak(Size);
    if (!Loaded) {
        if (SampleDefinitions::SaveToBytes(*Into.Data) != Into.Before)
            Fail("A failed load changed the target package");
        return 0;
    }

    const QByteArray Saved = SampleDefinitions::SaveToBytes(*Into.Data);
    TData Again;
    SampleDefinitions::LoadFromBytes(Again, Saved);
    if (SampleDefinitions::SaveToBytes(Again) != Saved)
        Fail("A saved definition does not load back to the same bytes");
    Into.Reset();
    return 0;
}
