// Stand-in for the field-basis module until it lands in this branch: the
// X/Y to S/P conversion of a direction, s = (sin phi, -cos phi, 0),
// p = (cos theta cos phi, cos theta sin phi, -sin theta).
#include <cmath>
#include <complex>

void convertXYtoSP(std::complex<double>& XinSout, std::complex<double>& YinPout, double ux, double uy,
                   double uz)
{
    if (uz == 0.0) {
        XinSout = YinPout = std::complex<double>(0.0, 0.0);
        return;
    }
    const double phi = std::atan2(uy, ux);
    const double s = std::sin(phi);
    const double c = std::cos(phi);
    const std::complex<double> X = XinSout;
    const std::complex<double> Y = YinPout;
    XinSout = s * X - c * Y;
    YinPout = (c * X + s * Y) / uz;
}
