#pragma once

// For tests only: the field basis conversions with the angles taken from a
// unit direction (the library itself always has the angles at hand).

#include <complex>

namespace quelbrant {

// convertSPtoXYZ with the angles of the unit direction u.
void convertSPtoXYZfromUnitVector(const std::complex<double>& Es, const std::complex<double>& Ep,
                                  std::complex<double>& Ex, std::complex<double>& Ey,
                                  std::complex<double>& Ez, double ux, double uy, double uz);

// convertXYZtoSP with the angles of the unit direction u.
void convertXYZtoSPfromUnitVector(const std::complex<double>& Ex, const std::complex<double>& Ey,
                                  const std::complex<double>& Ez, std::complex<double>& Es,
                                  std::complex<double>& Ep, double ux, double uy, double uz);

}  // namespace quelbrant
