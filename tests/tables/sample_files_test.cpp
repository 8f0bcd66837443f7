// The shipped sample files run through table preparation and basis
// conversion the way a load does, side by side with what the files say.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "json/JsonReaders.h"
#include "load/PositionData.h"
#include "tables/BasisConversion.h"
#include "tables/TablePreparation.h"

using namespace quelbrant;
using json = nlohmann::json;

namespace {

using C = std::complex<double>;

json readSample(const std::string& name)
{
    std::ifstream in(std::string(QUELBRANT_DATA_DIR) + "/" + name);
    return json::parse(in);
}

// One half space of a sample file, as read and after preparation.
struct Side {
    NdArrayInt listR, listT;
    NdArrayComplex fileR, fileT, R, T;
    std::vector<int> Rn, Rm, Tn, Tm;
    std::vector<double> a1, a2, lambda;
    GratingSurface::AngleDefinition def = GratingSurface::A_NONE;
};

struct Sample {
    double nLower = 1, nUpper = 1;
    bool position = false;
    std::vector<double> k1x, k1y, k1n, k2x, k2y, k2n, posX, posY;
    NdArrayInt indexMap;
    Side side[2];
};

void readLattice(const json& j, Sample& s)
{
    if (!s.position) {
        std::vector<double> k1, k2;
        getdoublevector(k1, "reciprocal_lattice_vector_1", j, true, {0.0, 0.0});
        getdoublevector(k2, "reciprocal_lattice_vector_2", j, true, {0.0, 0.0});
        s.k1x = {k1[0]}, s.k1y = {k1[1]}, s.k2x = {k2[0]}, s.k2y = {k2[1]};
        return;
    }
    NdArrayReal k1, k2;
    makeNdArrayReal(k1, j.at("reciprocal_lattice_vector_1"));
    makeNdArrayReal(k2, j.at("reciprocal_lattice_vector_2"));
    for (size_t row = 0; row < k1.m_size[0]; ++row) {
        s.k1x.push_back(k1(row, 0)), s.k1y.push_back(k1(row, 1));
        s.k2x.push_back(k2(row, 0)), s.k2y.push_back(k2(row, 1));
        s.k1n.push_back(std::hypot(k1(row, 0), k1(row, 1)));
        s.k2n.push_back(std::hypot(k2(row, 0), k2(row, 1)));
    }
    const json& grid = j.at("spatial_variation_or_parameter_scan");
    makeNdArrayInt(s.indexMap, grid.at("index_map"));
    getdoublevector(s.posX, "pos_x", grid, false, {});
    getdoublevector(s.posY, "pos_y", grid, false, {});
}

Sample prepareSample(const std::string& name)
{
    const json j = readSample(name);
    Sample s;
    s.nLower = getdouble("n_lower", j, false, 0.0);
    s.nUpper = getdouble("n_upper", j, false, 0.0);
    s.position = j.contains("spatial_variation_or_parameter_scan");
    readLattice(j, s);
    const char* blocks[2] = {"grat_results_lower", "grat_results_upper"};
    for (int i = 0; i < 2; ++i) {
        Side& d = s.side[i];
        const json& g = j.at(blocks[i]);
        makeNdArrayInt(d.listR, g.at("list_orders_R"));
        makeNdArrayInt(d.listT, g.at("list_orders_T"));
        constructOrderVectors(d.listR, d.Rn, d.Rm);
        constructOrderVectors(d.listT, d.Tn, d.Tm);
        makeNdArrayComplex(d.fileR, g.at("R"));
        makeNdArrayComplex(d.fileT, g.at("T"));
        populateRTMatrices(d.fileR, d.Rn, d.Rm, d.listR, d.R, s.position);
        populateRTMatrices(d.fileT, d.Tn, d.Tm, d.listT, d.T, s.position);
        getdoublevector(d.lambda, "wavelength", g, false, {});
        const json& angles = g.at("angle_definition");
        const std::pair<const char*, const char*> forms[] = {{"theta", "phi"}, {"ux", "uy"}, {"kx", "ky"}};
        for (int f = 0; f < 3; ++f)
            if (angles.contains(forms[f].first)) {
                getdoublevector(d.a1, forms[f].first, angles, false, {});
                getdoublevector(d.a2, forms[f].second, angles, false, {});
                d.def = static_cast<GratingSurface::AngleDefinition>(f);
                break;
            }
        quelbrant::PositionData positions;
        positions.grid.indexMap = s.indexMap;
        positions.grid.axis1 = s.posX;
        positions.grid.axis2 = s.posY;
        positions.lattice = {s.k1x, s.k1y, s.k2x, s.k2y, s.k1n, s.k2n};
        for (NdArrayComplex* t : {&d.R, &d.T}) {
            const bool isR = t == &d.R;
            validateDimensions(*t,
                               quelbrant::denseTableAxes(d.a1, d.a2, d.lambda, isR ? d.Rn : d.Tn,
                                                         isR ? d.Rm : d.Tm, s.position),
                               s.position ? &positions : nullptr);
        }
        sortAngleAndWavelength(d.R, d.T, d.a1, d.a2, d.lambda, s.position);
    }
    return s;
}

// Every value of the file table sits in the dense table at the sorted
// position of its axis values and at its (n, m) order.
void expectFileValuesInPlace(const NdArrayComplex& file, const NdArrayInt& list, const NdArrayComplex& dense,
                             const std::vector<double>& fileA1, const std::vector<double>& fileA2,
                             const std::vector<double>& fileLambda, const Side& d, const std::vector<int>& n,
                             const std::vector<int>& m, size_t positions)
{
    auto at = [](const std::vector<double>& axis, double v) {
        return static_cast<size_t>(std::find(axis.begin(), axis.end(), v) - axis.begin());
    };
    const size_t rows = list.m_size[0];
    const size_t a1 = fileA1.size(), a2 = fileA2.size(), l = fileLambda.size();
    for (size_t b = 0; b < positions; ++b)
        for (size_t i = 0; i < a1; ++i)
            for (size_t j = 0; j < a2; ++j)
                for (size_t k = 0; k < l; ++k)
                    for (size_t row = 0; row < rows; ++row)
                        for (size_t pol = 0; pol < 4; ++pol) {
                            const size_t source =
                                b + positions * (i + a1 * (j + a2 * (k + l * (row + rows * pol))));
                            const size_t ni = static_cast<size_t>(list[row] - n[0]);
                            const size_t mi = static_cast<size_t>(list[rows + row] - m[0]);
                            const size_t target =
                                b + positions * (at(d.a1, fileA1[i]) +
                                                 a1 * (at(d.a2, fileA2[j]) +
                                                       a2 * (at(d.lambda, fileLambda[k]) +
                                                             l * (ni + n.size() * (mi + m.size() * pol)))));
                            ASSERT_EQ(dense[target], file[source]);
                        }
}

struct KindArgs {
    NdArrayComplex* table;
    const std::vector<int>* n;
    const std::vector<int>* m;
    const Side* side;
    double indexIn, indexOut;
    bool fromUpper;
    double signOut;
};

std::vector<KindArgs> loaderCalls(Sample& s)
{
    Side& lo = s.side[0];
    Side& up = s.side[1];
    return {{&lo.R, &lo.Rn, &lo.Rm, &lo, s.nLower, s.nLower, false, -1.0},
            {&lo.T, &lo.Tn, &lo.Tm, &lo, s.nLower, s.nUpper, false, +1.0},
            {&up.R, &up.Rn, &up.Rm, &up, s.nUpper, s.nUpper, true, +1.0},
            {&up.T, &up.Tn, &up.Tm, &up, s.nUpper, s.nLower, true, -1.0}};
}

void convert(Sample& s, const KindArgs& c, bool toXY)
{
    const Side& d = *c.side;
    const quelbrant::DenseTableAxes axes =
        quelbrant::denseTableAxes(d.a1, d.a2, d.lambda, *c.n, *c.m, s.position);
    LatticeVectorsPerPosition lattice;
    lattice.k1x = s.k1x;
    lattice.k1y = s.k1y;
    lattice.k2x = s.k2x;
    lattice.k2y = s.k2y;
    convertRTBetweenBases(*c.table, axes, lattice, {d.def, c.indexIn, c.indexOut, c.fromUpper, c.signOut},
                          toXY);
}

const char* const Samples[] = {"bare-interface.json",       "grating-1d.json",
                               "grating-2d-positions.json", "grating-unit-vectors-xy.json",
                               "grating-kvector.json",      "grating-1d-fconversion.json"};

}  // namespace

TEST(SampleFiles, PreparedTablesHoldEveryFileValueAtItsSortedPlace)
{
    for (const char* name : Samples) {
        SCOPED_TRACE(name);
        const json j = readSample(name);
        Sample s = prepareSample(name);
        const char* blocks[2] = {"grat_results_lower", "grat_results_upper"};
        for (int i = 0; i < 2; ++i) {
            const Side& d = s.side[i];
            EXPECT_TRUE(std::is_sorted(d.a1.begin(), d.a1.end()));
            EXPECT_TRUE(std::is_sorted(d.a2.begin(), d.a2.end()));
            EXPECT_TRUE(std::is_sorted(d.lambda.begin(), d.lambda.end()));
            // The axes as the file lists them.
            const json& g = j.at(blocks[i]);
            std::vector<double> a1, a2, lambda;
            const json& angles = g.at("angle_definition");
            const char* names[3][2] = {{"theta", "phi"}, {"ux", "uy"}, {"kx", "ky"}};
            getdoublevector(a1, names[d.def][0], angles, false, {});
            getdoublevector(a2, names[d.def][1], angles, false, {});
            getdoublevector(lambda, "wavelength", g, false, {});
            const size_t positions = s.position ? d.R.m_size[0] : 1;
            expectFileValuesInPlace(d.fileR, d.listR, d.R, a1, a2, lambda, d, d.Rn, d.Rm, positions);
            expectFileValuesInPlace(d.fileT, d.listT, d.T, a1, a2, lambda, d, d.Tn, d.Tm, positions);
        }
    }
}

TEST(SampleFiles, OutOfOrderAxesOfTheSamplesAreSorted)
{
    // grating-1d's glass side lists theta 41.8 last; the X/Y sample stores
    // its wavelengths descending.
    const Sample oneD = prepareSample("grating-1d.json");
    const std::vector<double>& theta = oneD.side[0].a1;
    ASSERT_GE(theta.size(), 11u);
    EXPECT_EQ(theta[8], 40.0);
    EXPECT_EQ(theta[9], 41.8);
    EXPECT_EQ(theta[10], 45.0);
    const Sample xy = prepareSample("grating-unit-vectors-xy.json");
    EXPECT_EQ(xy.side[1].lambda, (std::vector<double>{4.5e-07, 5.5e-07, 6.5e-07}));
}

TEST(SampleFiles, EveryTableSurvivesTheRoundTripBetweenBases)
{
    for (const char* name : Samples) {
        SCOPED_TRACE(name);
        Sample s = prepareSample(name);
        for (const KindArgs& c : loaderCalls(s)) {
            const NdArrayComplex original = *c.table;
            // Into the other basis and back: the samples hold S/P data except
            // the X/Y one, which goes the other way round.
            const bool dataInXY = std::string(name) == "grating-unit-vectors-xy.json";
            convert(s, c, !dataInXY);
            convert(s, c, dataInXY);
            for (size_t f = 0; f < original.size(); ++f)
                ASSERT_NEAR(std::abs((*c.table)[f] - original[f]), 0.0, 1e-9 * (1 + std::abs(original[f])))
                    << "flat offset " << f;
        }
    }
}

TEST(SampleFiles, BareInterfaceAtNormalIncidenceConservesEnergyInXY)
{
    // Glass 1.5 / air 1.0 at normal incidence: R = ((n1 - n2) / (n1 + n2))^2
    // = 0.04 and T = 1 - R = 0.96 for either linear polarisation, whichever
    // side the light comes from. The files store power-normalised amplitudes
    // (transmission carries sqrt(n2 cos t2 / (n1 cos t1))), so |coefficient|^2
    // is the power fraction in both bases.
    Sample s = prepareSample("bare-interface.json");
    const std::vector<KindArgs> calls = loaderCalls(s);
    for (size_t call = 0; call < calls.size(); ++call) {
        const KindArgs& c = calls[call];
        convert(s, c, true);
        const bool reflection = call % 2 == 0;
        const double expected = reflection ? 0.04 : 0.96;
        const Side& d = *c.side;
        ASSERT_EQ(d.a1.front(), 0.0);
        const std::vector<size_t>& e = c.table->m_size;
        const size_t plane = c.table->size() / 4;
        for (size_t j = 0; j < d.a2.size(); ++j)
            for (size_t k = 0; k < d.lambda.size(); ++k) {
                const size_t cell = e[0] * (j + e[1] * k);  // theta index 0, order (0, 0)
                const C xx = (*c.table)[cell], yx = (*c.table)[cell + plane];
                const C xy = (*c.table)[cell + 2 * plane], yy = (*c.table)[cell + 3 * plane];
                EXPECT_NEAR(std::norm(xx), expected, 1e-12) << "call " << call;
                EXPECT_NEAR(std::norm(yy), expected, 1e-12) << "call " << call;
                EXPECT_NEAR(std::abs(xy) + std::abs(yx), 0.0, 1e-12);
            }
    }
}

TEST(SampleFiles, NormalIncidenceResponseInXYDoesNotDependOnTheAzimuthLabel)
{
    // A theta = 0 node names its incident S/P basis by the node's phi, so the
    // S/P data differ from one phi node to the next while the physical
    // Jones matrix is one and the same. In X/Y every phi node must agree.
    for (const char* name : {"bare-interface.json", "grating-1d.json", "grating-2d-positions.json"}) {
        SCOPED_TRACE(name);
        Sample s = prepareSample(name);
        for (const KindArgs& c : loaderCalls(s)) {
            convert(s, c, true);
            const Side& d = *c.side;
            ASSERT_EQ(d.a1.front(), 0.0);
            const NdArrayComplex& t = *c.table;
            const size_t positions = s.position ? t.m_size[0] : 1;
            const size_t a1 = d.a1.size(), a2 = d.a2.size();
            const size_t rest = t.size() / (positions * a1 * a2);  // wavelengths, orders, polarisations
            size_t compared = 0;
            for (size_t b = 0; b < positions; ++b)
                for (size_t r = 0; r < rest; ++r) {
                    const C first = t[b + positions * a1 * (a2 * r)];
                    for (size_t j = 1; j < a2; ++j) {
                        const C other = t[b + positions * a1 * (j + a2 * r)];
                        ASSERT_NEAR(std::abs(other - first), 0.0, 1e-12) << "phi " << d.a2[j];
                        compared += std::abs(first) > 0;
                    }
                }
            EXPECT_GT(compared, 0u);
        }
    }
}
