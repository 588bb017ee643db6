#include "console/key_decoder.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "base/key_codes.h"
#include "base/text_encoding.h"
#include "console/key_forms.h"

namespace console {
namespace {

// The byte most terminals send for Backspace; the key is given as kBackspace.
constexpr std::uint8_t kDeleteByte = 0x7f;

KeyPress lead_zero(int second) { return KeyPress::extended(base::kLeadZero, second); }
KeyPress unknown_key() { return KeyPress::extended(base::kUnknownKeyLead, base::kUnknownKeySecond); }

bool in_range(std::uint8_t byte, std::uint8_t low, std::uint8_t high) { return byte >= low && byte <= high; }

// xterm's modifier parameter: 1 plus a bit set of Shift (1), Alt (2), Ctrl (4)
// and Meta (8, taken as Alt).
Modifier modifier_of_parameter(int parameter) {
  const int held = parameter - 1;
  if (held <= 0) return Modifier::kNone;
  if ((held & (2 | 8)) != 0) return Modifier::kAlt;
  if ((held & 4) != 0) return Modifier::kCtrl;
  return (held & 1) != 0 ? Modifier::kShift : Modifier::kNone;
}

// The arrows, Home, End and F1 to F4, which xterm-like terminals send after
// both ESC [ and ESC O, by their last letter. rxvt sends its modified arrows
// in lower case.
std::optional<KeyForms> lettered_key(std::uint8_t final_byte) {
  switch (final_byte) {
    case 'A': case 'a': return kUpKey;
    case 'B': case 'b': return kDownKey;
    case 'C': case 'c': return kRightKey;
    case 'D': case 'd': return kLeftKey;
    case 'H': return kHomeKey;
    case 'F': return kEndKey;
    case 'P': case 'Q': case 'R': case 'S': return function_key(final_byte - 'P');
    default: return std::nullopt;
  }
}

bool lower_case(std::uint8_t byte) { return in_range(byte, 'a', 'z'); }

// Parameter `index` of a sequence such as "13;2", 0 when it is missing; large
// values are capped, as no key number comes near them.
int parameter(std::string_view parameters, std::size_t index) {
  for (; index > 0; --index) {
    const std::size_t separator = parameters.find(';');
    if (separator == std::string_view::npos) return 0;
    parameters.remove_prefix(separator + 1);
  }
  int value = 0;
  for (const char c : parameters) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), 1000);
  }
  return value;
}

// The modifier of a sequence whose last parameter carries it ("1;5" or "5").
int last_parameter(std::string_view parameters) {
  const std::size_t separator = parameters.rfind(';');
  return parameter(separator == std::string_view::npos ? parameters : parameters.substr(separator + 1), 0);
}

// ESC [ n ~ (and rxvt's ^ $ @ endings for Ctrl, Shift and both).
std::optional<KeyForms> numbered_key(int number) {
  switch (number) {
    case 1: case 7: return kHomeKey;
    case 2: return kInsertKey;
    case 3: return kDeleteKey;
    case 4: case 8: return kEndKey;
    case 5: return kPageUpKey;
    case 6: return kPageDownKey;
    case 23: return kF11Key;
    case 24: return kF12Key;
    default: break;
  }
  if (number >= 11 && number <= 15) return function_key(number - 11);
  if (number >= 17 && number <= 21) return function_key(5 + number - 17);
  return std::nullopt;
}

// The modifier rxvt puts in the last byte of a numbered key.
Modifier modifier_of_ending(std::uint8_t final_byte) {
  switch (final_byte) {
    case '$': return Modifier::kShift;
    case '^': case '@': return Modifier::kCtrl;
    default: return Modifier::kNone;
  }
}

// `alt`: an ESC came before the sequence, rxvt's Alt.
KeyPress csi_key(std::string_view parameters, std::uint8_t final_byte, bool alt) {
  // Private parameters (<, =, >, ?) start reports and mouse events, never keys.
  if (!parameters.empty() && in_range(static_cast<std::uint8_t>(parameters.front()), '<', '?')) return unknown_key();
  Modifier modifier = modifier_of_parameter(parameter(parameters, 1));
  if (alt) modifier = Modifier::kAlt;
  if (const std::optional<KeyForms> key = lettered_key(final_byte)) {
    return key->with(lower_case(final_byte) ? stronger(modifier, Modifier::kShift) : modifier);
  }
  if (final_byte == 'Z') return lead_zero(base::kShiftTab);
  if (final_byte != '~' && modifier_of_ending(final_byte) == Modifier::kNone) return unknown_key();
  const std::optional<KeyForms> key = numbered_key(parameter(parameters, 0));
  return key ? key->with(stronger(modifier, modifier_of_ending(final_byte))) : unknown_key();
}

KeyPress ss3_key(std::string_view parameters, std::uint8_t final_byte, bool alt) {
  if (const std::optional<KeyForms> key = lettered_key(final_byte)) {
    Modifier modifier = alt ? Modifier::kAlt : modifier_of_parameter(last_parameter(parameters));
    // rxvt's lower-case arrows after ESC O are its Ctrl+arrows.
    if (lower_case(final_byte)) modifier = stronger(modifier, Modifier::kCtrl);
    return key->with(modifier);
  }
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
    // ESC ESC [ A is rxvt's Alt+Up. A third ESC settles the first.
    if (meta_escape_) emit_code(base::kEscape);
    meta_escape_ = true;
  } else if (const int alt = byte < 0x80 ? base::alt_second_code(static_cast<char>(byte)) : 0; alt != 0) {
    // Alt+letter comes as ESC and the letter at once; an Escape typed
    // before a letter comes on its own and has settled by the time the letter
    // arrives.
    const bool escape_before = meta_escape_;
    reset();
    if (escape_before) emit_code(base::kEscape);
    emit(lead_zero(alt));
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
    const KeyPress key = overflowed_ ? unknown_key() : csi_key(held_, byte, meta_escape_);
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
    const KeyPress key = overflowed_ ? unknown_key() : ss3_key(held_, byte, meta_escape_);
    reset();
    emit(key);
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
  // A lead code that came alone (Ctrl+2's NUL, a stray GBK lead byte 0xE0)
  // would take the next key's first code as its second: it is a whole
  // harmless key of its own.
  if (code == base::kLeadZero || code == base::kLeadExtended) {
    emit(unknown_key());
    return;
  }
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
