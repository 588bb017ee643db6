#pragma once
// A child process in a pseudo-terminal of its own, as a player's terminal runs
// a program: the terminal is its controlling terminal and its standard input,
// output and error. This side types into the terminal, reads the raw bytes the
// child writes, signals it, resizes or hangs up the terminal and waits for the
// child's end. Every wait has a timeout, so a broken build fails a test or a
// benchmark instead of hanging it. POSIX only.

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

using Timeout = std::chrono::milliseconds;

struct ExitStatus {
  enum class Kind { kStillRunning, kExited, kSignaled };
  Kind kind = Kind::kStillRunning;
  int value = 0;  // exit code or signal number

  bool exited_with(int code) const { return kind == Kind::kExited && value == code; }
  bool killed_by(int signal) const { return kind == Kind::kSignaled && value == signal; }
};
std::ostream& operator<<(std::ostream& out, const ExitStatus& status);

// Where a program's standard input comes from. Output and error stay on the
// terminal.
enum class StandardInput {
  kTerminal,
  kAtItsEnd,  // the null device, at its end from the start
  kClosed,    // no descriptor 0 at all, as a shell's <&- leaves it
};

struct ProgramLaunch {
  std::string program;
  std::vector<std::string> environment;  // NAME=value, the whole environment
  std::string working_directory;  // empty: the caller's
  StandardInput input = StandardInput::kTerminal;
  std::vector<std::string> arguments;  // those after the program's name
};

// The caller's environment for a program in an xterm-256color terminal that
// shows 24-bit colour, in `locale` (LANG and LC_ALL), without the caller's own
// terminal size, colour wishes or the variables that would move the game's
// directory or change its colours or encoding.
std::vector<std::string> terminal_environment(const std::string& locale);

class PseudoTerminal {
 public:
  // Opens a terminal of that size; nothing runs in it yet. Failures of the
  // system calls here and in start() are thrown as std::runtime_error.
  PseudoTerminal(int rows, int columns);
  ~PseudoTerminal();  // kills the child if it still runs
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // Starts the one child of this terminal: a program, or `body` in a fork of
  // this process, its result the child's exit code.
  void start(const ProgramLaunch& launch);
  void start(const std::function<int()>& body);
  pid_t pid() const { return pid_; }

  // Called with each piece of output as it is read, whichever wait reads it.
  void on_output(std::function<void(std::string_view)> listener) { listener_ = std::move(listener); }

  // Types bytes into the terminal (before the start too: they wait there).
  void send(std::string_view bytes);
  void send_signal(int signal);  // to the child, while it runs
  // Sends `signals` while the child is stopped, so that all of them are
  // waiting when it goes on and its handlers see them together.
  void send_signals_together(const std::vector<int>& signals);
  void resize(int rows, int columns);
  // Closes this side, as a closed terminal window does: the kernel hangs the
  // terminal up although the other side stays open here.
  void hang_up();

  // Reads the output there is, waiting up to `wait` for some; true if any came.
  bool read(Timeout wait);
  // Every byte the child wrote so far, unconverted.
  const std::string& output() const { return output_; }
  // Reads until `condition` holds; false on timeout, or once the child has
  // ended without it.
  bool wait_until(const std::function<bool()>& condition, Timeout timeout);
  // Reads until the output holds `text` at or after `from`.
  bool wait_for_output(std::string_view text, std::size_t from, Timeout timeout);

  // The exit status now, without waiting.
  ExitStatus status();
  // Waits up to `timeout` for the child's end, reading meanwhile, then reads
  // the last bytes it wrote; kStillRunning after the timeout.
  ExitStatus wait_for_exit(Timeout timeout);

  // The terminal's modes now (also after the child ended).
  termios modes() const;

 private:
  void start_child(const std::function<void()>& in_child);
  // Keeps a status waitpid gave, if the child has ended.
  void note_status(int raw_status);

  int master_ = -1;
  int slave_ = -1;  // kept open so output can be read, and modes checked, after the end
  pid_t pid_ = -1;
  ExitStatus status_;
  std::string output_;
  std::function<void(std::string_view)> listener_;
};

// Equal flags, control characters and speeds.
bool same_modes(const termios& a, const termios& b);
std::string describe_modes(const termios& modes);

}  // namespace test_support
