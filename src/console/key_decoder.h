#pragma once
// Turns the bytes a terminal sends into the game's key codes (base/key_codes.h):
// one code per ordinary key, a lead code (0 or 224) and a second code for the
// arrows, function and editing keys, alone or with Shift, Ctrl or Alt, and for
// Alt with a typing key. The decoder is fed bytes and the time they came, and
// knows nothing of where they come from, so it is tested (and fuzzed) with a
// clock driven by hand. Times matter: an ESC is a key of its own unless what
// follows it comes within kSequenceTimeoutMs, as the bytes of one key do.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "base/key_codes.h"
#include "console/terminal_encoding.h"

namespace console {

// One key press as the game's key reads see it.
struct KeyPress {
  enum class Kind : std::uint8_t {
    kCharacter,  // a typed character: one control or ASCII code, or the 2 or 4 GBK bytes of one character
    kExtended,   // a lead code (0 or 224) and a second code
  };
  Kind kind = Kind::kCharacter;
  std::uint8_t size = 0;
  std::array<std::uint8_t, 4> codes{};

  static KeyPress character(std::string_view bytes);
  static KeyPress extended(int lead, int second);

  // The key's codes as text (the GBK bytes of a character).
  std::string text() const;
  // A single-code key with this code?
  bool is(int code) const;
  bool operator==(const KeyPress& other) const;
};

class KeyDecoder {
 public:
  // A lone Escape is told from the start of a sequence by this pause: longer
  // than the gap between the bytes of one sequence even over a slow link,
  // short enough that Escape still feels immediate.
  static constexpr std::int64_t kSequenceTimeoutMs = 50;
  // Longer sequences are swallowed without keeping their bytes.
  static constexpr std::size_t kMaxHeldBytes = 32;

  // The typed characters come in `encoding`.
  explicit KeyDecoder(TerminalEncoding encoding = TerminalEncoding::kGbk);

  // Bytes that arrived at `now_ms` (any monotonic millisecond clock).
  void feed(std::string_view bytes, std::int64_t now_ms);
  // Time passed without input: a sequence or character that has waited
  // kSequenceTimeoutMs since its last byte is settled.
  void advance_time(std::int64_t now_ms);
  // No more input will come: whatever is held is settled now.
  void finish();

  // Is a partial sequence or character held, waiting for more bytes?
  bool waiting_for_more() const { return state_ != State::kGround; }
  // When a held sequence settles by itself (meaningful while waiting_for_more()).
  std::int64_t deadline_ms() const { return last_byte_ms_ + kSequenceTimeoutMs; }

  bool has_key() const { return !keys_.empty(); }
  std::size_t keys_ready() const { return keys_.size(); }
  const KeyPress& next_key() const { return keys_.front(); }
  KeyPress take_key();

 private:
  enum class State : std::uint8_t {
    kGround,
    kEscape,           // ESC (or ESC ESC) seen
    kCsi,              // ESC [ ...
    kLinuxFunction,    // ESC [ [ : one letter follows
    kSs3,              // ESC O ...
    kMultibyte,        // part of a multi-byte character
  };

  void consume(std::uint8_t byte);
  void on_ground(std::uint8_t byte);
  void on_escape(std::uint8_t byte);
  void on_csi(std::uint8_t byte);
  void on_linux_function(std::uint8_t byte);
  void on_ss3(std::uint8_t byte);
  void on_multibyte(std::uint8_t byte);
  void on_gbk_byte(std::uint8_t byte);
  void on_utf8_byte(std::uint8_t byte);

  void begin(State state, std::uint8_t byte);
  void hold(std::uint8_t byte);
  void settle_held();
  void emit(const KeyPress& key) { keys_.push_back(key); }
  void emit_code(int code);
  void emit_gbk_lead_alone_then_rest();
  void reset();

  TerminalEncoding encoding_;
  State state_ = State::kGround;
  bool meta_escape_ = false;  // an ESC came before this sequence's ESC
  std::size_t multibyte_length_ = 0;
  std::string held_;
  bool overflowed_ = false;
  std::int64_t last_byte_ms_ = 0;
  std::deque<KeyPress> keys_;
};

}  // namespace console
