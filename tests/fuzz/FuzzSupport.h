#pragma once

// Checks shared by the definition and clipboard fuzzers: a damaged input may only fail with one of
// the reports a damaged file earns, and reading it may not take far more heap than its own size.

#include "foundation/QORExceptions.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sanitizer/allocator_interface.h>

namespace FuzzSupport {

// Heap taken since Start, counted through the allocator's hooks. Frees of older blocks make the
// balance negative, which can only hide growth, never invent it.
struct THeapWatch
{
    static inline bool Active = false;
    static inline int64_t Balance = 0;
    static inline int64_t Peak = 0;

    static void OnMalloc(const volatile void*, size_t Size)
    {
        if (!Active)
            return;
        Balance += static_cast<int64_t>(Size);
        Peak = std::max(Peak, Balance);
    }
    static void OnFree(const volatile void* Pointer)
    {
        if (Active && Pointer)
            Balance -= static_cast<int64_t>(__sanitizer_get_allocated_size(Pointer));
    }

    static void Install()
    {
        static const bool Installed = __sanitizer_install_malloc_and_free_hooks(&OnMalloc, &OnFree) != 0;
        (void)Installed;
    }

    THeapWatch()
    {
        Install();
        Balance = 0;
        Peak = 0;
        Active = true;
    }
    ~THeapWatch() { Active = false; }
};

[[noreturn]] inline void Fail(const char* What, const QString& Detail = {})
{
    std::fprintf(stderr, "%s %s\n", What, qPrintable(Detail));
    std::abort();
}

// Room for the fixed cost of a package plus a generous factor of the input: a loaded element, its
// lists and its UTF-16 strings take a few times their bytes on disk, never hundreds of times.
inline void CheckHeapPeak(size_t InputSize)
{
    const int64_t Limit = (int64_t(1) << 20) + 64 * static_cast<int64_t>(InputSize);
    if (THeapWatch::Peak > Limit)
        Fail("Heap grew far beyond the input:", QString::number(THeapWatch::Peak));
}

// Call from inside a catch block of an E_QOR.
inline void CheckCleanReport()
{
    const QString Report = GetExceptionReport();
    if (Report != QStringLiteral("Loading error.") && Report != QStringLiteral("Unrecognised data format.") &&
        Report != QStringLiteral("Invalid list item index."))
        Fail("Damaged input gave an unexpected report:", Report);
}

} // namespace FuzzSupport
