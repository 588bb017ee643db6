#include <gtest/gtest.h>

#include <string>

#include "base/text_encoding.h"
#include "console/escape_output.h"
#include "frontend/globals.h"
#include "frontend/screens.h"
#include "frontend/texts.h"
#include "support/drawn_box.h"
#include "support/scripted_platform.h"

namespace {

using test_support::drawn_box;
using test_support::kClearMarker;
using test_support::kIdleMarker;
using test_support::kKeyWaitMarker;
using test_support::ScriptedPlatform;
using test_support::StreamCapture;

class Screens : public ::testing::Test {
 protected:
  StreamCapture out{std::cout};
  ScriptedPlatform platform{&out};
};

TEST(ScreenTexts, EveryBoxLineIsThirtyFourColumnsAndFramed) {
  using namespace frontend::texts;
  for (const BoxLines* box : {&menu_zh(), &menu_en(), &intro_zh(), &intro_en(), &farewell_zh(), &farewell_en(),
                              &language_zh(), &language_en()}) {
    for (const std::string& line : *box) {
      SCOPED_TRACE(base::gbk_to_utf8(line));
      ASSERT_EQ(line.size(), 34u);
      EXPECT_TRUE(line.front() == '|' || line.front() == '+');
      EXPECT_EQ(line.back(), line.front());
    }
  }
  EXPECT_EQ(menu_zh().size(), 10u);
  EXPECT_EQ(menu_en().size(), 10u);
  EXPECT_EQ(intro_zh().size(), 14u);
  EXPECT_EQ(intro_en().size(), 19u);
}

TEST(ScreenTexts, ChineseTextIsHeldAsGbk) {
  // 欢迎 in GBK.
  EXPECT_EQ(frontend::texts::farewell_zh()[1].substr(10, 4), "\xBB\xB6\xD3\xAD");
  EXPECT_EQ(frontend::texts::title_zh(), GBK("青灯万象录：寂静之河") + "  test-predev-1");
  EXPECT_EQ(frontend::texts::title_en(), "Lanternvale: Silent Rivers  test-predev-1");
  EXPECT_EQ(frontend::texts::title_dev(), "Lanternvale: Silent Rivers  test-predev-1  devloper mode");
}

TEST_F(Screens, IntroductionsDrawTheirBoxFromTheTopAndWaitForOneKey) {
  platform.type("xy");
  frontend::intro();
  EXPECT_EQ(out.text(), kClearMarker + std::string("\x1b[1;1H") + drawn_box(frontend::texts::intro_zh()) +
                            kKeyWaitMarker);
  EXPECT_EQ(platform.sleeps, std::vector<int>(14, 70));

  out.clear();
  frontend::intro_en();
  EXPECT_EQ(out.text(), kClearMarker + std::string("\x1b[1;1H") + drawn_box(frontend::texts::intro_en()) +
                            kKeyWaitMarker);
  EXPECT_EQ(platform.key_reads, 2);
  EXPECT_TRUE(platform.typed.empty());
  EXPECT_FALSE(platform.waited_with_unflushed_output);
}

TEST_F(Screens, FarewellsLeaveTheirBoxWithoutWaiting) {
  frontend::exit();
  EXPECT_EQ(out.text(), kClearMarker + std::string("\x1b[1;1H") + drawn_box(frontend::texts::farewell_zh()));
  out.clear();
  frontend::exit_en();
  EXPECT_EQ(out.text(), kClearMarker + std::string("\x1b[1;1H") + drawn_box(frontend::texts::farewell_en()));
  EXPECT_EQ(platform.key_reads, 0);
  // The bottom border and the cursor end on row 2.
  EXPECT_TRUE(out.text().ends_with(std::string(console::kBoxBorder) + "\n\x1b[3;1H"));
}

// A window that grows once the screen has looked at it.
class GrowingWindow : public ScriptedPlatform {
 public:
  using ScriptedPlatform::ScriptedPlatform;
  bool wait_for_key(int timeout_ms) override {
    const bool key = ScriptedPlatform::wait_for_key(timeout_ms);
    window = console::WindowSize{24, 80};
    return key;
  }
};

TEST(ScreensInASmallWindow, SayTheWindowIsTooSmallAndDrawTheBoxOnceItGrows) {
  StreamCapture out{std::cout};
  GrowingWindow platform{&out};
  platform.window = console::WindowSize{15, 24};  // the introduction needs 16 rows and 34 columns
  platform.type("x");
  frontend::intro();
  const std::string notice = base::utf8_to_gbk("窗口太小：至少需要16行34\n列，当前为15行24列");  // 24 columns
  EXPECT_EQ(out.text(), kClearMarker + std::string("\x1b[1;1H") + notice + kIdleMarker + "\x1b[?25l" + kClearMarker +
                            "\x1b[1;1H" +
                            drawn_box(frontend::texts::intro_zh()) + kKeyWaitMarker);
  EXPECT_EQ(platform.key_reads, 1);
  // The farewell waits for nothing: in a window too small it says so and ends.
  platform.window = console::WindowSize{3, 80};
  out.clear();
  frontend::exit_en();
  EXPECT_EQ(out.text(), kClearMarker + std::string("\x1b[1;1HThe window is too small: it needs 4 rows ") + GBK("×") +
                            " 34 columns (now 3 " + GBK("×") + " 80).");
}

TEST_F(Screens, LanguageScreenDrawsWithoutACursorMoveAndReturnsTheKeyMinusZero) {
  platform.type("1");
  EXPECT_EQ(frontend::changelang(), 1);
  EXPECT_EQ(out.text(), kClearMarker + drawn_box(frontend::texts::language_zh()) + kKeyWaitMarker);
  out.clear();
  platform.type("2");
  EXPECT_EQ(frontend::changelang_en(), 2);
  EXPECT_EQ(out.text(), kClearMarker + drawn_box(frontend::texts::language_en()) + kKeyWaitMarker);
}

TEST_F(Screens, LanguageScreenTakesAnyKeyAsASignedByte) {
  // Everything but 1 means English to the menu loop.
  const std::pair<int, int> keys_and_answers[] = {{'0', 0}, {'a', 49}, {13, -35}, {27, -21}, {224, -80}, {0, -48}};
  for (const auto& [key, answer] : keys_and_answers) {
    platform.typed.push_back(key);
    EXPECT_EQ(frontend::changelang(), answer) << "key " << key;
  }
}

TEST_F(Screens, EndOfInputReturnsFromEveryScreenAndKeepsTheLanguage) {
  frontend::intro();
  frontend::intro_en();
  frontend::showdebuginfo();
  EXPECT_EQ(frontend::changelang(), 1);
  EXPECT_EQ(frontend::changelang_en(), 2);
  EXPECT_EQ(platform.reads_after_end, 5);
}

class DebugScreen : public Screens {
 protected:
  void SetUp() override { frontend::start = 0; }
  void TearDown() override { frontend::start = 0; }

  std::string running_time_line_after(std::int32_t start_ms, std::int32_t now_ms) {
    frontend::start = start_ms;
    platform.now_ms = now_ms;
    out.clear();
    frontend::showdebuginfo();
    const std::string text = out.text();
    const std::size_t begin = text.find("running time:");
    return text.substr(begin, text.find('\n', begin) - begin);
  }
};

TEST_F(DebugScreen, ShowsVersionRunningTimeAndPathFlushedBeforeTheKeyWait) {
  platform.program_path_text = "C:\\games\\lanternvale.exe";
  frontend::start = 500;
  platform.now_ms = 3724000;
  frontend::showdebuginfo();
  EXPECT_EQ(out.text(), kClearMarker + std::string("version:test-predev-1\nrunning time:1:2:3\n"
                                                   "exe file path:C:\\games\\lanternvale.exe\n") +
                            kKeyWaitMarker);
  EXPECT_EQ(frontend::dt, 3724000);
  EXPECT_FALSE(platform.waited_with_unflushed_output);
}

TEST_F(DebugScreen, LeavesOutAnUnknownPathButStillFlushesAndWaits) {
  frontend::showdebuginfo();
  EXPECT_EQ(out.text(), kClearMarker + std::string("version:test-predev-1\nrunning time:0:0:0\n") + kKeyWaitMarker);
  EXPECT_FALSE(platform.waited_with_unflushed_output);
}

TEST_F(DebugScreen, RunningTimeIsHoursMinutesSecondsSinceStartUp) {
  EXPECT_EQ(running_time_line_after(0, 999), "running time:0:0:0");
  EXPECT_EQ(running_time_line_after(20, 61020), "running time:0:1:1");
  EXPECT_EQ(running_time_line_after(0, 3723500), "running time:1:2:3");
  EXPECT_EQ(running_time_line_after(0, 3599999), "running time:0:59:59");
  // Hours don't wrap at a day, and the largest clock reading doesn't overflow.
  EXPECT_EQ(running_time_line_after(0, 90000000), "running time:25:0:0");
  EXPECT_EQ(running_time_line_after(-2147483647 - 1, 2147483647), "running time:1193:2:47");
}

TEST(PathCut, KeepsWholeCharactersWithinTheBuffer) {
  using frontend::path_cut_to_buffer;
  EXPECT_EQ(path_cut_to_buffer(""), "");
  EXPECT_EQ(path_cut_to_buffer("C:\\a.exe"), "C:\\a.exe");
  EXPECT_EQ(path_cut_to_buffer(std::string(300, 'a')), std::string(260, 'a'));

  const std::string chinese = GBK("灯");
  std::string exactly_full;
  for (int i = 0; i < 130; ++i) exactly_full += chinese;
  EXPECT_EQ(path_cut_to_buffer(exactly_full), exactly_full);
  // One byte more would split the last character: it goes whole.
  const std::string one_over = "a" + exactly_full;
  EXPECT_EQ(path_cut_to_buffer(one_over), one_over.substr(0, 259));
  // A trail byte may look like ASCII ('@' after the lead byte 0x81).
  const std::string ascii_like_trail = std::string(258, 'a') + "\x81\x40" + "b";
  EXPECT_EQ(path_cut_to_buffer(ascii_like_trail), ascii_like_trail.substr(0, 260));
  // A four-byte GB18030 character across the limit goes whole too.
  const std::string four_byte = std::string(258, 'a') + "\x81\x30\x81\x30";
  EXPECT_EQ(path_cut_to_buffer(four_byte), std::string(258, 'a'));
}

}  // namespace
