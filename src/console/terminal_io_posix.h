#pragma once
// Reading, writing and waiting on file descriptors for the POSIX terminal. Every
// wait also watches a wake-up descriptor that the signal handlers write to, so a
// signal is noticed at once by whatever is blocked.

#include <cstdint>
#include <string>
#include <string_view>

#include "console/key_reader.h"

namespace console {

// Called when the wake-up descriptor fires (a signal came) and before each
// write; it may end the process or stop it for a while.
using SignalCheck = void (*)();

// Input bytes from a descriptor: a terminal in raw mode, a pipe, a file.
class FdInputSource final : public InputSource {
 public:
  explicit FdInputSource(int fd, int wake_fd = -1, SignalCheck on_signal = nullptr)
      : fd_(fd), wake_fd_(wake_fd), on_signal_(on_signal) {}

  // End of file, a hang-up (EIO) or a descriptor that can't be read all end
  // the input for good: a closed terminal must not be polled in a busy loop.
  Status read(std::string& bytes, int timeout_ms) override;
  std::int64_t now_ms() override;

 private:
  int fd_;
  int wake_fd_;
  SignalCheck on_signal_;
};

// Writes all of `bytes`, going on after partial writes and interruptions.
// Errors (a closed pipe, a hung-up terminal) end it: output is best effort.
// A non-blocking descriptor that takes nothing is waited for; once
// `*give_up_at_ms` holds a time (of monotonic_ms; `on_signal` may set it),
// only until then, and what is left is dropped. False when not all was written.
bool write_all(int fd, std::string_view bytes, SignalCheck on_signal = nullptr,
               const std::int64_t* give_up_at_ms = nullptr);

// Waits `milliseconds`, or less: until a signal noticed through `wake_fd` has
// been answered.
void pause_for(int milliseconds, int wake_fd = -1, SignalCheck on_signal = nullptr);

std::int64_t monotonic_ms();

}  // namespace console
