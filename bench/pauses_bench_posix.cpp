// What the pauses cost a player, with and without --no-delay, on the real
// game in a pseudo-terminal (game_in_terminal_posix.h): the wall time from a
// key to the main menu's box drawn whole, and from the step onto a monster
// to the end of a fight of ten blows. The goal with --no-delay: under 50 ms.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "game_in_terminal_posix.h"
#include "play_workload.h"

namespace {

using bench_support::Clock;
using bench_support::GameInTerminal;
using bench_support::seconds_since;

constexpr int kMenuSamples = 5;
// The menu waits for its key with the cursor behind its input label.
constexpr std::string_view kMenuReady = "\x1b[10;8H";
// The language screen, the same way, below its box's last line.
constexpr std::string_view kLanguageScreenReady = "\x1b[4;1H";
constexpr std::string_view kMenuTop = "+--------------------------------+";
constexpr std::string_view kPlayerSlain = "你被怪物击杀了！";

std::vector<std::string> arguments_of(const benchmark::State& state) {
  if (state.range(0) == 0) return {};
  return {"--no-delay"};
}

double median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
  return values[values.size() / 2];
}

// From the key that leaves the language screen to the main menu of eleven
// box lines ready for its key, the median of a few.
void BM_MenuBox(benchmark::State& state) {
  std::vector<double> samples;
  for (auto _ : state) {
    GameInTerminal game(nullptr, arguments_of(state));
    if (!game.wait_for(kMenuReady)) {
      state.SkipWithError("the game showed no menu");
      return;
    }
    for (int sample = 0; sample < kMenuSamples; ++sample) {
      game.send("4");
      if (!game.wait_for(kLanguageScreenReady)) {
        state.SkipWithError("the language screen did not come");
        return;
      }
      const auto sent = Clock::now();
      game.send("1");
      if (!game.wait_for(kMenuReady)) {
        state.SkipWithError("the menu did not come back");
        return;
      }
      samples.push_back(1000.0 * seconds_since(sent));
    }
  }
  state.counters["box_ms"] = median(samples);
}
BENCHMARK(BM_MenuBox)->ArgName("no_delay")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

void prepare_fight(const std::string& directory) { play_workload::save_fight_world(directory, "fight"); }

// From the step onto the monster to the menu that follows the player's
// death: five blows each way, then the end of the fight.
void BM_TenBlowFight(benchmark::State& state) {
  double fight_ms = 0;
  for (auto _ : state) {
    GameInTerminal game(prepare_fight, arguments_of(state));
    if (!game.wait_for(kMenuReady)) {
      state.SkipWithError("the game showed no menu");
      return;
    }
    game.send("1");
    if (!game.wait_for("fight")) {
      state.SkipWithError("the world is not listed");
      return;
    }
    game.send("1\r");
    if (!game.wait_for("YY")) {
      state.SkipWithError("the map did not come");
      return;
    }
    game.read_for(std::chrono::milliseconds(300));
    const auto sent = Clock::now();
    game.send("\x1b[C");
    if (!game.wait_for(kPlayerSlain) || !game.wait_for(kMenuTop)) {
      state.SkipWithError("the fight did not end in the player's death");
      return;
    }
    fight_ms = 1000.0 * seconds_since(sent);
  }
  state.counters["fight_ms"] = fight_ms;
}
BENCHMARK(BM_TenBlowFight)->ArgName("no_delay")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
