#pragma once

// The integers of a DiffractionData block, each read from its double by
// truncation toward zero. A block whose count, type or orders no 32-bit int
// holds (or whose count is negative) is refused as a whole before anything
// is loaded, traced or written.

#include <optional>

namespace quelbrant {

struct DiffractionRequest {
    int paramCount = 0;  // N as the host gave it (>= 0)
    int type = 0;
    int traceOrderX = 0;
    int traceOrderY = 0;
    int expectedOrderX = 0;
    int expectedOrderY = 0;
    int requestedType = 0;  // only logged; a value no int holds counts as 0
};

std::optional<DiffractionRequest> readDiffractionRequest(const double* block);

// The parameters that mean anything: the first min(N, 14) of the N.
int usedParamCount(const DiffractionRequest& request);

// The host's ray call: finds or loads the surface of the block's file and
// settings, traces the ray and writes the outgoing ray into the block.
// 0 when the ray was handled (also with no outgoing ray); -1 when the block
// is null or refused, the surface cannot be loaded or the trace fails, with the
// block then untouched.
int runUserDiffraction2D(double* block);

}  // namespace quelbrant
