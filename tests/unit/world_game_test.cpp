#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "console/platform.h"
#include "console/text_encoding.h"
#include "world/game.h"

namespace {

bool all_bytes_zero(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST(Game, FreshGameHoldsAZeroedGridAndTheDefaultPlayer) {
  game fresh;
  ASSERT_TRUE(fresh.has_world());
  for (const game::point* row : fresh.world) {
    ASSERT_NE(row, nullptr);
    // Empty cells with every field and every filler byte zero.
    ASSERT_TRUE(all_bytes_zero(row, sizeof(game::point) * game::kWorldSize));
  }
  EXPECT_EQ(fresh.tick, 0);
  EXPECT_TRUE(fresh.worldname.empty());
  const game::player& p = fresh.localplayer;
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  EXPECT_EQ(p.jingjie, 0);
  EXPECT_TRUE(p.lingli == 0 && p.atk == 10 && p.hp == 100 && p.defence == 5);
  EXPECT_TRUE(p.baowu.empty());
}

TEST(Game, PositionsAddressRowXPlus512ElementYPlus512) {
  game g;
  EXPECT_EQ(&g.cell(-512, -512), &g.world[0][0]);
  EXPECT_EQ(&g.cell(-512, 511), &g.world[0][1023]);
  EXPECT_EQ(&g.cell(511, -512), &g.world[1023][0]);
  EXPECT_EQ(&g.cell(511, 511), &g.world[1023][1023]);
  EXPECT_EQ(&g.cell(0, 0), &g.world[512][512]);
  // x is the row: a step down the map is a whole row further on.
  EXPECT_EQ(&g.cell(1, 0), &g.world[513][512]);
  EXPECT_EQ(&g.cell(0, 1), &g.world[512][513]);
}

TEST(Player, ACopyOwnsItsOwnTreasureList) {
  game::player original;
  original.atk = 77;
  original.baowu.push_back({1, 530});
  game::player copy(original);
  EXPECT_TRUE(copy.atk == 77);
  ASSERT_EQ(copy.baowu.size(), 1u);
  copy.baowu.push_back({0, 14});
  copy.baowu[0].second = 1;
  copy.hp = 1;
  ASSERT_EQ(original.baowu.size(), 1u);
  EXPECT_TRUE(original.baowu[0].second == 530);
  EXPECT_TRUE(original.hp == 100);
  original.baowu.clear();
  EXPECT_EQ(copy.baowu.size(), 2u);
}

TEST(Tables, GailvLookupsAtTheBoundaries) {
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
}

TEST(Tables, GlyphsStrengthsAndNames) {
  ASSERT_EQ(wtype.size(), 22u);
  EXPECT_EQ(wtype.substr(0, 2), "  ");
  EXPECT_EQ(wtype.substr(2 * 3, 2), "MM");
  EXPECT_EQ(wtype.substr(2 * 10, 2), "N-");
  EXPECT_TRUE(benchmark[0] == 10 && benchmark[4] == 1310720);
  EXPECT_TRUE(typemul[0] == 2 && typemul[1] == 20 && typemul[2] == 1);
  EXPECT_EQ(bs[0], "\xB9\xA5\xBB\xF7");
  EXPECT_EQ(bs[1], "\xD1\xAA\xC1\xBF");
  EXPECT_EQ(bs[2], "\xB7\xC0\xD3\xF9");
  EXPECT_EQ(bs_en[2], "Defence");
}

// Hands out rows until its budget is spent, then reports memory exhausted.
int rows_left = 0;
int rows_handed_out = 0;
game::point* rationed_row() {
  if (rows_left == 0) return nullptr;
  --rows_left;
  ++rows_handed_out;
  return game::allocate_row();
}

game::point* no_row() { return nullptr; }

TEST(GameWithoutMemory, APartlyAllocatedGridIsGivenBackWhole) {
  rows_left = 500;
  rows_handed_out = 0;
  game starved(&rationed_row);
  EXPECT_EQ(rows_handed_out, 500);
  EXPECT_FALSE(starved.has_world());
  for (const game::point* row : starved.world) EXPECT_EQ(row, nullptr);
  // Generation leaves a game without a world alone. (The leak checker of the
  // sanitizer build sees whether the 500 rows were freed.)
  starved.init(1);
  EXPECT_EQ(starved.worldseed, 1);
}

TEST(GameWithoutMemory, TheLastRowFailingStillLeavesNoWorld) {
  rows_left = game::kWorldSize - 1;
  game starved(&rationed_row);
  EXPECT_FALSE(starved.has_world());
}

// Answers every key wait with 'x' and counts the waits.
class OneKeyPlatform : public console::Platform {
 public:
  int keys_read = 0;
  void start() override {}
  void restore() override {}
  void enable_escape_sequences() override {}
  void untie_streams() override {}
  bool key_waiting() override { return true; }
  int read_key() override {
    ++keys_read;
    return 'x';
  }
  void sleep_ms(int) override {}
  std::int32_t clock_ms() override { return 0; }
  void clear_screen() override {}
  void set_title(const std::string&) override {}
  std::string program_path() override { return ""; }
};

class CoutCapture {
 public:
  CoutCapture() : old_(std::cout.rdbuf(captured_.rdbuf())) {}
  ~CoutCapture() { std::cout.rdbuf(old_); }
  std::string text() const { return captured_.str(); }

 private:
  std::ostringstream captured_;
  std::streambuf* old_;
};

TEST(GameWithoutMemory, EachPlaythroughSaysSoWaitsForAKeyAndReturnsToTheMenu) {
  OneKeyPlatform keys;
  console::set_platform(&keys);
  struct variant {
    int (game::*play)();
    std::string line;
  };
  const variant variants[] = {
      {&game::run, console::utf8_to_gbk("内存不足，无法创建世界。按任意键返回。\n")},
      {&game::run_en, "Not enough memory for the world. Press any key to return.\n"},
      {&game::run_dev, "out of memory\n"},
  };
  for (const variant& v : variants) {
    game starved(&no_row);
    const int keys_before = keys.keys_read;
    CoutCapture out;
    EXPECT_EQ((starved.*v.play)(), 0);
    EXPECT_EQ(out.text(), v.line);
    EXPECT_EQ(keys.keys_read, keys_before + 1);
  }
  console::set_platform(nullptr);
}

}  // namespace
