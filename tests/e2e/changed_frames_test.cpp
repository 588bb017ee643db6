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
// screen fed with all the game writes, through the output layer the game's
// own platforms use: at every key read and every wait, the screen as it then
// stands is kept, and before every key read the bytes written since the last.
class WatchedPlatform : public test_support::ScriptedPlatform {
 public:
  WatchedPlatform() : screen_(kWindow.rows, kWindow.columns, true) { untie_streams(); }
  ~WatchedPlatform() override { std::cout.rdbuf(old_output_); }

  std::vector<Snapshot> seen;
  std::vector<std::string> written_before_reads;

  std::optional<console::WindowSize> window_size() override { return size_; }
  int read_key() override {
    look();
    written_before_reads.push_back(written_.substr(read_up_to_));
    read_up_to_ = written_.size();
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
  // What the game wrote since, as the UTF-8 terminal receives it.
  void feed() {
    std::string bytes = written_.substr(fed_);
    fed_ = written_.size();
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

  std::string written_;
  std::size_t fed_ = 0;
  std::size_t read_up_to_ = 0;
  console::TerminalOutputBuffer output_{[this](std::string_view bytes) { written_.append(bytes); },
                                        console::TerminalEncoding::kUtf8};
  std::streambuf* old_output_ = std::cout.rdbuf(&output_);
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


struct Played {
  std::vector<Snapshot> seen;
  std::vector<std::string> written_before_reads;
};

Played play(const play::Voice& voice, play::Redraw redraw) {
  test_support::ScratchDirectory directory{"lanternvale-frames-"};
  std::ofstream("saves") << "not a directory";  // the save at Escape fails and says so
  WatchedPlatform platform;
  platform.typed.assign(kKeys.begin(), kKeys.end());
  game world;
  world.worldname = "w";
  make_world(world);
  persistence::SaveSlot slot = *persistence::SaveSlot::of_name(world.worldname);
  play::run_frame_loop(world, voice, slot, redraw);
  return {platform.seen, platform.written_before_reads};
}

TEST(ChangedFrames, ShowWhatWholeFramesShowAfterEveryFrameInEveryVoice) {
  const std::vector<std::pair<const char*, const play::Voice*>> voices = {
      {"Chinese", &play::chinese_voice()}, {"English", &play::english_voice()}, {"developer", &play::developer_voice()}};
  for (const auto& [name, voice] : voices) {
    SCOPED_TRACE(name);
    const Played whole = play(*voice, play::Redraw::kEverything);
    const Played changes = play(*voice, play::Redraw::kChanges);
    ASSERT_EQ(changes.seen.size(), whole.seen.size());
    ASSERT_GT(whole.seen.size(), kKeys.size() / 2);
    for (std::size_t wait = 0; wait < whole.seen.size(); ++wait) {
      SCOPED_TRACE("at wait " + std::to_string(wait));
      ASSERT_EQ(changes.seen[wait].cells, whole.seen[wait].cells);
      ASSERT_EQ(changes.seen[wait].cursor.row, whole.seen[wait].cursor.row);
      ASSERT_EQ(changes.seen[wait].cursor.column, whole.seen[wait].cursor.column);
      ASSERT_EQ(changes.seen[wait].cursor.visible, whole.seen[wait].cursor.visible);
    }
    // The frame after F3 and the first step (four codes read) is written as
    // what changed: no whole frame, and a fraction of its bytes.
    const std::string whole_frame_start = "\x1b[?25l\x1b[H";
    const std::string& step = changes.written_before_reads.at(4);
    EXPECT_FALSE(step.empty());
    EXPECT_EQ(step.find(whole_frame_start), std::string::npos);
    EXPECT_NE(whole.written_before_reads.at(4).find(whole_frame_start), std::string::npos);
    EXPECT_LT(step.size() * 3, whole.written_before_reads.at(4).size());
  }
}

}  // namespace
