#pragma once
// A picture of the terminal's screen, made by reading what the game writes to
// it as the terminal would: the character and colours of every cell, the
// cursor, and the colours in force. The frame loop keeps the picture of what
// it last put on the screen, so that the next frame can be written as the
// difference (screen_update.h).
//
// The picture follows what frames are made of: GBK text (a two-byte character
// takes two columns), line feeds that begin the next line, carriage returns,
// the cursor's position and visibility, graphic renditions (colours), and
// erasing in the screen and in the line. Whatever else it meets, or a line
// feed that would scroll the screen, leaves it unsure, and an unsure picture
// is never used to leave anything out.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace console {

// A colour as a graphic rendition sets it. kUnknown is the colour the
// terminal had when the picture began, which the picture cannot know; two
// unknown colours are the same only if they come from the same beginning.
struct Colour {
  enum class Kind : std::uint8_t { kUnknown, kDefault, kBasic, kIndexed, kRgb };
  Kind kind = Kind::kUnknown;
  // kBasic 0..15 (8..15 the bright ones), kIndexed 0..255, kRgb 0xRRGGBB;
  // kUnknown: the picture's beginning.
  std::uint32_t value = 0;
  bool operator==(const Colour&) const = default;
};

// The rendition a character is written in.
struct Attribute {
  Colour foreground;
  Colour background;
  // Bit n: rendition n (1 bold, 4 underline, 7 reverse ...) is on.
  std::uint16_t flags = 0;
  // Not 0: the flags are those the terminal had when the picture began.
  std::uint32_t flags_unknown_since = 0;
  bool operator==(const Attribute&) const = default;

  // Default colours, no flags: what a reset gives.
  static Attribute plain();
  bool known() const;
};

struct Cell {
  // kWide is the left column of a two-column character, kWideRight its right one.
  enum class Kind : std::uint8_t { kUnknown, kNarrow, kWide, kWideRight };
  Kind kind = Kind::kUnknown;
  std::array<char, 2> glyph = {' ', ' '};  // a narrow character is glyph[0]
  Attribute attribute;

  bool known() const { return kind != Kind::kUnknown; }
  // A blank without flags, whose foreground colour nobody can see.
  bool plain_blank() const;
  int width() const { return kind == Kind::kWide ? 2 : 1; }
};

// Whether the two cells look the same: same character, same colours, except
// for the foreground of a plain blank. A cell not known looks like nothing.
bool looks_the_same(const Cell& a, const Cell& b);

class ScreenModel {
 public:
  // A screen of that size of which nothing is known yet. `beginning` tells
  // this picture's unknown colours from those of other pictures.
  ScreenModel(int rows, int columns, std::uint32_t beginning);

  int rows() const { return rows_; }
  int columns() const { return columns_; }
  const Cell& cell(int row, int column) const { return cells_[index(row, column)]; }

  // Reads `bytes` as the terminal would. False, and unsure from then on,
  // when they hold something the picture does not follow.
  bool read(std::string_view bytes);
  bool sure() const { return sure_; }

  bool cursor_known() const { return cursor_known_; }
  int row() const { return row_; }
  int column() const { return column_; }
  // The last column was written: the next character goes on the next line.
  bool wrap_pending() const { return wrap_pending_; }
  const Attribute& attribute() const { return attribute_; }
  std::optional<bool> cursor_hidden() const { return cursor_hidden_; }

 private:
  std::size_t index(int row, int column) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column);
  }
  Cell& at(int row, int column) { return cells_[index(row, column)]; }
  bool read_control_sequence(std::string_view bytes, std::size_t& at);
  bool apply_rendition(std::string_view parameters);
  bool put(std::array<char, 2> glyph, int width);
  void break_wide_characters_under(int column, int width);
  bool new_line();
  void erase(int row, int from_column);

  int rows_;
  int columns_;
  std::vector<Cell> cells_;
  bool sure_ = true;
  bool cursor_known_ = false;
  int row_ = 0;
  int column_ = 0;
  bool wrap_pending_ = false;
  Attribute attribute_;
  std::optional<bool> cursor_hidden_;
};

}  // namespace console
