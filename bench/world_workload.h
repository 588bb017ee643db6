#pragma once
// The world's work, seen from the benchmarks through plain functions: the
// game's strength table is called `benchmark`, like Google Benchmark's
// namespace, so the two cannot share a translation unit.

#include <cstddef>

namespace world_workload {

// Size of the grid in bytes.
std::size_t grid_bytes();
// Makes the one grid both measurements below use (allocated and paged in).
void prepare_shared_grid();
// Generates the world of `seed` into the shared grid.
void generate_world(long long seed);
// Fills the shared grid with zero bytes, row by row, with memset.
void fill_grid_with_memset();
// Constructs a game and destroys it again; returns the heap bytes it held
// beyond its grid and its own object, or -1 where the C library cannot tell.
double construct_and_destroy_game();
// Size of a game object itself (it lives in the menu's stack frame).
std::size_t game_object_bytes();

}  // namespace world_workload
