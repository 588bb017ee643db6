#pragma once
// What every screen shares: cursor moves, colours, box lines and the decimal
// text of 128-bit numbers, all written as escape sequences to std::cout.

#include <cstdint>
#include <string>

#include "base/int128.h"

namespace console {

// The cell colours of the map, by level, packed 0xRRGGBB.
extern std::int32_t color[5];

// Every box is 34 columns wide; this is its plain border line.
inline constexpr int kBoxWidth = 34;
inline constexpr const char* kBoxBorder = "+--------------------------------+";
static_assert(std::char_traits<char>::length(kBoxBorder) == kBoxWidth);
inline constexpr int kBoxLineMs = 70;

// The escape sequences themselves, for output composed in memory (a map frame
// goes out in one write): the bytes setColor and gotoxy write. Colours are
// written in the colour mode in force (colour_mode.h): nothing at all when
// the terminal is to have no colour.
std::string color_sequence(int r, int g, int b);
std::string color_sequence(int packed_rgb);
std::string cursor_sequence(int x, int y);

// Lets the console interpret escape sequences (once, at start-up).
void enableANSI();
// Cursor to 0-based row x, column y; flushes.
void gotoxy(int x, int y);
void setColor(int r, int g, int b);
void setColor(int packed_rgb);
void setBgColor(int r, int g, int b);
void resetColor();
// Writes one box line `s` (ending in its own line feed) and a provisional bottom
// border under it, waits 70 ms (unless the player asked for no delay), and
// puts the cursor on that border's row, where the next line will overwrite it.
void helpfunction1(std::string s, int& nowx);
// Decimal text; a negative number gets a minus sign.
std::string tos(int128 x);

}  // namespace console
