#include "console/terminal_encoding.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/text_encoding.h"
#include "console/program_environment.h"

namespace console {
namespace {

bool same_words(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// "zh_CN.GBK@variant" has the codeset "GBK"; "C" and "POSIX" have none.
std::string_view codeset_of(std::string_view locale) {
  const std::size_t dot = locale.find('.');
  if (dot == std::string_view::npos) return {};
  const std::string_view codeset = locale.substr(dot + 1);
  return codeset.substr(0, codeset.find('@'));
}

bool is_gbk_codeset(std::string_view codeset) {
  // EUC-CN is GB2312's own name, as macOS spells its zh_CN.eucCN locale.
  for (const std::string_view name : {"GBK", "GB2312", "GB18030", "CP936", "EUC-CN", "eucCN"}) {
    if (same_words(codeset, name)) return true;
  }
  return false;
}

// The East Asian wide and full-width ranges a terminal gives two columns.
struct CodeRange {
  char32_t first, last;
};
constexpr std::array<CodeRange, 19> kWideRanges = {{
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
    {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF},
    {0x1F900, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
}};

bool is_wide(char32_t code) {
  return std::any_of(kWideRanges.begin(), kWideRanges.end(),
                     [code](const CodeRange& range) { return code >= range.first && code <= range.last; });
}

// The first character of UTF-8 text; 0 when there is none.
char32_t first_code_point(std::string_view utf8) {
  if (utf8.empty()) return 0;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  const unsigned char lead = byte(0);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (length > utf8.size()) return 0;
  if (length == 1) return lead;
  char32_t code = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) code = (code << 6) | (byte(i) & 0x3F);
  return code;
}

constexpr int kNarrow = 1;
constexpr int kWide = 2;

int gbk_columns(std::size_t character_bytes) { return character_bytes > 1 ? kWide : kNarrow; }

TerminalEncoding encoding_in_force = TerminalEncoding::kUtf8;

}  // namespace

TerminalEncoding terminal_encoding() { return encoding_in_force; }

void set_terminal_encoding(TerminalEncoding encoding) { encoding_in_force = encoding; }

TerminalEncoding choose_terminal_encoding(const EncodingEnvironment& environment) {
  if (environment.asked) {
    if (same_words(*environment.asked, "gbk")) return TerminalEncoding::kGbk;
    if (same_words(*environment.asked, "utf-8") || same_words(*environment.asked, "utf8")) {
      return TerminalEncoding::kUtf8;
    }
  }
  // The locale's categories are looked up in this order, as the C library does.
  for (const std::optional<std::string>* locale : {&environment.lc_all, &environment.lc_ctype, &environment.lang}) {
    if (*locale) return is_gbk_codeset(codeset_of(**locale)) ? TerminalEncoding::kGbk : TerminalEncoding::kUtf8;
  }
  return TerminalEncoding::kUtf8;
}

EncodingEnvironment encoding_environment() {
  return EncodingEnvironment{environment_variable("LANTERNVALE_ENCODING"), environment_variable("LC_ALL"),
                             environment_variable("LC_CTYPE"), environment_variable("LANG")};
}

int character_columns(std::string_view gbk_character, TerminalEncoding encoding) {
  if (encoding == TerminalEncoding::kGbk || gbk_character.size() < 2) return gbk_columns(gbk_character.size());
  const auto columns_in_utf8 = [&] {
    return is_wide(first_code_point(base::gbk_to_utf8(gbk_character))) ? kWide : kNarrow;
  };
  if (gbk_character.size() != 2) return columns_in_utf8();
  // Every frame's status lines hold the same few two-byte characters: each
  // is converted once.
  static std::array<std::int8_t, 256 * 256> known_columns{};
  const auto code = static_cast<std::size_t>(static_cast<unsigned char>(gbk_character[0])) << 8 |
                    static_cast<unsigned char>(gbk_character[1]);
  if (known_columns[code] == 0) known_columns[code] = static_cast<std::int8_t>(columns_in_utf8());
  return known_columns[code];
}

int text_columns(std::string_view gbk) {
  int columns = 0;
  for (std::size_t at = 0, length = 0; at < gbk.size(); at += length) {
    length = base::gbk_character_length(gbk, at);
    if (length == 0) break;
    columns += character_columns(gbk.substr(at, length), terminal_encoding());
  }
  return columns;
}

std::string cut_to_columns(std::string_view gbk, int columns) {
  std::size_t kept = 0;
  int used = 0;
  while (kept < gbk.size()) {
    // A character cut off at the end of the text is not kept.
    const std::size_t length = base::gbk_character_length(gbk, kept);
    if (length == 0) break;
    used += character_columns(gbk.substr(kept, length), terminal_encoding());
    if (used > columns) break;
    kept += length;
  }
  return std::string(gbk.substr(0, kept));
}

}  // namespace console
