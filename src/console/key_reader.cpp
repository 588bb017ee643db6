#include "console/key_reader.h"

#include <algorithm>
#include <limits>

#include "base/key_codes.h"

namespace console {

KeyReader::KeyReader(InputSource& source, TerminalEncoding encoding) : source_(source), decoder_(encoding) {}

bool KeyReader::key_waiting() {
  if (key_ready() || ended_) return true;
  pull(0);
  return key_ready() || ended_;
}

bool KeyReader::wait_for_key(int timeout_ms) {
  const bool without_limit = timeout_ms < 0;
  const std::int64_t deadline = source_.now_ms() + std::max(timeout_ms, 0);
  for (;;) {
    if (key_ready() || ended_) return true;
    int limit = -1;
    if (!without_limit) {
      const std::int64_t left = deadline - source_.now_ms();
      if (left <= 0) return false;
      limit = static_cast<int>(left);
    }
    // A held escape sequence may settle into a key before the time is up.
    if (decoder_.waiting_for_more()) limit = limit < 0 ? wait_limit_ms() : std::min(limit, wait_limit_ms());
    const InputSource::Status status = pull(limit);
    // Without a limit, only a signal ends a read with nothing: the caller
    // looks at what it changed.
    if (without_limit && status == InputSource::Status::kTimedOut && !key_ready() && !decoder_.waiting_for_more()) {
      return false;
    }
  }
}

void KeyReader::read_ahead_until(std::int64_t deadline_ms) {
  pull_until(deadline_ms, [this] { return ended_ || decoder_.keys_ready() >= kMostKeysAhead; });
}

void KeyReader::settle(int longest_ms) {
  pull_until(source_.now_ms() + std::max(longest_ms, 0), [this] { return ended_ || !decoder_.waiting_for_more(); });
}

int KeyReader::read_key() {
  for (;;) {
    if (next_code_ != 0) {
      const int code = half_read_.codes[next_code_];
      next_code_ = next_code_ + 1 < half_read_.size ? next_code_ + 1 : 0;
      return code;
    }
    if (decoder_.has_key()) {
      half_read_ = decoder_.take_key();
      next_code_ = half_read_.size > 1 ? 1 : 0;
      return half_read_.codes[0];
    }
    if (ended_) return base::kEndOfInput;
    pull(wait_limit_ms());
  }
}

std::optional<KeyPress> KeyReader::read_keypress() {
  next_code_ = 0;
  for (;;) {
    if (decoder_.has_key()) return decoder_.take_key();
    if (ended_) return std::nullopt;
    pull(wait_limit_ms());
  }
}

bool KeyReader::take_if_ready(int code) {
  if (next_code_ != 0) return false;
  if (!decoder_.has_key() && !ended_) pull(0);
  if (!decoder_.has_key() || !decoder_.next_key().is(code)) return false;
  decoder_.take_key();
  return true;
}

void KeyReader::end_input() {
  decoder_.finish();
  ended_ = true;
}

bool KeyReader::key_ready() const { return next_code_ != 0 || decoder_.has_key(); }

bool KeyReader::pull_until(std::int64_t deadline_ms, const std::function<bool()>& done) {
  for (;;) {
    if (done()) return true;
    const std::int64_t left = deadline_ms - source_.now_ms();
    if (left <= 0) return false;
    // A held escape sequence may settle into a key before the time is up.
    int limit = static_cast<int>(std::min<std::int64_t>(left, std::numeric_limits<int>::max()));
    if (decoder_.waiting_for_more()) limit = std::min(limit, wait_limit_ms());
    pull(limit);
  }
}

InputSource::Status KeyReader::pull(int timeout_ms) {
  bytes_.clear();
  const InputSource::Status status = source_.read(bytes_, timeout_ms);
  const std::int64_t now = source_.now_ms();
  switch (status) {
    case InputSource::Status::kBytes:
      decoder_.feed(bytes_, now);
      decoder_.advance_time(now);
      break;
    case InputSource::Status::kTimedOut:
      decoder_.advance_time(now);
      break;
    case InputSource::Status::kEnded:
      decoder_.finish();
      ended_ = true;
      break;
  }
  return status;
}

int KeyReader::wait_limit_ms() {
  // A held escape sequence settles by itself; nothing else needs a time limit.
  if (!decoder_.waiting_for_more()) return -1;
  const std::int64_t left = decoder_.deadline_ms() - source_.now_ms();
  return static_cast<int>(std::clamp<std::int64_t>(left, 0, std::numeric_limits<int>::max()));
}

}  // namespace console
