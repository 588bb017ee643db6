#include <iconv.h>
#include <langinfo.h>
#include <strings.h>

#include <cerrno>
#include <mutex>

#include "base/text_encoding.h"

namespace base {
namespace {

// One open conversion, reused: opening one costs more than converting a line,
// and the output converts a few runs of Chinese text in every frame. It is
// never closed, so it still works while static objects are destroyed at exit.
class Conversion {
 public:
  Conversion(const char* to, const char* from) : descriptor_(iconv_open(to, from)) {}

  // Bytes that make no character in the source encoding become '?'.
  std::string operator()(std::string_view in) {
    if (descriptor_ == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    const std::lock_guard<std::mutex> lock(mutex_);
    iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(in.size() * 3 / 2 + 4);
    char buffer[512];
    char* source = const_cast<char*>(in.data());
    std::size_t source_left = in.size();
    while (source_left > 0) {
      char* target = buffer;
      std::size_t target_left = sizeof buffer;
      const std::size_t result = iconv(descriptor_, &source, &source_left, &target, &target_left);
      const int error = errno;
      out.append(buffer, static_cast<std::size_t>(target - buffer));
      if (result == static_cast<std::size_t>(-1) && error != E2BIG) {
        // EILSEQ (no character) or EINVAL (cut off at the end): skip one byte.
        out += '?';
        ++source;
        --source_left;
        iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t descriptor_;
  std::mutex mutex_;
};

Conversion& utf8_to_gb18030() {
  static Conversion* const conversion = new Conversion("GB18030", "UTF-8");
  return *conversion;
}

Conversion& gb18030_to_utf8() {
  static Conversion* const conversion = new Conversion("UTF-8", "GB18030");
  return *conversion;
}

}  // namespace

// GB18030 is GBK with four-byte codes for every other character, so a GBK
// character converts to the same two bytes and nothing typed is lost.
std::string utf8_to_gbk(std::string_view utf8) { return utf8_to_gb18030()(utf8); }
std::string gbk_to_utf8(std::string_view gbk) { return gb18030_to_utf8()(gbk); }

bool locale_is_utf8() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset != nullptr && (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "UTF8") == 0);
}

}  // namespace base
