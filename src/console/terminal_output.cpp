#include "console/terminal_output.h"

#include <algorithm>
#include <cstring>

#include "base/text_encoding.h"
#include "console/escape_sequences.h"

namespace console {
namespace {

bool ascii(std::uint8_t byte) { return byte < 0x80; }
bool gbk_lead(std::uint8_t byte) { return byte >= 0x81 && byte <= 0xfe; }
bool gbk_trail(std::uint8_t byte) { return byte >= 0x40 && byte <= 0xfe && byte != 0x7f; }
bool gb18030_digit(std::uint8_t byte) { return byte >= 0x30 && byte <= 0x39; }

bool all_ascii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return ascii(static_cast<std::uint8_t>(c)); });
}

// The length of the GBK (or GB18030) character starting at `at`: 2 or 4, 1 for
// a byte that starts no character, 0 when the text ends before the character does.
std::size_t character_length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
  const std::size_t left = text.size() - at;
  if (!gbk_lead(byte(0))) return 1;
  if (left < 2) return 0;
  if (gbk_trail(byte(1))) return 2;
  if (!gb18030_digit(byte(1))) return 1;
  if (left < 3) return 0;
  if (!gbk_lead(byte(2))) return 1;
  if (left < 4) return 0;
  return gb18030_digit(byte(3)) ? 4 : 1;
}

}  // namespace

std::string_view OutputEncoder::encode(std::string_view gbk) {
  // Frames are mostly escape sequences and ASCII glyphs: those go out as they are.
  if (!to_utf8_ || (pending_.empty() && all_ascii(gbk))) return gbk;
  if (pending_.empty()) return convert(gbk);
  joined_ = pending_;
  joined_.append(gbk);
  pending_.clear();
  return convert(joined_);
}

std::string_view OutputEncoder::convert(std::string_view gbk) {
  out_.clear();
  std::size_t at = 0;
  while (at < gbk.size()) {
    if (ascii(static_cast<std::uint8_t>(gbk[at]))) {
      std::size_t run_end = at;
      while (run_end < gbk.size() && ascii(static_cast<std::uint8_t>(gbk[run_end]))) ++run_end;
      out_.append(gbk.substr(at, run_end - at));
      at = run_end;
      continue;
    }
    // A run of whole characters, converted in one call. A trail byte that looks
    // like ASCII belongs to its character, never to the ASCII around it.
    std::size_t run_end = at;
    while (run_end < gbk.size() && !ascii(static_cast<std::uint8_t>(gbk[run_end]))) {
      const std::size_t length = character_length(gbk, run_end);
      if (length == 0) {
        pending_.assign(gbk.substr(run_end));
        break;
      }
      run_end += length;
    }
    out_ += base::gbk_to_utf8(gbk.substr(at, run_end - at));
    if (!pending_.empty()) break;
    at = run_end;
  }
  return out_;
}

void CursorTracker::observe(std::string_view bytes) {
  constexpr std::string_view kPrefix = kCursorVisibilityPrefix;
  for (const char c : bytes) {
    if (matched_ == kPrefix.size()) {
      if (c == kHideCursor.back()) hidden_ = true;
      if (c == kShowCursor.back()) hidden_ = false;
      matched_ = 0;
    }
    if (c == kPrefix[matched_]) {
      ++matched_;
    } else {
      matched_ = c == kPrefix[0] ? 1 : 0;
    }
  }
}

TerminalOutputBuffer::TerminalOutputBuffer(Writer writer, bool to_utf8, CursorTracker* tracker)
    : writer_(std::move(writer)), encoder_(to_utf8), tracker_(tracker), buffer_(kInitialCapacity) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

TerminalOutputBuffer::int_type TerminalOutputBuffer::overflow(int_type ch) {
  if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
  if (buffer_.size() < kMaxCapacity) {
    // Growing instead of writing keeps everything up to the flush in one write.
    const std::size_t used = static_cast<std::size_t>(pptr() - pbase());
    buffer_.resize(buffer_.size() * 2);
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    pbump(static_cast<int>(used));
  } else {
    write_out();
  }
  *pptr() = traits_type::to_char_type(ch);
  pbump(1);
  return ch;
}

int TerminalOutputBuffer::sync() {
  write_out();
  return 0;
}

void TerminalOutputBuffer::write_out() {
  const std::string_view data(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  if (data.empty()) return;
  if (tracker_ != nullptr) tracker_->observe(data);
  const std::string_view encoded = encoder_.encode(data);
  if (!encoded.empty()) writer_(encoded);
}

}  // namespace console
