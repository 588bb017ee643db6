// The playthrough's rules without a terminal: the choice of a world, seeds,
// moves, treasures and fights.
#include <gtest/gtest.h>

#include <cstdint>

#include "base/crt_random.h"
#include "play/rules.h"
#include "world/game.h"

namespace {

using play::Direction;
using Outcome = play::Fight::Outcome;

TEST(Choice, OnlyNumbersFromOneToTheCountOpenAnEntryAndNothingOverflows) {
  const struct {
    const char* answer;
    int entry;  // 0-based; -1: a new world
  } cases[] = {{"1", 0}, {"3", 2}, {"2abc", 1}, {"+2", 1}, {" 2", 1}, {"0", -1}, {"4", -1}, {"abc", -1},
               {"-1", -1}, {"-2", -1}, {"4294967297", -1}, {"18446744073709551617", -1},
               {"-18446744073709551615", -1}, {"99999999999999999999999999", -1}};
  for (const auto& c : cases) {
    const play::Choice choice = play::choose(c.answer, 3);
    EXPECT_EQ(choice.new_world ? -1 : static_cast<int>(choice.entry), c.entry) << c.answer;
  }
  EXPECT_TRUE(play::choose("1", 0).new_world);
  EXPECT_EQ(play::leading_number("9223372036854775808"), INT64_MAX);
  EXPECT_EQ(play::leading_number("-9223372036854775809"), INT64_MIN);
}

TEST(Seed, AnEmptyLineTakesFourDrawsInOrderAnyOtherLineIsHashed) {
  EXPECT_EQ(play::seed_from_draws(1, 2, 3, 4), 0x0001000200030004LL);
  EXPECT_EQ(play::seed_from_draws(32767, 32767, 32767, 32767), 0x7FFF7FFF7FFF7FFFLL);
  base::seed_rand(12345);
  const int r[4] = {base::rand15(), base::rand15(), base::rand15(), base::rand15()};
  base::seed_rand(12345);
  EXPECT_EQ(play::seed_for(""), play::seed_from_draws(r[0], r[1], r[2], r[3]));
  EXPECT_EQ(play::seed_for(" "), game::shash(" "));
}

TEST(Moves, EdgesStopThePlayerAndOnlyTheRefusingRuleKeepsItOffMonsters) {
  game world;
  game::player& p = world.localplayer;
  p.x = -512;
  p.y = -512;
  EXPECT_FALSE(play::move_player(world, Direction::kUp, false));
  EXPECT_FALSE(play::move_player(world, Direction::kLeft, false));
  p.x = 511;
  p.y = 511;
  EXPECT_FALSE(play::move_player(world, Direction::kDown, false));
  EXPECT_FALSE(play::move_player(world, Direction::kRight, false));
  EXPECT_TRUE(p.x == 511 && p.y == 511);
  EXPECT_TRUE(play::move_player(world, Direction::kUp, false));  // x is the row
  EXPECT_TRUE(p.x == 510 && p.y == 511);

  p.x = 0;
  p.y = 0;
  world.cell(0, 1).type = 3;
  world.cell(1, 0).type = 1;
  EXPECT_FALSE(play::move_player(world, Direction::kRight, true));
  EXPECT_TRUE(play::move_player(world, Direction::kDown, true));  // a treasure is no monster
  EXPECT_TRUE(p.x == 1 && p.y == 0);
  p.x = 0;
  EXPECT_TRUE(play::move_player(world, Direction::kRight, false));
  EXPECT_TRUE(p.x == 0 && p.y == 1);
}

TEST(Treasure, EachKindRaisesItsStatisticAndIsRecordedInOrder) {
  game::player player;
  const int128 huge = (static_cast<int128>(1) << 64) + 5;
  const struct {
    ll kind;
    int128 amount;
    std::size_t statistic;
    ll shown;
  } treasures[] = {{0, 20, 0, 20}, {1, 530, 1, 530}, {2, 7, 2, 7}, {0, huge, 0, 5}, {9, 1, 2, 1}};
  for (const auto& t : treasures) {
    game::point cell;
    cell.type = 1;
    cell.b = {t.kind, t.amount};
    const play::TakenTreasure taken = play::take_treasure(player, cell);
    EXPECT_EQ(cell.type, 5);
    EXPECT_EQ(taken.statistic, t.statistic);
    EXPECT_EQ(taken.amount_shown, t.shown);  // cut to 64 bits, added whole
  }
  EXPECT_TRUE(player.atk == 30 + huge && player.hp == 630 && player.defence == 13);
  ASSERT_EQ(player.baowu.size(), 5u);
  EXPECT_TRUE(player.baowu[1].first == 1 && player.baowu[1].second == 530);
}

TEST(Fight, TheWholeFightFromTheFirstBlowToItsEnd) {
  const struct {
    int128 player_defence;
    game::point::monster monster;
    Outcome outcome;
    int player_blows, monster_blows;
    ll player_damage, monster_damage;
    int monster_hp_left, player_hp_left;
  } fights[] = {
      {5, {25, 0, 30}, Outcome::kMonsterSlain, 3, 2, 10, 20, 0, 60},     // slain after three blows
      {5, {17, 6, 180}, Outcome::kPlayerSlain, 9, 9, 4, 12, 144, -8},    // nine exchanges lost
      {5, {1000, 0, 10}, Outcome::kMonsterSlain, 1, 0, 10, 995, 0, 100},  // the first blow kills
      {5, {55, 0, 20}, Outcome::kMonsterSlain, 2, 1, 10, 50, 0, 50},     // a tie goes to the first striker
      {5, {71, 28, 740}, Outcome::kPlayerSlain, 2, 2, 0, 66, 740, -32},  // the player cannot hurt it
      {50, {50, 10, 100}, Outcome::kStalemate, 1, 1, 0, 0, 100, 100},    // neither can hurt the other
      {5, {0, 100, 0}, Outcome::kMonsterSlain, 1, 0, 0, 0, 0, 100},      // no hit points to begin with
  };
  for (const auto& f : fights) {
    game::player player;
    player.defence = f.player_defence;
    const play::Fight fight = play::resolve_fight(player, f.monster);
    EXPECT_EQ(fight.outcome, f.outcome) << f.monster.attack;
    EXPECT_TRUE(fight.player_blows == f.player_blows && fight.monster_blows == f.monster_blows) << f.monster.attack;
    EXPECT_TRUE(fight.player_damage == f.player_damage && fight.monster_damage == f.monster_damage);
    EXPECT_TRUE(fight.monster_hp_left == f.monster_hp_left && fight.player_hp_left == f.player_hp_left);
    EXPECT_TRUE(player.hp == 100);
  }
}

}  // namespace
