#pragma once

// An order list names each diffraction order once: a repeated row would
// overwrite the earlier one's coefficients in the dense table, silently.

#include <string>

#include "NdArray.h"

namespace quelbrant {

// Throws the error index of "Schema Validation failed: <listName> lists the
// grating order (n, m) more than once." for the first row whose order an
// earlier row already named. `list` is a checked K x 2 order list (all n,
// then all m).
void refuseRepeatedOrders(const NdArrayInt& list, const std::string& listName);

}  // namespace quelbrant
