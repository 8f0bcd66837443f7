#include "orders/FieldBasisConversions.h"

#include <cmath>

namespace quelbrant {

// Every routine reads all its inputs before writing an output, so callers
// may pass the same variable as input and output.

void convertSPtoXY(std::complex<double>& SinXout, std::complex<double>& PinYout, double ux, double uy,
                   double uz)
{
    const double phi = std::atan2(uy, ux);
    const double s = std::sin(phi);
    const double c = std::cos(phi);
    const std::complex<double> x = s * SinXout + (c * uz) * PinYout;
    const std::complex<double> y = (-c) * SinXout + (s * uz) * PinYout;
    SinXout = x;
    PinYout = y;
}

void convertXYtoSP(std::complex<double>& XinSout, std::complex<double>& YinPout, double ux, double uy,
                   double uz)
{
    if (uz == 0.0) {
        XinSout = 0.0;
        YinPout = 0.0;
        return;
    }
    const double phi = std::atan2(uy, ux);
    const double s = std::sin(phi);
    const double c = std::cos(phi);
    const std::complex<double> sPart = s * XinSout - c * YinPout;
    const std::complex<double> pPart = (c * XinSout + s * YinPout) / uz;
    XinSout = sPart;
    YinPout = pPart;
}

void convertSPtoXYZ(const std::complex<double>& Es, const std::complex<double>& Ep, std::complex<double>& Ex,
                    std::complex<double>& Ey, std::complex<double>& Ez, double cosTheta, double cosPhi,
                    double sinPhi)
{
    const std::complex<double> x = sinPhi * Es + (cosPhi * cosTheta) * Ep;
    const std::complex<double> y = (-cosPhi) * Es + (sinPhi * cosTheta) * Ep;
    // A cosine a rounding beyond +-1 (a unit vector turned into another
    // frame) is +-1: sin theta is 0, not the square root of a negative.
    const double sinSquared = 1 - cosTheta * cosTheta;
    const std::complex<double> z = -std::sqrt(sinSquared < 0.0 ? 0.0 : sinSquared) * Ep;
    Ex = x;
    Ey = y;
    Ez = z;
}

void convertXYZtoSP(const std::complex<double>& Ex, const std::complex<double>& Ey,
                    const std::complex<double>& Ez, std::complex<double>& Es, std::complex<double>& Ep,
                    double cosTheta, double cosPhi, double sinPhi)
{
    const std::complex<double> s = sinPhi * Ex - cosPhi * Ey;
    const std::complex<double> p = cosTheta == 0.0 ? -Ez : (cosPhi * Ex + sinPhi * Ey) / cosTheta;
    Es = s;
    Ep = p;
}

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

void turnNormalBasis(std::complex<double>& Es, std::complex<double>& Ep, double zSign, double turn)
{
    // s = (sin phi, -cos phi, 0) and p = uz (cos phi, sin phi, 0).
    const double c = std::cos(turn);
    const double s = zSign < 0.0 ? -std::sin(turn) : std::sin(turn);
    const std::complex<double> es = c * Es + s * Ep;
    Ep = c * Ep - s * Es;
    Es = es;
}

}  // namespace quelbrant
