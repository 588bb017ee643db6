#include "console/screen_update.h"

#include <iostream>
#include <string>

#include "console/escape_sequences.h"
#include "console/platform.h"

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

std::string colour_parameters(const Colour& colour, bool foreground) {
  const int layer = foreground ? 30 : 40;  // the background's numbers are 10 more
  switch (colour.kind) {
    case Colour::Kind::kBasic:
      return std::to_string(colour.value < 8 ? layer + static_cast<int>(colour.value)
                                             : layer + 60 + static_cast<int>(colour.value) - 8);
    case Colour::Kind::kIndexed:
      return std::to_string(layer + 8) + ";5;" + std::to_string(colour.value);
    case Colour::Kind::kRgb:
      return std::to_string(layer + 8) + ";2;" + std::to_string(colour.value >> 16 & 255) + ';' +
             std::to_string(colour.value >> 8 & 255) + ';' + std::to_string(colour.value & 255);
    case Colour::Kind::kDefault:
    case Colour::Kind::kUnknown:
      break;
  }
  return std::to_string(layer + 9);
}

// The graphic rendition that turns `from` into `to`: "" when they are the
// same, nothing when `to` holds what the terminal had before any picture
// began and `from` does not hold the same.
std::optional<std::string> rendition(const Attribute& from, const Attribute& to) {
  if (from == to) return std::string();
  Attribute base = from;
  std::string parameters;
  const auto add = [&](const std::string& parameter) {
    if (!parameters.empty()) parameters += ';';
    parameters += parameter;
  };
  if (to.flags_unknown_since != 0) {
    if (from.flags_unknown_since != to.flags_unknown_since || from.flags != to.flags) return std::nullopt;
  } else if (from.flags_unknown_since != 0 || (from.flags & ~to.flags) != 0) {
    // Flags go off one by one only in some terminals: all of them go off.
    add("0");
    base = Attribute::plain();
  }
  for (int flag = 1; flag <= 9; ++flag) {
    if ((to.flags >> flag & 1) != 0 && (base.flags >> flag & 1) == 0) add(std::to_string(flag));
  }
  for (const bool foreground : {true, false}) {
    const Colour& wanted = foreground ? to.foreground : to.background;
    if (wanted == (foreground ? base.foreground : base.background)) continue;
    if (wanted.kind == Colour::Kind::kUnknown) return std::nullopt;
    add(colour_parameters(wanted, foreground));
  }
  return std::string(kCsi) + parameters + kGraphicRenditionEnd;
}

// Walks the back picture top to bottom and writes what differs from the
// front, following the cursor and the colours in force as it goes.
class DifferenceWriter {
 public:
  DifferenceWriter(const ScreenModel& front, const ScreenModel& back)
      : front_(front),
        back_(back),
        row_(front.row()),
        column_(front.column()),
        wrap_pending_(front.wrap_pending()),
        attribute_(front.attribute()) {}

  std::optional<std::string> write() {
    if (!front_.cursor_known() || !back_.cursor_known()) return std::nullopt;
    const std::optional<bool> hidden = back_.cursor_hidden();
    if (hidden && hidden != front_.cursor_hidden()) out_ += *hidden ? kHideCursor : kShowCursor;
    for (int row = 0; row < back_.rows(); ++row) {
      for (int column = 0; column < back_.columns();) {
        const Cell& cell = back_.cell(row, column);
        if (cell.known() && cell.kind != Cell::Kind::kWideRight && changed(row, column, cell.width())) {
          move_to(row, column);
          if (!put(cell)) return std::nullopt;
        }
        column += cell.known() ? cell.width() : 1;
      }
    }
    if (!leave_cursor_as_back()) return std::nullopt;
    const std::optional<std::string> colours = rendition(attribute_, back_.attribute());
    if (!colours) return std::nullopt;
    out_ += *colours;
    return out_;
  }

 private:
  bool changed(int row, int column, int width) const {
    for (int at = column; at < column + width; ++at) {
      if (!looks_the_same(front_.cell(row, at), back_.cell(row, at))) return true;
    }
    return false;
  }

  // The colours `cell` needs, set in `attribute` and added to `out`; a plain
  // blank needs only its background. False if they can't be set.
  static bool colour_for(const Cell& cell, Attribute& attribute, std::string& out) {
    const bool plain_now = attribute.flags_unknown_since == 0 && attribute.flags == 0;
    if (cell.plain_blank() && plain_now && attribute.background == cell.attribute.background) return true;
    const std::optional<std::string> colours = rendition(attribute, cell.attribute);
    if (!colours) return false;
    out += *colours;
    attribute = cell.attribute;
    return true;
  }

  static void append_glyph(const Cell& cell, std::string& out) { out.append(cell.glyph.data(), cell.width()); }

  bool put(const Cell& cell) {
    if (!colour_for(cell, attribute_, out_)) return false;
    append_glyph(cell, out_);
    column_ += cell.width();
    if (column_ >= back_.columns()) {
      column_ = back_.columns() - 1;
      wrap_pending_ = true;
    }
    return true;
  }

  // The cells from `from` up to `to` of `row` written again, as a way of
  // moving the cursor over them; nothing if they are not all known.
  std::optional<std::string> rewrite(int row, int from, int to, Attribute& attribute) const {
    if (to - from > kLongestRewrite) return std::nullopt;
    std::string out;
    for (int column = from; column < to;) {
      const Cell& cell = back_.cell(row, column);
      if (!cell.known() || cell.kind == Cell::Kind::kWideRight || column + cell.width() > to) return std::nullopt;
      if (!colour_for(cell, attribute, out)) return std::nullopt;
      append_glyph(cell, out);
      column += cell.width();
    }
    return out;
  }

  // The cheapest of: a cursor position; on the same row, the cells between
  // written again or a move to the right; a carriage return or line feeds
  // first, then the same. Never a line feed from the last column, where
  // terminals differ on whether the line has wrapped already.
  void move_to(int row, int column) {
    if (!wrap_pending_ && row == row_ && column == column_) return;
    std::string best = cursor_position(row, column);
    Attribute best_attribute = attribute_;
    const auto consider = [&](std::string way, int from_column) {
      Attribute attribute = attribute_;
      if (column > from_column) {
        const std::string forward = cursor_forward(column - from_column);
        const std::optional<std::string> again = rewrite(row, from_column, column, attribute);
        if (again && again->size() < forward.size()) {
          way += *again;
        } else {
          way += forward;
          attribute = attribute_;
        }
      }
      if (way.size() < best.size()) {
        best = way;
        best_attribute = attribute;
      }
    };
    if (!wrap_pending_ && row == row_ && column > column_) consider("", column_);
    if (!wrap_pending_ && row == row_ && column < column_) consider("\r", 0);
    if (!wrap_pending_ && row > row_) consider(std::string(static_cast<std::size_t>(row - row_), '\n'), 0);
    out_ += best;
    attribute_ = best_attribute;
    row_ = row;
    column_ = column;
    wrap_pending_ = false;
  }

  // Where the whole stream leaves the cursor. Waiting to wrap at the end of
  // a line is a state only writing the last column again gives.
  bool leave_cursor_as_back() {
    if (!back_.wrap_pending()) {
      move_to(back_.row(), back_.column());
      return true;
    }
    if (wrap_pending_ && row_ == back_.row()) return true;
    int column = back_.columns() - 1;
    if (back_.cell(back_.row(), column).kind == Cell::Kind::kWideRight) --column;
    const Cell& last = back_.cell(back_.row(), column);
    if (!last.known()) return false;
    move_to(back_.row(), column);
    return put(last);
  }

  const ScreenModel& front_;
  const ScreenModel& back_;
  int row_;
  int column_;
  bool wrap_pending_;
  Attribute attribute_;
  std::string out_;
};

void send(std::string_view bytes) {
  if (bytes.empty()) return;
  std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::cout.flush();
}

}  // namespace

std::optional<std::string> difference(const ScreenModel& front, const ScreenModel& back) {
  if (front.rows() != back.rows() || front.columns() != back.columns()) return std::nullopt;
  return DifferenceWriter(front, back).write();
}

void ScreenUpdater::write(std::string_view whole_frame, std::optional<WindowSize> size) {
  const std::uint64_t changes = screen_changes();
  const bool same_size = front_ && size && front_->rows() == size->rows && front_->columns() == size->columns;
  if (changes != screen_changes_seen_ || !same_size) front_.reset();
  // Taken before the write: a change noticed while it is written is one to come.
  screen_changes_seen_ = changes;
  if (mode_ == Mode::kEverything || !size) {
    send(whole_frame);
    return;
  }
  ScreenModel back = front_ ? *front_ : ScreenModel(size->rows, size->columns, ++pictures_begun_);
  const bool sure = back.read(whole_frame);
  std::optional<std::string> changed;
  if (front_ && sure) changed = difference(*front_, back);
  send(changed && changed->size() < whole_frame.size() ? *changed : whole_frame);
  if (sure) {
    front_ = std::move(back);
  } else {
    front_.reset();
  }
}

bool ScreenUpdater::out_of_date() const { return screen_changes() != screen_changes_seen_; }

}  // namespace console
