#pragma once
// Line input as the console gives it to std::cin: the line typed at the
// terminal is echoed and can be edited until Enter; from a pipe a line is what
// comes before "\n" (or "\r\n"). The keys come from the same KeyReader as the
// single key reads, so a line read never swallows keys meant for later.

#include <cstdint>
#include <functional>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "console/key_reader.h"

namespace console {

class LineEditor {
 public:
  // Shows GBK text at the cursor (the echo of what is typed, and erasures).
  using Echo = std::function<void(std::string_view gbk)>;
  // The screen column the cursor is in, counted from 0 at the left edge.
  using Column = std::function<int()>;

  struct Line {
    std::string text;          // GBK bytes, without the line's end
    bool ended_by_newline = false;  // false: input ended in the middle of the line
  };

  // Not interactive (input from a pipe or file): nothing is echoed or edited.
  explicit LineEditor(KeyReader& keys);
  // Interactive: typed keys are echoed through `echo`, each taking the columns
  // the terminal in use gives it; Backspace removes the last character,
  // Ctrl+U and Escape the whole line, as in the console. Tab and the other control
  // characters are kept in the line, as the console keeps them: a Tab is
  // shown as the blanks up to the next tab stop, counted from `start_column`
  // (where the cursor is when a line begins; the left edge if empty), another
  // control character as ^ and its letter.
  LineEditor(KeyReader& keys, Echo echo, Column start_column = {});

  // The next line; nothing when input had already ended.
  std::optional<Line> read_line();

 private:
  // Applies one typed key to the line being edited, echoing its effect.
  void edit(std::string& text, const KeyPress& key);
  void end_line_after(const KeyPress& key);
  void add_character(std::string& text, const KeyPress& key);
  // What the screen shows for a typed character at the cursor.
  std::string shown(const KeyPress& key) const;
  void erase_last_character(std::string& text);
  void erase_all(std::string& text);
  // Removes the last character and gives the echo that erases it on screen.
  std::string remove_last_character(std::string& text);

  // One character of the line being typed: its bytes and the columns its
  // echo took.
  struct Typed {
    std::uint8_t size = 0;
    std::uint8_t columns = 0;
  };

  KeyReader& keys_;
  Echo echo_;
  Column start_column_;
  std::vector<Typed> typed_;
  int column_ = 0;  // of the cursor, behind the line's echo
};

// std::cin's buffer: one line at a time from the editor, so `cin >> word`
// leaves the rest of the line (its end included) for the next read, as the
// console's line input does.
class LineInputBuffer : public std::streambuf {
 public:
  explicit LineInputBuffer(LineEditor& editor) : editor_(editor) {}

 protected:
  int_type underflow() override;

 private:
  LineEditor& editor_;
  std::string line_;
};

}  // namespace console
