#pragma once
// Runs the real program in a pseudo-terminal and reads its screen through
// libvterm, as a player's terminal would show it. Every wait has a timeout,
// so a broken build fails a test instead of hanging it.

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

struct VTerm;

namespace e2e {

using Timeout = std::chrono::milliseconds;
// Generous: the menus take 0.7 s to draw, and the suite may run under the
// sanitizers on a busy machine.
inline constexpr Timeout kDefaultTimeout{20000};

struct SessionOptions {
  int rows = 25;
  int columns = 80;
  std::string locale = "C.UTF-8";  // LANG and LC_ALL of the program
  // Bytes already typed into the terminal when the program starts.
  std::string typed_before_start;
  // false: standard input is /dev/null (at its end from the start) while
  // standard output and error stay on the terminal.
  bool input_from_terminal = true;
  // Called with the program's working directory before the program starts,
  // to put files there (saves made by the test, for instance).
  std::function<void(const std::string& working_directory)> prepare;
};

struct ExitStatus {
  enum class Kind { kStillRunning, kExited, kSignaled };
  Kind kind = Kind::kStillRunning;
  int value = 0;  // exit code or signal number

  bool exited_with(int code) const { return kind == Kind::kExited && value == code; }
  bool killed_by(int signal) const { return kind == Kind::kSignaled && value == signal; }
};
std::ostream& operator<<(std::ostream& out, const ExitStatus& status);

struct Cursor {
  int row = 0;
  int column = 0;
  bool visible = true;
};

class PtySession {
 public:
  // Starts `program` in a fresh temporary working directory.
  explicit PtySession(const std::string& program, SessionOptions options = {});
  ~PtySession();  // kills the program if it still runs, removes the directory
  PtySession(const PtySession&) = delete;
  PtySession& operator=(const PtySession&) = delete;

  // Types bytes into the terminal.
  void send(std::string_view bytes);
  void send_signal(int signal);
  // Closes the terminal, as a closed terminal window does.
  void hang_up();

  // Polls the program's output until `condition` holds; false on timeout, or
  // once the program has ended without it.
  bool wait_until(const std::function<bool()>& condition, Timeout timeout = kDefaultTimeout);
  bool wait_for_text(std::string_view utf8, Timeout timeout = kDefaultTimeout);
  bool wait_for_raw(std::string_view bytes, Timeout timeout = kDefaultTimeout);
  // The exit status, or kStillRunning after the timeout.
  ExitStatus wait_for_exit(Timeout timeout = kDefaultTimeout);

  // The screen as shown: a row as UTF-8 without trailing blanks.
  std::string row(int index) const;
  std::vector<std::string> rows(int first, int count) const;
  std::string screen_text() const;  // every row, each followed by '\n'
  bool screen_contains(std::string_view utf8) const;
  Cursor cursor() const;
  std::string title() const;
  // Every byte the program wrote, unconverted.
  const std::string& raw_output() const { return raw_output_; }

  // The terminal's modes as set up before the program started, and now (also
  // valid after the program ended).
  const termios& modes_before_start() const { return modes_before_start_; }
  termios current_modes() const;
  const std::string& working_directory() const { return working_directory_; }

 private:
  void start_program(const std::string& program, const SessionOptions& options);
  // Reads the output there is, waiting up to `wait` for some; true if any came.
  bool pump(Timeout wait);
  void check_exit();
  friend struct TerminalCallbacks;  // libvterm's replies and property changes

  int master_ = -1;
  int slave_ = -1;  // kept open so output can be read, and modes checked, after exit
  pid_t pid_ = -1;
  ExitStatus status_;
  VTerm* terminal_ = nullptr;
  std::string raw_output_;
  std::string title_;
  bool cursor_visible_ = true;
  termios modes_before_start_{};
  std::string working_directory_;
};

// Equal flags, control characters and speeds.
bool same_modes(const termios& a, const termios& b);
std::string describe_modes(const termios& modes);

}  // namespace e2e
