// The canvas: the stream it renders, and the difference between two of them,
// with the cursor and the colour in force left where the whole stream leaves
// them.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "console/canvas.h"

namespace {

using console::Canvas;
using console::CellColour;

constexpr CellColour kSilver = 0xC0C0C0;
constexpr CellColour kRed = 0xFF0000;
const std::string kSilverSequence = "\x1b[38;2;192;192;192m";
const std::string kRedSequence = "\x1b[38;2;255;0;0m";

// Text in a colour, or in the colour in force.
struct Piece {
  std::optional<CellColour> colour;
  std::string text;
};

Canvas drawn(int rows, int columns, const std::vector<Piece>& pieces) {
  Canvas canvas(rows, columns);
  for (const Piece& piece : pieces) {
    if (piece.colour) canvas.set_colour(*piece.colour);
    canvas.write(piece.text);
  }
  return canvas;
}

// The screen after `first` was written whole over a screen nobody knew.
Canvas screen_after(const Canvas& first) {
  Canvas screen(first.rows(), first.columns());
  screen.show(first);
  return screen;
}

TEST(Canvas, TheWholeStreamSetsEachColourWhereTheFrameSetItAndEndsWhereTheCursorIs) {
  const Canvas canvas = drawn(4, 10, {{std::nullopt, "+--+\n"},
                                      {kSilver, "|"},
                                      {kRed, "MM"},
                                      {kSilver, "|"},
                                      {kSilver, "\n"},
                                      {std::nullopt, base::utf8_to_gbk("攻击")}});
  EXPECT_EQ(canvas.whole_stream(), "\x1b[?25l\x1b[H+--+\n" + kSilverSequence + "|" + kRedSequence + "MM" +
                                       kSilverSequence + "|" + kSilverSequence + "\n" +
                                       base::utf8_to_gbk("攻击"));
  EXPECT_EQ(canvas.cursor_row(), 2);
  EXPECT_EQ(canvas.cursor_column(), 4);  // two wide characters
  EXPECT_EQ(canvas.at(2, 1).kind, console::Cell::Kind::kWideRight);
  EXPECT_TRUE(canvas.fits());
  EXPECT_FALSE(drawn(2, 3, {{std::nullopt, "abcd"}}).fits());      // past the right edge
  EXPECT_FALSE(drawn(2, 3, {{std::nullopt, "a\nb\nc"}}).fits());  // past the bottom
}

TEST(Difference, WritesOnlyWhatChangedTheCheapestWayAndLeavesCursorAndColourAsTheWholeStream) {
  struct Case {
    const char* name;
    int rows, columns;
    std::vector<Piece> front, back;
    std::optional<std::string> expected;
  };
  const std::string gong = base::utf8_to_gbk("攻");
  const std::vector<Case> cases = {
      {"the same frame writes nothing", 4, 10, {{kSilver, "ab\ncd"}}, {{kSilver, "ab\ncd"}}, ""},
      {"a cell behind the cursor: back to the row's start, the cells before written again", 4, 10,
       {{kSilver, "abc\nxyz"}}, {{kSilver, "abc\nxYz"}}, "\rxYz"},
      {"a cell in another colour, and the colour in force set back", 4, 10, {{kSilver, "abc\nxyz"}},
       {{kSilver, "abc\nx"}, {kRed, "Y"}, {kSilver, "z"}}, "\rx" + kRedSequence + "Y\x1b[C" + kSilverSequence},
      {"a cell far above: a cursor position", 6, 10, {{kSilver, "abcdefghij\n\n\n\nxyz"}},
       {{kSilver, "Abcdefghij\n\n\n\nxyz"}}, "\x1b[HA\x1b[5;4H"},
      {"a cell further down: line feeds", 4, 10, {{kSilver, "ab\n"}}, {{kSilver, "ab\n\n\nc"}}, "\n\nc"},
      {"a wide character over two narrow ones", 4, 10, {{kSilver, "X:ab"}}, {{kSilver, "X:" + gong}},
       "\rX:" + gong},
      {"the cursor left waiting at the end of a full row, where moves are never relative", 4, 4,
       {{kSilver, "abcd"}}, {{kSilver, "abcD"}}, "\x1b[1;4HD"},
      {"another size", 4, 10, {{kSilver, "ab"}}, {{kSilver, "ab"}}, std::nullopt},
      {"a frame that does not fit", 4, 4, {{kSilver, "ab"}}, {{kSilver, "abcdefg"}}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Canvas front = screen_after(drawn(c.rows, c.columns, c.front));
    const bool resized = std::string(c.name) == "another size";
    const Canvas back = drawn(c.rows, c.columns + (resized ? 1 : 0), c.back);
    EXPECT_EQ(console::difference(front, back), c.expected);
  }
}

// A cursor left showing at a cell (for a screen reader) is where the next
// difference starts from, and stays shown until a frame leaves it hidden.
TEST(Difference, ACursorLeftShowingIsMovedOnlyWhereItMustBe) {
  Canvas shown_at_start = drawn(3, 10, {{kSilver, "ab\nnew"}});
  shown_at_start.leave_cursor_at(1, 0);
  EXPECT_EQ(shown_at_start.whole_stream(), "\x1b[?25l\x1b[H" + kSilverSequence + "ab\nnew\x1b[2H\x1b[?25h");
  const Canvas screen = screen_after(shown_at_start);

  EXPECT_EQ(console::difference(screen, shown_at_start), "");
  Canvas newer = drawn(3, 10, {{kSilver, "ab\nnew\nnewer"}});
  newer.leave_cursor_at(2, 0);
  EXPECT_EQ(console::difference(screen, newer), "\nnewer\r");
  EXPECT_EQ(console::difference(screen, drawn(3, 10, {{kSilver, "aB\nnew"}})), "\x1b[1;2HB\x1b[?25l\nnew");
  EXPECT_EQ(console::difference(screen_after(drawn(3, 10, {{kSilver, "ab\nnew"}})), shown_at_start),
            "\r\x1b[?25h");
}

}  // namespace
