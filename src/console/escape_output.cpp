#include "console/escape_output.h"

#include <algorithm>
#include <iostream>

#include "console/platform.h"

namespace console {

std::int32_t color[5] = {0xC0C0C0, 0x99E64D, 0xFFE65D, 0x87CEEB, 0x8A2BE2};

void enableANSI() { platform().enable_escape_sequences(); }

void gotoxy(int x, int y) {
  std::cout << "\x1b[" << x + 1 << ';' << y + 1 << 'H';
  std::cout.flush();
}

void setColor(int r, int g, int b) { std::cout << "\x1b[38;2;" << r << ';' << g << ';' << b << 'm'; }

void setColor(int packed_rgb) {
  setColor((packed_rgb >> 16) & 255, (packed_rgb >> 8) & 255, packed_rgb & 255);
}

void setBgColor(int r, int g, int b) { std::cout << "\x1b[48;2;" << r << ';' << g << ';' << b << 'm'; }

void resetColor() { std::cout << "\x1b[0m"; }

void helpfunction1(std::string s, int& nowx) {
  // One write per line, so the terminal never shows half a box line.
  s += kBoxBorder;
  s += '\n';
  std::cout << s;
  std::cout.flush();
  platform().sleep_ms(kBoxLineMs);
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
