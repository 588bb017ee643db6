#include "console/escape_output.h"

#include <gtest/gtest.h>

#include <iostream>
#include <limits>
#include <set>
#include <sstream>
#include <vector>

#include "console/colour_mode.h"

namespace {

// Captures what the primitives write to std::cout.
class CoutCapture {
 public:
  CoutCapture() : old_(std::cout.rdbuf(captured_.rdbuf())) {}
  ~CoutCapture() { std::cout.rdbuf(old_); }
  std::string text() const { return captured_.str(); }

 private:
  std::ostringstream captured_;
  std::streambuf* old_;
};

TEST(Tos, WritesDecimalDigitsOfNonNegativeNumbers) {
  EXPECT_EQ(console::tos(0), "0");
  EXPECT_EQ(console::tos(7), "7");
  EXPECT_EQ(console::tos(1000), "1000");
  const int128 largest = static_cast<int128>(~static_cast<unsigned __int128>(0) >> 1);
  EXPECT_EQ(console::tos(largest), "170141183460469231731687303715884105727");
}

TEST(Tos, WritesNegativeNumbersWithAMinusSign) {
  EXPECT_EQ(console::tos(-1), "-1");
  EXPECT_EQ(console::tos(-1000), "-1000");
  const int128 largest = static_cast<int128>(~static_cast<unsigned __int128>(0) >> 1);
  EXPECT_EQ(console::tos(-largest - 1), "-170141183460469231731687303715884105728");
}

TEST(EscapeOutput, CursorMovesAreOneBased) {
  CoutCapture out;
  console::gotoxy(0, 0);
  console::gotoxy(9, 7);
  EXPECT_EQ(out.text(), "\x1b[1;1H\x1b[10;8H");
}

TEST(EscapeOutput, ColoursAreWrittenAsTwentyFourBitSequences) {
  CoutCapture out;
  console::setColor(0xC0C0C0);
  console::setColor(-1);
  console::setColor(300, 0, 0);
  console::setBgColor(1, 2, 3);
  console::resetColor();
  EXPECT_EQ(out.text(),
            "\x1b[38;2;192;192;192m\x1b[38;2;255;255;255m\x1b[38;2;300;0;0m"
            "\x1b[48;2;1;2;3m\x1b[0m");
}

using console::ColourEnvironment;
using console::ColourMode;

TEST(ColourMode, TheChoiceFollowsWhatIsAskedThenWhatTheTerminalSays) {
  struct Case {
    ColourEnvironment environment;
    ColourMode expected;
  };
  const auto terminal = [](std::optional<std::string> colorterm, std::optional<std::string> term) {
    return ColourEnvironment{std::nullopt, std::nullopt, std::move(colorterm), std::move(term), false};
  };
  ColourEnvironment no_color = terminal("truecolor", "xterm-256color");
  no_color.no_color = "1";
  ColourEnvironment asked_over_no_color = no_color;
  asked_over_no_color.asked = ColourMode::k16;
  ColourEnvironment windows = terminal(std::nullopt, std::nullopt);
  windows.windows_console = true;
  ColourEnvironment windows_without_colour = windows;
  windows_without_colour.no_color = "yes";
  const std::vector<Case> cases = {
      {terminal("truecolor", "xterm"), ColourMode::kTrueColour},
      {terminal("24bit", "linux"), ColourMode::kTrueColour},
      {terminal(std::nullopt, "xterm-direct"), ColourMode::kTrueColour},
      {windows, ColourMode::kTrueColour},
      {terminal(std::nullopt, "xterm-256color"), ColourMode::k256},  // macOS Terminal.app, SSH without COLORTERM
      {terminal("yes", "tmux-256color"), ColourMode::k256},           // a COLORTERM that promises nothing
      {terminal(std::nullopt, "linux"), ColourMode::k16},
      {terminal(std::nullopt, "xterm"), ColourMode::k16},
      {terminal(std::nullopt, "screen"), ColourMode::k16},
      {terminal(std::nullopt, "vt100"), ColourMode::k16},
      {terminal(std::nullopt, "something-new"), ColourMode::k16},
      {terminal(std::nullopt, std::nullopt), ColourMode::k16},
      {no_color, ColourMode::kNone},
      {windows_without_colour, ColourMode::kNone},
      {asked_over_no_color, ColourMode::k16},
      {ColourEnvironment{ColourMode::kTrueColour, std::nullopt, std::nullopt, "linux", false}, ColourMode::kTrueColour},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(console::choose_colour_mode(c.environment), c.expected)
        << "COLORTERM=" << c.environment.colorterm.value_or("") << " TERM=" << c.environment.term.value_or("")
        << " NO_COLOR=" << c.environment.no_color.value_or("") << " windows=" << c.environment.windows_console;
  }
}

// In every mode silver and the four other level colours stay five colours,
// and grey stays apart from silver; with no colour the levels stay five
// renditions, and nothing else is written.
TEST(ColourMode, EachModeWritesItsOwnSequencesAndKeepsTheLevelsApart) {
  struct ModeInForce {
    explicit ModeInForce(ColourMode mode) { console::set_colour_mode(mode); }
    ~ModeInForce() { console::set_colour_mode(ColourMode::kTrueColour); }
  };
  const auto written = [](ColourMode mode, auto draw) {
    const ModeInForce in_force(mode);
    CoutCapture out;
    draw();
    return out.text();
  };
  const auto levels = [&](ColourMode mode) {
    std::set<std::string> sequences;
    for (const std::int32_t colour : console::color) sequences.insert(written(mode, [&] { console::setColor(colour); }));
    sequences.insert(written(mode, [] { console::setColor(150, 150, 150); }));
    return sequences;
  };
  EXPECT_EQ(levels(ColourMode::k256), (std::set<std::string>{"\x1b[38;5;250m", "\x1b[38;5;113m", "\x1b[38;5;221m",
                                                              "\x1b[38;5;117m", "\x1b[38;5;92m", "\x1b[38;5;246m"}));
  EXPECT_EQ(levels(ColourMode::k16),
            (std::set<std::string>{"\x1b[37m", "\x1b[92m", "\x1b[93m", "\x1b[96m", "\x1b[95m", "\x1b[90m"}));
  EXPECT_EQ(levels(ColourMode::kNone),
            (std::set<std::string>{"\x1b[0m", "\x1b[0;4m", "\x1b[0;1m", "\x1b[0;1;4m", "\x1b[0;7m"}));
  // Any other colour takes the nearest entry, out-of-range numbers clamped.
  const auto others = [] {
    console::setColor(300, 0, 0);
    console::setBgColor(0, 0, 0);
    console::setColor(20, 20, 20);
  };
  EXPECT_EQ(written(ColourMode::k256, others), "\x1b[38;5;196m\x1b[48;5;16m\x1b[38;5;233m");
  EXPECT_EQ(written(ColourMode::k16, others), "\x1b[91m\x1b[40m\x1b[30m");
  EXPECT_EQ(written(ColourMode::kNone, [&] {
              others();
              console::resetColor();
            }),
            "\x1b[0m");
  EXPECT_EQ(console::color_sequence(0x8A2BE2), "\x1b[38;2;138;43;226m");
}

TEST(EscapeOutput, PaletteHoldsTheFiveLevelColours) {
  const std::int32_t expected[5] = {0xC0C0C0, 0x99E64D, 0xFFE65D, 0x87CEEB, 0x8A2BE2};
  for (int level = 0; level < 5; ++level) EXPECT_EQ(console::color[level], expected[level]);
}

}  // namespace
