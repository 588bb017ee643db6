// libFuzzer target for the key decoder: any bytes, in any pieces, at any times.
// Built and run by scripts/fuzz.sh.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "console/key_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the encoding; then each piece is a time step, a
  // length and that many bytes.
  console::KeyDecoder decoder(data[0] % 2 == 0 ? console::TerminalEncoding::kGbk : console::TerminalEncoding::kUtf8);
  std::size_t at = 1;
  std::int64_t now = 0;
  std::size_t fed = 0;
  std::size_t keys = 0;
  while (at + 2 <= size) {
    now += data[at];
    const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
    decoder.feed(std::string_view(reinterpret_cast<const char*>(data + at + 2), length), now);
    fed += length;
    at += 2 + length;
    if (decoder.waiting_for_more() && decoder.deadline_ms() > now + console::KeyDecoder::kSequenceTimeoutMs) std::abort();
    while (decoder.has_key()) {
      const console::KeyPress key = decoder.take_key();
      if (key.size < 1 || key.size > 4) std::abort();
      ++keys;
    }
  }
  decoder.finish();
  keys += decoder.keys_ready();
  if (decoder.waiting_for_more() || keys > 2 * fed) std::abort();
  return 0;
}
