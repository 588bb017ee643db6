#include "console/escape_output.h"

#include <gtest/gtest.h>

#include <iostream>
#include <limits>
#include <sstream>

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

TEST(EscapeOutput, PaletteHoldsTheFiveLevelColours) {
  const std::int32_t expected[5] = {0xC0C0C0, 0x99E64D, 0xFFE65D, 0x87CEEB, 0x8A2BE2};
  for (int level = 0; level < 5; ++level) EXPECT_EQ(console::color[level], expected[level]);
}

}  // namespace
