#pragma once

// A second oracle for the lens-design entries: a direction that the engine
// takes as unit must be served as the exactly unit direction is, and a -0
// component as +0. The fuzz target traces the input twice, as given and
// with the direction replaced by its twin, and compares what the host gets.

#include <vector>

namespace quelbrant {

// What one call handed back to the host: its result and the outgoing power
// (relative to the incident power), direction and field (x, y, z, each real
// then imaginary part).
struct HostRayOutcome {
    int result = 0;
    double power = 0.0;
    double direction[3] = {0.0, 0.0, 0.0};
    double field[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
};

// |E|^2 of a field given as x, y, z, each real then imaginary part.
double fieldPower(const double* field);

// Writes the twin of direction into twin and returns true when the pair is
// worth a second call: the engine takes direction as unit (|d|^2 - 1 within
// 1e-9, which it leaves as it is), the twin (the direction divided by its
// length in double, every zero component +0) differs from it in some bit,
// and the incident field (six doubles) does not have a power so close to
// the smallest doubles that ratios formed from it lose their digits.
bool exactlyUnitTwin(const double* direction, const double* incidentField, double* twin);

// True when both indices and the wavelength lie within 1e-150 to 1e150,
// where products of two of them, or of one with a cosine, stay finite. Beyond
// that the host gets no ray or a refusal, whichever the overflow of one ulp
// decides (an index of 1e308 and a z cosine of 1 + 2^-52), so no twin is
// compared.
bool ordinaryMagnitudes(double n1, double n2, double wavelength);

// Aborts (a fuzz finding) unless both calls passed on the same power within
// 1e-6 and, where that power is not 0, gave the same result, direction
// within 1e-6 and field within 1e-6 (relative where larger than 1). A
// failed call or one that sends no ray passes on no power, and a ray of no
// power is no ray: an order whose power is 0 to rounding may be sent by one
// call and not by the other. Likewise an order at grazing carries no ray,
// and one near it keeps few digits of its normal part: a ray that meets or
// leaves the surface (unit normal `normal` at the hit point; null where none
// is known) within a cosine of 1e-4 of grazing is not compared. Nor is a
// pair of which either ray meets the surface within rounding (16 eps) of one
// of tieCosines, the incidence cosines at which a nearest-node lookup of
// theta ties (empty where the lookup interpolates): the two rays may then
// read neighbouring nodes.
void requireSameAsTwin(const char* entry, const double* direction, const double* twin,
                       const HostRayOutcome& given, const HostRayOutcome& exactlyUnit, const double* normal,
                       const std::vector<double>& tieCosines);

}  // namespace quelbrant
