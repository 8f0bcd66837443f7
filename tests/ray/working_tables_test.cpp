// The ray path's working copy of the tables must give exactly (bit for bit)
// what the reference interpolators give on the dense tables.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "GratingSurfaceAccess.h"
#include "InteractionTestSupport.h"
#include "RandomGeneratorTesting.h"
#include "interpolation/InteractionSurfaceTables.h"
#include "interpolation/Interpolation.h"
#include "logger.h"

using namespace quelbrant;

namespace {

using Access = GratingSurfaceAccess;

bool bitIdentical(const NdArrayComplex& a, const NdArrayComplex& b)
{
    return a.m_size == b.m_size && a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(Complex)) == 0;
}

// A coordinate on an axis: usually inside, sometimes exactly on a node,
// sometimes beyond either end.
double pickCoordinate(std::mt19937_64& random, const double* axis, size_t count)
{
    const double low = axis[0];
    const double high = axis[count - 1];
    const double span = high > low ? high - low : 1.0;
    std::uniform_int_distribution<int> kind(0, 9);
    const int k = kind(random);
    if (k == 0)
        return axis[std::uniform_int_distribution<size_t>(0, count - 1)(random)];
    if (k == 1)
        return std::uniform_real_distribution<double>(low - 0.2 * span, low)(random);
    if (k == 2)
        return std::uniform_real_distribution<double>(high, high + 0.2 * span)(random);
    if (k == 3 && count > 1) {
        // Exactly midway between two nodes (a tie in nearest mode).
        const size_t i = std::uniform_int_distribution<size_t>(0, count - 2)(random);
        return 0.5 * (axis[i] + axis[i + 1]);
    }
    return std::uniform_real_distribution<double>(low, high)(random);
}

int referenceInterpolation(const GratingSurface& s, size_t side, const NdArrayComplex& table,
                           const GridPoint& p, std::vector<double>& k1gk2g, int noInterp,
                           NdArrayComplex& result)
{
    return interpGratingOrders(result, table, halfSpaceGrid(s, side), p, k1gk2g, noInterp);
}

void expectWorkingCopyMatchesReference(const GratingSurface& s, const std::string& name, size_t points)
{
    const std::shared_ptr<const InteractionTables> tables = makeInteractionTables(s);
    std::mt19937_64 random(20240611);
    for (size_t side = 0; side < 2; ++side) {
        SCOPED_TRACE(name + (side == 0 ? " lower" : " upper"));
        ASSERT_TRUE(tables->usable[side]);
        const HalfSpaceGrid grid = halfSpaceGrid(s, side);
        size_t answered = 0;
        for (size_t n = 0; n < points; ++n) {
            GridPoint p;
            // Theta of the frequency-dependent grid: pick within the first
            // column, whose range the other columns share roughly.
            p.angle1 = pickCoordinate(random, grid.angle1Nodes, grid.angle1Length);
            p.angle2 = pickCoordinate(random, grid.angle2->data(), grid.angle2->size());
            p.lambda = pickCoordinate(random, grid.lambda->data(), grid.lambda->size());
            if (grid.withPosition) {
                p.first = pickCoordinate(random, grid.X->data(), grid.X->size());
                p.second = pickCoordinate(random, grid.Y->data(), grid.Y->size());
            }
            const int noInterp = std::uniform_int_distribution<int>(-1, 8)(random);

            std::vector<double> kReference(6, 0.25);
            std::vector<double> kWorking(6, 0.25);
            NdArrayComplex R, T, fastR, fastT;
            const int status =
                referenceInterpolation(s, side, Access::mR(s)[side], p, kReference, noInterp, R);
            ASSERT_EQ(referenceInterpolation(s, side, Access::mT(s)[side], p, kReference, noInterp, T),
                      status);
            InterpolationStencil stencil;
            const bool located = locateInterpolationStencil(grid, p, noInterp, stencil, kWorking.data());
            ASSERT_EQ(located, status == 0) << "point " << n;
            ASSERT_EQ(std::memcmp(kReference.data(), kWorking.data(), 6 * sizeof(double)), 0)
                << "point " << n;
            if (!located)
                continue;
            ++answered;
            interpolateAtStencil(tables->R[side], stencil, fastR);
            interpolateAtStencil(tables->T[side], stencil, fastT);
            ASSERT_TRUE(bitIdentical(R, fastR)) << "R, point " << n << " switch " << noInterp;
            ASSERT_TRUE(bitIdentical(T, fastT)) << "T, point " << n << " switch " << noInterp;
        }
        EXPECT_GT(answered, points / 2);
    }
}

TEST(WorkingTables, EverySampleGivesTheReferenceResultsBitForBit)
{
    for (const char* file :
         {"bare-interface.json", "grating-1d.json", "grating-2d-positions.json",
          "grating-unit-vectors-xy.json", "grating-kvector.json", "grating-1d-fconversion.json"}) {
        std::unique_ptr<GratingSurface> surface = loadSample(file);
        expectWorkingCopyMatchesReference(*surface, file, 3000);
    }
}

// A crossed grating with a 3 x 3 order grid on a 4 x 3 position grid with
// two holes, random complex values everywhere.
std::string crossedGratingWithHoles()
{
    SyntheticGrating g;
    g.positionKind = "XY";
    g.first = {-0.003, -0.001, 0.002, 0.004};
    g.second = {-0.002, 0.0, 0.003};
    g.indexMapRows = {{1, 2, 0, 3}, {4, 5, 6, 7}, {8, 0, 9, 10}};
    for (int p = 0; p < 10; ++p) {
        g.K1PerPosition.push_back({6e6 + 1e5 * p, -2e5 * p});
        g.K2PerPosition.push_back({3e4 * p, 5e6 - 1e5 * p});
    }
    g.ordersR = g.ordersT = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {0, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    g.theta = {0.0, 15.0, 40.0, 70.0, 89.0};
    g.phi = {0.0, 90.0, 200.0, 360.0};
    g.lambda = {450e-9, 520e-9, 650e-9};
    g.value = [](int side, bool t, size_t p, size_t it, size_t ip, size_t il, size_t k, size_t o, size_t i) {
        std::seed_seq seed{side, int(t), int(p), int(it), int(ip), int(il), int(k), int(o), int(i)};
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> u(-0.3, 0.3);
        return Complex(u(random), u(random));
    };
    return g.write("crossed-with-holes.json");
}

TEST(WorkingTables, PositionGridWithHolesGivesTheReferenceResultsBitForBit)
{
    std::unique_ptr<GratingSurface> surface = loadFile(crossedGratingWithHoles());
    expectWorkingCopyMatchesReference(*surface, "crossed-with-holes", 20000);
}

// A loaded surface serves rays from the working copy its constructor made,
// with verbose logging as without: blanking the dense reflection table
// afterwards changes neither. Turning the log on must not change the code
// under investigation.
TEST(WorkingTables, LoadedSurfaceTracesFromTheCopyItsConstructorMade)
{
    std::unique_ptr<GratingSurface> surface = loadSample("grating-1d.json");
    auto& R = const_cast<NdArrayComplex(&)[2]>(Access::mR(*surface));
    std::fill(R[1].begin(), R[1].end(), Complex(0.0, 0.0));
    auto reflectedShare = [&] {
        TestRay ray;
        ray.polar(20.0, 0.0, false).media(1.0, 1.5);
        return trace(*surface, ray, {0, 0}, true, false) == 0 ? 0.0 : ray.record.energy;
    };
    const double quiet = reflectedShare();
    EXPECT_GT(quiet, 0.01);
    Logger& logger = getLogger();
    logger.setVerbose(true);
    const double verbose = reflectedShare();
    logger.setVerbose(false);
    EXPECT_EQ(verbose, quiet);
}

// Everything in the log files of folder.
std::string logText(const std::filesystem::path& folder)
{
    std::string text;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path());
        text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return text;
}

// End to end: verbose logging only observes. The same seeds must give the
// same records with the log on and off, and the log holds every stage's
// dump.
TEST(WorkingTables, VerboseAndQuietTracesAgree)
{
    std::unique_ptr<GratingSurface> surface = loadFile(crossedGratingWithHoles());
    const std::filesystem::path logFolder = std::filesystem::path(temporaryFolder()) / "verbose-log";
    std::filesystem::create_directories(logFolder);
    auto traceAll = [&](bool verbose) {
        Logger& logger = getLogger();
        logger.setLogPath(logFolder.string());
        logger.setEnabled(verbose);
        logger.setVerbose(verbose);
        seedCallingThreadGenerator(99);
        std::mt19937_64 random(5);
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        std::vector<TestRay> rays;
        std::vector<int> results;
        for (int n = 0; n < 300; ++n) {
            TestRay ray;
            const bool fromLower = u(random) > 0;
            ray.polar(45.0 + 44.0 * u(random), 180.0 + 180.0 * u(random), fromLower)
                .media(fromLower ? 1.5 : 1.0, fromLower ? 1.0 : 1.5)
                .wavelength(550.0 + 100.0 * u(random))
                .at(3.5 * u(random), 2.5 * u(random))
                .field({u(random), u(random)}, {u(random), u(random)});
            const std::vector<int> order =
                n % 5 == 0 ? std::vector<int>{static_cast<int>(2 * u(random)), 0} : std::vector<int>{};
            results.push_back(trace(*surface, ray, order));
            rays.push_back(ray);
        }
        logger.flush();
        logger.setVerbose(false);
        logger.setEnabled(false);
        return std::make_pair(results, rays);
    };
    const auto quiet = traceAll(false);
    const auto verbose = traceAll(true);
    ASSERT_EQ(quiet.first, verbose.first);
    for (size_t i = 0; i < quiet.second.size(); ++i)
        EXPECT_TRUE(sameRecord(quiet.second[i], verbose.second[i])) << i;

    // The dump of each stage was written.
    const std::string log = logText(logFolder);
    for (const char* line : {"Interaction_V2()",
                             "*** Ray Direction =, from upper half space",
                             "*** Ray Direction =, from lower half space",
                             "angle definition (0 for polar, 1 for unit vector, 2 for k vector) =,0",
                             "Interpolate in XY basis =,0",
                             "ask_specific_order =,True",
                             "lossless_specific_order =,False",
                             "Position data (pos_x, pos_y) are defined.",
                             "InterpGrating() - theta, phi, wavelength: ",
                             "InterpGrating() - widx, pidx, mK1Gxv2, mK1Gyv2, mK2Gxv2, mK2Gyv2:",
                             "=== After interpolation of wavelength, theta, phi ===",
                             "mR[0].size() = 10,5,4,3,3,3,2,2,",
                             "Rinterp.m_size.size() = 4: 3,3,2,2,",
                             "=== After applying input polarization ===",
                             "Tinterp.m_size.size() = 3: 3,3,2,",
                             "=== Specific order applied (",
                             "* R power =,",
                             "* R+T power =,",
                             "* total power=,",
                             "* maxRandom=,",
                             "* lossless=,False",
                             "* rand =,",
                             "* Ux.size() =,",
                             "ESOut =,(",
                             "Outside of xy sampling region. Go refraction.",
                             "InterpGrating() - Not in grating area"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }
}

}  // namespace
