#pragma once

// Helpers shared by the fuzz targets.

#include <cstdio>
#include <cstdlib>

#include "ErrorTable.h"
#include "GratingSurface.h"

namespace quelbrant {

// A property the library promises for every input. A broken one is a
// finding: libFuzzer records the input as a crash.
#define FUZZ_REQUIRE(condition, what)                                                               \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "fuzz property violated: %s (%s:%d)\n", what, __FILE__, __LINE__); \
            std::abort();                                                                           \
        }                                                                                           \
    } while (false)

// Every failure appends one entry to the process-wide error table, which a
// host keeps for the library's lifetime. Millions of fuzz inputs would make
// it grow without bound and trip libFuzzer's memory limit, so each input
// starts from the table as the library loaded it. The fuzz targets are
// single-threaded and hand out no entry pointers, and no input comes near
// NoteLimit entries (from which the table also indexes its entries), so
// nothing can dangle.
inline void resetErrorTable()
{
    FUZZ_REQUIRE(GratingSurface::ErrorDescriptions.size() < NoteLimit,
                 "one input stays below NoteLimit entries");
    GratingSurface::ErrorDescriptions.resize(1);
}

}  // namespace quelbrant
