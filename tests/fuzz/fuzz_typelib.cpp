// Feeds arbitrary bytes to the type library, PE resource and version readers: they must answer
// "not loaded" or a result, never read outside the input.

#include "foundation/FileVersion.h"
#include "foundation/PEFile.h"
#include "foundation/TypeLibraryReader.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    // A deep copy, so that the sanitizer sees the exact extent of the input.
    const QByteArray Bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));

    TTypeLibraryReader Reader;
    if (Reader.LoadFromData(Bytes)) {
        const TGUID Library = Reader.LibraryGUID();
        (void)Reader.ContainsType(Library);
    }

    const TPEFile Module(Bytes);
    (void)Module.FindResource(QStringLiteral("TYPELIB"), 2);

    uint16_t Major = 0, Minor = 0, Release = 0, Build = 0;
    (void)GetFileVersionFromData(Bytes, Major, Minor, Release, Build);
    return 0;
}
