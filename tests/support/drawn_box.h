#pragma once
// The bytes a box drawn from row 0 leaves in the output: each line, the
// provisional border under it, and the cursor back on the border's row.

#include <string>

#include "console/escape_output.h"
#include "frontend/texts.h"

namespace test_support {

inline std::string drawn_box(const frontend::texts::BoxLines& lines) {
  std::string bytes;
  for (std::size_t row = 0; row < lines.size(); ++row) {
    bytes += lines[row] + "\n" + console::kBoxBorder + "\n";
    bytes += "\x1b[" + std::to_string(row + 2) + ";1H";
  }
  return bytes;
}

}  // namespace test_support
