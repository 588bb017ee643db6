#pragma once
// The state that start-up, the menus and the debug screen share for the whole run.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace frontend {

inline constexpr std::string_view version = "test-predev-1";

// Clock readings in milliseconds since the clock started, 32 bits wide like
// the platform's clock_ms.
extern std::int32_t start;  // taken at start-up
extern std::int32_t dt;     // taken each time the debug screen opens

// Set by a Tab seen while the program starts; nothing clears it.
extern bool devloper_mode;

// Message texts of playthrough error codes: code n uses entry n - 1; a code
// without an entry falls back to a fixed text.
extern const std::vector<std::string> Errorstr;

}  // namespace frontend
