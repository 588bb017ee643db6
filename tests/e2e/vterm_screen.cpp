#include "vterm_screen.h"

#include <vterm.h>

#include <cstdint>
#include <cstdio>

namespace e2e {

struct ScreenCallbacks {
  static void forward_reply(const char* bytes, size_t length, void* user) {
    auto* screen = static_cast<VtermScreen*>(user);
    if (screen->reply_) screen->reply_(std::string_view(bytes, length));
  }

  static int set_property(VTermProp property, VTermValue* value, void* user) {
    auto* screen = static_cast<VtermScreen*>(user);
    if (property == VTERM_PROP_CURSORVISIBLE) screen->cursor_visible_ = value->boolean != 0;
    if (property == VTERM_PROP_TITLE && value->string != nullptr) screen->title_ = value->string;
    return 1;
  }
};

namespace {

const VTermScreenCallbacks kScreenCallbacks = {
    nullptr, nullptr, nullptr, ScreenCallbacks::set_property, nullptr, nullptr, nullptr, nullptr,
};

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

std::string rgb_text(const VTermScreen* screen, VTermColor colour) {
  vterm_screen_convert_color_to_rgb(screen, &colour);
  char text[16];
  std::snprintf(text, sizeof text, "%02x%02x%02x", colour.rgb.red, colour.rgb.green, colour.rgb.blue);
  return text;
}

}  // namespace

VtermScreen::VtermScreen(int rows, int columns, bool utf8) : vterm_(vterm_new(rows, columns)) {
  vterm_set_utf8(vterm_, utf8 ? 1 : 0);
  vterm_output_set_callback(vterm_, ScreenCallbacks::forward_reply, this);
  VTermScreen* screen = vterm_obtain_screen(vterm_);
  vterm_screen_set_callbacks(screen, &kScreenCallbacks, this);
  vterm_screen_enable_altscreen(screen, 1);
  vterm_screen_reset(screen, 1);
}

VtermScreen::~VtermScreen() { vterm_free(vterm_); }

void VtermScreen::write(std::string_view bytes) { vterm_input_write(vterm_, bytes.data(), bytes.size()); }

void VtermScreen::resize(int rows, int columns) { vterm_set_size(vterm_, rows, columns); }

std::string VtermScreen::row(int index) const {
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

std::vector<std::string> VtermScreen::rows(int first, int count) const {
  std::vector<std::string> result;
  for (int index = first; index < first + count; ++index) result.push_back(row(index));
  return result;
}

std::string VtermScreen::screen_text() const {
  int rows = 0;
  int columns = 0;
  vterm_get_size(vterm_, &rows, &columns);
  std::string text;
  for (int index = 0; index < rows; ++index) text += row(index) + '\n';
  return text;
}

Cursor VtermScreen::cursor() const {
  VTermPos position;
  vterm_state_get_cursorpos(vterm_obtain_state(vterm_), &position);
  return Cursor{position.row, position.col, cursor_visible_};
}

std::vector<std::string> VtermScreen::cells_with_colours() const {
  const VTermScreen* screen = vterm_obtain_screen(vterm_);
  int rows = 0;
  int columns = 0;
  vterm_get_size(vterm_, &rows, &columns);
  std::vector<std::string> described;
  VTermScreenCell cell;
  for (int index = 0; index < rows; ++index) {
    std::string text;
    for (int column = 0; column < columns; ++column) {
      vterm_screen_get_cell(screen, VTermPos{index, column}, &cell);
      const bool blank = cell.chars[0] == 0 || cell.chars[0] == ' ';
      const bool shows_foreground = !blank || cell.attrs.underline != 0 || cell.attrs.reverse != 0 ||
                                    cell.attrs.strike != 0;
      text += blank ? std::string(" ") : std::string();
      for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && cell.chars[i] != 0 && !blank; ++i) {
        append_utf8(text, cell.chars[i]);
      }
      text += shows_foreground ? rgb_text(screen, cell.fg) : std::string("------");
      text += '/' + rgb_text(screen, cell.bg) + (cell.attrs.bold != 0 ? "b" : "") + ' ';
    }
    described.push_back(text);
  }
  return described;
}

std::string VtermScreen::attributes(int row, int column) const {
  VTermScreenCell cell;
  vterm_screen_get_cell(vterm_obtain_screen(vterm_), VTermPos{row, column}, &cell);
  std::string letters;
  if (cell.attrs.bold != 0) letters += 'b';
  if (cell.attrs.underline != 0) letters += 'u';
  if (cell.attrs.reverse != 0) letters += 'r';
  return letters;
}

}  // namespace e2e
