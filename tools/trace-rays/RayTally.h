#pragma once

// Counts of traced rays, grouped by what the library answered: its result
// code and the outgoing direction (rounded, so one diffraction order is one
// group).

#include <array>
#include <cstdint>
#include <map>
#include <tuple>

struct OutcomeKey {
    int code;
    std::array<std::int64_t, 3> roundedDirection;  // zero when no ray leaves (code 0)
    bool operator<(const OutcomeKey& other) const
    {
        return std::tie(code, roundedDirection) < std::tie(other.code, other.roundedDirection);
    }
};

struct OutcomeCount {
    std::uint64_t rays = 0;
    double energy = 0.0;                             // sum of outgoing energies
    std::array<double, 3> direction{0.0, 0.0, 0.0};  // sum of outgoing directions
};

class RayTally {
public:
    void add(int code, const double direction[3], double energy);
    void merge(const RayTally& other);

    const std::map<OutcomeKey, OutcomeCount>& outcomes() const { return mOutcomes; }
    std::uint64_t rays() const { return mRays; }

private:
    std::map<OutcomeKey, OutcomeCount> mOutcomes;
    std::uint64_t mRays = 0;
};

// Rounding step of directions that count as one outgoing direction.
constexpr double DirectionResolution = 1e-6;
