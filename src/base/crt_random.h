#pragma once
// The C library's srand/rand as the game knows them: values 0 to 32767 on every
// platform. glibc's rand reaches 2^31 - 1, which would spill into the bits that
// a random world seed keeps clear, so the game carries its own: the linear
// congruential generator of the Microsoft C runtime, the game's first home.

#include <cstdint>

namespace base {

inline constexpr int kRandMax = 32767;

void seed_rand(std::uint32_t seed);  // srand
int rand15();                        // rand: 0..kRandMax

}  // namespace base
