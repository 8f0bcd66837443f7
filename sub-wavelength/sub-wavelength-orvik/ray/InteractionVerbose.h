#pragma once

// The verbose (debug) dump of one ray interaction. Every function here
// formats and logs; callers call them only when the logger is verbose, so
// that a ray traced without verbose logging formats nothing.

#include <complex>
#include <cstddef>
#include <vector>

#include "GratingSurface.h"
#include "NdArray.h"
#include "ray/InteractionCoordinates.h"
#include "ray/InteractionPosition.h"

namespace quelbrant {

// The incident ray as the interaction sees it (after the side and position
// are fixed and the field is in the tables' basis).
struct RayInputsDump {
    size_t side = 0;
    double n1 = 0.0, n2 = 0.0;
    GratingSurface::AngleDefinition angleDefinition = GratingSurface::A_NONE;
    AngleCoordinates angles;
    double lambda = 0.0;  // metres
    bool fieldInXY = false;
    std::complex<double> ESIn, EPIn;
    bool includeReflection = false, includeTransmission = false;
    bool askSpecificOrder = false, lossless = false, losslessSpecificOrder = false;
    int orderN = 0, orderM = 0;
    bool withPosition = false;
    GratingSurface::PositionDefinition positionDefinition = GratingSurface::P_NONE;
    GridPosition position;
};

void logRayInputs(const RayInputsDump& ray);

// Dimensions of the surface's four dense tables, mR[0], mR[1], mT[0], mT[1].
void logSurfaceTableDimensions(const NdArrayComplex (&R)[2], const NdArrayComplex (&T)[2]);

// The extents and elements of both interpolated tables.
void logInterpolatedTables(const NdArrayComplex& Rinterp, const NdArrayComplex& Tinterp);

// The title of the specific-order stage, the lattice vectors at the ray
// (position data only) and both tables reduced to the order.
void logSpecificOrderTables(int n, int m, bool withPosition, const std::vector<double>& k1gk2g,
                            const NdArrayComplex& Rinterp, const NdArrayComplex& Tinterp);

// "* R power =," or "* R+T power =," with the power so far and the number of
// entries.
void logFamilyPower(const char* label, const std::vector<double>& power);

// The quantities of the random choice.
void logRandomChoice(double totalPower, bool hostMode, double inPower, double maxRandom, bool lossless,
                     double rand, size_t entries);

// The chosen order's outgoing field.
void logChosenField(const std::complex<double>& ES, const std::complex<double>& EP);

}  // namespace quelbrant
