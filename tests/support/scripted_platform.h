#pragma once
// A platform for unit tests: key codes come from a script, pauses and the
// clock are simulated, and what the program writes to a standard stream can
// be captured, with the screen clears and key waits marked where they happened.

#include <cstdint>
#include <deque>
#include <iostream>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "console/platform.h"

namespace test_support {

// Collects a stream's bytes and tells written-and-flushed from still pending.
class StreamCapture : public std::streambuf {
 public:
  explicit StreamCapture(std::ostream& stream) : stream_(stream), old_(stream.rdbuf(this)) {}
  ~StreamCapture() override { stream_.rdbuf(old_); }
  StreamCapture(const StreamCapture&) = delete;
  StreamCapture& operator=(const StreamCapture&) = delete;

  // Everything written so far, flushed or not.
  std::string text() const { return flushed_ + pending_; }
  bool has_unflushed_output() const { return !pending_.empty(); }
  // Puts a marker behind what was written so far.
  void mark(std::string_view marker) {
    flushed_ += pending_;
    pending_.clear();
    flushed_ += marker;
  }
  void clear() {
    flushed_.clear();
    pending_.clear();
  }

 protected:
  int_type overflow(int_type ch) override {
    if (!traits_type::eq_int_type(ch, traits_type::eof())) pending_ += traits_type::to_char_type(ch);
    return traits_type::not_eof(ch);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    pending_.append(s, static_cast<std::size_t>(n));
    return n;
  }
  int sync() override {
    flushed_ += pending_;
    pending_.clear();
    return 0;
  }

 private:
  std::ostream& stream_;
  std::streambuf* old_;
  std::string flushed_;
  std::string pending_;
};

inline constexpr const char* kClearMarker = "<cls>";
inline constexpr const char* kKeyWaitMarker = "<key>";
inline constexpr const char* kIdleMarker = "<idle>";  // a wait that found no key

class ScriptedPlatform : public console::Platform {
 public:
  // Installs itself for the test's lifetime; `out` (may be null) receives the
  // markers of screen clears and key waits.
  explicit ScriptedPlatform(StreamCapture* out = nullptr) : out_(out) { console::set_platform(this); }
  ~ScriptedPlatform() override { console::set_platform(nullptr); }
  ScriptedPlatform(const ScriptedPlatform&) = delete;
  ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;

  // Keys waiting before the program starts: the only ones the start-up
  // window can see.
  std::deque<int> typed_ahead;
  // Keys typed once the menus are up. When both lists are used up, input has
  // ended for good.
  std::deque<int> typed;

  std::string program_path_text;
  std::int32_t now_ms = 0;  // advanced by every pause

  // What the program did.
  int starts = 0;
  int restores = 0;
  int clears = 0;
  int key_reads = 0;
  int reads_after_end = 0;  // reads that got kEndOfInput
  bool waited_with_unflushed_output = false;
  std::vector<int> sleeps;
  std::vector<std::string> titles;
  std::vector<int> key_wait_ms;  // waits that ended without a key
  bool ended = false;            // input ended by other means than reading (a hang-up)
  std::optional<console::WindowSize> window;  // unknown unless a test sets it
  std::string kept_after_exit;
  std::vector<std::string> announced;

  // Each start is a new run: later keys are not typed before its window ends.
  void start() override {
    ++starts;
    start_up_over_ = false;
  }
  void restore() override { ++restores; }
  void keep_after_exit(const std::string& gbk_text) override { kept_after_exit += gbk_text; }
  void enable_escape_sequences() override {}
  void untie_streams() override { start_up_over_ = true; }

  bool key_waiting() override {
    if (!typed_ahead.empty()) return true;
    // While the program starts, later keys are not typed yet; at end of input
    // a key is always "waiting" so that the read reports the end.
    return start_up_over_ || typed.empty();
  }

  int read_key() override {
    ++key_reads;
    if (out_ != nullptr) {
      if (out_->has_unflushed_output()) waited_with_unflushed_output = true;
      out_->mark(kKeyWaitMarker);
    }
    if (!typed_ahead.empty()) return take(typed_ahead);
    if (!typed.empty()) return take(typed);
    ++reads_after_end;
    return base::kEndOfInput;
  }

  // A scripted key is there at once; without one the wait passes its time,
  // or, without a limit, ends as a signal would end it.
  bool wait_for_key(int timeout_ms) override {
    if (key_waiting()) return true;
    idle(timeout_ms);
    return false;
  }
  void settle_typed_keys() override {}
  bool input_ended() override { return reads_after_end > 0 || ended; }
  std::optional<console::WindowSize> window_size() override { return window; }

  void sleep_ms(int milliseconds) override {
    sleeps.push_back(milliseconds);
    now_ms += milliseconds;
  }
  std::int32_t clock_ms() override { return now_ms; }

  void clear_screen() override {
    ++clears;
    std::cout.flush();
    if (out_ != nullptr) out_->mark(kClearMarker);
  }
  void set_title(const std::string& gbk_title) override { titles.push_back(gbk_title); }
  std::string program_path() override { return program_path_text; }
  void announce(const std::string& gbk_line) override { announced.push_back(gbk_line); }

  // Types the characters of `keys` once the menus are up.
  void type(std::string_view keys) {
    for (const char key : keys) typed.push_back(static_cast<unsigned char>(key));
  }

 protected:
  void idle(int timeout_ms) {
    key_wait_ms.push_back(timeout_ms);
    if (timeout_ms > 0) now_ms += timeout_ms;
    if (out_ != nullptr) out_->mark(kIdleMarker);
  }

 private:
  static int take(std::deque<int>& keys) {
    const int key = keys.front();
    keys.pop_front();
    return key;
  }

  StreamCapture* out_;
  bool start_up_over_ = false;
};

}  // namespace test_support
