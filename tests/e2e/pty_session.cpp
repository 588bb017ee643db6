#include "pty_session.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace e2e {

struct TerminalCallbacks {
  // The terminal answers some queries (cursor position, device attributes)
  // by typing into the program's input, as a real one does.
  static void forward_reply(const char* bytes, size_t length, void* user) {
    static_cast<PtySession*>(user)->send(std::string_view(bytes, length));
  }

  static int set_property(VTermProp property, VTermValue* value, void* user) {
    auto* session = static_cast<PtySession*>(user);
    if (property == VTERM_PROP_CURSORVISIBLE) session->cursor_visible_ = value->boolean != 0;
    if (property == VTERM_PROP_TITLE && value->string != nullptr) session->title_ = value->string;
    return 1;
  }
};

namespace {

using Clock = std::chrono::steady_clock;
// How long an ended program's last bytes may take to cross the terminal.
constexpr Timeout kSettleTime{50};

const VTermScreenCallbacks kScreenCallbacks = {
    nullptr, nullptr, nullptr, TerminalCallbacks::set_property, nullptr, nullptr, nullptr, nullptr,
};

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

void set_close_on_exec(int fd) { fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC); }

std::string make_temporary_directory() {
  std::string path = (std::filesystem::temp_directory_path() / "lanternvale-e2e-XXXXXX").string();
  if (mkdtemp(path.data()) == nullptr) fail("mkdtemp");
  return path;
}

bool is_utf8_locale(const std::string& locale) {
  return locale.find("UTF-8") != std::string::npos || locale.find("utf8") != std::string::npos;
}

// The test's environment with the terminal type and locale of the session.
std::vector<std::string> program_environment(const SessionOptions& options) {
  std::vector<std::string> variables;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string_view text(*variable);
    const std::string_view name = text.substr(0, text.find('='));
    if (name == "TERM" || name == "LANG" || name == "LANGUAGE" || name.starts_with("LC_") || name == "COLUMNS" ||
        name == "LINES")
      continue;
    variables.emplace_back(text);
  }
  variables.push_back("TERM=xterm-256color");
  variables.push_back("LANG=" + options.locale);
  variables.push_back("LC_ALL=" + options.locale);
  return variables;
}

void append_utf8(std::string& out, uint32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
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

PtySession::PtySession(const std::string& program, SessionOptions options) {
  working_directory_ = make_temporary_directory();
  winsize size{};
  size.ws_row = static_cast<unsigned short>(options.rows);
  size.ws_col = static_cast<unsigned short>(options.columns);
  if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) fail("openpty");
  set_close_on_exec(master_);
  set_close_on_exec(slave_);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  tcgetattr(slave_, &modes_before_start_);

  terminal_ = vterm_new(options.rows, options.columns);
  vterm_set_utf8(terminal_, is_utf8_locale(options.locale) ? 1 : 0);
  vterm_output_set_callback(terminal_, TerminalCallbacks::forward_reply, this);
  VTermScreen* screen = vterm_obtain_screen(terminal_);
  vterm_screen_set_callbacks(screen, &kScreenCallbacks, this);
  vterm_screen_reset(screen, 1);

  if (!options.typed_before_start.empty()) send(options.typed_before_start);
  if (options.prepare) options.prepare(working_directory_);
  start_program(program, options);
}

void PtySession::start_program(const std::string& program, const SessionOptions& options) {
  // Everything the child needs is prepared before fork: after it, the child
  // only makes system calls.
  std::vector<std::string> environment = program_environment(options);
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::string program_copy = program;
  char* argv[] = {program_copy.data(), nullptr};
  const bool input_from_terminal = options.input_from_terminal;

  pid_ = fork();
  if (pid_ < 0) fail("fork");
  if (pid_ == 0) {
    setsid();
    ioctl(slave_, TIOCSCTTY, 0);
    int input = slave_;
    if (!input_from_terminal) input = open("/dev/null", O_RDONLY);
    dup2(input, STDIN_FILENO);
    dup2(slave_, STDOUT_FILENO);
    dup2(slave_, STDERR_FILENO);
    if (chdir(working_directory_.c_str()) != 0) _exit(126);
    execve(argv[0], argv, envp.data());
    _exit(127);
  }
}

PtySession::~PtySession() {
  if (pid_ > 0 && status_.kind == ExitStatus::Kind::kStillRunning) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0) close(master_);
  if (slave_ >= 0) close(slave_);
  if (terminal_ != nullptr) vterm_free(terminal_);
  std::error_code ignored;
  std::filesystem::remove_all(working_directory_, ignored);
}

void PtySession::send(std::string_view bytes) {
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

void PtySession::send_signal(int signal) {
  if (pid_ > 0 && status_.kind == ExitStatus::Kind::kStillRunning) kill(pid_, signal);
}

void PtySession::hang_up() {
  // The kernel hangs the terminal up when its last master is closed, even
  // though this side still holds the slave.
  if (master_ >= 0) close(master_);
  master_ = -1;
}

bool PtySession::pump(Timeout wait) {
  if (master_ < 0) {
    std::this_thread::sleep_for(wait);
    return false;
  }
  pollfd readable{master_, POLLIN, 0};
  if (poll(&readable, 1, static_cast<int>(wait.count())) <= 0) return false;
  bool got_any = false;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) break;
    got_any = true;
    raw_output_.append(buffer, static_cast<size_t>(n));
    vterm_input_write(terminal_, buffer, static_cast<size_t>(n));
  }
  return got_any;
}

void PtySession::check_exit() {
  if (pid_ <= 0 || status_.kind != ExitStatus::Kind::kStillRunning) return;
  int raw_status = 0;
  if (waitpid(pid_, &raw_status, WNOHANG) != pid_) return;
  if (WIFEXITED(raw_status)) status_ = {ExitStatus::Kind::kExited, WEXITSTATUS(raw_status)};
  if (WIFSIGNALED(raw_status)) status_ = {ExitStatus::Kind::kSignaled, WTERMSIG(raw_status)};
}

bool PtySession::wait_until(const std::function<bool()>& condition, Timeout timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!condition()) {
    if (Clock::now() >= deadline) return false;
    const bool got_output = pump(Timeout{20});
    check_exit();
    // An ended program writes nothing more: what is on screen stays.
    if (!got_output && status_.kind != ExitStatus::Kind::kStillRunning && !pump(kSettleTime)) return condition();
  }
  return true;
}

bool PtySession::wait_for_text(std::string_view utf8, Timeout timeout) {
  return wait_until([&] { return screen_contains(utf8); }, timeout);
}

bool PtySession::wait_for_raw(std::string_view bytes, Timeout timeout) {
  return wait_until([&] { return raw_output_.find(bytes) != std::string::npos; }, timeout);
}

ExitStatus PtySession::wait_for_exit(Timeout timeout) {
  const auto deadline = Clock::now() + timeout;
  check_exit();
  while (status_.kind == ExitStatus::Kind::kStillRunning && Clock::now() < deadline) {
    // Reading keeps the program from blocking on a full terminal buffer.
    pump(Timeout{20});
    check_exit();
  }
  // The terminal hands written bytes over to this side a moment later: what
  // the program wrote just before it ended may not be readable yet.
  while (pump(kSettleTime)) {
  }
  return status_;
}

std::string PtySession::row(int index) const {
  const VTermScreen* screen = vterm_obtain_screen(terminal_);
  int rows = 0;
  int columns = 0;
  vterm_get_size(terminal_, &rows, &columns);
  std::string text;
  VTermScreenCell cell;
  for (int column = 0; column < columns;) {
    vterm_screen_get_cell(screen, VTermPos{index, column}, &cell);
    if (cell.chars[0] == 0) text += ' ';
    for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && cell.chars[i] != 0; ++i) append_utf8(text, cell.chars[i]);
    column += cell.width > 0 ? cell.width : 1;
  }
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::vector<std::string> PtySession::rows(int first, int count) const {
  std::vector<std::string> result;
  for (int index = first; index < first + count; ++index) result.push_back(row(index));
  return result;
}

std::string PtySession::screen_text() const {
  int rows = 0;
  int columns = 0;
  vterm_get_size(terminal_, &rows, &columns);
  std::string text;
  for (int index = 0; index < rows; ++index) text += row(index) + '\n';
  return text;
}

bool PtySession::screen_contains(std::string_view utf8) const {
  return screen_text().find(utf8) != std::string::npos;
}

Cursor PtySession::cursor() const {
  VTermPos position;
  vterm_state_get_cursorpos(vterm_obtain_state(terminal_), &position);
  return Cursor{position.row, position.col, cursor_visible_};
}

std::string PtySession::title() const { return title_; }

termios PtySession::current_modes() const {
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

}  // namespace e2e
