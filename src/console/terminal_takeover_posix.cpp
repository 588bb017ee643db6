#include "console/terminal_takeover_posix.h"

#include <unistd.h>

#include <cerrno>

#include "console/escape_sequences.h"
#include "console/terminal_io_posix.h"

namespace console {
namespace {

// A menu, a list of saves or a prompt is a few KiB; the map, drawn over and
// over, soon outgrows this and draws itself whole after fg anyway.
constexpr std::size_t kLongestDrawingKept = 64 * 1024;

// CAN: ends any escape sequence a terminal is in the middle of; elsewhere
// terminals ignore it.
constexpr std::string_view kCancelSequence = "\x18";

// Takes no memory and no lock: a signal handler may call it. False when
// not all was written (errno says why).
bool write_literal(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

void GiveBack::run(bool drop_queued_output) const {
  if (output_fd >= 0) {
    const auto drop_queue = [this] {
      ::tcflush(output_fd, TCOFLUSH);
      write_literal(output_fd, kCancelSequence);
    };
    const auto write_sequences = [this] {
      return write_literal(output_fd, kResetColours) && write_literal(output_fd, kShowCursor) &&
             (!leave_alternate_screen || write_literal(output_fd, kLeaveAlternateScreen)) &&
             (!pop_title || write_literal(output_fd, kPopTitle));
    };
    if (drop_queued_output) drop_queue();
    // A terminal that takes no more, made non-blocking as the player left.
    if (!write_sequences() && errno == EAGAIN) {
      drop_queue();
      write_sequences();
    }
  }
  if (has_modes) ::tcsetattr(input_fd, TCSANOW, &modes);
}

void TerminalTakeover::take(int input_fd, bool input_is_terminal, int output_fd, bool output_is_terminal) {
  give_back_.input_fd = input_fd;
  give_back_.has_modes = input_is_terminal && ::tcgetattr(input_fd, &give_back_.modes) == 0;
  enter_raw_mode();
  if (!output_is_terminal) return;
  // The terminal's own title waits on its title stack until the game ends.
  std::string take(kPushTitle);
  take += kEnterAlternateScreen;
  write_all(output_fd, take);
  give_back_.output_fd = output_fd;
  give_back_.pop_title = true;
  give_back_.leave_alternate_screen = true;
}

void TerminalTakeover::enter_raw_mode() const {
  if (!give_back_.has_modes) return;
  termios raw = give_back_.modes;
  // Keys come one by one, unechoed, Enter as 13. ISIG stays, so Ctrl+C,
  // Ctrl+Z and Ctrl+\ raise their signals as on the console, and so does output
  // processing, so "\n" still starts a new line. Ctrl+S and Ctrl+Q are keys,
  // not flow control that would freeze the game's output.
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | ISTRIP | IXON);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  ::tcsetattr(give_back_.input_fd, TCSANOW, &raw);
}

void TerminalTakeover::keep_drawing(std::string_view terminal_bytes) {
  if (drawing_too_long_) return;
  if (drawn_since_clear_.size() + terminal_bytes.size() > kLongestDrawingKept) {
    drawing_too_long_ = true;
    drawn_since_clear_ = std::string();
    return;
  }
  drawn_since_clear_.append(terminal_bytes);
}

void TerminalTakeover::screen_cleared() {
  drawn_since_clear_.clear();
  drawing_too_long_ = false;
}

std::string TerminalTakeover::taken_again() const {
  std::string again(kPushTitle);
  if (give_back_.leave_alternate_screen) {
    again += kEnterAlternateScreen;
    // The alternate screen comes back blank: what was on it is drawn again.
    if (!drawing_too_long_) again += drawn_since_clear_;
  }
  return again;
}

}  // namespace console
