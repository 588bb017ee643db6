#include "pty_session.h"

#include <vterm.h>

#include <cstdint>

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

const VTermScreenCallbacks kScreenCallbacks = {
    nullptr, nullptr, nullptr, TerminalCallbacks::set_property, nullptr, nullptr, nullptr, nullptr,
};

// A terminal in a GBK locale reads GBK; in any other, UTF-8 as almost every
// terminal does.
bool is_utf8_terminal(const std::string& locale) {
  for (const char* gbk : {".GBK", ".gbk", ".GB2312", ".gb2312", ".GB18030", ".gb18030"}) {
    if (locale.find(gbk) != std::string::npos) return false;
  }
  return true;
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

PtySession::PtySession(const std::string& program, SessionOptions options)
    : terminal_(options.rows, options.columns) {
  modes_before_start_ = terminal_.modes();
  vterm_ = vterm_new(options.rows, options.columns);
  vterm_set_utf8(vterm_, is_utf8_terminal(options.locale) ? 1 : 0);
  vterm_output_set_callback(vterm_, TerminalCallbacks::forward_reply, this);
  VTermScreen* screen = vterm_obtain_screen(vterm_);
  vterm_screen_set_callbacks(screen, &kScreenCallbacks, this);
  vterm_screen_reset(screen, 1);
  terminal_.on_output([this](std::string_view bytes) { vterm_input_write(vterm_, bytes.data(), bytes.size()); });

  if (!options.typed_before_start.empty()) send(options.typed_before_start);
  if (options.prepare) options.prepare(working_directory_);
  const test_support::ProgramLaunch launch{program, test_support::terminal_environment(options.locale),
                                           working_directory_, options.input_from_terminal, options.arguments};
  terminal_.start(launch);
}

PtySession::~PtySession() { vterm_free(vterm_); }

void PtySession::send(std::string_view bytes) { terminal_.send(bytes); }

void PtySession::send_signal(int signal) { terminal_.send_signal(signal); }

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

std::string PtySession::row(int index) const {
  const VTermScreen* screen = vterm_obtain_screen(vterm_);
  int rows = 0;
  int columns = 0;
  vterm_get_size(vterm_, &rows, &columns);
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
  vterm_get_size(vterm_, &rows, &columns);
  std::string text;
  for (int index = 0; index < rows; ++index) text += row(index) + '\n';
  return text;
}

bool PtySession::screen_contains(std::string_view utf8) const {
  return screen_text().find(utf8) != std::string::npos;
}

Cursor PtySession::cursor() const {
  VTermPos position;
  vterm_state_get_cursorpos(vterm_obtain_state(vterm_), &position);
  return Cursor{position.row, position.col, cursor_visible_};
}

std::string PtySession::title() const { return title_; }

termios PtySession::current_modes() const { return terminal_.modes(); }

}  // namespace e2e
