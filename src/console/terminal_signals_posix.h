#pragma once
// Signals around the terminal. The handlers of INT, TERM, HUP, QUIT, TSTP,
// CONT and WINCH only note the signal and wake whatever waits; the program acts on it at
// its next wait or write (handle it there, where stdio and malloc are allowed).
// The crash signals (SEGV, BUS, FPE, ILL, ABRT) restore the terminal in the
// handler with async-signal-safe calls only, then go on to the previous
// handler (a sanitizer's) or the default action. Every other signal that
// would end the process (USR1, ALRM, the real-time signals ...) restores the
// terminal the same way before it ends it; XFSZ is ignored, so a write past
// the file size limit fails as a full disk does instead of ending the game.

#include "console/terminal_takeover_posix.h"

namespace console::terminal_signals {

// What was noted since the last take(): every signal that came, however many
// came together.
struct Noted {
  bool interrupt = false;  // INT: Ctrl+C
  bool quit = false;       // QUIT: Ctrl+Backslash
  bool terminate = false;  // TERM
  bool hang_up = false;    // HUP: the terminal closed
  bool stop = false;       // TSTP: Ctrl+Z
  bool resumed = false;    // CONT: fg, or a continue after any stop
  bool resized = false;    // WINCH: the window changed its size

  // The signal that ends the game at once, without saving: QUIT, or INT,
  // which wins over a TERM or HUP that came with it. 0 if none did.
  int ending_at_once() const;
};

// Installs the handlers and the wake-up pipe; SIGPIPE becomes ignored. A
// termination signal that was ignored when the program started (nohup) stays
// ignored.
void install();
// The descriptor that becomes readable when a signal is noted; -1 before install().
int wake_fd();
bool pending();
Noted take();
// Forgets a noted SIGCONT (the one that ended our own stop).
void forget_resume();

// What the crash handler gives back (copied).
void arm_emergency_restore(const GiveBack& give_back);
void disarm_emergency_restore();

// Ends the process by `signal` with its default action, so the exit status
// tells the signal. Does not return.
[[noreturn]] void die_by(int signal);
// Stops the process as Ctrl+Z does without a handler; returns once continued.
void stop_until_continued();

}  // namespace console::terminal_signals
