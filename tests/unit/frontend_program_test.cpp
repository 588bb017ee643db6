#include <gtest/gtest.h>

#include <string>

#include "console/platform.h"
#include "frontend/globals.h"
#include "frontend/program.h"
#include "frontend/texts.h"
#include "support/scripted_platform.h"

namespace {

using test_support::ScriptedPlatform;
using test_support::StreamCapture;

class Program : public ::testing::Test {
 protected:
  void SetUp() override { frontend::devloper_mode = false; }
  void TearDown() override { frontend::devloper_mode = false; }

  bool output_contains(const std::string& bytes) const { return out.text().find(bytes) != std::string::npos; }

  StreamCapture out{std::cout};
  ScriptedPlatform platform{&out};
};

TEST_F(Program, ATabWaitingAtStartUpOpensDeveloperModeAndOtherEarlyKeysAreSwallowed) {
  platform.typed_ahead = {'x', '\t', '2'};
  platform.type("3");
  EXPECT_EQ(frontend::run_program(), 0);
  EXPECT_TRUE(frontend::devloper_mode);
  EXPECT_EQ(platform.titles, std::vector<std::string>{frontend::texts::title_dev()});
  // The "3" typed later reached the prompt and quit it without a farewell.
  EXPECT_EQ(platform.reads_after_end, 0);
  EXPECT_EQ(output_contains(frontend::texts::farewell_zh()[1]), false);
}

TEST_F(Program, EarlyKeysOtherThanTabLeaveTheLanguageMenus) {
  platform.typed_ahead = {'5', '2'};
  platform.type("3");
  EXPECT_EQ(frontend::run_program(), 0);
  EXPECT_FALSE(frontend::devloper_mode);
  EXPECT_EQ(platform.titles, std::vector<std::string>{frontend::texts::title_zh()});
  EXPECT_TRUE(output_contains(frontend::texts::farewell_zh()[1]));
}

TEST_F(Program, StartsThePlatformFirstAndGivesTheTerminalBackWithTheCursorShown) {
  platform.now_ms = 40;
  platform.type("3");
  EXPECT_EQ(frontend::run_program(), 0);
  EXPECT_EQ(platform.starts, 1);
  EXPECT_EQ(platform.restores, 1);
  EXPECT_EQ(frontend::start, 40);
  EXPECT_TRUE(out.text().starts_with("\x1b[0m"));
  EXPECT_TRUE(out.text().ends_with("\x1b[?25h"));
  EXPECT_FALSE(out.has_unflushed_output());
}

TEST_F(Program, MenuLoopOpensEachScreenAndRedrawsTheMenuOfTheCurrentLanguage) {
  // Introduction, back; language: English; English introduction, back;
  // debug screen, back; language: Chinese again; developer-less quit.
  platform.type("2k" "42" "2k" "5k" "41" "3");
  EXPECT_EQ(frontend::run_program(), 0);
  const std::string& zh = frontend::texts::title_zh();
  const std::string& en = frontend::texts::title_en();
  EXPECT_EQ(platform.titles, (std::vector<std::string>{zh, zh, en, en, en, zh}));
  EXPECT_TRUE(output_contains(frontend::texts::intro_zh()[1]));
  EXPECT_TRUE(output_contains(frontend::texts::intro_en()[1]));
  EXPECT_TRUE(output_contains("version:test-predev-1\n"));
  EXPECT_TRUE(platform.typed.empty());
  EXPECT_EQ(platform.reads_after_end, 0);
}

TEST_F(Program, AnyLanguageKeyButOneGivesEnglish) {
  for (const char* keys : {"42" "3", "40" "3", "4q" "3", "4\x1b" "3"}) {
    platform.titles.clear();
    platform.type(keys);
    EXPECT_EQ(frontend::run_program(), 0);
    EXPECT_EQ(platform.titles.back(), frontend::texts::title_en()) << keys;
  }
}

TEST_F(Program, EndOfInputEndsTheRunAsTheQuitKeyWouldWithoutLooping) {
  EXPECT_EQ(frontend::run_program(), 0);
  EXPECT_TRUE(output_contains(frontend::texts::farewell_zh()[1]));
  // Once in the start-up window, once at the menu.
  EXPECT_EQ(platform.reads_after_end, 2);
}

TEST_F(Program, EndOfInputAtAScreenReturnsToAMenuThatThenQuits) {
  platform.type("4");  // the language screen meets the end of input
  EXPECT_EQ(frontend::run_program(), 0);
  EXPECT_EQ(platform.titles, (std::vector<std::string>{frontend::texts::title_zh(), frontend::texts::title_zh()}));
  EXPECT_TRUE(output_contains(frontend::texts::farewell_zh()[1]));

  platform.type("42" "5");  // English, then the debug screen meets it
  platform.titles.clear();
  EXPECT_EQ(frontend::run_program(), 0);
  EXPECT_EQ(platform.titles.back(), frontend::texts::title_en());
  EXPECT_LE(platform.reads_after_end, 6);
}

TEST(ExitStatus, ErrorCodesStayNonZeroAsProcessExitStatuses) {
  EXPECT_EQ(frontend::exit_status_for(0), 0);
  EXPECT_EQ(frontend::exit_status_for(7), 7);
  EXPECT_EQ(frontend::exit_status_for(255), 255);
  EXPECT_EQ(frontend::exit_status_for(256), 255);
  EXPECT_EQ(frontend::exit_status_for(2147483647), 255);
}

}  // namespace
