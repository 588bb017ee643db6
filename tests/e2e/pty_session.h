#pragma once
// Runs the real program in a pseudo-terminal and reads its screen through
// libvterm, as a player's terminal would show it. Every wait has a timeout,
// so a broken build fails a test instead of hanging it.

#include <termios.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/pseudo_terminal.h"
#include "support/scratch_directory.h"
#include "vterm_screen.h"

namespace e2e {

using test_support::Timeout;
// Generous: the menus take 0.7 s to draw, and the suite may run under the
// sanitizers on a busy machine.
inline constexpr Timeout kDefaultTimeout{20000};

struct SessionOptions {
  // The arguments after the program's name.
  std::vector<std::string> arguments;
  int rows = 25;
  int columns = 80;
  // LANG and LC_ALL of the program; the terminal reads UTF-8 unless it names
  // a GBK codeset.
  std::string locale = "C.UTF-8";
  // Bytes already typed into the terminal when the program starts.
  std::string typed_before_start;
  // What the terminal shows before the program starts (the shell's lines).
  std::string screen_before_start;
  test_support::StandardInput input = test_support::StandardInput::kTerminal;
  // Called with the program's working directory before the program starts,
  // to put files there (saves made by the test, for instance).
  std::function<void(const std::string& working_directory)> prepare;
};

using test_support::describe_modes;
using test_support::ExitStatus;
using test_support::same_modes;

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
  // Sends `signals` so that the program's handlers see them together.
  void send_signals_together(const std::vector<int>& signals);
  // Closes the terminal, as a closed terminal window does.
  void hang_up();

  // Polls the program's output until `condition` holds; false on timeout, or
  // once the program has ended without it.
  bool wait_until(const std::function<bool()>& condition, Timeout timeout = kDefaultTimeout);
  bool wait_for_text(std::string_view utf8, Timeout timeout = kDefaultTimeout);
  bool wait_for_raw(std::string_view bytes, Timeout timeout = kDefaultTimeout);
  // The exit status, or kStillRunning after the timeout.
  ExitStatus wait_for_exit(Timeout timeout = kDefaultTimeout);
  // The same without reading anything the program writes until it has
  // ended, as a frozen connection would; then the rest is read.
  ExitStatus wait_for_exit_unread(Timeout timeout = kDefaultTimeout);

  // The screen as shown: a row as UTF-8 without trailing blanks.
  std::string row(int index) const { return screen_.row(index); }
  std::vector<std::string> rows(int first, int count) const { return screen_.rows(first, count); }
  std::string screen_text() const { return screen_.screen_text(); }  // every row, each followed by '\n'
  bool screen_contains(std::string_view utf8) const;
  Cursor cursor() const { return screen_.cursor(); }
  std::string attributes(int row, int column) const { return screen_.attributes(row, column); }
  std::string title() const { return screen_.title(); }
  // Every byte the program wrote, unconverted.
  const std::string& raw_output() const { return terminal_.output(); }

  // The terminal's modes as set up before the program started, and now (also
  // valid after the program ended).
  const termios& modes_before_start() const { return modes_before_start_; }
  termios current_modes() const;
  const std::string& working_directory() const { return working_directory_; }

 private:
  test_support::TemporaryDirectory directory_{"lanternvale-e2e-"};
  std::string working_directory_ = directory_.path().string();
  // After the directory: the program ends before its directory goes.
  test_support::PseudoTerminal terminal_;
  VtermScreen screen_;
  termios modes_before_start_{};
};

}  // namespace e2e
