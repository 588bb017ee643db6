#pragma once
// One frame of the map, composed in memory so that it reaches the terminal in
// one write and never shows half drawn.

#include <string>

#include "console/window_size.h"
#include "play/voice.h"
#include "world/game.h"

namespace play {

// The window the map and its status lines need so that drawing them never
// scrolls: the last blank status line ends with a line feed, so the cursor
// needs one more row below it.
console::WindowSize view_size_needed(const Voice& voice);

// The cursor hidden and homed, then the 21 x 21 cells around the player, in
// a border when the voice has one.
std::string compose_view(const game& world, const Voice& voice);
// The three status lines of the player, or three blank lines when `f3` is off.
std::string compose_status(const game::player& player, const Voice& voice, bool f3);
// A whole frame without encounters: the view, then the status lines.
std::string compose_frame(const game& world, const Voice& voice, bool f3);

// What a window too small for the map shows instead, homed like a frame.
std::string compose_too_small(const Voice& voice, console::WindowSize has);

}  // namespace play
