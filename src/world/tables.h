#pragma once
// The constant tables that give cell types, levels and treasure kinds their
// meaning, and the cell-type table `gailv` that start-up fills.

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "base/int128.h"

// The game's 64-bit integer: seeds, generator state, treasure kinds and
// monster statistics. `long long` is 64 bits on every target we build.
using ll = long long;

// Cell types. Generation makes the first four; a taken treasure and a slain
// monster leave their cell as the types named after them. Every type from 0 to
// kHighestCellType has a glyph.
inline constexpr std::int32_t kEmptyCell = 0;
inline constexpr std::int32_t kTreasureCell = 1;
inline constexpr std::int32_t kInertCell = 2;
inline constexpr std::int32_t kMonsterCell = 3;
inline constexpr std::int32_t kOpenedTreasureCell = 5;
inline constexpr std::int32_t kSlainMonsterCell = 8;
inline constexpr std::int32_t kHighestCellType = 10;

// Every non-empty cell has a level from 0 to kLevels - 1.
inline constexpr int kLevels = 5;

// Treasure kinds, each named after the statistic it raises.
inline constexpr ll kAttackTreasure = 0;
inline constexpr ll kHitPointsTreasure = 1;
inline constexpr ll kDefenceTreasure = 2;
inline constexpr int kTreasureKinds = 3;

// Cell types by draw: a draw t in 0..999 takes the value of the first entry
// whose key is not less than t.
extern std::map<ll, ll> gailv;

// Fills the cell-type table `gailv` (start-up does this once, before any world).
// Calling it again leaves the same four entries.
void fill_gailv();

// The two-character glyph of cell type t starts at index 2t.
extern const std::string wtype;

// The base strength of each level, from which every treasure amount and
// monster statistic of that level is derived.
inline constexpr std::array<int128, kLevels> benchmark = {10, 40, 320, 10240, 1310720};

// Treasure amount multiplier by treasure kind (attack, hit points, defence).
inline constexpr std::array<int128, kTreasureKinds> typemul = {2, 20, 1};

// The statistic each treasure kind raises: GBK Chinese names (4 bytes each)
// and English names.
extern const std::array<std::string, kTreasureKinds> bs;
extern const std::array<std::string, kTreasureKinds> bs_en;
