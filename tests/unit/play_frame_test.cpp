// Frames composed in memory: the view at a corner of the world in each voice, and the status lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "base/text_encoding.h"
#include "console/colour_mode.h"
#include "console/escape_output.h"
#include "play/frame.h"
#include "world/game.h"
#include "world/tables.h"

namespace {

const std::string kSilver = "\x1b[38;2;192;192;192m";
const std::string kHideCursorHome = "\x1b[?25l\x1b[H";

// The view alone, as the terminal receives it.
std::string view_stream(const game& world, const play::Voice& voice, play::ViewShape shape = play::kFullView) {
  console::Canvas canvas(shape.rows + 3, 2 * shape.cells + 2);
  play::compose_view(world, voice, shape, canvas);
  return canvas.whole_stream();
}

std::string repeat(const std::string& piece, int times) {
  std::string out;
  while (times-- > 0) out += piece;
  return out;
}

// The player at the top-left corner, a level-2 monster to its right and a
// level-1 treasure below it.
class CornerView : public ::testing::Test {
 protected:
  CornerView() {
    world.localplayer.x = -512;
    world.localplayer.y = -512;
    world.cell(-512, -511) = monster;
    world.cell(-511, -512) = treasure;
  }
  static game::point cell_of(int type, int level) {
    game::point cell;
    cell.type = type;
    cell.level = level;
    return cell;
  }
  const game::point monster = cell_of(3, 2);
  const game::point treasure = cell_of(1, 1);
  const std::string player_cells = kSilver + "YY" + "\x1b[38;2;255;230;93mMM" + repeat(kSilver + "  ", 9);
  const std::string treasure_cells = "\x1b[38;2;153;230;77mB?" + repeat(kSilver + "  ", 10);
  const std::string outside = repeat(kSilver + "##", 10);
  game world;
};

TEST_F(CornerView, BorderedViewHasHashesAboveAndLeftOfThePlayer) {
  const std::string border = "+" + std::string(42, '-') + "+\n";
  const auto row = [](const std::string& cells) { return kSilver + "|" + cells + kSilver + "|\n"; };
  std::string expected = kHideCursorHome + border + repeat(row(repeat(kSilver + "##", 21)), 10);
  expected += row(outside + player_cells) + row(outside + treasure_cells);
  expected += repeat(row(outside + repeat(kSilver + "  ", 11)), 9) + border;
  EXPECT_EQ(view_stream(world, play::chinese_voice()), expected);
  EXPECT_EQ(view_stream(world, play::english_voice()), expected);
}

TEST_F(CornerView, ASmallWindowShowsFewerRowsAndCellsAroundThePlayer) {
  const std::string border = "+" + std::string(14, '-') + "+\n";
  const auto row = [](const std::string& cells) { return kSilver + "|" + cells + kSilver + "|\n"; };
  const std::string hashes = repeat(kSilver + "##", 3);
  std::string expected = kHideCursorHome + border + repeat(row(repeat(kSilver + "##", 7)), 2);
  expected += row(hashes + player_cells.substr(0, player_cells.size() - 7 * (kSilver.size() + 2)));
  expected += row(hashes + treasure_cells.substr(0, treasure_cells.size() - 7 * (kSilver.size() + 2)));
  expected += row(hashes + repeat(kSilver + "  ", 4)) + border;
  EXPECT_EQ(view_stream(world, play::chinese_voice(), play::ViewShape{5, 7}), expected);
}

TEST_F(CornerView, DeveloperViewHasNoBorderAndNoBars) {
  const auto row = [](const std::string& cells) { return cells + kSilver + "\n"; };
  std::string expected = kHideCursorHome + repeat(row(repeat(kSilver + "##", 21)), 10);
  expected += row(outside + player_cells) + row(outside + treasure_cells);
  expected += repeat(row(outside + repeat(kSilver + "  ", 11)), 9);
  EXPECT_EQ(view_stream(world, play::developer_voice()), expected);
}

TEST(StatusLines, EachVoiceLabelsTheSameValuesAndBlankLinesWipeThem) {
  game::player player;
  player.x = -3;
  player.y = 511;
  player.hp = static_cast<int128>(1) << 100;
  const std::string hp = "1267650600228229401496703205376";
  EXPECT_EQ(play::compose_status(player, play::english_voice(), true),
            "X:-3 Y:511\nCultivation:0 Spiritual Power:0\nAttack Power:10 Defense:5 HP:" + hp);
  EXPECT_EQ(play::compose_status(player, play::chinese_voice(), true),
            base::utf8_to_gbk("X:-3 Y:511\n修为：0 灵力:0\n攻击力：10 防御力：5 血量：") + hp);
  EXPECT_EQ(play::compose_status(player, play::developer_voice(), true), "-3 511\n0 0\n10 5 " + hp);
  EXPECT_EQ(play::compose_status(player, play::developer_voice(), false), repeat(std::string(55, ' ') + "\n", 3));
  // Cut at a narrow window's edge, a Chinese character counting two columns.
  EXPECT_EQ(play::compose_status(player, play::chinese_voice(), true, 10),
            base::utf8_to_gbk("X:-3 Y:511\n修为：0 灵\n攻击力：10"));
  EXPECT_EQ(play::compose_status(player, play::chinese_voice(), false, 40), repeat(std::string(40, ' ') + "\n", 3));
}

// A window shows as many rows and cells as it holds, an odd number of each,
// with the borders and the three status lines and a row below them kept.
TEST(ViewShape, AWindowShowsAsMuchOfTheViewAsItHolds) {
  game world;
  const std::string frame = play::compose_frame(world, play::english_voice(), false);
  EXPECT_EQ(std::count(frame.begin(), frame.end(), '\n') + 1, play::full_view_size(play::english_voice()).rows);
  const auto shape = [](const play::Voice& voice, int rows, int columns) {
    const std::optional<play::ViewShape> shown = play::view_shape_for(voice, console::WindowSize{rows, columns});
    return shown ? std::to_string(shown->rows) + "x" + std::to_string(shown->cells) : "too small";
  };
  const play::Voice& bordered = play::english_voice();
  const play::Voice& bare = play::developer_voice();
  EXPECT_EQ(shape(bordered, 27, 44), "21x21");
  EXPECT_EQ(shape(bordered, 100, 200), "21x21");
  EXPECT_EQ(shape(bordered, 24, 80), "17x21");
  EXPECT_EQ(shape(bare, 24, 80), "19x21");
  EXPECT_EQ(shape(bordered, 26, 43), "19x19");
  EXPECT_EQ(shape(bordered, 11, 12), "5x5");
  EXPECT_EQ(shape(bordered, 10, 80), "too small");
  EXPECT_EQ(shape(bordered, 30, 11), "too small");
  EXPECT_EQ(shape(bare, 9, 10), "5x5");
  EXPECT_EQ(play::view_shape_for(bordered, std::nullopt), play::kFullView);
  EXPECT_EQ(play::smallest_view_size(bordered).rows, 11);
  EXPECT_EQ(play::smallest_view_size(bordered).columns, 12);
}

// Whole frames as the terminal receives them, kept byte for byte in
// tests/data/frames: every kind and level of cell around the player, in each
// colour mode, with the status lines shown and blanked, at the world's
// corner, in a window that fits a smaller view and cuts the status lines.
struct GoldenFrame {
  const char* name;
  console::ColourMode mode;
  const play::Voice* voice;
  bool f3;
  int x, y;
  console::WindowSize window;
};

void make_busy(game& world) {
  for (int x = -14; x <= 14; ++x) {
    for (int y = -14; y <= 14; ++y) {
      if ((x * 5 + y * 3 + 64) % 3 == 0) continue;
      game::point& cell = world.cell(x, y);
      cell.type = (x * 7 + y * 2 + 77) % (kHighestCellType + 1);
      cell.level = (x + 2 * y + 60) % kLevels;
    }
  }
  world.cell(2, 3).type = 42;   // a damaged world's type
  world.cell(3, 2).level = 9;   // and level
  world.localplayer.lingli = 12345;
  world.localplayer.atk = static_cast<int128>(1) << 80;
}

std::string frame_bytes(const GoldenFrame& frame) {
  game world;
  make_busy(world);
  world.localplayer.x = frame.x;
  world.localplayer.y = frame.y;
  const std::optional<play::ViewShape> shape = play::view_shape_for(*frame.voice, frame.window);
  console::Canvas canvas = play::canvas_for(frame.window);
  play::compose_view(world, *frame.voice, *shape, canvas);
  canvas.write(play::compose_status(world.localplayer, *frame.voice, frame.f3, frame.window.columns));
  return canvas.whole_stream();
}

TEST(GoldenFrames, WholeFramesAreTheBytesKeptForThem) {
  using console::ColourMode;
  const console::WindowSize big{30, 80};
  const GoldenFrame frames[] = {
      {"busy-24bit", ColourMode::kTrueColour, &play::chinese_voice(), true, 0, 0, big},
      {"busy-256", ColourMode::k256, &play::chinese_voice(), true, 0, 0, big},
      {"busy-16", ColourMode::k16, &play::chinese_voice(), true, 0, 0, big},
      {"busy-none", ColourMode::kNone, &play::chinese_voice(), true, 0, 0, big},
      {"busy-blank-status", ColourMode::kTrueColour, &play::english_voice(), false, 1, -2, big},
      {"busy-developer", ColourMode::kTrueColour, &play::developer_voice(), true, 0, 0, big},
      {"corner", ColourMode::kTrueColour, &play::english_voice(), true, -512, -512, big},
      {"fitted-24x80", ColourMode::kTrueColour, &play::chinese_voice(), true, 0, 1, {24, 80}},
      {"smallest-11x20", ColourMode::kTrueColour, &play::chinese_voice(), true, 511, 3, {11, 20}},
  };
  const std::string directory = LANTERNVALE_TEST_DATA "/frames/";
  for (const GoldenFrame& frame : frames) {
    SCOPED_TRACE(frame.name);
    console::set_colour_mode(frame.mode);
    const std::string bytes = frame_bytes(frame);
    console::set_colour_mode(ColourMode::kTrueColour);
    const std::string file = directory + frame.name + ".bin";
    std::ifstream kept(file, std::ios::binary);
    ASSERT_TRUE(kept) << file;
    EXPECT_TRUE(bytes == std::string(std::istreambuf_iterator<char>(kept), {}));
  }
}

}  // namespace
