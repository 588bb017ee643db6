// Playthroughs in the real program: new worlds from typed seeds, walking and
// the status lines, saves opened from the list, treasures and fights in
// worlds the test makes, and what each end leaves in the save file.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "game_screens.h"
#include "scenarios.h"
#include "world/game.h"

namespace {

namespace fs = std::filesystem;
using namespace e2e;

const std::string kProgram = LANTERNVALE_BINARY;

std::size_t count(const std::string& text, const std::string& piece) {
  std::size_t found = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++found;
  return found;
}

void expect_exit(PtySession& session) {
  const e2e::ExitStatus status = session.wait_for_exit();
  EXPECT_TRUE(status.exited_with(0)) << status;
}

// In the common 80 x 24 window the view shows 17 of its 21 rows, the player in
// the middle and the status lines below: a new player plays at once.
TEST(ChinesePlaythrough, ATypedSeedMakesItsWorldAndEscapeSavesWhereThePlayerWalked) {
  game expected;
  expected.init(game::shash("seed-one"));
  ASSERT_EQ(expected.cell(0, 1).type, 0);  // the walk below crosses empty cells
  ASSERT_EQ(expected.cell(0, 2).type, 0);

  PtySession session(kProgram, window_of(24, 80));
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  ASSERT_NO_FATAL_FAILURE(make_world(session, "abc", "seed-one"));
  ASSERT_TRUE(wait_for_map(session, expected, true, 17)) << session.screen_text();
  EXPECT_EQ(session.rows(19, 5), (Rows{"", "", "", "", ""}));

  const fs::path file = fs::path(session.working_directory()) / "saves" / "abc.dat";
  SaveFile first_save = SaveFile::read(file);
  EXPECT_EQ(first_save.bytes.size(), 3 + kFixedSaveBytes);
  EXPECT_TRUE(first_save.bytes.starts_with("abc\n"));
  EXPECT_EQ(first_save.seed(), game::shash("seed-one"));

  session.send(kRight);
  session.send(kRight);
  session.send(kF3);
  expected.localplayer.y = 2;
  ASSERT_TRUE(wait_for_map(session, expected, true, 17)) << session.screen_text();
  EXPECT_EQ(session.row(9).substr(21, 2), "YY");
  ASSERT_TRUE(wait_for_rows(session, 19, {"X:0 Y:2", "修为：0 灵力:0", "攻击力：10 防御力：5 血量：100"}))
      << session.screen_text();
  session.send(kF3);
  ASSERT_TRUE(wait_for_rows(session, 19, {"", "", ""})) << session.screen_text();

  // Keys held with Ctrl, Alt or Shift are keys of their own, which the map
  // ignores: Ctrl+Up, Alt+Right, Ctrl+Left, Shift+F3, rxvt's Alt+Down, and
  // Alt+X, which is no Escape. The F3 after them shows the same place.
  session.send("\x1b[1;5A" "\x1b[1;3C" "\x1b[1;5D" "\x1b[1;2R" "\x1b\x1b[B" "\x1bx");
  session.send(kF3);
  ASSERT_TRUE(wait_for_rows(session, 19, {"X:0 Y:2", "修为：0 灵力:0", "攻击力：10 防御力：5 血量：100"}))
      << session.screen_text();

  session.send(kEscape);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  const SaveFile saved = SaveFile::read(file);
  EXPECT_TRUE(saved.x() == 0 && saved.y() == 2);
  EXPECT_EQ(saved.bytes.size(), first_save.bytes.size());

  session.send("3");
  expect_exit(session);
}

// A treasure and a refused step in English, then a fight won and one lost in
// Chinese, all in one world the test made.
TEST(Encounters, TreasuresAndFightsChangeTheWorldOnlyUntilADeath) {
  CraftedWorld crafted;
  craft_encounters(crafted);
  PtySession session(kProgram, crafted.saved_into(big_window()));
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  ASSERT_NO_FATAL_FAILURE(play_treasures_and_fights(session, crafted.world));
  // In the frame of the pickup the status lines followed the message on its
  // line, as the two keys were there when the treasure's wait ended.
  EXPECT_NE(session.raw_output().find("You find a treasure!Effect:Attack+20X:1 Y:0\r\nCultivation:0 Spiritual "
                                      "Power:0\r\nAttack Power:30 Defense:5 HP:100"),
            std::string::npos);
  session.send("3");
  expect_exit(session);
}

// --no-delay takes the pauses away and nothing else: the same keys make the
// game write the same bytes and leave the same save. The keys are typed at
// once, each time from the menu, so that each is read at the same point of
// the game whether it pauses or not: a treasure, a fight won, Escape; then a
// fight lost.
TEST(NoDelay, TheSameKeysWriteTheSameBytesAndLeaveTheSameSave) {
  std::vector<std::string> outputs;
  std::vector<std::string> saves;
  for (const bool no_delay : {false, true}) {
    CraftedWorld crafted;
    craft_encounters(crafted);
    SessionOptions options = big_window();
    if (no_delay) options.arguments = {"--no-delay"};
    PtySession session(kProgram, crafted.saved_into(options));
    // The menu drawn for the n-th time, and waiting for its key.
    const auto menu_drawn = [&session](std::size_t times) {
      return session.wait_until([&] { return count(session.raw_output(), "|1.开始游戏|") == times; }) &&
             wait_for_menu(session, kChineseMenu);
    };
    ASSERT_TRUE(menu_drawn(1)) << session.screen_text();
    session.send(std::string("11\r") + kDown + "x" + kUp + kRight + kEscape);
    ASSERT_TRUE(menu_drawn(2)) << session.screen_text();
    session.send(std::string("11\r") + kLeft + kDown + kDown);
    ASSERT_TRUE(menu_drawn(3)) << session.screen_text();
    session.send("3");
    expect_exit(session);
    outputs.push_back(session.raw_output());
    saves.push_back(SaveFile::read(fs::path(session.working_directory()) / "saves" / "crafted.dat").bytes);
  }
  EXPECT_EQ(outputs[0], outputs[1]);
  EXPECT_EQ(count(outputs[1], "你被怪物击杀了！"), 1u);
  EXPECT_TRUE(saves[0] == saves[1]);
  EXPECT_EQ(SaveFile{saves[1]}.cell_type(0, 1), 8);
}

// For a screen reader, each step is told below the status lines in a line
// the cursor is left on: where the player stands and the nearest thing in
// each direction within the view (the edge of the world, monsters of every
// level, nothing); L tells it again and S reads the status lines.
TEST(ScreenReader, EachStepIsToldInALineWhereTheCursorWaits) {
  CraftedWorld crafted;
  crafted.world.worldname = "told";
  crafted.world.localplayer.x = -502;  // the edge is 11 cells up: out of view
  const auto monster = [&](int x, int y, int level) {
    crafted.place_monster(x, y, 1, 1, 10);
    crafted.world.cell(x, y).level = level;
  };
  monster(-502, 11, 4);  // 11 cells to the right of the start: out of view
  monster(-503, -3, 1);
  monster(-503, 10, 2);
  monster(-508, 1, 3);
  monster(-501, 1, 0);
  SessionOptions options = window_of(30, 200);
  options.arguments = {"--screen-reader"};
  PtySession session(kProgram, crafted.saved_into(options));
  // The newest line told, on the row where the cursor shows; `before` on
  // the rows above it.
  const auto told = [&session](const std::string& line, const Rows& before = {}) {
    return session.wait_until([&] {
      const Cursor cursor = session.cursor();
      const int first = cursor.row - static_cast<int>(before.size());
      Rows expected = before;
      expected.push_back(line);
      return cursor.visible && cursor.column == 0 && first >= 26 &&
             session.rows(first, static_cast<int>(expected.size())) == expected;
    });
  };
  // The walk: up, right, down, told; then back where it began.
  struct Step {
    const char* key;
    const char* chinese;
    const char* english;
  };
  const Step walk[] = {
      {kUp, "X:-503 Y:0。上方：世界边缘，10格。左方：1级怪物，3格。右方：2级怪物，10格。下方：无。",
       "X:-503 Y:0. Up: the edge of the world, 10 cells. Left: a level-1 monster, 3 cells. Right: a level-2 "
       "monster, 10 cells. Down: nothing."},
      {kRight, "X:-503 Y:1。上方：3级怪物，5格。下方：0级怪物，2格。左方：1级怪物，4格。右方：2级怪物，9格。",
       "X:-503 Y:1. Up: a level-3 monster, 5 cells. Down: a level-0 monster, 2 cells. Left: a level-1 monster, 4 "
       "cells. Right: a level-2 monster, 9 cells."},
      {kDown, "X:-502 Y:1。上方：3级怪物，6格。下方：0级怪物，1格。右方：4级怪物，10格。左方：无。",
       "X:-502 Y:1. Up: a level-3 monster, 6 cells. Down: a level-0 monster, 1 cell. Right: a level-4 monster, 10 "
       "cells. Left: nothing."},
  };

  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  ASSERT_TRUE(open_first_save(session, "told")) << session.screen_text();
  ASSERT_TRUE(wait_for_map(session, crafted.world, true)) << session.screen_text();
  ASSERT_TRUE(told("方向键行走。按L重听周围情况，按S朗读状态，按Esc保存世界并离开。",
                   {"X:-502 Y:0。视野内空无一物。"}))
      << session.screen_text();
  for (const Step& step : walk) {
    session.send(step.key);
    ASSERT_TRUE(told(step.chinese)) << session.screen_text();
  }
  session.send("l");
  ASSERT_TRUE(told(walk[2].chinese, {walk[2].chinese})) << session.screen_text();
  session.send(std::string(kUp) + kLeft + kDown);
  ASSERT_TRUE(told("X:-502 Y:0。视野内空无一物。")) << session.screen_text();
  session.send(kEscape);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();

  ASSERT_NO_FATAL_FAILURE(switch_to_english(session));
  session.send("1");
  ASSERT_TRUE(session.wait_for_text("Archive location:told")) << session.screen_text();
  session.send("1\r");
  ASSERT_TRUE(told("Arrow keys walk. L says again what is around you, S reads your statistics, Esc saves the world "
                   "and leaves it.",
                   {"X:-502 Y:0. Nothing in view."}))
      << session.screen_text();
  for (const Step& step : walk) {
    session.send(step.key);
    ASSERT_TRUE(told(step.english)) << session.screen_text();
  }
  session.send("S");
  ASSERT_TRUE(told("X:-502 Y:1. Cultivation:0 Spiritual Power:0. Attack Power:10 Defense:5 HP:100.")) << session.screen_text();
  session.send(kEscape);
  ASSERT_TRUE(wait_for_menu(session, kEnglishMenu)) << session.screen_text();
  session.send("3");
  expect_exit(session);
}

// Whatever an encounter wrote, the frame after it comes at once and whole,
// with no key pressed: the treasure's line is blanked once its key is taken,
// and a fight that scrolled the window gets the map back at the top.
TEST(Encounters, TheFrameAfterAnEncounterComesWithoutAKey) {
  CraftedWorld crafted;
  crafted.world.worldname = "after";
  crafted.place_treasure(0, 1, 0, 20);        // attack + 20
  crafted.place_monster(0, 2, 6, 0, 150);     // five blows: eleven lines, past the window's end
  PtySession session(kProgram, crafted.saved_into(big_window()));
  game& expected = crafted.world;
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  ASSERT_TRUE(open_first_save(session, "after")) << session.screen_text();
  ASSERT_TRUE(wait_for_map(session, expected, true)) << session.screen_text();

  session.send(kRight);
  ASSERT_TRUE(session.wait_for_text("你找到了一个宝物！效果：攻击+20")) << session.screen_text();
  session.send("x");  // the treasure's own key wait; nothing after it
  expected.localplayer.y = 1;
  expected.cell(0, 1).type = 5;
  ASSERT_TRUE(wait_for_rows(session, 23, {"", "", ""})) << session.screen_text();
  ASSERT_TRUE(wait_for_map(session, expected, true)) << session.screen_text();

  session.send(kRight);
  ASSERT_TRUE(session.wait_for_text("怪物被你击杀了！")) << session.screen_text();
  expected.localplayer.y = 2;
  expected.cell(0, 2).type = 8;
  ASSERT_TRUE(wait_for_map(session, expected, true)) << session.screen_text();
  session.send(kEscape);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  session.send("3");
  expect_exit(session);
}

// Without colour the five levels stay apart by their text attributes: plain,
// underline, bold, bold and underline, reverse video.
TEST(Map, WithoutColourTheLevelsKeepApartByAttributes) {
  CraftedWorld crafted;
  crafted.world.worldname = "plain";
  for (int level = 0; level < 5; ++level) {
    crafted.place_monster(0, level + 1, 1, 1, 10);
    crafted.world.cell(0, level + 1).level = level;
  }
  SessionOptions options = big_window();
  options.arguments = {"--color=none"};
  PtySession session(kProgram, crafted.saved_into(options));
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  ASSERT_TRUE(open_first_save(session, "plain")) << session.screen_text();
  ASSERT_TRUE(wait_for_map(session, crafted.world, true)) << session.screen_text();
  // The player's row is screen row 11; its cell starts at column 21.
  std::vector<std::string> attributes;
  for (int cell = 0; cell <= 5; ++cell) attributes.push_back(session.attributes(11, 21 + 2 * cell));
  EXPECT_EQ(attributes, (std::vector<std::string>{"", "", "u", "b", "bu", "r"}));
  EXPECT_EQ(session.attributes(11, 0), "");  // the frame
  session.send(kEscape);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  session.send("3");
  expect_exit(session);
}

// An Escape typed during the pause that ends a fight, and Down 100 ms later,
// are two keys: the world is saved where the fight was and left, and the
// Down then quits the menu.
TEST(Encounters, EscapeTypedDuringAFightsPauseSavesAndLeaves) {
  CraftedWorld crafted;
  crafted.world.worldname = "paused";
  crafted.place_monster(0, 1, 25, 0, 30);  // slain in three blows
  PtySession session(kProgram, crafted.saved_into(big_window()));
  const fs::path file = fs::path(session.working_directory()) / "saves" / "paused.dat";

  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  ASSERT_TRUE(open_first_save(session, "paused")) << session.screen_text();
  ASSERT_TRUE(wait_for_map(session, crafted.world, true)) << session.screen_text();
  session.send(kRight);
  // The second's pause after the monster falls begins.
  ASSERT_TRUE(session.wait_for_text("怪物被你击杀了！")) << session.screen_text();
  session.send(kEscape);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  session.send(kDown);
  expect_exit(session);
  const SaveFile saved = SaveFile::read(file);
  EXPECT_TRUE(saved.x() == 0 && saved.y() == 1);
  EXPECT_EQ(saved.cell_type(0, 1), 8);
}

// One game per world: a second game is refused the world another one plays,
// whether it opens the save or makes a new world of its name, and is told so
// before anything is generated; once the first has left, it opens the world.
TEST(SaveFiles, ASecondGameIsRefusedAWorldInPlayUntilTheFirstLeavesIt) {
  CraftedWorld crafted;
  crafted.world.worldname = "shared";
  PtySession first(kProgram, crafted.saved_into(big_window()));
  SessionOptions wide = big_window();
  wide.columns = 120;
  wide.arguments = {"--dir", first.working_directory()};
  PtySession second(kProgram, wide);
  const fs::path file = fs::path(first.working_directory()) / "saves" / "shared.dat";
  const SaveFile before = SaveFile::read(file);

  ASSERT_TRUE(wait_for_menu(first, kChineseMenu)) << first.screen_text();
  ASSERT_TRUE(open_first_save(first, "shared")) << first.screen_text();
  ASSERT_TRUE(wait_for_map(first, crafted.world, true)) << first.screen_text();

  ASSERT_TRUE(wait_for_menu(second, kChineseMenu)) << second.screen_text();
  ASSERT_TRUE(open_first_save(second, "shared")) << second.screen_text();
  ASSERT_TRUE(second.wait_for_text("存档无法打开：saves/shared.dat正被另一个运行中的游戏使用（按任意键继续）"))
      << second.screen_text();
  second.send("k");
  ASSERT_TRUE(wait_for_menu(second, kChineseMenu)) << second.screen_text();
  second.send("1");
  ASSERT_TRUE(second.wait_for_text("存档位置：shared")) << second.screen_text();
  second.send("0\rshared\r");
  ASSERT_TRUE(second.wait_for_text("世界未能创建：saves/shared.dat正被另一个运行中的游戏使用")) << second.screen_text();
  second.send("k");
  ASSERT_TRUE(wait_for_menu(second, kChineseMenu)) << second.screen_text();
  EXPECT_TRUE(SaveFile::read(file).bytes == before.bytes);

  first.send(kEscape);
  ASSERT_TRUE(wait_for_menu(first, kChineseMenu)) << first.screen_text();
  ASSERT_TRUE(open_first_save(second, "shared")) << second.screen_text();
  ASSERT_TRUE(wait_for_map(second, crafted.world, true)) << second.screen_text();
  second.send(kEscape);
  ASSERT_TRUE(wait_for_menu(second, kChineseMenu)) << second.screen_text();
  for (PtySession* session : {&first, &second}) {
    session->send("3");
    expect_exit(*session);
  }
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(file.parent_path())) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"shared.dat"});
}

// A termination request in a fight that would last for ever: the fight's
// outcome stands at once, the world is saved, and the game ends.
TEST(Encounters, ATerminationRequestInAFightOfAnyLengthSavesTheWorldAndEnds) {
  CraftedWorld crafted;
  crafted.world.worldname = "long";
  crafted.place_monster(0, 1, 5, 9, 1'000'000'000'000'000);  // one point a blow and none back
  PtySession session(kProgram, crafted.saved_into(big_window()));
  const fs::path file = fs::path(session.working_directory()) / "saves" / "long.dat";
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  ASSERT_TRUE(open_first_save(session, "long")) << session.screen_text();
  ASSERT_TRUE(wait_for_map(session, crafted.world, true)) << session.screen_text();
  session.send(kRight);
  ASSERT_TRUE(session.wait_for_text("你对怪物造成了1点伤害！")) << session.screen_text();
  session.send_signal(SIGTERM);
  const e2e::ExitStatus status = session.wait_for_exit();
  EXPECT_TRUE(status.killed_by(SIGTERM)) << status;
  const SaveFile saved = SaveFile::read(file);
  EXPECT_EQ(saved.cell_type(0, 1), 8);
  EXPECT_EQ(saved.y(), 1);
}

// A save that fails once the player is gone is told on the user's own
// screen, where the game's screen has gone, and the game ends failing: by
// the termination request that ended it, or with status 1 at a hang-up.
TEST(Signals, ASaveThatFailsWithThePlayerGoneIsToldAfterTheEnd) {
  CraftedWorld crafted;
  crafted.world.worldname = "stuck";
  SessionOptions options = crafted.saved_into(big_window());
  options.screen_before_start = "$ lanternvale\r\n";
  const auto save_the_world = options.prepare;
  // A folder, not empty, where the next save's temporary file would go.
  options.prepare = [&](const std::string& directory) {
    save_the_world(directory);
    fs::create_directories(fs::path(directory) / "saves" / ".stuck.dat.tmp" / "in-the-way");
  };
  for (const bool terminate : {true, false}) {
    PtySession session(kProgram, options);
    ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
    ASSERT_TRUE(open_first_save(session, "stuck")) << session.screen_text();
    ASSERT_TRUE(wait_for_map(session, crafted.world, true)) << session.screen_text();
    if (!terminate) {
      session.hang_up();
      const e2e::ExitStatus status = session.wait_for_exit();
      EXPECT_TRUE(status.exited_with(1)) << status;
      continue;
    }
    session.send_signal(SIGTERM);
    const e2e::ExitStatus status = session.wait_for_exit();
    EXPECT_TRUE(status.killed_by(SIGTERM)) << status;
    EXPECT_EQ(session.row(0), "$ lanternvale");
    EXPECT_TRUE(session.row(1).starts_with("世界未能保存：")) << session.screen_text();
    EXPECT_EQ(session.row(2), "Error:the world was not saved");
    EXPECT_TRUE(session.cursor().visible);
  }
}

// A termination request while the terminal takes nothing (a connection
// nobody reads, its buffer full, cut in the middle of a frame): once it is
// read again, the terminal is back on the user's screen, the cursor shown.
TEST(Signals, ATerminationRequestOnAFrozenTerminalStillGivesItBack) {
  CraftedWorld crafted;
  crafted.world.worldname = "frozen";
  // Every step to the side changes every cell of the view.
  for (int x = -12; x <= 12; ++x) {
    for (int y = -12; y <= 13; ++y) {
      if ((x + y) % 2 != 0) continue;
      crafted.world.cell(x, y).type = 2;
      crafted.world.cell(x, y).level = (x + 12) % 5;
    }
  }
  SessionOptions options = crafted.saved_into(big_window());
  options.screen_before_start = "$ lanternvale\r\n";
  PtySession session(kProgram, options);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  ASSERT_TRUE(open_first_save(session, "frozen")) << session.screen_text();
  ASSERT_TRUE(wait_for_map(session, crafted.world, true)) << session.screen_text();
  // Nothing is read from here until the game has ended.
  for (int step = 0; step < 150; ++step) session.send(std::string(kRight) + kLeft);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  session.send_signal(SIGTERM);
  const e2e::ExitStatus status = session.wait_for_exit_unread();
  EXPECT_TRUE(status.killed_by(SIGTERM)) << status;
  EXPECT_EQ(session.row(0), "$ lanternvale") << session.screen_text();
  EXPECT_TRUE(session.cursor().visible);
  EXPECT_TRUE(e2e::same_modes(session.current_modes(), session.modes_before_start()));
}

// The same answers give the same world in English and in developer mode; the
// developer's answers are typed at bare prompts, and a hang-up saves. A Tab
// typed in the seed stays in it, as in a piped line, and shows as the blanks
// to the next tab stop, wherever the prompt left the line to start.
TEST(DeveloperPlaythrough, SameAnswersAsInEnglishGiveTheSameSaveFile) {
  const std::string seed_gbk = "\xCA\xC0\t\xBD\xE7";  // 世, Tab, 界
  game expected;
  expected.init(game::shash(seed_gbk));
  ASSERT_EQ(expected.cell(0, 1).type, 0);

  std::string english_file;
  {
    PtySession session(kProgram, big_window());
    ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
    switch_to_english(session);
    session.send("1");
    ASSERT_TRUE(session.wait_for_text("There are no available archives.")) << session.screen_text();
    session.send("0\r");
    ASSERT_TRUE(session.wait_for_text("Please enter the world name:")) << session.screen_text();
    session.send("w\r");
    ASSERT_TRUE(session.wait_for_text("Please enter the seed:")) << session.screen_text();
    session.send("世\t界\r");  // typed on a UTF-8 terminal
    ASSERT_TRUE(session.wait_for_raw("世      界")) << session.raw_output();
    ASSERT_TRUE(wait_for_map(session, expected, true)) << session.screen_text();
    session.send(kEscape);
    ASSERT_TRUE(wait_for_menu(session, kEnglishMenu)) << session.screen_text();
    english_file = SaveFile::read(fs::path(session.working_directory()) / "saves" / "w.dat").bytes;
    session.send("3");
    expect_exit(session);
  }
  ASSERT_EQ(SaveFile{english_file}.seed(), game::shash(seed_gbk));

  PtySession session(kProgram, developer(big_window()));
  ASSERT_TRUE(wait_for_developer_prompt(session)) << session.screen_text();
  session.send("1");
  ASSERT_TRUE(wait_for_rows(session, 0, {"None.", ">"})) << session.screen_text();
  session.send("0\r");
  ASSERT_TRUE(wait_for_rows(session, 0, {">", ""})) << session.screen_text();
  session.send("w\r");
  ASSERT_TRUE(wait_for_rows(session, 0, {">", ""})) << session.screen_text();
  session.send("世\t界\r");
  ASSERT_TRUE(session.wait_for_raw("> 世    界")) << session.raw_output();
  ASSERT_TRUE(wait_for_map(session, expected, false)) << session.screen_text();
  const fs::path file = fs::path(session.working_directory()) / "saves" / "w.dat";
  EXPECT_TRUE(SaveFile::read(file).bytes == english_file);

  session.send(kRight);
  expected.localplayer.y = 1;
  ASSERT_TRUE(wait_for_map(session, expected, false)) << session.screen_text();
  session.hang_up();
  expect_exit(session);
  const SaveFile after_hang_up = SaveFile::read(file);
  EXPECT_EQ(after_hang_up.y(), 1);
  std::string moved = english_file;
  const std::int32_t one = 1;
  std::memcpy(moved.data() + SaveFile{english_file}.trailer() + 4, &one, sizeof one);
  EXPECT_TRUE(after_hang_up.bytes == moved);
}

TEST(DeveloperPlaythrough, CornerViewBareStatusAndSilentFights) {
  CraftedWorld crafted;
  crafted.world.worldname = "corner";
  crafted.world.localplayer.x = -512;
  crafted.world.localplayer.y = -512;
  crafted.place_monster(-512, -511, 25, 0, 30);    // won in silence
  crafted.place_monster(-512, -509, 71, 28, 740);  // lost in silence
  PtySession session(kProgram, crafted.saved_into(developer(big_window())));
  const fs::path file = fs::path(session.working_directory()) / "saves" / "corner.dat";
  const SaveFile before = SaveFile::read(file);
  game& expected = crafted.world;

  ASSERT_TRUE(wait_for_developer_prompt(session)) << session.screen_text();
  session.send("1");
  ASSERT_TRUE(wait_for_rows(session, 0, {"World:corner", "Location:corner", ">"})) << session.screen_text();
  session.send("1\r");
  ASSERT_TRUE(wait_for_map(session, expected, false)) << session.screen_text();
  EXPECT_EQ(session.row(0), std::string(42, '#'));
  EXPECT_EQ(session.row(10).substr(0, 24), std::string(20, '#') + "YYMM");

  session.send(kF3);
  ASSERT_TRUE(wait_for_rows(session, 21, {"-512 -512", "0 0", "10 5 100"})) << session.screen_text();
  session.send(kRight);  // the fight is won within the frame, without a word
  session.send(kRight);
  expected.cell(-512, -511).type = 8;
  expected.localplayer.y = -510;
  ASSERT_TRUE(wait_for_map(session, expected, false)) << session.screen_text();
  ASSERT_TRUE(wait_for_rows(session, 21, {"-512 -510", "0 0", "10 5 100", ""})) << session.screen_text();
  EXPECT_EQ(session.row(10).substr(0, 26), std::string(16, '#') + "  M-YYMM");

  session.send(kRight);  // the monster that wins: back at the prompt, nothing saved
  ASSERT_TRUE(wait_for_developer_prompt(session)) << session.screen_text();
  EXPECT_TRUE(SaveFile::read(file).bytes == before.bytes);
  session.send("3");
  expect_exit(session);
}

// Ctrl+C ends at once without saving, even beside a hang-up or a
// termination request that would each save.
TEST(Signals, InterruptBesideAHangUpEndsWithoutSaving) {
  CraftedWorld crafted;
  crafted.world.worldname = "kept";
  PtySession session(kProgram, crafted.saved_into(big_window()));
  const fs::path file = fs::path(session.working_directory()) / "saves" / "kept.dat";
  const SaveFile before = SaveFile::read(file);

  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  ASSERT_TRUE(open_first_save(session, "kept")) << session.screen_text();
  session.send(kRight);
  crafted.world.localplayer.y = 1;
  ASSERT_TRUE(wait_for_map(session, crafted.world, true)) << session.screen_text();
  session.send_signals_together({SIGINT, SIGHUP, SIGTERM});
  const e2e::ExitStatus status = session.wait_for_exit();
  EXPECT_TRUE(status.killed_by(SIGINT)) << status;
  EXPECT_TRUE(SaveFile::read(file).bytes == before.bytes);
}

}  // namespace
