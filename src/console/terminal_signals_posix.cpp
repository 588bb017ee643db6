#include "console/terminal_signals_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string_view>

#include "console/escape_sequences.h"

namespace console::terminal_signals {
namespace {

constexpr std::array<int, 4> kTerminationSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr std::array<int, 5> kCrashSignals = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Noted by the handlers, taken by the program.
volatile std::sig_atomic_t noted_termination = 0;
volatile std::sig_atomic_t noted_stop = 0;
volatile std::sig_atomic_t noted_resume = 0;
volatile std::sig_atomic_t noted_resize = 0;
int wake_pipe[2] = {-1, -1};

// The crash handler's copy of the terminal as found.
volatile std::sig_atomic_t emergency_armed = 0;
termios emergency_termios{};
bool emergency_has_termios = false;
int emergency_tty_fd = -1;
int emergency_out_fd = -1;
bool emergency_pop_title = false;
bool emergency_leave_alternate_screen = false;

std::array<struct sigaction, kCrashSignals.size()> previous_crash_actions{};

// A stack overflow can only be reported from a stack of its own.
alignas(16) char alternate_stack[64 * 1024];

void wake() {
  const int saved_errno = errno;
  const char byte = 1;
  if (wake_pipe[1] >= 0) {
    [[maybe_unused]] const ssize_t ignored = ::write(wake_pipe[1], &byte, 1);
  }
  errno = saved_errno;
}

void on_termination(int signal) {
  noted_termination = signal;
  wake();
}

void on_stop(int) {
  noted_stop = 1;
  wake();
}

void on_resume(int) {
  noted_resume = 1;
  wake();
}

void on_resize(int) {
  noted_resize = 1;
  wake();
}

void write_literal(int fd, std::string_view bytes) {
  const char* text = bytes.data();
  std::size_t size = bytes.size();
  while (size > 0) {
    const ssize_t written = ::write(fd, text, size);
    if (written <= 0) {
      if (written < 0 && errno == EINTR) continue;
      return;
    }
    text += written;
    size -= static_cast<std::size_t>(written);
  }
}

void restore_in_emergency() {
  if (emergency_armed == 0) return;
  emergency_armed = 0;
  // The sequences are constants: writing them takes no memory and no lock.
  if (emergency_out_fd >= 0) {
    write_literal(emergency_out_fd, kResetColours);
    write_literal(emergency_out_fd, kShowCursor);
    if (emergency_leave_alternate_screen) write_literal(emergency_out_fd, kLeaveAlternateScreen);
    if (emergency_pop_title) write_literal(emergency_out_fd, kPopTitle);
  }
  if (emergency_has_termios) ::tcsetattr(emergency_tty_fd, TCSANOW, &emergency_termios);
}

int crash_index(int signal) {
  for (std::size_t i = 0; i < kCrashSignals.size(); ++i) {
    if (kCrashSignals[i] == signal) return static_cast<int>(i);
  }
  return -1;
}

void on_crash(int signal, siginfo_t* info, void*) {
  const int saved_errno = errno;
  restore_in_emergency();
  const int index = crash_index(signal);
  if (index >= 0) ::sigaction(signal, &previous_crash_actions[static_cast<std::size_t>(index)], nullptr);
  // A fault raised by the processor comes again when the handler returns, now
  // to the previous handler with its full report; a signal sent by kill() or
  // abort() must be sent again.
  if (info == nullptr || info->si_code <= 0) ::raise(signal);
  errno = saved_errno;
}

void make_wake_pipe() {
  if (wake_pipe[0] >= 0 || ::pipe(wake_pipe) != 0) return;
  for (const int fd : wake_pipe) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
}

void ensure_alternate_stack() {
  stack_t current{};
  if (::sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0) return;
  stack_t ours{};
  ours.ss_sp = alternate_stack;
  ours.ss_size = sizeof alternate_stack;
  ::sigaltstack(&ours, nullptr);
}

void handle(int signal, void (*handler)(int), bool keep_if_ignored) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigfillset(&action.sa_mask);
  // No SA_RESTART: a blocked read or poll returns at once with EINTR.
  action.sa_flags = 0;
  struct sigaction previous {};
  ::sigaction(signal, nullptr, &previous);
  if (keep_if_ignored && previous.sa_handler == SIG_IGN) return;
  ::sigaction(signal, &action, nullptr);
}

void unblock(int signal) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

}  // namespace

void install() {
  make_wake_pipe();
  for (const int signal : kTerminationSignals) handle(signal, on_termination, true);
  handle(SIGTSTP, on_stop, true);
  handle(SIGCONT, on_resume, false);
  handle(SIGWINCH, on_resize, false);
  std::signal(SIGPIPE, SIG_IGN);

  ensure_alternate_stack();
  for (std::size_t i = 0; i < kCrashSignals.size(); ++i) {
    struct sigaction action {};
    action.sa_sigaction = on_crash;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    ::sigaction(kCrashSignals[i], &action, &previous_crash_actions[i]);
  }
}

int wake_fd() { return wake_pipe[0]; }

bool pending() { return noted_termination != 0 || noted_stop != 0 || noted_resume != 0 || noted_resize != 0; }

Noted take() {
  char drained[64];
  if (wake_pipe[0] >= 0) {
    while (::read(wake_pipe[0], drained, sizeof drained) > 0) {
    }
  }
  Noted noted;
  noted.terminate = noted_termination;
  noted.stop = noted_stop != 0;
  noted.resumed = noted_resume != 0;
  noted.resized = noted_resize != 0;
  noted_termination = 0;
  noted_stop = 0;
  noted_resume = 0;
  noted_resize = 0;
  return noted;
}

void forget_resume() { noted_resume = 0; }

void arm_emergency_restore(int tty_fd, const termios* saved, int out_fd, bool pop_title,
                           bool leave_alternate_screen) {
  emergency_armed = 0;
  emergency_tty_fd = tty_fd;
  emergency_has_termios = saved != nullptr;
  if (saved != nullptr) emergency_termios = *saved;
  emergency_out_fd = out_fd;
  emergency_pop_title = pop_title;
  emergency_leave_alternate_screen = leave_alternate_screen;
  emergency_armed = 1;
}

void disarm_emergency_restore() { emergency_armed = 0; }

void die_by(int signal) {
  std::signal(signal, SIG_DFL);
  unblock(signal);
  ::raise(signal);
  // Only reached if the signal could not end the process.
  std::_Exit(128 + signal);
}

void stop_until_continued() {
  std::signal(SIGTSTP, SIG_DFL);
  unblock(SIGTSTP);
  ::raise(SIGTSTP);
  handle(SIGTSTP, on_stop, false);
}

}  // namespace console::terminal_signals
