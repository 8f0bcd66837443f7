#pragma once

// The grating's frame at the point where a real ray meets the user-defined
// surface: local z along the surface normal, oriented to the upper side
// (+z in the host frame), local x along the grating's x axis turned by
// "Rotate" about the normal, and the two flips. A plane without rotation
// keeps the host frame, flips and all.

#include "user-surface/HostRay.h"

namespace quelbrant {

struct LocalFrame {
    bool identity = true;
    // Rows X, Y, Z: a host vector v is R v in the local frame, a local
    // vector w is R^T w in the host frame.
    Vector3 rows[3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};

    Vector3 toLocal(const Vector3& v) const;
    Field3 toLocal(const Field3& v) const;
    Vector3 toHost(const Vector3& w) const;
    Field3 toHost(const Field3& w) const;
};

// normal: the unit surface normal in either orientation. rotateDegrees turns
// the grating's x axis to (cos a, -sin a, 0) before it is projected onto the
// surface; flipYZ reverses local y and z, flipXZ local x and z.
LocalFrame buildLocalFrame(const Vector3& normal, bool isPlane, double rotateDegrees, bool flipYZ,
                           bool flipXZ);

}  // namespace quelbrant
