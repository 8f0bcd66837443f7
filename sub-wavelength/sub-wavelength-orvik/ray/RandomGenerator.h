#pragma once

// The random numbers of the ray path: one 64-bit Mersenne Twister per
// thread, so that ray threads never share (or lock) a generator.

#include <cstdint>
#include <random>

namespace quelbrant {

// The calling thread's generator. Built on the thread's first use from one
// 32-bit value of a freshly constructed std::random_device, never reseeded
// by the library, destroyed with its thread.
extern thread_local std::mt19937_64 prng;

// One draw of std::uniform_real_distribution<double>(a, b) from the calling
// thread's generator: uniform on [a, b). Requires a <= b, both finite.
double drawUniform(double a, double b);

}  // namespace quelbrant
