#include "base/crt_random.h"

namespace base {
namespace {
std::uint32_t state = 1;  // as after srand(1), the C library's start
}

void seed_rand(std::uint32_t seed) { state = seed; }

int rand15() {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFFu);
}

}  // namespace base
