#include "console/terminal_output.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "base/key_codes.h"
#include "base/text_encoding.h"
#include "console/escape_sequences.h"
#include "console/platform.h"

namespace console {
namespace {

// No sequence the game writes has longer parameters.
constexpr std::size_t kLongestParameters = 16;

bool ascii(std::uint8_t byte) { return byte < 0x80; }

bool all_ascii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return ascii(static_cast<std::uint8_t>(c)); });
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
      const std::size_t length = base::gbk_character_length(gbk, run_end);
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
  for (const char c : bytes) {
    follow_visibility(c);
    follow_column(c);
  }
}

void CursorTracker::follow_visibility(char c) {
  constexpr std::string_view kPrefix = kCursorVisibilityPrefix;
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

void CursorTracker::follow_column(char c) {
  const auto byte = static_cast<std::uint8_t>(c);
  switch (sequence_) {
    case Sequence::kNone:
      if (byte < 0x20 || byte == 0x7f) character_.clear();
      if (byte == base::kEscape) {
        sequence_ = Sequence::kEscape;
      } else if (c == '\r' || c == '\n') {
        column_ = 0;  // output processing turns "\n" into "\r\n"
      } else if (c == '\b') {
        column_ = std::max(column_ - 1, 0);
      } else if (c == '\t') {
        column_ += kTabStopEvery - column_ % kTabStopEvery;
      } else if (byte >= 0x20 && byte != 0x7f) {
        follow_character(c);
      }
      return;
    case Sequence::kEscape:
      // ESC [ starts a control sequence, ESC ] a title; bytes 0x20 to 0x2f
      // go on the sequence, any other ends it.
      if (c == '[') {
        sequence_ = Sequence::kControl;
        parameters_.clear();
      } else if (c == ']') {
        sequence_ = Sequence::kString;
      } else if (byte < 0x20 || byte > 0x2f) {
        sequence_ = Sequence::kNone;
      }
      return;
    case Sequence::kControl:
      if (byte >= 0x40 && byte <= 0x7e) {
        end_control_sequence(c);
      } else if (parameters_.size() < kLongestParameters) {
        parameters_ += c;
      }
      return;
    case Sequence::kString:
      if (c == '\a') sequence_ = Sequence::kNone;
      if (byte == base::kEscape) sequence_ = Sequence::kEscape;  // ESC \ ends it too
      return;
  }
}

void CursorTracker::follow_character(char c) {
  character_ += c;
  while (!character_.empty()) {
    const std::size_t length = base::gbk_character_length(character_, 0);
    if (length == 0) return;  // the rest of it comes with the next bytes
    column_ += character_columns(std::string_view(character_).substr(0, length), terminal_encoding());
    character_.erase(0, length);
  }
}

void CursorTracker::end_control_sequence(char final_byte) {
  sequence_ = Sequence::kNone;
  // "row;column" for a position, one count for the others.
  const std::size_t separator = parameters_.find(';');
  const int first = std::atoi(parameters_.c_str());
  const int count = first > 0 ? first : 1;
  switch (final_byte) {
    case 'H':
    case 'f':
      column_ = separator == std::string::npos ? 0 : std::max(std::atoi(parameters_.c_str() + separator + 1) - 1, 0);
      break;
    case 'G':
      column_ = count - 1;
      break;
    case 'C':
      column_ += count;
      break;
    case 'D':
      column_ = std::max(column_ - count, 0);
      break;
    default:
      break;  // colours, erasures, modes: the cursor stays
  }
}

TerminalOutputBuffer::TerminalOutputBuffer(Writer writer, TerminalEncoding encoding, CursorTracker* tracker)
    : writer_(std::move(writer)), encoder_(encoding), tracker_(tracker), buffer_(kInitialCapacity) {
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
  note_output_written();
  const std::string_view encoded = encoder_.encode(data);
  if (!encoded.empty()) writer_(encoded);
}

void connect_standard_streams(std::streambuf* output, std::streambuf* errors, std::streambuf* input) {
  // Stopping the synchronisation replaces the streams' buffers, so it comes first.
  std::ios::sync_with_stdio(false);
  std::cout.rdbuf(output);
  if (errors != nullptr) {
    std::cerr.rdbuf(errors);
    std::clog.rdbuf(errors);
  }
  if (input != nullptr) std::cin.rdbuf(input);
}

}  // namespace console
