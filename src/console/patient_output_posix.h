#pragma once
// Output to a terminal that may stop taking it (a frozen connection whose
// buffer is full blocks every write). While the player is there that is
// right: the game waits for its screen. Once the player is gone, the world
// waiting to be saved must not wait: writes stop blocking, all of them
// together wait a little, and then what the terminal cannot take is dropped.

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "console/terminal_io_posix.h"

namespace console {

class PatientOutput {
 public:
  explicit PatientOutput(std::vector<int> descriptors) : descriptors_(std::move(descriptors)) {}

  void write(int fd, std::string_view bytes, SignalCheck on_signal);
  // The player is gone: from now on writes wait no longer than a little in all.
  void stop_blocking();
  // Something the terminal did not take was given up.
  bool dropped() const { return dropped_; }
  // The descriptors' flags as found: they belong to the terminal the shell
  // goes on using.
  void block_again();

 private:
  std::vector<int> descriptors_;
  // Those made non-blocking, with their flags as found.
  std::vector<std::pair<int, int>> made_non_blocking_;
  std::int64_t patience_ends_ms_ = -1;
  bool dropped_ = false;
};

}  // namespace console
