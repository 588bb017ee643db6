#include "console/screen_model.h"

#include <algorithm>
#include <charconv>

#include "base/text_encoding.h"
#include "console/escape_sequences.h"

namespace console {
namespace {

constexpr char kEscape = '\x1b';
constexpr std::string_view kCursorVisibility = "25";
constexpr std::string_view kWholeScreen = "2";

// The numbers of a control sequence: "" is one number 0, and so is an empty
// place between two semicolons. Nothing when one does not fit an int.
std::optional<std::vector<int>> numbers_in(std::string_view parameters) {
  std::vector<int> numbers;
  std::size_t at = 0;
  for (;;) {
    const std::size_t end = std::min(parameters.find(';', at), parameters.size());
    int number = 0;
    if (end > at && std::from_chars(parameters.data() + at, parameters.data() + end, number).ptr !=
                        parameters.data() + end) {
      return std::nullopt;
    }
    numbers.push_back(number);
    if (end == parameters.size()) return numbers;
    at = end + 1;
  }
}

// The colour after 38 or 48: "5;n" or "2;r;g;b", from `at` on; moves `at`
// past it.
std::optional<Colour> extended_colour(const std::vector<int>& numbers, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return i < numbers.size() && numbers[i] >= 0 && numbers[i] <= 255; };
  if (at + 1 < numbers.size() && numbers[at] == 5 && byte(at + 1)) {
    at += 2;
    return Colour{Colour::Kind::kIndexed, static_cast<std::uint32_t>(numbers[at - 1])};
  }
  if (at + 3 < numbers.size() && numbers[at] == 2 && byte(at + 1) && byte(at + 2) && byte(at + 3)) {
    at += 4;
    const auto rgb = static_cast<std::uint32_t>(numbers[at - 3] << 16 | numbers[at - 2] << 8 | numbers[at - 1]);
    return Colour{Colour::Kind::kRgb, rgb};
  }
  return std::nullopt;
}

// The flags a rendition from 22 to 29 turns off.
std::uint16_t flags_turned_off_by(int number) {
  switch (number) {
    case 22:
      return 1u << 1 | 1u << 2;
    case 25:
      return 1u << 5 | 1u << 6;
    case 23:
    case 24:
    case 27:
    case 28:
    case 29:
      return static_cast<std::uint16_t>(1u << (number - 20));
    default:
      return 0;
  }
}

}  // namespace

Attribute Attribute::plain() {
  Attribute plain;
  plain.foreground.kind = Colour::Kind::kDefault;
  plain.background.kind = Colour::Kind::kDefault;
  return plain;
}

bool Attribute::known() const {
  return foreground.kind != Colour::Kind::kUnknown && background.kind != Colour::Kind::kUnknown &&
         flags_unknown_since == 0;
}

bool Cell::plain_blank() const {
  return kind == Kind::kNarrow && glyph[0] == ' ' && attribute.flags == 0 && attribute.flags_unknown_since == 0;
}

bool looks_the_same(const Cell& a, const Cell& b) {
  if (!a.known() || !b.known() || a.kind != b.kind || a.glyph != b.glyph) return false;
  if (a.plain_blank() && b.plain_blank()) return a.attribute.background == b.attribute.background;
  return a.attribute == b.attribute;
}

ScreenModel::ScreenModel(int rows, int columns, std::uint32_t beginning)
    : rows_(std::max(rows, 1)),
      columns_(std::max(columns, 1)),
      cells_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_)) {
  attribute_.foreground.value = beginning;
  attribute_.background.value = beginning;
  attribute_.flags_unknown_since = beginning;
}

bool ScreenModel::read(std::string_view bytes) {
  std::size_t at = 0;
  while (sure_ && at < bytes.size()) {
    const char byte = bytes[at];
    if (byte == kEscape) {
      sure_ = read_control_sequence(bytes, at);
    } else if (byte == '\n') {
      // The terminal's output processing makes every line feed begin a line.
      sure_ = new_line();
      ++at;
    } else if (byte == '\r') {
      column_ = 0;
      wrap_pending_ = false;
      ++at;
    } else if (byte >= ' ' && byte < '\x7f') {
      sure_ = put({byte, ' '}, 1);
      ++at;
    } else if (base::gbk_character_length(bytes, at) == 2) {
      sure_ = put({byte, bytes[at + 1]}, 2);
      at += 2;
    } else {
      sure_ = false;
    }
  }
  return sure_;
}

bool ScreenModel::read_control_sequence(std::string_view bytes, std::size_t& at) {
  if (!bytes.substr(at).starts_with(kCsi)) return false;
  std::size_t end = at + kCsi.size();
  const bool is_private = end < bytes.size() && bytes[end] == kPrivateMarker;
  if (is_private) ++end;
  const std::size_t first = end;
  while (end < bytes.size() && ((bytes[end] >= '0' && bytes[end] <= '9') || bytes[end] == ';')) ++end;
  if (end == bytes.size()) return false;
  const std::string_view parameters = bytes.substr(first, end - first);
  const char final_byte = bytes[end];
  at = end + 1;
  if (is_private) {
    if (parameters != kCursorVisibility) return false;
    if (final_byte != kHideCursor.back() && final_byte != kShowCursor.back()) return false;
    cursor_hidden_ = final_byte == kHideCursor.back();
    return true;
  }
  switch (final_byte) {
    case kCursorPositionEnd: {
      const std::optional<std::vector<int>> numbers = numbers_in(parameters);
      if (!numbers || numbers->size() > 2) return false;
      // Numbers count from 1; 0 or none is 1, too large is the last.
      const auto place = [](std::size_t i, const std::vector<int>& n, int limit) {
        return std::clamp(i < n.size() ? n[i] : 1, 1, limit) - 1;
      };
      row_ = place(0, *numbers, rows_);
      column_ = place(1, *numbers, columns_);
      cursor_known_ = true;
      wrap_pending_ = false;
      return true;
    }
    case kGraphicRenditionEnd:
      return apply_rendition(parameters);
    case kEraseInLineEnd:
      if ((!parameters.empty() && parameters != "0") || !cursor_known_ || wrap_pending_) return false;
      erase(row_, column_);
      return true;
    case kEraseInScreenEnd:
      if (parameters != kWholeScreen) return false;
      for (int row = 0; row < rows_; ++row) erase(row, 0);
      return true;
    default:
      return false;
  }
}

bool ScreenModel::apply_rendition(std::string_view parameters) {
  const std::optional<std::vector<int>> numbers = numbers_in(parameters);
  if (!numbers) return false;
  for (std::size_t at = 0; at < numbers->size();) {
    const int number = (*numbers)[at++];
    if (number == 0) {
      attribute_ = Attribute::plain();
    } else if ((number >= 1 && number <= 9) || flags_turned_off_by(number) != 0) {
      // Flags the picture does not know cannot be changed one by one.
      if (attribute_.flags_unknown_since != 0) return false;
      if (number <= 9) attribute_.flags |= static_cast<std::uint16_t>(1u << number);
      attribute_.flags &= static_cast<std::uint16_t>(~flags_turned_off_by(number));
    } else if ((number >= 30 && number <= 37) || (number >= 90 && number <= 97)) {
      attribute_.foreground = {Colour::Kind::kBasic, static_cast<std::uint32_t>(number < 90 ? number - 30 : number - 82)};
    } else if ((number >= 40 && number <= 47) || (number >= 100 && number <= 107)) {
      attribute_.background = {Colour::Kind::kBasic, static_cast<std::uint32_t>(number < 100 ? number - 40 : number - 92)};
    } else if (number == 39 || number == 49) {
      (number == 39 ? attribute_.foreground : attribute_.background) = {Colour::Kind::kDefault, 0};
    } else if (number == 38 || number == 48) {
      const std::optional<Colour> colour = extended_colour(*numbers, at);
      if (!colour) return false;
      (number == 38 ? attribute_.foreground : attribute_.background) = *colour;
    } else {
      return false;
    }
  }
  return true;
}

bool ScreenModel::put(std::array<char, 2> glyph, int width) {
  if (!cursor_known_) return false;
  if (wrap_pending_ && !new_line()) return false;
  // Where a wide character meets the last column, terminals differ.
  if (column_ + width > columns_) return false;
  break_wide_characters_under(column_, width);
  at(row_, column_) = Cell{width == 2 ? Cell::Kind::kWide : Cell::Kind::kNarrow, glyph, attribute_};
  if (width == 2) at(row_, column_ + 1) = Cell{Cell::Kind::kWideRight, glyph, attribute_};
  column_ += width;
  if (column_ >= columns_) {
    column_ = columns_ - 1;
    wrap_pending_ = true;
  }
  return true;
}

// Half of a wide character written over leaves the other half as each
// terminal sees fit; the picture stops claiming to know it.
void ScreenModel::break_wide_characters_under(int column, int width) {
  if (cell(row_, column).kind == Cell::Kind::kWideRight && column > 0) at(row_, column - 1) = Cell{};
  const int last = column + width - 1;
  if (cell(row_, last).kind == Cell::Kind::kWide && last + 1 < columns_) at(row_, last + 1) = Cell{};
}

bool ScreenModel::new_line() {
  // The last line would scroll the screen away.
  if (!cursor_known_ || row_ == rows_ - 1) return false;
  ++row_;
  column_ = 0;
  wrap_pending_ = false;
  return true;
}

// Erased cells are blank in the background colour in force.
void ScreenModel::erase(int row, int from_column) {
  if (cell(row, from_column).kind == Cell::Kind::kWideRight && from_column > 0) at(row, from_column - 1) = Cell{};
  Attribute erased = attribute_;
  erased.flags = 0;
  erased.flags_unknown_since = 0;
  for (int column = from_column; column < columns_; ++column) at(row, column) = Cell{Cell::Kind::kNarrow, {' ', ' '}, erased};
}

}  // namespace console
