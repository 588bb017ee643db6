#include "console/canvas.h"

#include <algorithm>
#include <iostream>

#include "base/text_encoding.h"
#include "console/colour_mode.h"
#include "console/escape_output.h"
#include "console/escape_sequences.h"
#include "console/platform.h"
#include "console/terminal_encoding.h"

namespace console {
namespace {

// Rewriting more cells than this to move the cursor never beats a move.
constexpr int kLongestRewrite = 8;

std::string cursor_position(int row, int column) {
  std::string out(kCsi);
  if (row != 0 || column != 0) out += std::to_string(row + 1);
  if (column != 0) {
    out += ';';
    out += std::to_string(column + 1);
  }
  out += kCursorPositionEnd;
  return out;
}

std::string cursor_forward(int columns) {
  std::string out(kCsi);
  if (columns > 1) out += std::to_string(columns);
  out += kCursorForwardEnd;
  return out;
}

// The colour a cell of `drawn` shows in, over a screen whose colour in force
// was `start` when it was drawn.
CellColour shown_colour(CellColour colour, CellColour start) {
  if (colour != kColourOfTheStart) return colour;
  return start == kColourOfTheStart ? kUnknownColour : start;
}

// The sequence that sets `colour` in the colour mode in force. A frame sets
// the same few colours hundreds of times: each is made once.
const std::string& colour_sequence_of(CellColour colour) {
  struct Made {
    CellColour colour;
    ColourMode mode;
    std::string sequence;
  };
  static std::vector<Made> made;
  const ColourMode mode = colour_mode();
  for (const Made& one : made) {
    if (one.colour == colour && one.mode == mode) return one.sequence;
  }
  constexpr std::size_t kLongestKept = 64;
  if (made.size() >= kLongestKept) made.clear();
  made.push_back({colour, mode, color_sequence(colour)});
  return made.back().sequence;
}

}  // namespace

Canvas::Canvas(int rows, int columns)
    : rows_(std::max(rows, 1)),
      columns_(std::max(columns, 1)),
      cells_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_)),
      erased_rows_(static_cast<std::size_t>(rows_)),
      colours_after_rows_(static_cast<std::size_t>(rows_)) {}

void Canvas::set_colour(CellColour colour) {
  colour_ = colour;
  colour_pending_ = true;
}

void Canvas::write(std::string_view gbk) {
  for (std::size_t at = 0; at < gbk.size();) {
    if (static_cast<unsigned char>(gbk[at]) < 0x80 && gbk[at] != '\n') {
      put(gbk.substr(at, 1));
      ++at;
      continue;
    }
    if (gbk[at] == '\n') {
      if (colour_pending_ && row_ < rows_) colours_after_rows_[static_cast<std::size_t>(row_)] = colour_;
      colour_pending_ = false;
      ++row_;
      column_ = 0;
      if (row_ >= rows_) fits_ = false;
      ++at;
      continue;
    }
    std::size_t length = base::gbk_character_length(gbk, at);
    if (length == 0) length = gbk.size() - at;  // cut short: the bytes as they are
    put(gbk.substr(at, length));
    at += length;
  }
}

void Canvas::put(std::string_view character) {
  const int width = character.size() == 1 ? 1 : character_columns(character, terminal_encoding());
  if (row_ >= rows_ || column_ + width > columns_ || character.size() > Cell{}.bytes.size()) {
    fits_ = false;
    return;
  }
  Cell& cell = cells_[index(row_, column_)];
  cell.kind = width == 2 ? Cell::Kind::kWide : Cell::Kind::kNarrow;
  cell.sets_colour = colour_pending_;
  cell.length = static_cast<std::uint8_t>(character.size());
  cell.bytes = {};
  std::copy(character.begin(), character.end(), cell.bytes.begin());
  cell.colour = colour_;
  if (width == 2) {
    Cell& right = cells_[index(row_, column_ + 1)];
    right = cell;
    right.kind = Cell::Kind::kWideRight;
    right.sets_colour = false;
  }
  colour_pending_ = false;
  column_ += width;
}

void Canvas::erase_rest_of_row() {
  if (row_ < rows_) erased_rows_[static_cast<std::size_t>(row_)] = true;
}

void Canvas::leave_cursor_at(int row, int column) {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) {
    fits_ = false;
    return;
  }
  cursor_left_ = Spot{row, column};
}

std::string Canvas::whole_stream() const {
  std::string out(kHideCursor);
  out += kCursorHome;
  for (int row = 0; row <= std::min(row_, rows_ - 1); ++row) {
    for (int column = 0; column < columns_;) {
      const Cell& cell = at(row, column);
      if (!cell.known()) break;
      if (cell.sets_colour) out += colour_sequence_of(cell.colour);
      if (cell.kind != Cell::Kind::kWideRight) out += cell.glyph();
      column += cell.width();
    }
    const std::optional<CellColour>& colour_after = colours_after_rows_[static_cast<std::size_t>(row)];
    if (colour_after) out += colour_sequence_of(*colour_after);
    if (row == row_ && colour_pending_) out += colour_sequence_of(colour_);
    if (erased_rows_[static_cast<std::size_t>(row)]) out += kEraseToLineEnd;
    if (row < row_) out += '\n';
  }
  if (cursor_left_) {
    out += cursor_position(cursor_left_->row, cursor_left_->column);
    out += kShowCursor;
  }
  return out;
}

void Canvas::show(const Canvas& drawn) {
  const CellColour start = colour_;
  const std::size_t count = std::min(cells_.size(), drawn.cells_.size());
  for (std::size_t i = 0; i < count; ++i) {
    const Cell& shown = drawn.cells_[i];
    if (!shown.known()) continue;
    Cell& cell = cells_[i];
    // Half of a wide character written over leaves the other half as only
    // the terminal knows.
    const std::size_t columns = static_cast<std::size_t>(columns_);
    const bool same_row_next = i + 1 < count && (i + 1) % columns != 0;
    if (cell.kind == Cell::Kind::kWide && shown.kind != Cell::Kind::kWide && same_row_next &&
        !drawn.cells_[i + 1].known()) {
      cells_[i + 1] = Cell{};
    }
    if (cell.kind == Cell::Kind::kWideRight && shown.kind != Cell::Kind::kWideRight && i % columns != 0 &&
        !drawn.cells_[i - 1].known()) {
      cells_[i - 1] = Cell{};
    }
    cell = shown;
    cell.colour = shown_colour(shown.colour, start);
  }
  row_ = drawn.row_;
  column_ = drawn.column_;
  colour_ = shown_colour(drawn.colour_, start);
  fits_ = drawn.fits_;
  erased_rows_ = drawn.erased_rows_;
  cursor_left_ = drawn.cursor_left_;
}

// Walks the back canvas top to bottom and writes what differs from the
// front, following the cursor and the colour in force as it goes.
class DifferenceWriter {
 public:
  DifferenceWriter(const Canvas& front, const Canvas& back)
      : front_(front),
        back_(back),
        row_(front.cursor_left_ ? front.cursor_left_->row : front.row_),
        column_(front.cursor_left_ ? front.cursor_left_->column : std::min(front.column_, front.columns_ - 1)),
        wrap_pending_(!front.cursor_left_ && front.column_ >= front.columns_),
        colour_(front.colour_) {}

  std::optional<std::string> write() {
    for (int row = 0; row < back_.rows_; ++row) {
      const Cell* cells = &back_.at(row, 0);
      for (int column = 0; column < back_.columns_;) {
        const Cell& cell = cells[column];
        if (!cell.known()) {
          ++column;
          continue;
        }
        if (cell.kind != Cell::Kind::kWideRight && changed(row, column, cell.width())) {
          move_to(row, column);
          if (!put(cell)) return std::nullopt;
        }
        column += cell.width();
      }
    }
    if (!leave_cursor_as_back() || !set_colour(shown(back_.colour_), out_)) return std::nullopt;
    return out_;
  }

 private:
  CellColour shown(CellColour colour) const { return shown_colour(colour, front_.colour_); }

  bool changed(int row, int column, int width) const {
    for (int at = column; at < column + width; ++at) {
      const Cell& wanted = back_.at(row, at);
      if (!wanted.looks_like(front_.at(row, at), shown(wanted.colour))) return true;
    }
    return false;
  }

  // The colour `colour` in force, written to `out` if it is not; false when
  // nobody knows which colour that is.
  bool set_colour(CellColour colour, std::string& out) {
    if (colour == colour_) return true;
    if (colour < 0) return false;
    out += colour_sequence_of(colour);
    colour_ = colour;
    return true;
  }

  bool put(const Cell& cell) {
    if (!set_colour(shown(cell.colour), out_)) return false;
    out_ += cell.glyph();
    column_ += cell.width();
    if (column_ >= back_.columns_) {
      column_ = back_.columns_ - 1;
      wrap_pending_ = true;
    }
    return true;
  }

  // The cells from `from` up to `to` of `row` written again, as a way of
  // moving the cursor over them; nothing if they are not all known.
  std::optional<std::string> rewrite(int row, int from, int to, CellColour& colour) {
    if (to - from > kLongestRewrite) return std::nullopt;
    const CellColour before = colour_;
    std::string out;
    for (int column = from; column < to;) {
      const Cell& cell = back_.at(row, column);
      if (!cell.known() || cell.kind == Cell::Kind::kWideRight || column + cell.width() > to ||
          !set_colour(shown(cell.colour), out)) {
        colour_ = before;
        return std::nullopt;
      }
      out += cell.glyph();
      column += cell.width();
    }
    colour = colour_;
    colour_ = before;
    return out;
  }

  // The cheapest of: a cursor position; on the same row, the cells between
  // written again or a move to the right; a carriage return or line feeds
  // first, then the same. Never a line feed from the last column, where
  // terminals differ on whether the line has wrapped already.
  void move_to(int row, int column) {
    if (!wrap_pending_ && row == row_ && column == column_) return;
    std::string best = cursor_position(row, column);
    CellColour best_colour = colour_;
    const auto consider = [&](std::string way, int from_column) {
      CellColour colour = colour_;
      if (column > from_column) {
        const std::string forward = cursor_forward(column - from_column);
        const std::optional<std::string> again = rewrite(row, from_column, column, colour);
        if (again && again->size() < forward.size()) {
          way += *again;
        } else {
          way += forward;
          colour = colour_;
        }
      }
      if (way.size() < best.size()) {
        best = way;
        best_colour = colour;
      }
    };
    if (!wrap_pending_ && row == row_ && column > column_) consider("", column_);
    if (!wrap_pending_ && row == row_ && column < column_) consider("\r", 0);
    if (!wrap_pending_ && row > row_) consider(std::string(static_cast<std::size_t>(row - row_), '\n'), 0);
    out_ += best;
    colour_ = best_colour;
    row_ = row;
    column_ = column;
    wrap_pending_ = false;
  }

  // Where the whole stream leaves the cursor, shown or not. Waiting to wrap
  // at the end of a row is a state only writing the last column again gives.
  bool leave_cursor_as_back() {
    if (back_.cursor_left_) {
      move_to(back_.cursor_left_->row, back_.cursor_left_->column);
      if (!front_.cursor_left_) out_ += kShowCursor;
      return true;
    }
    if (front_.cursor_left_) out_ += kHideCursor;
    if (back_.column_ < back_.columns_) {
      move_to(back_.row_, back_.column_);
      return true;
    }
    if (wrap_pending_ && row_ == back_.row_) return true;
    int column = back_.columns_ - 1;
    if (back_.at(back_.row_, column).kind == Cell::Kind::kWideRight) --column;
    const Cell& last = back_.at(back_.row_, column);
    if (!last.known()) return false;
    move_to(back_.row_, column);
    return put(last);
  }

  const Canvas& front_;
  const Canvas& back_;
  int row_;
  int column_;
  bool wrap_pending_;
  CellColour colour_;
  std::string out_;
};

std::optional<std::string> difference(const Canvas& front, const Canvas& back) {
  if (front.rows_ != back.rows_ || front.columns_ != back.columns_ || !front.fits_ || !back.fits_ ||
      back.row_ >= back.rows_) {
    return std::nullopt;
  }
  std::optional<std::string> changes = DifferenceWriter(front, back).write();
  // Erasing is written only by the whole stream: a frame that erases is
  // written again whole unless it is the very same.
  const bool erases = std::find(back.erased_rows_.begin(), back.erased_rows_.end(), true) != back.erased_rows_.end();
  if (erases && (!changes || !changes->empty() || front.erased_rows_ != back.erased_rows_)) return std::nullopt;
  return changes;
}

void FrameScreen::present(const Canvas& back, std::optional<WindowSize> window, bool clear_first) {
  // Whatever else is waiting goes first, and is noted as what it is.
  std::cout.flush();
  const bool exact = window && window->rows == back.rows() && window->columns == back.columns();
  if (!known() || !exact || clear_first || front_->rows() != back.rows() || front_->columns() != back.columns()) {
    front_.reset();
  }
  std::optional<std::string> bytes;
  if (front_ && mode_ == Mode::kChanges) bytes = difference(*front_, back);
  if (!bytes) {
    bytes = clear_first ? std::string(kEraseScreen) : std::string();
    *bytes += back.whole_stream();
    front_.reset();
  }
  {
    const FrameWrite own;
    std::cout.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
    std::cout.flush();
  }
  changes_seen_ = screen_changes();
  if (!exact || !back.fits()) return;
  if (!front_) front_.emplace(back.rows(), back.columns());
  front_->show(back);
}

bool FrameScreen::known() const { return front_.has_value() && screen_changes() == changes_seen_; }

}  // namespace console
