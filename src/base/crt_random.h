#pragma once
// srand and rand with values 0 to 32767 on every platform. glibc's rand reaches
// 2^31 - 1, which would spill into the bits that a random world seed keeps
// clear, so the game carries its own generator: the Microsoft C runtime's
// linear congruential one, so that a seed draws the same numbers on every build
// as under that runtime.

#include <cstdint>

namespace base {

inline constexpr int kRandMax = 32767;

void seed_rand(std::uint32_t seed);  // srand
int rand15();                        // rand: 0..kRandMax

}  // namespace base
