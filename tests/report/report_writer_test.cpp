#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "report_tables.h"

using namespace quelbrant;

using namespace reporttest;

namespace {

// Polar grid without position data: two theta nodes on the lower side, one
// node and two transmitted orders on the upper side.
Surface polarSurface()
{
    Surface s;
    s.lower.lambda = {5.5e-07};
    s.lower.axis1 = {0.0, 30.0};
    s.lower.axis2 = {0.0};
    s.lower.R = zeroTable({2, 1, 1, 1, 1});
    s.lower.T = zeroTable({2, 1, 1, 1, 1});
    setBlock(s.lower.R, 0, 0, 0, 0, 0, 0.2, 0.0, 0.0, -0.2);
    setBlock(s.lower.T, 0, 0, 0, 0, 0, Complex(0.8, 0.56), Complex(0.0, 0.1), 0.1, Complex(0.9, -0.3));
    setBlock(s.lower.R, 1, 0, 0, 0, 0, Complex(0.0, 0.3), Complex(0.1, 0.1), 0.0, 0.3);
    setBlock(s.lower.T, 1, 0, 0, 0, 0, 0.9, 0.0, 0.0, Complex(0.0, -0.95));

    s.upper.lambda = {6e-07};
    s.upper.axis1 = {10.0};
    s.upper.axis2 = {45.0};
    s.upper.Tn = {-1, 0};
    s.upper.R = zeroTable({1, 1, 1, 1, 1});
    s.upper.T = zeroTable({1, 1, 1, 2, 1});
    setBlock(s.upper.R, 0, 0, 0, 0, 0, 0.1, 0.0, 0.0, 0.1);
    setBlock(s.upper.T, 0, 0, 0, 0, 0, 0.5, 0.0, 0.0, Complex(0.0, 0.5));
    setBlock(s.upper.T, 0, 0, 0, 1, 0, 0.7, 0.0, 0.0, 0.7);
    return s;
}

// Two positions on an XY grid, one unit-vector node per side.
Surface positionSurface()
{
    Surface s;
    s.path = "/data/positions.json";
    s.nLower = 1.45;
    s.angleDef = GratingSurface::UNIT_VECTOR;
    s.withPositions = true;
    s.positions.x = {0.0, 1e-3};
    s.positions.y = {-2e-3};
    const double k = 6283185.307179586;  // period 1 um
    s.positions.k1x = {k, 2 * k};
    s.positions.k1y = {0.0, 0.0};
    s.positions.k2x = {0.0, 0.0};
    s.positions.k2y = {k, k};
    s.positions.k1Norm = {k, 2 * k};
    s.positions.k2Norm = {k, k};

    s.lower.lambda = {5e-07};
    s.lower.axis1 = s.lower.axis2 = {0.25};
    s.lower.R = zeroTable({2, 1, 1, 1, 1, 1});
    s.lower.T = zeroTable({2, 1, 1, 1, 1, 1});
    setBlock(s.lower.R, 0, 0, 0, 0, 0, 0, 0.1, 0.0, 0.0, 0.1);
    setBlock(s.lower.R, 1, 0, 0, 0, 0, 0, 0.2, 0.0, 0.0, Complex(0.0, 0.2));
    setBlock(s.lower.T, 0, 0, 0, 0, 0, 0, 0.9, 0.0, 0.0, 0.9);
    setBlock(s.lower.T, 1, 0, 0, 0, 0, 0, 0.6, 0.0, 0.0, 0.6);

    s.upper.lambda = {6.5e-07};
    s.upper.axis1 = s.upper.axis2 = {-0.125};
    s.upper.Rn = {0, 1};
    s.upper.R = zeroTable({2, 1, 1, 1, 2, 1});
    s.upper.T = zeroTable({2, 1, 1, 1, 1, 1});
    setBlock(s.upper.R, 1, 0, 0, 0, 1, 0, Complex(0.0, 0.5), 0.0, 0.0, 0.0);
    return s;
}

std::string reportOf(const Surface& s, bool expectedResult = true)
{
    std::ostringstream out;
    EXPECT_EQ(s.write(out), expectedResult);
    return out.str();
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Sections A and B of polarSurface(), identical for every test surface
// without position data.
const std::string PolarHead =
    "=== Data not related to incident direction ===\n"
    "JSON file path: /data/grating.json\n"
    "Upper(+z) index: 1\n"
    "Lower(-z) index: 1.5\n"
    "\n"
    "reciprocal lattice vector 1: (6.28319e+06,0)\n"
    "reciprocal lattice vector 2: (0,3.14159e+06)\n"
    "period 1: 1 um\n"
    "period 2: 2 um\n"
    "\n";

}  // namespace

TEST(VerificationReportText, PolarGridWithoutPositions)
{
    const std::string expected = expectedReport("polar-two-angles.txt");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(reportOf(polarSurface()), expected);
}

TEST(VerificationReportText, PositionGridWithUnitVectors)
{
    const std::string expected = expectedReport("positions-unit-vectors.txt");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(reportOf(positionSurface()), expected);
}

// The caller's stream may come with any formatting state; the report sets
// its own.
TEST(VerificationReportText, IgnoresTheStreamsFormattingState)
{
    std::ostringstream out;
    out << std::scientific << std::setprecision(1) << std::left << std::setfill('*');
    ASSERT_TRUE(polarSurface().write(out));
    EXPECT_EQ(out.str(), expectedReport("polar-two-angles.txt"));
}

TEST(VerificationReportText, PositionDefinitionNames)
{
    const struct {
        unsigned int definition;
        const char* line;
    } cases[] = {
        {GratingSurface::XY, "Spatial variation supported in XY coordiante"},
        {GratingSurface::RAD_POL, "Spatial variation supported in Polar coordiante"},
        {GratingSurface::PAR_SCAN, "Parameter scan supported."},
        {GratingSurface::P_NONE, "Unknoen spatial variation definition."},
        {7, "Unknoen spatial variation definition."},
    };
    for (const auto& c : cases) {
        Surface s = positionSurface();
        s.positions.definition = static_cast<GratingSurface::PositionDefinition>(c.definition);
        const std::vector<std::string> lines = linesOf(reportOf(s));
        ASSERT_GT(lines.size(), 6u);
        EXPECT_EQ(lines[5], "=== Position variation or parameter scan data ===");
        EXPECT_EQ(lines[6], c.line);
    }
}

TEST(VerificationReportText, PeriodInMicrometresFromTheVectorLength)
{
    const struct {
        double k1Norm, k2Norm;
        const char* period1;
        const char* period2;
    } cases[] = {
        {6283185.307179586, 6283185.307179586 / 3, "period 1: 1 um", "period 2: 3 um"},
        {6283185.307179586 / 0.55, 6283185.307179586 * 4, "period 1: 0.55 um", "period 2: 0.25 um"},
        {6283185.307179586e-3, 6283185.307179586 / 12.5, "period 1: 1000 um", "period 2: 12.5 um"},
    };
    for (const auto& c : cases) {
        Surface s = polarSurface();
        s.lattice.k1Norm = c.k1Norm;
        s.lattice.k2Norm = c.k2Norm;
        const std::vector<std::string> lines = linesOf(reportOf(s));
        ASSERT_GT(lines.size(), 8u);
        EXPECT_EQ(lines[7], c.period1);
        EXPECT_EQ(lines[8], c.period2);
    }
}

// Unit-vector and k-vector grids are listed as the pairs (axis 1 [q],
// axis 2 [q]) with precision 3.
TEST(VerificationReportText, DiagonalPairsOfIdenticalAxes)
{
    const struct {
        GratingSurface::AngleDefinition angleDef;
        std::vector<double> axis;
        const char* listing;
        const char* header;
    } cases[] = {
        {GratingSurface::UNIT_VECTOR,
         {-0.5, 0.0, 0.5},
         "Unit vectors: (-0.5,-0.5)\t(0,0)\t(0.5,0.5)\t",
         "     Wave       Ux       Uy   Order(x,y)    [      S>S,      S>P;      P>S,      P>P]"},
        {GratingSurface::UNIT_VECTOR,
         {0.123456},
         "Unit vectors: (0.123,0.123)\t",
         "     Wave       Ux       Uy   Order(x,y)    [      S>S,      S>P;      P>S,      P>P]"},
        {GratingSurface::K_VECTOR,
         {0.0, 2.5e6},
         "K vectors (radians/mm (?)): (0,0)\t(2.5e+06,2.5e+06)\t",
         "     Wave       kx       ky   Order(x,y)    [      S>S,      S>P;      P>S,      P>P]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.listing);
        Surface s = polarSurface();
        s.angleDef = c.angleDef;
        for (Side* side : {&s.lower, &s.upper}) {
            side->axis1 = side->axis2 = c.axis;
            side->R = zeroTable({c.axis.size(), c.axis.size(), side->lambda.size(), side->Rn.size(), 1});
            side->T = zeroTable({c.axis.size(), c.axis.size(), side->lambda.size(), side->Tn.size(), 1});
        }
        const std::vector<std::string> lines = linesOf(reportOf(s));
        ASSERT_GT(lines.size(), 12u);
        EXPECT_EQ(lines[11], "Wavelength (nm): 5.5e-07\t");
        EXPECT_EQ(lines[12], c.listing);
        EXPECT_EQ(lines[13], "X Ref Order (Rn): 0\t");
        size_t headers = 0;
        for (const std::string& line : lines)
            headers += line == c.header;
        EXPECT_EQ(headers, 2u);
    }
}

// A grid that cannot be listed stops the report after the failing side's
// wavelength line; the lower side is looked at first.
TEST(VerificationReportText, StopsAtAnAngularGridThatCannotBeListed)
{
    const std::string lowerHeadOnly = PolarHead +
                                      "=== Data overview for lower incidence ===\n"
                                      "Wavelength (nm): 5.5e-07\t\n";
    const std::string lowerOverview = lowerHeadOnly +
                                      "Unit vectors: (-0.5,-0.5)\t(0.5,0.5)\t\n"
                                      "X Ref Order (Rn): 0\t\n"
                                      "Y Ref Order (Rm): 0\t\n"
                                      "X Trn Order (Tn): 0\t\n"
                                      "Y Trn Order (Tm): 0\t\n"
                                      "Reflection data dimensions: 2\t2\t1\t1\t1\t2\t2\t\n"
                                      "Transmission data dimensions: 2\t2\t1\t1\t1\t2\t2\t\n"
                                      "\n";
    const std::string upperHeadOnly = lowerOverview +
                                      "=== Data overview for upper incidence ===\n"
                                      "Wavelength (nm): 6e-07\t\n";
    const std::vector<double> even = {-0.5, 0.5};
    const struct {
        const char* what;
        unsigned int angleDef;
        std::vector<double> lowerAxis2, upperAxis2;
        const std::string& expected;
    } cases[] = {
        {"lower axes of other values", GratingSurface::UNIT_VECTOR, {-0.25, 0.25}, even, lowerHeadOnly},
        {"lower axes of other length", GratingSurface::UNIT_VECTOR, {-0.5, 0.5, 0.75}, even, lowerHeadOnly},
        {"lower k axes differ", GratingSurface::K_VECTOR, {-0.5, 0.4}, even, lowerHeadOnly},
        {"upper axes differ", GratingSurface::UNIT_VECTOR, even, {-0.25, 0.25}, upperHeadOnly},
        {"both differ", GratingSurface::K_VECTOR, {0.5, -0.5}, {0.5}, lowerHeadOnly},
        {"no angle definition", GratingSurface::A_NONE, even, even, lowerHeadOnly},
        {"angle definition out of range", 9, even, even, lowerHeadOnly},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Surface s = polarSurface();
        s.angleDef = static_cast<GratingSurface::AngleDefinition>(c.angleDef);
        s.lower.axis1 = s.upper.axis1 = even;
        s.lower.axis2 = c.lowerAxis2;
        s.upper.axis2 = c.upperAxis2;
        s.lower.R = s.lower.T = s.upper.R = s.upper.T = zeroTable({2, 2, 1, 1, 1});
        EXPECT_EQ(reportOf(s, false), c.expected);
    }
}

// With position data the totals of a grid node add up every position.
TEST(VerificationReportText, TotalsRunOverOrdersAndPositions)
{
    Surface s = positionSurface();
    const std::vector<std::string> lines = linesOf(reportOf(s));
    std::vector<std::string> totals;
    for (const std::string& line : lines)
        if (line.rfind("Total output", 0) == 0)
            totals.push_back(line);
    const std::vector<std::string> expected = {
        "Total output for S input: 1.22", "Total output for P input: 1.22",  // 0.01 + 0.04 + 0.81 + 0.36
        "Total output for S input: 0.25", "Total output for P input: 0"};
    EXPECT_EQ(totals, expected);
}

// A table whose extents disagree with its axes cannot be read: an error, no
// read outside the table.
TEST(VerificationReportText, TableShorterThanItsAxesIsAnError)
{
    Surface s = polarSurface();
    s.lower.axis1 = {0.0, 30.0, 60.0};
    std::ostringstream out;
    EXPECT_THROW(s.write(out), std::out_of_range);

    Surface t = polarSurface();
    t.upper.T.pop_back();
    EXPECT_THROW(t.write(out), std::out_of_range);
}
