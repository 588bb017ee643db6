// The start of a playthrough: the list of saves, the choice, and a new world
// (name, seed, generation, first save) or an old one opened.
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "console/escape_output.h"
#include "persistence/result.h"
#include "persistence/save_file.h"
#include "persistence/save_slot.h"
#include "play/engine.h"
#include "play/rules.h"

namespace play {
namespace {

using persistence::SaveEntry;
using persistence::SaveSlot;

// Input that ended, even in the middle of a line, ends the playthrough
// before a world is made: nobody is there to play it.
bool input_ended() { return !std::cin || std::cin.eof(); }

bool read_word(std::string& word) {
  std::cin >> word;
  return !input_ended();
}

bool read_line(std::string& line) {
  std::getline(std::cin, line);
  return !input_ended();
}

void say_unless_empty(const std::string& text) {
  if (!text.empty()) say(text);
}

void show_saves(const std::vector<SaveEntry>& found, const Voice& voice) {
  if (found.empty()) {
    say(voice.no_saves);
    return;
  }
  say_unless_empty(voice.list_heading);
  for (const SaveEntry& save : found) {
    std::cout << voice.world_label << printable(save.world_name);
    console::setColor(150, 150, 150);
    std::cout << voice.location_label << printable(save.save_name) << '\n' << std::flush;
    console::setColor(192, 192, 192);
  }
}

// The world's file, locked for this game; told and refused while another
// game holds it, without touching the file.
bool claimed(SaveSlot& slot, const std::string& lead_in, const Voice& voice) {
  const persistence::Result claim = slot.claim();
  if (!claim) tell_and_wait(lead_in, claim.problem, voice);
  return claim.ok;
}

// The line the first read takes is what the choice left of its own line; the
// name is the next line that makes a file the list can show. A name that
// does not is refused with the reason, and asked for again.
bool read_world_name(std::string& name, const Voice& voice) {
  say(voice.name_prompt);
  if (!read_line(name)) return false;
  for (;;) {
    if (!read_line(name)) return false;
    switch (persistence::check_world_name(name)) {
      case persistence::NameCheck::kFine:
        return true;
      case persistence::NameCheck::kEmpty:
        say(voice.name_empty);
        break;
      case persistence::NameCheck::kTooLong:
        say(voice.name_too_long);
        break;
    }
    say(voice.name_prompt);
  }
}

std::optional<SaveSlot> create_world(game& world, const Voice& voice) {
  if (!read_world_name(world.worldname, voice)) return std::nullopt;
  // Locked before anything is generated: a world another game plays is
  // never replaced.
  std::optional<SaveSlot> slot = SaveSlot::of_new_world(world.worldname);
  if (!slot || !claimed(*slot, voice.not_created, voice)) return std::nullopt;
  clear_to_top_left();
  say(voice.seed_prompt);
  std::string seed_text;
  if (!read_line(seed_text)) return std::nullopt;
  say_unless_empty(voice.initialising);
  world.init(seed_for(seed_text));
  const persistence::Result saved = persistence::save_world(world, *slot);
  if (!saved) {
    // The new world is played all the same: Escape tries the save again.
    if (!voice.initialising.empty()) say("\n");
    tell_and_wait(voice.not_saved, saved.problem, voice);
  }
  return slot;
}

std::optional<SaveSlot> open_world(game& world, const Voice& voice, const SaveEntry& entry) {
  SaveSlot slot = SaveSlot::of_entry(entry);
  if (!claimed(slot, voice.not_opened, voice)) return std::nullopt;
  say_unless_empty(voice.loading);
  const persistence::Result opened = persistence::load_world(world, slot);
  if (opened) return slot;
  // A world that did not load is never played, so nothing is saved over
  // the file that could not be read.
  if (!voice.loading.empty()) say("\n");
  tell_and_wait(voice.not_opened, opened.problem, voice);
  return std::nullopt;
}

}  // namespace

std::optional<SaveSlot> choose_world(game& world, const Voice& voice) {
  clear_to_top_left();
  say_unless_empty(voice.searching);
  const std::vector<SaveEntry> found = persistence::list_saves();
  clear_to_top_left();
  show_saves(found, voice);
  say(voice.choice_prompt);
  std::string answer;
  if (!read_word(answer)) return std::nullopt;
  const Choice choice = choose(answer, found.size());
  clear_to_top_left();
  if (choice.new_world) return create_world(world, voice);
  return open_world(world, voice, found[choice.entry]);
}

}  // namespace play
