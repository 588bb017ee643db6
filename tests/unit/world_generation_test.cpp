#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "world/game.h"

namespace {

using point = game::point;

// A world takes 80 MiB: each seed is generated once per test process and
// shared by the tests that read it.
const game& world_of_seed(ll seed) {
  static std::unique_ptr<game> seed_one;
  static std::unique_ptr<game> seed_abc;
  std::unique_ptr<game>& slot = seed == 1 ? seed_one : seed_abc;
  if (!slot) {
    fill_gailv();
    slot = std::make_unique<game>();
    slot->init(seed);
  }
  return *slot;
}

const ll kSeedOfAbc = 8461199769227487255;

struct world_census {
  std::array<long, 4> cells_of_type{};
  std::array<long, 5> cells_of_level{};
  std::vector<std::pair<int, int>> first_non_empty;  // positions (x, y)
};

world_census count(const game& world) {
  world_census census;
  for (int x = -game::kWorldHalf; x < game::kWorldHalf; ++x) {
    for (int y = -game::kWorldHalf; y < game::kWorldHalf; ++y) {
      const point& cell = world.cell(x, y);
      ++census.cells_of_type.at(cell.type);
      if (cell.type == 0) continue;
      ++census.cells_of_level.at(cell.level);
      if (census.first_non_empty.size() < 6) census.first_non_empty.push_back({x, y});
    }
  }
  return census;
}

void expect_monster(const point& cell, int level, ll attack, ll hp, ll defence) {
  EXPECT_EQ(cell.type, 3);
  EXPECT_EQ(cell.level, level);
  EXPECT_EQ(cell.m.attack, attack);
  EXPECT_EQ(cell.m.hp, hp);
  EXPECT_EQ(cell.m.defence, defence);
}

void expect_treasure(const point& cell, int level, ll kind, ll amount) {
  EXPECT_EQ(cell.type, 1);
  EXPECT_EQ(cell.level, level);
  EXPECT_EQ(cell.b.type, kind);
  EXPECT_TRUE(cell.b.add == amount) << static_cast<ll>(cell.b.add);
}

TEST(Generation, WorldOfSeedOne) {
  const game& world = world_of_seed(1);
  EXPECT_EQ(world.worldseed, 1);
  const world_census census = count(world);
  EXPECT_EQ(census.cells_of_type, (std::array<long, 4>{1031738, 5346, 1017, 10475}));
  EXPECT_EQ(census.cells_of_level, (std::array<long, 5>{3437, 3406, 3342, 3292, 3361}));
  EXPECT_EQ(census.first_non_empty,
            (std::vector<std::pair<int, int>>{
                {-512, -457}, {-512, -335}, {-512, -324}, {-512, -246}, {-512, -211}, {-512, -196}}));
  expect_monster(world.cell(-512, -457), 1, 71, 740, 28);
  expect_treasure(world.cell(-512, -335), 1, 1, 530);
  expect_treasure(world.cell(-512, -324), 0, 0, 14);
  expect_monster(world.cell(-512, -246), 3, 11078, 180770, 8948);
  expect_monster(world.cell(-512, -211), 3, 12101, 152160, 8703);
  expect_treasure(world.cell(-512, -196), 0, 1, 120);
  for (const auto& [x, y] : {std::pair{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
    EXPECT_EQ(world.cell(x, y).type, 0) << x << "," << y;
  }
}

TEST(Generation, WorldOfTheSeedTextAbc) {
  ASSERT_EQ(game::shash("abc"), kSeedOfAbc);
  const game& world = world_of_seed(kSeedOfAbc);
  const world_census census = count(world);
  EXPECT_EQ(census.cells_of_type, (std::array<long, 4>{1031671, 5199, 1067, 10639}));
  EXPECT_EQ(census.first_non_empty[0], (std::pair{-512, -483}));
  EXPECT_EQ(census.first_non_empty[1], (std::pair{-512, -436}));
  EXPECT_EQ(census.first_non_empty[2], (std::pair{-512, -409}));
  EXPECT_EQ(census.first_non_empty[3], (std::pair{-512, -375}));
  expect_monster(world.cell(-512, -483), 0, 17, 180, 6);
  expect_monster(world.cell(-512, -436), 1, 54, 530, 36);
  expect_monster(world.cell(-512, -409), 1, 77, 560, 31);
  expect_treasure(world.cell(-512, -375), 0, 1, 110);
}

// Walks the world of `seed` as the plain rules say, drawing as it goes, and
// compares every cell with the generated one.
void expect_every_cell_as_drawn_plainly(const game& world, ll seed) {
  game::random_64 rd(seed), rd2(seed), rd3(seed), rd4(seed);
  for (int i = 0; i < game::kWorldSize; ++i) {
    for (int j = 0; j < game::kWorldSize; ++j) {
      const point& cell = world.world[i][j];
      const ll type = gailv.lower_bound(rd() % 1000)->second;
      ASSERT_EQ(cell.type, type) << i << "," << j;
      if (type == 0) {
        rd4(), rd4(), rd4();
        continue;
      }
      ASSERT_EQ(cell.level, rd2() % 5) << i << "," << j;
      const ll base = static_cast<ll>(benchmark[cell.level]);
      if (type == 1) {
        const ll kind = rd3() % 3;
        ASSERT_EQ(cell.b.type, kind);
        ASSERT_TRUE(cell.b.add == (base + rd4() % base) * typemul[kind] / 2) << i << "," << j;
      }
      if (type == 3) {
        ASSERT_EQ(cell.m.attack, base + rd4() % base) << i << "," << j;
        ASSERT_EQ(cell.m.hp, (base + rd4() % base) * 10);
        ASSERT_EQ(cell.m.defence, (base + rd4() % base) / 2);
      }
    }
  }
}

TEST(Generation, EveryCellIsAsThePlainRulesDrawIt) {
  expect_every_cell_as_drawn_plainly(world_of_seed(1), 1);
  expect_every_cell_as_drawn_plainly(world_of_seed(kSeedOfAbc), kSeedOfAbc);
}

// The attack range of each level; hit points span ten times it, defence half.
constexpr ll kLowestAttack[] = {10, 40, 320, 10240, 1310720};
constexpr ll kHighestAttack[] = {19, 79, 639, 20479, 2621439};

bool in_range(int128 value, int level, int128 scale_up, int128 scale_down) {
  return value >= kLowestAttack[level] * scale_up / scale_down &&
         value <= kHighestAttack[level] * scale_up / scale_down;
}

void expect_values_in_level_ranges(const game& world) {
  for (const point* row : world.world) {
    for (int j = 0; j < game::kWorldSize; ++j) {
      const point& cell = row[j];
      ASSERT_TRUE(cell.type >= 0 && cell.type <= 3);
      if (cell.type == 0) continue;
      ASSERT_TRUE(cell.level >= 0 && cell.level <= 4);
      if (cell.type == 1) {
        const int128 scale_up[] = {1, 10, 1};
        const int128 scale_down[] = {1, 1, 2};
        ASSERT_TRUE(cell.b.type >= 0 && cell.b.type <= 2);
        ASSERT_TRUE(in_range(cell.b.add, cell.level, scale_up[cell.b.type], scale_down[cell.b.type]));
      }
      if (cell.type == 3) {
        ASSERT_TRUE(in_range(cell.m.attack, cell.level, 1, 1));
        ASSERT_TRUE(in_range(cell.m.hp, cell.level, 10, 1) && cell.m.hp % 10 == 0);
        ASSERT_TRUE(in_range(cell.m.defence, cell.level, 1, 2));
      }
    }
  }
}

TEST(Generation, EveryValueLiesInTheRangeOfItsLevel) {
  expect_values_in_level_ranges(world_of_seed(1));
  expect_values_in_level_ranges(world_of_seed(kSeedOfAbc));
}

// The grid's bytes are the cells' save-file images, and bytes that carry
// nothing are zero, so a saved world depends on its name and seed alone.
TEST(Generation, CellBytesAreTheirSaveImagesWithUnusedBytesZero) {
  const game& world = world_of_seed(1);
  // Cell (-512, -457) is image 55 of row 0: type 3, level 1, then attack,
  // defence and hit points at 56, 64 and 72.
  const auto* image = reinterpret_cast<const unsigned char*>(world.world[0]) + 80 * 55;
  const unsigned char type_and_level[] = {3, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(std::memcmp(image, type_and_level, 8), 0);
  ll monster[3] = {};
  std::memcpy(monster, image + 56, sizeof monster);
  EXPECT_EQ(monster[0], 71);
  EXPECT_EQ(monster[1], 28);
  EXPECT_EQ(monster[2], 740);

  const std::array<unsigned char, 80> zero{};
  for (const point* row : world.world) {
    for (int j = 0; j < game::kWorldSize; ++j) {
      const auto* bytes = reinterpret_cast<const unsigned char*>(&row[j]);
      const int type = row[j].type;
      // Fillers: after `level`, after `b.type`, and the empty record with
      // the filler after it; the treasure unless a treasure cell; the
      // monster unless a monster cell; everything of an empty cell.
      ASSERT_EQ(std::memcmp(bytes + 8, zero.data(), 8), 0);
      ASSERT_EQ(std::memcmp(bytes + 24, zero.data(), 8), 0);
      ASSERT_EQ(std::memcmp(bytes + 48, zero.data(), 8), 0);
      ASSERT_TRUE(type == 1 || std::memcmp(bytes + 16, zero.data(), 32) == 0);
      ASSERT_TRUE(type == 3 || std::memcmp(bytes + 56, zero.data(), 24) == 0);
      ASSERT_TRUE(type != 0 || std::memcmp(bytes, zero.data(), 80) == 0);
    }
  }
}

// A world's bytes depend on the low 61 bits of its seed alone: not on what
// the cells held before, not on the top three bits, not on the start-up
// having filled `gailv` yet.
TEST(Generation, IsAPureFunctionOfTheLow61BitsOfTheSeed) {
  const game& reference = world_of_seed(1);
  game scribbled;
  for (point* row : scribbled.world) std::memset(static_cast<void*>(row), 0xA5, sizeof(point) * game::kWorldSize);
  scribbled.localplayer.atk = 99;
  scribbled.worldname = "kept";
  scribbled.tick = 7;
  gailv.clear();
  const ll top_bits_set = static_cast<ll>(0xE000000000000001ULL);
  scribbled.init(top_bits_set);
  EXPECT_EQ(gailv.size(), 4u);
  EXPECT_EQ(scribbled.worldseed, top_bits_set);
  for (int i = 0; i < game::kWorldSize; ++i) {
    ASSERT_EQ(std::memcmp(scribbled.world[i], reference.world[i], sizeof(point) * game::kWorldSize), 0)
        << "row " << i;
  }
  EXPECT_TRUE(scribbled.localplayer.atk == 99);
  EXPECT_EQ(scribbled.worldname, "kept");
  EXPECT_EQ(scribbled.tick, 7);
}

}  // namespace
