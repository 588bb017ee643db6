// The game on its map, measured from outside (game_in_terminal_posix.h).
// With no key pressed: bytes written, wake-ups and processor time per
// second. In a busy view: the bytes one step writes, and how soon after a
// key arrives its frame is written.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "game_in_terminal_posix.h"
#include "play_workload.h"

namespace {

using bench_support::Clock;
using bench_support::GameInTerminal;
using bench_support::seconds_since;
constexpr std::chrono::seconds kSampleTime{3};
// Long enough for every frame a step causes to be written.
constexpr std::chrono::milliseconds kAfterStep{500};
constexpr int kLatencySamples = 21;

constexpr std::string_view kBorder = "+------------------------------------------+";
constexpr std::string_view kRight = "\x1b[C";
constexpr std::string_view kLeft = "\x1b[D";
constexpr std::string_view kF3 = "\x1bOR";
// The first status line, as F3 shows it at the start position.
constexpr std::string_view kStatusShown = "X:0 Y:0";

bool wait_for_map(GameInTerminal& game) { return game.wait_for(kBorder) && game.wait_for(kBorder); }

bool reach_a_new_map(GameInTerminal& game) {
  if (!game.wait_for("\x1b[10;8H")) return false;  // the menu waits for its key
  game.send("1");
  if (!game.wait_for("输入0")) return false;
  game.send("0\r");
  if (!game.wait_for("请输入世界名")) return false;
  game.send("idle\r");
  if (!game.wait_for("请输入种子")) return false;
  game.send("1\r");
  return wait_for_map(game);
}

void prepare_busy_world(const std::string& directory) { play_workload::save_busy_world(directory, "busy"); }

bool open_the_busy_world(GameInTerminal& game) {
  if (!game.wait_for("\x1b[10;8H")) return false;
  game.send("1");
  if (!game.wait_for("busy")) return false;
  game.send("1\r");
  return wait_for_map(game);
}

void BM_IdleMap(benchmark::State& state) {
  double percent = 0;
  double bytes_per_second = 0;
  double wakeups_per_second = 0;
  for (auto _ : state) {
    GameInTerminal game;
    if (!reach_a_new_map(game)) {
      state.SkipWithError("the game did not reach its map");
      return;
    }
    game.read_for(std::chrono::milliseconds(500));  // past the first save's aftermath
    const double processor_before = game.processor_seconds();
    const long long switches_before = game.voluntary_switches();
    const auto start = Clock::now();
    const std::size_t bytes = game.read_for(kSampleTime);
    const double seconds = seconds_since(start);
    percent = 100.0 * (game.processor_seconds() - processor_before) / seconds;
    bytes_per_second = static_cast<double>(bytes) / seconds;
    wakeups_per_second = static_cast<double>(game.voluntary_switches() - switches_before) / seconds;
  }
  state.counters["cpu_percent_of_one_core"] = percent;
  state.counters["output_bytes_per_s"] = bytes_per_second;
  state.counters["wakeups_per_s"] = wakeups_per_second;
}
BENCHMARK(BM_IdleMap)->Unit(benchmark::kMillisecond)->Iterations(1);

// The bytes written in the half second after one step to the right, in a
// view where one cell in eight holds a thing, with the status lines shown;
// then the time from F3 reaching the terminal to the status lines it shows
// being written, the median of several presses.
void BM_StepInBusyView(benchmark::State& state) {
  double step_bytes = 0;
  double latency_ms = 0;
  for (auto _ : state) {
    GameInTerminal game(prepare_busy_world);
    if (!open_the_busy_world(game) || (game.send(kF3), !game.wait_for(kStatusShown))) {
      state.SkipWithError("the game did not show the busy world");
      return;
    }
    game.read_for(kAfterStep);
    game.send(kRight);
    step_bytes = static_cast<double>(game.read_for(kAfterStep));
    game.send(kLeft);  // back to the start, where the status line reads kStatusShown
    game.read_for(kAfterStep);

    std::vector<double> latencies;
    for (int sample = 0; sample < kLatencySamples; ++sample) {
      game.send(kF3);  // hidden
      game.read_for(std::chrono::milliseconds(100));
      const auto sent = Clock::now();
      game.send(kF3);  // shown
      if (!game.wait_for(kStatusShown)) {
        state.SkipWithError("F3 showed no status lines");
        return;
      }
      latencies.push_back(1000.0 * seconds_since(sent));
      game.read_for(std::chrono::milliseconds(100));
    }
    std::nth_element(latencies.begin(), latencies.begin() + kLatencySamples / 2, latencies.end());
    latency_ms = latencies[kLatencySamples / 2];
  }
  state.counters["step_output_bytes"] = step_bytes;
  state.counters["key_to_frame_ms"] = latency_ms;
}
BENCHMARK(BM_StepInBusyView)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
