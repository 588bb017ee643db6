#pragma once
// The one seam between the game and the operating system: each service gives
// the effect the game relies on, whatever the system does to give it. There is
// a POSIX implementation (platform_posix.cpp), a Windows implementation
// (platform_windows.cpp), and tests may install a scripted one. Key reads give
// the codes of base/key_codes.h.

#include <cstdint>
#include <optional>
#include <string>

#include "base/key_codes.h"
#include "console/window_size.h"

namespace console {

// A key wait's time limit meaning none: the wait ends at a key, at the end of
// input, or when the screen changed under the program (screen_changes()).
inline constexpr int kNoTimeLimit = -1;

class Platform {
 public:
  virtual ~Platform() = default;

  // First thing in main: the clock starts, input becomes raw and unechoed (so a
  // key typed before the program started is already readable), the standard
  // streams are connected to the terminal through its encoding, and the
  // terminal is restored at every kind of exit from here on.
  virtual void start() = 0;
  // Gives the terminal back as it was found, cursor visible, then writes what
  // keep_after_exit() was given. Safe to call twice.
  virtual void restore() = 0;
  // `gbk_text` (plain lines) is still to be read once the program has ended,
  // after what was kept before: where the game draws on a screen of its own
  // that goes when it ends, the texts are written again on the user's own
  // screen by restore().
  virtual void keep_after_exit(const std::string& gbk_text) = 0;

  // From here on the terminal interprets the escape sequences written to it.
  virtual void enable_escape_sequences() = 0;
  // Reading input no longer flushes output, and the standard streams stop
  // synchronising with stdio (cin.tie(nullptr), sync_with_stdio(false)).
  virtual void untie_streams() = 0;

  // Is a key code waiting? Never blocks. True at end of input, so that the
  // following `read_key` returns kEndOfInput instead of spinning.
  virtual bool key_waiting() = 0;
  // One key code, 0..255, without echo. A two-code key gives its lead code
  // (0 or 224) now and its second code at the next call.
  virtual int read_key() = 0;
  // Waits at most `timeout_ms` (or kNoTimeLimit) for a key and tells whether
  // one is waiting (true at end of input too). Lets a frame loop sleep between
  // frames instead of spinning on key_waiting. A wait without limit also ends
  // when the screen changed under the program (a window resized, the program
  // continued after a stop), so that the frame loop can draw it again.
  virtual bool wait_for_key(int timeout_ms) = 0;
  // Waits until the keys typed so far have arrived whole: a lone Escape is
  // told from the start of a longer key only after a short pause. The
  // start-up window ends with it, so what was typed in the window is
  // swallowed whole.
  virtual void settle_typed_keys() = 0;
  // True once input has ended for good (a read met the end of a pipe, the
  // terminal hung up, a termination request came): nobody is watching, so
  // waits meant for the player's eyes can be skipped.
  virtual bool input_ended() = 0;
  // The window's size, or nothing when output is not a terminal or the size
  // is unknown.
  virtual std::optional<WindowSize> window_size() = 0;

  // A pause. Keys typed meanwhile are kept, in order, for the reads after it.
  virtual void sleep_ms(int milliseconds) = 0;
  // Wall-clock milliseconds since start().
  virtual std::int32_t clock_ms() = 0;
  // A blank screen with the cursor at the top-left corner.
  virtual void clear_screen() = 0;
  // The window's title, until the next one or the end of the run.
  virtual void set_title(const std::string& gbk_title) = 0;
  // The absolute path of the running executable as GBK text, "" if unknown.
  virtual std::string program_path() = 0;

  // Under --screen-reader: a line for the player to hear now, which the game
  // also writes on the screen. A terminal's own screen reader reads it there;
  // a web page has its terminal's rows read as they change (the map's as
  // rows of symbols), so it says the line instead, in a live region.
  virtual void announce(const std::string& /*gbk_line*/) {}
};

// The platform in use: the one of the system the game was built for, unless a
// test installed another.
Platform& platform();
// Installs `replacement` (not owned) for the rest of the run; nullptr goes back
// to the system's own.
void set_platform(Platform* replacement);

// The system's own platform, defined by platform_posix.cpp or platform_windows.cpp.
Platform& native_platform();

// Counts the times the screen changed behind the frames' back: anything
// written to the terminal but a frame (a text, a clear, the echo of a typed
// line), a window resized, the terminal given back at Ctrl+Z and taken again.
// A frame drawn after such a change is drawn whole (console/canvas.h).
std::uint64_t screen_changes();
void note_screen_change();
// Called by the output layer for every write it hands to the terminal:
// counted as a change unless a frame is writing.
void note_output_written();
// While one lives, the writes are a frame's own.
class FrameWrite {
 public:
  FrameWrite();
  ~FrameWrite();
  FrameWrite(const FrameWrite&) = delete;
  FrameWrite& operator=(const FrameWrite&) = delete;
};

}  // namespace console
