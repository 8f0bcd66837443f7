#include "ray/FresnelFallback.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "ErrorTable.h"
#include "logger.h"

namespace quelbrant {

namespace {

using Complex = std::complex<double>;

// Below about 1e-154 or above 1e154 the squared amplitudes of a field lose
// their precision or overflow; such fields are brought to unit scale before
// their power is taken.
bool powerIsRepresentable(double power)
{
    return power >= DBL_MIN && power <= DBL_MAX;
}

double largestPart(const Complex& Es, const Complex& Ep)
{
    return std::max({std::fabs(Es.real()), std::fabs(Es.imag()), std::fabs(Ep.real()), std::fabs(Ep.imag())});
}

// The power of the field (Es, Ep), given as power. When it is not
// representable the field is first divided by its largest part, and the
// power of the rescaled field is returned; an all-zero field has power 0.
double powerAtWorkingScale(Complex& Es, Complex& Ep, double power)
{
    if (powerIsRepresentable(power))
        return power;
    const double scale = largestPart(Es, Ep);
    if (scale == 0.0)
        return 0.0;
    Es /= scale;
    Ep /= scale;
    return std::norm(Es) + std::norm(Ep);
}

// Share of the incident field's power that the reflection keeps. For a
// unit-power field this is the reflected power itself.
template <typename T>
double reflectance(Complex Es, Complex Ep, T rs, T rp)
{
    const double incident = powerAtWorkingScale(Es, Ep, std::norm(Es) + std::norm(Ep));
    return (std::norm(Es * rs) + std::norm(Ep * rp)) / incident;
}

void normaliseToUnitPower(Complex& Es, Complex& Ep, double power)
{
    power = powerAtWorkingScale(Es, Ep, power);
    const double r = std::sqrt(power);
    if (r != 0.0) {
        Es /= r;
        Ep /= r;
    }
}

const char* yesNo(bool b)
{
    return b ? "Yes" : "No";
}

bool isAnswerable(double n1, double n2, double L, double M, double N, double esr, double esi, double epr,
                  double epi)
{
    const bool finite = std::isfinite(n1) && std::isfinite(n2) && std::isfinite(L) && std::isfinite(M) &&
                        std::isfinite(N) && std::isfinite(esr) && std::isfinite(esi) && std::isfinite(epr) &&
                        std::isfinite(epi);
    return finite && n1 > 0.0 && n2 > 0.0 && N != 0.0;
}

}  // namespace

double Fresnel_ts(double n1, double n2, double N1, double N2)
{
    return 2 * n1 * N1 / (n2 * N2 + n1 * N1) * std::sqrt(std::fabs(n2 * N2 / n1 / N1));
}

double Fresnel_tp(double n1, double n2, double N1, double N2)
{
    return 2 * n1 * N1 / (n1 * N2 + n2 * N1) * std::sqrt(std::fabs(n2 * N2 / n1 / N1));
}

void refraction(const double n1, const double n2, double& L, double& M, double& N, double& esr, double& esi,
                double& epr, double& epi, double& energy, bool isR, bool isT, double rand)
{
    if (getLogger().isVerbose()) {
        LogDebug("refraction() - input - n1, n2: ", n1, ",", n2);
        LogDebug("refraction() - input - L, M, N: ", L, ",", M, ",", N);
        LogDebug("refraction() - input - Es, Ep: (", esr, ",", esi, ")  (", epr, ",", epi, ")");
        LogDebug("refraction() - input - energy, rand: ", energy, ",", rand);
        LogDebug("refraction() - input - isR, isT: ", yesNo(isR), ",", yesNo(isT));
    }
    if (!isR && !isT)
        throw addErrorMessage("Unknwon error. (refraction)", false);
    if (esr == 0.0 && esi == 0.0 && epr == 0.0 && epi == 0.0) {
        energy = 0.0;
        return;
    }
    if (!isAnswerable(n1, n2, L, M, N, esr, esi, epr, epi)) {
        LogDebug("refraction() - ray not answerable, energy set to 0");
        energy = 0.0;
        return;
    }

    // Snell's law: the tangential components scale by n1/n2.
    const double Lt = L * n1 / n2;
    const double Mt = M * n1 / n2;
    const double s = Mt * Mt + Lt * Lt;
    if (!std::isfinite(s)) {
        // An index ratio so extreme (n2 near zero, n1 near the largest
        // double) that the tangential components overflow: no direction or
        // coefficient can be computed, so the ray ends as one that cannot
        // be answered.
        LogDebug("refraction() - index ratio out of range, energy set to 0");
        energy = 0.0;
        return;
    }
    const bool tir = s > 1;
    if (!isR && isT && tir) {
        L = Lt;
        M = Mt;
        energy = 0.0;
        return;
    }

    Complex Es(esr, esi);
    Complex Ep(epr, epi);
    // Below the critical angle with both branches open the branch is drawn;
    // otherwise the one possible branch is taken and weighed by its power.
    const bool drawn = isR && isT && !tir;
    bool reflected = false;
    double outPower = 0.0;
    if (isR) {
        Complex EsR;
        Complex EpR;
        double R = 0.0;
        if (tir) {
            // Evanescent transmitted wave: N2 = i sqrt(s - 1), |rs| = |rp| = 1.
            const Complex N2 = std::sqrt(Complex(1 - s, 0)) * std::copysign(1.0, N);
            const Complex rs = Fresnel_rs<Complex>(n1, n2, N, N2);
            const Complex rp = Fresnel_rp<Complex>(n1, n2, N, N2);
            EsR = Es * rs;
            EpR = Ep * rp;
            LogDebug("rs, rp: ", rs, ", ", rp);
        } else {
            const double N2 = std::copysign(std::sqrt(1 - s), N);
            const double rs = Fresnel_rs<double>(n1, n2, N, N2);
            const double rp = Fresnel_rp<double>(n1, n2, N, N2);
            EsR = Es * rs;
            EpR = Ep * rp;
            LogDebug("rs, rp: ", rs, ", ", rp);
            if (drawn)
                R = reflectance(Es, Ep, rs, rp);
        }
        outPower = std::norm(EsR) + std::norm(EpR);
        reflected = !drawn || (R > 0.0 && !(rand > R));
        if (reflected) {
            Es = EsR;
            Ep = EpR;
            N = -N;
        }
    }
    if (!reflected) {
        const double N2 = std::copysign(std::sqrt(1 - s), N);
        const double ts = Fresnel_ts(n1, n2, N, N2);
        const double tp = Fresnel_tp(n1, n2, N, N2);
        Es = Es * ts;
        Ep = Ep * tp;
        LogDebug("ts, tp: ", ts, ", ", tp);
        outPower = std::norm(Es) + std::norm(Ep);
        L = Lt;
        M = Mt;
        N = N2;
    }
    if (!drawn)
        energy = outPower;

    normaliseToUnitPower(Es, Ep, outPower);
    esr = Es.real();
    esi = Es.imag();
    epr = Ep.real();
    epi = Ep.imag();

    if (getLogger().isVerbose()) {
        LogDebug("refraction() - output - L, M, N: ", L, ",", M, ",", N);
        LogDebug("refraction() - output - Es, Ep: (", esr, ",", esi, ")  (", epr, ",", epi, ")");
        LogDebug("refraction() - output - energy, rand: ", energy, ",", rand);
    }
}

void rotateRay(double* direction, const double angle)
{
    if (direction == nullptr)
        return;
    const double C = std::cos(angle);
    const double S = std::sin(angle);
    const double x = direction[0];
    const double y = direction[1];
    // Turning the normal leaves it as it is, zeros with their signs: those
    // name the azimuth of its S/P basis, and y*S + x*C would change them
    // (-0 + 0 is +0), so a ray could leave in a basis turned over.
    if (x == 0.0 && y == 0.0)
        return;
    direction[0] = y * S + x * C;
    direction[1] = y * C - x * S;
}

}  // namespace quelbrant
