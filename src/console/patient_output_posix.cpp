#include "console/patient_output_posix.h"

#include <fcntl.h>

namespace console {
namespace {

// Once the player is gone, how long all output together may wait for a
// terminal that takes nothing.
constexpr int kOutputPatienceMs = 100;

}  // namespace

// (A write blocked when the termination request comes is interrupted; the
// signal's answer stops the blocking, and the write goes on as any later one.)
void PatientOutput::write(int fd, std::string_view bytes, SignalCheck on_signal) {
  if (!write_all(fd, bytes, on_signal, &patience_ends_ms_)) dropped_ = true;
}

void PatientOutput::stop_blocking() {
  if (patience_ends_ms_ < 0) patience_ends_ms_ = monotonic_ms() + kOutputPatienceMs;
  if (!made_non_blocking_.empty()) return;
  for (const int fd : descriptors_) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || (flags & O_NONBLOCK) != 0) continue;
    made_non_blocking_.emplace_back(fd, flags);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  }
}

void PatientOutput::block_again() {
  for (const auto& [fd, flags] : made_non_blocking_) ::fcntl(fd, F_SETFL, flags);
  made_non_blocking_.clear();
}

}  // namespace console
