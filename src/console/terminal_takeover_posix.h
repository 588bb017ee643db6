#pragma once
// What the game changes in the terminal it plays in, and the one list of what
// giving it back takes: the input modes (raw keys), the alternate screen, the
// title. The list runs at the orderly end, at Ctrl+Z, and in the handlers of
// the signals that end the process at once, so it is kept as plain data and
// run with async-signal-safe calls only.

#include <termios.h>

#include <string>
#include <string_view>

namespace console {

struct GiveBack {
  int input_fd = -1;
  bool has_modes = false;
  termios modes{};      // as found
  int output_fd = -1;   // -1: the output is no terminal, nothing to write
  bool leave_alternate_screen = false;
  bool pop_title = false;

  // Colours reset, cursor shown, the user's own screen and title back, the
  // modes as found. `drop_queued_output`, or a terminal that takes nothing
  // more, first throws away what the terminal has not taken yet (the backlog
  // of a connection nobody reads, perhaps cut in the middle of a sequence)
  // and cancels any sequence the terminal is in the middle of, so that it
  // reads the give-back whole once it reads again.
  void run(bool drop_queued_output) const;
};

class TerminalTakeover {
 public:
  // Keeps the modes of a terminal input and switches it to raw keys; on a
  // terminal output, pushes the title and enters the alternate screen.
  void take(int input_fd, bool input_is_terminal, int output_fd, bool output_is_terminal);
  void enter_raw_mode() const;
  const GiveBack& give_back() const { return give_back_; }

  // What the game draws, as sent to the terminal, from the last clear of the
  // screen on: the alternate screen comes back blank after Ctrl+Z and fg, and
  // a menu waiting for its key would otherwise stay blank.
  void keep_drawing(std::string_view terminal_bytes);
  void screen_cleared();
  // The bytes that take the terminal again after a stop, the screen drawn as
  // it was; the modes are set by enter_raw_mode(), the title by its owner.
  std::string taken_again() const;

 private:
  GiveBack give_back_;
  std::string drawn_since_clear_;
  bool drawing_too_long_ = false;
};

}  // namespace console
