#include "ray/RandomGenerator.h"

namespace quelbrant {

namespace {

std::mt19937_64::result_type seedFromRandomDevice()
{
    std::random_device device;
    return static_cast<std::uint32_t>(device());
}

}  // namespace

thread_local std::mt19937_64 prng{seedFromRandomDevice()};

double drawUniform(double a, double b)
{
    std::uniform_real_distribution<double> distribution(a, b);
    return distribution(prng);
}

}  // namespace quelbrant
