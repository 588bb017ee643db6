#pragma once
// The one input queue of the terminal: single key reads and the line reads of
// std::cin both take their keys from here, so keys typed ahead, or bytes from
// a pipe, are consumed in order and never lost.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "console/key_decoder.h"

namespace console {

// Where the bytes come from: the terminal on POSIX, a script in the tests.
class InputSource {
 public:
  enum class Status : std::uint8_t { kBytes, kTimedOut, kEnded };

  virtual ~InputSource() = default;
  // Waits at most `timeout_ms` (negative: as long as it takes; 0: not at all)
  // for input and appends what is there to `bytes`. kEnded means no input will
  // ever come again (end of file, a hung-up terminal). A wait may also end
  // early, as timed out, after a signal was answered.
  virtual Status read(std::string& bytes, int timeout_ms) = 0;
  // A monotonic clock in milliseconds, the one the input's times are taken on.
  virtual std::int64_t now_ms() = 0;
};

class KeyReader {
 public:
  KeyReader(InputSource& source, TerminalEncoding encoding);

  // Is a key code waiting? Never blocks; true at end of input.
  bool key_waiting();
  // Like key_waiting, but waits up to `timeout_ms` for a key to arrive. A
  // negative time is no limit: then a read that a signal cut short ends the
  // wait too, false.
  bool wait_for_key(int timeout_ms);
  // Reads the input as it arrives until `deadline_ms` on the source's clock,
  // taking no key: what is typed during a pause keeps its arrival times, so
  // an Escape typed before an arrow stays an Escape, and keys wait in order.
  // Returns earlier once input has ended or kMostKeysAhead keys wait.
  void read_ahead_until(std::int64_t deadline_ms);
  // Waits, at most `longest_ms`, until no key is half received: bytes that
  // may still start a longer key (a lone Escape) are decided.
  void settle(int longest_ms);
  // One key code, 0..255: the lead code of a two-code key now, its second code
  // at the next call. kEndOfInput once input has ended, every time.
  int read_key();
  // One whole key for the line editor; nothing once input has ended. The rest
  // of a key half read by read_key is dropped: its first code was taken as a key.
  std::optional<KeyPress> read_keypress();
  // Takes the next key if it is already there and is the single code `code`
  // (a "\n" just behind a "\r" that ended a line).
  bool take_if_ready(int code);
  // No input will come any more (the terminal hung up): what is already
  // decoded is still read, then every read ends at once.
  void end_input();
  bool input_ended() const { return ended_; }

 private:
  // As many keys as the console's input buffer holds; a pipe's bytes beyond
  // them wait in the pipe instead of memory.
  static constexpr std::size_t kMostKeysAhead = 1024;

  bool key_ready() const;
  // Reads input as it arrives until `done` holds (true) or `deadline_ms`
  // has come (false).
  bool pull_until(std::int64_t deadline_ms, const std::function<bool()>& done);
  // Waits at most `timeout_ms` for input and hands it to the decoder.
  InputSource::Status pull(int timeout_ms);
  int wait_limit_ms();

  InputSource& source_;
  KeyDecoder decoder_;
  KeyPress half_read_;
  std::uint8_t next_code_ = 0;  // index of half_read_'s next code; 0: none pending
  bool ended_ = false;
  std::string bytes_;
};

}  // namespace console
