#pragma once

// Conversion of a whole dense R or T table between the S/P and the X/Y
// polarisation basis, done once after loading when the file's data basis
// differs from the basis the tables are interpolated in.
//
// Convention for a direction u (see FieldBasisConversions.h):
//   phi = atan2(uy, ux), s = (sin phi, -cos phi, 0),
//   p = (uz cos phi, uz sin phi, -sin theta).
// Each 2 x 2 block [PolOut, PolIn] becomes Aout * M * Bin: Bin takes the
// incident field from the target basis to the data basis (incident
// direction), M applies the coefficients, Aout takes the outgoing field of
// that order to the target basis (outgoing direction from the grating
// equation). Blocks of four zeros (orders the file did not list) are left
// alone. |uz| is floored at 1e-05 on both sides, so grazing and evanescent
// directions convert with finite, large factors instead of dividing by 0.

#include <vector>

#include "GratingSurface.h"
#include "NdArray.h"
#include "load/LatticeVectorReader.h"
#include "tables/DenseTableAxes.h"

namespace quelbrant {

// How light meets and leaves the table being converted.
struct ConversionGeometry {
    // The form of the angle axes: theta and phi in degrees for POLAR, ux/uy
    // for UNIT_VECTOR, kx/ky in 1/m otherwise.
    GratingSurface::AngleDefinition angleDef = GratingSurface::A_NONE;
    double indexIn = 1.0;            // refractive index of the incident medium
    double indexOut = 1.0;           // of the medium the orders leave into
    bool incidentFromUpper = false;  // light travels towards -z
    // Sign of uz of the outgoing orders: -1 reflected into the lower side or
    // transmitted from the upper side, +1 otherwise.
    double signOfOutputUz = 1.0;
};

// RT: dense table [position] x A1 x A2 x L x Nn x Nm x 2 x 2, converted in
// place. axes: the side's sorted axes (lambda in m) and the table's order
// vectors. lattice: reciprocal lattice vectors k1x..k2y in 1/m, one entry
// per position (one entry without position data); the norms are not read.
// convertSPtoXY: true S/P -> X/Y, false X/Y -> S/P.
// thetaPerWavelength: for a polar grid whose incidence angle depends on the
// wavelength (the file's "f_conversion"), the table [theta index, wavelength
// index] in degrees; node (i, k) then converts at the angle (i, k) of that
// table instead of theta[i]. nullptr or an empty table: theta[i] throughout.
//
// Throws std::out_of_range, before changing anything, when the table does
// not have 7 (with position data 8) dimensions with 2 x 2 polarisation
// blocks, when an axis, order vector or lattice list is shorter than the
// table extent it labels, or when a theta-per-wavelength table is given for
// a grid that is not polar or does not cover the first angle axis and the
// wavelength axis; std::invalid_argument when axes are missing.
void convertRTBetweenBases(NdArrayComplex& RT, const quelbrant::DenseTableAxes& axes,
                           const LatticeVectorsPerPosition& lattice,
                           const quelbrant::ConversionGeometry& geometry, bool convertSPtoXY,
                           const NdArrayReal* thetaPerWavelength = nullptr);

}  // namespace quelbrant
