#pragma once
// The rules of a playthrough that need no terminal: which world an answer
// chooses, the seed of a new world, moves, treasures and fights. The engine
// says what they did in the voice of its variant.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "base/int128.h"
#include "world/game.h"

namespace play {

// Whether (x, y) is a cell of the world: both in -512..511.
bool in_world(long long x, long long y);

// What the answer at the choice prompt asks for.
struct Choice {
  bool new_world = true;
  std::size_t entry = 0;  // 0-based position in the save list, for an old world
};

// The number at the start of `word` as atoi reads it (white space, a sign,
// digits up to the first other character; 0 without digits), held at the
// bounds of a 64-bit number instead of overflowing.
long long leading_number(std::string_view word);

// 1 to `listed` opens that entry; 0, a word without a number, a negative
// number and any number above `listed` make a new world.
Choice choose(std::string_view answer, std::size_t listed);

// A random seed from four 15-bit values, the first in the highest field.
ll seed_from_draws(int r1, int r2, int r3, int r4);
// The seed of a typed seed text: random for an empty line (four rand15 draws),
// otherwise the text's shash, spaces and all.
ll seed_for(const std::string& seed_text);

enum class Direction { kUp, kDown, kLeft, kRight };
inline constexpr std::size_t kDirections = 4;

// Moves the player one cell unless that would leave the world, or, when
// `refuse_monsters`, step onto a monster. True if the player moved.
bool move_player(game& world, Direction direction, bool refuse_monsters);

// What a sighted player reads off the map in a straight line from the
// player: the nearest treasure, inert cell or monster (opened treasures and
// slain monsters are nothing), or else the edge of the world.
struct Sighting {
  enum class What { kNothing, kTreasure, kInertCell, kMonster, kEdge };
  What what = What::kNothing;
  int level = 0;     // of a treasure, an inert cell or a monster
  int distance = 0;  // in cells: 1 for the cell next to the player
};

struct Surroundings {
  int x = 0;
  int y = 0;
  std::array<Sighting, kDirections> toward;  // up, down, left, right, as Direction
};

// The player's position and what lies in each of the four directions within
// `reach` cells.
Surroundings look_around(const game& world, int reach);

// What taking a treasure showed and gave.
struct TakenTreasure {
  std::size_t statistic = 0;  // the treasure kind of the statistic raised
  ll amount_shown = 0;        // the amount cut to 64 bits, as the message prints it
};

// Adds the treasure of `cell` to the player's statistic, records it in the
// player's treasure list and marks the cell opened (kOpenedTreasureCell).
TakenTreasure take_treasure(game::player& player, game::point& cell);

// A whole fight, worked out without striking every blow: both sides hit just
// as hard in every exchange, since a fight changes nothing but hit points.
// The player strikes first; blows alternate until one side falls.
struct Fight {
  enum class Outcome { kMonsterSlain, kPlayerSlain, kStalemate };
  Outcome outcome = Outcome::kStalemate;
  ll player_damage = 0;   // of each of the player's blows, as printed
  ll monster_damage = 0;  // of each of the monster's blows, as printed
  int128 player_blows = 0;
  int128 monster_blows = 0;
  int128 monster_hp_left = 0;
  int128 player_hp_left = 0;
};

// The fight of (a copy of) `player` against (a copy of) `monster`. When
// neither can hurt the other it ends as a stalemate after the first exchange
// instead of never. Neither argument is changed: nothing of a fight is kept.
Fight resolve_fight(const game::player& player, const game::point::monster& monster);

}  // namespace play
