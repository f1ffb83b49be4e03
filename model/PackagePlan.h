#pragma once

// What an export of a definition would embed, found the way the export finds it: the driver files,
// the files of embedded code modules and every file the support files' patterns match, each with
// the target the package carries, where it is read from, its size and last-write time. Reads the
// disk and changes nothing, so it may run on a copy of the definition in another thread.

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

class TData;

struct TPlannedFile
{
    // "driver", "code module" or "support file", as the package reader names them.
    QString Kind;
    // The element that carries it: "Drivers/Demo driver", "Code modules/Demo".
    QString Owner;
    // Where the package installs it, "\" separating folders.
    QString Target;
    // Where the export reads it from; for a support file that matches nothing, its pattern.
    QString Source;
    // The support file's pattern that matched it (it may hold wildcards); empty for drivers and
    // code modules.
    QString Pattern;
    // Nothing on disk answers: the export would refuse the definition.
    bool Missing = false;
    int64_t Size = 0;
    // Invalid when the file is missing or its times cannot be read.
    QDateTime LastWritten;
};

std::vector<TPlannedFile> PlanPackageFiles(const TData& Data);
// The sum of the sizes of the files that are there.
int64_t PlannedSize(const std::vector<TPlannedFile>& Files);
