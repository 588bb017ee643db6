#include <array>
#include <cstdint>
#include <cstring>

#include "world/game.h"

// A world is one pass over the grid in storage order with four generators
// that all start from the seed: `rd` gives every cell its type, `rd2` every
// non-empty cell its level, `rd3` every treasure its kind, and `rd4` the
// treasure amounts and monster statistics, three draws for every empty or
// monster cell and one for every treasure. Nearly every cell is empty, so the
// pass is arranged to cost little more than clearing the grid: the three
// draws an empty cell spends on nothing are taken as one step, and the grid
// is cleared a row at a time before the few non-empty cells are written into
// it.

namespace {

using point = game::point;
using random_64 = game::random_64;

constexpr ll kTypeDraws = 1000;

// `gailv` answered once per draw value: a map lookup per cell would cost more
// than everything else generation does.
using CellTypeTable = std::array<std::int32_t, kTypeDraws>;

CellTypeTable cell_types_by_draw() {
  // A world generated before start-up filled the table would come out empty;
  // the table has one fixed content, so fill it here rather than guess.
  if (gailv.empty()) fill_gailv();
  CellTypeTable table{};
  for (ll t = 0; t < kTypeDraws; ++t) {
    const auto entry = gailv.lower_bound(t);
    table[t] = entry == gailv.end() ? kEmptyCell : static_cast<std::int32_t>(entry->second);
  }
  return table;
}

// The three draws of `rd4` that an empty cell spends on nothing, taken as one
// step. A step is x -> x*mul + add with 64-bit wrap-around, then the low 61
// bits kept; the mask commutes with the multiplication and the addition, so
// three steps are x*mul^3 + add*(mul^2 + mul + 1), masked once. One
// multiplication instead of three dependent ones per cell.
class ThreeSteps {
 public:
  explicit ThreeSteps(const random_64& g)
      : mul_(cube(static_cast<std::uint64_t>(g.mul))),
        add_(static_cast<std::uint64_t>(g.add) * (square(static_cast<std::uint64_t>(g.mul)) +
                                                 static_cast<std::uint64_t>(g.mul) + 1)) {}

  void take(random_64& g) const {
    g.seed = static_cast<ll>(static_cast<std::uint64_t>(g.seed) * mul_ + add_) & g.mod;
  }

 private:
  static std::uint64_t square(std::uint64_t x) { return x * x; }
  static std::uint64_t cube(std::uint64_t x) { return x * x * x; }

  std::uint64_t mul_;
  std::uint64_t add_;
};

// Four generators, not one: each advances at its own rate, and a world
// depends on them staying apart.
struct WorldGenerators {
  explicit WorldGenerators(ll seed)
      : rd(seed), rd2(seed), rd3(seed), rd4(seed), draws_of_an_empty_cell(rd4) {}
  random_64 rd;
  random_64 rd2;
  random_64 rd3;
  random_64 rd4;
  ThreeSteps draws_of_an_empty_cell;
};

// A value of a level: its base plus a fresh draw below the base.
ll strength(ll base, random_64& rd4) { return base + rd4() % base; }

void fill_treasure(point& cell, ll base, WorldGenerators& g) {
  cell.b.type = g.rd3() % kTreasureKinds;
  cell.b.add = static_cast<int128>(strength(base, g.rd4)) * typemul[cell.b.type] / 2;
}

void fill_monster(point& cell, ll base, random_64& rd4) {
  cell.m.attack = strength(base, rd4);
  cell.m.hp = strength(base, rd4) * 10;
  cell.m.defence = strength(base, rd4) / 2;
}

// Gives a cell the row clear left empty the type drawn for it, and what that
// type carries.
void generate_cell(point& cell, const CellTypeTable& types, WorldGenerators& g) {
  const std::int32_t type = types[g.rd() % kTypeDraws];
  if (type == kEmptyCell) {
    // The draws an empty cell spends on nothing still move every later
    // treasure and monster.
    g.draws_of_an_empty_cell.take(g.rd4);
    return;
  }
  cell.type = type;
  cell.level = static_cast<std::int32_t>(g.rd2() % kLevels);
  const ll base = static_cast<ll>(benchmark[cell.level]);
  if (type == kTreasureCell) fill_treasure(cell, base, g);
  if (type == kMonsterCell) fill_monster(cell, base, g.rd4);
}

// The row is cleared whole first, fillers included, so every byte a cell's
// type does not use is zero whatever the row held before; a bulk clear is
// also the fastest way to write memory, and nearly every cell stays empty.
void generate_row(point* row, const CellTypeTable& types, WorldGenerators& g) {
  std::memset(static_cast<void*>(row), 0, sizeof(point) * game::kWorldSize);
  for (int j = 0; j < game::kWorldSize; ++j) generate_cell(row[j], types, g);
}

}  // namespace

void game::init(ll seed) {
  worldseed = seed;
  if (!has_world()) return;
  const CellTypeTable types = cell_types_by_draw();
  WorldGenerators generators(seed);
  // Storage order, row by row: the draws are consumed in exactly this order.
  for (point* row : world) generate_row(row, types, generators);
}
