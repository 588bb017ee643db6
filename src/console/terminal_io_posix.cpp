#include "console/terminal_io_posix.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>

namespace console {
namespace {

constexpr std::size_t kReadChunk = 4096;
constexpr int kBlockedOutputWaitMs = 100;

int remaining_ms(std::int64_t deadline) {
  const std::int64_t left = deadline - monotonic_ms();
  return static_cast<int>(std::clamp<std::int64_t>(left, 0, std::numeric_limits<int>::max()));
}

// Empties the wake-up descriptor and lets the owner act on the signal.
void answer_wake_up(int wake_fd, SignalCheck on_signal) {
  char drained[64];
  while (::read(wake_fd, drained, sizeof drained) > 0) {
  }
  if (on_signal != nullptr) on_signal();
}

}  // namespace

std::int64_t monotonic_ms() {
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  return duration_cast<milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

InputSource::Status FdInputSource::read(std::string& bytes, int timeout_ms) {
  const std::int64_t deadline = timeout_ms < 0 ? 0 : monotonic_ms() + timeout_ms;
  for (;;) {
    pollfd watched[2] = {{fd_, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
    const nfds_t count = wake_fd_ >= 0 ? 2 : 1;
    const int wait = timeout_ms < 0 ? -1 : remaining_ms(deadline);
    const int ready = ::poll(watched, count, wait);
    if (ready < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return Status::kEnded;
    }
    if (count == 2 && (watched[1].revents & POLLIN) != 0) {
      // The answer may have changed what the reader waits for (a hang-up
      // ends the input): let it look again before waiting on.
      answer_wake_up(wake_fd_, on_signal_);
      return Status::kTimedOut;
    }
    if (ready == 0) return Status::kTimedOut;
    if ((watched[0].revents & POLLNVAL) != 0) return Status::kEnded;
    char chunk[kReadChunk];
    const ssize_t got = ::read(fd_, chunk, sizeof chunk);
    if (got > 0) {
      bytes.append(chunk, static_cast<std::size_t>(got));
      return Status::kBytes;
    }
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    // 0 is the end of a file or pipe; EIO a terminal that hung up.
    return Status::kEnded;
  }
}

std::int64_t FdInputSource::now_ms() { return monotonic_ms(); }

bool write_all(int fd, std::string_view bytes, SignalCheck on_signal, const std::int64_t* give_up_at_ms) {
  while (!bytes.empty()) {
    if (on_signal != nullptr) on_signal();
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (written < 0 && errno == EINTR) {
      continue;
    } else if (written < 0 && errno == EAGAIN) {
      // A non-blocking descriptor: wait until it takes more, or give up.
      const bool patient = give_up_at_ms == nullptr || *give_up_at_ms < 0;
      const int wait = patient ? kBlockedOutputWaitMs : remaining_ms(*give_up_at_ms);
      if (wait <= 0) return false;
      pollfd watched{fd, POLLOUT, 0};
      ::poll(&watched, 1, wait);
    } else {
      return false;
    }
  }
  return true;
}

void pause_for(int milliseconds, int wake_fd, SignalCheck on_signal) {
  const std::int64_t deadline = monotonic_ms() + std::max(milliseconds, 0);
  for (;;) {
    const int wait = remaining_ms(deadline);
    if (wait <= 0) return;
    pollfd watched{wake_fd, POLLIN, 0};
    const int ready = ::poll(&watched, wake_fd >= 0 ? 1 : 0, wait);
    if (ready > 0 && (watched.revents & POLLIN) != 0) {
      answer_wake_up(wake_fd, on_signal);
      return;
    }
  }
}

}  // namespace console
