#pragma once

// The share of rays each order receives when every ray has its own random
// linear polarisation (trace-rays' --pol u: es = cos psi, ep = sin psi, psi
// uniform in [0, pi)) and each ray draws its order from its own powers.

#include <vector>

// Power an order carries for the polarisation angle psi, a quadratic form
// in (cos psi, sin psi): mean + cos2 cos(2 psi) + sin2 sin(2 psi).
struct PolarisationPower {
    double mean;
    double cos2;
    double sin2;
};

struct UnpolarisedShares {
    std::vector<double> shares;  // one per order, in the given order
    double lostShare = 0.0;      // rays for which no ray leaves
};

// A ray whose orders carry a total T above its incident power 1, or any ray
// of a lossless side, draws among its orders in proportion to their powers
// (share P / T); otherwise an order takes P and 1 - T is lost. The shares
// are the exact means of that over psi: the mean powers themselves only
// where no ray is normalised.
UnpolarisedShares unpolarisedShares(const std::vector<PolarisationPower>& orders, bool lossless);
