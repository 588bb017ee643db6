// GBK text in a web browser: Emscripten's C library can read GB18030 but not
// write it, so both ways go through the browser's own decoder
// (web/src/gbk.js), which the module reaches as Module.host.
#include <emscripten.h>

#include "base/text_encoding.h"

namespace base {
namespace {

// clang-format off
EM_JS(int, lv_gbk_to_utf8, (const char* gbk, int size), {
  return Module.host.reply(new TextEncoder().encode(Module.host.textOfGbk(HEAPU8.subarray(gbk, gbk + size))));
});
EM_JS(int, lv_utf8_to_gbk, (const char* utf8, int size), {
  return Module.host.reply(Module.host.gbkOfText(new TextDecoder().decode(HEAPU8.subarray(utf8, utf8 + size))));
});
EM_JS(void, lv_take_text, (char* into, int size), { Module.host.takeReply(HEAPU8.subarray(into, into + size)); });
// clang-format on

std::string reply(int size) {
  std::string text(static_cast<std::size_t>(size), '\0');
  lv_take_text(text.data(), size);
  return text;
}

}  // namespace

std::string utf8_to_gbk(std::string_view utf8) {
  return reply(lv_utf8_to_gbk(utf8.data(), static_cast<int>(utf8.size())));
}

std::string gbk_to_utf8(std::string_view gbk) {
  return reply(lv_gbk_to_utf8(gbk.data(), static_cast<int>(gbk.size())));
}

// Text in a browser is Unicode.
bool locale_is_utf8() { return true; }

}  // namespace base
