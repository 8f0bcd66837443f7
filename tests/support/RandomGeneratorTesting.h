#pragma once

// For tests only: makes the calling thread's random draws reproducible.
// Built into the test-only hooks library, never into the shipped library.

#include <cstdint>

// Reseeds the calling thread's generator (prng) with seed; other threads'
// generators are untouched.
void seedCallingThreadGenerator(std::uint64_t seed);
