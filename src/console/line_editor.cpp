#include "console/line_editor.h"

#include <utility>

#include "base/key_codes.h"
#include "console/terminal_encoding.h"
#include "console/terminal_output.h"

namespace console {
namespace {

// A control character shows as ^ and the character 64 places on: ^A for 1.
constexpr char kControlShownAs = '^';
constexpr int kControlToLetter = 64;

bool ends_line(const KeyPress& key) { return key.is(base::kEnter) || key.is(base::kLineFeed); }

bool control_character(const KeyPress& key) { return key.size == 1 && key.codes[0] < 0x20; }

}  // namespace

LineEditor::LineEditor(KeyReader& keys) : keys_(keys) {}

LineEditor::LineEditor(KeyReader& keys, Echo echo, Column start_column)
    : keys_(keys), echo_(std::move(echo)), start_column_(std::move(start_column)) {}

std::optional<LineEditor::Line> LineEditor::read_line() {
  std::string text;
  typed_.clear();
  column_ = start_column_ ? start_column_() : 0;
  for (bool first = true;; first = false) {
    const std::optional<KeyPress> key = keys_.read_keypress();
    if (!key) {
      if (first) return std::nullopt;
      return Line{std::move(text), false};
    }
    if (ends_line(*key)) {
      if (echo_) echo_("\n");
      end_line_after(*key);
      return Line{std::move(text), true};
    }
    if (echo_) {
      edit(text, *key);
    } else if (key->kind == KeyPress::Kind::kCharacter) {
      // Piped input is taken as it comes: nothing to echo, nothing to edit.
      text += key->text();
    }
  }
}

void LineEditor::edit(std::string& text, const KeyPress& key) {
  if (key.is(base::kBackspace)) {
    erase_last_character(text);
  } else if (key.is(base::kCtrlU) || key.is(base::kEscape)) {
    erase_all(text);
  } else if (key.kind == KeyPress::Kind::kCharacter && key.size > 0) {
    add_character(text, key);
  }
  // Arrows, function keys and the other two-code keys edit nothing.
}

void LineEditor::end_line_after(const KeyPress& key) {
  // "\r\n" ends one line, not a line and an empty one.
  if (key.is(base::kEnter)) keys_.take_if_ready(base::kLineFeed);
}

void LineEditor::add_character(std::string& text, const KeyPress& key) {
  const std::string echo = shown(key);
  // A Tab's blanks and a control character's ^ and letter take a column
  // each, and are erased as one, like the columns of a Chinese character.
  const int columns = control_character(key) ? static_cast<int>(echo.size()) : character_columns(echo, terminal_encoding());
  text += key.text();
  typed_.push_back(Typed{key.size, static_cast<std::uint8_t>(columns)});
  column_ += columns;
  echo_(echo);
}

std::string LineEditor::shown(const KeyPress& key) const {
  if (key.is(base::kTab)) return std::string(static_cast<std::size_t>(kTabStopEvery - column_ % kTabStopEvery), ' ');
  if (control_character(key)) return {kControlShownAs, static_cast<char>(key.codes[0] + kControlToLetter)};
  return key.text();
}

void LineEditor::erase_last_character(std::string& text) {
  const std::string erasure = remove_last_character(text);
  if (!erasure.empty()) echo_(erasure);
}

void LineEditor::erase_all(std::string& text) {
  // One echo for the whole line, so the terminal never shows it half erased.
  std::string erasure;
  while (!typed_.empty()) erasure += remove_last_character(text);
  if (!erasure.empty()) echo_(erasure);
}

std::string LineEditor::remove_last_character(std::string& text) {
  if (typed_.empty()) return {};
  const Typed last = typed_.back();
  typed_.pop_back();
  text.resize(text.size() - last.size);
  column_ -= last.columns;
  const std::size_t columns = last.columns;
  const std::string back(columns, '\b');
  return back + std::string(columns, ' ') + back;
}

LineInputBuffer::int_type LineInputBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  const std::optional<LineEditor::Line> line = editor_.read_line();
  if (!line) return traits_type::eof();
  line_ = line->text;
  if (line->ended_by_newline) line_ += '\n';
  if (line_.empty()) return traits_type::eof();
  setg(line_.data(), line_.data(), line_.data() + line_.size());
  return traits_type::to_int_type(*gptr());
}

}  // namespace console
