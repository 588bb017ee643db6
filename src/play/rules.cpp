#include "play/rules.h"

#include <limits>

#include "base/crt_random.h"
#include "world/tables.h"

namespace play {
namespace {

__extension__ typedef unsigned __int128 uint128;

// Statistics only grow by treasures and a save file may hold anything the
// loader let through: sums wrap around instead of overflowing.
int128 wrapping_add(int128 a, int128 b) { return static_cast<int128>(static_cast<uint128>(a) + static_cast<uint128>(b)); }
int128 wrapping_sub(int128 a, int128 b) { return static_cast<int128>(static_cast<uint128>(a) - static_cast<uint128>(b)); }
int128 wrapping_mul(int128 a, int128 b) { return static_cast<int128>(static_cast<uint128>(a) * static_cast<uint128>(b)); }

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Blows of `damage` that bring `hp` to 0 or below; 0 when they never do. A
// side already at 0 falls at the first blow, whatever it deals.
int128 blows_to_fell(int128 hp, int128 damage) {
  if (hp <= 0) return 1;
  if (damage <= 0) return 0;
  return (hp - 1) / damage + 1;
}

int128 damage_of(int128 attack, int128 defence) {
  const int128 damage = wrapping_sub(attack, defence);
  return damage > 0 ? damage : 0;
}

struct Offset {
  int rows = 0;
  int columns = 0;
};

Offset offset_of(Direction direction) {
  switch (direction) {
    case Direction::kUp: return {-1, 0};
    case Direction::kDown: return {1, 0};
    case Direction::kLeft: return {0, -1};
    case Direction::kRight: return {0, 1};
  }
  return {};
}

Sighting::What what_is(int type) {
  switch (type) {
    case kTreasureCell: return Sighting::What::kTreasure;
    case kInertCell: return Sighting::What::kInertCell;
    case kMonsterCell: return Sighting::What::kMonster;
    default: return Sighting::What::kNothing;
  }
}

Sighting first_seen(const game& world, Direction direction, int reach) {
  const Offset step = offset_of(direction);
  for (int distance = 1; distance <= reach; ++distance) {
    const long long x = static_cast<long long>(world.localplayer.x) + static_cast<long long>(step.rows) * distance;
    const long long y = static_cast<long long>(world.localplayer.y) + static_cast<long long>(step.columns) * distance;
    if (!in_world(x, y)) return Sighting{Sighting::What::kEdge, 0, distance};
    const game::point& cell = world.cell(static_cast<int>(x), static_cast<int>(y));
    const Sighting::What what = what_is(cell.type);
    if (what != Sighting::What::kNothing) return Sighting{what, cell.level, distance};
  }
  return Sighting{};
}

}  // namespace

bool in_world(long long x, long long y) {
  return x >= -game::kWorldHalf && x < game::kWorldHalf && y >= -game::kWorldHalf && y < game::kWorldHalf;
}

long long leading_number(std::string_view word) {
  std::size_t at = 0;
  while (at < word.size() && is_space(word[at])) ++at;
  bool negative = false;
  if (at < word.size() && (word[at] == '+' || word[at] == '-')) negative = word[at++] == '-';
  // Accumulated as a negative number: its range holds the smallest value too.
  constexpr long long kSmallest = std::numeric_limits<long long>::min();
  long long value = 0;
  for (; at < word.size() && is_digit(word[at]); ++at) {
    const int digit = word[at] - '0';
    if (value < (kSmallest + digit) / 10) {
      value = kSmallest;
      while (at < word.size() && is_digit(word[at])) ++at;
      break;
    }
    value = value * 10 - digit;
  }
  if (negative) return value;
  return value == kSmallest ? std::numeric_limits<long long>::max() : -value;
}

Choice choose(std::string_view answer, std::size_t listed) {
  const long long n = leading_number(answer);
  if (n < 1 || static_cast<unsigned long long>(n) > listed) return Choice{};
  return Choice{false, static_cast<std::size_t>(n - 1)};
}

ll seed_from_draws(int r1, int r2, int r3, int r4) {
  return static_cast<ll>(r1) << 48 | static_cast<ll>(r2) << 32 | static_cast<ll>(r3) << 16 | static_cast<ll>(r4);
}

ll seed_for(const std::string& seed_text) {
  if (!seed_text.empty()) return game::shash(seed_text);
  // Drawn one by one: the order of the draws decides the seed.
  const int r1 = base::rand15();
  const int r2 = base::rand15();
  const int r3 = base::rand15();
  const int r4 = base::rand15();
  return seed_from_draws(r1, r2, r3, r4);
}

bool move_player(game& world, Direction direction, bool refuse_monsters) {
  game::player& player = world.localplayer;
  const Offset step = offset_of(direction);
  const long long x = static_cast<long long>(player.x) + step.rows;
  const long long y = static_cast<long long>(player.y) + step.columns;
  // The bound comes first: no cell outside the world is ever looked at.
  if (!in_world(x, y)) return false;
  if (refuse_monsters && world.cell(static_cast<int>(x), static_cast<int>(y)).type == kMonsterCell) return false;
  player.x = static_cast<std::int32_t>(x);
  player.y = static_cast<std::int32_t>(y);
  return true;
}

Surroundings look_around(const game& world, int reach) {
  Surroundings around;
  around.x = world.localplayer.x;
  around.y = world.localplayer.y;
  for (const Direction direction : {Direction::kUp, Direction::kDown, Direction::kLeft, Direction::kRight}) {
    around.toward[static_cast<std::size_t>(direction)] = first_seen(world, direction, reach);
  }
  return around;
}

TakenTreasure take_treasure(game::player& player, game::point& cell) {
  const ll kind = cell.b.type;
  const int128 amount = cell.b.add;
  // A stray kind below attack raises hit points and one above hit points
  // raises defence; it is named after the statistic it really raised.
  const ll statistic =
      kind == kAttackTreasure ? kAttackTreasure : (kind <= kHitPointsTreasure ? kHitPointsTreasure : kDefenceTreasure);
  int128& raised = statistic == kAttackTreasure ? player.atk : (statistic == kHitPointsTreasure ? player.hp : player.defence);
  raised = wrapping_add(raised, amount);
  player.baowu.emplace_back(kind, amount);
  cell.type = kOpenedTreasureCell;
  return TakenTreasure{static_cast<std::size_t>(statistic), static_cast<ll>(amount)};
}

Fight resolve_fight(const game::player& player, const game::point::monster& monster) {
  Fight fight;
  // The monster loses the player's damage cut to 64 bits, its own width.
  fight.player_damage = static_cast<ll>(damage_of(player.atk, monster.defence));
  const int128 monster_damage = damage_of(monster.attack, player.defence);
  fight.monster_damage = static_cast<ll>(monster_damage);

  const int128 player_needs = blows_to_fell(monster.hp, fight.player_damage);
  const int128 monster_needs = blows_to_fell(player.hp, monster_damage);
  if (player_needs != 0 && (monster_needs == 0 || player_needs <= monster_needs)) {
    fight.outcome = Fight::Outcome::kMonsterSlain;
    fight.player_blows = player_needs;
    fight.monster_blows = player_needs - 1;
  } else if (monster_needs != 0) {
    fight.outcome = Fight::Outcome::kPlayerSlain;
    fight.player_blows = monster_needs;
    fight.monster_blows = monster_needs;
  } else {
    // Neither side can hurt the other: one exchange shows it.
    fight.outcome = Fight::Outcome::kStalemate;
    fight.player_blows = 1;
    fight.monster_blows = 1;
  }
  fight.monster_hp_left = wrapping_sub(monster.hp, wrapping_mul(fight.player_blows, fight.player_damage));
  fight.player_hp_left = wrapping_sub(player.hp, wrapping_mul(fight.monster_blows, monster_damage));
  return fight;
}

}  // namespace play
