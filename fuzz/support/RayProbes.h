#pragma once

// Incident rays for fuzzing the ray path of a loaded surface: rays placed
// inside the surface's own data (so that interpolation, order construction
// and the random choice run, not only the fallback) and the properties that
// every outcome must have.

#include <vector>

#include "GratingSurface.h"
#include "HostRecords.h"

namespace quelbrant {

// The host's record with the direction stored beside it.
struct ProbeRay {
    double direction[3] = {0.0, 0.0, 1.0};
    BsdfPluginInteraction_V2 record{};

    ProbeRay() { record.direction = direction; }
    ProbeRay(const ProbeRay& other) : record(other.record)
    {
        for (int i = 0; i < 3; ++i)
            direction[i] = other.direction[i];
        record.direction = direction;
    }
    ProbeRay& operator=(const ProbeRay&) = delete;
};

// Where on the surface's data a probe lies: fractions along the half
// space's first and second angle axes, its wavelength axis and the two
// position (or scan) axes. 0 is the first grid value, 1 the last; values
// outside [0, 1] lie beyond the grid.
struct ProbePlace {
    int side = 0;  // 0: from the lower half space, travelling towards +z
    double angle1 = 0.5;
    double angle2 = 0.5;
    double wavelength = 0.5;
    double position1 = 0.5;
    double position2 = 0.5;
};

// A unit-length ray with the surface's indices for its side, unit S field,
// energy 1, and, in host-program mode, the scan parameters of the place
// (written to params, which must hold four values).
ProbeRay probeRayAt(const GratingSurface& surface, const ProbePlace& place, std::vector<double>& params);

// Prints every field of the record (for reading a single input).
void printProbeRay(const char* label, const ProbeRay& ray);

// Checks an outcome against what every caller relies on, aborting with a
// message when it breaks (a fuzz finding): the result is one of -6, -1, 0,
// 1, 6; a result of 0 leaves the record as it was; any other result writes
// a finite ray (direction of length 1 whenever the outgoing ray carries
// energy) with finite field and energy. Unless a specific order was asked for (a
// lossless side then answers +1 for a reflected order too), the sign tells
// the family: reflected rays turn back, transmitted ones go on.
void requireSoundOutcome(int result, const ProbeRay& before, const ProbeRay& after, bool specificOrder);

// Checks that an error index thrown by the ray path names an entry, and
// that the record was left as it was.
void requireSoundFailure(int error, const ProbeRay& before, const ProbeRay& after);

}  // namespace quelbrant
