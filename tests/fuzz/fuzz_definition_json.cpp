// Feeds arbitrary bytes to the reader of a definition's JSON text. Whatever it reads must be JSON
// by the platform's own parser, must give the same package with its members in another order, and
// must save to what the package gives after passing through a definition file; what the platform's
// parser refuses, it must refuse as not JSON.

#include "FuzzSupport.h"
#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "samples/SampleDefinitions.h"

#include <QByteArray>
#include <QJsonDocument>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

// The saved package, or the report of the failure, marked apart.
QByteArray Outcome(const QByteArray& Json)
{
    try {
        return "saved:" + SampleDefinitions::SaveToBytes(*PackageForSavingFromJson(Json));
    } catch (const E_QOR&) {
        return "failed:" + GetExceptionReport().toUtf8();
    }
}

QByteArray ThroughDefinitionFile(const QByteArray& Json)
{
    try {
        TData Data;
        DefinitionFromJson(Data, Json);
        return "saved:" + SampleDefinitions::SaveToBytes(Data);
    } catch (const E_QOR&) {
        return "failed:" + GetExceptionReport().toUtf8();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Bytes, size_t Size)
{
    const QByteArray Json(reinterpret_cast<const char*>(Bytes), qsizetype(Size));
    const QByteArray Read = Outcome(Json);
    QJsonParseError Error;
    const QJsonDocument Document = QJsonDocument::fromJson(Json, &Error);
    const bool IsJson = Error.error == QJsonParseError::NoError;
    // Reports of texts that are not JSON start with their line; so do those of the few texts the
    // platform's parser lets through although they are not JSON either (a backslash before a byte
    // that starts no UTF-8 character), of a document that is no object, and of one nested too deep.
    const bool NamedNotJson = Read.startsWith("failed:Loading error. Line ");
    if (!IsJson && !NamedNotJson)
        FuzzSupport::Fail("The reader took for JSON what the platform's parser refuses:",
                          QString::fromUtf8(Read.left(200)));
    if (IsJson && NamedNotJson && !Read.contains("valid UTF-8") && !Read.contains("expected an object") &&
        !Read.contains("less deeply nested"))
        FuzzSupport::Fail("The reader refused as not JSON what the platform's parser reads:",
                          QString::fromUtf8(Read.left(200)));
    if (ThroughDefinitionFile(Json) != Read)
        FuzzSupport::Fail("Passing through a definition file changed the package");
    // The platform's parser writes every object's members in alphabetical order.
    if (Read.startsWith("saved:") && Outcome(Document.toJson(QJsonDocument::Compact)) != Read)
        FuzzSupport::Fail("The same text with its members in another order gave another package");
    return 0;
}
