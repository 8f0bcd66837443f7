#include "RandomGeneratorTesting.h"

#include "ray/RandomGenerator.h"

void seedCallingThreadGenerator(std::uint64_t seed)
{
    prng.seed(seed);
}
