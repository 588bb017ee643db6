#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_encoding.h"
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
  for (const ll seed : {ll{0}, ll{1}, ll{-1}, ll{0x123456789ABCDEF}}) {
    EXPECT_EQ(first_draws(seed, 50), first_draws(seed ^ static_cast<ll>(0xE000000000000000ULL), 50));
    EXPECT_EQ(first_draws(seed, 50), first_draws(seed ^ (ll{1} << 61), 50));
    EXPECT_NE(first_draws(seed, 5), first_draws(seed ^ (ll{1} << 60), 5));
  }
}

TEST(Random64, TwoGeneratorsOfOneSeedAreIndependent) {
  game::random_64 first(-12345);
  game::random_64 second(-12345);
  std::vector<ll> drawn_by_first;
  for (int i = 0; i < 100; ++i) drawn_by_first.push_back(first());
  EXPECT_EQ(second.seed, -12345);  // untouched, and the start is not clamped
  for (const ll draw : drawn_by_first) ASSERT_EQ(second(), draw);
}

TEST(Shash, KnownValues) {
  EXPECT_EQ(game::shash(""), 4383717382385014336);
  EXPECT_EQ(game::shash("a"), 5857669768730025612);
  EXPECT_EQ(game::shash("abc"), 8461199769227487255);
  // Bytes above 0x7F mix in as negative chars.
  EXPECT_EQ(game::shash("\xCA\xC0\xBD\xE7"), 3939479139216984661);
}

TEST(Shash, ATypedChineseSeedHashesItsGbkBytes) {
  const std::string typed = base::utf8_to_gbk("世界");
  EXPECT_EQ(typed, "\xCA\xC0\xBD\xE7");
  EXPECT_EQ(game::shash(typed), 3939479139216984661);
}

}  // namespace
