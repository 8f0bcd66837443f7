#include "ray/InteractionOrderChoice.h"

namespace quelbrant {

double randomDrawLimit(bool lossless, double totalPower, double inPower, bool includeReflection,
                       bool includeTransmission)
{
    if (lossless || totalPower > inPower || !includeReflection || !includeTransmission)
        return totalPower;
    return inPower;
}

size_t chooseOrderByPower(const std::vector<double>& power, double rand)
{
    double runningSum = 0.0;
    for (size_t i = 0; i < power.size(); ++i) {
        runningSum += power[i];
        if (runningSum >= rand)
            return i;
    }
    return NoOrderChosen;
}

int orderResultCode(const PropagatingOrderList& orders, size_t chosen, size_t reflectedCount)
{
    const int magnitude = orders.specOrDirac[chosen];
    return chosen < reflectedCount ? -magnitude : magnitude;
}

}  // namespace quelbrant
