#include "play_workload.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <iterator>
#include <random>

#include "console/canvas.h"
#include "console/terminal_output.h"
#include "persistence/result.h"
#include "play/frame.h"
#include "play/rules.h"
#include "play/voice.h"
#include "world/game.h"
#include "world/tables.h"

namespace play_workload {
namespace {

using Clock = std::chrono::steady_clock;

std::unique_ptr<game>& shared_game() {
  static std::unique_ptr<game> instance;
  return instance;
}

double milliseconds_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A directory of its own for the saves, current while a save is written.
class ScratchDirectory {
 public:
  ScratchDirectory()
      : path_(std::filesystem::temp_directory_path() /
              ("lanternvale-bench-" + std::to_string(std::random_device()()))),
        previous_(std::filesystem::current_path()) {
    std::filesystem::create_directory(path_);
    std::filesystem::current_path(path_);
  }
  ~ScratchDirectory() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// One cell in eight holds a thing, of every kind and level; the cells at
// (0, 0) and (0, 1) are empty.
void make_busy(game& world) {
  // The types a generated world shows, each with its own level.
  constexpr int kTypes[] = {kTreasureCell, kInertCell, kMonsterCell, kOpenedTreasureCell, kSlainMonsterCell};
  std::mt19937 draw(12);
  for (int x = -20; x <= 20; ++x) {
    for (int y = -20; y <= 20; ++y) {
      if (draw() % 8 != 0 || (x == 0 && y <= 1)) continue;
      game::point& cell = world.cell(x, y);
      cell.type = kTypes[draw() % std::size(kTypes)];
      cell.level = static_cast<int>(draw() % kLevels);
      // Monsters that never win and never hold out: no fight ends the walk.
      cell.m = {0, 0, 1};
    }
  }
}

constexpr console::WindowSize kStepWindow{30, 80};

// The busy world and what the screen shows of it.
struct Stepping {
  game world;
  console::Canvas screen{kStepWindow.rows, kStepWindow.columns};
  console::OutputEncoder encoder{console::TerminalEncoding::kUtf8};
  int next_move = 1;

  console::Canvas frame() const {
    console::Canvas canvas = play::canvas_for(kStepWindow);
    play::compose_view(world, play::chinese_voice(), play::kFullView, canvas);
    canvas.write(play::compose_status(world.localplayer, play::chinese_voice(), true, kStepWindow.columns));
    return canvas;
  }
};

}  // namespace

std::size_t step_to_bytes() {
  static Stepping* const stepping = [] {
    auto* made = new Stepping;
    make_busy(made->world);
    made->screen.show(made->frame());
    return made;
  }();
  stepping->world.localplayer.y += stepping->next_move;
  stepping->next_move = -stepping->next_move;
  const console::Canvas back = stepping->frame();
  const std::optional<std::string> bytes = console::difference(stepping->screen, back);
  const std::size_t size = bytes ? stepping->encoder.encode(*bytes).size() : 0;
  stepping->screen.show(back);
  return size;
}

void prepare_world() {
  if (shared_game()) return;
  fill_gailv();
  shared_game() = std::make_unique<game>();
  shared_game()->init(1);
}

std::size_t compose_frame() { return play::compose_frame(*shared_game(), play::chinese_voice(), true).size(); }

const std::string& composed_frame() {
  static const std::string frame = play::compose_frame(*shared_game(), play::chinese_voice(), true);
  return frame;
}

NewWorldTimes new_world_to_first_frame(const std::string& seed_text) {
  prepare_world();
  game& world = *shared_game();
  world.worldname = "bench";
  ScratchDirectory directory;
  NewWorldTimes times;
  auto start = Clock::now();
  world.init(play::seed_for(seed_text));
  times.generate_ms = milliseconds_since(start);
  start = Clock::now();
  times.saved = world.save(world.worldname).ok;
  times.save_ms = milliseconds_since(start);
  start = Clock::now();
  times.frame_bytes = play::compose_frame(world, play::chinese_voice(), false).size();
  times.frame_ms = milliseconds_since(start);
  return times;
}

namespace {

bool save_in(const std::string& directory, game& world) {
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(directory);
  const bool saved = world.save(world.worldname).ok;
  std::filesystem::current_path(previous);
  return saved;
}

}  // namespace

bool save_busy_world(const std::string& directory, const std::string& name) {
  game world;
  world.worldname = name;
  make_busy(world);
  return save_in(directory, world);
}

bool save_fight_world(const std::string& directory, const std::string& name) {
  game world;
  world.worldname = name;
  // 20 a blow against the player's 100 hit points: the fifth blow kills;
  // the player's 10 a blow never bring 1000 down.
  game::point& cell = world.cell(0, 1);
  cell.type = kMonsterCell;
  cell.level = 2;
  cell.m = {25, 0, 1000};
  return save_in(directory, world);
}

}  // namespace play_workload
