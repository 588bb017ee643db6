#include "play/frame.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <string_view>

#include "base/text_encoding.h"
#include "console/escape_output.h"
#include "console/terminal_encoding.h"
#include "play/rules.h"
#include "world/tables.h"

namespace play {
namespace {

constexpr int kStatusLines = 3;
constexpr int kBlankLineWidth = 55;
constexpr int kBorderLines = 2;
constexpr int kBarColumns = 2;   // the bars at both ends of a bordered row
constexpr int kCellColumns = 2;  // every glyph is two characters
constexpr int kRowBelowStatus = 1;
constexpr const char* kOutsideWorld = "##";
constexpr const char* kPlayerGlyph = "YY";
// A glyph for a type no cell may hold, should a damaged world carry one.
constexpr const char* kUnknownGlyph = "??";

constexpr console::CellColour kSilver = 0xC0C0C0;

void append_number(std::string& out, long long value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

// Wide enough for a status line of four 39-digit numbers and their labels.
constexpr int kColumnsOfAnUnknownWindow = 256;

static_assert(std::size(console::color) == kLevels, "the palette has a colour for every level");

void compose_cell(console::Canvas& canvas, const game& world, long long i, long long j) {
  const game::player& player = world.localplayer;
  if (!in_world(i, j)) {
    canvas.set_colour(kSilver);
    canvas.write(kOutsideWorld);
    return;
  }
  if (i == player.x && j == player.y) {
    canvas.set_colour(kSilver);
    canvas.write(kPlayerGlyph);
    return;
  }
  const game::point& cell = world.cell(static_cast<int>(i), static_cast<int>(j));
  const bool known_level = cell.level >= 0 && cell.level < kLevels;
  canvas.set_colour(cell.type == kEmptyCell || !known_level ? kSilver : console::color[cell.level]);
  if (cell.type >= kEmptyCell && cell.type <= kHighestCellType) {
    canvas.write(std::string_view(wtype).substr(static_cast<std::size_t>(cell.type) * 2, 2));
  } else {
    canvas.write(kUnknownGlyph);
  }
}

std::array<std::string, kStatusLines> status_lines(const game::player& player, const StatusLabels& labels) {
  std::array<std::string, kStatusLines> lines;
  lines[0] = labels.x;
  append_number(lines[0], player.x);
  lines[0] += labels.y;
  append_number(lines[0], player.y);
  lines[1] = labels.cultivation;
  append_number(lines[1], player.jingjie);
  lines[1] += labels.lingli + console::tos(player.lingli);
  lines[2] = labels.attack + console::tos(player.atk) + labels.defence + console::tos(player.defence) + labels.hp +
             console::tos(player.hp);
  return lines;
}

// The lines above and below the cells: the borders, the status lines and the
// row the cursor takes after the last of them, or the reader rows.
int lines_around_cells(const Voice& voice, int reader_rows) {
  return (voice.bordered_view ? kBorderLines : 0) + kStatusLines + std::max(reader_rows, kRowBelowStatus);
}

int bar_columns(const Voice& voice) { return voice.bordered_view ? kBarColumns : 0; }

console::WindowSize window_for(const Voice& voice, ViewShape shape, int status_width, int reader_rows) {
  const int columns = std::max(bar_columns(voice) + kCellColumns * shape.cells, status_width);
  return console::WindowSize{shape.rows + lines_around_cells(voice, reader_rows), columns};
}

// The largest odd number up to `available`, and at most `full`.
int odd_up_to(int available, int full) {
  const int n = std::min(available, full);
  return n % 2 == 0 ? n - 1 : n;
}

std::string border_line(ViewShape shape) {
  return '+' + std::string(static_cast<std::size_t>(kCellColumns * shape.cells), '-') + "+\n";
}

// Text that stays on one line: a word, a number, or a Chinese character with
// the punctuation that closes it.
struct Piece {
  std::string text;
  bool after_blank = false;
};

// Chinese punctuation that never starts a line.
bool is_closing_mark(std::string_view gbk_character) {
  static const std::array<std::string, 8> marks = {GBK("，"), GBK("。"), GBK("："), GBK("；"),
                                                   GBK("、"), GBK("）"), GBK("！"), GBK("？")};
  return std::find(marks.begin(), marks.end(), gbk_character) != marks.end();
}

// The pieces of a line of GBK text: a line may break at a blank, and between
// two characters of which one is Chinese.
std::vector<Piece> pieces_of(std::string_view gbk) {
  std::vector<Piece> pieces;
  bool blank = false;
  bool last_wide = false;
  for (std::size_t at = 0, length = 0; at < gbk.size(); at += length) {
    length = base::gbk_character_length(gbk, at);
    if (length == 0) break;
    const std::string_view character = gbk.substr(at, length);
    if (character == " ") {
      blank = true;
      continue;
    }
    const bool wide = length > 1;
    if (pieces.empty() || blank || ((wide || last_wide) && !is_closing_mark(character))) {
      pieces.push_back(Piece{{}, blank});
    }
    pieces.back().text += character;
    blank = false;
    last_wide = wide;
  }
  return pieces;
}

// A piece on as many lines as it needs, cut where the window ends; a
// character wider than the window is left out.
std::vector<std::string> split_piece(std::string_view text, int columns) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    std::string line = console::cut_to_columns(text, columns);
    text.remove_prefix(line.empty() ? std::max<std::size_t>(base::gbk_character_length(text, 0), 1) : line.size());
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> wrap_to_columns(std::string_view gbk, int columns) {
  std::vector<std::string> lines;
  std::string line;
  for (const Piece& piece : pieces_of(gbk)) {
    std::string longer = line.empty() ? piece.text : line + (piece.after_blank ? " " : "") + piece.text;
    if (console::text_columns(longer) <= columns) {
      line = std::move(longer);
      continue;
    }
    if (!line.empty()) lines.push_back(std::move(line));
    std::vector<std::string> split = split_piece(piece.text, columns);
    line = split.empty() ? std::string() : std::move(split.back());
    if (!split.empty()) lines.insert(lines.end(), split.begin(), split.end() - 1);
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace

console::WindowSize full_view_size(const Voice& voice, int reader_rows) {
  return window_for(voice, kFullView, kBlankLineWidth, reader_rows);
}

console::WindowSize smallest_view_size(const Voice& voice, int reader_rows) {
  return window_for(voice, kSmallestView, 0, reader_rows);
}

std::optional<ViewShape> view_shape_for(const Voice& voice, std::optional<console::WindowSize> window,
                                        int reader_rows) {
  if (!window) return kFullView;
  const ViewShape shape{odd_up_to(window->rows - lines_around_cells(voice, reader_rows), kFullView.rows),
                        odd_up_to((window->columns - bar_columns(voice)) / kCellColumns, kFullView.cells)};
  if (shape.rows < kSmallestView.rows || shape.cells < kSmallestView.cells) return std::nullopt;
  return shape;
}

console::Canvas canvas_for(std::optional<console::WindowSize> size, int reader_rows) {
  if (size) return console::Canvas(size->rows, size->columns);
  const console::WindowSize full = full_view_size(chinese_voice(), reader_rows);
  return console::Canvas(full.rows, kColumnsOfAnUnknownWindow);
}

void compose_view(const game& world, const Voice& voice, ViewShape shape, console::Canvas& canvas) {
  const std::string border = voice.bordered_view ? border_line(shape) : "";
  canvas.write(border);
  const long long x = world.localplayer.x;
  const long long y = world.localplayer.y;
  const int row_radius = shape.rows / 2;
  const int cell_radius = shape.cells / 2;
  for (long long i = x - row_radius; i <= x + row_radius; ++i) {
    if (voice.bordered_view) {
      canvas.set_colour(kSilver);
      canvas.write("|");
    }
    for (long long j = y - cell_radius; j <= y + cell_radius; ++j) compose_cell(canvas, world, i, j);
    canvas.set_colour(kSilver);
    canvas.write(voice.bordered_view ? "|\n" : "\n");
  }
  canvas.write(border);
}

std::string compose_status(const game::player& player, const Voice& voice, bool f3, int columns) {
  std::string out;
  if (f3) {
    // The last line ends without a line feed.
    const std::array<std::string, kStatusLines> lines = status_lines(player, voice.status);
    for (std::size_t line = 0; line < lines.size(); ++line) {
      if (line > 0) out += '\n';
      out += console::cut_to_columns(lines[line], columns);
    }
    return out;
  }
  // Blank lines wipe the status lines and messages a frame before left.
  for (int line = 0; line < kStatusLines; ++line) {
    out.append(static_cast<std::size_t>(std::clamp(columns, 0, kBlankLineWidth)), ' ');
    out += '\n';
  }
  return out;
}

std::string status_sentences(const game::player& player, const Voice& voice) {
  std::string sentences;
  for (const std::string& line : status_lines(player, voice.status)) sentences += line + voice.sentence_end;
  while (sentences.ends_with(' ')) sentences.pop_back();
  return sentences;
}

std::string compose_frame(const game& world, const Voice& voice, bool f3) {
  const console::WindowSize full = full_view_size(voice);
  console::Canvas canvas(full.rows, full.columns);
  compose_view(world, voice, kFullView, canvas);
  canvas.write(compose_status(world.localplayer, voice, f3));
  return canvas.whole_stream();
}

void ReaderPage::compose(console::Canvas& canvas) {
  const int rows = canvas.rows() - canvas.cursor_row();
  if (rows <= 0) return;
  // The last column stays blank: a line never waits there to wrap, which
  // terminals take differently.
  const int width = std::max(canvas.columns() - 1, 1);
  place(static_cast<std::size_t>(rows), width);
  std::size_t newest = 0;
  std::vector<std::string> lines = lines_of_page(width, newest);
  lines.resize(static_cast<std::size_t>(rows));
  const int first_row = canvas.cursor_row();
  for (std::size_t row = 0; row < lines.size(); ++row) {
    // Blanks to the row's end: nothing of an earlier page stays behind.
    if (row > 0) canvas.write("\n");
    canvas.write(lines[row]);
    canvas.write(std::string(static_cast<std::size_t>(std::max(width - console::text_columns(lines[row]), 0)), ' '));
  }
  canvas.leave_cursor_at(first_row + static_cast<int>(std::min(newest, lines.size() - 1)), 0);
}

std::size_t ReaderPage::rows_of(const std::string& message, int width) {
  return std::max<std::size_t>(wrap_to_columns(message, width).size(), 1);
}

void ReaderPage::place(std::size_t rows, int width) {
  std::size_t used = 0;
  for (const std::string& message : page_) used += rows_of(message, width);
  // In a window grown smaller the oldest go first.
  while (used > rows && page_.size() > 1) {
    used -= rows_of(page_.front(), width);
    page_.erase(page_.begin());
  }
  for (std::string& message : unplaced_) {
    const std::size_t needed = rows_of(message, width);
    if (used > 0 && used + needed > rows) {
      page_.clear();
      used = 0;
    }
    page_.push_back(std::move(message));
    used += needed;
  }
  unplaced_.clear();
}

std::vector<std::string> ReaderPage::lines_of_page(int width, std::size_t& newest) const {
  std::vector<std::string> lines;
  for (const std::string& message : page_) {
    newest = lines.size();
    std::vector<std::string> wrapped = wrap_to_columns(message, width);
    if (wrapped.empty()) wrapped.emplace_back();
    lines.insert(lines.end(), wrapped.begin(), wrapped.end());
  }
  return lines;
}

std::vector<std::string> too_small_lines(const Voice& voice, console::WindowSize needed, console::WindowSize has) {
  std::vector<std::string> lines = wrap_to_columns(voice.window_too_small(needed, has), has.columns);
  if (lines.size() > static_cast<std::size_t>(std::max(has.rows, 0))) lines.resize(static_cast<std::size_t>(has.rows));
  return lines;
}

void compose_too_small(const Voice& voice, console::WindowSize has, console::Canvas& canvas, int reader_rows) {
  std::vector<std::string> lines = too_small_lines(voice, smallest_view_size(voice, reader_rows), has);
  // Every row is written to its end: the notice before, or the map, may have
  // reached further. The last row ends without a line feed, which would
  // scroll.
  lines.resize(static_cast<std::size_t>(std::max(has.rows, 0)));
  for (std::size_t row = 0; row < lines.size(); ++row) {
    if (row > 0) canvas.write("\n");
    canvas.write(lines[row]);
    canvas.erase_rest_of_row();
  }
}

}  // namespace play
