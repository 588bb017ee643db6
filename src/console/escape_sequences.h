#pragma once
// Every escape sequence the game sends the terminal. The ones that carry
// numbers (cursor positions, colours) are built by escape_output.cpp from the
// introducers here.

#include <string_view>

namespace console {

// The cursor. Both end in the one letter that tells them apart.
inline constexpr std::string_view kShowCursor = "\x1b[?25h";
inline constexpr std::string_view kHideCursor = "\x1b[?25l";
inline constexpr std::string_view kCursorHome = "\x1b[H";
// The terminal keeps the cursor's place (and colours) and goes back to it.
inline constexpr std::string_view kSaveCursor = "\x1b" "7";
inline constexpr std::string_view kRestoreCursor = "\x1b" "8";

// Erasing: the visible screen, the rest of the line.
inline constexpr std::string_view kEraseScreen = "\x1b[2J";
inline constexpr std::string_view kEraseToLineEnd = "\x1b[K";
// The lines scrolled off the top of the screen, where a terminal keeps them.
inline constexpr std::string_view kEraseScrollback = "\x1b[3J";

// The terminal's alternate screen, which has no scrollback: the game draws
// there, and leaving it brings back the user's own screen and scrollback as
// they were, the cursor where it stood.
inline constexpr std::string_view kEnterAlternateScreen = "\x1b[?1049h";
inline constexpr std::string_view kLeaveAlternateScreen = "\x1b[?1049l";

inline constexpr std::string_view kResetColours = "\x1b[0m";

// The window title: the terminal's own one is kept on its title stack while
// the game shows its own between kSetTitle and kTitleEnd.
inline constexpr std::string_view kPushTitle = "\x1b[22;0t";
inline constexpr std::string_view kPopTitle = "\x1b[23;0t";
inline constexpr std::string_view kSetTitle = "\x1b]0;";
inline constexpr std::string_view kTitleEnd = "\a";

// Introducers: a cursor position ("row;column" and 'H' follow), a 24-bit
// foreground or background colour ("r;g;b" and 'm' follow), an entry of the
// 256-colour palette (its number and 'm' follow). The 16 colours are kCsi,
// their number and 'm'.
inline constexpr std::string_view kCsi = "\x1b[";
inline constexpr std::string_view kForegroundRgb = "\x1b[38;2;";
inline constexpr std::string_view kBackgroundRgb = "\x1b[48;2;";
inline constexpr std::string_view kForeground256 = "\x1b[38;5;";
inline constexpr std::string_view kBackground256 = "\x1b[48;5;";

// The last byte of the sequences that follow kCsi, with their numbers between
// the two: a cursor position ("row;column"), a move to the right (columns), a
// graphic rendition (colours).
inline constexpr char kCursorPositionEnd = 'H';
inline constexpr char kCursorForwardEnd = 'C';
inline constexpr char kGraphicRenditionEnd = 'm';

// What the cursor's two sequences share before their last letter.
inline constexpr std::string_view kCursorVisibilityPrefix = kShowCursor.substr(0, kShowCursor.size() - 1);
static_assert(kHideCursor.substr(0, kHideCursor.size() - 1) == kCursorVisibilityPrefix);

}  // namespace console
