// The playthrough's rules without a terminal: the choice of a world, seeds,
// moves, treasures and fights.
#include <gtest/gtest.h>

#include <limits>

#include "console/crt_random.h"
#include "play/rules.h"
#include "world/game.h"

namespace {

using play::Direction;
using play::Fight;

bool opens(std::string_view answer, std::size_t listed, std::size_t entry) {
  const play::Choice choice = play::choose(answer, listed);
  return !choice.new_world && choice.entry == entry;
}

bool makes_new_world(std::string_view answer, std::size_t listed) { return play::choose(answer, listed).new_world; }

TEST(Choice, NumbersFromOneToTheCountOpenThatEntryEverythingElseMakesANewWorld) {
  EXPECT_TRUE(opens("1", 3, 0));
  EXPECT_TRUE(opens("3", 3, 2));
  EXPECT_TRUE(opens("2abc", 3, 1));
  EXPECT_TRUE(opens("+2", 3, 1));
  EXPECT_TRUE(opens("  2", 3, 1));
  EXPECT_TRUE(opens("002", 3, 1));
  EXPECT_TRUE(makes_new_world("0", 3));
  EXPECT_TRUE(makes_new_world("4", 3));
  EXPECT_TRUE(makes_new_world("abc", 3));
  EXPECT_TRUE(makes_new_world("", 3));
  EXPECT_TRUE(makes_new_world("-", 3));
  EXPECT_TRUE(makes_new_world("1", 0));
}

TEST(Choice, NegativeAndHugeAnswersMakeANewWorld) {
  EXPECT_TRUE(makes_new_world("-1", 3));
  EXPECT_TRUE(makes_new_world("-2", 3));
  // Numbers beyond an int, and beyond 64 bits: no overflow, no wrap to a
  // small entry number.
  EXPECT_TRUE(makes_new_world("4294967297", 3));  // 2^32 + 1
  EXPECT_TRUE(makes_new_world("18446744073709551617", 3));  // 2^64 + 1
  EXPECT_TRUE(makes_new_world("99999999999999999999999999999999", 3));
  EXPECT_TRUE(makes_new_world("-18446744073709551615", 3));
}

TEST(Choice, LeadingNumberHoldsAtTheBoundsOfSixtyFourBits) {
  constexpr long long kMax = std::numeric_limits<long long>::max();
  constexpr long long kMin = std::numeric_limits<long long>::min();
  EXPECT_EQ(play::leading_number("9223372036854775807"), kMax);
  EXPECT_EQ(play::leading_number("9223372036854775808"), kMax);
  EXPECT_EQ(play::leading_number("123456789012345678901234567890x"), kMax);
  EXPECT_EQ(play::leading_number("-9223372036854775808"), kMin);
  EXPECT_EQ(play::leading_number("-9223372036854775809"), kMin);
  EXPECT_EQ(play::leading_number("\t\n 42 7"), 42);
  EXPECT_EQ(play::leading_number("- 5"), 0);
}

TEST(Seed, RandomSeedTakesFourDrawsInOrderAndKeepsTheFieldBoundariesClear) {
  EXPECT_EQ(play::seed_from_draws(1, 2, 3, 4), 0x0001000200030004LL);
  const ll largest = play::seed_from_draws(32767, 32767, 32767, 32767);
  EXPECT_EQ(largest, 0x7FFF7FFF7FFF7FFFLL);

  console::seed_rand(12345);
  const int r1 = console::rand15();
  const int r2 = console::rand15();
  const int r3 = console::rand15();
  const int r4 = console::rand15();
  console::seed_rand(12345);
  EXPECT_EQ(play::seed_for(""), play::seed_from_draws(r1, r2, r3, r4));
}

TEST(Seed, AnyNonEmptyLineIsHashedSpacesIncluded) {
  EXPECT_EQ(play::seed_for(" "), game::shash(" "));
  EXPECT_EQ(play::seed_for("abc"), game::shash("abc"));
  EXPECT_NE(play::seed_for(" "), play::seed_for("  "));
}

class Moves : public ::testing::Test {
 protected:
  void place(int x, int y) {
    world.localplayer.x = x;
    world.localplayer.y = y;
  }
  bool at(int x, int y) const { return world.localplayer.x == x && world.localplayer.y == y; }

  game world;
};

TEST_F(Moves, TheEdgesOfTheWorldStopThePlayerAndEveryCellCanBeReached) {
  place(-512, -512);
  EXPECT_FALSE(play::move_player(world, Direction::kUp, false));
  EXPECT_FALSE(play::move_player(world, Direction::kLeft, false));
  EXPECT_TRUE(at(-512, -512));
  place(511, 511);
  EXPECT_FALSE(play::move_player(world, Direction::kDown, false));
  EXPECT_FALSE(play::move_player(world, Direction::kRight, false));
  EXPECT_TRUE(at(511, 511));
  place(-511, 510);
  EXPECT_TRUE(play::move_player(world, Direction::kUp, false));
  EXPECT_TRUE(play::move_player(world, Direction::kRight, false));
  EXPECT_TRUE(at(-512, 511));
  // x is the row: up and down change it; y the column.
  EXPECT_TRUE(play::move_player(world, Direction::kDown, false));
  EXPECT_TRUE(play::move_player(world, Direction::kLeft, false));
  EXPECT_TRUE(at(-511, 510));
}

TEST_F(Moves, OnlyTheMonsterRefusingRuleKeepsThePlayerOffMonsters) {
  world.cell(0, 1).type = 3;
  world.cell(1, 0).type = 1;
  world.cell(-1, 0).type = 8;
  EXPECT_FALSE(play::move_player(world, Direction::kRight, true));
  EXPECT_TRUE(at(0, 0));
  EXPECT_TRUE(play::move_player(world, Direction::kDown, true));  // onto the treasure
  EXPECT_TRUE(at(1, 0));
  place(0, 0);
  EXPECT_TRUE(play::move_player(world, Direction::kUp, true));  // a slain monster is no monster
  place(0, 0);
  EXPECT_TRUE(play::move_player(world, Direction::kRight, false));
  EXPECT_TRUE(at(0, 1));
}

TEST_F(Moves, APositionOutsideTheWorldNeverLooksAtACellOutsideIt) {
  // A damaged save could put the player there; moving must not index the grid.
  place(600, 0);
  EXPECT_FALSE(play::move_player(world, Direction::kUp, true));
  EXPECT_FALSE(play::move_player(world, Direction::kDown, true));
  EXPECT_TRUE(at(600, 0));
}

game::point treasure(ll kind, int128 amount) {
  game::point cell;
  cell.type = 1;
  cell.b.type = kind;
  cell.b.add = amount;
  return cell;
}

TEST(Treasure, EachKindRaisesItsStatisticOnceAndIsRecordedInOrder) {
  game::player player;
  game::point attack = treasure(0, 20);
  game::point hit_points = treasure(1, 530);
  game::point defence = treasure(2, 7);

  const play::TakenTreasure first = play::take_treasure(player, attack);
  EXPECT_EQ(first.statistic, 0u);
  EXPECT_EQ(first.amount_shown, 20);
  play::take_treasure(player, hit_points);
  EXPECT_EQ(play::take_treasure(player, defence).statistic, 2u);

  EXPECT_TRUE(player.atk == 30 && player.hp == 630 && player.defence == 12 && player.lingli == 0);
  EXPECT_TRUE(attack.type == 5 && hit_points.type == 5 && defence.type == 5);
  ASSERT_EQ(player.baowu.size(), 3u);
  EXPECT_TRUE(player.baowu[0].first == 0 && player.baowu[0].second == 20);
  EXPECT_TRUE(player.baowu[1].first == 1 && player.baowu[1].second == 530);
  EXPECT_TRUE(player.baowu[2].first == 2 && player.baowu[2].second == 7);
}

TEST(Treasure, AnAmountBeyondSixtyFourBitsIsAddedWholeButShownCut) {
  game::player player;
  const int128 amount = (static_cast<int128>(1) << 64) + 5;
  game::point cell = treasure(0, amount);
  const play::TakenTreasure taken = play::take_treasure(player, cell);
  EXPECT_EQ(taken.amount_shown, 5);
  EXPECT_TRUE(player.atk == amount + 10);
}

TEST(Treasure, AStrayKindRaisesHitPointsBelowOneAndDefenceAboveAndIsNamedSo) {
  game::player player;
  game::point negative = treasure(-4, 3);
  game::point large = treasure(9, 2);
  EXPECT_EQ(play::take_treasure(player, negative).statistic, 1u);
  EXPECT_EQ(play::take_treasure(player, large).statistic, 2u);
  EXPECT_TRUE(player.hp == 103 && player.defence == 7 && player.atk == 10);
}

game::point::monster monster(ll attack, ll defence, ll hp) { return game::point::monster{attack, defence, hp}; }

TEST(Fight, TheDefaultPlayerSlaysTheWeakMonsterAfterThreeBlowsAndKeepsItsHitPoints) {
  const game::player player;
  const Fight fight = play::resolve_fight(player, monster(25, 0, 30));
  EXPECT_EQ(fight.outcome, Fight::Outcome::kMonsterSlain);
  EXPECT_EQ(fight.player_damage, 10);
  EXPECT_EQ(fight.monster_damage, 20);
  EXPECT_TRUE(fight.player_blows == 3 && fight.monster_blows == 2);
  EXPECT_TRUE(fight.monster_hp_left == 0 && fight.player_hp_left == 60);
  EXPECT_TRUE(player.hp == 100);
}

TEST(Fight, TheStrongMonsterWinsAfterNineExchanges) {
  const Fight fight = play::resolve_fight(game::player{}, monster(17, 6, 180));
  EXPECT_EQ(fight.outcome, Fight::Outcome::kPlayerSlain);
  EXPECT_EQ(fight.player_damage, 4);
  EXPECT_EQ(fight.monster_damage, 12);
  EXPECT_TRUE(fight.player_blows == 9 && fight.monster_blows == 9);
  EXPECT_TRUE(fight.monster_hp_left == 144);
  EXPECT_TRUE(fight.player_hp_left == -8);
}

TEST(Fight, AFirstBlowThatKillsLeavesTheMonsterNoBlow) {
  const Fight fight = play::resolve_fight(game::player{}, monster(1000, 0, 10));
  EXPECT_EQ(fight.outcome, Fight::Outcome::kMonsterSlain);
  EXPECT_TRUE(fight.player_blows == 1 && fight.monster_blows == 0);
}

TEST(Fight, ATieInBlowsGoesToThePlayerWhoStrikesFirst) {
  // Both need two blows: the player's second lands before the monster's.
  const Fight fight = play::resolve_fight(game::player{}, monster(55, 0, 20));
  EXPECT_EQ(fight.outcome, Fight::Outcome::kMonsterSlain);
  EXPECT_TRUE(fight.player_blows == 2 && fight.monster_blows == 1);
}

TEST(Fight, AMonsterThatCannotHurtThePlayerStillLosesWithBlowsOfZero) {
  const Fight fight = play::resolve_fight(game::player{}, monster(5, 0, 25));
  EXPECT_EQ(fight.outcome, Fight::Outcome::kMonsterSlain);
  EXPECT_EQ(fight.monster_damage, 0);
  EXPECT_TRUE(fight.player_blows == 3 && fight.monster_blows == 2 && fight.player_hp_left == 100);
}

TEST(Fight, APlayerWhoCannotHurtTheMonsterDies) {
  // A generated level-1 monster: attack 71, defence 28, hp 740.
  const Fight fight = play::resolve_fight(game::player{}, monster(71, 28, 740));
  EXPECT_EQ(fight.outcome, Fight::Outcome::kPlayerSlain);
  EXPECT_EQ(fight.player_damage, 0);
  EXPECT_TRUE(fight.player_blows == 2 && fight.monster_blows == 2 && fight.monster_hp_left == 740);
}

TEST(Fight, NeitherSideHurtingTheOtherEndsAsAStalemateAfterOneExchange) {
  game::player player;
  player.defence = 50;
  const Fight fight = play::resolve_fight(player, monster(50, 10, 100));
  EXPECT_EQ(fight.outcome, Fight::Outcome::kStalemate);
  EXPECT_TRUE(fight.player_damage == 0 && fight.monster_damage == 0);
  EXPECT_TRUE(fight.player_blows == 1 && fight.monster_blows == 1);
  EXPECT_TRUE(fight.monster_hp_left == 100 && fight.player_hp_left == 100);
}

TEST(Fight, AMonsterWithoutHitPointsFallsAtTheFirstBlowEvenOfZero) {
  const Fight fight = play::resolve_fight(game::player{}, monster(0, 100, 0));
  EXPECT_EQ(fight.outcome, Fight::Outcome::kMonsterSlain);
  EXPECT_TRUE(fight.player_blows == 1 && fight.monster_blows == 0);
}

TEST(Fight, DamageBeyondSixtyFourBitsIsShownAndDealtCutToSixtyFourBits) {
  // 2^64 + 3 attack: the monster loses 3 a blow, as its 64-bit hit points would.
  game::player player;
  player.atk = (static_cast<int128>(1) << 64) + 3;
  const Fight fight = play::resolve_fight(player, monster(0, 0, 9));
  EXPECT_EQ(fight.player_damage, 3);
  EXPECT_TRUE(fight.player_blows == 3);
}

}  // namespace
