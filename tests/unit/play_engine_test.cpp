// The playthrough engine on a scripted platform: fights and treasures as the
// player sees them, the ends of a playthrough, and what it does when saves
// fail, input ends or the window is too small. Each test runs in its own
// empty working directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "console/text_encoding.h"
#include "play/engine.h"
#include "play/voice.h"
#include "support/scripted_platform.h"
#include "world/game.h"

namespace {

namespace fs = std::filesystem;
using test_support::kKeyWaitMarker;

constexpr const char* kFrameStart = "\x1b[?25l\x1b[H";

std::size_t count(const std::string& text, const std::string& piece) {
  std::size_t found = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++found;
  return found;
}

// A platform whose window size and idle time can be scripted as well: the
// sizes are given out one per frame (the last one stays), and the first
// `idle_waits` key waits find no key even though one is typed.
class PacedPlatform : public test_support::ScriptedPlatform {
 public:
  using ScriptedPlatform::ScriptedPlatform;

  std::deque<console::WindowSize> sizes;
  int idle_waits = 0;

  std::optional<console::WindowSize> window_size() override {
    if (sizes.empty()) return std::nullopt;
    const console::WindowSize size = sizes.front();
    if (sizes.size() > 1) sizes.pop_front();
    return size;
  }
  bool key_waiting() override { return idle_waits > 0 ? false : ScriptedPlatform::key_waiting(); }
  bool wait_for_key(int timeout_ms) override {
    if (idle_waits > 0) {
      --idle_waits;
      key_wait_ms.push_back(timeout_ms);
      return false;
    }
    return ScriptedPlatform::wait_for_key(timeout_ms);
  }
};

class Playthrough : public ::testing::Test {
 protected:
  Playthrough() : platform(&out) {
    platform.untie_streams();  // typed keys are there from now on
    std::string path = (fs::temp_directory_path() / "lanternvale-play-XXXXXX").string();
    directory_ = mkdtemp(path.data());
    previous_directory_ = fs::current_path();
    fs::current_path(directory_);
    old_input_ = std::cin.rdbuf(&input_);
  }
  ~Playthrough() override {
    std::cin.rdbuf(old_input_);
    std::cin.clear();
    fs::current_path(previous_directory_);
    fs::remove_all(directory_);
  }

  void type_lines(const std::string& lines) { input_.str(lines); }
  void press_arrow(int second_code) {
    platform.typed.push_back(224);
    platform.typed.push_back(second_code);
  }
  void press_f3() { press_arrow(61); }
  void press_escape() { platform.typed.push_back(27); }
  // A plain file named "saves": no save can create its directory.
  static void block_saves() { std::ofstream("saves") << "not a directory"; }

  game::point& monster_at(int x, int y, ll attack, ll defence, ll hp) {
    game::point& cell = world.cell(x, y);
    cell.type = 3;
    cell.level = 1;
    cell.m = {attack, defence, hp};
    return cell;
  }

  test_support::StreamCapture out{std::cout};
  PacedPlatform platform;
  game world;

 private:
  std::string directory_;
  fs::path previous_directory_;
  std::stringbuf input_;
  std::streambuf* old_input_ = nullptr;
};

TEST_F(Playthrough, ALoudFightTellsEveryBlowWithItsPausesAndKeepsNothingButTheSlainCell) {
  monster_at(0, 1, 25, 0, 30);
  block_saves();
  press_arrow(77);  // right, onto the monster
  press_escape();
  EXPECT_EQ(play::run_frame_loop(world, play::chinese_voice()), 0);

  const std::string blow = GBK("你对怪物造成了") + "10" + GBK("点伤害！\n");
  const std::string hit = GBK("怪物对你造成了") + "20" + GBK("点伤害！\n");
  const std::string told =
      GBK("你遇到了了一个怪物！开始战斗！\n") + blow + hit + blow + hit + blow + GBK("怪物被你击杀了！");
  EXPECT_NE(out.text().find(told), std::string::npos) << out.text();
  EXPECT_EQ(platform.sleeps, (std::vector<int>{100, 100, 100, 100, 100, 1000}));
  EXPECT_EQ(world.cell(0, 1).type, 8);
  EXPECT_TRUE(world.localplayer.hp == 100 && world.cell(0, 1).m.hp == 30);
}

TEST_F(Playthrough, DeathEndsThePlaythroughWithoutSaving) {
  monster_at(0, 0, 17, 6, 180);
  press_escape();  // never read: the first frame's fight ends it all
  EXPECT_EQ(play::run_frame_loop(world, play::english_voice()), 0);
  EXPECT_NE(out.text().find("The monster dealt12 damage to you!\nThe monster killed you!"), std::string::npos);
  EXPECT_EQ(count(out.text(), "You have dealt 4 damage to the monster!\n"), 9u);
  EXPECT_EQ(platform.sleeps.size(), 19u);
  EXPECT_EQ(platform.typed.size(), 1u);
  EXPECT_FALSE(fs::exists("saves"));
  EXPECT_EQ(world.cell(0, 0).type, 3);
}

TEST_F(Playthrough, TheDeveloperFightsInSilenceAndWithoutPauses) {
  monster_at(0, 1, 25, 0, 30);
  monster_at(0, 2, 71, 28, 740);
  press_arrow(77);
  press_arrow(77);
  EXPECT_EQ(play::run_frame_loop(world, play::developer_voice()), 0);
  EXPECT_EQ(world.cell(0, 1).type, 8);
  EXPECT_EQ(world.cell(0, 2).type, 3);
  EXPECT_TRUE(platform.sleeps.empty());
  EXPECT_FALSE(fs::exists("saves"));
  // Every frame is the view and the blank lines, nothing between them.
  const std::string text = out.text();
  EXPECT_EQ(count(text, kFrameStart), 3u);
  EXPECT_EQ(text.find("Effect"), std::string::npos);
}

TEST_F(Playthrough, AStalemateIsToldOnceAndFoughtAgainOnlyAfterThePlayerLeavesTheCell) {
  monster_at(0, 0, 5, 10, 50);  // neither side can hurt the other
  block_saves();
  press_f3();
  press_f3();
  press_arrow(77);
  press_arrow(75);  // back onto the monster
  press_escape();
  EXPECT_EQ(play::run_frame_loop(world, play::chinese_voice()), 0);
  const std::string text = out.text();
  const std::string exchange = GBK("你对怪物造成了0点伤害！\n怪物对你造成了0点伤害！\n");
  EXPECT_EQ(count(text, GBK("你遇到了了一个怪物！开始战斗！\n") + exchange + GBK("你与怪物谁也伤不了谁，战斗结束！")), 2u);
  EXPECT_EQ(count(text, exchange), 2u);
  EXPECT_EQ(platform.sleeps, (std::vector<int>{100, 100, 1000, 100, 100, 1000}));
  EXPECT_EQ(world.cell(0, 0).type, 3);
  EXPECT_TRUE(world.localplayer.hp == 100 && world.cell(0, 0).m.hp == 50);
  EXPECT_TRUE(world.localplayer.x == 0 && world.localplayer.y == 0);
}

TEST_F(Playthrough, TheDeveloperStalemateIsOneTerseLine) {
  monster_at(0, 0, 5, 10, 50);
  press_f3();
  press_f3();
  platform.typed.push_back('q');
  EXPECT_EQ(play::run_frame_loop(world, play::developer_voice()), 0);
  EXPECT_EQ(count(out.text(), "Stalemate."), 1u);
}

TEST_F(Playthrough, ATreasureWaitsForAKeyAndShowsInTheStatusLinesOfTheSameFrame) {
  game::point& cell = world.cell(0, 0);
  cell.type = 1;
  cell.level = 0;
  cell.b = {0, 20};
  block_saves();
  press_escape();  // only dismisses the wait
  press_f3();
  press_escape();
  EXPECT_EQ(play::run_frame_loop(world, play::english_voice()), 0);
  const std::string text = out.text();
  // The status lines follow the message on its line, and show the F3 read
  // in the same frame: the pickup's key wait, then the two codes of F3.
  const std::string wait = kKeyWaitMarker;
  const std::string pickup = "You find a treasure!Effect:Attack+20" + wait + wait + wait +
                             "X:0 Y:0\nCultivation:0 Spiritual Power:0\nAttack Power:30 Defense:5 HP:100";
  EXPECT_NE(text.find(pickup), std::string::npos) << text;
  EXPECT_EQ(count(text, "You find a treasure"), 1u);
  EXPECT_EQ(world.cell(0, 0).type, 5);
  EXPECT_EQ(world.localplayer.baowu.size(), 1u);
}

TEST_F(Playthrough, TheEndOfInputAtATreasureEndsThePlaythroughWithASave) {
  game::point& cell = world.cell(0, 0);
  cell.type = 1;
  cell.b = {2, 3};
  block_saves();
  EXPECT_EQ(play::run_frame_loop(world, play::developer_voice()), 0);
  const std::string text = out.text();
  EXPECT_NE(text.find("Effect:Defence+3"), std::string::npos);
  // The save was tried, and its failure told.
  EXPECT_NE(text.find("Not saved: cannot create the directory saves"), std::string::npos) << text;
  EXPECT_TRUE(world.localplayer.defence == 8);
}

TEST_F(Playthrough, AFailedSaveAtEscapeSaysWhyAndWaitsForAKey) {
  block_saves();
  press_escape();
  platform.typed.push_back('k');
  EXPECT_EQ(play::run_frame_loop(world, play::chinese_voice()), 0);
  const std::string text = out.text();
  const std::size_t told = text.find(GBK("世界未能保存："));
  ASSERT_NE(told, std::string::npos) << text;
  EXPECT_NE(text.find(GBK("（按任意键继续）") + "\n" + kKeyWaitMarker, told), std::string::npos);
  EXPECT_TRUE(platform.typed.empty());
}

TEST_F(Playthrough, AnIdleMapWaitsAFrameForAKeyAndDrawsTheSameFrameAgain) {
  platform.idle_waits = 3;
  press_escape();
  block_saves();
  play::run_frame_loop(world, play::english_voice());
  EXPECT_EQ(platform.key_wait_ms, (std::vector<int>{16, 16, 16}));
  const std::string text = out.text();
  const std::size_t first = text.find(kFrameStart);
  const std::size_t second = text.find(kFrameStart, first + 1);
  const std::size_t third = text.find(kFrameStart, second + 1);
  EXPECT_EQ(text.substr(first, second - first), text.substr(second, third - second));
  EXPECT_EQ(count(text, kFrameStart), 4u);
}

TEST_F(Playthrough, ATooSmallWindowShowsOneLineUntilTheViewFitsAgain) {
  platform.sizes = {{24, 80}, {24, 80}, {27, 55}};
  press_f3();
  press_arrow(80);  // keys still work: down
  platform.typed.push_back('q');
  press_escape();
  block_saves();
  play::run_frame_loop(world, play::english_voice());
  const std::string text = out.text();
  const std::string line = "Window too small: needs 27 rows x 55 columns, has 24 x 80\x1b[K";
  const std::size_t first = text.find(std::string("\x1b[2J") + kFrameStart + line);
  ASSERT_NE(first, std::string::npos) << text;
  EXPECT_EQ(count(text, line), 2u);
  EXPECT_EQ(count(text, "\x1b[2J"), 2u);
  // Back to the view, with the F3 lines and the move made meanwhile.
  const std::size_t view = text.find(std::string("\x1b[2J") + kFrameStart + "+---", first + 1);
  ASSERT_NE(view, std::string::npos);
  EXPECT_NE(text.find("X:1 Y:0", view), std::string::npos);
  EXPECT_EQ(text.find("X:", first), text.find("X:1 Y:0", view));
}

TEST_F(Playthrough, TheEnglishPlayerCannotWalkIntoAMonsterButTheChineseOneCan) {
  monster_at(1, 0, 1, 0, 1);
  press_arrow(80);
  platform.typed.push_back('q');
  press_escape();
  block_saves();
  play::run_frame_loop(world, play::english_voice());
  EXPECT_EQ(world.localplayer.x, 0);
  EXPECT_EQ(world.cell(1, 0).type, 3);

  press_arrow(80);
  press_escape();
  play::run_frame_loop(world, play::chinese_voice());
  EXPECT_EQ(world.localplayer.x, 1);
  EXPECT_EQ(world.cell(1, 0).type, 8);
}

// The start of a playthrough, with the answers typed on standard input.

TEST_F(Playthrough, ANegativeAnswerMakesANewWorldAndTheEndOfInputAtAPromptCreatesNothing) {
  type_lines("-1\n");
  EXPECT_EQ(play::playthrough(world, play::english_voice()), 0);
  const std::string text = out.text();
  EXPECT_NE(text.find("There are no available archives.\nEnter 0"), std::string::npos) << text;
  EXPECT_NE(text.find("Please enter the world name:"), std::string::npos);
  EXPECT_EQ(text.find("Please enter the seed"), std::string::npos);
  EXPECT_FALSE(fs::exists("saves"));
  EXPECT_EQ(platform.key_reads, 0);
}

TEST_F(Playthrough, AFailedFirstSaveIsToldAndTheWorldIsPlayedAllTheSame) {
  block_saves();
  type_lines("0\nmy world\n\n");
  platform.typed.push_back('k');  // dismisses the message
  press_escape();
  EXPECT_EQ(play::playthrough(world, play::english_voice()), 0);
  const std::string text = out.text();
  const std::string told = "Initializing...\nThe world was not saved: cannot create the directory saves";
  const std::size_t at = text.find(told);
  ASSERT_NE(at, std::string::npos) << text;
  EXPECT_NE(text.find(kFrameStart, at), std::string::npos);
  EXPECT_EQ(count(text, "The world was not saved:"), 2u);  // at Escape again
  EXPECT_EQ(world.worldname, "my world");
}

TEST_F(Playthrough, ASaveThatCannotBeOpenedIsToldAndLeftAsItWas) {
  fs::create_directory("saves");
  const std::string damaged = "broken\nshort";
  std::ofstream("saves/broken.dat", std::ios::binary) << damaged;
  type_lines("1\n");
  platform.typed.push_back('k');
  EXPECT_EQ(play::playthrough(world, play::developer_voice()), 0);
  const std::string text = out.text();
  EXPECT_NE(text.find("World:broken"), std::string::npos) << text;
  const std::size_t told = text.find("Not opened: ");
  ASSERT_NE(told, std::string::npos) << text;
  EXPECT_EQ(text.find(kFrameStart), std::string::npos);
  EXPECT_TRUE(platform.typed.empty());
  std::ifstream file("saves/broken.dat", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), damaged);
  EXPECT_EQ(std::distance(fs::directory_iterator("saves"), fs::directory_iterator()), 1);
}

TEST_F(Playthrough, ControlBytesInAListedNameAreNotSentToTheTerminal) {
  fs::create_directory("saves");
  std::ofstream("saves/x.dat", std::ios::binary) << "evil\x1b]0;pwned\a\n";
  type_lines("");
  play::playthrough(world, play::english_voice());
  const std::string text = out.text();
  EXPECT_NE(text.find("The name of the world:evil?]0;pwned?"), std::string::npos) << text;
}

}  // namespace
