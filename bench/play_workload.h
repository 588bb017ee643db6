#pragma once
// The playthrough's work, seen from the benchmarks through plain functions:
// the game's headers cannot share a translation unit with Google Benchmark's
// (the game's strength table is called `benchmark`).

#include <cstddef>
#include <string>

namespace play_workload {

// A generated world with the player at (0, 0), shared by the measurements.
void prepare_world();
// Composes the frame of that world (status lines shown) and returns its size.
std::size_t compose_frame();
// A composed frame, to copy as the baseline.
const std::string& composed_frame();
// One step to the side in a busy view (see save_busy_world), in a window of
// 30 x 80 with the status lines shown, from the key to the bytes for a UTF-8
// terminal: the frame composed into a canvas, its difference from the
// screen's canvas, encoded. Returns the number of bytes.
std::size_t step_to_bytes();

// What follows the seed's Enter in a new world, in milliseconds: the seed,
// generation, the first save (in a scratch directory) and the first frame.
struct NewWorldTimes {
  double generate_ms = 0;
  double save_ms = 0;
  double frame_ms = 0;
  std::size_t frame_bytes = 0;
  bool saved = false;
};
NewWorldTimes new_world_to_first_frame(const std::string& seed_text);

// Saves, as `name` in `directory`, a world whose view around the player at
// (0, 0) is busy: one cell in eight holds a thing, of every kind and level,
// and the cell to the player's right is empty. False if the save failed.
bool save_busy_world(const std::string& directory, const std::string& name);

// Saves, as `name` in `directory`, an empty world with a monster right of
// the start that the starting player fights for ten blows, five each way,
// and loses. False if the save failed.
bool save_fight_world(const std::string& directory, const std::string& name);

}  // namespace play_workload
