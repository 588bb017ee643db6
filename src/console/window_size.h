#pragma once
// The visible size of the terminal window, in character cells.

namespace console {

struct WindowSize {
  int rows = 0;
  int columns = 0;
  bool operator==(const WindowSize&) const = default;
};

}  // namespace console
