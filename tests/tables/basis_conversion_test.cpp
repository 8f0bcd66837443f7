#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "ConversionFixtures.h"
#include "TablesTestSupport.h"
#include "tables/BasisConversion.h"

using namespace quelbrant;

using namespace tables_test;

namespace {

const std::vector<int> Orders{-1, 0, 1};

struct Layout {
    size_t positions;  // 0: no position dimension
    std::vector<size_t> extents(const Grid& g, size_t nn, size_t nm) const
    {
        std::vector<size_t> e{g.a1.size(), g.a2.size(), g.lambda.size(), nn, nm, 2, 2};
        if (positions > 0)
            e.insert(e.begin(), positions);
        return e;
    }
};

void convert(NdArrayComplex& t, const Grid& g, const std::vector<int>& nn, const std::vector<int>& nm,
             const Lattice& lat, bool position, const TableKind& kind, bool toXY)
{
    convertWith(t, g.a1, g.a2, g.lambda, nn, nm, position, lat, g.def, kind, toXY);
}

// The 2 x 2 block of cell (b, i, j, k) and order (l, q).
Mat2 block(const NdArrayComplex& t, size_t b, size_t i, size_t j, size_t k, size_t l, size_t q)
{
    const size_t p = t.m_size.size() == 8 ? 1 : 0;
    std::vector<size_t> grid(t.m_size.begin(), t.m_size.end() - 2);
    const size_t plane = product(grid);
    std::vector<size_t> index{i, j, k, l, q};
    if (p == 1)
        index.insert(index.begin(), b);
    const size_t offset = flatOffset(index, grid);
    return {t[offset], t[offset + plane], t[offset + 2 * plane], t[offset + 3 * plane]};
}

double magnitude(const Mat2& m)
{
    double largest = 0;
    for (const C& v : m)
        largest = std::max(largest, std::abs(v));
    return largest;
}

void expectBlockNear(const Mat2& got, const Mat2& want, double tol)
{
    for (int e = 0; e < 4; ++e) {
        EXPECT_NEAR(got[e].real(), want[e].real(), tol) << "element " << e;
        EXPECT_NEAR(got[e].imag(), want[e].imag(), tol) << "element " << e;
    }
}

// A single-cell table (no position data) holding one block per order.
NdArrayComplex singleCell(const std::vector<Mat2>& blocks, size_t nn, size_t nm)
{
    NdArrayComplex t;
    t.m_size = {1, 1, 1, nn, nm, 2, 2};
    t.resize(4 * nn * nm);
    for (size_t o = 0; o < blocks.size(); ++o)
        for (int e = 0; e < 4; ++e)
            t[o + nn * nm * e] = blocks[o][e];
    return t;
}

Mat2 diag(C a, C b)
{
    return {a, 0.0, 0.0, b};
}

// Compares every propagating order of a converted table with the textbook
// construction: s = u x z / |u x z|, p = u x s for the incident direction
// and for the order's direction from the grating equation;
// J_xy = [s p]_out M [s p]_in^-1. angle1(i, k) is the first-axis value the
// node (i, k) holds data for. Returns the number of blocks compared.
template <typename Angle1>
size_t expectTextbookConversion(const NdArrayComplex& original, const NdArrayComplex& converted,
                                const Grid& g, Angle1 angle1, const Lattice& lat, size_t positions,
                                const TableKind& kind, bool toXY)
{
    size_t checked = 0;
    for (size_t b = 0; b < positions; ++b)
        for (size_t i = 0; i < g.a1.size(); ++i)
            for (size_t j = 0; j < g.a2.size(); ++j)
                for (size_t k = 0; k < g.lambda.size(); ++k) {
                    const Vec3 in = incidentDirection(g, angle1(i, k), g.a2[j], g.lambda[k], kind);
                    const auto inBasis = spToXY(in);
                    for (size_t l = 0; l < Orders.size(); ++l)
                        for (size_t q = 0; q < Orders.size(); ++q) {
                            bool propagating = false;
                            const Vec3 out =
                                orderDirection(in, g.lambda[k], kind, Orders[l], Orders[q], lat.k1x[b],
                                               lat.k1y[b], lat.k2x[b], lat.k2y[b], propagating);
                            if (!propagating || std::abs(out[2]) < 0.05)
                                continue;
                            const auto outBasis = spToXY(out);
                            const Mat2 m = block(original, b, i, j, k, l, q);
                            const Mat2 want = toXY ? product(outBasis, m, inverse(inBasis))
                                                   : product(inverse(outBasis), m, inBasis);
                            expectBlockNear(block(converted, b, i, j, k, l, q), want,
                                            1e-11 * magnitude(want));
                            ++checked;
                        }
                }
    return checked;
}

// Grids around the awkward directions: normal, grazing, beyond the light cone.
std::vector<Grid> extremeGrids()
{
    const std::vector<double> lambda{0.5e-6};
    const double k = 2 * TestPi / 0.5e-6;
    return {
        {"polar, normal to grazing", GratingSurface::POLAR, {0, 89.9999, 90}, {0, 90}, lambda},
        {"unit vector, normal and grazing", GratingSurface::UNIT_VECTOR, {0, 1}, {0}, lambda},
        {"k vector, normal and beyond the light cone", GratingSurface::K_VECTOR, {0, 2.0 * k}, {0}, lambda},
    };
}

}  // namespace

TEST(BasisConversion, RoundTripRestoresEveryCellOfEveryTable)
{
    std::vector<Grid> grids = obliqueGrids();
    for (const Grid& g : extremeGrids())
        grids.push_back(g);
    unsigned seed = 1;
    for (const Grid& g : grids)
        for (const TableKind& kind : tableKinds())
            for (size_t positions : {0, 2}) {
                SCOPED_TRACE(std::string(g.name) + ", " + kind.name + (positions ? ", positions" : ""));
                const Lattice lat = lattice(positions ? positions : 1);
                const Layout layout{positions};
                const NdArrayComplex original = randomTable(layout.extents(g, 3, 3), seed++);
                NdArrayComplex t = original;
                convert(t, g, Orders, Orders, lat, positions > 0, kind, true);
                EXPECT_NE(t, original);
                convert(t, g, Orders, Orders, lat, positions > 0, kind, false);
                ASSERT_EQ(t.m_size, original.m_size);
                // Grazing and evanescent directions divide by |uz| = 1e-05,
                // so the error scales with 1e5 eps there.
                for (size_t f = 0; f < t.size(); ++f)
                    ASSERT_NEAR(std::abs(t[f] - original[f]), 0.0, 1e-9) << "flat offset " << f;
            }
}

TEST(BasisConversion, XYBlocksMatchTheFieldGeometryOfEachOrder)
{
    for (const Grid& g : obliqueGrids())
        for (const TableKind& kind : tableKinds())
            for (bool toXY : {true, false}) {
                SCOPED_TRACE(std::string(g.name) + ", " + kind.name +
                             (toXY ? ", S/P to X/Y" : ", X/Y to S/P"));
                const size_t positions = 2;
                const Lattice lat = lattice(positions);
                const NdArrayComplex original = randomTable(Layout{positions}.extents(g, 3, 3), 7);
                NdArrayComplex t = original;
                convert(t, g, Orders, Orders, lat, true, kind, toXY);
                const auto axis = [&g](size_t i, size_t) { return g.a1[i]; };
                const size_t checked =
                    expectTextbookConversion(original, t, g, axis, lat, positions, kind, toXY);
                EXPECT_GT(checked, 100u);
            }
}

TEST(BasisConversion, NormalIncidenceMapsSAndPOntoTheAxes)
{
    // At normal incidence the plane of incidence is the one of the grid's
    // azimuth: s = (sin phi, -cos phi, 0), p = uz (cos phi, sin phi, 0). With
    // phi = 0, X is P and Y is -S on a ray along +z; on a ray along -z the
    // sign of p (hence of X) flips. So a reflection, which reverses uz, turns
    // diag(rs, rp) into diag(-rp, rs); a transmission keeps diag(tp, ts).
    // With phi = 90 degrees X is S and Y is uz P.
    const C rs(0.3, -0.2), rp(-0.25, 0.1);
    const std::vector<double> lambda{0.5e-6};
    const struct {
        Grid grid;
        Mat2 reflected;
        Mat2 transmitted;
    } cases[] = {
        {{"polar, phi 0", GratingSurface::POLAR, {0}, {0}, lambda}, diag(-rp, rs), diag(rp, rs)},
        {{"polar, phi 90", GratingSurface::POLAR, {0}, {90}, lambda}, diag(rs, -rp), diag(rs, rp)},
        // atan2(0, 0) = 0 on the other grids.
        {{"unit vector", GratingSurface::UNIT_VECTOR, {0}, {0}, lambda}, diag(-rp, rs), diag(rp, rs)},
        {{"k vector", GratingSurface::K_VECTOR, {0}, {0}, lambda}, diag(-rp, rs), diag(rp, rs)},
    };
    const Lattice lat = lattice(1);
    const std::vector<int> zeroth{0};
    for (const auto& c : cases)
        for (const TableKind& kind : tableKinds()) {
            SCOPED_TRACE(std::string(c.grid.name) + ", " + kind.name);
            const bool reflection = kind.name[0] == 'R';
            NdArrayComplex t = singleCell({diag(rs, rp)}, 1, 1);
            convert(t, c.grid, zeroth, zeroth, lat, false, kind, true);
            expectBlockNear(block(t, 0, 0, 0, 0, 0, 0), reflection ? c.reflected : c.transmitted, 1e-15);
        }
}

TEST(BasisConversion, GrazingIncidenceDividesByTheFlooredUz)
{
    // theta = 90: uz of the incident ray is cos(pi/2) ~ 6e-17, floored to
    // 1e-05 with the sign of the incident side. A P -> P coefficient of 1
    // then gives X -> X = uzOut / uzIn (X = uz P on both sides), with uzOut
    // floored as well when the order grazes or is evanescent.
    const std::vector<double> lambda{0.5e-6};
    const Grid grazing{"polar grazing", GratingSurface::POLAR, {90}, {0}, lambda};
    const double transmittedUz = -std::sqrt(1 - (NUpper / NLower) * (NUpper / NLower));
    const struct {
        int kind;
        double expected;
    } cases[] = {
        {0, -1e-05 / 1e-05},          // reflected into glass along the surface
        {1, 1e-05 / 1e-05},           // 1.5 sin 90 > 1: evanescent in air
        {2, 1e-05 / -1e-05},          // reflected into air along the surface
        {3, transmittedUz / -1e-05},  // refracted into glass at the critical angle
    };
    const Lattice lat = lattice(1);
    const std::vector<int> zeroth{0};
    for (const auto& c : cases) {
        const TableKind& kind = tableKinds()[c.kind];
        SCOPED_TRACE(kind.name);
        NdArrayComplex t = singleCell({diag(0.0, 1.0)}, 1, 1);
        convert(t, grazing, zeroth, zeroth, lat, false, kind, true);
        const Mat2 got = block(t, 0, 0, 0, 0, 0, 0);
        EXPECT_NEAR(got[0].real(), c.expected, 1e-9 * std::abs(c.expected));
        for (int e = 1; e < 4; ++e)
            EXPECT_EQ(std::abs(got[e]), 0.0);
    }
}

TEST(BasisConversion, EvanescentOrderConvertsWithTheFlooredUz)
{
    // Normal incidence from glass, period 0.4 um at 0.5 um: order 1 has
    // ux = 1.25 in air, beyond the light cone. An X -> X coefficient of 1
    // means P -> P = 1 / uzOut (X = uz P), floored to 1 / 1e-05.
    const Grid normal{"polar normal", GratingSurface::POLAR, {0}, {0}, {0.5e-6}};
    Lattice lat;
    lat.k1x = {2 * TestPi / 0.4e-6};
    lat.k1y = lat.k2x = lat.k2y = {0.0};
    const std::vector<int> nn{0, 1}, nm{0};
    NdArrayComplex t = singleCell({Mat2{}, diag(1.0, 0.0)}, 2, 1);
    convert(t, normal, nn, nm, lat, false, tableKinds()[1], false);
    const Mat2 got = block(t, 0, 0, 0, 0, 1, 0);
    EXPECT_NEAR(got[3].real(), 1e5, 1e-6);
    EXPECT_TRUE(std::isfinite(got[3].real()));
    EXPECT_EQ(std::abs(got[0]) + std::abs(got[1]) + std::abs(got[2]), 0.0);
    EXPECT_EQ(magnitude(block(t, 0, 0, 0, 0, 0, 0)), 0.0);
}

TEST(BasisConversion, ZeroBlocksAreLeftAloneAndOthersRewritten)
{
    // Orders the file did not list are all-zero blocks; they are not
    // touched (a -0.0 keeps its sign bit). One non-zero element is enough
    // for a block to be converted.
    const Grid g = obliqueGrids()[0];
    const C negativeZero(-0.0, -0.0);
    NdArrayComplex t = singleCell(
        {Mat2{negativeZero, negativeZero, negativeZero, negativeZero}, Mat2{0.0, 0.0, C(0.0, 0.5), 0.0}}, 2,
        1);
    const Grid one{"polar", GratingSurface::POLAR, {g.a1[1]}, {g.a2[1]}, {g.lambda[0]}};
    convert(t, one, {0, 1}, {0}, lattice(1), false, tableKinds()[0], true);
    const Mat2 zero = block(t, 0, 0, 0, 0, 0, 0);
    for (const C& v : zero) {
        EXPECT_TRUE(std::signbit(v.real()));
        EXPECT_TRUE(std::signbit(v.imag()));
    }
    const Mat2 single = block(t, 0, 0, 0, 0, 1, 0);
    EXPECT_NE(single, (Mat2{0.0, 0.0, C(0.0, 0.5), 0.0}));
    EXPECT_GT(magnitude(single), 0.0);
}

TEST(BasisConversion, MalformedArgumentsAreRejectedBeforeAnythingChanges)
{
    const Grid g = obliqueGrids()[0];
    const Lattice one = lattice(1), two = lattice(2);
    const TableKind& kind = tableKinds()[0];
    struct Case {
        const char* name;
        std::vector<size_t> extents;
        bool position;
        std::vector<double> a1;
        std::vector<int> nn;
        Lattice lat;
    };
    const Case cases[] = {
        {"six dimensions", {3, 3, 3, 3, 2, 2}, false, g.a1, Orders, one},
        {"position flag without position dimension", {3, 3, 3, 3, 3, 2, 2}, true, g.a1, Orders, one},
        {"PolIn extent 3", {3, 3, 3, 3, 3, 2, 3}, false, g.a1, Orders, one},
        {"first axis shorter than the table", {3, 3, 3, 3, 3, 2, 2}, false, {5, 20}, Orders, one},
        {"n orders shorter than the table", {3, 3, 3, 3, 3, 2, 2}, false, g.a1, {0, 1}, one},
        {"lattice lists shorter than the positions", {3, 3, 3, 3, 3, 3, 2, 2}, true, g.a1, Orders, two},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NdArrayComplex t = randomTable(c.extents, 3);
        const NdArrayComplex before = t;
        EXPECT_THROW(convertWith(t, c.a1, g.a2, g.lambda, c.nn, Orders, c.position, c.lat, g.def, kind, true),
                     std::out_of_range);
        EXPECT_EQ(t, before);
        EXPECT_EQ(t.m_size, before.m_size);
    }
    // Labels longer than the table are fine.
    NdArrayComplex t = randomTable({2, 3, 3, 3, 3, 2, 2}, 4);
    EXPECT_NO_THROW(convertWith(t, g.a1, g.a2, g.lambda, Orders, Orders, false, two, g.def, kind, true));
}

TEST(BasisConversion, PerWavelengthThetaConvertsEachNodeAtItsOwnAngle)
{
    // With "f_conversion" the node (i, j, k) holds data for the incidence
    // angle theta(i, k) of the per-wavelength table, not for axis value i.
    // Expected from the textbook construction at that angle.
    const Grid g = obliqueGrids()[0];
    NdArrayReal theta;
    theta.m_size = {g.a1.size(), g.lambda.size()};
    for (size_t k = 0; k < g.lambda.size(); ++k)
        for (size_t i = 0; i < g.a1.size(); ++i)
            theta.push_back(g.a1[i] * (0.7 + 0.25 * static_cast<double>(k)) + 3.0);
    const size_t positions = 2;
    const Lattice lat = lattice(positions);
    for (const TableKind& kind : tableKinds())
        for (bool toXY : {true, false}) {
            SCOPED_TRACE(std::string(kind.name) + (toXY ? ", S/P to X/Y" : ", X/Y to S/P"));
            const NdArrayComplex original = randomTable(Layout{positions}.extents(g, 3, 3), 11);
            NdArrayComplex t = original;
            convertWith(t, g.a1, g.a2, g.lambda, Orders, Orders, true, lat, g.def, kind, toXY, &theta);
            const auto perWavelength = [&](size_t i, size_t k) { return theta[i + g.a1.size() * k]; };
            EXPECT_GT(expectTextbookConversion(original, t, g, perWavelength, lat, positions, kind, toXY),
                      100u);
        }
}

TEST(BasisConversion, AnEmptyPerWavelengthThetaTableChangesNothing)
{
    // Files without "f_conversion" pass an empty table (or none): the
    // result is the one of the plain axis, bit for bit.
    for (const Grid& g : obliqueGrids())
        for (const TableKind& kind : tableKinds()) {
            SCOPED_TRACE(std::string(g.name) + ", " + kind.name);
            const Lattice lat = lattice(1);
            const NdArrayComplex original = randomTable(Layout{0}.extents(g, 3, 3), 5);
            NdArrayComplex plain = original;
            convert(plain, g, Orders, Orders, lat, false, kind, true);
            NdArrayComplex withEmpty = original;
            const NdArrayReal empty;
            convertWith(withEmpty, g.a1, g.a2, g.lambda, Orders, Orders, false, lat, g.def, kind, true,
                        &empty);
            ASSERT_EQ(plain.size(), withEmpty.size());
            EXPECT_EQ(std::memcmp(plain.data(), withEmpty.data(), plain.size() * sizeof(C)), 0);
        }
}

TEST(BasisConversion, MalformedPerWavelengthThetaTablesAreRejected)
{
    const Grid polar = obliqueGrids()[0];
    const Grid unitVector = obliqueGrids()[1];
    const Lattice lat = lattice(1);
    const TableKind& kind = tableKinds()[1];
    auto table = [](std::vector<size_t> extents, size_t elements) {
        NdArrayReal t;
        t.m_size = std::move(extents);
        t.assign(elements, 10.0);
        return t;
    };
    struct Case {
        const char* name;
        const Grid& grid;
        NdArrayReal theta;
    };
    const Case cases[] = {
        {"a grid that is not polar", unitVector, table({3, 3}, 9)},
        {"fewer theta rows than the axis", polar, table({2, 3}, 6)},
        {"fewer wavelength columns than the axis", polar, table({3, 2}, 6)},
        {"one dimension", polar, table({9}, 9)},
        {"fewer elements than the extents", polar, table({3, 3}, 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NdArrayComplex t = randomTable(Layout{0}.extents(c.grid, 3, 3), 9);
        const NdArrayComplex before = t;
        EXPECT_THROW(convertWith(t, c.grid.a1, c.grid.a2, c.grid.lambda, Orders, Orders, false, lat,
                                 c.grid.def, kind, true, &c.theta),
                     std::out_of_range);
        EXPECT_EQ(t, before);
    }
}
