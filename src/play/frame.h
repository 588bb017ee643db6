#pragma once
// One frame of the map, composed into a canvas of cells so that it reaches
// the terminal in one write, as what changed, and never shows half drawn.

#include <optional>
#include <string>

#include "console/canvas.h"
#include "console/window_size.h"
#include "play/voice.h"
#include "world/game.h"

namespace play {

// How much of the world a window shows: an odd number of window rows, each of
// an odd number of cells, the player in the middle. A window large enough
// shows the full view; a smaller one shows fewer rows or cells, down to the
// smallest view.
struct ViewShape {
  int rows = 0;
  int cells = 0;
  bool operator==(const ViewShape&) const = default;
};
inline constexpr ViewShape kFullView{21, 21};
inline constexpr ViewShape kSmallestView{5, 5};

// Reads as "no limit" where a width is asked for.
inline constexpr int kAnyWidth = 1 << 30;

// The window the full view and its status lines need so that drawing them
// never scrolls: the last blank status line ends with a line feed, so the
// cursor needs one more row below it.
console::WindowSize full_view_size(const Voice& voice);
// The window the smallest view needs in the same way.
console::WindowSize smallest_view_size(const Voice& voice);
// The view a window shows: the full one when its size is unknown, nothing
// when it is smaller than smallest_view_size.
std::optional<ViewShape> view_shape_for(const Voice& voice, std::optional<console::WindowSize> window);

// A canvas for a window of `size`; for a window of unknown size, one large
// enough for the full view and status lines of any length.
console::Canvas canvas_for(std::optional<console::WindowSize> size);

// The cells around the player, in a border when the voice has one, from the
// canvas's top-left corner on; the cursor ends at the start of the row below.
void compose_view(const game& world, const Voice& voice, ViewShape shape, console::Canvas& canvas);
// The three status lines of the player, or three blank lines when `f3` is
// off, each cut at a window `columns` wide instead of wrapping, as text: a
// frame writes it into its canvas, and after an encounter behind the
// encounter's message.
std::string compose_status(const game::player& player, const Voice& voice, bool f3, int columns = kAnyWidth);
// A whole frame of the full view without encounters, as the terminal
// receives it: the view, then the status lines.
std::string compose_frame(const game& world, const Voice& voice, bool f3);

// What a window too small for the map shows instead, from the top-left
// corner, cut to the window's width.
void compose_too_small(const Voice& voice, console::WindowSize has, console::Canvas& canvas);

}  // namespace play
