#include "support/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace test_support {
namespace {

using Clock = std::chrono::steady_clock;
// How long an ended child's last bytes may take to cross the terminal.
constexpr Timeout kSettleTime{50};
constexpr Timeout kReadStep{20};

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

void set_close_on_exec(int fd) { fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC); }

winsize window_of(int rows, int columns) {
  winsize size{};
  size.ws_row = static_cast<unsigned short>(rows);
  size.ws_col = static_cast<unsigned short>(columns);
  return size;
}

// In the child, after fork: only system calls from here on. The terminal
// becomes the controlling terminal of a new session and the standard streams;
// standard input is `input`, or closed if that is -1.
void take_terminal(int master, int slave, int input) {
  setsid();
  ioctl(slave, TIOCSCTTY, 0);
  if (input >= 0) {
    dup2(input, STDIN_FILENO);
  } else {
    close(STDIN_FILENO);
  }
  dup2(slave, STDOUT_FILENO);
  dup2(slave, STDERR_FILENO);
  close(master);
  if (slave != input) close(slave);
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const ExitStatus& status) {
  switch (status.kind) {
    case ExitStatus::Kind::kStillRunning:
      return out << "still running";
    case ExitStatus::Kind::kExited:
      return out << "exit code " << status.value;
    case ExitStatus::Kind::kSignaled:
      return out << "killed by signal " << status.value << " (" << strsignal(status.value) << ")";
  }
  return out;
}

std::vector<std::string> terminal_environment(const std::string& locale) {
  std::vector<std::string> variables;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string_view text(*variable);
    const std::string_view name = text.substr(0, text.find('='));
    if (name == "TERM" || name == "LANG" || name == "LANGUAGE" || name.starts_with("LC_") || name == "COLUMNS" ||
        name == "LINES" || name == "COLORTERM" || name == "NO_COLOR" || name.starts_with("LANTERNVALE_"))
      continue;
    variables.emplace_back(text);
  }
  variables.push_back("TERM=xterm-256color");
  variables.push_back("COLORTERM=truecolor");
  variables.push_back("LANG=" + locale);
  variables.push_back("LC_ALL=" + locale);
  return variables;
}

PseudoTerminal::PseudoTerminal(int rows, int columns) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) fail("posix_openpt");
  set_close_on_exec(master_);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) fail("open the terminal");
  resize(rows, columns);
}

PseudoTerminal::~PseudoTerminal() {
  if (pid_ > 0 && status().kind == ExitStatus::Kind::kStillRunning) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0) close(master_);
  if (slave_ >= 0) close(slave_);
}

void PseudoTerminal::start(const ProgramLaunch& launch) {
  // Everything the child needs is prepared before fork.
  std::vector<std::string> environment = launch.environment;
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::vector<std::string> arguments = launch.arguments;
  arguments.insert(arguments.begin(), launch.program);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const char* directory = launch.working_directory.empty() ? nullptr : launch.working_directory.c_str();
  const StandardInput input = launch.input;

  start_child([&] {
    switch (input) {
      case StandardInput::kTerminal: take_terminal(master_, slave_, slave_); break;
      case StandardInput::kAtItsEnd: take_terminal(master_, slave_, open("/dev/null", O_RDONLY)); break;
      case StandardInput::kClosed: take_terminal(master_, slave_, -1); break;
    }
    if (directory != nullptr && chdir(directory) != 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  });
}

void PseudoTerminal::start(const std::function<int()>& body) {
  start_child([&] {
    take_terminal(master_, slave_, slave_);
    _exit(body());
  });
}

void PseudoTerminal::start_child(const std::function<void()>& in_child) {
  // Output still buffered here would otherwise be written twice.
  std::fflush(nullptr);
  pid_ = fork();
  if (pid_ < 0) fail("fork");
  if (pid_ == 0) in_child();
}

void PseudoTerminal::send(std::string_view bytes) {
  while (!bytes.empty() && master_ >= 0) {
    const ssize_t written = write(master_, bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(static_cast<size_t>(written));
    } else if (written < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd writable{master_, POLLOUT, 0};
      poll(&writable, 1, 10);
    } else {
      return;
    }
  }
}

void PseudoTerminal::send_signal(int signal) {
  if (pid_ > 0 && status().kind == ExitStatus::Kind::kStillRunning) kill(pid_, signal);
}

void PseudoTerminal::send_signals_together(const std::vector<int>& signals) {
  if (pid_ <= 0 || status().kind != ExitStatus::Kind::kStillRunning) return;
  kill(pid_, SIGSTOP);
  int raw_status = 0;
  if (waitpid(pid_, &raw_status, WUNTRACED) != pid_) return;
  if (!WIFSTOPPED(raw_status)) {
    note_status(raw_status);
    return;
  }
  for (const int signal : signals) kill(pid_, signal);
  kill(pid_, SIGCONT);
}

void PseudoTerminal::resize(int rows, int columns) {
  const winsize size = window_of(rows, columns);
  if (ioctl(slave_, TIOCSWINSZ, &size) != 0) fail("TIOCSWINSZ");
}

void PseudoTerminal::hang_up() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}

bool PseudoTerminal::read(Timeout wait) {
  if (master_ < 0) {
    std::this_thread::sleep_for(wait);
    return false;
  }
  pollfd readable{master_, POLLIN, 0};
  if (poll(&readable, 1, static_cast<int>(wait.count())) <= 0) return false;
  bool got_any = false;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) break;
    got_any = true;
    const std::string_view piece(buffer, static_cast<size_t>(n));
    output_ += piece;
    if (listener_) listener_(piece);
  }
  return got_any;
}

bool PseudoTerminal::wait_until(const std::function<bool()>& condition, Timeout timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!condition()) {
    if (Clock::now() >= deadline) return false;
    const bool got_output = read(kReadStep);
    // An ended child writes nothing more: what came is all there is.
    if (!got_output && status().kind != ExitStatus::Kind::kStillRunning && !read(kSettleTime)) return condition();
  }
  return true;
}

bool PseudoTerminal::wait_for_output(std::string_view text, std::size_t from, Timeout timeout) {
  return wait_until([&] { return output_.find(text, from) != std::string::npos; }, timeout);
}

ExitStatus PseudoTerminal::status() {
  if (pid_ <= 0 || status_.kind != ExitStatus::Kind::kStillRunning) return status_;
  int raw_status = 0;
  if (waitpid(pid_, &raw_status, WNOHANG) == pid_) note_status(raw_status);
  return status_;
}

void PseudoTerminal::note_status(int raw_status) {
  if (WIFEXITED(raw_status)) status_ = {ExitStatus::Kind::kExited, WEXITSTATUS(raw_status)};
  if (WIFSIGNALED(raw_status)) status_ = {ExitStatus::Kind::kSignaled, WTERMSIG(raw_status)};
}

ExitStatus PseudoTerminal::wait_for_exit(Timeout timeout) {
  const auto deadline = Clock::now() + timeout;
  while (status().kind == ExitStatus::Kind::kStillRunning && Clock::now() < deadline) {
    // Reading keeps the child from blocking on a full terminal buffer.
    read(kReadStep);
  }
  // The terminal hands written bytes over to this side a moment later: what
  // the child wrote just before it ended may not be readable yet. A child
  // still running may write for ever: then the timeout is the end.
  if (status_.kind == ExitStatus::Kind::kStillRunning) return status_;
  while (read(kSettleTime)) {
  }
  return status_;
}

termios PseudoTerminal::modes() const {
  termios modes{};
  tcgetattr(slave_, &modes);
  return modes;
}

bool same_modes(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
         std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 && cfgetispeed(&a) == cfgetispeed(&b) &&
         cfgetospeed(&a) == cfgetospeed(&b);
}

std::string describe_modes(const termios& modes) {
  std::ostringstream text;
  text << std::hex << "iflag=" << modes.c_iflag << " oflag=" << modes.c_oflag << " cflag=" << modes.c_cflag
       << " lflag=" << modes.c_lflag << " cc=";
  for (const cc_t c : modes.c_cc) text << static_cast<int>(c) << ',';
  return text.str();
}

}  // namespace test_support
