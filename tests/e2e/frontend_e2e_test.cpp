// The real program in a terminal: start-up, menus, information screens and
// every way of quitting, as the player sees them.

#include <gtest/gtest.h>
#include <signal.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "game_screens.h"
#include "pty_session.h"

namespace {

using namespace e2e;
using test_support::StandardInput;

const std::string kProgram = LANTERNVALE_BINARY;

SessionOptions in_locale(const std::string& locale) {
  SessionOptions options;
  options.locale = locale;
  return options;
}

SessionOptions typed_before_start(const std::string& keys) {
  SessionOptions options;
  options.typed_before_start = keys;
  return options;
}

std::size_t count(const std::string& text, const std::string& piece) {
  std::size_t found = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++found;
  return found;
}

// The game runs on the terminal's alternate screen; at its end the user's
// own lines are back, and the farewell stays below them to be read.
TEST(StartUp, ChineseMenuOnTheAlternateScreenAndItsQuitKeyLeavesTheFarewellBelowTheShellsLines) {
  SessionOptions options;
  options.screen_before_start = "$ ls\r\nnotes.txt\r\n$ lanternvale\r\n";
  PtySession session(kProgram, options);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  EXPECT_EQ(session.title(), "青灯万象录：寂静之河  test-predev-1");
  EXPECT_FALSE(session.screen_contains("notes.txt"));

  session.send("3");
  ASSERT_TRUE(wait_for_rows(session, 0, kChineseFarewell)) << session.screen_text();
  expect_clean_exit(session, 0);
  EXPECT_EQ(session.rows(0, 7), (Rows{"$ ls", "notes.txt", "$ lanternvale", kBorder, kChineseFarewell[1], kBorder, ""}))
      << session.screen_text();
  EXPECT_EQ(session.cursor().row, 6);
  EXPECT_EQ(session.cursor().column, 0);
  // Entered once and left once; the scrollback is never erased.
  EXPECT_EQ(count(session.raw_output(), "\x1b[?1049h"), 1u);
  EXPECT_EQ(count(session.raw_output(), "\x1b[?1049l"), 1u);
  EXPECT_EQ(count(session.raw_output(), "\x1b[3J"), 0u);
}

// The terminal's encoding comes from the locale's name, installed or not: the
// C locale is read by a UTF-8 terminal, a GBK locale by a GBK one.
TEST(StartUp, ChineseTextFollowsTheLocalesNameInstalledOrNot) {
  {
    PtySession session(kProgram, in_locale("C"));
    ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
    session.send("3");
    expect_clean_exit(session, 0);
  }
  PtySession session(kProgram, in_locale("zh_CN.GBK"));
  const std::string title_line = base::utf8_to_gbk("|      青灯万象录：寂静之河      |");
  ASSERT_TRUE(session.wait_for_raw(title_line + "\r\n" + kBorder)) << session.raw_output();
  ASSERT_TRUE(session.wait_for_raw("\x1b[10;8H\x1b[?25h"));

  session.send("3");
  ASSERT_TRUE(session.wait_for_raw(base::utf8_to_gbk("|         欢迎下次游玩！         |")));
  expect_clean_exit(session, 0);
  // No UTF-8 anywhere: 青 would be E9 9D 92.
  EXPECT_EQ(session.raw_output().find("\xE9\x9D\x92"), std::string::npos);
}

// Answers to the command line come before the terminal is touched: plain text,
// the terminal's modes as found, no saves/ and nothing else made.
TEST(CommandLine, AnswersArePlainTextAndLeaveTerminalAndDirectoryAlone) {
  struct Case {
    std::vector<std::string> arguments;
    int exit_code;
    std::string says;  // a part of what it writes
  };
  const std::vector<Case> cases = {
      {{"--help"}, 0, "Usage: lanternvale [OPTION]..."},
      {{"--bogus"}, 2, "lanternvale: unknown option '--bogus'\r\nUsage: lanternvale"},
      {{"-V"}, 0, "lanternvale test-predev-1\r\nplatform: "},
      {{"--version"}, 0, "\r\ncolours: 24bit\r\n"},  // the terminal says COLORTERM=truecolor
      {{"--dir", "sub/dir", "--show-paths"}, 0, "/sub/dir/saves\r\nbecause of --dir"},
      // Through a plain file: nothing can be made, and nothing is.
      {{"--dir", "a-file/sub"}, 1, "lanternvale: can't create the directory a-file/sub: Not a directory"},
      {{"--dir", "a-file"}, 1, "lanternvale: can't enter the directory a-file: Not a directory"},
      // "made" is created on the way, then removed when the name after it fails.
      {{"--dir", "made/" + std::string(300, 'x')}, 1, ": File name too long"},
  };
  for (const Case& expected : cases) {
    SCOPED_TRACE(expected.arguments.front());
    SessionOptions options;
    options.arguments = expected.arguments;
    options.prepare = [](const std::string& directory) { std::ofstream(directory + "/a-file") << "kept"; };
    PtySession session(kProgram, options);
    expect_clean_exit(session, expected.exit_code);
    EXPECT_NE(session.raw_output().find(expected.says), std::string::npos) << session.raw_output();
    EXPECT_EQ(session.raw_output().find('\x1b'), std::string::npos) << session.raw_output();
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(session.working_directory())) {
      entries.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(entries, std::vector<std::string>{"a-file"});
  }
}

TEST(Screens, ChineseIntroductionThenAnUnexpectedKeyQuitsWithTheFarewell) {
  PtySession session(kProgram);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  ASSERT_NO_FATAL_FAILURE(read_introduction(session, kChineseMenu, kChineseIntroduction));
  session.send("q");
  ASSERT_TRUE(wait_for_rows(session, 0, kChineseFarewell)) << session.screen_text();
  expect_clean_exit(session, 0);
}

TEST(Screens, EnglishMenuAndIntroductionThroughTheLanguageScreen) {
  PtySession session(kProgram);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  ASSERT_NO_FATAL_FAILURE(switch_to_english(session));
  EXPECT_EQ(session.title(), "Lanternvale: Silent Rivers  test-predev-1");
  ASSERT_NO_FATAL_FAILURE(read_introduction(session, kEnglishMenu, kEnglishIntroduction));
  // The English quit key says no farewell: the menu goes with the game's
  // screen, and nothing is left on the user's.
  session.send("3");
  expect_clean_exit(session, 0);
  EXPECT_EQ(session.screen_text(), std::string(25, '\n'));
}

TEST(Screens, EnglishMenuSaysFarewellOnAnUnexpectedKey) {
  PtySession session(kProgram);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  session.send("4");
  ASSERT_TRUE(session.wait_for_text("1.简体中文 2.English")) << session.screen_text();
  session.send("x");  // any key but 1 chooses English
  ASSERT_TRUE(wait_for_menu(session, kEnglishMenu)) << session.screen_text();
  session.send("x");
  ASSERT_TRUE(wait_for_rows(session, 0, kEnglishFarewell)) << session.screen_text();
  expect_clean_exit(session, 0);
}

TEST(Screens, DebugScreenShowsVersionRunningTimeAndThePath) {
  PtySession session(kProgram);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  session.send("5");
  ASSERT_TRUE(session.wait_for_text("version:test-predev-1")) << session.screen_text();
  ASSERT_TRUE(session.wait_for_text("exe file path:")) << session.screen_text();
  EXPECT_EQ(session.row(0), "version:test-predev-1");
  // The menu took 0.7 s; the screen opened within the first minute.
  const std::string running_time = session.row(1);
  EXPECT_TRUE(running_time.starts_with("running time:0:0:") && running_time.size() == 18 &&
              std::isdigit(static_cast<unsigned char>(running_time.back())))
      << running_time;
  const std::string path = std::filesystem::canonical(kProgram).string();
  EXPECT_NE(session.raw_output().find("exe file path:" + path + "\r\n"), std::string::npos) << session.screen_text();

  session.send("k");
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  session.send("3");
  expect_clean_exit(session, 0);
}

// An Escape typed after the Tab is swallowed with it: were it still undecided
// when the window ends, it would quit the prompt.
TEST(DeveloperMode, ATabTypedBeforeStartOpensTheBarePrompt) {
  PtySession session(kProgram, typed_before_start("\t\x1b"));
  const auto prompt_waits = [&] {
    const e2e::Cursor cursor = session.cursor();
    return session.row(0) == ">" && session.row(1).empty() && cursor.row == 0 && cursor.column == 2 &&
           cursor.visible;
  };
  ASSERT_TRUE(session.wait_until(prompt_waits)) << session.screen_text();
  EXPECT_EQ(session.title(), "Lanternvale: Silent Rivers  test-predev-1  devloper mode");

  session.send("5");
  ASSERT_TRUE(session.wait_for_text("version:test-predev-1")) << session.screen_text();
  session.send("k");
  ASSERT_TRUE(session.wait_until(prompt_waits)) << session.screen_text();
  // Its quit key ends the run silently.
  session.send("3");
  expect_clean_exit(session, 0);
  EXPECT_FALSE(session.screen_contains("欢迎下次游玩"));
}

TEST(Keys, AnArrowKeyAtAMenuQuits) {
  PtySession session(kProgram);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  session.send("\x1b[B");
  ASSERT_TRUE(wait_for_rows(session, 0, kChineseFarewell)) << session.screen_text();
  expect_clean_exit(session, 0);
}

TEST(Keys, AnArrowKeyEndsTheIntroductionAndItsSecondCodeQuitsTheMenu) {
  PtySession session(kProgram);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  session.send("2");
  ASSERT_TRUE(session.wait_for_text("高，并含有修仙元素。")) << session.screen_text();
  session.send("\x1b[A");
  ASSERT_TRUE(wait_for_rows(session, 0, kChineseFarewell)) << session.screen_text();
  expect_clean_exit(session, 0);
  // The menu was drawn again in between.
  EXPECT_NE(session.raw_output().rfind("\x1b[10;8H"), std::string::npos);
}

// A closed input (<&-) is its end too: the game must not take the number of
// its own first file for its input and wait there for keys.
TEST(EndOfInput, InputAtItsEndOrClosedQuitsAsTheQuitKeyWould) {
  for (const StandardInput input : {StandardInput::kAtItsEnd, StandardInput::kClosed}) {
    SessionOptions options;
    options.input = input;
    PtySession session(kProgram, options);
    const e2e::ExitStatus status = session.wait_for_exit();
    EXPECT_TRUE(status.exited_with(0)) << status;
    EXPECT_EQ(session.rows(0, 3), kChineseFarewell) << session.screen_text();
    EXPECT_TRUE(session.cursor().visible);
  }
}

TEST(EndOfInput, AClosedTerminalEndsTheProgram) {
  PtySession session(kProgram);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  session.hang_up();
  const e2e::ExitStatus status = session.wait_for_exit();
  EXPECT_TRUE(status.exited_with(0)) << status;
}

TEST(Signals, TerminationGivesTheTerminalBack) {
  PtySession session(kProgram);
  ASSERT_TRUE(wait_for_menu(session, kChineseMenu)) << session.screen_text();
  // On the introduction the cursor is hidden: it must come back.
  session.send("2");
  ASSERT_TRUE(session.wait_for_text("高，并含有修仙元素。")) << session.screen_text();
  ASSERT_FALSE(session.cursor().visible);
  session.send_signal(SIGTERM);
  const e2e::ExitStatus status = session.wait_for_exit();
  EXPECT_TRUE(status.killed_by(SIGTERM)) << status;
  EXPECT_TRUE(e2e::same_modes(session.current_modes(), session.modes_before_start()))
      << "before: " << e2e::describe_modes(session.modes_before_start())
      << "\nafter:  " << e2e::describe_modes(session.current_modes());
  EXPECT_TRUE(session.cursor().visible);
}

}  // namespace
