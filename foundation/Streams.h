#pragma once

// The stream classes: a forwarding wrapper, a disk file stream, an in-memory stream and a
// write-back buffer.

#include "foundation/FileStream.h"
#include "foundation/MemoryStream.h"
#include "foundation/StreamBuffer.h"
#include "foundation/StreamWrapper.h"
