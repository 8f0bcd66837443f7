#pragma once

// The view of one UserDefinedSurface5 call: the host's two records, read
// through the accessors the surface requests share. Owns nothing and lives
// for the call.

#include <array>
#include <complex>
#include <vector>

#include "user-surface/UserSurfaceRecords.h"

namespace quelbrant {

using Vector3 = std::array<double, 3>;
using Field3 = std::array<std::complex<double>, 3>;

class HostRay {
public:
    HostRay(UserSurfaceOutput* out, UserSurfaceInput* in) : mOut(out), mIn(in) {}

    double approachIndex() const { return mIn->approachIndex; }
    double exitIndex() const { return mIn->exitIndex; }
    Vector3 position() const { return {mOut->x, mOut->y, mOut->z}; }
    // The incoming direction, negated when the ray arrives in mirror space.
    Vector3 cosine() const;
    double wavelength() const { return mIn->wavelength; }
    bool mirrorSpaceAfterSurface() const { return mIn->mirrorSpaceAfter != 0; }
    // The ray arrives in mirror space when exactly one of the two flags is
    // set (the ints are compared as they stand, not as booleans).
    bool mirrorSpaceBeforeSurface() const { return mIn->reflecting != mIn->mirrorSpaceAfter; }
    bool reflecting() const { return mIn->reflecting != 0; }
    Field3 E() const;

    // Parameter `index`, 0.0 for any index outside 0 to 255.
    double parameter(int index) const;
    // Parameters from to to - 1; throws std::invalid_argument unless
    // 0 <= from <= to <= 256.
    std::vector<double> parameterRange(int from, int to) const;

    // The traced ray's outcome: direction (negated into mirror space after
    // the surface), position, transmission, path, trace state 2 and the field
    // (never negated).
    void writeBack(const Vector3& position, const Vector3& direction, const Field3& field, double path,
                   double transmission);

    UserSurfaceOutput& out() const { return *mOut; }
    UserSurfaceInput& in() const { return *mIn; }

private:
    UserSurfaceOutput* mOut;
    UserSurfaceInput* mIn;
};

}  // namespace quelbrant
