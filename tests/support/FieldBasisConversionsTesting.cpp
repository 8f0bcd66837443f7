#include "FieldBasisConversionsTesting.h"

#include <cmath>

#include "orders/FieldBasisConversions.h"

namespace quelbrant {

void convertSPtoXYZfromUnitVector(const std::complex<double>& Es, const std::complex<double>& Ep,
                                  std::complex<double>& Ex, std::complex<double>& Ey,
                                  std::complex<double>& Ez, double ux, double uy, double uz)
{
    const double phi = std::atan2(uy, ux);
    convertSPtoXYZ(Es, Ep, Ex, Ey, Ez, uz, std::cos(phi), std::sin(phi));
}

void convertXYZtoSPfromUnitVector(const std::complex<double>& Ex, const std::complex<double>& Ey,
                                  const std::complex<double>& Ez, std::complex<double>& Es,
                                  std::complex<double>& Ep, double ux, double uy, double uz)
{
    const double phi = std::atan2(uy, ux);
    convertXYZtoSP(Ex, Ey, Ez, Es, Ep, uz, std::cos(phi), std::sin(phi));
}

}  // namespace quelbrant
