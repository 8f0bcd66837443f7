#pragma once

// For tests only: makes the calling thread's random draws reproducible.
// Hosts never call it; like every library-internal symbol it is not
// exported from the shared library.

#include <cstdint>

// Reseeds the calling thread's generator (prng) with seed; other threads'
// generators are untouched.
void seedCallingThreadGenerator(std::uint64_t seed);
