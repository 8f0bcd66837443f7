#pragma once

// What the tables say should happen to a ray, read from the surface's GPU
// view independently of the library's own interaction code: the propagating
// orders (grating equation) and the share of rays each should receive.
//
// The view carries neither the polarisation basis the tables are held in nor
// the interpolation switches: the caller names them, from the file's
// settings (TableSettings.h).

#include <array>
#include <complex>
#include <string>
#include <vector>

#include "dirtyGratingWrapper.h"

struct IncidentLight {
    std::array<double, 3> direction;  // unit vector
    double wavelengthNm;
    double n1, n2;
    bool unpolarised;  // random linear polarisation per ray
    std::complex<double> es, ep;
    bool tablesInXY;  // Jones blocks act on (Ex, Ey) rather than on (Es, Ep)
    // Nearest node instead of interpolation along both angle axes, along
    // the wavelength axis (a tie takes the upper node, as in the library).
    bool nearestAngleNodes = false;
    bool nearestWavelengthNode = false;
};

struct ExpectedOrder {
    bool reflected;
    int n, m;
    std::array<double, 3> direction;
    double share;  // of all incident rays
};

struct ExpectedOutcome {
    std::string unknownReason;  // empty when the tables could be read for this ray
    std::vector<ExpectedOrder> orders;
    double lostShare = 0.0;   // rays for which no ray leaves
    bool tablesInXY = false;  // the basis the expectation took the tables in
    bool nearestAngleNodes = false;
    bool nearestWavelengthNode = false;
    bool known() const { return unknownReason.empty(); }
};

ExpectedOutcome expectedOutcome(const dirtyGratingWrapper& view, const IncidentLight& light);
