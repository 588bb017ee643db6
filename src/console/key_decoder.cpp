#include "console/key_decoder.h"

#include <algorithm>
#include <cstring>

#include "base/key_codes.h"
#include "base/text_encoding.h"

namespace console {
namespace {

// The byte most terminals send for Backspace; the key is given as kBackspace.
constexpr std::uint8_t kDeleteByte = 0x7f;

KeyPress lead_zero(int second) { return KeyPress::extended(base::kLeadZero, second); }
KeyPress lead_extended(int second) { return KeyPress::extended(base::kLeadExtended, second); }
KeyPress unknown_key() { return KeyPress::extended(base::kUnknownKeyLead, base::kUnknownKeySecond); }

bool in_range(std::uint8_t byte, std::uint8_t low, std::uint8_t high) { return byte >= low && byte <= high; }

// The arrows, Home and End, which xterm-like terminals send after both ESC [
// and ESC O, the lower-case letters being rxvt's modified arrows.
bool cursor_key(std::uint8_t final_byte, KeyPress& key) {
  switch (final_byte) {
    case 'A': case 'a': key = lead_extended(base::kUpArrow); return true;
    case 'B': case 'b': key = lead_extended(base::kDownArrow); return true;
    case 'C': case 'c': key = lead_extended(base::kRightArrow); return true;
    case 'D': case 'd': key = lead_extended(base::kLeftArrow); return true;
    case 'H': key = lead_extended(base::kHome); return true;
    case 'F': key = lead_extended(base::kEnd); return true;
    case 'P': case 'Q': case 'R': case 'S': key = lead_zero(base::kF1 + (final_byte - 'P')); return true;
    default: return false;
  }
}

// The first parameter of a sequence such as "13;2"; large values are capped,
// as no key number comes near them.
int first_parameter(std::string_view parameters) {
  int value = 0;
  for (const char c : parameters) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), 1000);
  }
  return value;
}

// ESC [ n ~ (and rxvt's ^ $ @ endings for Ctrl, Shift and both).
KeyPress numbered_key(int number) {
  switch (number) {
    case 1: case 7: return lead_extended(base::kHome);
    case 2: return lead_extended(base::kInsert);
    case 3: return lead_extended(base::kDelete);
    case 4: case 8: return lead_extended(base::kEnd);
    case 5: return lead_extended(base::kPageUp);
    case 6: return lead_extended(base::kPageDown);
    case 23: return lead_extended(base::kF11);
    case 24: return lead_extended(base::kF12);
    default: break;
  }
  if (number >= 11 && number <= 15) return lead_zero(base::kF1 + number - 11);
  if (number >= 17 && number <= 21) return lead_zero(base::kF6 + number - 17);
  return unknown_key();
}

KeyPress csi_key(std::string_view parameters, std::uint8_t final_byte) {
  // Private parameters (<, =, >, ?) start reports and mouse events, never keys.
  if (!parameters.empty() && in_range(static_cast<std::uint8_t>(parameters.front()), '<', '?')) return unknown_key();
  KeyPress key;
  if (cursor_key(final_byte, key)) return key;
  switch (final_byte) {
    case 'Z': return lead_zero(base::kShiftTab);
    case '~': case '^': case '$': case '@': return numbered_key(first_parameter(parameters));
    default: return unknown_key();
  }
}

KeyPress ss3_key(std::uint8_t final_byte) {
  KeyPress key;
  if (cursor_key(final_byte, key)) return key;
  // The numeric keypad in application mode gives its own characters.
  if (final_byte == 'M') return KeyPress::character("\r");
  if (final_byte == 'X') return KeyPress::character("=");
  if (in_range(final_byte, 'j', 'y')) {
    static constexpr char kKeypad[] = "*+,-./0123456789";
    return KeyPress::character(std::string_view(&kKeypad[final_byte - 'j'], 1));
  }
  return unknown_key();
}

bool csi_final(std::uint8_t byte) { return in_range(byte, 0x40, 0x7e) || byte == '$'; }
bool csi_parameter(std::uint8_t byte) { return in_range(byte, 0x20, 0x3f) && byte != '$'; }

bool digit(std::uint8_t byte) { return in_range(byte, '0', '9'); }

std::size_t utf8_length(std::uint8_t lead) {
  if (in_range(lead, 0xc2, 0xdf)) return 2;
  if (in_range(lead, 0xe0, 0xef)) return 3;
  if (in_range(lead, 0xf0, 0xf4)) return 4;
  return 0;
}

}  // namespace

KeyPress KeyPress::character(std::string_view bytes) {
  KeyPress key;
  key.kind = Kind::kCharacter;
  const std::size_t size = std::min(bytes.size(), key.codes.size());
  if (size != 0) std::memcpy(key.codes.data(), bytes.data(), size);
  key.size = static_cast<std::uint8_t>(size);
  return key;
}

KeyPress KeyPress::extended(int lead, int second) {
  KeyPress key;
  key.kind = Kind::kExtended;
  key.size = 2;
  key.codes = {static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(second), 0, 0};
  return key;
}

std::string KeyPress::text() const { return std::string(codes.begin(), codes.begin() + size); }

bool KeyPress::is(int code) const { return kind == Kind::kCharacter && size == 1 && codes[0] == code; }

bool KeyPress::operator==(const KeyPress& other) const {
  return kind == other.kind && size == other.size && std::equal(codes.begin(), codes.begin() + size, other.codes.begin());
}

KeyDecoder::KeyDecoder(TerminalEncoding encoding) : encoding_(encoding) {}

void KeyDecoder::feed(std::string_view bytes, std::int64_t now_ms) {
  for (const char c : bytes) {
    advance_time(now_ms);
    last_byte_ms_ = now_ms;
    consume(static_cast<std::uint8_t>(c));
  }
}

void KeyDecoder::advance_time(std::int64_t now_ms) {
  // Settling can leave a new partial character held (a GBK lead byte that was
  // not followed by its trail byte); it has waited just as long.
  while (waiting_for_more() && now_ms >= deadline_ms()) settle_held();
}

void KeyDecoder::finish() {
  while (waiting_for_more()) settle_held();
}

KeyPress KeyDecoder::take_key() {
  const KeyPress key = keys_.front();
  keys_.pop_front();
  return key;
}

void KeyDecoder::consume(std::uint8_t byte) {
  switch (state_) {
    case State::kGround: on_ground(byte); break;
    case State::kEscape: on_escape(byte); break;
    case State::kCsi: on_csi(byte); break;
    case State::kLinuxFunction: on_linux_function(byte); break;
    case State::kSs3: on_ss3(byte); break;
    case State::kMultibyte: on_multibyte(byte); break;
  }
}

void KeyDecoder::on_ground(std::uint8_t byte) {
  if (byte == base::kEscape) {
    state_ = State::kEscape;
  } else if (byte == kDeleteByte || byte == base::kBackspace) {
    emit_code(base::kBackspace);
  } else if (byte == 0) {
    // Ctrl+2 (the terminal's NUL) is a two-code key: a lone 0 would swallow
    // the next key as its second code.
    emit(unknown_key());
  } else if (byte < 0x80) {
    emit_code(byte);
  } else if (encoding_ == TerminalEncoding::kGbk) {
    if (base::is_gbk_lead_byte(byte)) {
      begin(State::kMultibyte, byte);
    } else {
      emit_code(byte);
    }
  } else {
    multibyte_length_ = utf8_length(byte);
    if (multibyte_length_ != 0) {
      begin(State::kMultibyte, byte);
    } else {
      emit_code('?');
    }
  }
}

void KeyDecoder::on_escape(std::uint8_t byte) {
  if (byte == '[') {
    state_ = State::kCsi;
  } else if (byte == 'O') {
    state_ = State::kSs3;
  } else if (byte == base::kEscape) {
    // ESC ESC [ A is rxvt's Alt+Up: the key itself. A third ESC settles the first.
    if (meta_escape_) emit_code(base::kEscape);
    meta_escape_ = true;
  } else {
    settle_held();
    consume(byte);
  }
}

void KeyDecoder::on_csi(std::uint8_t byte) {
  if (held_.empty() && !overflowed_ && byte == '[') {
    state_ = State::kLinuxFunction;
  } else if (csi_parameter(byte)) {
    hold(byte);
  } else if (csi_final(byte)) {
    const KeyPress key = overflowed_ ? unknown_key() : csi_key(held_, byte);
    reset();
    emit(key);
  } else {
    settle_held();
    consume(byte);
  }
}

void KeyDecoder::on_linux_function(std::uint8_t byte) {
  if (in_range(byte, 'A', 'E')) {
    reset();
    emit(lead_zero(base::kF1 + (byte - 'A')));
  } else if (in_range(byte, 0x40, 0x7e)) {
    reset();
    emit(unknown_key());
  } else {
    settle_held();
    consume(byte);
  }
}

void KeyDecoder::on_ss3(std::uint8_t byte) {
  if (digit(byte) || byte == ';') {
    hold(byte);
  } else if (in_range(byte, 0x40, 0x7e)) {
    reset();
    emit(ss3_key(byte));
  } else {
    settle_held();
    consume(byte);
  }
}

void KeyDecoder::on_multibyte(std::uint8_t byte) {
  if (encoding_ == TerminalEncoding::kGbk) {
    on_gbk_byte(byte);
  } else {
    on_utf8_byte(byte);
  }
}

void KeyDecoder::on_gbk_byte(std::uint8_t byte) {
  hold(byte);
  const std::size_t length = base::gbk_character_length(held_, 0);
  if (length == 0) return;  // the character goes on
  if (length == held_.size()) {
    const KeyPress key = KeyPress::character(held_);
    reset();
    emit(key);
    return;
  }
  // The byte makes no character with those before it.
  emit_gbk_lead_alone_then_rest();
}

void KeyDecoder::on_utf8_byte(std::uint8_t byte) {
  if (!in_range(byte, 0x80, 0xbf)) {
    settle_held();
    consume(byte);
    return;
  }
  hold(byte);
  if (held_.size() < multibyte_length_) return;
  const std::string gbk = base::utf8_to_gbk(held_);
  reset();
  emit(gbk.empty() || gbk.size() > 4 ? KeyPress::character("?") : KeyPress::character(gbk));
}

void KeyDecoder::begin(State state, std::uint8_t byte) {
  state_ = state;
  hold(byte);
}

void KeyDecoder::hold(std::uint8_t byte) {
  if (held_.size() >= kMaxHeldBytes) {
    overflowed_ = true;
    return;
  }
  held_ += static_cast<char>(byte);
}

void KeyDecoder::settle_held() {
  switch (state_) {
    case State::kGround:
      return;
    case State::kEscape: {
      const bool twice = meta_escape_;
      reset();
      emit_code(base::kEscape);
      if (twice) emit_code(base::kEscape);
      return;
    }
    case State::kCsi:
    case State::kLinuxFunction:
    case State::kSs3:
      reset();
      emit(unknown_key());
      return;
    case State::kMultibyte:
      if (encoding_ == TerminalEncoding::kGbk) {
        emit_gbk_lead_alone_then_rest();
      } else {
        reset();
        emit_code('?');
      }
      return;
  }
}

void KeyDecoder::emit_code(int code) {
  const char byte = static_cast<char>(code);
  emit(KeyPress::character(std::string_view(&byte, 1)));
}

void KeyDecoder::emit_gbk_lead_alone_then_rest() {
  // Bytes that make no character pass through one by one; what followed the
  // lead byte may start a character of its own.
  const std::string rest = held_.substr(1);
  const int lead = static_cast<std::uint8_t>(held_.front());
  reset();
  emit_code(lead);
  for (const char c : rest) consume(static_cast<std::uint8_t>(c));
}

void KeyDecoder::reset() {
  state_ = State::kGround;
  held_.clear();
  meta_escape_ = false;
  overflowed_ = false;
  multibyte_length_ = 0;
}

}  // namespace console
