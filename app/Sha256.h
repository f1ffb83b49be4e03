#pragma once

// The SHA-256 that inspecting a package uses: the crypto library's when the build found one (several times faster
// than Qt's where the processor has SHA instructions), Qt's otherwise.

#include "model/PackageReader.h"

TPackageHasherFactory Sha256Hasher();
