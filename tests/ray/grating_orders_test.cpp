// Diffraction by the sample gratings: outgoing directions from the grating
// equation, order frequencies in proportion to the orders' powers, result
// codes, requested orders, and the field of a ray along the normal.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "InteractionTestSupport.h"
#include "RandomGeneratorTesting.h"
#include "orders/FieldBasisConversions.h"

using namespace quelbrant;

namespace {

constexpr double Glass = 1.5;
constexpr double Air = 1.0;
constexpr double TwoPi = 2.0 * Pi;

// One outgoing order of an incident ray: family and order numbers with the
// direction the grating equation gives it.
struct ExpectedOrder {
    bool reflected;
    int n, m;
    double u[3];
};

// Every propagating order (n, m) in the lists: k_out,xy = k_in,xy + n K1 +
// m K2 with |k_out| = 2 pi n_out / lambda.
std::vector<ExpectedOrder> gratingEquation(const double in[3], double nIn, double nOut, double lambda,
                                           const double K1[2], const double K2[2], const std::vector<int>& ns,
                                           const std::vector<int>& ms, bool reflectsZerothOnly = false)
{
    std::vector<ExpectedOrder> orders;
    for (bool reflected : {true, false}) {
        const double k = TwoPi * (reflected ? nIn : nOut) / lambda;
        const double kIn = TwoPi * nIn / lambda;
        for (int m : ms)
            for (int n : ns) {
                const double ux = (kIn * in[0] + n * K1[0] + m * K2[0]) / k;
                const double uy = (kIn * in[1] + n * K1[1] + m * K2[1]) / k;
                if (ux * ux + uy * uy >= 1.0 || (reflected && reflectsZerothOnly && (n != 0 || m != 0)))
                    continue;
                const double uz =
                    std::sqrt(1.0 - ux * ux - uy * uy) * (reflected ? -1.0 : 1.0) * (in[2] > 0 ? 1.0 : -1.0);
                orders.push_back({reflected, n, m, {ux, uy, uz}});
            }
    }
    return orders;
}

// Index of the expected order the traced ray left by, or -1.
int matchOrder(const std::vector<ExpectedOrder>& orders, const TestRay& ray, int result)
{
    for (size_t i = 0; i < orders.size(); ++i) {
        if (orders[i].reflected != (result < 0))
            continue;
        const double d = std::hypot(ray.direction[0] - orders[i].u[0], ray.direction[1] - orders[i].u[1],
                                    ray.direction[2] - orders[i].u[2]);
        if (d < 1e-9)
            return static_cast<int>(i);
    }
    return -1;
}

struct Incidence {
    const char* file;
    double thetaDeg, phiDeg;
    bool fromLower;
    double lambdaNm;
    double K1[2], K2[2];
    std::vector<int> ns, ms;
    double nLower;
    bool reflectsZerothOnly;
};

TestRay incidentRay(const Incidence& c)
{
    TestRay ray;
    ray.polar(c.thetaDeg, c.phiDeg, c.fromLower).wavelength(c.lambdaNm).field({0.8, 0.0}, {0.0, 0.6});
    ray.media(c.fromLower ? c.nLower : Air, c.fromLower ? Air : c.nLower);
    return ray;
}

const double K1d = TwoPi / 1e-6;
const double Kxy = TwoPi / 0.8e-6;

const Incidence Cases[] = {
    // grating-1d: period 1 um along x; from glass, 5 orders propagate.
    {"grating-1d.json", 20.0, 0.0, true, 550.0, {K1d, 0.0}, {0.0, 0.0}, {-1, 0, 1}, {0}, Glass, false},
    // off the phi nodes and between wavelength nodes, from air.
    {"grating-1d.json", 33.0, 160.0, false, 612.0, {K1d, 0.0}, {0.0, 0.0}, {-1, 0, 1}, {0}, Glass, false},
    // X/Y data on a ux/uy grid; grating vector at 30 degrees to x.
    {"grating-unit-vectors-xy.json",
     25.0,
     70.0,
     true,
     500.0,
     {Kxy * 0.8660254037844387, Kxy * 0.5},
     {0.0, 0.0},
     {-1, 0, 1},
     {0},
     1.46,
     true},
    // kx/ky grid, lattice along y only.
    {"grating-kvector.json",
     15.0,
     100.0,
     false,
     580.0,
     {0.0, 0.0},
     {0.0, TwoPi / 1.2e-6},
     {0},
     {-1, 0, 1},
     Glass,
     false},
};

// Requested orders of a lossless side give each order's share of the total
// power; random rays must leave by each order with that frequency, in the
// direction of the grating equation.
TEST(GratingOrders, FrequenciesFollowPowersAndDirectionsFollowTheGratingEquation)
{
    for (const Incidence& c : Cases) {
        SCOPED_TRACE(std::string(c.file) + " theta " + std::to_string(c.thetaDeg));
        std::unique_ptr<GratingSurface> surface = loadSample(c.file);
        const TestRay in = incidentRay(c);
        const double nIn = in.record.n1;
        const double nOut = in.record.n2;
        const std::vector<ExpectedOrder> orders = gratingEquation(
            in.direction, nIn, nOut, c.lambdaNm * 1e-9, c.K1, c.K2, c.ns, c.ms, c.reflectsZerothOnly);
        ASSERT_GE(orders.size(), 3u);

        std::vector<double> share(orders.size(), 0.0);
        double total = 0.0;
        for (size_t i = 0; i < orders.size(); ++i) {
            TestRay ray = in;
            const int result =
                trace(*surface, ray, {orders[i].n, orders[i].m}, orders[i].reflected, !orders[i].reflected);
            ASSERT_EQ(result, 1) << "order " << orders[i].n << "," << orders[i].m;
            ASSERT_EQ(matchOrder(orders, ray, orders[i].reflected ? -1 : 1), static_cast<int>(i));
            share[i] = ray.record.energy;
            total += share[i];
        }
        // Listed orders the table gives no power cannot be asked for; the
        // shares of the propagating ones exhaust the total.
        EXPECT_NEAR(total, 1.0, 1e-12);

        seedCallingThreadGenerator(7);
        const size_t N = 200000;
        std::vector<size_t> count(orders.size(), 0);
        for (size_t r = 0; r < N; ++r) {
            TestRay ray = in;
            const int result = trace(*surface, ray);
            const int i = matchOrder(orders, ray, result);
            ASSERT_GE(i, 0) << "direction " << ray.direction[0] << " " << ray.direction[1] << " "
                            << ray.direction[2];
            ASSERT_NEAR(std::norm(ray.es()) + std::norm(ray.ep()), 1.0, 1e-12);
            ASSERT_EQ(ray.record.energy, 1.0);
            ++count[static_cast<size_t>(i)];
        }
        for (size_t i = 0; i < orders.size(); ++i)
            EXPECT_TRUE(frequencyMatches(count[i], N, share[i]))
                << (orders[i].reflected ? "R " : "T ") << orders[i].n << "," << orders[i].m;
    }
}

TEST(GratingOrders, SpecularZerothOrdersAnswerOneAndOtherOrdersSix)
{
    std::unique_ptr<GratingSurface> surface = loadSample("grating-1d.json");  // specular flags set
    // From glass at 40 degrees, near the critical angle: R 0 and -1, T 0 and
    // -1 propagate, each with a sizeable power.
    Incidence c = Cases[0];
    c.thetaDeg = 40.0;
    const TestRay in = incidentRay(c);
    const std::vector<ExpectedOrder> orders =
        gratingEquation(in.direction, Glass, Air, 550e-9, c.K1, c.K2, c.ns, c.ms);
    ASSERT_EQ(orders.size(), 4u);
    seedCallingThreadGenerator(11);
    std::map<int, int> codeOfOrder;
    for (int r = 0; r < 20000; ++r) {
        TestRay ray = in;
        const int result = trace(*surface, ray);
        const int i = matchOrder(orders, ray, result);
        ASSERT_GE(i, 0);
        const ExpectedOrder& o = orders[static_cast<size_t>(i)];
        const int magnitude = (o.n == 0 && o.m == 0) ? 1 : 6;
        ASSERT_EQ(result, o.reflected ? -magnitude : magnitude) << o.n;
        codeOfOrder[result] += 1;
    }
    // All four codes seen: -1, -6 (reflected), +1 (T zeroth), +6 (T -1).
    EXPECT_EQ(codeOfOrder.size(), 4u);

    // The same orders without the flags answer 6: grating-2d-positions has
    // none set.
    std::unique_ptr<GratingSurface> plain = loadSample("grating-2d-positions.json");
    TestRay ray;
    ray.polar(10.0, 0.0, false).media(Air, Glass).wavelength(450.0).at(-2.0, 0.0);
    EXPECT_EQ(trace(*plain, ray, {0, 0}, true, false), -6);
    ray = TestRay();
    ray.polar(10.0, 0.0, false).media(Air, Glass).wavelength(450.0).at(-2.0, 0.0);
    EXPECT_EQ(trace(*plain, ray, {0, 0}, false, true), 6);
}

TEST(GratingOrders, WavelengthDependentThetaGridMatchesTheFixedGrid)
{
    // Both files describe one grating; only their angular sampling differs.
    std::unique_ptr<GratingSurface> fixed = loadSample("grating-1d.json");
    std::unique_ptr<GratingSurface> converted = loadSample("grating-1d-fconversion.json");
    // Angles whose cells hold no sign change of an order's S/P basis (the -1 order
    // turns from backward to forward at 33.4 degrees, flipping its s vector).
    for (double theta : {10.0, 20.0, 50.0, 60.0}) {
        for (bool reflected : {true, false}) {
            for (int n : {-1, 0, 1}) {
                TestRay a;
                a.polar(theta, 0.0, false).media(Air, Glass).wavelength(550.0);
                TestRay b = a;
                const int ra = trace(*fixed, a, {n, 0}, reflected, !reflected);
                const int rb = trace(*converted, b, {n, 0}, reflected, !reflected);
                ASSERT_EQ(ra, rb) << theta << " " << n;
                if (ra == 0)
                    continue;
                EXPECT_NEAR(a.record.energy, b.record.energy, 0.01) << theta << " " << n;
                for (int i = 0; i < 3; ++i)
                    EXPECT_NEAR(a.direction[i], b.direction[i], 1e-12);
            }
        }
    }
}

TEST(GratingOrders, RayAlongTheNormalLeavesWithTheFieldOfARayAHairOffItWhateverTheSignsOfItsZeros)
{
    // Ex 1, Ey 0.5i in the S/P basis of each ray's own direction; X/Y data read
    // in S/P and in X/Y; phi over a whole turn, over a quarter, and a polar
    // grid hit at -90 degrees (phi every 90 degrees).
    for (int c = 0; c < 6; ++c) {
        SyntheticGrating g;
        g.value = [](int, bool t, size_t, size_t, size_t, size_t, size_t, size_t o, size_t i) {
            return Complex(0.2 + 0.4 * (o == i) + 0.1 * t, 0.3 * o - 0.1 * i);
        };
        if (c / 2 == 1) {
            g.positionKind = "RAD_POL";
            g.first = {0.0, 0.01};
            g.second = {-180.0, 180.0};
            g.indexMapRows = {{1, 2}, {3, 4}};
            g.K1PerPosition = g.K2PerPosition = std::vector<std::array<double, 2>>(4, {0.0, 0.0});
        }
        g.phi = c / 2 == 2 ? std::vector<double>{0.0, 90.0} : std::vector<double>{0.0, 90.0, 180.0, 270.0, 360.0};
        nlohmann::json doc = g.toJson();
        doc["polarization_data_basis"] = 2;
        doc["polarization_interpolation_basis"] = 2 + c % 2;
        std::unique_ptr<GratingSurface> surface = loadFile(writeTemporaryFile("signed-zeros.json", doc));
        for (int family = 0; family < 4; ++family) {  // side, and R or T
            Complex offNormal[3];
            for (int zeros = -1; zeros < 4; ++zeros) {  // -1: the ray 1e-9 off the normal
                TestRay ray;
                const double* d = ray.direction;
                const double x = zeros < 0 ? 1e-9 : (zeros & 1 ? -0.0 : 0.0);
                ray.towards(x, zeros > 1 ? -0.0 : 0.0, family & 1 ? -1.0 : 1.0).at(0.0, -5.0);
                Complex es, ep, E[3];
                convertXYZtoSPfromUnitVector(1.0, Complex(0.0, 0.5), 0.0, es, ep, d[0], d[1], d[2]);
                ASSERT_NE(trace(*surface, ray.field(es, ep), {}, family & 2, !(family & 2)), 0) << c << family;
                convertSPtoXYZfromUnitVector(ray.es(), ray.ep(), E[0], E[1], E[2], d[0], d[1], d[2]);
                for (int k = 0; k < 3; ++k) {
                    if (zeros < 0)
                        offNormal[k] = E[k];
                    EXPECT_LT(std::abs(E[k] - offNormal[k]), 1e-8) << c << " " << family << " " << zeros << " " << k;
                }
            }
        }
    }
}

}  // namespace
