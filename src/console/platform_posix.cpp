// The platform on a POSIX terminal: raw keys decoded to the game's key codes,
// line input edited here, output converted to the terminal's encoding, and the
// terminal given back as found at every kind of exit.
#include <fcntl.h>
#include <signal.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/text_encoding.h"
#include "console/escape_sequences.h"
#include "console/key_reader.h"
#include "console/line_editor.h"
#include "console/patient_output_posix.h"
#include "console/platform.h"
#include "console/terminal_io_posix.h"
#include "console/terminal_output.h"
#include "console/terminal_encoding.h"
#include "console/terminal_signals_posix.h"
#include "console/terminal_takeover_posix.h"

namespace console {
namespace {

constexpr int kInputFd = STDIN_FILENO;
constexpr int kOutputFd = STDOUT_FILENO;
constexpr int kErrorFd = STDERR_FILENO;
// Long enough for any key still arriving to settle, short enough that a
// stream of bytes can't hold up the start.
constexpr int kSettleLimitMs = 4 * KeyDecoder::kSequenceTimeoutMs;

void check_signals();

// The user's own file names (the program's path) follow the user's locale;
// numbers keep the C form whatever the locale writes them like. Neither the
// terminal's encoding (terminal_encoding.h) nor the saves' file names
// (base/files.h) depend on it.
void take_users_locale() {
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");
}

std::string executable_path() {
#ifdef __APPLE__
  std::uint32_t size = 0;
  _NSGetExecutablePath(nullptr, &size);
  std::string raw(size, '\0');
  if (_NSGetExecutablePath(raw.data(), &size) != 0) return {};
  char resolved[PATH_MAX];
  return ::realpath(raw.c_str(), resolved) != nullptr ? std::string(resolved) : std::string(raw.c_str());
#else
  for (std::size_t size = 256; size <= 65536; size *= 2) {
    std::string buffer(size, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size()) return buffer.substr(0, static_cast<std::size_t>(length));
  }
  return {};
#endif
}

// Control bytes would end the title sequence early or start another one.
std::string title_sequence(const std::string& gbk_title) {
  std::string sequence(kSetTitle);
  for (const char c : gbk_title) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) sequence += c;
  }
  sequence += kTitleEnd;
  return sequence;
}

class PosixPlatform final : public Platform {
 public:
  void start() override;
  void restore() override;
  void keep_after_exit(const std::string& gbk_text) override { kept_after_exit_ += gbk_text; }
  void enable_escape_sequences() override {}
  // start() already stopped the streams' synchronisation with stdio, before it
  // replaced their buffers; doing it now would replace them again.
  void untie_streams() override { std::cin.tie(nullptr); }
  bool key_waiting() override;
  int read_key() override;
  bool wait_for_key(int timeout_ms) override;
  void settle_typed_keys() override;
  bool input_ended() override;
  std::optional<WindowSize> window_size() override;
  void sleep_ms(int milliseconds) override;
  std::int32_t clock_ms() override;
  void clear_screen() override;
  void set_title(const std::string& gbk_title) override;
  std::string program_path() override;

  // Acts on the signals the handlers noted; may end or stop the process.
  void handle_signals();
  // Output to the terminal, which never keeps a game whose player is gone.
  void write_out(int fd, std::string_view bytes);

 private:
  bool player_gone() const { return keys_ != nullptr && keys_->input_ended(); }
  void connect_streams();
  void suspend();
  void write_now(int fd, std::string_view gbk);
  // The cursor's column on the screen, after everything written so far.
  int cursor_column();
  KeyReader& keys();

  std::chrono::steady_clock::time_point begin_ = std::chrono::steady_clock::now();
  bool started_ = false;
  bool restored_ = false;
  // While the terminal is given back, signals are only noted: acting on one
  // could end the process before the give-back is through.
  bool restoring_ = false;
  bool handling_signals_ = false;
  TerminalEncoding encoding_ = TerminalEncoding::kUtf8;
  bool input_is_terminal_ = false;
  bool output_is_terminal_ = false;
  // A signal the process still ends by, once the game has wound down or the
  // terminal is given back.
  int ending_signal_ = 0;
  std::string title_;  // the sequence, GBK
  std::string kept_after_exit_;
  CursorTracker cursor_;
  TerminalTakeover takeover_;
  PatientOutput output_{{kOutputFd, kErrorFd}};

  // The streams keep pointing at these until the very end of the process, past
  // the destruction of every static object, so they are never freed.
  FdInputSource* input_ = nullptr;
  KeyReader* keys_ = nullptr;
  LineEditor* line_editor_ = nullptr;
  LineInputBuffer* input_buffer_ = nullptr;
  TerminalOutputBuffer* output_buffer_ = nullptr;
  TerminalOutputBuffer* error_buffer_ = nullptr;
};

PosixPlatform& posix_platform() {
  static PosixPlatform* const instance = new PosixPlatform();
  return *instance;
}

void check_signals() { posix_platform().handle_signals(); }

void restore_at_exit() { posix_platform().restore(); }

void PosixPlatform::start() {
  if (started_) return;
  started_ = true;
  begin_ = std::chrono::steady_clock::now();
  take_users_locale();
  encoding_ = choose_terminal_encoding(encoding_environment());
  set_terminal_encoding(encoding_);
  input_is_terminal_ = ::isatty(kInputFd) == 1;
  output_is_terminal_ = ::isatty(kOutputFd) == 1;
  // Handlers first: from the moment the modes change, every exit restores them.
  terminal_signals::install();
  takeover_.take(kInputFd, input_is_terminal_, kOutputFd, output_is_terminal_);
  connect_streams();
  terminal_signals::arm_emergency_restore(takeover_.give_back());
  std::atexit(restore_at_exit);
}

void PosixPlatform::restore() {
  if (!started_ || restored_) return;
  restored_ = true;
  restoring_ = true;
  std::cout.flush();
  std::cerr.flush();
  terminal_signals::disarm_emergency_restore();
  // Output given up on left the terminal a backlog, perhaps cut in the
  // middle of a frame, that nobody is there to see.
  takeover_.give_back().run(output_.dropped());
  // The alternate screen went with what the game last said: it is said
  // again on the user's own screen, below the lines it had.
  if (takeover_.give_back().leave_alternate_screen && !kept_after_exit_.empty()) {
    write_now(kOutputFd, kept_after_exit_);
  }
  output_.block_again();
  restoring_ = false;
  handle_signals();
  if (ending_signal_ != 0) terminal_signals::die_by(ending_signal_);
}

bool PosixPlatform::key_waiting() {
  handle_signals();
  return keys().key_waiting();
}

int PosixPlatform::read_key() {
  handle_signals();
  return keys().read_key();
}

bool PosixPlatform::wait_for_key(int timeout_ms) {
  const std::uint64_t changes = screen_changes();
  handle_signals();
  // A signal answered here changed the screen: the caller draws it again
  // before it waits.
  if (timeout_ms < 0 && screen_changes() != changes) return keys().key_waiting();
  return keys().wait_for_key(timeout_ms);
}

void PosixPlatform::settle_typed_keys() {
  handle_signals();
  keys().settle(kSettleLimitMs);
}

bool PosixPlatform::input_ended() {
  handle_signals();
  return keys().input_ended();
}

std::optional<WindowSize> PosixPlatform::window_size() {
  winsize size{};
  for (const int fd : {kOutputFd, kInputFd}) {
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
      return WindowSize{size.ws_row, size.ws_col};
    }
  }
  return std::nullopt;
}

void PosixPlatform::sleep_ms(int milliseconds) {
  handle_signals();
  // The input is read as it arrives, so each key keeps the time it was typed:
  // read after the pause, an Escape and an arrow typed 100 ms apart would
  // look like one key sent at once.
  const std::int64_t deadline = monotonic_ms() + std::max(milliseconds, 0);
  keys().read_ahead_until(deadline);
  // A pause is for the player's eyes: it ends as soon as the player is gone.
  for (std::int64_t left = deadline - monotonic_ms(); left > 0 && !player_gone(); left = deadline - monotonic_ms()) {
    pause_for(static_cast<int>(left), terminal_signals::wake_fd(), check_signals);
  }
}

std::int32_t PosixPlatform::clock_ms() {
  const auto elapsed = std::chrono::steady_clock::now() - begin_;
  return static_cast<std::int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void PosixPlatform::clear_screen() {
  // The alternate screen has no scrollback for the old screen to go to, and
  // the user's own scrollback is left alone.
  std::cout << kCursorHome << kEraseScreen << std::flush;
  takeover_.screen_cleared();
  note_screen_change();
}

void PosixPlatform::set_title(const std::string& gbk_title) {
  title_ = title_sequence(gbk_title);
  std::cout << title_ << std::flush;
}

std::string PosixPlatform::program_path() {
  // The path's folders were named by the user, in the user's locale.
  const std::string path = executable_path();
  return base::locale_is_utf8() ? base::utf8_to_gbk(path) : path;
}

void PosixPlatform::handle_signals() {
  if (handling_signals_ || !terminal_signals::pending()) return;
  handling_signals_ = true;
  const terminal_signals::Noted noted = terminal_signals::take();
  if (const int signal = noted.ending_at_once(); signal != 0) {
    // Ctrl+C ends without saving, even with a hang-up noted beside it.
    ending_signal_ = signal;
    if (!restoring_) restore();
  }
  if (noted.hang_up || noted.terminate) {
    // A hang-up is the end of input: the player is gone, and the game ends
    // from wherever it waits as it would at the end of a piped input, saving
    // a world in play. A polite termination request ends the same way, and
    // the process then still ends by that signal, as its sender expects.
    if (noted.terminate && ending_signal_ == 0) ending_signal_ = SIGTERM;
    keys().end_input();
    output_.stop_blocking();
  }
  if (restoring_) {
    handling_signals_ = false;
    return;
  }
  if (noted.stop) {
    if (restored_) {
      terminal_signals::stop_until_continued();
    } else {
      suspend();
    }
  } else if (noted.resumed && started_ && !restored_) {
    // Stopped by something else than Ctrl+Z (SIGSTOP): the shell may have
    // reset the modes, and written on the screen, meanwhile.
    takeover_.enter_raw_mode();
    if (cursor_.hidden()) write_all(kOutputFd, kHideCursor);
    note_screen_change();
  }
  // Terminals lay out their lines anew in a window of another size.
  if (noted.resized) note_screen_change();
  handling_signals_ = false;
}

void PosixPlatform::write_out(int fd, std::string_view bytes) {
  if (player_gone()) output_.stop_blocking();
  output_.write(fd, bytes, check_signals);
}

void PosixPlatform::connect_streams() {
  output_buffer_ = new TerminalOutputBuffer(
      [](std::string_view bytes) {
        posix_platform().takeover_.keep_drawing(bytes);
        posix_platform().write_out(kOutputFd, bytes);
      },
      encoding_, &cursor_);
  error_buffer_ = new TerminalOutputBuffer(
      [](std::string_view bytes) { posix_platform().write_out(kErrorFd, bytes); }, encoding_);

  KeyReader& reader = keys();
  if (input_is_terminal_) {
    // The echo goes to the terminal the keys come from. On the game's own
    // terminal it moves the cursor as the game's output does; elsewhere the
    // typed line starts where the shell left the cursor, at the left edge.
    const int echo_fd = output_is_terminal_ ? kOutputFd : kInputFd;
    CursorTracker* cursor = output_is_terminal_ ? &cursor_ : nullptr;
    const TerminalEncoding encoding = encoding_;
    auto echo = [echo_fd, cursor, encoder = std::make_shared<OutputEncoder>(encoding)](std::string_view gbk) {
      const std::string_view bytes = encoder->encode(gbk);
      if (cursor != nullptr) {
        cursor->observe(gbk);
        posix_platform().takeover_.keep_drawing(bytes);
        note_output_written();
      }
      write_all(echo_fd, bytes, check_signals);
    };
    LineEditor::Column start_column;
    if (cursor != nullptr) start_column = [this] { return cursor_column(); };
    line_editor_ = new LineEditor(reader, echo, start_column);
  } else {
    line_editor_ = new LineEditor(reader);
  }
  input_buffer_ = new LineInputBuffer(*line_editor_);
  connect_standard_streams(output_buffer_, error_buffer_, input_buffer_);
}

KeyReader& PosixPlatform::keys() {
  if (keys_ == nullptr) {
    input_ = new FdInputSource(kInputFd, terminal_signals::wake_fd(), check_signals);
    keys_ = new KeyReader(*input_, encoding_);
  }
  return *keys_;
}

int PosixPlatform::cursor_column() {
  // Text longer than the window goes on at the next line's start.
  const std::optional<WindowSize> size = window_size();
  return size ? cursor_.column() % size->columns : cursor_.column();
}

void PosixPlatform::suspend() {
  // What the game wrote so far belongs to the screen it leaves.
  std::cout.flush();
  terminal_signals::disarm_emergency_restore();
  takeover_.give_back().run(false);
  output_.block_again();
  terminal_signals::stop_until_continued();
  takeover_.enter_raw_mode();
  if (output_is_terminal_) {
    write_out(kOutputFd, takeover_.taken_again());
    write_now(kOutputFd, title_ + std::string(cursor_.hidden() ? kHideCursor : ""));
  }
  note_screen_change();
  terminal_signals::arm_emergency_restore(takeover_.give_back());
  // The continue signal that woke us is answered already.
  terminal_signals::forget_resume();
}

void PosixPlatform::write_now(int fd, std::string_view gbk) {
  // Its own encoder: the stream's may hold half a character of a pending flush.
  OutputEncoder encoder(encoding_);
  write_out(fd, encoder.encode(gbk));
}

}  // namespace

Platform& native_platform() { return posix_platform(); }

}  // namespace console
