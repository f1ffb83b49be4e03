// Feeds arbitrary bytes to the reader of a definition's JSON text. The quick way for text in the
// writer's layout must never disagree with the general reader: both fail with the same report, or
// both give packages that save to the same bytes. And what build writes straight away must be what
// the package gives after passing through a definition file.

#include "FuzzSupport.h"
#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "samples/SampleDefinitions.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

// The saved package, or the report of the failure, marked apart.
QByteArray Outcome(std::unique_ptr<TData> (*Read)(const QByteArray&), const QByteArray& Json)
{
    try {
        return "saved:" + SampleDefinitions::SaveToBytes(*Read(Json));
    } catch (const E_QOR&) {
        return "failed:" + GetExceptionReport().toUtf8();
    }
}

std::unique_ptr<TData> ThroughDefinitionFile(const QByteArray& Json)
{
    auto Data = std::make_unique<TData>();
    DefinitionFromJson(*Data, Json);
    return Data;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Bytes, size_t Size)
{
    const QByteArray Json(reinterpret_cast<const char*>(Bytes), qsizetype(Size));
    const QByteArray Quick = Outcome(PackageForSavingFromJson, Json);
    const QByteArray General = Outcome(PackageForSavingFromJsonTree, Json);
    if (Quick != General)
        FuzzSupport::Fail("The quick reader and the general reader disagree:",
                          QString::fromUtf8(Quick.left(200) + " / " + General.left(200)));
    if (Outcome(ThroughDefinitionFile, Json) != Quick)
        FuzzSupport::Fail("Passing through a definition file changed the package");
    return 0;
}
