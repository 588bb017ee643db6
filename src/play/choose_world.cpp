// The start of a playthrough: the list of saves, the choice, and a new world
// (name, seed, generation, first save) or an old one opened.
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "console/escape_output.h"
#include "persistence/result.h"
#include "play/engine.h"
#include "play/rules.h"

namespace play {
namespace {

using SaveList = std::vector<std::pair<std::string, std::string>>;

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

void show_saves(const SaveList& found, const Voice& voice) {
  if (found.empty()) {
    say(voice.no_saves);
    return;
  }
  say_unless_empty(voice.list_heading);
  for (const auto& [save_name, world_name] : found) {
    std::cout << voice.world_label << printable(world_name);
    console::setColor(150, 150, 150);
    std::cout << voice.location_label << printable(save_name) << '\n' << std::flush;
    console::setColor(192, 192, 192);
  }
}

// The line the first read takes is what the choice left of its own line;
// the name is the whole line after it.
bool create_world(game& world, const Voice& voice) {
  say(voice.name_prompt);
  if (!read_line(world.worldname) || !read_line(world.worldname)) return false;
  clear_to_top_left();
  say(voice.seed_prompt);
  std::string seed_text;
  if (!read_line(seed_text)) return false;
  say_unless_empty(voice.initialising);
  world.init(seed_for(seed_text));
  const persistence::Result saved = world.save(world.worldname);
  if (!saved) {
    // The new world is played all the same: Escape tries the save again.
    if (!voice.initialising.empty()) say("\n");
    tell_and_wait(voice.not_saved, saved.problem, voice);
  }
  return true;
}

bool open_world(game& world, const Voice& voice, const std::string& save_name) {
  say_unless_empty(voice.loading);
  const persistence::Result opened = world.open(save_name);
  if (opened) return true;
  // A world that did not load is never played, so nothing is saved over
  // the file that could not be read.
  if (!voice.loading.empty()) say("\n");
  tell_and_wait(voice.not_opened, opened.problem, voice);
  return false;
}

}  // namespace

bool choose_world(game& world, const Voice& voice) {
  clear_to_top_left();
  say_unless_empty(voice.searching);
  const SaveList found = world.findDatFiles();
  clear_to_top_left();
  show_saves(found, voice);
  say(voice.choice_prompt);
  std::string answer;
  if (!read_word(answer)) return false;
  const Choice choice = choose(answer, found.size());
  clear_to_top_left();
  if (choice.new_world) return create_world(world, voice);
  return open_world(world, voice, found[choice.entry].first);
}

}  // namespace play
