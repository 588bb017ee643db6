// Treasures and fights on the player's cell, told in the voice of the
// playthrough.
#include <string>

#include "console/accessibility.h"
#include "console/escape_output.h"
#include "console/platform.h"
#include "play/engine.h"
#include "play/rules.h"

namespace play {
namespace {

constexpr int kBlowPauseMs = 100;
constexpr int kFightEndPauseMs = 1000;
// A fight of more exchanges than a player would sit through (generated
// worlds with the starting statistics never need so many) shows its first
// few, then one line with their number and the end.
constexpr int128 kLongestToldFight = 100;
constexpr int128 kExchangesShownOfALongFight = 5;

game::point& players_cell(game& world) { return world.cell(world.localplayer.x, world.localplayer.y); }

// Once the input has ended (the terminal closed, a termination request, the
// end of piped input) nobody follows the fight: its outcome stands at once,
// and the world waiting to be saved waits for no more of its lines.
bool nobody_watching() { return console::platform().input_ended(); }

// A fight is paced for the player to follow.
void pause(int milliseconds) {
  if (!nobody_watching()) console::pause_for_the_eye(milliseconds);
}

void tell_blow(const std::string& prefix, ll damage, const std::string& suffix) {
  say(prefix + std::to_string(damage) + suffix);
  pause(kBlowPauseMs);
}

void tell_end(const std::string& text) {
  say(text);
  pause(kFightEndPauseMs);
}

const std::string& end_message(const Fight& fight, const Voice& voice) {
  switch (fight.outcome) {
    case Fight::Outcome::kMonsterSlain: return voice.monster_slain;
    case Fight::Outcome::kPlayerSlain: return voice.player_slain;
    case Fight::Outcome::kStalemate: break;
  }
  return voice.stalemate;
}

// Every blow on its own line, with the pauses that let the player follow.
void tell_fight(const Fight& fight, const Voice& voice) {
  say(voice.fight_start);
  // The player strikes in every exchange, the monster in each but the last
  // when it falls.
  const int128 exchanges = fight.player_blows;
  const bool too_long = exchanges > kLongestToldFight;
  const int128 shown = too_long ? kExchangesShownOfALongFight : exchanges;
  for (int128 exchange = 1; exchange <= shown; ++exchange) {
    if (nobody_watching()) return;
    tell_blow(voice.player_blow_prefix, fight.player_damage, voice.player_blow_suffix);
    if (exchange <= fight.monster_blows) {
      tell_blow(voice.monster_blow_prefix, fight.monster_damage, voice.monster_blow_suffix);
    }
  }
  if (nobody_watching()) return;
  if (too_long) say(voice.long_fight_prefix + console::tos(exchanges) + voice.long_fight_suffix);
  tell_end(end_message(fight, voice));
}

// What a fight leaves on the player's cell.
FightEnd end_of(const Fight& fight, game::point& cell) {
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

}  // namespace

std::string take_treasure_told(game& world, const Voice& voice) {
  const TakenTreasure taken = take_treasure(world.localplayer, players_cell(world));
  return voice.treasure + (*voice.statistic_names)[taken.statistic] + "+" + std::to_string(taken.amount_shown);
}

Next pick_up_treasure(game& world, const Voice& voice) {
  say(take_treasure_told(world, voice));
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
  return end_of(fight, cell);
}

FightEnd fight_monster_told(game& world, const Voice& voice, std::string& summary) {
  game::point& cell = players_cell(world);
  const Fight fight = resolve_fight(world.localplayer, cell.m);
  summary = fight.outcome == Fight::Outcome::kStalemate ? voice.stalemate : voice.fight_summary(fight);
  return end_of(fight, cell);
}

}  // namespace play
