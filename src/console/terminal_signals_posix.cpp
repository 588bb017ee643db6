#include "console/terminal_signals_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>


namespace console::terminal_signals {
namespace {

constexpr std::array<int, 4> kTerminationSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr std::array<int, 5> kCrashSignals = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// The other signals whose default action ends the process, as this system
// has them; the real-time signals are added at run time.
constexpr int kOtherEndingSignals[] = {
    SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGIO, SIGSYS, SIGTRAP, SIGXCPU,
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
#ifdef SIGLOST
    SIGLOST,
#endif
};

// The signals noted by the handlers and not yet taken by the program, one
// bit each. A handler adds its bit and the program takes them all in one
// exchange, so a signal that comes in between is kept for the next take.
enum NotedBit : unsigned {
  kInterruptBit = 1u << 0,
  kQuitBit = 1u << 1,
  kTerminateBit = 1u << 2,
  kHangUpBit = 1u << 3,
  kStopBit = 1u << 4,
  kResumeBit = 1u << 5,
  kResizeBit = 1u << 6,
};
std::atomic<unsigned> noted_signals{0};
static_assert(std::atomic<unsigned>::is_always_lock_free, "a signal handler may only touch a lock-free atomic");
int wake_pipe[2] = {-1, -1};

// The crash handler's copy of what giving the terminal back takes.
volatile std::sig_atomic_t emergency_armed = 0;
GiveBack emergency_give_back;

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

void note(unsigned bit) {
  noted_signals.fetch_or(bit);
  wake();
}

void on_termination(int signal) {
  switch (signal) {
    case SIGINT: note(kInterruptBit); break;
    case SIGQUIT: note(kQuitBit); break;
    case SIGTERM: note(kTerminateBit); break;
    default: note(kHangUpBit); break;
  }
}

void on_stop(int) { note(kStopBit); }

void on_resume(int) { note(kResumeBit); }

void on_resize(int) { note(kResizeBit); }

void restore_in_emergency() {
  if (emergency_armed == 0) return;
  emergency_armed = 0;
  emergency_give_back.run(false);
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

// The terminal as found, then the signal's own default action: the process
// ends by it as soon as the handler returns, where it is unblocked again.
void on_ending_signal(int signal) {
  restore_in_emergency();
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  ::sigaction(signal, &default_action, nullptr);
  ::raise(signal);
}

// A handler for `signal` unless it was given one already (a profiler's) or
// is ignored: the game only takes what would otherwise end it.
void handle_if_default(int signal, void (*handler)(int)) {
  struct sigaction found {};
  if (::sigaction(signal, nullptr, &found) != 0 || found.sa_handler != SIG_DFL) return;
  struct sigaction action {};
  action.sa_handler = handler;
  sigfillset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
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
  // A save past the file size limit (ulimit -f) then fails with EFBIG, is
  // told like a full disk, and leaves the old save whole.
  std::signal(SIGXFSZ, SIG_IGN);
  for (const int signal : kOtherEndingSignals) handle_if_default(signal, on_ending_signal);
#ifdef SIGRTMIN
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) handle_if_default(signal, on_ending_signal);
#endif

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

int Noted::ending_at_once() const {
  if (quit) return SIGQUIT;
  return interrupt ? SIGINT : 0;
}

bool pending() { return noted_signals.load() != 0; }

Noted take() {
  // The pipe first: a signal noted after the exchange wakes the next wait.
  char drained[64];
  if (wake_pipe[0] >= 0) {
    while (::read(wake_pipe[0], drained, sizeof drained) > 0) {
    }
  }
  const unsigned taken = noted_signals.exchange(0);
  Noted noted;
  noted.interrupt = (taken & kInterruptBit) != 0;
  noted.quit = (taken & kQuitBit) != 0;
  noted.terminate = (taken & kTerminateBit) != 0;
  noted.hang_up = (taken & kHangUpBit) != 0;
  noted.stop = (taken & kStopBit) != 0;
  noted.resumed = (taken & kResumeBit) != 0;
  noted.resized = (taken & kResizeBit) != 0;
  return noted;
}

void forget_resume() { noted_signals.fetch_and(~static_cast<unsigned>(kResumeBit)); }

void arm_emergency_restore(const GiveBack& give_back) {
  emergency_armed = 0;
  emergency_give_back = give_back;
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
