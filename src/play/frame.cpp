#include "play/frame.h"

#include <array>
#include <charconv>
#include <iterator>

#include "console/escape_output.h"
#include "console/escape_sequences.h"
#include "play/rules.h"
#include "world/tables.h"

namespace play {
namespace {

constexpr int kViewRadius = 10;  // cells on each side of the player
constexpr int kViewCells = 2 * kViewRadius + 1;
constexpr int kStatusLines = 3;
constexpr int kBlankLineWidth = 55;
constexpr int kBorderLines = 2;

constexpr const char* kBorder = "+------------------------------------------+\n";
constexpr const char* kOutsideWorld = "##";
constexpr const char* kPlayerGlyph = "YY";
// A glyph for a type no cell may hold, should a damaged world carry one.
constexpr const char* kUnknownGlyph = "??";

// Every frame is drawn over the last one from the top-left corner, with the
// cursor hidden.
void begin_at_top_left(std::string& out) {
  out += console::kHideCursor;
  out += console::kCursorHome;
}

void append_number(std::string& out, long long value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

static_assert(std::size(console::color) == kLevels, "the palette has a colour for every level");

// The colour sequences a frame uses, made once per frame: silver for the
// frame and empty cells, the palette for the rest.
struct CellColors {
  std::string silver = console::color_sequence(192, 192, 192);
  std::array<std::string, kLevels> by_level;

  CellColors() {
    for (int level = 0; level < kLevels; ++level) by_level[level] = console::color_sequence(console::color[level]);
  }
};

void append_cell(std::string& out, const game& world, const CellColors& colors, long long i, long long j) {
  const game::player& player = world.localplayer;
  if (!in_world(i, j)) {
    out += colors.silver;
    out += kOutsideWorld;
    return;
  }
  if (i == player.x && j == player.y) {
    out += colors.silver;
    out += kPlayerGlyph;
    return;
  }
  const game::point& cell = world.cell(static_cast<int>(i), static_cast<int>(j));
  const bool known_level = cell.level >= 0 && cell.level < kLevels;
  out += cell.type == kEmptyCell || !known_level ? colors.silver : colors.by_level[cell.level];
  if (cell.type >= kEmptyCell && cell.type <= kHighestCellType) {
    out.append(wtype, static_cast<std::size_t>(cell.type) * 2, 2);
  } else {
    out += kUnknownGlyph;
  }
}

void append_status_lines(std::string& out, const game::player& player, const StatusLabels& labels) {
  out += labels.x;
  append_number(out, player.x);
  out += labels.y;
  append_number(out, player.y);
  out += '\n';
  out += labels.cultivation;
  append_number(out, player.jingjie);
  out += labels.lingli;
  out += console::tos(player.lingli);
  out += '\n';
  out += labels.attack;
  out += console::tos(player.atk);
  out += labels.defence;
  out += console::tos(player.defence);
  out += labels.hp;
  out += console::tos(player.hp);
}

}  // namespace

console::WindowSize view_size_needed(const Voice& voice) {
  const int view_lines = kViewCells + (voice.bordered_view ? kBorderLines : 0);
  return console::WindowSize{view_lines + kStatusLines + 1, kBlankLineWidth};
}

std::string compose_view(const game& world, const Voice& voice) {
  const CellColors colors;
  std::string out;
  // About 20 bytes a cell; one allocation for the whole view.
  out.reserve(12 * 1024);
  begin_at_top_left(out);
  if (voice.bordered_view) out += kBorder;
  const long long x = world.localplayer.x;
  const long long y = world.localplayer.y;
  for (long long i = x - kViewRadius; i <= x + kViewRadius; ++i) {
    if (voice.bordered_view) {
      out += colors.silver;
      out += '|';
    }
    for (long long j = y - kViewRadius; j <= y + kViewRadius; ++j) append_cell(out, world, colors, i, j);
    out += colors.silver;
    out += voice.bordered_view ? "|\n" : "\n";
  }
  if (voice.bordered_view) out += kBorder;
  return out;
}

std::string compose_status(const game::player& player, const Voice& voice, bool f3) {
  std::string out;
  if (f3) {
    append_status_lines(out, player, voice.status);
    return out;
  }
  // Blank lines wipe the status lines and messages a frame before left.
  for (int line = 0; line < kStatusLines; ++line) {
    out.append(kBlankLineWidth, ' ');
    out += '\n';
  }
  return out;
}

std::string compose_frame(const game& world, const Voice& voice, bool f3) {
  return compose_view(world, voice) + compose_status(world.localplayer, voice, f3);
}

std::string compose_too_small(const Voice& voice, console::WindowSize has) {
  std::string out;
  begin_at_top_left(out);
  out += voice.window_too_small(view_size_needed(voice), has);
  // Erased to the end of the line: the line before may have been longer.
  out += console::kEraseToLineEnd;
  return out;
}

}  // namespace play
