// The processor time the game takes while the map is shown and no key is
// pressed: the real program in a pseudo-terminal, its output read as a
// terminal would, its time taken from /proc over a few seconds.

#include <benchmark/benchmark.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kSampleTime{3};
constexpr std::chrono::seconds kStepTimeout{60};

class GameInTerminal {
 public:
  GameInTerminal() : directory_(std::filesystem::temp_directory_path() /
                                ("lanternvale-idle-" + std::to_string(std::random_device()()))) {
    std::filesystem::create_directory(directory_);
    winsize size{};
    size.ws_row = 30;  // room for the map and its status lines
    size.ws_col = 80;
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ == 0) {
      if (chdir(directory_.c_str()) != 0) _exit(126);
      setenv("LANG", "C.UTF-8", 1);
      setenv("LC_ALL", "C.UTF-8", 1);
      setenv("TERM", "xterm-256color", 1);
      execl(LANTERNVALE_BINARY, LANTERNVALE_BINARY, static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~GameInTerminal() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }

  bool started() const { return pid_ > 0 && master_ >= 0; }
  void send(std::string_view keys) {
    if (write(master_, keys.data(), keys.size()) < 0) output_.clear();
  }
  // Reads the output until `text` appears after what earlier waits saw.
  bool wait_for(std::string_view text) {
    const auto deadline = Clock::now() + kStepTimeout;
    while (Clock::now() < deadline) {
      const std::size_t found = output_.find(text, seen_);
      if (found != std::string::npos) {
        seen_ = found + text.size();
        return true;
      }
      read_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  // Keeps reading, as a terminal does, for `duration`.
  std::size_t read_for(Clock::duration duration) {
    const std::size_t before = output_.size();
    const auto deadline = Clock::now() + duration;
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
      pollfd readable{master_, POLLIN, 0};
      if (poll(&readable, 1, static_cast<int>(left) + 1) <= 0) continue;
      char buffer[65536];
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      output_.append(buffer, static_cast<std::size_t>(n));
    }
    return output_.size() - before;
  }
  // User and system time of the game so far, in seconds.
  double processor_seconds() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
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
  std::filesystem::path directory_;
  int master_ = -1;
  pid_t pid_ = -1;
  std::string output_;
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
    if (!game.started() || !reach_the_map(game)) {
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
