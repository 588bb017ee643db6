// How long a world takes to generate, against the time it takes just to fill
// the same 80 MiB of cells with memset (the bound set by memory bandwidth),
// and what a game costs to construct and how much memory it holds.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "world_workload.h"

namespace {

void BM_FillGridWithMemset(benchmark::State& state) {
  world_workload::prepare_shared_grid();
  for (auto _ : state) {
    world_workload::fill_grid_with_memset();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * world_workload::grid_bytes()));
}
BENCHMARK(BM_FillGridWithMemset)->Unit(benchmark::kMillisecond);

void BM_GenerateWorld(benchmark::State& state) {
  world_workload::prepare_shared_grid();
  long long seed = 1;
  for (auto _ : state) {
    world_workload::generate_world(seed++);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * world_workload::grid_bytes()));
}
BENCHMARK(BM_GenerateWorld)->Unit(benchmark::kMillisecond);

// What the menu pays before a playthrough starts: allocating and zeroing the
// grid, then freeing it.
void BM_ConstructGame(benchmark::State& state) {
  double heap_beyond_grid = 0;
  for (auto _ : state) heap_beyond_grid = world_workload::construct_and_destroy_game();
  state.counters["grid_MiB"] = static_cast<double>(world_workload::grid_bytes()) / (1024.0 * 1024.0);
  state.counters["game_object_B"] = static_cast<double>(world_workload::game_object_bytes());
  state.counters["heap_beyond_grid_B"] = heap_beyond_grid;
}
BENCHMARK(BM_ConstructGame)->Unit(benchmark::kMillisecond);

}  // namespace
