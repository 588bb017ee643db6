#include "pty_session.h"

#include <chrono>
#include <thread>

namespace e2e {
namespace {

// A terminal in a GBK locale reads GBK; in any other, UTF-8 as almost every
// terminal does.
bool is_utf8_terminal(const std::string& locale) {
  for (const char* gbk : {".GBK", ".gbk", ".GB2312", ".gb2312", ".GB18030", ".gb18030"}) {
    if (locale.find(gbk) != std::string::npos) return false;
  }
  return true;
}

}  // namespace

PtySession::PtySession(const std::string& program, SessionOptions options)
    : terminal_(options.rows, options.columns),
      screen_(options.rows, options.columns, is_utf8_terminal(options.locale)) {
  modes_before_start_ = terminal_.modes();
  // The terminal answers some queries by typing into the program's input, as a real one does.
  screen_.on_reply([this](std::string_view bytes) { send(bytes); });
  screen_.write(options.screen_before_start);
  terminal_.on_output([this](std::string_view bytes) { screen_.write(bytes); });

  if (!options.typed_before_start.empty()) send(options.typed_before_start);
  if (options.prepare) options.prepare(working_directory_);
  const test_support::ProgramLaunch launch{program, test_support::terminal_environment(options.locale),
                                           working_directory_, options.input, options.arguments};
  terminal_.start(launch);
}

PtySession::~PtySession() = default;

void PtySession::send(std::string_view bytes) { terminal_.send(bytes); }

void PtySession::send_signal(int signal) { terminal_.send_signal(signal); }

void PtySession::send_signals_together(const std::vector<int>& signals) { terminal_.send_signals_together(signals); }

void PtySession::hang_up() { terminal_.hang_up(); }

bool PtySession::wait_until(const std::function<bool()>& condition, Timeout timeout) {
  return terminal_.wait_until(condition, timeout);
}

bool PtySession::wait_for_text(std::string_view utf8, Timeout timeout) {
  return wait_until([&] { return screen_contains(utf8); }, timeout);
}

bool PtySession::wait_for_raw(std::string_view bytes, Timeout timeout) {
  return terminal_.wait_for_output(bytes, 0, timeout);
}

ExitStatus PtySession::wait_for_exit(Timeout timeout) { return terminal_.wait_for_exit(timeout); }

ExitStatus PtySession::wait_for_exit_unread(Timeout timeout) {
  const auto give_up = std::chrono::steady_clock::now() + timeout;
  while (terminal_.status().kind == ExitStatus::Kind::kStillRunning && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return terminal_.wait_for_exit(timeout);
}

bool PtySession::screen_contains(std::string_view utf8) const {
  return screen_text().find(utf8) != std::string::npos;
}

termios PtySession::current_modes() const { return terminal_.modes(); }

}  // namespace e2e
