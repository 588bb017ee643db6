#pragma once
// What sets the three playthroughs apart: their texts and a few ways of
// showing things. One engine plays them all; a voice is handed to it.

#include <array>
#include <string>

#include "console/window_size.h"
#include "persistence/result.h"
#include "play/rules.h"
#include "world/tables.h"

namespace play {

// The labels of the status lines; each value follows its label directly.
struct StatusLabels {
  std::string x, y;                 // line 1
  std::string cultivation, lingli;  // line 2
  std::string attack, defence, hp;  // line 3
};

struct Voice {
  // Choosing or creating a world. An empty text is not printed.
  std::string searching;     // before the search for saves
  std::string list_heading;  // above a list of saves
  std::string world_label;
  std::string location_label;  // begins with its own line feed
  std::string no_saves;
  std::string choice_prompt;
  std::string name_prompt;
  // Why a name is refused; the name prompt follows again.
  std::string name_empty;
  std::string name_too_long;
  std::string seed_prompt;
  std::string initialising;
  std::string loading;

  // The map.
  bool bordered_view = true;
  bool refuses_moves_onto_monsters = false;
  StatusLabels status;

  // Encounters.
  std::string treasure;
  const std::array<std::string, kTreasureKinds>* statistic_names = nullptr;
  // A loud fight tells every blow, with pauses; a silent one says nothing.
  bool loud_fights = true;
  std::string fight_start;
  std::string player_blow_prefix, player_blow_suffix;
  std::string monster_blow_prefix, monster_blow_suffix;
  std::string monster_slain;
  std::string player_slain;
  // A fight too long to watch ends its first exchanges with one line: the
  // number of exchanges between these two, then the slain message.
  std::string long_fight_prefix, long_fight_suffix;
  // Said (loud or silent) when neither side can hurt the other.
  std::string stalemate;

  // Troubles, each shown as one line before a key wait. The problem the save
  // files report follows the lead-in, in the words of `describe`.
  std::string not_saved;
  std::string not_opened;
  std::string not_created;
  std::string (*describe)(const persistence::Problem& problem) = nullptr;
  std::string press_a_key;  // closes those lines
  std::string no_memory;
  // The line shown instead of the map when the window is too small for it.
  std::string (*window_too_small)(console::WindowSize needed, console::WindowSize has) = nullptr;

  // For a screen reader (--screen-reader), what the map shows said in
  // sentences. A voice without them (the developer's) ignores the option.
  // After each step and at the look key: the position and the nearest thing
  // in each direction.
  std::string (*surroundings)(const Surroundings& around) = nullptr;
  // A fight won or lost, in one line: the damage of a blow on each side,
  // and who fell in which round.
  std::string (*fight_summary)(const Fight& fight) = nullptr;
  std::string reader_keys;  // said when the map comes
  // Closes each status line when the status key reads them out.
  std::string sentence_end;
  bool reads_for_screen_readers() const { return surroundings != nullptr; }
};

const Voice& chinese_voice();
const Voice& english_voice();
const Voice& developer_voice();

}  // namespace play
