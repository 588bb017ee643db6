#include "console/line_editor.h"

#include <utility>

#include "base/key_codes.h"
#include "console/terminal_encoding.h"

namespace console {
namespace {

bool ends_line(const KeyPress& key) { return key.is(base::kEnter) || key.is(base::kLineFeed); }

int gbk_terminal_columns(std::string_view gbk_character) {
  return character_columns(gbk_character, TerminalEncoding::kGbk);
}

bool printable(const KeyPress& key) {
  return key.kind == KeyPress::Kind::kCharacter && key.size > 0 && key.codes[0] >= 0x20 && key.codes[0] != 0x7f;
}

}  // namespace

LineEditor::LineEditor(KeyReader& keys) : keys_(keys) {}

LineEditor::LineEditor(KeyReader& keys, Echo echo, Width width)
    : keys_(keys), echo_(std::move(echo)), width_(width ? std::move(width) : Width(gbk_terminal_columns)) {}

std::optional<LineEditor::Line> LineEditor::read_line() {
  std::string text;
  character_sizes_.clear();
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
  } else if (printable(key)) {
    add_character(text, key);
    echo_(key.text());
  }
  // Arrows, function keys and other control codes edit nothing.
}

void LineEditor::end_line_after(const KeyPress& key) {
  // "\r\n" ends one line, not a line and an empty one.
  if (key.is(base::kEnter)) keys_.take_if_ready(base::kLineFeed);
}

void LineEditor::add_character(std::string& text, const KeyPress& key) {
  text += key.text();
  character_sizes_.push_back(key.size);
}

void LineEditor::erase_last_character(std::string& text) {
  const std::string erasure = remove_last_character(text);
  if (!erasure.empty()) echo_(erasure);
}

void LineEditor::erase_all(std::string& text) {
  // One echo for the whole line, so the terminal never shows it half erased.
  std::string erasure;
  while (!character_sizes_.empty()) erasure += remove_last_character(text);
  if (!erasure.empty()) echo_(erasure);
}

std::string LineEditor::remove_last_character(std::string& text) {
  if (character_sizes_.empty()) return {};
  const std::size_t size = character_sizes_.back();
  character_sizes_.pop_back();
  const auto columns = static_cast<std::size_t>(width_(std::string_view(text).substr(text.size() - size)));
  text.resize(text.size() - size);
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
