#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text_encoding.h"
#include "base/text_encoding_windows.h"

namespace base {
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

// Characters beyond the Basic Multilingual Plane follow one another in GB18030's
// four-byte codes from 0x90308130 on, so they need no table.
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr std::uint8_t kFirstSupplementaryLead = 0x90;

std::string gb18030_of_supplementary(char32_t code_point) {
  std::uint32_t index = code_point - kFirstSupplementary;
  std::string bytes(4, '\0');
  bytes[3] = static_cast<char>(0x30 + index % 10);
  index /= 10;
  bytes[2] = static_cast<char>(0x81 + index % 126);
  index /= 126;
  bytes[1] = static_cast<char>(0x30 + index % 10);
  bytes[0] = static_cast<char>(kFirstSupplementaryLead + index / 10);
  return bytes;
}

char32_t supplementary_of_gb18030(std::string_view bytes) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i])); };
  const std::uint32_t index = (((byte(0) - kFirstSupplementaryLead) * 10 + (byte(1) - 0x30)) * 126 + (byte(2) - 0x81)) * 10 +
                              (byte(3) - 0x30);
  const char32_t code_point = kFirstSupplementary + index;
  return code_point <= 0x10FFFF ? code_point : kNoCharacter;
}

// The character in code page 936, or in GB18030 when 936 has no two-byte code
// for it. 936's one single-byte addition, 0x80 for the euro sign, is no GBK
// code: GB18030 gives the euro two bytes, as the other builds do.
std::string gbk_of(char32_t code_point) {
  if (code_point >= kFirstSupplementary) return gb18030_of_supplementary(code_point);
  const wchar_t wide = static_cast<wchar_t>(code_point);
  char buffer[8];
  BOOL used_default = FALSE;
  int written = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, &wide, 1, buffer, sizeof buffer, nullptr, &used_default);
  if (written == 2 && !used_default) return std::string(buffer, 2);
  written = WideCharToMultiByte(kGb18030, 0, &wide, 1, buffer, sizeof buffer, nullptr, nullptr);
  return written > 0 ? std::string(buffer, static_cast<std::size_t>(written)) : std::string("?");
}

// One character (1, 2 or 4 bytes) as UTF-8; '?' when it is none.
std::string utf8_of_gbk_character(std::string_view character) {
  if (character.size() == 4 && static_cast<std::uint8_t>(character[0]) >= kFirstSupplementaryLead) {
    const char32_t code_point = supplementary_of_gb18030(character);
    if (code_point == kNoCharacter) return "?";
    const char32_t offset = code_point - kFirstSupplementary;
    const wchar_t pair[2] = {static_cast<wchar_t>(0xD800 + (offset >> 10)), static_cast<wchar_t>(0xDC00 + (offset & 0x3FF))};
    return utf8_of(std::wstring_view(pair, 2)).value_or("?");
  }
  if (character.size() == 1) return "?";
  wchar_t wide[2];
  const int size = static_cast<int>(character.size());
  int converted = character.size() == 2
                      ? MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, character.data(), size, wide, 2)
                      : 0;
  if (converted <= 0) converted = MultiByteToWideChar(kGb18030, MB_ERR_INVALID_CHARS, character.data(), size, wide, 2);
  if (converted <= 0) return "?";
  return utf8_of(std::wstring_view(wide, static_cast<std::size_t>(converted))).value_or("?");
}

}  // namespace

std::optional<std::string> utf8_of(std::wstring_view text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::nullopt;
  std::string out(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), size, out.data(), needed, nullptr, nullptr);
  return out;
}

std::wstring utf16_of(std::string_view utf8) {
  if (utf8.empty()) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
  if (needed > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), needed);
  return out;
}

bool locale_is_utf8() { return false; }

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
      out += gbk_of(code_point);
    }
  }
  return out;
}

std::string gbk_to_utf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  for (std::size_t at = 0; at < gbk.size();) {
    // A character cut off by the end of the text is no character: its bytes
    // go one by one.
    const std::size_t length = std::max<std::size_t>(gbk_character_length(gbk, at), 1);
    if (length == 1 && static_cast<std::uint8_t>(gbk[at]) < 0x80) {
      out += gbk[at++];
      continue;
    }
    out += utf8_of_gbk_character(gbk.substr(at, length));
    at += length;
  }
  return out;
}

}  // namespace base
