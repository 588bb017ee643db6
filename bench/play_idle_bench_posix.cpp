// The processor time the game takes while the map is shown and no key is
// pressed: the real program in a pseudo-terminal, its output read as a
// terminal would, its time taken from /proc over a few seconds.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "support/pseudo_terminal.h"
#include "support/scratch_directory.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kSampleTime{3};
constexpr std::chrono::seconds kStepTimeout{60};

class GameInTerminal {
 public:
  // 30 rows: room for the map and its status lines.
  GameInTerminal() : terminal_(30, 80) {
    terminal_.start({LANTERNVALE_BINARY, test_support::terminal_environment("C.UTF-8"), directory_.path().string()});
  }

  void send(std::string_view keys) { terminal_.send(keys); }
  // Reads the output until `text` appears after what earlier waits saw.
  bool wait_for(std::string_view text) {
    if (!terminal_.wait_for_output(text, seen_, kStepTimeout)) return false;
    seen_ = terminal_.output().find(text, seen_) + text.size();
    return true;
  }
  // Keeps reading, as a terminal does, for `duration`.
  std::size_t read_for(Clock::duration duration) {
    const std::size_t before = terminal_.output().size();
    const auto deadline = Clock::now() + duration;
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
      terminal_.read(std::chrono::duration_cast<test_support::Timeout>(deadline - now) + test_support::Timeout{1});
    }
    return terminal_.output().size() - before;
  }
  // User and system time of the game so far, in seconds.
  double processor_seconds() const {
    std::ifstream stat("/proc/" + std::to_string(terminal_.pid()) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long user = 0, system = 0;
    for (int index = 3; index <= 15 && fields >> field; ++index) {
      if (index == 14) user = std::stoll(field);
      if (index == 15) system = std::stoll(field);
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
  }

 private:
  test_support::TemporaryDirectory directory_{"lanternvale-idle-"};
  test_support::PseudoTerminal terminal_;  // after the directory: the game ends first
  std::size_t seen_ = 0;
};

bool reach_the_map(GameInTerminal& game) {
  const std::string border = "+------------------------------------------+";
  if (!game.wait_for("\x1b[10;8H")) return false;  // the menu waits for its key
  game.send("1");
  if (!game.wait_for("输入0")) return false;
  game.send("0\r");
  if (!game.wait_for("请输入世界名")) return false;
  game.send("idle\r");
  if (!game.wait_for("请输入种子")) return false;
  game.send("1\r");
  return game.wait_for(border) && game.wait_for(border);
}

void BM_IdleMapProcessorTime(benchmark::State& state) {
  double percent = 0;
  double bytes_per_second = 0;
  for (auto _ : state) {
    GameInTerminal game;
    if (!reach_the_map(game)) {
      state.SkipWithError("the game did not reach its map");
      return;
    }
    game.read_for(std::chrono::milliseconds(500));  // past the first save's aftermath
    const double before = game.processor_seconds();
    const auto start = Clock::now();
    const std::size_t bytes = game.read_for(kSampleTime);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    percent = 100.0 * (game.processor_seconds() - before) / seconds;
    bytes_per_second = static_cast<double>(bytes) / seconds;
  }
  state.counters["cpu_percent_of_one_core"] = percent;
  state.counters["output_bytes_per_s"] = bytes_per_second;
}
BENCHMARK(BM_IdleMapProcessorTime)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
