// Treasures and fights on the player's cell, told in the voice of the
// playthrough.
#include <string>

#include "console/platform.h"
#include "play/engine.h"
#include "play/rules.h"

namespace play {
namespace {

constexpr int kBlowPauseMs = 100;
constexpr int kFightEndPauseMs = 1000;

game::point& players_cell(game& world) { return world.cell(world.localplayer.x, world.localplayer.y); }

// A fight is paced for the player to follow. Once the input has ended (the
// terminal closed, a termination request) nobody follows it, and the world
// waiting to be saved should not wait for a long fight's pauses.
void pause(int milliseconds) {
  console::Platform& platform = console::platform();
  if (!platform.input_ended()) platform.sleep_ms(milliseconds);
}

void tell_blow(const std::string& prefix, ll damage, const std::string& suffix) {
  say(prefix + std::to_string(damage) + suffix);
  pause(kBlowPauseMs);
}

void tell_end(const std::string& text) {
  say(text);
  pause(kFightEndPauseMs);
}

// Every blow on its own line, with the pauses that let the player follow.
void tell_fight(const Fight& fight, const Voice& voice) {
  say(voice.fight_start);
  // The last blow is the player's when the monster falls, the monster's
  // otherwise.
  const bool monster_falls = fight.outcome == Fight::Outcome::kMonsterSlain;
  for (int128 exchange = 1;; ++exchange) {
    tell_blow(voice.player_blow_prefix, fight.player_damage, voice.player_blow_suffix);
    if (monster_falls && exchange == fight.player_blows) {
      tell_end(voice.monster_slain);
      return;
    }
    tell_blow(voice.monster_blow_prefix, fight.monster_damage, voice.monster_blow_suffix);
    if (!monster_falls && exchange == fight.monster_blows) {
      tell_end(fight.outcome == Fight::Outcome::kPlayerSlain ? voice.player_slain : voice.stalemate);
      return;
    }
  }
}

}  // namespace

Next pick_up_treasure(game& world, const Voice& voice) {
  game::point& cell = players_cell(world);
  const TakenTreasure taken = take_treasure(world.localplayer, cell);
  say(voice.treasure + (*voice.statistic_names)[taken.statistic] + "+" + std::to_string(taken.amount_shown));
  // Whatever key it is, it only ends the wait; the end of input ends more.
  return console::platform().read_key() == base::kEndOfInput ? Next::kLeave : Next::kGoOn;
}

FightEnd fight_monster(game& world, const Voice& voice) {
  game::point& cell = players_cell(world);
  const Fight fight = resolve_fight(world.localplayer, cell.m);
  if (voice.loud_fights) {
    tell_fight(fight, voice);
  } else if (fight.outcome == Fight::Outcome::kStalemate) {
    // Silent fights say nothing, but a fight that cannot end must be told.
    say(voice.stalemate);
  }
  switch (fight.outcome) {
    case Fight::Outcome::kMonsterSlain:
      cell.type = kSlainMonsterCell;
      return FightEnd::kWon;
    case Fight::Outcome::kPlayerSlain:
      return FightEnd::kDied;
    case Fight::Outcome::kStalemate:
      break;
  }
  return FightEnd::kStalemate;
}

}  // namespace play
