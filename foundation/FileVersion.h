#pragma once

// The file version of a module, read from the fixed part of its version resource without the
// platform's version services, so that it works on every platform.

#include <QByteArray>
#include <QString>

#include <cstdint>

// The four parts of the fixed file version (high and low halves of its two words); false, with the
// parts left unchanged, when the file is not a readable PE module with a version resource.
bool GetFileVersion(const QString& FileName, uint16_t& Major, uint16_t& Minor, uint16_t& Release, uint16_t& Build);
// The same for a module already in memory.
bool GetFileVersionFromData(
    const QByteArray& Bytes, uint16_t& Major, uint16_t& Minor, uint16_t& Release, uint16_t& Build);
// "Major.Minor.Release.Build" in decimal, or "Unknown".
QString GetFileVersionString(const QString& FileName);
