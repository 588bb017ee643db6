#pragma once
// One frame of the map, composed into a canvas of cells so that it reaches
// the terminal in one write, as what changed, and never shows half drawn.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

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

// For a screen reader the frame keeps rows below the status lines where it
// says in sentences what happened (ReaderPage): at least this many, and
// every row the full view leaves. Where a size is asked for, 0 reader rows
// is the frame without them.
inline constexpr int kReaderRows = 4;

// The window the full view and its status lines need so that drawing them
// never scrolls: the last blank status line ends with a line feed, so the
// cursor needs one more row below it (or the reader rows take it).
console::WindowSize full_view_size(const Voice& voice, int reader_rows = 0);
// The window the smallest view needs in the same way.
console::WindowSize smallest_view_size(const Voice& voice, int reader_rows = 0);
// The view a window shows: the full one when its size is unknown, nothing
// when it is smaller than smallest_view_size.
std::optional<ViewShape> view_shape_for(const Voice& voice, std::optional<console::WindowSize> window,
                                        int reader_rows = 0);

// A canvas for a window of `size`; for a window of unknown size, one large
// enough for the full view, status lines of any length and `reader_rows`.
console::Canvas canvas_for(std::optional<console::WindowSize> size, int reader_rows = 0);

// The cells around the player, in a border when the voice has one, from the
// canvas's top-left corner on; the cursor ends at the start of the row below.
void compose_view(const game& world, const Voice& voice, ViewShape shape, console::Canvas& canvas);
// The three status lines of the player, or three blank lines when `f3` is
// off, each cut at a window `columns` wide instead of wrapping, as text: a
// frame writes it into its canvas, and after an encounter behind the
// encounter's message.
std::string compose_status(const game::player& player, const Voice& voice, bool f3, int columns = kAnyWidth);
// The status lines read out as sentences, for a screen reader.
std::string status_sentences(const game::player& player, const Voice& voice);
// A whole frame of the full view without encounters, as the terminal
// receives it: the view, then the status lines.
std::string compose_frame(const game& world, const Voice& voice, bool f3);

// What a screen reader is told, on the rows below the status lines: a page
// of the newest messages, oldest first, each wrapped to the window's width.
// A message goes below the others while the page has room for it, else it
// starts a new page: what was said stays where it was, so only the new
// message's rows change on the screen, and a repeated message is written
// again, where a screen reader reads it as new.
class ReaderPage {
 public:
  void add(std::string message) { unplaced_.push_back(std::move(message)); }
  // From the canvas's cursor, at the start of a row, to its last row, each
  // row written to its end; the cursor is left showing at the start of the
  // newest message. A message longer than all the rows is cut.
  void compose(console::Canvas& canvas);

 private:
  static std::size_t rows_of(const std::string& message, int width);
  // The messages added go on the page, or start a new one, on `rows` rows.
  void place(std::size_t rows, int width);
  // The page's lines; `newest` is where the newest message starts.
  std::vector<std::string> lines_of_page(int width, std::size_t& newest) const;

  std::vector<std::string> page_;
  std::vector<std::string> unplaced_;  // added since the last compose
};

// The voice's notice for a window of size `has` too small for one of size
// `needed`, wrapped to the window's width on at most its rows: broken at
// blanks and between Chinese characters, never inside a word or a number
// that fits on a line, so the size needed, which comes first, is read whole.
std::vector<std::string> too_small_lines(const Voice& voice, console::WindowSize needed, console::WindowSize has);
// What a window too small for the map shows instead, from the top-left
// corner: the notice, and every row below it blank.
void compose_too_small(const Voice& voice, console::WindowSize has, console::Canvas& canvas, int reader_rows = 0);

}  // namespace play
