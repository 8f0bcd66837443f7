#pragma once

// The incident ray in the coordinates of a surface's tables: its wave
// numbers and its place on the angular grid.

#include "GratingSurface.h"

namespace quelbrant {

// Wave numbers of one ray, from its vacuum wavelength in nanometres.
struct RayWaveNumbers {
    double lambda = 0.0;  // vacuum wavelength, metres
    double kIn = 0.0;     // 2 pi n1 / lambda, rad/m: the medium the ray comes from
    double kOut = 0.0;    // 2 pi n2 / lambda, rad/m: the medium beyond the surface
    double kInx = 0.0;    // in-plane components of the incident wave vector, rad/m
    double kIny = 0.0;
};

RayWaveNumbers rayWaveNumbers(double lambdaNm, double n1, double n2, const double direction[3]);

// The ray's coordinates on the two angle axes of a table.
struct AngleCoordinates {
    double thetaOrUxOrKx = 0.0;
    double phiOrUyOrKy = 0.0;
};

// POLAR: theta = angle to the normal in degrees (|uz| above 1 counts as
// normal incidence), phi = azimuth of the direction in degrees, moved into
// the phi axis' turn [firstPhi, firstPhi + 360). UNIT_VECTOR: (ux, uy).
// K_VECTOR: the in-plane wave vector (kInx, kIny).
// Returns false for any other definition.
bool angleCoordinatesOfRay(GratingSurface::AngleDefinition definition, const double direction[3],
                           const RayWaveNumbers& k, double firstPhi, AngleCoordinates& coordinates);

}  // namespace quelbrant
