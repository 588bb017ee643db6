#pragma once
// The answer of a save-file operation: whether it worked, and if not, one short
// line a player can read about what went wrong and where.

#include <string>

namespace persistence {

struct Result {
  bool ok = true;
  // ASCII words; a save's name appears as the GBK bytes it was given.
  std::string problem;
  explicit operator bool() const { return ok; }
};

}  // namespace persistence
