#pragma once

// A file's position data, as one piece: where the positions lie and the
// reciprocal lattice vectors of each position. Read before the half spaces,
// whose tables are checked against it.

#include "load/LatticeVectorReader.h"
#include "load/PositionGridReader.h"

namespace quelbrant {

struct PositionData {
    PositionGrid grid;
    LatticeVectorsPerPosition lattice;  // one entry per position number - 1
};

}  // namespace quelbrant
