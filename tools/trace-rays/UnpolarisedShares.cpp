#include "UnpolarisedShares.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.141592653589793;

}  // namespace

// Over theta = 2 psi - (the angle at which T peaks), uniform in [-pi, pi):
// T = t0 + r cos theta and P = p0 + q cos theta plus a part odd in theta,
// which averages out. Rays are normalised where T exceeds the floor (1, or
// 0 on a lossless side): for |theta| < arc. With d = sqrt(t0^2 - r^2),
// the integral of 1 / T over that range is (4 / d) atan(d / (t0 + r)
// tan(arc / 2)), over the whole turn 2 pi / d.
UnpolarisedShares unpolarisedShares(const std::vector<PolarisationPower>& orders, bool lossless)
{
    double t0 = 0.0, t1 = 0.0, t2 = 0.0;
    for (const PolarisationPower& order : orders) {
        t0 += order.mean;
        t1 += order.cos2;
        t2 += order.sin2;
    }
    const double r = std::hypot(t1, t2);
    double arc = Pi;
    if (!lossless)
        arc = r <= 1e-9 * t0 ? (t0 > 1.0 ? Pi : 0.0) : std::acos(std::clamp((1.0 - t0) / r, -1.0, 1.0));

    UnpolarisedShares result;
    if (arc == 0.0) {
        for (const PolarisationPower& order : orders)
            result.shares.push_back(order.mean);
        result.lostShare = 1.0 - t0;
        return result;
    }
    const double d = std::sqrt(std::max((t0 - r) * (t0 + r), 0.0));
    // Where T nearly vanishes for one polarisation, so does every P (each is
    // at most T), and P / T tends to the constant p0 / t0.
    const bool degenerate = !(d > 1e-6 * t0);
    const double tanHalfArc = std::tan(arc / 2.0);
    const double inverseTIntegral =
        degenerate ? 4.0 * tanHalfArc / (t0 + r) : 4.0 / d * std::atan(d / (t0 + r) * tanHalfArc);
    double sum = 0.0;
    for (const PolarisationPower& order : orders) {
        const double qr = order.cos2 * t1 + order.sin2 * t2;
        double share = 0.0;
        if (arc == Pi) {
            // p0 / d - q r / (d (d + t0)), the mean of P / T over the turn.
            share = degenerate ? (t0 > 0.0 ? order.mean / t0 : 0.0) : (order.mean - qr / (d + t0)) / d;
        } else {
            // P / T = q / r + (p0 - q t0 / r) / T where normalised, P elsewhere.
            const double q = qr / r;
            share = (order.mean * (2.0 * Pi - 2.0 * arc) - 2.0 * q * std::sin(arc) + 2.0 * arc * q / r +
                     (order.mean - q * t0 / r) * inverseTIntegral) /
                    (2.0 * Pi);
        }
        result.shares.push_back(share);
        sum += share;
    }
    result.lostShare = arc == Pi ? 0.0 : 1.0 - sum;
    return result;
}
