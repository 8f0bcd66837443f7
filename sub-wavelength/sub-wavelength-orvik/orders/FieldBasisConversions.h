#pragma once

// The one polarisation convention of the library, and the per-ray routines
// that move a field between its bases.
//
// Local frame: z is the grating normal, +z points into the upper medium.
// For a propagation direction u = (ux, uy, uz):
//   phi = atan2(uy, ux)          (signed zeros honoured: (-0, +0) gives pi)
//   cos theta = uz, sin theta = +sqrt(1 - uz^2)
//   s = (sin phi, -cos phi, 0)                      perpendicular to the plane of incidence
//   p = (cos theta cos phi, cos theta sin phi, -sin theta)   in that plane
// and s x p = u (right-handed). At normal incidence phi = 0: s = -y, p = uz x.
// X/Y is the transverse pair (Ex, Ey); X/Y/Z the full Cartesian field.
//
// None of these allocates or throws; all are safe to call from any thread.

#include <complex>

#include "orders/InputPolarization.h"

namespace quelbrant {

// In place: (S, P) -> (X, Y) for direction u. uz is used as given (not
// normalised).
void convertSPtoXY(std::complex<double>& SinXout, std::complex<double>& PinYout, double ux, double uy,
                   double uz);

// In place: (X, Y) -> (S, P), the inverse of convertSPtoXY. For uz exactly 0
// (either sign) the transverse pair cannot fix P and both become 0.
void convertXYtoSP(std::complex<double>& XinSout, std::complex<double>& YinPout, double ux, double uy,
                   double uz);

// Cartesian field of Es*s + Ep*p. A cosTheta beyond [-1, 1] by rounding
// counts as +-1.
void convertSPtoXYZ(const std::complex<double>& Es, const std::complex<double>& Ep, std::complex<double>& Ex,
                    std::complex<double>& Ey, std::complex<double>& Ez, double cosTheta, double cosPhi,
                    double sinPhi);

// S and P components of a Cartesian field. Ez is only read at grazing
// incidence (cosTheta exactly 0), where p = -z.
void convertXYZtoSP(const std::complex<double>& Ex, const std::complex<double>& Ey,
                    const std::complex<double>& Ez, std::complex<double>& Es, std::complex<double>& Ep,
                    double cosTheta, double cosPhi, double sinPhi);

// convertSPtoXYZ with the angles of the unit direction u.
void convertSPtoXYZfromUnitVector(const std::complex<double>& Es, const std::complex<double>& Ep,
                                  std::complex<double>& Ex, std::complex<double>& Ey,
                                  std::complex<double>& Ez, double ux, double uy, double uz);

// convertXYZtoSP with the angles of the unit direction u.
void convertXYZtoSPfromUnitVector(const std::complex<double>& Ex, const std::complex<double>& Ey,
                                  const std::complex<double>& Ez, std::complex<double>& Es,
                                  std::complex<double>& Ep, double ux, double uy, double uz);

// In place: the S and P amplitudes of a field along the normal (uz of sign
// zSign, ux = uy = 0), taken from the basis of one azimuth to the basis of
// the azimuth `turn` radians further round. Such a direction names no
// azimuth of its own, so each frame may hold its field in another basis.
void turnNormalBasis(std::complex<double>& Es, std::complex<double>& Ep, double zSign, double turn);

}  // namespace quelbrant
