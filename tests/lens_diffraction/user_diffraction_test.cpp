// The two-dimensional diffraction entry end to end: a block filled as the
// lens-design host fills it, the shipped 1-D grating (period 1 um along x,
// glass n = 1.5 below, air above) loaded through the cache, and the ray that
// comes back checked against the grating equation
//   n_out sin(theta_out) = n_in sin(theta_in) + m lambda / period.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "DiffractionBlock.h"
#include "diffraction/DiffractionNames.h"
#include "diffraction/DiffractionRequest.h"

namespace {

using namespace quelbrant;
using lenstest::DiffractionBlock;
using lenstest::GratingFolder;
using D = DiffractionData;

constexpr double pi = 3.141592653589793;
constexpr double glass = 1.5;
constexpr double lambdaUm = 0.55;
constexpr double periodUm = 1.0;
const double sin10 = std::sin(10.0 * pi / 180.0);

class UserDiffraction : public ::testing::Test {
protected:
    UserDiffraction() { folder.place(std::string(QUELBRANT_DATA_DIR) + "/grating-1d.json", "g.json"); }

    // A ray from the glass side at 10 degrees in the plane of the host
    // direction (cos a, sin a), s-polarised.
    DiffractionBlock rayAt(double azimuthDegrees, std::vector<double> params = {}) const
    {
        DiffractionBlock block;
        folder.fill(block, "g.json");
        block.setParams(params);
        const double a = azimuthDegrees * pi / 180.0;
        block.setRay({sin10 * std::cos(a), sin10 * std::sin(a), std::cos(10.0 * pi / 180.0)}, lambdaUm, glass,
                     1.0);
        block.setField({std::sin(a), 0.0, -std::cos(a), 0.0, 0.0, 0.0});
        return block;
    }

    GratingFolder folder;
};

void expectDirection(const double* d, double x, double y, double z, const std::string& what)
{
    EXPECT_NEAR(d[D::outCosine], x, 1e-9) << what;
    EXPECT_NEAR(d[D::outCosine + 1], y, 1e-9) << what;
    EXPECT_NEAR(d[D::outCosine + 2], z, 1e-9) << what;
}

TEST_F(UserDiffraction, RequestedOrderLeavesInTheGratingEquationDirection)
{
    // The grating turned by "Rotate Grating (degrees)" r has its lattice
    // vector along (cos r, sin r) in the host's frame; the ray comes in
    // that plane.
    for (double rotation : {0.0, 90.0, -30.0})
        for (int type : {0, 1})
            for (int order : {-1, 0, 1}) {
                DiffractionBlock block = rayAt(rotation, {0.0, 0.0, 0.0, 0.0, rotation});
                block.setOrder(order, 0);
                block[D::type] = type;
                const std::string what = "rotation " + std::to_string(rotation) + " type " +
                                         std::to_string(type) + " order " + std::to_string(order);
                ASSERT_EQ(runUserDiffraction2D(block.data()), 0) << what;
                const double nOut = type == 0 ? 1.0 : glass;
                const double s = (glass * sin10 + order * lambdaUm / periodUm) / nOut;
                const double z = (type == 0 ? 1.0 : -1.0) * std::sqrt(1.0 - s * s);
                const double r = rotation * pi / 180.0;
                expectDirection(block.data(), s * std::cos(r), s * std::sin(r), z, what);
                EXPECT_GT(block[D::outputPower], 0.0) << what;
                EXPECT_LE(block[D::outputPower], 1.0) << what;
                EXPECT_EQ(block[D::servedMarker], 2.0) << what;
                EXPECT_EQ(block[D::servedZero], 0.0) << what;
                EXPECT_EQ(block[D::type], type) << what;
            }
}

TEST_F(UserDiffraction, TiltedNormalTracesInTheFrameItDefines)
{
    // Normal incidence in the local frame: order m leaves at sin = m lambda.
    const double s = lambdaUm / periodUm;
    const double c = std::sqrt(1.0 - s * s);
    struct Case {
        double normal[3];
        double local[3][3];  // rows v, w, n of the hand-made frame
    };
    const Case cases[] = {
        // w = n x X = (0, 0.8, 0) / 0.8, v = w x n = (0.8, 0, -0.6).
        {{0.6, 0.0, 0.8}, {{0.8, 0.0, -0.6}, {0.0, 1.0, 0.0}, {0.6, 0.0, 0.8}}},
        // Turned to +z first.
        {{-0.6, 0.0, -0.8}, {{0.8, 0.0, -0.6}, {0.0, 1.0, 0.0}, {0.6, 0.0, 0.8}}},
        // Along x: n x X = 0, so w = Y and v = Y x X = -Z.
        {{1.0, 0.0, 0.0}, {{0.0, 0.0, -1.0}, {0.0, 1.0, 0.0}, {1.0, 0.0, 0.0}}},
    };
    for (const Case& k : cases)
        for (double rotation : {0.0, 90.0}) {  // the rotation does not turn a tilted ray
            DiffractionBlock block = rayAt(0.0, {0.0, 0.0, 0.0, 0.0, rotation});
            const double* n = k.local[2];
            block.setRay({n[0], n[1], n[2]}, lambdaUm, glass, 1.0);
            block.setField({k.local[1][0], 0, k.local[1][1], 0, k.local[1][2], 0});
            for (int i = 0; i < 3; ++i)
                block[D::normal + i] = k.normal[i];
            block.setOrder(1, 0);
            ASSERT_EQ(runUserDiffraction2D(block.data()), 0);
            const double* v = k.local[0];
            expectDirection(block.data(), s * v[0] + c * n[0], s * v[1] + c * n[1], s * v[2] + c * n[2],
                            "normal " + std::to_string(k.normal[0]) + " rotation " + std::to_string(rotation));
        }
}

TEST_F(UserDiffraction, StochasticEntryServesOnlyTheExpectedTransmittedCall)
{
    const std::vector<double> stochastic{1.0};
    DiffractionBlock unserved = rayAt(0.0, stochastic);
    unserved.setOrder(1, 0);
    unserved[D::expectedOrderX] = 0.0;
    for (int i : {35, 36, 37, 40, 45, 31, 32})
        unserved[i] = 7.0;
    DiffractionBlock before = unserved;
    ASSERT_EQ(runUserDiffraction2D(unserved.data()), 0);
    before[D::outputPower] = 0.0;
    EXPECT_EQ(unserved.doubles(), before.doubles());

    int reflected = 0;
    for (int ray = 0; ray < 400; ++ray) {
        DiffractionBlock block = rayAt(0.0, stochastic);
        block.setOrder(0, 0);
        ASSERT_EQ(runUserDiffraction2D(block.data()), 0);
        if (block[D::outputPower] == 0.0)
            continue;  // no ray chosen (the draw fell beyond the orders' power)
        EXPECT_EQ(block[D::outputPower], 1.0);
        const bool goesBack = block[D::outCosine + 2] < 0.0;
        EXPECT_EQ(block[D::type], goesBack ? 1.0 : 0.0);
        reflected += goesBack;
        // The ray carries the incident amplitude: unit power in, unit out.
        double power = 0.0;
        for (int i = 0; i < 6; ++i)
            power += block[D::outField + i] * block[D::outField + i];
        EXPECT_NEAR(power, 1.0, 1e-9);
    }
    // Glass to air at 10 degrees reflects about 4 % back.
    EXPECT_GT(reflected, 0);
    EXPECT_LT(reflected, 60);
}

TEST_F(UserDiffraction, BadHostNumbersAreRefusedWithTheBlockUntouched)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::size_t index;
        double value;
    };
    const Case cases[] = {
        {D::paramCount, -1.0},      {D::paramCount, nan},       {D::paramCount, 3e9},
        {D::type, nan},             {D::traceOrderX, 1e10},     {D::traceOrderY, -inf},
        {D::expectedOrderX, nan},   {D::expectedOrderY, 2.2e9},
        {D::normal, nan},           {D::normal + 1, -inf},      {D::normal + 2, 0.0},
    };
    for (const Case& c : cases) {
        DiffractionBlock block = rayAt(0.0);
        block[c.index] = c.value;
        const std::vector<double> before = block.doubles();
        EXPECT_EQ(runUserDiffraction2D(block.data()), -1) << c.index << " = " << c.value;
        EXPECT_EQ(std::memcmp(block.data(), before.data(), before.size() * sizeof(double)), 0) << c.index;
    }
}

TEST_F(UserDiffraction, NormalOfAnyLengthIsTracedAsItsUnitVector)
{
    // Normal incidence along the normal: order 0 goes straight through.
    const double h = std::sqrt(0.5);
    const double cases[][2][3] = {
        {{0, 0, 2}, {0, 0, 1}}, {{0, 3, 4}, {0, 0.6, 0.8}}, {{0, 1e-300, 1e-300}, {0, h, h}}};
    for (const auto& c : cases) {
        DiffractionBlock block = rayAt(0.0);
        block.setRay(c[1], lambdaUm, glass, 1.0);
        block.setField({1.0, 0.0, 0.0, 0.0, 0.0, 0.0});
        std::copy(c[0], c[0] + 3, &block[D::normal]);
        ASSERT_EQ(runUserDiffraction2D(block.data()), 0) << c[0][2];
        expectDirection(block.data(), c[1][0], c[1][1], c[1][2], std::to_string(c[0][2]));
    }
}

TEST_F(UserDiffraction, TotalInternalReflectionOutsideThePositionGridLeavesNoRay)
{
    // Glass to air at 60 degrees, far off the grid: the bare interface
    // reflects everything, so the transmitted order asked for does not exist.
    folder.place(std::string(QUELBRANT_DATA_DIR) + "/grating-2d-positions.json", "p.json");
    DiffractionBlock block = rayAt(0.0);
    folder.fill(block, "p.json");
    block.setRay({std::sin(pi / 3.0), 0.0, 0.5}, lambdaUm, glass, 1.0);
    block[D::position] = 1e3;
    block[D::outCosine] = 7.0;
    EXPECT_EQ(runUserDiffraction2D(block.data()), 0);
    EXPECT_EQ(block[D::outputPower], 0.0);
    EXPECT_EQ(block[D::outCosine], 7.0);
}

TEST_F(UserDiffraction, DirectionsTheEngineTakesAsUnitAreServedAsTheUnitRay)
{
    // Glass to air at 40 degrees, reflected off the grid, with |d|^2 - 1 =
    // 5e-10 and one ulp beyond unit z; transmitted along the normal with a
    // 45-degree field: -0, and 1e-10 beyond unit along a tilted normal.
    folder.place(std::string(QUELBRANT_DATA_DIR) + "/grating-2d-positions.json", "p.json");
    const double s = std::sin(2 * pi / 9), c = std::cos(2 * pi / 9), k = std::sqrt(1 + 5e-10);
    const double t = std::sqrt(1 + 1e-10);
    struct Case {
        double given[3], unit[3];
        int type;
        double normal[3] = {0, 0, 1};
    };
    const Case cases[] = {{{s * k, 0, c * k}, {s, 0, c}, 1},
                          {{0, 0, 1 + 0x1p-52}, {0, 0, 1}, 1},
                          {{-0.0, 0, 1}, {0, 0, 1}, 0},
                          {{0.36 * t, 0.48 * t, 0.8 * t}, {0.36, 0.48, 0.8}, 0, {0.36, 0.48, 0.8}}};
    auto run = [&](const double(&direction)[3], const Case& r) {
        DiffractionBlock b = rayAt(0.0);
        folder.fill(b, r.type == 1 ? "p.json" : "g.json");
        b.setRay(direction, lambdaUm, glass, 1.0);
        std::copy(r.normal, r.normal + 3, &b[D::normal]);
        b.setField({std::sqrt(0.5), 0.0, std::sqrt(0.5), 0.0, 0.0, 0.0});
        b[D::position] = 1e3;
        b[D::type] = r.type;
        EXPECT_EQ(runUserDiffraction2D(b.data()), 0) << direction[2];
        return b;
    };
    for (const Case& r : cases) {
        DiffractionBlock given = run(r.given, r), unit = run(r.unit, r);
        EXPECT_GT(given[D::outputPower], 0.0) << r.given[2];
        for (std::size_t i : {D::outputPower, D::outCosine, D::outCosine + 1, D::outCosine + 2, D::outField,
                              D::outField + 2, D::outField + 4})
            EXPECT_NEAR(given[i], unit[i], 1e-6) << r.given[2] << " at " << i;
    }
}

TEST_F(UserDiffraction, OddButHarmlessInputStillTraces)
{
    // A huge parameter count: only the 14 parameters that mean anything are
    // read (the block holds no more, so a sanitizer would see an overrun).
    DiffractionBlock huge = rayAt(0.0);
    huge[D::paramCount] = 2e9;
    EXPECT_EQ(runUserDiffraction2D(huge.data()), 0);
    EXPECT_GT(huge[D::outputPower], 0.0);

    // requestedType is only logged: one no int holds counts as 0.
    DiffractionBlock requested = rayAt(0.0);
    requested[D::requestedType] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(runUserDiffraction2D(requested.data()), 0);

    // No incident field: no power to pass on, and no 0 / 0.
    DiffractionBlock dark = rayAt(0.0);
    dark.setField({0, 0, 0, 0, 0, 0});
    EXPECT_EQ(runUserDiffraction2D(dark.data()), 0);
    EXPECT_EQ(dark[D::outputPower], 0.0);
    // A stochastic surface sends none for it, off the characterised region too.
    folder.place(std::string(QUELBRANT_DATA_DIR) + "/grating-2d-positions.json", "p.json");
    DiffractionBlock darkStochastic = rayAt(0.0, {1.0});
    folder.fill(darkStochastic, "p.json");
    darkStochastic.setField({0, 0, 0, 0, 0, 0});
    darkStochastic[D::position] = 1e3;
    EXPECT_EQ(runUserDiffraction2D(darkStochastic.data()), 0);
    EXPECT_EQ(darkStochastic[D::outputPower], 0.0);
    EXPECT_EQ(darkStochastic[D::outCosine + 2], 0.0);  // no direction written

    // A type that asks for neither family: no outgoing ray.
    DiffractionBlock neither = rayAt(0.0);
    neither[D::type] = 2.0;
    for (int i = 35; i < 46; ++i)
        neither[i] = 7.0;
    EXPECT_EQ(runUserDiffraction2D(neither.data()), 0);
    EXPECT_EQ(neither[D::outputPower], 0.0);
    EXPECT_EQ(neither[D::outCosine], 7.0);
}

TEST_F(UserDiffraction, IndexCheckIsTheFourthParameterWhenTheHostGivesIt)
{
    // "Check environment index" is block double 207: given with N >= 8.
    for (int count : {7, 8}) {
        DiffractionBlock block = rayAt(0.0, {0, 0, 0, 0, 0, 0, 1.0, 0});
        block[D::paramCount] = count;
        block[D::approachIndex] = 1.33;  // not the file's glass
        const std::vector<double> before = block.doubles();
        EXPECT_EQ(runUserDiffraction2D(block.data()), count == 7 ? 0 : -1) << count;
        if (count == 8) {
            EXPECT_EQ(block.doubles(), before);
        }
    }
}

TEST_F(UserDiffraction, MissingFileFailsOnEveryCall)
{
    DiffractionBlock block = rayAt(0.0);
    folder.fill(block, "absent.json");
    const std::vector<double> before = block.doubles();
    EXPECT_EQ(runUserDiffraction2D(block.data()), -1);
    EXPECT_EQ(runUserDiffraction2D(block.data()), -1);
    EXPECT_EQ(block.doubles(), before);
    // Once the file is there, the next call loads it.
    folder.place(std::string(QUELBRANT_DATA_DIR) + "/grating-1d.json", "absent.json");
    EXPECT_EQ(runUserDiffraction2D(block.data()), 0);
}

TEST_F(UserDiffraction, EmptyFolderOpensNothing)
{
    // "\" + name: the drive's root on Windows; elsewhere a working-folder file.
#if !defined(_WIN32)
    std::filesystem::copy_file(std::string(QUELBRANT_DATA_DIR) + "/grating-1d.json", "\\rootless.json",
                               std::filesystem::copy_options::overwrite_existing);
#endif
    DiffractionBlock block = rayAt(0.0);
    block.setFile(u"", u"rootless.json");
    const std::vector<double> before = block.doubles();
    EXPECT_EQ(runUserDiffraction2D(block.data()), -1);
    EXPECT_EQ(block.doubles(), before);
#if !defined(_WIN32)
    std::filesystem::remove("\\rootless.json");
#endif
}

TEST_F(UserDiffraction, TextThatIsNotUtf16NamesNoOtherFile)
{
    // Each differs from the cached g.json only by units a lenient decoder
    // drops. Windows opens that exact name, which does not exist; elsewhere
    // no file name holds it.
    ASSERT_EQ(runUserDiffraction2D(rayAt(0.0).data()), 0);
    const std::u16string dir = lenstest::utf16(folder.directory());
    const std::u16string cases[][2] = {{dir, u"g\xD800X.json"},
                                       {dir, u"g\xDC00.json"},
                                       {dir, u"g.json\xDBFF"},
                                       {dir + u"\xDC00", u"g.json"}};
    for (const auto& c : cases) {
        DiffractionBlock block = rayAt(0.0);
        block.setFile(c[0], c[1]);
        const std::vector<double> before = block.doubles();
        EXPECT_EQ(runUserDiffraction2D(block.data()), -1) << "case " << &c - cases;
        EXPECT_EQ(block.doubles(), before);
#if defined(_WIN32)
        EXPECT_EQ(getDiffractionFilePath(block.data()),
                  std::wstring(c[0].begin(), c[0].end()) + L"\\" + std::wstring(c[1].begin(), c[1].end()));
#endif
    }
}

TEST_F(UserDiffraction, DirectionNotFiniteIsRefusedInEveryMode)
{
    // A NaN beside a tangential part within rounding of zero once passed for
    // normal incidence; a stochastic call for another order reads no ray.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double directions[][3] = {{0, nan, 1},  {1e-17, nan, 1}, {nan, 0, 1},      {0, 0, nan},
                                    {0, inf, 1},  {-inf, 0, 1},    {0, 0, -inf},     {inf, inf, inf}};
    struct Mode {
        std::vector<double> params;
        int expectedX;
        double normal[3];
    };
    const Mode modes[] = {{{}, 0, {0, 0, 1}},        {{0, 0, 0, 0, 30}, 0, {0, 0, 1}}, {{}, 0, {0.6, 0, 0.8}},
                          {{1.0}, 0, {0, 0, 1}},     {{1.0}, 1, {0, 0, 1}},            {{1.0}, 0, {0.6, 0, 0.8}}};
    for (const Mode& mode : modes)
        for (const auto& direction : directions) {
            DiffractionBlock block = rayAt(0.0, mode.params);
            block.setRay(direction, lambdaUm, glass, 1.0);
            std::copy(mode.normal, mode.normal + 3, &block[D::normal]);
            block[D::expectedOrderX] = mode.expectedX;
            const std::vector<double> before = block.doubles();
            EXPECT_EQ(runUserDiffraction2D(block.data()), -1) << &mode - modes << ": " << &direction - directions;
            EXPECT_EQ(std::memcmp(block.data(), before.data(), before.size() * sizeof(double)), 0);
        }
}

TEST_F(UserDiffraction, StochasticRayIsReflectedExactlyWhenItLeavesOnItsOwnSide)
{
    // Glass below air, tilted normals: 45 degrees (beyond the critical
    // angle, all reflected) and 32 degrees (a few percent reflected).
    folder.place(std::string(QUELBRANT_DATA_DIR) + "/bare-interface.json", "b.json");
    const double d = pi / 180.0;
    const double cases[][2] = {{50, 95}, {60, 92}, {-40, 170}};  // normal's and ray's angle from z
    for (const auto& c : cases) {
        const double n[3] = {std::sin(c[0] * d), 0, std::cos(c[0] * d)};
        const double in[3] = {std::sin(c[1] * d), 0, std::cos(c[1] * d)};
        int reflected = 0, served = 0;
        for (int ray = 0; ray < 300; ++ray) {
            DiffractionBlock block = rayAt(0.0, {1.0});
            folder.fill(block, "b.json");
            block.setRay(in, lambdaUm, glass, 1.0);
            std::copy(n, n + 3, &block[D::normal]);
            block.setField({0, 0, 1, 0, 0, 0});
            ASSERT_EQ(runUserDiffraction2D(block.data()), 0);
            if (block[D::outputPower] == 0.0)
                continue;
            const double* out = &block[D::outCosine];
            const bool back = (out[0] * n[0] + out[2] * n[2] > 0.0) != (in[0] * n[0] + in[2] * n[2] > 0.0);
            EXPECT_EQ(block[D::type], back ? 1.0 : 0.0) << c[0] << " ray " << ray;
            reflected += back;
            ++served;
        }
        EXPECT_GT(reflected, 0) << c[0];
        EXPECT_EQ(reflected == served, c[0] == 50) << c[0];
    }
}

TEST(DiffractionNames, ParameterNamesAsTheHostsEditorAsksForThem)
{
    struct Case {
        char number;
        double requestedType;
        const char* name;
    };
    const Case cases[] = {
        {3, 1.0, "Rotate Grating (degrees)"}, {3, 0.0, ""},   {0, 0.0, "*.json"},
        {0, 1.0, "*.json"},                  {1, -2.0, "Stochastic mode"},
        {7, 1.0, "No Interpolation"},        {8, 1.0, ""},    {static_cast<char>(200), 1.0, ""},
        {3, std::numeric_limits<double>::quiet_NaN(), ""},
    };
    for (const Case& c : cases) {
        std::vector<double> block(D::minimumDoubles, 0.0);
        block[D::requestedType] = c.requestedType;
        char data[100];
        std::memset(data, 'x', sizeof data);
        data[0] = c.number;
        EXPECT_EQ(runUserParamNames2D(data, block.data()), 0);
        EXPECT_STREQ(data, c.name);
        for (std::size_t i = std::strlen(c.name); i < sizeof data; ++i)
            ASSERT_EQ(data[i], '\0') << int(c.number) << " byte " << i;
    }
}

TEST(DiffractionNames, NullBlockOrNameBufferIsRefusedWithNothingWritten)
{
    std::vector<double> block(D::minimumDoubles, 0.0);
    char name[100] = {3};
    EXPECT_EQ(runUserDiffraction2D(nullptr), -1);
    EXPECT_EQ(runUserParamNames2D(nullptr, block.data()), -1);
    EXPECT_EQ(runUserParamNames2D(name, nullptr), -1);
    EXPECT_EQ(name[0], 3);
}

TEST(DiffractionNames, FilePathJoinsFolderAndNameWithOneBackslash)
{
    DiffractionBlock block;
    block.setFile(u"C:\\data\\", u"g.json");
    EXPECT_EQ(getDiffractionFilePath(block.data()), L"C:\\data\\\\g.json");
    // Fields without a terminator end at their full length.
    const std::u16string longName(D::fileNameUnits, u'n');
    const std::u16string longFolder(D::directoryUnits, u'd');
    block.setFile(longFolder, longName);
    const std::wstring path = getDiffractionFilePath(block.data()).value();
    EXPECT_EQ(path, std::wstring(D::directoryUnits, L'd') + L"\\" + std::wstring(D::fileNameUnits, L'n'));
}

}  // namespace
