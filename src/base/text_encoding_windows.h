#pragma once
// Windows' own text: the UTF-16 of its wide calls (paths, for one).

#include <optional>
#include <string>
#include <string_view>

namespace base {

// The UTF-8 of UTF-16 text; nothing when it is no valid UTF-16 (a surrogate
// without its pair).
std::optional<std::string> utf8_of(std::wstring_view text);

}  // namespace base
