// Frames composed in memory: the view at a corner of the world in each voice, and the status lines.
#include <gtest/gtest.h>

#include <string>

#include "base/text_encoding.h"
#include "console/escape_output.h"
#include "play/frame.h"
#include "world/game.h"

namespace {

const std::string kSilver = "\x1b[38;2;192;192;192m";
const std::string kHideCursorHome = "\x1b[?25l\x1b[H";

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
  EXPECT_EQ(play::compose_view(world, play::chinese_voice()), expected);
  EXPECT_EQ(play::compose_view(world, play::english_voice()), expected);
}

TEST_F(CornerView, DeveloperViewHasNoBorderAndNoBars) {
  const auto row = [](const std::string& cells) { return cells + kSilver + "\n"; };
  std::string expected = kHideCursorHome + repeat(row(repeat(kSilver + "##", 21)), 10);
  expected += row(outside + player_cells) + row(outside + treasure_cells);
  expected += repeat(row(outside + repeat(kSilver + "  ", 11)), 9);
  EXPECT_EQ(play::compose_view(world, play::developer_voice()), expected);
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
}

TEST(StatusLines, TheViewNeedsARowBelowItsLastBlankLine) {
  // 23 box lines and 3 blank lines, the last of them ending in a line feed.
  game world;
  const std::string frame = play::compose_frame(world, play::english_voice(), false);
  EXPECT_EQ(std::count(frame.begin(), frame.end(), '\n') + 1, 27);
  EXPECT_EQ(play::view_size_needed(play::english_voice()).rows, 27);
  EXPECT_EQ(play::view_size_needed(play::developer_voice()).rows, 25);
  EXPECT_EQ(play::view_size_needed(play::developer_voice()).columns, 55);
}

}  // namespace
