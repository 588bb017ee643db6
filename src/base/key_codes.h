#pragma once
// The key codes the game reads, one at a time: a single code for an ordinary
// key, or a lead code and a second code for the arrows, the function keys and
// the editing keys. Every key read, from the terminal or from a script, gives
// these codes, and every reader of keys compares with them.

namespace base {

// What a key read gives once input has ended for good (stdin at end of file,
// a hung-up terminal). Every later read gives it again at once: no wait hangs.
inline constexpr int kEndOfInput = -1;

// Single codes.
inline constexpr int kBackspace = 8;
inline constexpr int kTab = 9;
inline constexpr int kLineFeed = 10;
inline constexpr int kCtrlL = 12;  // draw the screen again
inline constexpr int kEnter = 13;  // a carriage return
inline constexpr int kCtrlU = 21;
inline constexpr int kEscape = 27;

// The map's keys for a screen reader (--screen-reader), in either case:
// say again what is around the player, read out the status lines.
inline constexpr int kLookKey = 'l';
inline constexpr int kStatusKey = 's';
inline constexpr int kCaseBit = 'a' - 'A';
constexpr bool is_letter_key(int key, int letter) { return key == letter || key == letter - kCaseBit; }

// The two lead codes that announce a second code.
inline constexpr int kLeadZero = 0;
inline constexpr int kLeadExtended = 224;

// Second codes. F1 to F10 follow one another; F11 and F12 come after the
// editing keys.
inline constexpr int kShiftTab = 15;
inline constexpr int kF1 = 59;
inline constexpr int kF3 = kF1 + 2;
inline constexpr int kF6 = kF1 + 5;
inline constexpr int kF11 = 133;
inline constexpr int kF12 = 134;
inline constexpr int kHome = 71;
inline constexpr int kUpArrow = 72;
inline constexpr int kPageUp = 73;
inline constexpr int kLeftArrow = 75;
inline constexpr int kRightArrow = 77;
inline constexpr int kEnd = 79;
inline constexpr int kDownArrow = 80;
inline constexpr int kPageDown = 81;
inline constexpr int kInsert = 82;
inline constexpr int kDelete = 83;

// Second codes of the same keys held with Shift, Ctrl or Alt: the console
// gives each its own code. Shift leaves the arrows and the editing keys as
// they are (Shift+Up is 224 72, as the plain key), so only the function keys
// have Shift codes. Alt takes lead kLeadZero, except with F11 and F12.
inline constexpr int kShiftF1 = 84;  // to Shift+F10, 93
inline constexpr int kCtrlF1 = 94;   // to Ctrl+F10, 103
inline constexpr int kAltF1 = 104;   // to Alt+F10, 113
inline constexpr int kShiftF11 = 135;
inline constexpr int kShiftF12 = 136;
inline constexpr int kCtrlF11 = 137;
inline constexpr int kCtrlF12 = 138;
inline constexpr int kAltF11 = 139;
inline constexpr int kAltF12 = 140;

inline constexpr int kCtrlLeftArrow = 115;
inline constexpr int kCtrlRightArrow = 116;
inline constexpr int kCtrlEnd = 117;
inline constexpr int kCtrlPageDown = 118;
inline constexpr int kCtrlHome = 119;
inline constexpr int kCtrlPageUp = 132;
inline constexpr int kCtrlUpArrow = 141;
inline constexpr int kCtrlDownArrow = 145;
inline constexpr int kCtrlInsert = 146;
inline constexpr int kCtrlDelete = 147;

inline constexpr int kAltHome = 151;
inline constexpr int kAltUpArrow = 152;
inline constexpr int kAltPageUp = 153;
inline constexpr int kAltLeftArrow = 155;
inline constexpr int kAltRightArrow = 157;
inline constexpr int kAltEnd = 159;
inline constexpr int kAltDownArrow = 160;
inline constexpr int kAltPageDown = 161;
inline constexpr int kAltInsert = 162;
inline constexpr int kAltDelete = 163;

// Alt with a typing key gives lead kLeadZero and the key's scan code: the
// keyboard's rows from Q, from A and from the key left of Z count up from
// these, and the digit row's Alt codes from kAltDigitRow (Alt+1 to Alt+=).
inline constexpr int kAltQRow = 16;  // Q W E R T Y U I O P [ ]
inline constexpr int kAltARow = 30;  // A S D F G H J K L ; ' `
inline constexpr int kAltZRow = 43;  // \ Z X C V B N M , . /
inline constexpr int kAltDigitRow = 120;  // 1 2 3 4 5 6 7 8 9 0 - =

// The second code Alt gives with the key that types `character` (either
// case, or the shifted sign of a US keyboard), or 0 when no key types it.
constexpr int alt_second_code(char character) {
  struct Row {
    const char* plain;
    const char* shifted;
    int first_code;
  };
  constexpr Row kRows[] = {{"qwertyuiop[]", "QWERTYUIOP{}", kAltQRow},
                           {"asdfghjkl;'`", "ASDFGHJKL:\"~", kAltARow},
                           {"\\zxcvbnm,./", "|ZXCVBNM<>?", kAltZRow},
                           {"1234567890-=", "!@#$%^&*()_+", kAltDigitRow}};
  for (const Row& row : kRows) {
    for (int at = 0; row.plain[at] != '\0'; ++at) {
      if (character == row.plain[at] || character == row.shifted[at]) return row.first_code + at;
    }
  }
  return 0;
}

// An unknown or cut-off escape sequence still counts as one key, so its bytes
// never turn into stray characters. Its codes are those Ctrl+2 gives: no menu
// key, no arrow or F3, and harmless when read on their own (3 is no lead code,
// no Escape, Tab or Enter, and a terminal never sends it as a key since Ctrl+C
// raises a signal).
inline constexpr int kUnknownKeyLead = kLeadZero;
inline constexpr int kUnknownKeySecond = 3;

}  // namespace base
