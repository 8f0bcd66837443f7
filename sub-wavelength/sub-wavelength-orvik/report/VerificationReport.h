#pragma once

// The plain-text verification report of a loaded surface: media, lattice,
// axes and order lists, then for every grid node and order the power and
// complex amplitude of the four polarisation channels. Written next to the
// data file (its name + ".log") so a user can check what the library made
// of the file; the member GratingSurface::export_verify_data opens the file
// and hands the surface's members to writeVerificationReport.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "GratingSurface.h"
#include "NdArray.h"

namespace quelbrant {

// One half space as the report reads it. Tables are [position] x A1 x A2 x
// L x Nn x Nm x PolOut x PolIn, in whichever basis they were loaded; the
// channel S>P is (PolOut 1, PolIn 0).
struct ReportHalfSpace {
    const std::vector<double>& lambda;
    const std::vector<double>& thetaOrUxOrKx;
    const std::vector<double>& phiOrUyOrKy;
    const std::vector<int>& Rn;
    const std::vector<int>& Rm;
    const std::vector<int>& Tn;
    const std::vector<int>& Tm;
    const NdArrayComplex& R;
    const NdArrayComplex& T;
};

// Reciprocal lattice vectors in rad/m of a surface without position data.
struct ReportLattice {
    double k1x;
    double k1y;
    double k2x;
    double k2y;
    double k1Norm;
    double k2Norm;
};

// Position grid and per-position lattice vectors (rad/m), one entry per
// position number - 1.
struct ReportPositions {
    GratingSurface::PositionDefinition definition;
    const std::vector<double>& xOrRadOrPar1;
    const std::vector<double>& yOrPolOrPar2;
    const std::vector<double>& k1x;
    const std::vector<double>& k1y;
    const std::vector<double>& k2x;
    const std::vector<double>& k2y;
    const std::vector<double>& k1Norm;
    const std::vector<double>& k2Norm;
};

struct ReportInput {
    std::string dataFileText;  // the data file's path as written in the report (UTF-8)
    double nUpper;
    double nLower;
    ReportLattice lattice;             // read only without position data
    const ReportPositions* positions;  // null without position data; tables then have no position dimension
    GratingSurface::AngleDefinition angleDef;
    ReportHalfSpace lower;
    ReportHalfSpace upper;
};

// Writes the whole report to out, whose formatting state it sets itself.
// Returns false, with the report cut off after the failing side's
// wavelength line, when a side's angular grid cannot be listed: a
// unit-vector or k-vector grid whose two axes are not identical, or an
// angle definition outside POLAR, UNIT_VECTOR and K_VECTOR. Throws
// std::out_of_range when a table's extents disagree with its axes and
// order lists (tables prepared by the loader always agree).
bool writeVerificationReport(std::ostream& out, const ReportInput& input);

// The data file's path as the report writes it: UTF-8. A value that is no
// Unicode character (an unpaired surrogate, which a Windows file name may
// hold) is written as U+FFFD, so the report still names the file.
std::string reportTextOfPath(std::wstring_view path);

}  // namespace quelbrant
