#include "RandomGeneratorTesting.h"

#include "ray/RandomGenerator.h"

using namespace quelbrant;

void seedCallingThreadGenerator(std::uint64_t seed)
{
    prng.seed(seed);
}
