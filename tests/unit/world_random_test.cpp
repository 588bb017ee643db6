#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/text_encoding.h"
#include "world/game.h"

namespace {

std::vector<ll> first_draws(ll seed, int count) {
  game::random_64 generator(seed);
  std::vector<ll> draws;
  for (int i = 0; i < count; ++i) draws.push_back(generator());
  return draws;
}

TEST(Random64, FirstDrawsOfKnownSeeds) {
  EXPECT_EQ(first_draws(0, 3),
            (std::vector<ll>{1442695040888963407, 1876011003808476466, 1942872377460424985}));
  EXPECT_EQ(first_draws(1, 3),
            (std::vector<ll>{889302237094674556, 173536691264035611, 430904762160359950}));
  EXPECT_EQ(first_draws(-1, 3),
            (std::vector<ll>{1996087844683252258, 1272642307139223369, 1148996983546796068}));
}

TEST(Random64, OnlyTheLow61BitsOfTheSeedMatter) {
  const ll top_three_bits = static_cast<ll>(0xE000000000000000ULL);
  for (const ll seed : {ll{0}, ll{1}, ll{-1}, ll{0x123456789ABCDEF}}) {
    EXPECT_EQ(first_draws(seed, 50), first_draws(seed ^ top_three_bits, 50)) << seed;
    EXPECT_EQ(first_draws(seed, 50), first_draws(seed ^ (ll{1} << 61), 50)) << seed;
  }
  // ...but bit 60 does matter.
  EXPECT_NE(first_draws(1, 5), first_draws(1 ^ (ll{1} << 60), 5));
}

TEST(Random64, DrawsStayBelow2To61AndGeneratorsAreIndependent) {
  game::random_64 first(-12345);
  game::random_64 second(-12345);
  EXPECT_EQ(first.seed, -12345);  // the start is not clamped
  for (int i = 0; i < 1000; ++i) {
    const ll draw = first();
    ASSERT_GE(draw, 0);
    ASSERT_LE(draw, first.mod);
  }
  // Drawing a thousand times from `first` left `second` where it started.
  EXPECT_EQ(second.seed, -12345);
  game::random_64 replay(-12345);
  for (int i = 0; i < 999; ++i) replay();
  EXPECT_EQ(second(), game::random_64(-12345)());
  EXPECT_EQ(replay(), first.seed);
}

TEST(Shash, KnownValues) {
  EXPECT_EQ(game::shash(""), 4383717382385014336);
  EXPECT_EQ(game::shash("a"), 5857669768730025612);
  EXPECT_EQ(game::shash("abc"), 8461199769227487255);
  // Bytes above 0x7F mix in as negative chars.
  EXPECT_EQ(game::shash("\xCA\xC0\xBD\xE7"), 3939479139216984661);
}

TEST(Shash, ATypedChineseSeedHashesItsGbkBytes) {
  const std::string typed = console::utf8_to_gbk("世界");
  EXPECT_EQ(typed, "\xCA\xC0\xBD\xE7");
  EXPECT_EQ(game::shash(typed), 3939479139216984661);
}

TEST(Shash, IsNeverNegativeAndSeesEveryByte) {
  std::string text;
  for (int i = 0; i < 512; ++i) {
    text += static_cast<char>(i * 37);
    ASSERT_GE(game::shash(text), 0) << i;
  }
  EXPECT_NE(game::shash(std::string("a\0b", 3)), game::shash(std::string("a\0c", 3)));
  EXPECT_NE(game::shash(std::string("\0", 1)), game::shash(""));
}

}  // namespace
