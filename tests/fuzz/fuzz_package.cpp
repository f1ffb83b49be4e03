// Feeds arbitrary bytes to the package reader, hashing embedded files as inspect does. A damaged
// package must fail with a loading error that names an offset; a readable one must place every
// embedded file inside the input; memory must stay in proportion to the input.

#include "FuzzSupport.h"
#include "model/PackageReader.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Bytes, size_t Size)
{
    using namespace FuzzSupport;
    QByteArray Input(reinterpret_cast<const char*>(Bytes), qsizetype(Size));
    QBuffer Device(&Input);
    Device.open(QIODevice::ReadOnly);
    {
        THeapWatch Watch;
        try {
            TPackageReadOptions Options;
            Options.HashFiles = true;
            const TPackageContents Contents = ReadPackage(Device, Options);
            for (const TPackageEmbeddedFile& File : Contents.Files)
                if (File.Offset < 0 || File.Offset + File.Size > int64_t(Size) || File.SHA256.size() != 32)
                    Fail("An embedded file lies outside the package");
        } catch (const E_QOR_LoadingError&) {
            if (!GetExceptionReport().startsWith(QStringLiteral("Loading error. Offset ")))
                Fail("Damaged package gave an unexpected report:", GetExceptionReport());
        }
    }
    CheckHeapPeak(Size);
    return 0;
}
