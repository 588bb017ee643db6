#include "console/escape_output.h"

#include <algorithm>
#include <iostream>

#include "console/accessibility.h"
#include "console/colour_mode.h"
#include "console/escape_sequences.h"
#include "console/platform.h"

namespace console {

std::int32_t color[5] = {0xC0C0C0, 0x99E64D, 0xFFE65D, 0x87CEEB, 0x8A2BE2};

void enableANSI() { platform().enable_escape_sequences(); }

std::string color_sequence(int r, int g, int b) {
  return colour_sequence(colour_mode(), ColourLayer::kForeground, r, g, b);
}

std::string color_sequence(int packed_rgb) {
  return color_sequence((packed_rgb >> 16) & 255, (packed_rgb >> 8) & 255, packed_rgb & 255);
}

std::string cursor_sequence(int x, int y) {
  // In 64 bits: the 1-based numbers of the largest int have no int.
  return std::string(kCsi) + std::to_string(static_cast<long long>(x) + 1) + ';' +
         std::to_string(static_cast<long long>(y) + 1) + 'H';
}

void gotoxy(int x, int y) {
  std::cout << cursor_sequence(x, y);
  std::cout.flush();
}

void setColor(int r, int g, int b) { std::cout << color_sequence(r, g, b); }

void setColor(int packed_rgb) { std::cout << color_sequence(packed_rgb); }

void setBgColor(int r, int g, int b) { std::cout << colour_sequence(colour_mode(), ColourLayer::kBackground, r, g, b); }

void resetColor() { std::cout << kResetColours; }

void helpfunction1(std::string s, int& nowx) {
  // One write per line, so the terminal never shows half a box line.
  s += kBoxBorder;
  s += '\n';
  std::cout << s;
  std::cout.flush();
  pause_for_the_eye(kBoxLineMs);
  ++nowx;
  gotoxy(nowx, 0);
}

std::string tos(int128 x) {
  // Digits are taken from the remainder's magnitude, so the most negative
  // value, which has no positive counterpart, needs no special case.
  const bool negative = x < 0;
  std::string res;
  do {
    const int remainder = static_cast<int>(x % 10);
    res += static_cast<char>('0' + (remainder < 0 ? -remainder : remainder));
    x /= 10;
  } while (x != 0);
  if (negative) res += '-';
  std::reverse(res.begin(), res.end());
  return res;
}

}  // namespace console
