#include "RayProbes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "ErrorTable.h"
#include "FuzzSupport.h"
#include "GratingSurfaceAccess.h"

namespace quelbrant {

namespace {

using Access = GratingSurfaceAccess;

constexpr double Pi = 3.141592653589793;

double along(const std::vector<double>& axis, double fraction)
{
    if (axis.empty())
        return 0.0;
    return axis.front() + fraction * (axis.back() - axis.front());
}

// Direction of an incident ray from its in-plane unit-vector components,
// on the side's way (+z from below, -z from above). Components outside the
// unit disc are pulled just inside it.
void directionFromInPlane(double ux, double uy, int side, double* dir)
{
    double inPlane = std::sqrt(ux * ux + uy * uy);
    if (!(inPlane < 0.9999)) {
        const double scale = inPlane > 0.0 ? 0.9999 / inPlane : 0.0;
        ux *= scale;
        uy *= scale;
        inPlane = std::sqrt(ux * ux + uy * uy);
    }
    const double uz = std::sqrt(std::max(0.0, 1.0 - inPlane * inPlane));
    dir[0] = ux;
    dir[1] = uy;
    dir[2] = side == 0 ? uz : -uz;
}

bool sameRecord(const ProbeRay& a, const ProbeRay& b)
{
    BsdfPluginInteraction_V2 x = a.record, y = b.record;
    x.direction = y.direction = nullptr;
    return std::memcmp(&x, &y, sizeof x) == 0 &&
           std::memcmp(a.direction, b.direction, sizeof a.direction) == 0;
}

}  // namespace

ProbeRay probeRayAt(const GratingSurface& surface, const ProbePlace& place, std::vector<double>& params)
{
    const int side = place.side == 0 ? 0 : 1;
    ProbeRay ray;
    BsdfPluginInteraction_V2& r = ray.record;
    r.n1 = side == 0 ? Access::mNLower(surface) : Access::mNUpper(surface);
    r.n2 = side == 0 ? Access::mNUpper(surface) : Access::mNLower(surface);
    const double lambdaM = along(Access::mLambda(surface)[side], place.wavelength);
    r.lambda = lambdaM * 1e9;
    r.energy = 1.0;
    r.esr = 1.0;

    const double a1 = along(Access::mThetaOrUxOrKx(surface)[side], place.angle1);
    const double a2 = along(Access::mPhiOrUyOrKy(surface)[side], place.angle2);
    switch (Access::mAngleDef(surface)) {
        case GratingSurface::POLAR: {
            const double theta = std::fmin(std::fabs(a1), 90.0) * Pi / 180.0;
            const double phi = a2 * Pi / 180.0;
            directionFromInPlane(std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), side,
                                 ray.direction);
            break;
        }
        case GratingSurface::K_VECTOR: {
            const double k0 = 2.0 * Pi * r.n1 / lambdaM;
            const bool usable = std::isfinite(k0) && k0 != 0.0;
            directionFromInPlane(usable ? a1 / k0 : 0.0, usable ? a2 / k0 : 0.0, side, ray.direction);
            break;
        }
        default:
            directionFromInPlane(a1, a2, side, ray.direction);
            break;
    }

    const double p1 = along(Access::mXOrRadOrPar1(surface), place.position1);
    const double p2 = along(Access::mYOrPolOrPar2(surface), place.position2);
    params.assign({0.0, p1, p2, 0.0});
    if (Access::mPositionDef(surface) == GratingSurface::RAD_POL) {
        r.x = 1000.0 * p1 * std::cos(p2);
        r.y = 1000.0 * p1 * std::sin(p2);
    } else if (Access::mPositionDef(surface) == GratingSurface::XY) {
        r.x = 1000.0 * p1;
        r.y = 1000.0 * p2;
    }
    return ray;
}

void printProbeRay(const char* label, const ProbeRay& ray)
{
    const BsdfPluginInteraction_V2& r = ray.record;
    std::fprintf(stderr,
                 "%s: direction (%.17g, %.17g, %.17g) lambda %.17g energy %.17g\n"
                 "  es (%.17g, %.17g) ep (%.17g, %.17g) n1 %.17g n2 %.17g u %g v %g x %.17g y %.17g z %g\n",
                 label, ray.direction[0], ray.direction[1], ray.direction[2], r.lambda, r.energy, r.esr,
                 r.esi, r.epr, r.epi, r.n1, r.n2, r.u, r.v, r.x, r.y, r.z);
}

void requireSoundOutcome(int result, const ProbeRay& before, const ProbeRay& after, bool specificOrder)
{
    FUZZ_REQUIRE(result == 0 || result == 1 || result == -1 || result == 6 || result == -6,
                 "the result is one of -6, -1, 0, 1, 6");
    if (result == 0) {
        FUZZ_REQUIRE(sameRecord(before, after), "a ray that ends without an outgoing ray leaves the record");
        return;
    }
    const double* in = before.direction;
    const double* out = after.direction;
    FUZZ_REQUIRE(std::isfinite(out[0]) && std::isfinite(out[1]) && std::isfinite(out[2]),
                 "the outgoing direction is finite");
    // Any incident direction is taken as its unit vector. A ray that
    // carries no energy may keep an unnormalised direction: the refraction
    // fallback under total internal reflection with reflection excluded
    // writes the tangential components it would have had.
    if (after.record.energy != 0.0) {
        const double outLength = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2]);
        FUZZ_REQUIRE(std::fabs(outLength - 1.0) < 1e-6, "the outgoing direction has length 1");
    }
    // Signs compared one by one: the product of two tiny z components
    // underflows to zero.
    const bool turnsBack = (in[2] < 0.0 && out[2] > 0.0) || (in[2] > 0.0 && out[2] < 0.0);
    const bool goesOn = (in[2] < 0.0 && out[2] < 0.0) || (in[2] > 0.0 && out[2] > 0.0);
    if (result < 0)
        FUZZ_REQUIRE(!goesOn, "a reflected ray turns back");
    else if (!specificOrder)
        FUZZ_REQUIRE(!turnsBack, "a transmitted ray goes on");
    const BsdfPluginInteraction_V2& r = after.record;
    FUZZ_REQUIRE(std::isfinite(r.esr) && std::isfinite(r.esi) && std::isfinite(r.epr) && std::isfinite(r.epi),
                 "the outgoing field is finite");
    FUZZ_REQUIRE(std::isfinite(r.energy), "the outgoing energy is finite");
    if (before.record.energy >= 0.0)
        FUZZ_REQUIRE(r.energy >= 0.0, "the outgoing energy is not negative");
}

void requireSoundFailure(int error, const ProbeRay& before, const ProbeRay& after)
{
    FUZZ_REQUIRE(error >= 1 && static_cast<size_t>(error) < errorTableSize(),
                 "an error index names an entry");
    FUZZ_REQUIRE(sameRecord(before, after), "a failed ray leaves the record");
}

}  // namespace quelbrant
