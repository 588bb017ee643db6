// Saving, loading and listing worlds against what the disk allows: a save
// against one plain write of as many bytes (and what the save, whose blocks of
// zeros are holes, takes on the disk), a load (every value checked)
// against one plain read of the file, and listing three 80 MiB saves against
// listing three small files. Each pair is taken in turns within one benchmark,
// so both see the same load on a shared machine; the ratio of their medians is
// the figure that counts (within 1.5 for saving and loading; about 1 for
// listing, which reads only first lines).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

#include "save_workload.h"

namespace {

double milliseconds_taken_by(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

void take_in_turns(benchmark::State& state, const char* plain_name, const std::function<void()>& plain,
                   const char* ours_name, const std::function<void()>& ours) {
  std::vector<double> plain_ms;
  std::vector<double> ours_ms;
  for (auto _ : state) {
    plain_ms.push_back(milliseconds_taken_by(plain));
    ours_ms.push_back(milliseconds_taken_by(ours));
  }
  state.counters[plain_name] = median(plain_ms);
  state.counters[ours_name] = median(ours_ms);
  state.counters["ratio"] = median(ours_ms) / median(plain_ms);
}

// Argument 1: both sync to the disk (the game's saves always do); 0: neither.
void BM_SaveAgainstPlainWrite(benchmark::State& state) {
  save_workload::prepare_world();
  const bool sync = state.range(0) == 1;
  take_in_turns(
      state, "write_ms", [sync] { save_workload::write_plain_file(sync); }, "save_ms",
      [sync] { save_workload::save_world(sync); });
  constexpr double kMiB = 1024.0 * 1024.0;
  state.counters["file_MiB"] = static_cast<double>(save_workload::save_file_bytes()) / kMiB;
  state.counters["disk_MiB"] = static_cast<double>(save_workload::save_file_bytes_on_disk()) / kMiB;
}
BENCHMARK(BM_SaveAgainstPlainWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_LoadAgainstPlainRead(benchmark::State& state) {
  save_workload::prepare_world();
  take_in_turns(state, "read_ms", save_workload::read_plain_file, "load_ms", save_workload::load_world);
}
BENCHMARK(BM_LoadAgainstPlainRead)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ListFullSavesAgainstSmallFiles(benchmark::State& state) {
  save_workload::prepare_listings();
  take_in_turns(
      state, "small_ms", [] { save_workload::list_saves(false); }, "full_ms",
      [] { save_workload::list_saves(true); });
  state.counters["saves_found"] = save_workload::list_saves(true);
}
BENCHMARK(BM_ListFullSavesAgainstSmallFiles)->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace
