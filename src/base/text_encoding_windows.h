#pragma once
// Windows' own text: the UTF-16 of its wide calls (paths, for one).

#include <optional>
#include <string>
#include <string_view>

namespace base {

// The UTF-8 of UTF-16 text; nothing when it is no valid UTF-16 (a surrogate
// without its pair).
std::optional<std::string> utf8_of(std::wstring_view text);

// The UTF-16 of UTF-8 text, for the console's wide calls; bytes that are no
// UTF-8 become U+FFFD.
std::wstring utf16_of(std::string_view utf8);

}  // namespace base
