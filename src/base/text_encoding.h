#pragma once
// The game holds and writes its text as GBK bytes, as on its first platform.
// Source files are UTF-8 so the texts stay readable; GBK("...") turns such a
// literal into its GBK bytes once, the first time it is used.

#include <string>
#include <string_view>

namespace base {

// GBK bytes of a UTF-8 text. A character outside GBK becomes its GB18030 bytes,
// so nothing is lost; bytes that are not UTF-8 become '?'.
std::string utf8_to_gbk(std::string_view utf8);

// UTF-8 text of GBK (or GB18030) bytes; bytes that are no character become '?'.
std::string gbk_to_utf8(std::string_view gbk);

}  // namespace base

// The GBK bytes of a UTF-8 string literal, converted once and kept.
#define GBK(utf8_literal)                                                   \
  ([]() -> const std::string& {                                             \
    static const std::string converted = ::base::utf8_to_gbk(utf8_literal); \
    return converted;                                                       \
  }())
