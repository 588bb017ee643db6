#include <gtest/gtest.h>

#include <string>

#include "console/escape_output.h"
#include "console/platform.h"
#include "frontend/menus.h"
#include "frontend/screens.h"
#include "frontend/texts.h"
#include "support/drawn_box.h"
#include "support/scripted_platform.h"

namespace {

using test_support::drawn_box;
using test_support::kClearMarker;
using test_support::kKeyWaitMarker;
using test_support::ScriptedPlatform;
using test_support::StreamCapture;

std::string farewell_bytes(const frontend::texts::BoxLines& lines) {
  return kClearMarker + std::string("\x1b[1;1H") + drawn_box(lines);
}

class Menus : public ::testing::Test {
 protected:
  StreamCapture out{std::cout};
  ScriptedPlatform platform{&out};
};

TEST_F(Menus, ChineseMenuDrawsItsBoxAndWaitsAtTheInputLabelWithTheCursorShown) {
  platform.type("2");
  EXPECT_EQ(frontend::show(), frontend::kShowIntroduction);
  EXPECT_EQ(out.text(), "\x1b[?25l\x1b[2J\x1b[H" + std::string(kClearMarker) + "\x1b[1;1H" +
                            drawn_box(frontend::texts::menu_zh()) + "\x1b[10;8H\x1b[?25h" + kKeyWaitMarker +
                            "\x1b[?25l");
  EXPECT_EQ(platform.titles, std::vector<std::string>{frontend::texts::title_zh()});
  EXPECT_EQ(platform.sleeps, std::vector<int>(10, 70));
  EXPECT_FALSE(platform.waited_with_unflushed_output);
}

TEST_F(Menus, EnglishMenuDiffersOnlyInTextsAndTitle) {
  platform.type("5");
  EXPECT_EQ(frontend::show_en(), frontend::kShowDebugInfo);
  EXPECT_EQ(out.text(), "\x1b[?25l\x1b[2J\x1b[H" + std::string(kClearMarker) + "\x1b[1;1H" +
                            drawn_box(frontend::texts::menu_en()) + "\x1b[10;8H\x1b[?25h" + kKeyWaitMarker +
                            "\x1b[?25l");
  EXPECT_EQ(platform.titles, std::vector<std::string>{frontend::texts::title_en()});
}

TEST_F(Menus, DeveloperPromptIsABarePromptShownAtOnce) {
  platform.type("4");
  EXPECT_EQ(frontend::show_dev(), frontend::kChooseLanguage);
  EXPECT_EQ(out.text(), "\x1b[2J\x1b[H" + std::string(kClearMarker) + "\x1b[1;1H\x1b[?25h> " + kKeyWaitMarker +
                            "\x1b[?25l");
  EXPECT_EQ(platform.titles, std::vector<std::string>{frontend::texts::title_dev()});
  EXPECT_TRUE(platform.sleeps.empty());
  EXPECT_FALSE(platform.waited_with_unflushed_output);
}

TEST_F(Menus, ScreenKeysGiveTheirResultsInEveryMenu) {
  for (int (*menu)() : {frontend::show, frontend::show_en, frontend::show_dev}) {
    platform.type("245");
    EXPECT_EQ(menu(), frontend::kShowIntroduction);
    EXPECT_EQ(menu(), frontend::kChooseLanguage);
    EXPECT_EQ(menu(), frontend::kShowDebugInfo);
  }
}

// What each menu leaves behind after a quitting key.
std::string quit_output(ScriptedPlatform& platform, StreamCapture& out, int (*menu)(), int key) {
  platform.typed.push_back(key);
  out.clear();
  EXPECT_EQ(menu(), frontend::kQuit);
  const std::string text = out.text();
  return text.substr(text.rfind(kKeyWaitMarker) + std::string(kKeyWaitMarker).size() + 6);
}

TEST_F(Menus, ChineseMenuSaysFarewellOnEveryQuit) {
  const std::string farewell = farewell_bytes(frontend::texts::farewell_zh());
  EXPECT_EQ(quit_output(platform, out, frontend::show, '3'), farewell);
  EXPECT_EQ(quit_output(platform, out, frontend::show, 'x'), farewell);
  EXPECT_EQ(quit_output(platform, out, frontend::show, '\t'), farewell);
  // An arrow key's lead code is an unexpected key.
  EXPECT_EQ(quit_output(platform, out, frontend::show, 224), farewell);
  EXPECT_EQ(quit_output(platform, out, frontend::show, 0), farewell);
  EXPECT_EQ(quit_output(platform, out, frontend::show, base::kEndOfInput), farewell);
}

TEST_F(Menus, EnglishMenuQuitsSilentlyOnlyOnItsQuitKey) {
  const std::string farewell = farewell_bytes(frontend::texts::farewell_en());
  EXPECT_EQ(quit_output(platform, out, frontend::show_en, '3'), "");
  EXPECT_EQ(quit_output(platform, out, frontend::show_en, base::kEndOfInput), "");
  EXPECT_EQ(quit_output(platform, out, frontend::show_en, 'x'), farewell);
  EXPECT_EQ(quit_output(platform, out, frontend::show_en, 72), farewell);
}

TEST_F(Menus, DeveloperPromptQuitsSilently) {
  for (int key : {int{'3'}, int{'x'}, 224, base::kEndOfInput}) {
    EXPECT_EQ(quit_output(platform, out, frontend::show_dev, key), "") << "key " << key;
  }
}

// A key table whose playthrough and farewells only count their calls.
int playthrough_calls = 0;
int playthrough_result = 0;
int quit_farewells = 0;
int other_farewells = 0;
int fake_playthrough() {
  ++playthrough_calls;
  return playthrough_result;
}
void fake_quit_farewell() { ++quit_farewells; }
void fake_other_farewell() { ++other_farewells; }

class MenuKeyTable : public Menus {
 protected:
  void SetUp() override { playthrough_calls = playthrough_result = quit_farewells = other_farewells = 0; }
  const frontend::MenuKeyTable table{fake_playthrough, fake_quit_farewell, fake_other_farewell};
};

TEST_F(MenuKeyTable, EachKeyHasItsResultAndOnlyKeyOnePlays) {
  EXPECT_EQ(frontend::act_on_menu_key('2', table), frontend::kShowIntroduction);
  EXPECT_EQ(frontend::act_on_menu_key('4', table), frontend::kChooseLanguage);
  EXPECT_EQ(frontend::act_on_menu_key('5', table), frontend::kShowDebugInfo);
  EXPECT_EQ(playthrough_calls, 0);
  EXPECT_EQ(quit_farewells + other_farewells, 0);
  EXPECT_EQ(frontend::act_on_menu_key('1', table), frontend::kBackFromPlaythrough);
  EXPECT_EQ(playthrough_calls, 1);
}

TEST_F(MenuKeyTable, QuitKeyAndEndOfInputTakeTheQuitFarewellOtherKeysTheOther) {
  EXPECT_EQ(frontend::act_on_menu_key('3', table), frontend::kQuit);
  EXPECT_EQ(frontend::act_on_menu_key(base::kEndOfInput, table), frontend::kQuit);
  EXPECT_EQ(quit_farewells, 2);
  for (int key : {int{'0'}, int{'6'}, int{'q'}, 13, 27, 224, 0, 255}) {
    EXPECT_EQ(frontend::act_on_menu_key(key, table), frontend::kQuit);
  }
  EXPECT_EQ(other_farewells, 8);
  EXPECT_EQ(playthrough_calls, 0);
}

TEST_F(MenuKeyTable, PlaythroughErrorCodeClearsTheScreenAndReportsOnStandardError) {
  StreamCapture err{std::cerr};
  playthrough_result = 7;
  EXPECT_EQ(frontend::act_on_menu_key('1', table), 7);
  EXPECT_EQ(err.text(), "Error:unknown error");
  EXPECT_FALSE(err.has_unflushed_output());
  EXPECT_EQ(platform.clears, 1);
}

TEST_F(MenuKeyTable, ANegativePlaythroughResultIsANormalEndNotAScreenToOpen) {
  StreamCapture err{std::cerr};
  playthrough_result = frontend::kShowIntroduction;
  EXPECT_EQ(frontend::act_on_menu_key('1', table), frontend::kBackFromPlaythrough);
  EXPECT_EQ(err.text(), "");
  EXPECT_EQ(platform.clears, 0);
}

TEST(ErrorMessage, EveryCodeHasAText) {
  EXPECT_EQ(frontend::error_message(1), "the world was not saved");
  for (int code : {2, 255, 2147483647}) EXPECT_EQ(frontend::error_message(code), "unknown error");
}

}  // namespace
