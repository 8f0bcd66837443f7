#pragma once

// Per-thread working storage of the ray path. The tables and lists of one
// ray are kept for the next ray on the same thread, so that once a thread
// has traced a ray of a surface, further rays of that size allocate nothing.

#include <vector>

#include "CacheLinePad.h"
#include "NdArray.h"
#include "ray/InteractionOrderChoice.h"

namespace quelbrant {

// Padded by a cache line on either side (CacheLinePad.h), and every buffer
// starts with room for far more than a typical ray needs: a thread that
// loaded a surface takes its scratch from the same heap region as the
// surface's small read-only lists, and per-ray writes sharing a cache line
// with those lists would stall every other thread that reads them.
struct InteractionScratch {
    InteractionScratch();

private:
    CacheLinePad leadingPad;

public:
    NdArrayComplex Rinterp;                                    // interpolated reflection table of the ray
    NdArrayComplex Tinterp;                                    // interpolated transmission table
    std::vector<double> k1gk2g = std::vector<double>(6, 0.0);  // lattice vectors at the ray, 1/m
    PropagatingOrderList orders;
    std::vector<int> singleN = std::vector<int>(1, 0);  // one-element order lists of a requested order
    std::vector<int> singleM = std::vector<int>(1, 0);

private:
    CacheLinePad trailingPad;
};

// The calling thread's scratch. An interaction uses it from start to end;
// interactions never nest on one thread.
InteractionScratch& threadInteractionScratch();

}  // namespace quelbrant
