#include "persistence/save_name.h"

#include <array>
#include <cstddef>
#include <utility>

#include "base/files.h"
#include "base/text_encoding.h"

namespace persistence {
namespace {

constexpr char kEscapeMark = '%';
constexpr std::string_view kHexDigits = "0123456789ABCDEF";
constexpr std::size_t kEscapeLength = 3;  // "%" and two digits

bool file_name_refuses(unsigned char byte, const FileNaming& naming) {
  if (byte == '/' || byte == '\0') return true;
  if (!naming.windows_rules) return false;
  return byte < 0x20 || std::string_view("\\:*?<>|\"").find(static_cast<char>(byte)) != std::string_view::npos;
}

// Only these bytes are ever escaped, so only their escapes are read back;
// "%41" in a name stays those three characters.
bool is_escaped_byte(unsigned char byte, const FileNaming& naming) {
  return file_name_refuses(byte, naming) || byte == kEscapeMark || byte >= 0x80;
}

std::optional<unsigned char> hex_pair_at(std::string_view text, std::size_t at) {
  if (at + 2 > text.size()) return std::nullopt;
  const std::size_t high = kHexDigits.find(text[at]);
  const std::size_t low = kHexDigits.find(text[at + 1]);
  if (high == std::string_view::npos || low == std::string_view::npos) return std::nullopt;
  return static_cast<unsigned char>(high * 16 + low);
}

// The byte that an escape starting at `at` stands for, if one starts there.
std::optional<unsigned char> escape_at(std::string_view text, std::size_t at, const FileNaming& naming) {
  if (text[at] != kEscapeMark) return std::nullopt;
  const std::optional<unsigned char> byte = hex_pair_at(text, at + 1);
  if (!byte || !is_escaped_byte(*byte, naming)) return std::nullopt;
  return byte;
}

void append_escape(std::string& out, unsigned char byte) {
  out += kEscapeMark;
  out += kHexDigits[byte / 16];
  out += kHexDigits[byte % 16];
}

char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool is_ascii_letter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Windows opens the device, not a file, for these names with any extension
// and any trailing blanks: "CON.dat", "nul .dat", "COM1.x.dat".
bool is_device_name(std::string_view stem) {
  std::string base(stem.substr(0, stem.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = ascii_upper(c);
  for (const std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (base == device) return true;
  }
  if (base.size() < 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0)) return false;
  const std::string_view number = std::string_view(base).substr(3);
  // A digit, or the superscripts one to three in UTF-8.
  constexpr std::array<std::string_view, 3> superscripts = {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
  if (number.size() == 1) return number[0] >= '0' && number[0] <= '9';
  for (const std::string_view superscript : superscripts) {
    if (number == superscript) return true;
  }
  return false;
}

// A device name is kept from Windows by escaping its first letter; this is
// that letter when `stem` starts so.
std::optional<char> escaped_device_letter(std::string_view stem) {
  if (stem.empty() || stem[0] != kEscapeMark) return std::nullopt;
  const std::optional<unsigned char> letter = hex_pair_at(stem, 1);
  if (!letter || !is_ascii_letter(*letter)) return std::nullopt;
  const char first = static_cast<char>(*letter);
  std::string unescaped(1, first);
  unescaped.append(stem.substr(kEscapeLength));
  if (!is_device_name(unescaped)) return std::nullopt;
  return first;
}

void keep_clear_of_device_names(std::string& stem) {
  if (is_device_name(stem)) {
    const auto first = static_cast<unsigned char>(stem[0]);
    stem.erase(0, 1);
    std::string escape;
    append_escape(escape, first);
    stem.insert(0, escape);
  } else if (escaped_device_letter(stem)) {
    // A "%" of the name that would read as such an escape is written "%25".
    stem.insert(1, "25");
  }
}

// `escape_high`: bytes from 0x80 up are escaped too, so that a name which is
// no clean text still makes a UTF-8 file name.
std::string escape(std::string_view text, bool escape_high, const FileNaming& naming) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    // A "%" needs escaping only where the characters after it read as an
    // escape; those characters are never escaped themselves (digits and
    // letters), so they read the same in the result.
    if (file_name_refuses(byte, naming) || (escape_high && byte >= 0x80) || escape_at(text, i, naming)) {
      append_escape(out, byte);
    } else {
      out += static_cast<char>(byte);
    }
  }
  if (naming.windows_rules) keep_clear_of_device_names(out);
  return out;
}

std::string unescape(std::string_view stem, const FileNaming& naming) {
  std::string out;
  out.reserve(stem.size());
  std::size_t i = 0;
  if (naming.windows_rules) {
    if (const std::optional<char> letter = escaped_device_letter(stem)) {
      out += *letter;
      i = kEscapeLength;
    }
  }
  while (i < stem.size()) {
    if (const std::optional<unsigned char> byte = escape_at(stem, i, naming)) {
      out += static_cast<char>(*byte);
      i += kEscapeLength;
    } else {
      out += stem[i++];
    }
  }
  return out;
}

}  // namespace

std::string save_path_shown(std::string_view save_name) {
  return path_shown_in_save_directory(std::string(save_name).append(kSaveExtension));
}

std::string path_shown_in_save_directory(std::string_view file_name) {
  std::string path(kSaveDirectory);
  path.append("/").append(file_name);
  return path;
}

std::optional<std::filesystem::path> path_in_save_directory(std::string_view file_name) {
  std::string name(kSaveDirectory);
  name.append("/").append(file_name);
  return base::path_of_name(name);
}

std::optional<std::filesystem::path> save_file_path(std::string_view save_name) {
  return path_in_save_directory(stem_on_disk(save_name, running_file_naming()).append(kSaveExtension));
}

FileNaming running_file_naming() { return FileNaming{base::file_names_follow_windows_rules()}; }

std::string stem_on_disk(std::string_view save_name, FileNaming naming) {
  const std::string utf8 = base::gbk_to_utf8(save_name);
  const bool converts_cleanly = base::utf8_to_gbk(utf8) == save_name;
  return converts_cleanly ? escape(utf8, false, naming) : escape(save_name, true, naming);
}

std::optional<std::string> save_name_of_stem(std::string_view stem, FileNaming naming) {
  const std::string bytes = unescape(stem, naming);
  // The bytes are the name's text, or, escaped from 0x80 up, the GBK bytes of
  // a name that is no clean text. The one whose file this is wins; a stem no
  // name maps to has none.
  std::string gbk = base::utf8_to_gbk(bytes);
  if (stem_on_disk(gbk, naming) == stem) return gbk;
  if (stem_on_disk(bytes, naming) == stem) return bytes;
  return std::nullopt;
}

std::string shown_name_of_stem(std::string_view stem, FileNaming naming) {
  if (std::optional<std::string> save_name = save_name_of_stem(stem, naming)) return std::move(*save_name);
  std::string gbk = base::utf8_to_gbk(stem);
  const bool is_utf8 = base::gbk_to_utf8(gbk) == stem;
  return is_utf8 ? gbk : std::string(stem);
}

std::optional<std::string_view> stem_of_save_file(std::string_view file_name) {
  const std::size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || file_name.substr(dot) != kSaveExtension) return std::nullopt;
  return file_name.substr(0, dot);
}

}  // namespace persistence
