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

// An unknown or cut-off escape sequence still counts as one key, so its bytes
// never turn into stray characters. Its codes are those Ctrl+2 gives: no menu
// key, no arrow or F3, and harmless when read on their own (3 is no lead code,
// no Escape, Tab or Enter, and a terminal never sends it as a key since Ctrl+C
// raises a signal).
inline constexpr int kUnknownKeyLead = kLeadZero;
inline constexpr int kUnknownKeySecond = 3;

}  // namespace base
