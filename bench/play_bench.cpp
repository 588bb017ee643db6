// What a frame of the map costs to compose whole, against a plain copy of as
// many bytes, and a step's frame from the key to the bytes written; how long a new world takes from the seed's Enter to its first
// frame (generation, the first save, the frame).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "play_workload.h"

namespace {

void BM_ComposeFrame(benchmark::State& state) {
  play_workload::prepare_world();
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = play_workload::compose_frame();
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["frame_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ComposeFrame);

// A step's frame, from the key to the bytes: compose, difference, encode.
void BM_StepFromKeyToBytes(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = play_workload::step_to_bytes();
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["step_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_StepFromKeyToBytes);

// The floor: copying the finished frame into a fresh buffer.
void BM_CopyFrameBytes(benchmark::State& state) {
  play_workload::prepare_world();
  const std::string& frame = play_workload::composed_frame();
  for (auto _ : state) {
    std::string copy(frame.size(), '\0');
    std::memcpy(copy.data(), frame.data(), frame.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}
BENCHMARK(BM_CopyFrameBytes);

void BM_NewWorldFromSeedToFirstFrame(benchmark::State& state) {
  std::vector<play_workload::NewWorldTimes> runs;
  for (auto _ : state) runs.push_back(play_workload::new_world_to_first_frame("seed-" + std::to_string(runs.size())));
  double generate = 0, save = 0, frame = 0;
  bool all_saved = true;
  for (const auto& run : runs) {
    generate += run.generate_ms;
    save += run.save_ms;
    frame += run.frame_ms;
    all_saved = all_saved && run.saved;
  }
  const auto count = static_cast<double>(runs.size());
  state.counters["generate_ms"] = generate / count;
  state.counters["save_ms"] = save / count;
  state.counters["frame_ms"] = frame / count;
  if (!all_saved) state.SkipWithError("a save failed");
}
BENCHMARK(BM_NewWorldFromSeedToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
