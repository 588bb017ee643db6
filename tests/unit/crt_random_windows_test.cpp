// The game's own srand/rand against the C runtime's on Windows: random seeds
// and rolls must follow the same sequence as there, on every build.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "base/crt_random.h"

namespace {

TEST(WindowsCrtRandom, SameSequenceAsTheCRuntimeForEverySeed) {
  for (const std::uint32_t seed : {0u, 1u, 12345u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
    std::srand(seed);
    base::seed_rand(seed);
    for (int draw = 0; draw < 2000; ++draw) {
      const int expected = std::rand();
      ASSERT_EQ(base::rand15(), expected) << "seed " << seed << ", draw " << draw;
    }
  }
  EXPECT_EQ(RAND_MAX, base::kRandMax);
}

}  // namespace
