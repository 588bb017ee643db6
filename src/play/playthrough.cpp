// The three playthroughs, one engine: each hands its voice to it.
#include <iostream>
#include <string>

#include "console/accessibility.h"
#include "console/escape_output.h"
#include "console/platform.h"
#include "persistence/result.h"
#include "persistence/save_file.h"
#include "play/engine.h"
#include "play/voice.h"
#include "world/game.h"

namespace play {

void say(std::string_view text) { std::cout << text << std::flush; }

void clear_to_top_left() {
  console::platform().clear_screen();
  console::gotoxy(0, 0);
}

std::string printable(std::string_view text) {
  std::string shown(text);
  for (char& c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) c = '?';
  }
  return shown;
}

void tell_and_wait(const std::string& lead_in, const persistence::Problem& problem, const Voice& voice) {
  const std::string line = lead_in + printable(voice.describe(problem)) + voice.press_a_key;
  say(line + "\n");
  if (console::accessibility().screen_reader && voice.reads_for_screen_readers()) console::platform().announce(line);
  console::platform().read_key();
}

bool save_at_escape(game& world, const Voice& voice, persistence::SaveSlot& slot) {
  const persistence::Result saved = persistence::save_world(world, slot);
  if (!saved) {
    // Whoever comes back to the terminal finds the game's own screen gone.
    console::Platform& platform = console::platform();
    if (platform.input_ended()) platform.keep_after_exit(voice.not_saved + printable(voice.describe(saved.problem)) + "\n");
    clear_to_top_left();
    tell_and_wait(voice.not_saved, saved.problem, voice);
  }
  return saved.ok;
}

int playthrough(game& world, const Voice& voice) {
  if (!world.has_world()) {
    // Without its grid a game cannot be played: say so and wait for a key,
    // so the line can be read before the menu comes back.
    say(voice.no_memory + "\n");
    console::platform().read_key();
    return 0;
  }
  std::optional<persistence::SaveSlot> slot = choose_world(world, voice);
  if (!slot) return 0;
  return run_frame_loop(world, voice, *slot);
}

}  // namespace play

int game::run() { return play::playthrough(*this, play::chinese_voice()); }

int game::run_en() { return play::playthrough(*this, play::english_voice()); }

int game::run_dev() { return play::playthrough(*this, play::developer_voice()); }
