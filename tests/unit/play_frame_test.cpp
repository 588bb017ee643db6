// Frames composed in memory: the same bytes as the console's own functions,
// the view at the corner of the world, and the status lines of each voice.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>

#include "console/escape_output.h"
#include "console/text_encoding.h"
#include "play/frame.h"
#include "play/voice.h"
#include "world/game.h"

namespace {

const std::string kSilver = "\x1b[38;2;192;192;192m";
const std::string kBorder = "+------------------------------------------+\n";
const std::string kHideCursorHome = "\x1b[?25l\x1b[H";

std::string repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

class CoutCapture {
 public:
  CoutCapture() : old_(std::cout.rdbuf(captured_.rdbuf())) {}
  ~CoutCapture() { std::cout.rdbuf(old_); }
  std::string take() {
    std::string text = captured_.str();
    captured_.str("");
    return text;
  }

 private:
  std::ostringstream captured_;
  std::streambuf* old_;
};

TEST(FrameBytes, EscapeSequencesMatchTheConsoleFunctions) {
  CoutCapture console_out;
  for (const int packed : {0xC0C0C0, 0x8A2BE2, 0, -1, 0x7FFFFFFF}) {
    std::string composed;
    play::append_color(composed, packed);
    console::setColor(packed);
    EXPECT_EQ(composed, console_out.take()) << packed;
  }
  for (const auto& rgb : {std::array{150, 150, 150}, std::array{300, -4, 0}}) {
    std::string composed;
    play::append_color(composed, rgb[0], rgb[1], rgb[2]);
    console::setColor(rgb[0], rgb[1], rgb[2]);
    EXPECT_EQ(composed, console_out.take());
  }
  for (const auto& at : {std::array{0, 0}, std::array{9, 7}, std::array{25, 120}}) {
    std::string composed;
    play::append_cursor_move(composed, at[0], at[1]);
    console::gotoxy(at[0], at[1]);
    EXPECT_EQ(composed, console_out.take());
  }
}

// Splits a frame into its lines (each keeps its line feed).
std::vector<std::string> lines_of(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end + 1 - start));
    start = end + 1;
  }
  return lines;
}

class CornerView : public ::testing::Test {
 protected:
  CornerView() {
    world.localplayer.x = -512;
    world.localplayer.y = -512;
    // Right of the player a level-2 monster, below it a level-1 treasure,
    // diagonally an empty cell with a level (drawn silver all the same).
    world.cell(-512, -511).type = 3;
    world.cell(-512, -511).level = 2;
    world.cell(-511, -512).type = 1;
    world.cell(-511, -512).level = 1;
    world.cell(-511, -511).level = 4;
  }

  // A row of the view inside the world: ten "##" on the left, then `cells`.
  static std::string world_row(const std::string& cells, bool bordered) {
    const std::string inner = repeat(kSilver + "##", 10) + cells;
    return bordered ? kSilver + "|" + inner + kSilver + "|\n" : inner + kSilver + "\n";
  }

  game world;
};

TEST_F(CornerView, BorderedViewShowsTheOutsideAsHashesAndThePlayerInTheMiddle) {
  const std::string view = play::compose_view(world, play::chinese_voice());
  ASSERT_TRUE(view.starts_with(kHideCursorHome));
  const std::vector<std::string> lines = lines_of(view.substr(kHideCursorHome.size()));
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[0], kBorder);
  EXPECT_EQ(lines[22], kBorder);
  const std::string outside_row = kSilver + "|" + repeat(kSilver + "##", 21) + kSilver + "|\n";
  for (int row = 1; row <= 10; ++row) EXPECT_EQ(lines[row], outside_row) << row;

  const std::string monster = "\x1b[38;2;255;230;93mMM";
  const std::string blank = kSilver + "  ";
  EXPECT_EQ(lines[11], world_row(kSilver + "YY" + monster + repeat(blank, 9), true));
  const std::string treasure = "\x1b[38;2;153;230;77mB?";
  EXPECT_EQ(lines[12], world_row(treasure + repeat(blank, 10), true));
  EXPECT_EQ(lines[21], world_row(repeat(blank, 11), true));
}

TEST_F(CornerView, DeveloperViewHasNoBorderAndNoBars) {
  const std::string view = play::compose_view(world, play::developer_voice());
  ASSERT_TRUE(view.starts_with(kHideCursorHome));
  const std::vector<std::string> lines = lines_of(view.substr(kHideCursorHome.size()));
  ASSERT_EQ(lines.size(), 21u);
  for (int row = 0; row < 10; ++row) EXPECT_EQ(lines[row], repeat(kSilver + "##", 21) + kSilver + "\n");
  EXPECT_EQ(lines[10], world_row(kSilver + "YY" + "\x1b[38;2;255;230;93mMM" + repeat(kSilver + "  ", 9), false));
}

TEST_F(CornerView, TheOppositeCornerPutsTheHashesBelowAndRight) {
  world.localplayer.x = 511;
  world.localplayer.y = 511;
  const std::vector<std::string> lines = lines_of(play::compose_view(world, play::english_voice()).substr(kHideCursorHome.size()));
  const std::string player_row = kSilver + "|" + repeat(kSilver + "  ", 10) + kSilver + "YY" +
                                 repeat(kSilver + "##", 10) + kSilver + "|\n";
  EXPECT_EQ(lines[11], player_row);
  EXPECT_EQ(lines[12], kSilver + "|" + repeat(kSilver + "##", 21) + kSilver + "|\n");
}

TEST(StatusLines, EachVoiceLabelsTheSameValuesItsOwnWay) {
  game::player player;
  player.x = -3;
  player.y = 511;
  player.atk = 30;
  player.lingli = 0;
  EXPECT_EQ(play::compose_status(player, play::english_voice(), true),
            "X:-3 Y:511\nCultivation:0 Spiritual Power:0\nAttack Power:30 Defense:5 HP:100");
  EXPECT_EQ(play::compose_status(player, play::chinese_voice(), true),
            console::utf8_to_gbk("X:-3 Y:511\n修为：0 灵力:0\n攻击力：30 防御力：5 血量：100"));
  // Defence before hit points, single blanks between bare values.
  EXPECT_EQ(play::compose_status(player, play::developer_voice(), true), "-3 511\n0 0\n30 5 100");
  const std::string blank_line = std::string(55, ' ') + "\n";
  for (const play::Voice* voice : {&play::chinese_voice(), &play::english_voice(), &play::developer_voice()}) {
    EXPECT_EQ(play::compose_status(player, *voice, false), blank_line + blank_line + blank_line);
  }
}

TEST(StatusLines, StatisticsBeyondSixtyFourBitsArePrintedWhole) {
  game::player player;
  player.hp = static_cast<int128>(1) << 100;
  EXPECT_TRUE(play::compose_status(player, play::developer_voice(), true)
                  .ends_with(" 1267650600228229401496703205376"));
}

TEST(FrameSize, TheViewAndItsBlankLinesNeedOneRowMoreThanTheyFill) {
  // 23 box lines and 3 blank lines, each blank line ending in a line feed.
  EXPECT_EQ(play::view_size_needed(play::chinese_voice()).rows, 27);
  EXPECT_EQ(play::view_size_needed(play::english_voice()).rows, 27);
  EXPECT_EQ(play::view_size_needed(play::developer_voice()).rows, 25);
  EXPECT_EQ(play::view_size_needed(play::chinese_voice()).columns, 55);
  game world;
  const std::string frame = play::compose_frame(world, play::chinese_voice(), false);
  EXPECT_EQ(std::count(frame.begin(), frame.end(), '\n') + 1, 27);
}

TEST(FrameSize, ADamagedCellIsDrawnWithoutReadingPastTheTables) {
  game world;
  world.cell(0, 1).type = 99;
  world.cell(0, 2).type = 3;
  world.cell(0, 2).level = 7;
  const std::string view = play::compose_view(world, play::developer_voice());
  EXPECT_NE(view.find(kSilver + "??" + kSilver + "MM"), std::string::npos);
}

}  // namespace
