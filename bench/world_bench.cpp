// How long a world takes to generate, against the time it takes just to fill
// the same 80 MiB of cells with memset (the bound set by memory bandwidth),
// and what a game costs to construct and how much memory it holds.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

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

double milliseconds_taken_by(void (*work)()) {
  const auto start = std::chrono::steady_clock::now();
  work();
  benchmark::ClobberMemory();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// The two above, taken in turns within one benchmark so that both see the
// same load on a shared machine: the ratio of their medians is the figure
// that counts (generation should stay within twice the fill).
void BM_GenerateAgainstMemset(benchmark::State& state) {
  world_workload::prepare_shared_grid();
  std::vector<double> fill_ms;
  std::vector<double> generate_ms;
  for (auto _ : state) {
    fill_ms.push_back(milliseconds_taken_by(world_workload::fill_grid_with_memset));
    generate_ms.push_back(milliseconds_taken_by([] { world_workload::generate_world(1); }));
  }
  state.counters["memset_ms"] = median(fill_ms);
  state.counters["generate_ms"] = median(generate_ms);
  state.counters["ratio"] = median(generate_ms) / median(fill_ms);
}
BENCHMARK(BM_GenerateAgainstMemset)->Unit(benchmark::kMillisecond)->Iterations(40);

// What the menu pays before a playthrough starts: allocating and zeroing the
// grid, then freeing it. The heap beyond the grid is the allocator's own
// bookkeeping, 16 bytes per row with glibc; the game object itself (its row
// pointers, player and name) lives in the menu's stack frame.
void BM_ConstructGame(benchmark::State& state) {
  double heap_beyond_grid = 0;
  for (auto _ : state) heap_beyond_grid = world_workload::construct_and_destroy_game();
  state.counters["grid_MiB"] = static_cast<double>(world_workload::grid_bytes()) / (1024.0 * 1024.0);
  state.counters["game_object_B"] = static_cast<double>(world_workload::game_object_bytes());
  state.counters["heap_beyond_grid_B"] = heap_beyond_grid;
}
BENCHMARK(BM_ConstructGame)->Unit(benchmark::kMillisecond);

}  // namespace
