#pragma once
// The game holds and writes its text as GBK bytes, so that a world's name and
// every text are the same bytes on every system. Source files are UTF-8 so the
// texts stay readable; GBK("...") turns such a literal into its GBK bytes once,
// the first time it is used.

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

// GBK bytes of a UTF-8 text. A character outside GBK becomes its GB18030 bytes,
// so nothing is lost; bytes that are not UTF-8 become '?'.
std::string utf8_to_gbk(std::string_view utf8);

// UTF-8 text of GBK (or GB18030) bytes; bytes that are no character become '?'.
std::string gbk_to_utf8(std::string_view gbk);

// Whether the C library's locale, as set now, writes text as UTF-8. A POSIX
// terminal and its file names follow the locale; Windows gives the game its
// text through code pages and Unicode calls instead, so there it is false.
bool locale_is_utf8();

// The first byte of a two-byte GBK character or a four-byte GB18030 one.
constexpr bool is_gbk_lead_byte(unsigned char byte) { return byte >= 0x81 && byte <= 0xfe; }

// The length of the GBK (or GB18030) character starting at `at`: 2 or 4, 1 for
// a byte that starts no character, 0 when the text ends before the character
// does. A two-byte character's trail byte may look like ASCII ('@' after 0x81);
// the four-byte form alternates digits and lead bytes.
constexpr std::size_t gbk_character_length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const auto is_trail = [](unsigned char b) { return b >= 0x40 && b <= 0xfe && b != 0x7f; };
  const auto is_digit = [](unsigned char b) { return b >= '0' && b <= '9'; };
  const std::size_t left = text.size() - at;
  if (!is_gbk_lead_byte(byte(0))) return 1;
  if (left < 2) return 0;
  if (is_trail(byte(1))) return 2;
  if (!is_digit(byte(1))) return 1;
  if (left < 3) return 0;
  if (!is_gbk_lead_byte(byte(2))) return 1;
  if (left < 4) return 0;
  return is_digit(byte(3)) ? 4 : 1;
}

}  // namespace base

// The GBK bytes of a UTF-8 string literal, converted once and kept.
#define GBK(utf8_literal)                                                   \
  ([]() -> const std::string& {                                             \
    static const std::string converted = ::base::utf8_to_gbk(utf8_literal); \
    return converted;                                                       \
  }())
