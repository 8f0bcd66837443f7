#pragma once

// Hand-built half spaces and surfaces for the report tests: owners of the
// vectors and tables that a ReportInput refers to.

#include <complex>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "report/VerificationReport.h"

namespace quelbrant {

namespace reporttest {

using Complex = std::complex<double>;

// A zero dense table: grid extents ([P] x A1 x A2 x L), then Nn x Nm x 2 x 2.
inline NdArrayComplex zeroTable(std::vector<size_t> extents)
{
    NdArrayComplex table;
    table.m_size = extents;
    table.m_size.insert(table.m_size.end(), {2, 2});
    size_t elements = 1;
    for (size_t extent : table.m_size)
        elements *= extent;
    table.assign(elements, Complex(0.0, 0.0));
    return table;
}

struct Side {
    std::vector<double> lambda, axis1, axis2;
    std::vector<int> Rn{0}, Rm{0}, Tn{0}, Tm{0};
    NdArrayComplex R, T;

    ReportHalfSpace view() const { return {lambda, axis1, axis2, Rn, Rm, Tn, Tm, R, T}; }
};

struct Positions {
    GratingSurface::PositionDefinition definition = GratingSurface::XY;
    std::vector<double> x, y, k1x, k1y, k2x, k2y, k1Norm, k2Norm;

    ReportPositions view() const { return {definition, x, y, k1x, k1y, k2x, k2y, k1Norm, k2Norm}; }
};

// Block (S>S, S>P, P>S, P>P) of a table without position data.
inline void setBlock(NdArrayComplex& t, size_t j, size_t i, size_t k, size_t a, size_t b, Complex ss,
                     Complex sp, Complex ps, Complex pp)
{
    t(j, i, k, a, b, 0, 0) = ss;
    t(j, i, k, a, b, 1, 0) = sp;
    t(j, i, k, a, b, 0, 1) = ps;
    t(j, i, k, a, b, 1, 1) = pp;
}

// The same with a leading position index q.
inline void setBlock(NdArrayComplex& t, size_t q, size_t j, size_t i, size_t k, size_t a, size_t b,
                     Complex ss, Complex sp, Complex ps, Complex pp)
{
    t(q, j, i, k, a, b, 0, 0) = ss;
    t(q, j, i, k, a, b, 1, 0) = sp;
    t(q, j, i, k, a, b, 0, 1) = ps;
    t(q, j, i, k, a, b, 1, 1) = pp;
}

// A hand-built surface as the report sees it.
struct Surface {
    std::string path = "/data/grating.json";
    double nUpper = 1.0;
    double nLower = 1.5;
    // First vector of length 2 pi x 1e6 rad/m (period 1 um), second of half
    // that length (period 2 um).
    ReportLattice lattice{6283185.307179586, 0.0, 0.0, 3141592.653589793, 6283185.307179586,
                          3141592.653589793};
    GratingSurface::AngleDefinition angleDef = GratingSurface::POLAR;
    Side lower, upper;
    bool withPositions = false;
    Positions positions;

    bool write(std::ostream& out) const
    {
        const ReportPositions grid = positions.view();
        const ReportInput input{path,     nUpper,       nLower,      lattice, withPositions ? &grid : nullptr,
                                angleDef, lower.view(), upper.view()};
        return writeVerificationReport(out, input);
    }
};

// Whole file as bytes; empty when it cannot be read.
inline std::string readFile(const std::string& path, std::ios::openmode mode = std::ios::binary)
{
    std::ifstream in(path, mode);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string expectedReport(const std::string& name)
{
    return readFile(std::string(QUELBRANT_TEST_FILES_DIR) + "/report/" + name);
}

}  // namespace reporttest

}  // namespace quelbrant
