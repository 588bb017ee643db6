// Frames written as what changed show the screens that frames written whole
// show: the same playthrough (steps, F3 both ways, a treasure, a won fight, a
// stalemate, windows resized, Ctrl+L) is played twice on a scripted
// platform, once each way, and after every frame the two terminals' screens
// are compared, character, colours and cursor.

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "base/key_codes.h"
#include "console/terminal_output.h"
#include "persistence/save_slot.h"
#include "play/engine.h"
#include "support/scratch_directory.h"
#include "support/scripted_platform.h"
#include "vterm_screen.h"
#include "world/game.h"
#include "world/tables.h"

namespace {

constexpr console::WindowSize kWindow{30, 80};
// Keys the game takes for nothing, which the platform answers by resizing the
// window: just large enough for the whole view (the blank status lines fill
// its last column), large enough for a smaller view, too small for any, and
// back.
constexpr int kNarrower = 'n';
constexpr int kSmaller = 's';
constexpr int kTooSmall = 't';
constexpr int kAsFirst = 'g';

struct Snapshot {
  std::vector<std::string> cells;
  e2e::Cursor cursor;
};

// The scripted platform with a window the keys above resize, and a terminal
// screen fed with all the game writes: at every key read and every wait, the
// screen as it then stands is kept.
class WatchedPlatform : public test_support::ScriptedPlatform {
 public:
  WatchedPlatform() : screen_(kWindow.rows, kWindow.columns, true) { untie_streams(); }

  std::vector<Snapshot> seen;

  std::optional<console::WindowSize> window_size() override { return size_; }
  int read_key() override {
    look();
    const int key = ScriptedPlatform::read_key();
    if (key == kNarrower) resize({28, 55});
    if (key == kSmaller) resize({20, 50});
    if (key == kTooSmall) resize({8, 30});
    if (key == kAsFirst) resize(kWindow);
    return key;
  }
  bool wait_for_key(int timeout_ms) override {
    look();
    return ScriptedPlatform::wait_for_key(timeout_ms);
  }

 private:
  // What the game wrote since, as a UTF-8 terminal receives it.
  void feed() {
    const std::string text = capture_.text();
    std::string bytes(encoder_.encode(std::string_view(text).substr(fed_)));
    fed_ = text.size();
    for (std::size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 2)) {
      bytes.insert(at, 1, '\r');
    }
    screen_.write(bytes);
  }
  void look() {
    feed();
    seen.push_back({screen_.cells_with_colours(), screen_.cursor()});
  }
  void resize(console::WindowSize size) {
    feed();
    size_ = size;
    screen_.resize(size.rows, size.columns);
    console::note_screen_change();  // as the window-change signal does
  }

  test_support::StreamCapture capture_{std::cout};
  console::OutputEncoder encoder_{console::TerminalEncoding::kUtf8};
  std::size_t fed_ = 0;
  console::WindowSize size_ = kWindow;
  e2e::VtermScreen screen_;
};

// Things of every level around the start, so that a step changes cells of
// every colour; a treasure, a monster the player beats and one nobody can
// beat on the way down from (0, 2).
void make_world(game& world) {
  constexpr int kHarmless[] = {kInertCell, 4, 6, 7, 9, 10};
  for (int x = -14; x <= 14; ++x) {
    for (int y = -14; y <= 16; ++y) {
      if ((x * 7 + y * 3 + 40) % 4 != 0 || y == 2) continue;
      game::point& cell = world.cell(x, y);
      cell.type = kHarmless[(x + 2 * y + 60) % 6];
      cell.level = (x + y + 60) % kLevels;
    }
  }
  world.cell(0, 2).type = kTreasureCell;
  world.cell(0, 2).level = 3;
  world.cell(0, 2).b = {kAttackTreasure, 20};
  world.cell(1, 2).type = kMonsterCell;
  world.cell(1, 2).level = 2;
  world.cell(1, 2).m = {25, 0, 30};
  world.cell(3, 2).type = kMonsterCell;
  world.cell(3, 2).level = 4;
  world.cell(3, 2).m = {5, 10, 50};
  world.cell(0, 1).type = kEmptyCell;
}

const std::vector<int> kKeys = {
    0,   61,                                       // F3: the status lines shown
    224, 77, 224, 77, 'k',                         // right, right onto the treasure, a key for it
    224, 80,                                       // down onto the monster, won
    224, 77, 224, 75,                              // right and back
    0,   61,                                       // F3: blank lines again
    224, 80, 224, 80,                              // down, down onto the stalemate
    224, 80, 224, 72,                              // away and back: fought again
    kNarrower, 224, 75, kSmaller, 224, 75, 0, 61, kTooSmall, 224, 77, kAsFirst,  // windows resized, moves meanwhile
    224, 72, base::kCtrlL, 224, 72, 'x',                        // Ctrl+L draws it all again
    27, 'k',                                                    // Escape, the save fails, a key
};


std::vector<Snapshot> play(const play::Voice& voice, play::Redraw redraw) {
  test_support::ScratchDirectory directory{"lanternvale-frames-"};
  std::ofstream("saves") << "not a directory";  // the save at Escape fails and says so
  WatchedPlatform platform;
  platform.typed.assign(kKeys.begin(), kKeys.end());
  game world;
  world.worldname = "w";
  make_world(world);
  persistence::SaveSlot slot = *persistence::SaveSlot::of_name(world.worldname);
  play::run_frame_loop(world, voice, slot, redraw);
  return platform.seen;
}

TEST(ChangedFrames, ShowWhatWholeFramesShowAfterEveryFrameInEveryVoice) {
  const std::vector<std::pair<const char*, const play::Voice*>> voices = {
      {"Chinese", &play::chinese_voice()}, {"English", &play::english_voice()}, {"developer", &play::developer_voice()}};
  for (const auto& [name, voice] : voices) {
    SCOPED_TRACE(name);
    const std::vector<Snapshot> whole = play(*voice, play::Redraw::kEverything);
    const std::vector<Snapshot> changes = play(*voice, play::Redraw::kChanges);
    ASSERT_EQ(changes.size(), whole.size());
    ASSERT_GT(whole.size(), kKeys.size() / 2);
    for (std::size_t wait = 0; wait < whole.size(); ++wait) {
      SCOPED_TRACE("at wait " + std::to_string(wait));
      ASSERT_EQ(changes[wait].cells, whole[wait].cells);
      ASSERT_EQ(changes[wait].cursor.row, whole[wait].cursor.row);
      ASSERT_EQ(changes[wait].cursor.column, whole[wait].cursor.column);
      ASSERT_EQ(changes[wait].cursor.visible, whole[wait].cursor.visible);
    }
  }
}

}  // namespace
