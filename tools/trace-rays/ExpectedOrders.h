#pragma once

// What the tables say should happen to a ray, read from the surface's GPU
// view independently of the library's own interaction code: the propagating
// orders (grating equation) and the share of rays each should receive.
//
// The view carries neither the polarisation basis the tables are held in nor
// the interpolation switches, so the expectation assumes S/P Jones blocks
// interpolated multilinearly along every axis (the file format's defaults).

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
    double lostShare = 0.0;  // rays for which no ray leaves
    bool known() const { return unknownReason.empty(); }
};

ExpectedOutcome expectedOutcome(const dirtyGratingWrapper& view, const IncidentLight& light);
