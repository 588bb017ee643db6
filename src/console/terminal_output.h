#pragma once
// The way out to the terminal: the game's GBK bytes, buffered until a flush,
// then converted to the terminal's encoding and handed over in one piece, so a
// frame reaches the screen whole.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "console/terminal_encoding.h"

namespace console {

// Where the terminal puts its tab stops: every eighth column.
inline constexpr int kTabStopEvery = 8;

// GBK text to the terminal's bytes: UTF-8 on a UTF-8 terminal, unchanged on a
// GBK one. A character cut between two flushes is kept until its last byte comes.
class OutputEncoder {
 public:
  explicit OutputEncoder(TerminalEncoding encoding) : to_utf8_(encoding == TerminalEncoding::kUtf8) {}

  // The terminal bytes for `gbk`. The result is `gbk` itself when nothing needs
  // converting; otherwise it stays valid until the next call.
  std::string_view encode(std::string_view gbk);
  // Bytes of an unfinished character held back from the last call.
  const std::string& pending() const { return pending_; }

 private:
  std::string_view convert(std::string_view gbk);

  bool to_utf8_;
  std::string pending_;
  std::string joined_;
  std::string out_;
};

// Follows the cursor in what the game writes outside the map's frames (the
// menus and prompts, which are streams, not canvases): its visibility
// (kHideCursor and kShowCursor), so it can be hidden again after Ctrl+Z and
// fg, and its column, where the line typed after a prompt starts.
class CursorTracker {
 public:
  // `bytes` are GBK text, as the game writes it.
  void observe(std::string_view bytes);
  bool hidden() const { return hidden_; }
  // Counted from 0, each character as wide as the terminal in use shows it;
  // not wrapped at the window's edge.
  int column() const { return column_; }

 private:
  enum class Sequence : std::uint8_t { kNone, kEscape, kControl, kString };

  void follow_visibility(char c);
  void follow_column(char c);
  void follow_character(char c);
  void end_control_sequence(char final_byte);

  std::size_t matched_ = 0;  // bytes of kCursorVisibilityPrefix matched so far
  bool hidden_ = false;
  int column_ = 0;
  Sequence sequence_ = Sequence::kNone;
  std::string parameters_;  // of the control sequence being written
  std::string character_;   // the bytes so far of a character cut between writes
};

class TerminalOutputBuffer : public std::streambuf {
 public:
  // Receives each flushed buffer, converted, in one call.
  using Writer = std::function<void(std::string_view)>;

  // A frame of the map is about 10 KiB; the buffer grows to hold what is
  // written between two flushes, up to kMaxCapacity.
  static constexpr std::size_t kInitialCapacity = 16 * 1024;
  static constexpr std::size_t kMaxCapacity = 1024 * 1024;

  TerminalOutputBuffer(Writer writer, TerminalEncoding encoding, CursorTracker* tracker = nullptr);

 protected:
  int_type overflow(int_type ch) override;
  int sync() override;

 private:
  void write_out();

  Writer writer_;
  OutputEncoder encoder_;
  CursorTracker* tracker_;
  std::vector<char> buffer_;
};

// Points the standard streams at the game's own buffers for the rest of the
// process: std::cout at `output`, and where given std::cerr and std::clog at
// `errors`, std::cin at `input`.
void connect_standard_streams(std::streambuf* output, std::streambuf* errors = nullptr,
                              std::streambuf* input = nullptr);

}  // namespace console
