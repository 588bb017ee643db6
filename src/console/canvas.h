#pragma once
// A picture of the screen as cells: what each character cell shows and in
// which colour, and where the cursor stands. A map frame is composed into a
// canvas as its whole stream would draw it, from the top-left corner on; the
// bytes are a rendering of the cells: the whole stream itself, or the
// difference from the canvas the screen already shows. Nothing ever reads
// escape sequences back.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/window_size.h"

namespace console {

// A colour as a cell shows it: packed 0xRRGGBB, or one of these.
using CellColour = std::int32_t;
// Whatever colour was in force when the frame began: a frame's first cells
// take it until the frame sets one.
inline constexpr CellColour kColourOfTheStart = -1;
// A colour nobody knows (the screen's, once a frame took it from a start
// that was unknown).
inline constexpr CellColour kUnknownColour = -2;

// All zeros is a cell nobody knows, so a canvas starts as a plain fill.
struct Cell {
  // kWide is the left column of a two-column character, kWideRight its right one.
  enum class Kind : std::uint8_t { kUnknown, kNarrow, kWide, kWideRight };
  Kind kind = Kind::kUnknown;
  // The whole stream sets the colour just before this cell.
  bool sets_colour = false;
  std::uint8_t length = 0;  // of the character's GBK bytes
  std::array<char, 4> bytes = {};
  CellColour colour = 0;

  bool known() const { return kind != Kind::kUnknown; }
  std::string_view glyph() const { return {bytes.data(), length}; }
  int width() const { return kind == Kind::kWide ? 2 : 1; }
  // Same character in the same colour, `colour` the one this cell shows in.
  bool looks_like(const Cell& other, CellColour colour_shown) const {
    return kind == other.kind && length == other.length && bytes == other.bytes && colour_shown == other.colour;
  }
};

class Canvas {
 public:
  // Nothing known yet, the cursor at the top-left corner.
  Canvas(int rows, int columns);

  int rows() const { return rows_; }
  int columns() const { return columns_; }
  const Cell& at(int row, int column) const { return cells_[index(row, column)]; }

  // Composing, at the cursor, as the whole stream writes: the next character
  // written takes `colour`, and so do those after it.
  void set_colour(CellColour colour);
  // GBK text; a line feed goes on at the start of the next row. Text that
  // would not fit the canvas (a character past the right edge, a row past
  // the bottom) makes it unfit for anything but the whole stream.
  void write(std::string_view gbk);
  // The rest of the cursor's row blank.
  void erase_rest_of_row();
  // Once everything is written, the cursor goes to this cell and shows
  // there, where a screen reader's review cursor lands; otherwise it stays
  // hidden where the writing ended.
  void leave_cursor_at(int row, int column);

  // The cursor where the writing left it; a column equal to columns() is
  // the last one written, the cursor waiting to go on to the next row.
  int cursor_row() const { return row_; }
  int cursor_column() const { return column_; }
  // The colour in force after the whole stream.
  CellColour end_colour() const { return colour_; }
  // Every row fits, and the difference from another canvas may be written.
  bool fits() const { return fits_; }

  // The cursor hidden and homed, then each row as far as it is known, with
  // the colours where they are set, a line feed between rows; then the
  // cursor left as leave_cursor_at() asked.
  std::string whole_stream() const;

  // The canvas of the screen once `drawn` is shown over this one: every
  // cell `drawn` knows, in the colours it shows them in, the rest as before.
  void show(const Canvas& drawn);

 private:
  friend class DifferenceWriter;
  friend std::optional<std::string> difference(const Canvas& front, const Canvas& back);

  std::size_t index(int row, int column) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column);
  }
  void put(std::string_view character);

  struct Spot {
    int row = 0;
    int column = 0;
  };

  int rows_;
  int columns_;
  std::vector<Cell> cells_;
  std::vector<bool> erased_rows_;  // the stream erases the rest of these rows
  // A colour the stream sets after a row's last character.
  std::vector<std::optional<CellColour>> colours_after_rows_;
  int row_ = 0;
  int column_ = 0;
  CellColour colour_ = kColourOfTheStart;
  bool colour_pending_ = false;
  bool fits_ = true;
  std::optional<Spot> cursor_left_;  // shown there
};

// The bytes that turn a terminal showing `front` (whose cursor and colour
// stand where its whole stream left them) into one showing `back`, the
// cursor (where it is and whether it shows) and the colour in force left
// where back's whole stream leaves them. Nothing when that can't be done
// exactly: another size, a canvas that doesn't fit, a colour nobody knows
// to be written.
std::optional<std::string> difference(const Canvas& front, const Canvas& back);

// The screen the map's frames are drawn on, and what it shows: the canvas of
// the last frame, for as long as nothing else has been written to the
// terminal (the output layer notes every write that is not a frame's, see
// platform.h), nor the screen cleared, the window resized or the terminal
// given back at Ctrl+Z. After any of those the next frame is written whole.
class FrameScreen {
 public:
  enum class Mode { kChanges, kEverything };
  // kEverything writes every frame whole, as a reference for the tests.
  explicit FrameScreen(Mode mode = Mode::kChanges) : mode_(mode) {}

  // Puts `back` on the screen, to std::cout, flushed: as what changed when
  // the screen is known and `window` is the canvas's size, else whole.
  // `clear_first`: the screen is cleared before a whole frame (a layout
  // gives way to another).
  void present(const Canvas& back, std::optional<WindowSize> window, bool clear_first = false);
  // What the screen shows is the last frame's, as far as it drew.
  bool known() const;
  // The next frame is written whole (Ctrl+L).
  void forget() { front_.reset(); }

 private:
  Mode mode_;
  std::optional<Canvas> front_;
  std::uint64_t changes_seen_ = 0;
};

}  // namespace console
