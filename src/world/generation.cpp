#include <array>
#include <cstdint>
#include <cstring>

#include "world/game.h"

namespace {

using point = game::point;
using random_64 = game::random_64;

enum cell_kind : std::int32_t { kEmpty = 0, kTreasure = 1, kInert = 2, kMonster = 3 };

constexpr ll kTypeDraws = 1000;
constexpr ll kLevels = 5;
constexpr ll kTreasureKinds = 3;

// `gailv` answered once per draw value: a map lookup per cell would cost more
// than everything else generation does.
using cell_type_table = std::array<std::int32_t, kTypeDraws>;

cell_type_table cell_types_by_draw() {
  // A world generated before start-up filled the table would come out empty;
  // the table has one fixed content, so fill it here rather than guess.
  if (gailv.empty()) fill_gailv();
  cell_type_table table{};
  for (ll t = 0; t < kTypeDraws; ++t) {
    const auto entry = gailv.lower_bound(t);
    table[t] = entry == gailv.end() ? kEmpty : static_cast<std::int32_t>(entry->second);
  }
  return table;
}

// The four generators all start from the seed and each serves one purpose,
// so each advances at its own rate; worlds depend on them staying apart.
struct world_generators {
  explicit world_generators(ll seed) : rd(seed), rd2(seed), rd3(seed), rd4(seed) {}
  random_64 rd;   // the type of every cell
  random_64 rd2;  // the level of every non-empty cell
  random_64 rd3;  // the kind of every treasure
  random_64 rd4;  // treasure amounts and monster statistics
};

// A value of a level: its base plus a fresh draw below the base.
ll strength(ll base, random_64& rd4) { return base + rd4() % base; }

void fill_treasure(point& cell, ll base, world_generators& g) {
  cell.b.type = g.rd3() % kTreasureKinds;
  cell.b.add = static_cast<int128>(strength(base, g.rd4)) * typemul[cell.b.type] / 2;
}

void fill_monster(point& cell, ll base, random_64& rd4) {
  cell.m.attack = strength(base, rd4);
  cell.m.hp = strength(base, rd4) * 10;
  cell.m.defence = strength(base, rd4) / 2;
}

// Writes the whole cell: bytes its type does not use are zero, whatever the
// cell held before.
void generate_cell(point& cell, const cell_type_table& types, world_generators& g) {
  std::memset(static_cast<void*>(&cell), 0, sizeof cell);
  cell.type = types[g.rd() % kTypeDraws];
  if (cell.type == kEmpty) {
    // An empty cell spends the three draws a monster would, unused: every
    // later treasure and monster depends on them.
    g.rd4();
    g.rd4();
    g.rd4();
    return;
  }
  cell.level = static_cast<std::int32_t>(g.rd2() % kLevels);
  const ll base = static_cast<ll>(benchmark[cell.level]);
  if (cell.type == kTreasure) fill_treasure(cell, base, g);
  if (cell.type == kMonster) fill_monster(cell, base, g.rd4);
}

}  // namespace

void game::init(ll seed) {
  worldseed = seed;
  if (!has_world()) return;
  const cell_type_table types = cell_types_by_draw();
  world_generators generators(seed);
  // Storage order, row by row: the draws are consumed in exactly this order.
  for (point* row : world) {
    for (int j = 0; j < kWorldSize; ++j) generate_cell(row[j], types, generators);
  }
}
