#pragma once

// The lens-design host's entry points (Windows DLL only). Each is one line of
// translation to its portable runner and lets no exception out: any failure
// is -1, the host's only failure value.

#include "plugin_export.h"

namespace quelbrant {
struct UserSurfaceInput;
struct UserSurfaceOutput;
}  // namespace quelbrant

extern "C" {

// One request of the user-defined surface (texts, names, sag, paraxial and
// real ray, resets): 0 or -1.
QUELBRANT_EXPORT int UserDefinedSurface5(quelbrant::UserSurfaceOutput* out, quelbrant::UserSurfaceInput* in);

// One ray through the grating named in the DiffractionData block: 0 when the
// ray was handled (also with no outgoing ray), -1 on failure.
QUELBRANT_EXPORT int UserDiffraction2D(double* data);

// Name of parameter data[0] into the 100 bytes of data: 0; -1 when either
// pointer is null.
QUELBRANT_EXPORT int UserParamNames2D(char* data, double* block);
}
