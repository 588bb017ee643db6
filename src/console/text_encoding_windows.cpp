#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "console/text_encoding.h"

namespace console {
namespace {

constexpr UINT kGbk = 936;
constexpr UINT kGb18030 = 54936;
constexpr char32_t kNoCharacter = 0xFFFFFFFF;

// The next character of UTF-8 text, or kNoCharacter for a byte that starts
// none (it is skipped alone).
char32_t next_code_point(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(at);
  std::size_t length = 0;
  char32_t value = 0;
  if (lead < 0x80) {
    ++at;
    return lead;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
  } else {
    ++at;
    return kNoCharacter;
  }
  if (at + length > text.size()) {
    ++at;
    return kNoCharacter;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      ++at;
      return kNoCharacter;
    }
    value = (value << 6) | (byte(at + i) & 0x3F);
  }
  const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
  if (overlong || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++at;
    return kNoCharacter;
  }
  at += length;
  return value;
}

std::wstring utf16_of(char32_t code_point) {
  if (code_point < 0x10000) return std::wstring(1, static_cast<wchar_t>(code_point));
  const char32_t offset = code_point - 0x10000;
  return {static_cast<wchar_t>(0xD800 + (offset >> 10)), static_cast<wchar_t>(0xDC00 + (offset & 0x3FF))};
}

// The character in code page 936, or in GB18030 when 936 has no code for it.
std::string gbk_of(const std::wstring& character) {
  char buffer[8];
  BOOL used_default = FALSE;
  const int size = static_cast<int>(character.size());
  int written = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, character.data(), size, buffer, sizeof buffer, nullptr,
                                    &used_default);
  if (written > 0 && !used_default) return std::string(buffer, static_cast<std::size_t>(written));
  written = WideCharToMultiByte(kGb18030, 0, character.data(), size, buffer, sizeof buffer, nullptr, nullptr);
  return written > 0 ? std::string(buffer, static_cast<std::size_t>(written)) : std::string("?");
}

std::string utf8_of(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), needed, nullptr, nullptr);
  return out;
}

// The GB18030 character at `at`: 2 or 4 bytes, 1 for a byte that starts none.
std::size_t gbk_character_length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
  const auto lead = [](std::uint8_t b) { return b >= 0x81 && b <= 0xFE; };
  const auto digit = [](std::uint8_t b) { return b >= 0x30 && b <= 0x39; };
  const std::size_t left = text.size() - at;
  if (!lead(byte(0)) || left < 2) return 1;
  if (byte(1) >= 0x40 && byte(1) <= 0xFE && byte(1) != 0x7F) return 2;
  if (left >= 4 && digit(byte(1)) && lead(byte(2)) && digit(byte(3))) return 4;
  return 1;
}

}  // namespace

std::string utf8_to_gbk(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t code_point = next_code_point(utf8, at);
    if (code_point == kNoCharacter) {
      out += '?';
    } else if (code_point < 0x80) {
      out += static_cast<char>(code_point);
    } else {
      out += gbk_of(utf16_of(code_point));
    }
  }
  return out;
}

std::string gbk_to_utf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  for (std::size_t at = 0; at < gbk.size();) {
    const std::size_t length = gbk_character_length(gbk, at);
    if (length == 1 && static_cast<std::uint8_t>(gbk[at]) < 0x80) {
      out += gbk[at++];
      continue;
    }
    wchar_t wide[4];
    const int converted = MultiByteToWideChar(kGb18030, MB_ERR_INVALID_CHARS, gbk.data() + at,
                                              static_cast<int>(length), wide, 4);
    out += converted > 0 ? utf8_of(std::wstring(wide, static_cast<std::size_t>(converted))) : std::string("?");
    at += length;
  }
  return out;
}

}  // namespace console
