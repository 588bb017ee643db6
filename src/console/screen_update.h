#pragma once
// Writing a frame as what changed. The frame is composed as the whole stream
// that draws it, which stays the one reference for what the screen shows; the
// updater reads it into a picture of the screen (screen_model.h) over the one
// it last put there and writes only the cells that differ, with a colour
// sequence where the colour changes and a cursor move where it saves bytes.
// It leaves the cursor and the colours where the whole stream would have, so
// that a message written next lands where it always did. When nothing
// changed, nothing is written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "console/screen_model.h"
#include "console/window_size.h"

namespace console {

// The bytes that turn a terminal showing `front` into one showing `back`, the
// cursor, its visibility and the colours in force included; nothing when
// that can't be done exactly (the front's cursor unknown, a colour that can't
// be set again).
std::optional<std::string> difference(const ScreenModel& front, const ScreenModel& back);

class ScreenUpdater {
 public:
  enum class Mode { kChanges, kEverything };
  // kEverything writes every frame whole, as a reference for the tests.
  explicit ScreenUpdater(Mode mode = Mode::kChanges) : mode_(mode) {}

  // Puts on the screen what writing `whole_frame` there would, to std::cout,
  // flushed. `size` is the window's; unknown, the frame is written whole.
  void write(std::string_view whole_frame, std::optional<WindowSize> size);
  // The next frame is written whole (Ctrl+L).
  void redraw_everything() { front_.reset(); }
  // Something was written or happened to the screen since the last frame.
  bool out_of_date() const;

 private:
  Mode mode_;
  // What the screen shows, as far as the frames put it there; nothing when
  // that is not known.
  std::optional<ScreenModel> front_;
  std::uint64_t screen_changes_seen_ = 0;
  std::uint32_t pictures_begun_ = 0;
};

}  // namespace console
