#pragma once
// Scenarios the POSIX program and, under wine, the Windows one play alike.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game_screens.h"

namespace e2e {

// A monster slain in three blows right of the start, a treasure of attack
// below it, and below that a monster that kills the player, even with the
// treasure.
inline void craft_encounters(CraftedWorld& crafted) {
  crafted.world.worldname = "crafted";
  crafted.place_monster(0, 1, 25, 0, 30);
  crafted.place_treasure(1, 0, 0, 20);
  crafted.place_monster(2, 0, 60, 6, 1800);
}

// From the Chinese menu, in the world of craft_encounters: a refused step and
// the treasure with its key wait in English, a won fight and a lost one in
// Chinese, and what each end leaves in the save file. Ends at the Chinese menu.
inline void play_treasures_and_fights(PtySession& session, const game& expected) {
  const std::filesystem::path file = std::filesystem::path(session.working_directory()) / "saves" / "crafted.dat";
  ASSERT_NO_FATAL_FAILURE(switch_to_english(session));
  session.send("1");
  ASSERT_TRUE(wait_for_rows(session, 1, {"The name of the world:crafted", "Archive location:crafted"}))
      << session.screen_text();
  session.send("1\r");
  ASSERT_TRUE(wait_for_map(session, expected, true)) << session.screen_text();

  session.send(kRight);  // refused: a monster
  session.send(kDown);   // onto the treasure
  ASSERT_TRUE(session.wait_for_text("You find a treasure!Effect:Attack+20")) << session.screen_text();
  // One write: both keys are there when the wait ends, so the status lines
  // of this very frame follow the message.
  session.send(std::string("x") + kF3);
  // In the frame of the pickup the status lines follow the message on its
  // line; the next frame writes them from the line's start, over the message.
  ASSERT_TRUE(wait_for_rows(session, 23, {"X:1 Y:0d a treasure!Effect:Attack+20X:1 Y:0",
                                          "Cultivation:0 Spiritual Power:0", "Attack Power:30 Defense:5 HP:100"}))
      << session.screen_text();
  session.send(kEscape);
  ASSERT_TRUE(wait_for_menu(session, kEnglishMenu)) << session.screen_text();
  SaveFile saved = SaveFile::read(file);
  EXPECT_EQ(saved.cell_type(1, 0), 5);
  EXPECT_TRUE(saved.atk() == 30);
  EXPECT_EQ(saved.treasures(), 1u);
  EXPECT_EQ(saved.bytes.size(), 7 + kFixedSaveBytes + 24);

  session.send("4");
  ASSERT_TRUE(session.wait_for_text("1.简体中文 2.English")) << session.screen_text();
  session.send("1");
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  ASSERT_TRUE(open_first_save(session, "crafted")) << session.screen_text();
  session.send(kUp);
  session.send(kRight);  // onto the monster: Chinese steps allow it
  ASSERT_TRUE(session.wait_for_text("怪物被你击杀了！")) << session.screen_text();
  EXPECT_TRUE(session.screen_contains("你遇到了了一个怪物！开始战斗！"));
  EXPECT_TRUE(session.screen_contains("你对怪物造成了30点伤害！"));
  session.send(kEscape);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  saved = SaveFile::read(file);
  EXPECT_EQ(saved.cell_type(0, 1), 8);
  EXPECT_TRUE(saved.x() == 0 && saved.y() == 1);

  ASSERT_TRUE(open_first_save(session, "crafted")) << session.screen_text();
  session.send(kLeft);
  session.send(kDown);
  session.send(kDown);  // onto the monster that wins
  ASSERT_TRUE(session.wait_for_text("你被怪物击杀了！")) << session.screen_text();
  EXPECT_TRUE(session.screen_contains("怪物对你造成了55点伤害！"));
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  EXPECT_TRUE(SaveFile::read(file).bytes == saved.bytes);
}

}  // namespace e2e
