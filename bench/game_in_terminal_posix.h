#pragma once
// The real game in a pseudo-terminal, for the benchmarks that measure it from
// outside: its output read as a terminal would, its processor time and
// wake-ups taken from /proc. POSIX only.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "support/pseudo_terminal.h"
#include "support/scratch_directory.h"

namespace bench_support {

using Clock = std::chrono::steady_clock;
inline constexpr std::chrono::seconds kStepTimeout{60};

double seconds_since(Clock::time_point start);

class GameInTerminal {
 public:
  // 30 rows: room for the map and its status lines. `prepare` puts saves in
  // the game's directory before it starts.
  explicit GameInTerminal(void (*prepare)(const std::string& directory) = nullptr,
                          std::vector<std::string> arguments = {});

  void send(std::string_view keys) { terminal_.send(keys); }
  std::size_t output_size() const { return terminal_.output().size(); }
  // Reads the output until `text` appears after what earlier waits saw.
  bool wait_for(std::string_view text);
  // Keeps reading, as a terminal does, for `duration`; returns the bytes read.
  std::size_t read_for(Clock::duration duration);
  // User and system time of the game so far, in seconds.
  double processor_seconds() const;
  // How often the game has gone to sleep and woken up again so far.
  long long voluntary_switches() const;

 private:
  std::string proc_file(const std::string& name) const;

  test_support::TemporaryDirectory directory_{"lanternvale-bench-"};
  test_support::PseudoTerminal terminal_;  // after the directory: the game ends first
  std::size_t seen_ = 0;
};

}  // namespace bench_support
