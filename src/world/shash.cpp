#include <cstdint>

#include "world/game.h"

namespace {

constexpr std::uint64_t kGoldenRatio = 0x9E3779B97F4A7C15;
constexpr std::uint64_t kFinishMultiplier1 = 0xFF51AFD7ED558CCD;
constexpr std::uint64_t kFinishMultiplier2 = 0xC4CEB9FE1A85EC53;

// The hash mixes as a signed value: right shifts copy the sign bit in.
std::uint64_t xor_shifted_right_33(std::uint64_t hash) {
  return hash ^ static_cast<std::uint64_t>(static_cast<ll>(hash) >> 33);
}

}  // namespace

ll game::shash(std::string_view text) {
  std::uint64_t hash = kGoldenRatio;
  for (const char byte : text) {
    // Bytes are signed chars: the GBK bytes of Chinese text (0x80..0xFF) mix
    // in sign-extended, so a typed seed hashes alike on every platform.
    const ll widened = static_cast<signed char>(byte);
    hash = (hash ^ static_cast<std::uint64_t>(widened)) * kGoldenRatio;
  }
  hash = xor_shifted_right_33(hash);
  hash *= kFinishMultiplier1;
  hash = xor_shifted_right_33(hash);
  hash *= kFinishMultiplier2;
  hash = xor_shifted_right_33(hash);
  return static_cast<ll>(hash);
}
