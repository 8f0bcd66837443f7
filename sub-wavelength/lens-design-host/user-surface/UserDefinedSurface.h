#pragma once

// The portable body of UserDefinedSurface5: one entry point for every
// request of the lens-design host's user-defined surface.
//
//   type 0  description text ("---" for item 0, "" for items 1 and 2)
//   type 1  parameter name of parameter `item`
//   type 3  sag at (x, y)
//   type 4  paraxial ray
//   type 5  real ray (see InteractionReal.h)
//   type 6  the four extra values := 0.0
//   type 7  the 256 parameters := 0.0
//   other   load the surface only
//
// Every request but 0 and 1 first finds or loads the file's surface in the
// sequential cache (keyed by file name and "Log") and works on it under the
// cache's shared lock.

#include <string>

#include "user-surface/UserSurfaceRecords.h"

namespace quelbrant {

// The host's data folder; empty when it cannot be found, which fails every
// load.
using DataRootSource = std::wstring (*)();

// 0 on success, -1 on any failure with both records as they were (a file
// that does not load also logs "Cannot load " and its path).
int runUserDefinedSurface5(UserSurfaceOutput* out, UserSurfaceInput* in, DataRootSource dataRoot);

}  // namespace quelbrant
