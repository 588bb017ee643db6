// The playthrough engine on a scripted platform, in an empty working
// directory: fights and treasures as told, and what it does when saves fail,
// input ends or the window is too small.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "base/key_codes.h"
#include "base/text_encoding.h"
#include "console/accessibility.h"
#include "console/platform.h"
#include "persistence/save_slot.h"
#include "play/engine.h"
#include "play/frame.h"
#include "support/scratch_directory.h"
#include "support/scripted_platform.h"
#include "world/game.h"

namespace {

namespace fs = std::filesystem;
const std::string kWait = test_support::kKeyWaitMarker;
const std::string kIdle = test_support::kIdleMarker;
const std::string kFrameStart = "\x1b[?25l\x1b[H";

std::size_t count(const std::string& text, const std::string& piece) {
  std::size_t found = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++found;
  return found;
}

// The scripted platform, with window sizes given out one per frame (the last
// one stays), a number of key waits that find no key, and what the player
// does at a key.
class PacedPlatform : public test_support::ScriptedPlatform {
 public:
  using ScriptedPlatform::ScriptedPlatform;
  std::deque<console::WindowSize> sizes;
  int idle_waits = 0;
  std::function<void(int key)> on_key;

  int read_key() override {
    const int key = ScriptedPlatform::read_key();
    if (on_key) on_key(key);
    return key;
  }
  std::optional<console::WindowSize> window_size() override {
    if (sizes.empty()) return std::nullopt;
    const console::WindowSize size = sizes.front();
    if (sizes.size() > 1) sizes.pop_front();
    return size;
  }
  bool key_waiting() override { return idle_waits == 0 && ScriptedPlatform::key_waiting(); }
  bool wait_for_key(int timeout_ms) override {
    if (idle_waits == 0) return ScriptedPlatform::wait_for_key(timeout_ms);
    --idle_waits;
    idle(timeout_ms);
    return false;
  }
};

class Playthrough : public ::testing::Test {
 protected:
  Playthrough() : platform(&out), old_input_(std::cin.rdbuf(&input_)) {
    platform.untie_streams();  // typed keys are there from now on
  }
  ~Playthrough() override {
    std::cin.rdbuf(old_input_);
    std::cin.clear();
  }

  void type_lines(const std::string& lines) { input_.str(lines); }
  void press(std::initializer_list<int> codes) { platform.typed.insert(platform.typed.end(), codes); }
  // A plain file named "saves": no save can create its directory.
  static void block_saves() { std::ofstream("saves") << "not a directory"; }
  // The frame loop, saving to the file of the world's name.
  int play_frames(const play::Voice& voice) {
    persistence::SaveSlot slot = *persistence::SaveSlot::of_name(world.worldname);
    return play::run_frame_loop(world, voice, slot);
  }
  void place_monster(int x, int y, ll attack, ll defence, ll hp) {
    world.cell(x, y).type = 3;
    world.cell(x, y).m = {attack, defence, hp};
  }

  test_support::ScratchDirectory directory{"lanternvale-play-"};
  test_support::StreamCapture out{std::cout};
  PacedPlatform platform;
  game world;

 private:
  std::stringbuf input_;
  std::streambuf* old_input_;
};

TEST_F(Playthrough, ALoudFightTellsEveryBlowWithItsPausesAndKeepsOnlyTheSlainCell) {
  place_monster(0, 1, 25, 0, 30);
  block_saves();
  press({224, 77, 27});  // right, onto the monster; Escape, whose save fails as input ends
  EXPECT_EQ(play_frames(play::chinese_voice()), play::kWorldNotSaved);
  const std::string blow = GBK("你对怪物造成了10点伤害！\n");
  const std::string hit = GBK("怪物对你造成了20点伤害！\n");
  EXPECT_EQ(count(out.text(), GBK("你遇到了了一个怪物！开始战斗！\n") + blow + hit + blow + hit + blow +
                                  GBK("怪物被你击杀了！")),
            1u);
  EXPECT_EQ(platform.sleeps, (std::vector<int>{100, 100, 100, 100, 100, 1000}));
  EXPECT_EQ(world.cell(0, 1).type, 8);
  EXPECT_TRUE(world.localplayer.hp == 100 && world.cell(0, 1).m.hp == 30);
}

// A hang-up in the middle of a fight: its outcome stands at once, nothing
// more of it is told, and the world is saved without waiting out the pauses.
class HangUpInAFight : public PacedPlatform {
 public:
  using PacedPlatform::PacedPlatform;
  void sleep_ms(int milliseconds) override {
    PacedPlatform::sleep_ms(milliseconds);
    ended = true;
    typed.clear();
  }
};

TEST(PlaythroughEnd, AHangUpDuringAFightSkipsTheRestOfItsPausesAndSaves) {
  test_support::ScratchDirectory directory{"lanternvale-play-"};
  test_support::StreamCapture out{std::cout};
  HangUpInAFight platform(&out);
  platform.untie_streams();
  game world;
  world.worldname = "w";
  world.cell(0, 0).type = 3;
  world.cell(0, 0).m = {6, 0, 400};  // 40 exchanges of 10 against 1
  platform.typed = {'x'};
  persistence::SaveSlot slot = *persistence::SaveSlot::of_name("w");
  EXPECT_EQ(play::run_frame_loop(world, play::english_voice(), slot), 0);
  EXPECT_EQ(platform.sleeps, (std::vector<int>{100}));
  EXPECT_EQ(count(out.text(), "You have dealt 10 damage to the monster!\n"), 1u);
  EXPECT_EQ(count(out.text(), "You killed the monster!"), 0u);
  EXPECT_EQ(world.cell(0, 0).type, 8);
  EXPECT_TRUE(fs::is_regular_file("saves/w.dat"));
}

TEST_F(Playthrough, AStalemateIsToldOnceAndFoughtAgainOnlyWhenThePlayerComesBack) {
  place_monster(0, 0, 5, 10, 50);  // neither side can hurt the other
  block_saves();
  press({0, 61, 0, 61, 224, 77, 224, 75, 27, 'k'});  // F3 twice, away and back, Escape, a key
  EXPECT_EQ(play_frames(play::chinese_voice()), play::kWorldNotSaved);
  const std::string text = out.text();
  const std::string exchange = GBK("你对怪物造成了0点伤害！\n怪物对你造成了0点伤害！\n");
  EXPECT_EQ(count(text, exchange + GBK("你与怪物谁也伤不了谁，战斗结束！")), 2u);
  EXPECT_EQ(platform.sleeps, (std::vector<int>{100, 100, 1000, 100, 100, 1000}));
  EXPECT_TRUE(world.cell(0, 0).type == 3 && world.cell(0, 0).m.hp == 50 && world.localplayer.hp == 100);
  // The failed save at Escape says why in the voice's words, then waits for
  // the key; back in the world, the end of input tries once more.
  EXPECT_EQ(count(text, GBK("世界未能保存：无法创建目录saves：")), 2u) << text;
  EXPECT_TRUE(text.ends_with(GBK("（按任意键继续）") + "\n" + kWait));
  EXPECT_TRUE(platform.typed.empty());

  out.clear();
  press({0, 61, 0, 61, 27});
  play_frames(play::developer_voice());
  EXPECT_EQ(count(out.text(), "Stalemate."), 1u);
}

TEST_F(Playthrough, AFightOfMoreThanAHundredExchangesShowsItsFirstAndOneLineForTheRest) {
  place_monster(0, 1, 5, 9, 100);                // one point a blow and none back: 100 exchanges
  place_monster(0, 2, 5, 9, 1'000'000'000'000'000);  // 10^15 exchanges
  block_saves();
  press({224, 77, 224, 77, 27});
  play_frames(play::chinese_voice());
  const std::string text = out.text();
  const std::string exchange = GBK("你对怪物造成了1点伤害！\n怪物对你造成了0点伤害！\n");
  const std::string last_blow = GBK("你对怪物造成了1点伤害！\n怪物被你击杀了！");
  std::string every_blow = GBK("你遇到了了一个怪物！开始战斗！\n");
  for (int i = 1; i < 100; ++i) every_blow += exchange;
  EXPECT_EQ(count(text, every_blow + last_blow), 1u);
  std::string first_five = GBK("你遇到了了一个怪物！开始战斗！\n");
  for (int i = 0; i < 5; ++i) first_five += exchange;
  EXPECT_EQ(count(text, first_five + GBK("……这场战斗共1000000000000000个回合。怪物被你击杀了！")), 1u) << text;
  EXPECT_EQ(count(text, GBK("个回合")), 1u);
  EXPECT_EQ(platform.sleeps.size(), 199u + 1 + 10 + 1);
  EXPECT_TRUE(world.cell(0, 1).type == 8 && world.cell(0, 2).type == 8);
}

// For a screen reader every step, treasure and fight is one line told with
// the frame (and announced), without a pause; a treasure and a death wait
// for a key once their line is on the screen.
TEST_F(Playthrough, ForAScreenReaderEncountersAreToldInALineEachAndATreasureOrADeathWaitsForAKey) {
  struct ScreenReaderOn {
    ScreenReaderOn() { console::set_accessibility({false, true}); }
    ~ScreenReaderOn() { console::set_accessibility({}); }
  } screen_reader;
  world.cell(0, 1).type = 1;
  world.cell(0, 1).b = {0, 20};
  place_monster(0, 2, 25, 0, 90);    // falls in round 3
  place_monster(0, 3, 60, 6, 1800);  // wins in round 2
  for (int y = 1; y <= 3; ++y) world.cell(0, y).level = y;
  platform.sizes = {{30, 200}};
  block_saves();
  press({224, 77, 'k', 224, 77, 224, 77, 'k'});
  EXPECT_EQ(play_frames(play::chinese_voice()), 0);
  const std::string treasure = GBK("你找到了一个宝物！效果：攻击+20（按任意键继续）");
  const std::string death = GBK("战斗：你每击造成24点伤害，怪物每击造成55点伤害。第2回合，你被怪物击杀了！（按任意键继续）");
  EXPECT_EQ(platform.announced,
            (std::vector<std::string>{GBK("X:0 Y:0。右方：1级宝物，1格。上方、下方、左方：无。"),
                                      play::chinese_voice().reader_keys,
                                      GBK("X:0 Y:1。右方：2级怪物，1格。上方、下方、左方：无。"), treasure,
                                      GBK("X:0 Y:2。右方：3级怪物，1格。上方、下方、左方：无。"),
                                      GBK("战斗：你每击造成30点伤害，怪物每击造成20点伤害。第3回合，怪物被你击杀了！"),
                                      GBK("X:0 Y:3。视野内空无一物。"), death}));
  // Each line is written once, with the frame before its key wait: the
  // treasure's is the third key read, the death's the last.
  const std::string text = out.text();
  EXPECT_EQ(count(text, treasure), 1u);
  EXPECT_EQ(count(text.substr(0, text.find(treasure)), kWait), 2u);
  EXPECT_EQ(count(text, death), 1u);
  EXPECT_EQ(count(text.substr(text.find(death)), kWait), 1u);
  EXPECT_TRUE(platform.sleeps.empty());
  EXPECT_TRUE(platform.typed.empty());
  EXPECT_TRUE(world.cell(0, 1).type == 5 && world.cell(0, 2).type == 8 && world.cell(0, 3).type == 3);
}

// Escape could not save: the player is back in the world (and frees the
// way at the key that closes the message), where Escape saves.
TEST_F(Playthrough, AFailedSaveAtEscapeReturnsToTheWorldWhereEscapeTriesAgain) {
  world.worldname = "w";
  block_saves();
  platform.on_key = [](int key) {
    if (key == 'k') fs::remove("saves");
  };
  press({27, 'k', 224, 77, 27});
  EXPECT_EQ(play_frames(play::english_voice()), 0);
  const std::string text = out.text();
  const std::size_t told = text.find("The world was not saved: cannot create the directory saves");
  ASSERT_NE(told, std::string::npos) << text;
  // The message is cleared away and the map drawn again.
  EXPECT_LT(text.find(kWait + "<cls>", told), text.find(kFrameStart, told)) << text;
  EXPECT_EQ(count(text, "The world was not saved"), 1u);
  game saved;
  ASSERT_TRUE(saved.open("w"));
  EXPECT_EQ(saved.localplayer.y, 1);
}

TEST_F(Playthrough, ATreasureWaitsForAKeyAndTheEndOfInputThenSaves) {
  world.cell(0, 0).type = 1;
  world.cell(0, 0).b = {0, 20};
  block_saves();
  press({27, 0, 61});  // Escape only dismisses the wait; F3
  EXPECT_EQ(play_frames(play::english_voice()), play::kWorldNotSaved);
  // The status lines of the same frame follow the message on its line.
  const std::string text = out.text();
  EXPECT_EQ(count(text, "You find a treasure!Effect:Attack+20" + kWait + kWait + kWait +
                            "X:0 Y:0\nCultivation:0 Spiritual Power:0\nAttack Power:30 Defense:5 HP:100"),
            1u)
      << text;
  EXPECT_TRUE(world.cell(0, 0).type == 5 && world.localplayer.baowu.size() == 1);
  EXPECT_EQ(count(text, "The world was not saved: cannot create the directory saves"), 1u);
}

TEST_F(Playthrough, AnIdleMapSleepsWithoutTimeLimitAFrameLikeTheLastWritesNothingAndCtrlLWritesAll) {
  platform.sizes = {{30, 80}};
  platform.idle_waits = 3;  // each ends without a key, as a signal would end it
  block_saves();
  press({base::kCtrlL, 27});
  play_frames(play::english_voice());
  EXPECT_EQ(platform.key_wait_ms, std::vector<int>(3, console::kNoTimeLimit));
  // The first frame whole; the second draws the top border again, in silver
  // now; the others write nothing, until Ctrl+L writes one whole again.
  const std::string text = out.text();
  const std::string first = play::compose_frame(world, play::english_voice(), false);
  EXPECT_TRUE(text.starts_with(first + kIdle));
  const std::size_t second = first.size() + kIdle.size();
  EXPECT_LT(text.find(kIdle, second) - second, 60u);
  const std::size_t ctrl_l = text.find(kIdle + kIdle + kWait);
  EXPECT_EQ(ctrl_l, text.find(kIdle, second));
  EXPECT_EQ(text.find(kWait, ctrl_l), text.find(kWait + first + kWait, ctrl_l));
}

TEST_F(Playthrough, AWindowTooSmallForTheSmallestViewShowsItsNoticeUntilTheViewFitsAgain) {
  platform.sizes = {{10, 80}, {10, 80}, {27, 55}};
  block_saves();
  press({0, 61, 224, 80, 'q', 27});  // keys still work meanwhile: F3, down
  play_frames(play::english_voice());
  const std::string text = out.text();
  std::string line = "The window is too small: it needs 11 rows " + GBK("×") + " 12 columns (now 10 " + GBK("×") +
                     " 80).\x1b[K";
  for (int blank_row = 1; blank_row < 10; ++blank_row) line += "\n\x1b[K";
  // The first frame clears what the prompts left and shows only the line.
  EXPECT_EQ(text.find(kFrameStart), text.find("\x1b[2J" + kFrameStart + line) + 4) << text;
  EXPECT_EQ(count(text, line), 1u);  // the second frame is the same: nothing is written
  const std::size_t view = text.find("\x1b[2J" + kFrameStart + "+---");
  ASSERT_NE(view, std::string::npos);
  EXPECT_EQ(text.find("X:"), text.find("X:1 Y:0", view));  // no status lines before
}

TEST_F(Playthrough, ANegativeAnswerMakesANewWorldAndTheEndOfInputAtAPromptCreatesNothing) {
  type_lines("-1\n");
  EXPECT_EQ(play::playthrough(world, play::english_voice()), 0);
  const std::string text = out.text();
  EXPECT_EQ(count(text, "There are no available archives.\nEnter 0"), 1u) << text;
  EXPECT_EQ(count(text, "Please enter the world name:"), 1u);
  EXPECT_EQ(count(text, "Please enter the seed"), 0u);
  EXPECT_FALSE(fs::exists("saves"));
  EXPECT_EQ(platform.key_reads, 0);
}

TEST_F(Playthrough, ANameWhoseFileTheListCouldNotShowIsRefusedWithItsReasonAndAskedForAgain) {
  type_lines("0\n\n" + std::string(300, 'x') + "\nok\n");  // then input ends at the seed prompt
  EXPECT_EQ(play::playthrough(world, play::english_voice()), 0);
  const std::string text = out.text();
  const std::string prompt = "Please enter the world name: (up to 32 characters, press enter to confirm)\n";
  EXPECT_EQ(count(text, prompt + "The world name cannot be empty.\n" + prompt +
                            "The world name is too long to be used as a file name.\n" + prompt + "<cls>\x1b[1;1HPlease enter the seed"),
            1u)
      << text;
  EXPECT_EQ(world.worldname, "ok");
  EXPECT_FALSE(fs::exists("saves/ok.dat"));
}

TEST_F(Playthrough, AFailedFirstSaveIsToldAndTheWorldIsPlayedAllTheSame) {
  fs::create_directories("saves/my world.dat/in the way");
  type_lines("0\nmy world\n\n");
  press({'k', 27});
  EXPECT_EQ(play::playthrough(world, play::english_voice()), play::kWorldNotSaved);
  const std::string text = out.text();
  const std::size_t told = text.find("Initializing...\nThe world was not saved: cannot write saves/my world.dat: ");
  ASSERT_NE(told, std::string::npos) << text;
  EXPECT_NE(text.find(kWait + kFrameStart, told), std::string::npos);
  EXPECT_EQ(count(text, "The world was not saved:"), 2u);  // at Escape again
}

TEST_F(Playthrough, ASaveThatCannotBeOpenedIsToldAndLeftUntouched) {
  fs::create_directory("saves");
  const std::string damaged = "bro\x1b]0;ken\a\nshort";  // control bytes in its name, too
  std::ofstream("saves/broken.dat", std::ios::binary) << damaged;
  type_lines("1\n");
  press({'k'});
  EXPECT_EQ(play::playthrough(world, play::developer_voice()), 0);
  const std::string text = out.text();
  EXPECT_EQ(count(text, "World:bro?]0;ken?"), 1u) << text;
  EXPECT_EQ(count(text, "Not opened: "), 1u);
  EXPECT_EQ(count(text, kFrameStart), 0u);
  EXPECT_TRUE(platform.typed.empty());
  std::ifstream file("saves/broken.dat", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), damaged);
  EXPECT_EQ(std::distance(fs::directory_iterator("saves"), fs::directory_iterator()), 1);
}

// A world whose lock can't be taken is never played unlocked: it is refused,
// naming what is in the way and what to do, and the list comes back.
TEST_F(Playthrough, AWorldWhoseLockCannotBeTakenIsRefusedNamingTheLockFile) {
  world.worldname = "q";
  ASSERT_TRUE(world.save("q"));
  fs::create_directories("saves/.q.dat.lock/in the way");
  type_lines("1\n");
  press({'k'});
  game opened;
  EXPECT_EQ(play::playthrough(opened, play::chinese_voice()), 0);
  const std::string text = out.text();
  EXPECT_EQ(count(text, GBK("存档无法打开：锁文件saves/.q.dat.lock无法使用：")), 1u) << text;
  EXPECT_EQ(count(text, GBK("。请删除它，或将它的所有者改为你自己（按任意键继续）")), 1u);
  EXPECT_EQ(count(text, kFrameStart), 0u);
}

}  // namespace
