#include "play/frame.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>

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
// row the cursor takes after the last of them.
int lines_around_cells(const Voice& voice) {
  return (voice.bordered_view ? kBorderLines : 0) + kStatusLines + kRowBelowStatus;
}

int bar_columns(const Voice& voice) { return voice.bordered_view ? kBarColumns : 0; }

console::WindowSize window_for(const Voice& voice, ViewShape shape, int status_width) {
  const int columns = std::max(bar_columns(voice) + kCellColumns * shape.cells, status_width);
  return console::WindowSize{shape.rows + lines_around_cells(voice), columns};
}

// The largest odd number up to `available`, and at most `full`.
int odd_up_to(int available, int full) {
  const int n = std::min(available, full);
  return n % 2 == 0 ? n - 1 : n;
}

std::string border_line(ViewShape shape) {
  return '+' + std::string(static_cast<std::size_t>(kCellColumns * shape.cells), '-') + "+\n";
}

}  // namespace

console::WindowSize full_view_size(const Voice& voice) { return window_for(voice, kFullView, kBlankLineWidth); }

console::WindowSize smallest_view_size(const Voice& voice) { return window_for(voice, kSmallestView, 0); }

std::optional<ViewShape> view_shape_for(const Voice& voice, std::optional<console::WindowSize> window) {
  if (!window) return kFullView;
  const ViewShape shape{odd_up_to(window->rows - lines_around_cells(voice), kFullView.rows),
                        odd_up_to((window->columns - bar_columns(voice)) / kCellColumns, kFullView.cells)};
  if (shape.rows < kSmallestView.rows || shape.cells < kSmallestView.cells) return std::nullopt;
  return shape;
}

console::Canvas canvas_for(std::optional<console::WindowSize> size) {
  if (size) return console::Canvas(size->rows, size->columns);
  const console::WindowSize full = full_view_size(chinese_voice());
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

std::string compose_frame(const game& world, const Voice& voice, bool f3) {
  const console::WindowSize full = full_view_size(voice);
  console::Canvas canvas(full.rows, full.columns);
  compose_view(world, voice, kFullView, canvas);
  canvas.write(compose_status(world.localplayer, voice, f3));
  return canvas.whole_stream();
}

void compose_too_small(const Voice& voice, console::WindowSize has, console::Canvas& canvas) {
  canvas.write(console::cut_to_columns(voice.window_too_small(smallest_view_size(voice), has), has.columns));
  // Erased to the end of the line: the line before may have been longer.
  canvas.erase_rest_of_row();
}

}  // namespace play
