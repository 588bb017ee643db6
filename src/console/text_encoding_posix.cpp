#include <iconv.h>

#include <cerrno>

#include "console/text_encoding.h"

namespace console {
namespace {

// Converts `in` from one encoding to another; an unconvertible byte becomes '?'.
std::string convert(std::string_view in, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  char buffer[256];
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  while (src_left > 0) {
    char* dst = buffer;
    size_t dst_left = sizeof buffer;
    const size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      out += '?';
      ++src;
      --src_left;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string utf8_to_gbk(std::string_view utf8) { return convert(utf8, "GB18030", "UTF-8"); }
std::string gbk_to_utf8(std::string_view gbk) { return convert(gbk, "UTF-8", "GB18030"); }

}  // namespace console
