// Request 5 of the user-defined surface: real rays through the grating on a
// plane and on a sphere, checked against the grating equation in frames
// computed by hand, and its failures, which leave the records untouched.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "RandomGeneratorTesting.h"
#include "UserSurfaceCall.h"
#include "logger.h"
#include "GratingSurface.h"

namespace quelbrant::testing {
namespace {

using Vec = std::array<double, 3>;
const double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Pi = 3.141592653589793;
// grating-1d.json: period 1 um along x, glass (1.5) below air (1.0).
constexpr double Period = 1.0;  // um
constexpr double Wavelength = 0.55;  // um
constexpr double NGlass = 1.5;
constexpr double NAir = 1.0;

double dot(const Vec& a, const Vec& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Vec scaled(const Vec& v, double s)
{
    return {v[0] * s, v[1] * s, v[2] * s};
}

Vec unit(const Vec& v)
{
    return scaled(v, 1.0 / std::sqrt(dot(v, v)));
}

// The grating equation at a surface of unit normal N whose grating vector
// runs along the unit tangent X: the tangential wave vector gains
// m (lambda / period) X; the ray keeps (transmitted) or reverses
// (reflected) its side, in the medium it then travels in.
Vec gratingEquation(const Vec& d, const Vec& n, const Vec& x, int m, bool reflected)
{
    const double dn = dot(d, n);
    const Vec tangentIn = {d[0] - dn * n[0], d[1] - dn * n[1], d[2] - dn * n[2]};
    const double nOut = reflected ? NGlass : NAir;
    Vec tangent;
    for (int i = 0; i < 3; ++i)
        tangent[i] = (NGlass * tangentIn[i] + m * Wavelength / Period * x[i]) / nOut;
    const double normal = std::sqrt(1.0 - dot(tangent, tangent)) * (reflected ? -1.0 : 1.0) * (dn > 0 ? 1.0 : -1.0);
    return {tangent[0] + normal * n[0], tangent[1] + normal * n[1], tangent[2] + normal * n[2]};
}

// A ray in the glass travelling +z, as the host passes it.
UserSurfaceCall realRay(const std::string& file, const Vec& position, const Vec& direction)
{
    UserSurfaceCall call(5, file);
    call.out->x = position[0];
    call.out->y = position[1];
    call.out->z = position[2];
    call.out->l = direction[0];
    call.out->m = direction[1];
    call.out->n = direction[2];
    call.in->wavelength = Wavelength;
    call.in->approachIndex = NGlass;
    call.in->exitIndex = NAir;
    return call;
}

struct FrameCase {
    const char* what;
    double curvature;
    double x0;  // start height on x; the ray runs along +z from z = -1
    double rotate;
    bool flipYZ, flipXZ;
    int order;
    bool reflecting;
};

// The grating's x axis and the upper normal at the hit point, by hand: on a
// sphere hit at (x0, 0) the slope is s = c x0 / sqrt(1 - c^2 x0^2), the
// upper normal (-s, 0, 1)/L and the grating axis (1, 0, s)/L; on the plane
// the axis is (cos a, -sin a, 0). Flip XZ reverses the axis, flip YZ keeps
// it; a plane without rotation ignores both.
void handFrame(const FrameCase& c, Vec& normal, Vec& axis)
{
    const double a = c.rotate / 180.0 * Pi;
    if (c.curvature == 0.0) {
        normal = {0.0, 0.0, 1.0};
        axis = {std::cos(a), -std::sin(a), 0.0};
    } else {
        const double s = c.curvature * c.x0 / std::sqrt(1.0 - c.curvature * c.curvature * c.x0 * c.x0);
        normal = unit({-s, 0.0, 1.0});
        axis = unit({1.0, 0.0, s});
    }
    const bool framed = c.curvature != 0.0 || c.rotate != 0.0;
    if (framed && c.flipXZ)
        axis = scaled(axis, -1.0);
}

TEST(UserSurfaceRealRay, OrdersLeaveAsTheGratingEquationSaysInHandComputedFrames)
{
    const FrameCase cases[] = {
        {"plane, order +1", 0.0, 0.0, 0.0, false, false, 1, false},
        {"plane, order -1 reflected", 0.0, 0.0, 0.0, false, false, -1, true},
        {"plane without rotation ignores the flips", 0.0, 0.0, 0.0, true, true, 1, false},
        {"plane rotated 30 degrees", 0.0, 2.0, 30.0, false, false, 1, false},
        {"plane rotated 90, flip XZ", 0.0, 2.0, 90.0, false, true, 1, false},
        {"plane rotated 30, flip YZ", 0.0, 2.0, 30.0, true, false, 1, false},
        {"sphere, tilted normal", 0.02, 10.0, 0.0, false, false, 1, false},
        {"sphere, tilted normal, flip XZ", 0.02, 10.0, 0.0, false, true, -1, false},
        {"sphere, tilted normal, reflected", 0.02, -10.0, 0.0, false, false, 1, true},
    };
    DataFolder folder;
    folder.install("grating-1d.json", "real.json");
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Vec start = {c.x0, 0.0, -1.0};
        const Vec d = {0.0, 0.0, 1.0};
        UserSurfaceCall call = realRay("real.json", start, d);
        call.in->curvature = c.curvature;
        call.in->param[1] = c.order;
        call.in->param[3] = c.rotate;
        call.in->param[5] = c.flipYZ;
        call.in->param[6] = c.flipXZ;
        // A reflecting surface puts the host into mirror space after it,
        // where the written direction is negated.
        call.in->reflecting = c.reflecting;
        call.in->mirrorSpaceAfter = c.reflecting;
        ASSERT_EQ(call.run(), 0);

        Vec normal, axis;
        handFrame(c, normal, axis);
        const Vec expected = scaled(gratingEquation(d, normal, axis, c.order, c.reflecting), c.reflecting ? -1.0 : 1.0);
        EXPECT_NEAR(call.out->l, expected[0], 1e-9);
        EXPECT_NEAR(call.out->m, expected[1], 1e-9);
        EXPECT_NEAR(call.out->n, expected[2], 1e-9);

        // The hit point lies on the surface; the path runs from the start.
        const double r2 = c.x0 * c.x0;
        const double sag = c.curvature == 0.0 ? 0.0
                                              : c.curvature * r2 / (1.0 + std::sqrt(1.0 - c.curvature * c.curvature * r2));
        EXPECT_NEAR(call.out->x, c.x0, 1e-12);
        EXPECT_NEAR(call.out->z, c.curvature == 0.0 ? -1.0 : sag, 1e-9);  // a plane keeps the position
        EXPECT_NEAR(call.out->path, c.curvature == 0.0 ? 0.0 : sag + 1.0, 1e-9);
        EXPECT_EQ(call.out->transmission, 1.0);
        EXPECT_EQ(call.in->traceState, 2);
        // A transverse field of the order's power (incident S = P = 1).
        const double* e = call.in->E;
        const Vec re = {e[0], e[2], e[4]}, im = {e[1], e[3], e[5]};
        const Vec out = {call.out->l, call.out->m, call.out->n};  // either sign: E is transverse
        EXPECT_NEAR(dot(out, re), 0.0, 1e-9);
        EXPECT_NEAR(dot(out, im), 0.0, 1e-9);
        EXPECT_GT(dot(re, re) + dot(im, im), 0.0);
        EXPECT_LE(dot(re, re) + dot(im, im), 2.0 + 1e-9);
    }
}

TEST(UserSurfaceRealRay, MirrorSpaceNegatesTheDirectionNotTheField)
{
    DataFolder folder;
    folder.install("grating-1d.json", "mirror.json");
    UserSurfaceCall plain = realRay("mirror.json", {0, 0, 0}, {0, 0, 1});
    plain.in->param[1] = 1;
    plain.in->E[0] = 1.0;
    UserSurfaceCall mirrored = plain.copy();
    mirrored.in->mirrorSpaceAfter = 1;
    // reflecting 0 and mirrorSpaceAfter 1 differ: the host's direction is
    // negated before the trace, so the host passes it reversed.
    mirrored.out->n = -1.0;
    ASSERT_EQ(plain.run(), 0);
    ASSERT_EQ(mirrored.run(), 0);
    EXPECT_NEAR(mirrored.out->l, -plain.out->l, 1e-12);
    EXPECT_NEAR(mirrored.out->n, -plain.out->n, 1e-12);
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(mirrored.in->E[i], plain.in->E[i], 1e-12);
}

TEST(UserSurfaceRealRay, VerboseTraceWritesTheSameRay)
{
    DataFolder folder;
    folder.install("grating-1d.json", "verbose.json");
    UserSurfaceCall quiet = realRay("verbose.json", {2, 1, -1}, {0.1, 0, std::sqrt(0.99)});
    quiet.in->curvature = 0.02;
    quiet.in->param[1] = 1;
    quiet.in->param[3] = 15.0;
    quiet.in->E[2] = -1.0;
    UserSurfaceCall verbose = quiet.copy();
    verbose.in->param[4] = 99.0;  // every debug line of the trace is written
    ASSERT_EQ(quiet.run(), 0);
    ASSERT_EQ(verbose.run(), 0);
    EXPECT_TRUE(getLogger().isVerbose());
    verbose.in->param[4] = 0.0;
    EXPECT_TRUE(verbose.recordsEqual(quiet));
    getLogger().flush();
    getLogger().setVerbose(false);
    getLogger().setEnabled(false);
}

TEST(UserSurfaceRealRay, PositionGridIsReadAtTheRotatedIntersectionPoint)
{
    DataFolder folder;
    folder.install("grating-2d-positions.json", "positions.json");
    UserSurfaceCall call = realRay("positions.json", {3.0, -2.0, 0.0}, {0, 0, 1});
    call.in->param[1] = 1;
    call.in->param[3] = 90.0;
    seedCallingThreadGenerator(7);
    ASSERT_EQ(call.run(), 0);

    // The same ray handed to the surface directly: at normal incidence the
    // local direction is (0, 0, 1); the position (3, -2) turned by 90
    // degrees is (-2, -3). The result comes back through the frame's
    // transpose: local (x, y) is host (x cos a + y sin a, ...) turned back.
    GratingSurface surface((std::filesystem::path(QUELBRANT_DATA_DIR) / "grating-2d-positions.json").wstring().c_str(),
                           false, false, true);
    double direction[3] = {0.0, 0.0, 1.0};
    BsdfPluginInteraction_V2 record{};
    record.instance = &surface;
    record.direction = direction;
    record.lambda = Wavelength * 1000.0;
    record.energy = 1.0;
    record.esr = record.epr = 1.0;
    record.n1 = NGlass;
    record.n2 = NAir;
    record.x = -2.0;
    record.y = -3.0;
    seedCallingThreadGenerator(7);
    ASSERT_NE(surface.Interaction_V2(&record, {1, 0}, false, true, {0, 0, 0, 0}), 0);
    // Local axes of the plane turned by 90: X = (0, -1, 0), Y = (1, 0, 0).
    EXPECT_NEAR(call.out->l, direction[1], 1e-12);
    EXPECT_NEAR(call.out->m, -direction[0], 1e-12);
    EXPECT_NEAR(call.out->n, direction[2], 1e-12);
}

struct FailureCase {
    const char* what;
    double curvature, a2;
    Vec position, direction;
    double orderX, wavelength;
};

TEST(UserSurfaceRealRay, FailuresLeaveBothRecordsUntouched)
{
    const double big = 1e10;
    const FailureCase cases[] = {
        {"parallel to the vertex plane (dz = 0)", 0.02, 0.0, {0, 0, -1}, {1, 0, 0}, 1, Wavelength},
        {"beyond the sphere's rim", 0.5, 0.0, {5, 0, -1}, {0, 0, 1}, 1, Wavelength},
        {"diverging iteration on a steep asphere", 0.0, 1.0, {1, 0, 0}, {0.8, 0, 0.6}, 1, Wavelength},
        {"position not a number", 0.0, 0.0, {NaN, 0, 0}, {0, 0, 1}, 1, Wavelength},
        {"position not a number on a sphere", 0.02, 0.0, {NaN, 0, 0}, {0, 0, 1}, 1, Wavelength},
        {"direction y not a number on a plane", 0.0, 0.0, {0, 0, 0}, {0, NaN, 1}, 1, Wavelength},
        {"direction z infinite on a plane", 0.0, 0.0, {0, 0, 0}, {0, 0, HUGE_VAL}, 1, Wavelength},
        {"direction y not a number on a sphere", 0.02, 0.0, {0, 0, -1}, {0, NaN, 1}, 1, Wavelength},
        {"order that does not propagate", 0.0, 0.0, {0, 0, 0}, {0, 0, 1}, 5, Wavelength},
        {"Order X not a number", 0.0, 0.0, {0, 0, 0}, {0, 0, 1}, NaN, Wavelength},
        {"Order X beyond int", 0.0, 0.0, {0, 0, 0}, {0, 0, 1}, big, Wavelength},
        {"wavelength not a number", 0.0, 0.0, {0, 0, 0}, {0, 0, 1}, 1, NaN},
    };
    DataFolder folder;
    folder.install("grating-1d.json", "fail.json");
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        UserSurfaceCall call = realRay("fail.json", c.position, c.direction);
        call.in->curvature = c.curvature;
        call.in->param[15] = c.a2;
        call.in->param[1] = c.orderX;
        call.in->wavelength = c.wavelength;
        call.in->E[0] = 1.0;
        const UserSurfaceCall before = call.copy();
        EXPECT_EQ(call.run(), -1);
        EXPECT_TRUE(call.recordsEqual(before));
    }
}

}  // namespace
}  // namespace quelbrant::testing
