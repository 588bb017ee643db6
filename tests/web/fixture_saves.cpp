// The saves the browser tests compare with and upload, written by this
// machine's own build of the game's code (make test-web):
//   DIR/saves/abc.dat      the world "abc" made from the seed text "abc", as
//                          a new world is first saved, untouched since;
//   DIR/saves/crafted.dat  an empty world with a treasure below the start
//                          and a monster to its right.
// Prints how many milliseconds "abc" took to generate and save, which
// make bench-web sets against the browser's time.
// Usage: web_fixture_saves DIR
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "persistence/result.h"
#include "play/rules.h"
#include "world/game.h"

namespace {

bool save_new_world(const char* name, const char* seed_text) {
  game world;
  world.worldname = name;
  world.init(play::seed_for(seed_text));
  return world.save(world.worldname).ok;
}

// A treasure of attack +20 at (1, 0); a monster at (0, 1) that an attack of
// 30 slays in one blow and that hits back for nothing.
bool save_crafted_world() {
  game world;
  world.worldname = "crafted";
  game::point& treasure = world.cell(1, 0);
  treasure.type = 1;
  treasure.level = 1;
  treasure.b = {0, 20};
  game::point& monster = world.cell(0, 1);
  monster.type = 3;
  monster.level = 2;
  monster.m = {5, 0, 30};
  return world.save(world.worldname).ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  std::filesystem::create_directories(argv[1]);
  std::filesystem::current_path(argv[1]);
  const auto began = std::chrono::steady_clock::now();
  if (!save_new_world("abc", "abc")) return 1;
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - began;
  if (!save_crafted_world()) return 1;
  std::printf("%.0f\n", took.count());
  return 0;
}
