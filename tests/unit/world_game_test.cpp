#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/text_encoding.h"
#include "support/scripted_platform.h"
#include "world/game.h"

namespace {

TEST(Game, FreshGameHoldsAZeroedGridAndTheDefaultPlayer) {
  game fresh;
  ASSERT_TRUE(fresh.has_world());
  const std::string zero_row(sizeof(game::point) * game::kWorldSize, '\0');
  for (const game::point* row : fresh.world) {
    // Empty cells with every field and every filler byte zero.
    ASSERT_EQ(std::memcmp(row, zero_row.data(), zero_row.size()), 0);
  }
  EXPECT_EQ(fresh.tick, 0);
  EXPECT_TRUE(fresh.worldname.empty());
  const game::player& p = fresh.localplayer;
  EXPECT_TRUE(p.x == 0 && p.y == 0 && p.jingjie == 0);
  EXPECT_TRUE(p.lingli == 0 && p.atk == 10 && p.hp == 100 && p.defence == 5);
  EXPECT_TRUE(p.baowu.empty());

  // x is the row, y the column, both offset by 512.
  EXPECT_EQ(&fresh.cell(-512, -512), &fresh.world[0][0]);
  EXPECT_EQ(&fresh.cell(-512, 511), &fresh.world[0][1023]);
  EXPECT_EQ(&fresh.cell(511, -512), &fresh.world[1023][0]);
  EXPECT_EQ(&fresh.cell(511, 511), &fresh.world[1023][1023]);
  EXPECT_EQ(&fresh.cell(0, 0), &fresh.world[512][512]);
  EXPECT_EQ(&fresh.cell(1, 0), &fresh.world[513][512]);
}

TEST(Player, ACopyOwnsItsOwnTreasureList) {
  game::player original;
  original.baowu.push_back({1, 530});
  game::player copy(original);
  copy.baowu.push_back({0, 14});
  copy.baowu[0].second = 1;
  ASSERT_EQ(original.baowu.size(), 1u);
  EXPECT_TRUE(original.baowu[0].second == 530);
  original.baowu.clear();
  EXPECT_EQ(copy.baowu.size(), 2u);
}

TEST(Tables, GailvLookupsAtTheBoundariesAndTheTexts) {
  fill_gailv();
  fill_gailv();  // a second fill keeps the same four entries
  ASSERT_EQ(gailv.size(), 4u);
  const auto type_of = [](ll draw) { return gailv.lower_bound(draw)->second; };
  EXPECT_EQ(type_of(0), 0);
  EXPECT_EQ(type_of(983), 0);
  EXPECT_EQ(type_of(984), 1);
  EXPECT_EQ(type_of(988), 1);
  EXPECT_EQ(type_of(989), 2);
  EXPECT_EQ(type_of(990), 3);
  EXPECT_EQ(type_of(999), 3);

  EXPECT_EQ(wtype.substr(0, 2), "  ");
  EXPECT_EQ(wtype.substr(2 * 10, 2), "N-");
  EXPECT_EQ(bs[0], "\xB9\xA5\xBB\xF7");  // GBK, 4 bytes each
  EXPECT_EQ(bs[1], "\xD1\xAA\xC1\xBF");
  EXPECT_EQ(bs[2], "\xB7\xC0\xD3\xF9");
}

// Hands out rows until its budget is spent, then reports memory exhausted.
int rows_left = 0;
game::point* rationed_row() {
  if (rows_left == 0) return nullptr;
  --rows_left;
  return game::allocate_row();
}

TEST(GameWithoutMemory, APartlyAllocatedGridIsGivenBackWhole) {
  // The leak checker of the sanitizer build sees whether the rows got so far
  // are freed.
  for (const int budget : {0, 500, game::kWorldSize - 1}) {
    rows_left = budget;
    game starved(&rationed_row);
    EXPECT_EQ(rows_left, 0);
    EXPECT_FALSE(starved.has_world());
    for (const game::point* row : starved.world) ASSERT_EQ(row, nullptr);
    starved.init(1);  // nothing to generate into, nothing happens
  }
}

TEST(GameWithoutMemory, EachPlaythroughSaysSoWaitsForAKeyAndReturnsToTheMenu) {
  struct variant {
    int (game::*play)();
    std::string line;
  };
  const variant variants[] = {
      {&game::run, base::utf8_to_gbk("内存不足，无法创建世界。按任意键返回。\n")},
      {&game::run_en, "Not enough memory for the world. Press any key to return.\n"},
      {&game::run_dev, "out of memory\n"},
  };
  for (const variant& v : variants) {
    test_support::StreamCapture out(std::cout);
    test_support::ScriptedPlatform keys(&out);
    keys.type("x");
    rows_left = 0;
    game starved(&rationed_row);
    EXPECT_EQ((starved.*v.play)(), 0);
    EXPECT_EQ(out.text(), v.line + test_support::kKeyWaitMarker);
    EXPECT_FALSE(keys.waited_with_unflushed_output);
    EXPECT_EQ(keys.key_reads, 1);
  }
}

}  // namespace
