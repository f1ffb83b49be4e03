#pragma once

// Definitions decoded from bytes, for the tests and the fuzzer that hold the command-line check to
// the export. Every field is drawn: out-of-range enumerations, empty and repeated names, null and
// repeated IDs, files that exist, that are missing, that are folders, that are type libraries.
// Each definition draws a fault rate first, so that some come out clean and export whole.

#include "model/Data.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace RandomDefinition {

// Hands out choices from bytes; once they run out, every choice is the first.
class TChoiceReader
{
public:
    explicit TChoiceReader(QByteArrayView Bytes) : FBytes(Bytes) {}

    // A number from 0 to Count - 1 (Count at least 1).
    uint32_t Below(uint32_t Count);
    bool Percent(uint32_t Chance) { return Below(100) < Chance; }

private:
    uint8_t Next() { return FAt < FBytes.size() ? uint8_t(FBytes[FAt++]) : 0; }

    QByteArrayView FBytes;
    qsizetype FAt = 0;
};

// The same Size bytes for the same Seed on every machine.
QByteArray SeededBytes(uint32_t Seed, qsizetype Size);

// Makes the files a random definition names under Folder: drivers, module files, support files, a
// hidden file, folders named like files and, when TypeLibraryFolder holds them, the type library
// fixtures. Relative names in the definitions are meant to be read with Folder as the current
// folder.
void PrepareFiles(const QString& Folder, const QString& TypeLibraryFolder);

// Replaces Data's content with the definition Bytes stand for, naming files under Folder.
void Build(TData& Data, QByteArrayView Bytes, const QString& Folder);

// What the command-line check and the export make of one definition.
struct TAgreement
{
    // The report of the first error the check finds, and its rule; empty when it finds none.
    QString CheckReport;
    QString CheckRule;
    // The report of whatever the export (its error check, then writing PackageFile) raises; empty
    // when the package was written.
    QString ExportReport;

    // A finding the check gives twice, place and message; empty when each names its own element.
    QString RepeatedFinding;

    bool Agrees() const { return CheckReport == ExportReport; }
};

// Checks Data as `quillon-cli check` does, after a round trip through the definition file, and
// exports it as the unattended export does (without the beta question) to PackageFile. Relative
// names are taken from the current folder.
TAgreement CheckAgainstExport(const TData& Data, const QString& PackageFile);

} // namespace RandomDefinition
