#include "RayTally.h"

#include <cmath>

void RayTally::add(int code, const double direction[3], double energy)
{
    OutcomeKey key{code, {0, 0, 0}};
    if (code != 0)
        for (int k = 0; k < 3; ++k)
            key.roundedDirection[k] = std::llround(direction[k] / DirectionResolution);
    OutcomeCount& count = mOutcomes[key];
    ++count.rays;
    count.energy += energy;
    for (int k = 0; k < 3; ++k)
        count.direction[k] += direction[k];
    ++mRays;
}

void RayTally::merge(const RayTally& other)
{
    for (const auto& [key, count] : other.mOutcomes) {
        OutcomeCount& mine = mOutcomes[key];
        mine.rays += count.rays;
        mine.energy += count.energy;
        for (int k = 0; k < 3; ++k)
            mine.direction[k] += count.direction[k];
    }
    mRays += other.mRays;
}
