#pragma once

// Surfaces, rays and synthetic grating files for the interaction tests.

#include <gtest/gtest.h>

#include <array>
#include <complex>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "GratingSurface.h"
#include "HostRecords.h"

namespace quelbrant {

using Complex = std::complex<double>;

constexpr double Pi = 3.141592653589793;

// A shipped sample of data/ (file name only), or any file by path.
std::unique_ptr<GratingSurface> loadSample(const std::string& name, bool hostMode = false);
std::unique_ptr<GratingSurface> loadFile(const std::string& path, bool hostMode = false);

// The tests' temporary folder (one per test process).
std::string temporaryFolder();

// Writes document to a file of the tests' temporary folder and returns its
// path.
std::string writeTemporaryFile(const std::string& name, const nlohmann::json& document);

// One host ray record with its own direction storage.
struct TestRay {
    double direction[3] = {0.0, 0.0, 1.0};
    BsdfPluginInteraction_V2 record{};

    TestRay();
    TestRay(const TestRay& other);
    TestRay& operator=(const TestRay& other);

    // Direction from polar angles in degrees: travelling toward +z
    // (fromLower) or -z, azimuth phi.
    TestRay& polar(double thetaDeg, double phiDeg, bool fromLower);
    TestRay& towards(double x, double y, double z);
    TestRay& media(double n1, double n2);
    TestRay& wavelength(double nm);
    TestRay& field(Complex es, Complex ep);
    TestRay& at(double xMm, double yMm);
    TestRay& energy(double value);

    Complex es() const { return {record.esr, record.esi}; }
    Complex ep() const { return {record.epr, record.epi}; }
};

// Interaction_V2 with the light-simulation host's arguments by default.
int trace(GratingSurface& surface, TestRay& ray, const std::vector<int>& order = {}, bool includeR = true,
          bool includeT = true, const std::vector<double>& params = {});

// Text of the error-table entry an int thrown by the library names.
std::string errorText(int index);

// The record's bytes compared field by field (the direction through the
// pointer): true when nothing the interaction may write has changed.
bool sameRecord(const TestRay& a, const TestRay& b);

// A grating file built in the test: polar grid, both half spaces with the
// same axes and order lists, every table value from one function.
struct SyntheticGrating {
    double nLower = 1.5;
    double nUpper = 1.0;
    std::vector<double> theta = {0.0, 30.0, 60.0, 89.0};
    std::vector<double> phi = {0.0, 180.0, 360.0};
    std::vector<double> lambda = {500e-9, 600e-9};
    std::vector<std::pair<int, int>> ordersR = {{0, 0}};
    std::vector<std::pair<int, int>> ordersT = {{0, 0}};
    double K1[2] = {0.0, 0.0};  // rad/m, files without position data
    double K2[2] = {0.0, 0.0};
    bool lossless[2] = {false, false};
    bool specular = false;
    // Interpolation flags of the file (absent when left at true).
    bool interpTheta = true, interpPhi = true, interpWavelength = true, interpPosition = true;

    // Position grid (empty: none). definition "XY", "RAD_POL" ("pos_pol" in
    // degrees) or "PAR_SCAN"; indexMapRows[iy][ix] is the position number of
    // node (first[ix], second[iy]); one lattice pair per position.
    std::string positionKind;
    std::vector<double> first, second;
    std::vector<std::vector<int>> indexMapRows;
    std::vector<std::array<double, 2>> K1PerPosition, K2PerPosition;

    // Element (side 0/1, transmitted?, position index from 0, theta index,
    // phi index, wavelength index, order row, PolOut, PolIn).
    std::function<Complex(int, bool, size_t, size_t, size_t, size_t, size_t, size_t, size_t)> value =
        [](int, bool, size_t, size_t, size_t, size_t, size_t, size_t, size_t) { return Complex(); };

    nlohmann::json toJson() const;
    std::string write(const std::string& name) const { return writeTemporaryFile(name, toJson()); }
    size_t positionCount() const { return K1PerPosition.size(); }
};

// Monte Carlo: count of N independent draws, each a hit with probability p.
// True when the count lies within `standardErrors` standard errors of N p.
::testing::AssertionResult frequencyMatches(size_t count, size_t N, double p, double standardErrors = 5.0);

// Fresnel power reflectances of a flat interface (textbook form), incidence
// angle cosIn in medium n1.
double fresnelRs(double n1, double n2, double cosIn);
double fresnelRp(double n1, double n2, double cosIn);

}  // namespace quelbrant
